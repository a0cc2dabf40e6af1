#include "model/param_definitions.h"

#include "host_interface/host_param_def.h"

namespace {

// The kinds the rows of the parameter table are written in.

constexpr ParamDefinition GroupStart(const char* label) {
  return ParamDefinition{.kind = kParamTypeGroupStart, .label = label};
}

constexpr ParamDefinition GroupEnd() { return ParamDefinition{.kind = kParamTypeGroupEnd}; }

constexpr ParamDefinition Slider(const char* label, int32_t minValue, int32_t maxValue, int32_t defaultValue) {
  return ParamDefinition{.kind = kParamTypeSlider, .label = label, .minValue = minValue, .maxValue = maxValue,
                         .defaultValue = defaultValue};
}

// Float sliders here all start at 0.
constexpr ParamDefinition FloatSlider(const char* label, float validMax, float sliderMax, float defaultValue) {
  return ParamDefinition{.kind = kParamTypeFloatSlider, .label = label, .floatValidMax = validMax,
                         .floatSliderMax = sliderMax, .floatDefault = defaultValue};
}

constexpr ParamDefinition Checkbox(const char* label, bool on, const char* boxText) {
  return ParamDefinition{.kind = kParamTypeCheckbox, .label = label, .defaultValue = on ? 1 : 0, .text = boxText};
}

constexpr ParamDefinition Popup(const char* label, int16_t choiceCount, const char* choices) {
  return ParamDefinition{.kind = kParamTypePopup, .label = label, .defaultValue = 1, .text = choices,
                         .choiceCount = choiceCount};
}

constexpr ParamDefinition Color(const char* label, uint8_t red, uint8_t green, uint8_t blue) {
  return ParamDefinition{.kind = kParamTypeColor, .label = label, .color = {255, red, green, blue}};
}

constexpr ParamDefinition Point(const char* label) {
  return ParamDefinition{.kind = kParamTypePoint, .label = label, .defaultValue = kPointDefaultPercent};
}

constexpr ParamDefinition Angle(const char* label, int32_t degrees) {
  return ParamDefinition{.kind = kParamTypeAngle, .label = label, .defaultValue = degrees};
}

constexpr ParamDefinition Layer(const char* label) { return ParamDefinition{.kind = kParamTypeLayer, .label = label}; }

constexpr ParamDefinition Button(const char* label, const char* text) {
  return ParamDefinition{.kind = kParamTypeButton, .label = label, .flags = kParamFlagSupervise, .text = text};
}

constexpr ParamDefinition HiddenData(const char* label) {
  return ParamDefinition{.kind = kParamTypeArbitraryData, .label = label,
                         .flags = kParamFlagSupervise | kParamFlagCannotTimeVary, .uiFlags = kParamUiFlagNoControl};
}

}  // namespace

constexpr std::array<ParamDefinition, kParamCount> kParamDefinitions = {{
#define SPINDREL_PARAM_DEFINITION(id, definition) definition,
    SPINDREL_PARAM_TABLE(SPINDREL_PARAM_DEFINITION)
#undef SPINDREL_PARAM_DEFINITION
}};
