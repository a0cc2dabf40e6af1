#include "shell/params_setup.h"

#include <algorithm>
#include <cstring>

#include "shell/arbitrary_data.h"
#include "shell/param_definitions.h"

namespace {

constexpr int32_t kFixedOne = 65536;  // 1.0 in 16.16 fixed point
constexpr float kCurveTolerance = 0.05f;
constexpr int16_t kFloatSliderPrecision = 2;

void FillValueBlock(const HostInData* in, const ParamSpec& spec, HostParamDef& def) {
  HostParamValue& u = def.u;
  switch (spec.kind) {
    case kParamTypeSlider:
      u.slider.value = spec.defaultValue;
      u.slider.defaultValue = spec.defaultValue;
      u.slider.validMin = spec.minValue;
      u.slider.validMax = spec.maxValue;
      u.slider.sliderMin = spec.minValue;
      u.slider.sliderMax = spec.maxValue;
      break;
    case kParamTypeFloatSlider:
      u.floatSlider.value = spec.floatDefault;
      u.floatSlider.defaultValue = spec.floatDefault;
      u.floatSlider.validMin = 0.0f;
      u.floatSlider.validMax = spec.floatValidMax;
      u.floatSlider.sliderMin = 0.0f;
      u.floatSlider.sliderMax = spec.floatSliderMax;
      u.floatSlider.precision = kFloatSliderPrecision;
      u.floatSlider.curveTolerance = kCurveTolerance;
      break;
    case kParamTypeAngle:
      u.angle.value = spec.defaultValue * kFixedOne;
      u.angle.defaultValue = spec.defaultValue * kFixedOne;
      break;
    case kParamTypeCheckbox:
      u.checkbox.value = spec.defaultValue;
      u.checkbox.defaultValue = spec.defaultValue;
      u.checkbox.boxText = spec.text;
      break;
    case kParamTypeColor:
      u.color.value = spec.color;
      u.color.defaultValue = spec.color;
      break;
    case kParamTypePoint:
      u.point.xValue = spec.defaultValue * kFixedOne;
      u.point.yValue = spec.defaultValue * kFixedOne;
      u.point.xDefault = spec.defaultValue * kFixedOne;
      u.point.yDefault = spec.defaultValue * kFixedOne;
      break;
    case kParamTypePopup:
      u.popup.value = spec.defaultValue;
      u.popup.defaultValue = spec.defaultValue;
      u.popup.numChoices = spec.choiceCount;
      u.popup.choices = spec.text;
      break;
    case kParamTypeArbitraryData:
      u.arbitrary.id = static_cast<int16_t>(spec.id);
      // A failed allocation is not an error here: the parameter goes in with
      // a null default.
      ArbDataNew(in, spec.id, &u.arbitrary.defaultHandle);
      break;
    case kParamTypeButton:
      u.button.text = spec.text;
      break;
    default:  // layer, group start and end carry no value
      break;
  }
}

}  // namespace

void FillParamDef(const HostInData* in, int32_t id, HostParamDef& def) {
  std::memset(&def, 0, sizeof(def));
  const ParamSpec& spec = kParamSpecs.at(static_cast<size_t>(id - 1));
  def.id = spec.id;
  def.paramType = spec.kind;
  def.flags = spec.flags;
  def.uiFlags = spec.uiFlags;
  // At most 31 characters; the record is zeroed, so the name stays terminated.
  const char* labelEnd = std::find(spec.label, spec.label + (kParamNameSize - 1), '\0');
  std::copy(spec.label, labelEnd, def.name);
  FillValueBlock(in, spec, def);
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
