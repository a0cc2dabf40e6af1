#include "shell/params_setup.h"

#include <algorithm>
#include <cstring>

#include "host_interface/host_fixed_point.h"
#include "model/param_definitions.h"
#include "shell/arbitrary_data.h"

namespace {

constexpr float kCurveTolerance = 0.05f;
constexpr int16_t kFloatSliderPrecision = 2;

void FillValueBlock(const HostInData* in, int32_t id, const ParamDefinition& definition, HostParamDef& def) {
  HostParamValue& u = def.u;
  switch (definition.kind) {
    case kParamTypeSlider:
      u.slider.value = definition.defaultValue;
      u.slider.defaultValue = definition.defaultValue;
      u.slider.validMin = definition.minValue;
      u.slider.validMax = definition.maxValue;
      u.slider.sliderMin = definition.minValue;
      u.slider.sliderMax = definition.maxValue;
      break;
    case kParamTypeFloatSlider:
      u.floatSlider.value = definition.floatDefault;
      u.floatSlider.defaultValue = definition.floatDefault;
      u.floatSlider.validMin = 0.0f;
      u.floatSlider.validMax = definition.floatValidMax;
      u.floatSlider.sliderMin = 0.0f;
      u.floatSlider.sliderMax = definition.floatSliderMax;
      u.floatSlider.precision = kFloatSliderPrecision;
      u.floatSlider.curveTolerance = kCurveTolerance;
      break;
    case kParamTypeAngle:
      u.angle.value = WholeToFixed(definition.defaultValue);
      u.angle.defaultValue = WholeToFixed(definition.defaultValue);
      break;
    case kParamTypeCheckbox:
      u.checkbox.value = definition.defaultValue;
      u.checkbox.defaultValue = definition.defaultValue;
      u.checkbox.boxText = definition.text;
      break;
    case kParamTypeColor:
      u.color.value = definition.color;
      u.color.defaultValue = definition.color;
      break;
    case kParamTypePoint:
      u.point.xValue = WholeToFixed(definition.defaultValue);
      u.point.yValue = WholeToFixed(definition.defaultValue);
      u.point.xDefault = WholeToFixed(definition.defaultValue);
      u.point.yDefault = WholeToFixed(definition.defaultValue);
      break;
    case kParamTypePopup:
      u.popup.value = definition.defaultValue;
      u.popup.defaultValue = definition.defaultValue;
      u.popup.numChoices = definition.choiceCount;
      u.popup.choices = definition.text;
      break;
    case kParamTypeArbitraryData:
      u.arbitrary.id = static_cast<int16_t>(id);
      // A failed allocation is not an error here: the parameter goes in with
      // a null default.
      ArbDataNew(in, id, &u.arbitrary.defaultHandle);
      break;
    case kParamTypeButton:
      u.button.text = definition.text;
      break;
    default:  // layer, group start and end carry no value
      break;
  }
}

}  // namespace

void FillParamDef(const HostInData* in, int32_t id, HostParamDef& def) {
  std::memset(&def, 0, sizeof(def));
  const ParamDefinition& definition = kParamDefinitions.at(static_cast<size_t>(id - 1));
  def.id = id;
  def.paramType = definition.kind;
  def.flags = definition.flags;
  def.uiFlags = definition.uiFlags;
  // At most 31 characters; the record is zeroed, so the name stays terminated.
  const char* labelEnd = std::find(definition.label, definition.label + (kParamNameSize - 1), '\0');
  std::copy(definition.label, labelEnd, def.name);
  FillValueBlock(in, id, definition, def);
}

HostError ParamsSetup(HostInData* in, HostOutData* out, HostParamDef*[], HostFrame*) {
  HostParamDef def;
  for (int32_t id = 1; id <= kParamCount; ++id) {
    FillParamDef(in, id, def);
    const HostError error = in->utils->addParam(in->effectRef, -1, &def);
    if (error != kHostErrorNone) {
      // A refused definition never reached the host, so neither did its blob.
      if (def.paramType == kParamTypeArbitraryData && def.u.arbitrary.defaultHandle != nullptr) {
        in->utils->disposeHandle(def.u.arbitrary.defaultHandle);
      }
      return error;
    }
  }
  HostCustomUIInfo info;
  std::memset(&info, 0, sizeof(info));
  info.events = kCustomUIEventsComp | kCustomUIEventsLayer;
  const HostError error = in->utils->registerCustomUI(in->effectRef, &info);
  out->numParams = kParamCountWithInput;
  return error;
}
