// What the host is told about each parameter (kind, label, flags, range,
// default and texts), as data built from the parameter table
// (model/param_table.h): kParamDefinitions[id - 1] is parameter id's.
#pragma once

#include <array>
#include <cstdint>

#include "host_interface/host_frame.h"
#include "model/param_ids.h"

struct ParamDefinition {
  int32_t kind = 0;  // kParamType*
  const char* label = "";
  int32_t flags = 0;
  int32_t uiFlags = 0;
  // Integer sliders (valid range = slider range), checkboxes, popups; angles
  // use defaultValue as whole degrees.
  int32_t minValue = 0;
  int32_t maxValue = 0;
  int32_t defaultValue = 0;
  // Float sliders.
  float floatValidMax = 0.0f;
  float floatSliderMax = 0.0f;
  float floatDefault = 0.0f;
  HostPixel8 color = {};  // colours: alpha, red, green, blue
  // Checkbox box text, button text or popup choices separated by '|'.
  const char* text = "";
  int16_t choiceCount = 0;
};

extern const std::array<ParamDefinition, kParamCount> kParamDefinitions;

constexpr int32_t kPointDefaultPercent = 50;
