#include "shell/user_changed_param.h"

#include "host_interface/host_event.h"
#include "model/param_ids.h"
#include "overlay_export/export_commands.h"
#include "overlay_export/shape_layer_script.h"
#include "shell/chain_buttons.h"

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
    case PARAM_BLEND_SELECTED:
      BlendSelectedChains(in, params);
      return kHostErrorNone;
    case PARAM_REVERSE_SELECTED:
      ReverseSelectedChains(in, params);
      return kHostErrorNone;
    case PARAM_SET_ORDER:
      SetChainOrder(in, params);
      return kHostErrorNone;
    case PARAM_CLEAR_ORDER:
      ClearChainOrder(in, params);
      return kHostErrorNone;
    default:
      return kHostErrorNone;
  }
}
