#include "shell/user_changed_param.h"

#include "host_interface/host_event.h"
#include "model/param_ids.h"
#include "overlay_export/export_commands.h"
#include "overlay_export/shape_layer_script.h"
#include "shell/chain_buttons.h"

namespace {

// The chain-editing buttons: each reports its edits through the parameters'
// change flags, and the press itself answers success.
struct ChainButton {
  int32_t paramIndex;
  void (*press)(HostInData* in, HostParamDef* params[]);
};

constexpr ChainButton kChainButtons[] = {
    {PARAM_BLEND_SELECTED, BlendSelectedChains},
    {PARAM_REVERSE_SELECTED, ReverseSelectedChains},
    {PARAM_SET_ORDER, SetChainOrder},
    {PARAM_CLEAR_ORDER, ClearChainOrder},
};

}  // namespace

HostError HandleUserChangedParam(HostInData* in, HostParamDef* params[], void* extra) {
  if (extra == nullptr) return kHostErrorNone;
  const int32_t paramIndex = static_cast<const HostUserChangedParamRecord*>(extra)->paramIndex;
  switch (paramIndex) {
    case PARAM_CREATE_SHAPE_LAYER:
      return BuildShapeLayerScript(in);
    case PARAM_EXPORT_SVG:
      return ExportSvgCommand(in);
    case PARAM_EXPORT_PATHS:
      return ExportJsonCommand(in);
    default:
      break;
  }
  for (const ChainButton& button : kChainButtons) {
    if (button.paramIndex == paramIndex) button.press(in, params);
  }
  return kHostErrorNone;
}
