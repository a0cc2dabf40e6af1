// Parameter definitions and values as they pass between host and effect.
//
// The same record serves three purposes: the effect fills one per parameter at
// parameter setup (kind, label, flags and the value block of the kind), the
// host hands the current values to every command through the parameter array
// (one record per parameter, indexed by parameter id, 0 being the input layer),
// and a checkout returns one for a given time.
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"

// Opaque block of memory owned by the host; reached only through the handle
// callbacks of HostUtilityCallbacks. What stands behind it is the host's own.
struct HostHandleOpaque;
using HostHandle = HostHandleOpaque*;

// Kinds of parameter (the host's type codes).
constexpr int32_t kParamTypeLayer = 0;
constexpr int32_t kParamTypeSlider = 1;
constexpr int32_t kParamTypeAngle = 3;
constexpr int32_t kParamTypeCheckbox = 4;
constexpr int32_t kParamTypeColor = 5;
constexpr int32_t kParamTypePoint = 6;
constexpr int32_t kParamTypePopup = 7;
constexpr int32_t kParamTypeFloatSlider = 10;
constexpr int32_t kParamTypeArbitraryData = 11;
constexpr int32_t kParamTypeGroupStart = 13;
constexpr int32_t kParamTypeGroupEnd = 14;
constexpr int32_t kParamTypeButton = 15;

// HostParamDef::flags
constexpr int32_t kParamFlagCannotTimeVary = 2;
constexpr int32_t kParamFlagSupervise = 64;  // host sends user-changed-parameter

// HostParamDef::uiFlags
constexpr int32_t kParamUiFlagNoControl = 8;  // hidden from the effect controls

// HostParamDef::changeFlags
constexpr int32_t kParamChangeFlagChangedValue = 1;  // host takes the written value

constexpr int32_t kParamNameSize = 32;

struct HostSliderValue {
  int32_t value;
  int32_t validMin;
  int32_t validMax;
  int32_t sliderMin;
  int32_t sliderMax;
  int32_t defaultValue;
};

struct HostFloatSliderValue {
  double value;
  float validMin;
  float validMax;
  float sliderMin;
  float sliderMax;
  float defaultValue;
  int16_t precision;
  int16_t displayFlags;
  int32_t sliderFlags;
  float curveTolerance;
};

// 16.16 fixed-point degrees.
struct HostAngleValue {
  int32_t value;
  int32_t defaultValue;
  int32_t validMin;
  int32_t validMax;
};

struct HostCheckboxValue {
  int32_t value;
  int32_t defaultValue;
  const char* boxText;  // the host copies the text during parameter setup
};

struct HostColorValue {
  HostPixel8 value;
  HostPixel8 defaultValue;
};

// 16.16 fixed point. In a definition the values are percentages of the layer
// size; in the parameter array they are layer pixels.
struct HostPointValue {
  int32_t xValue;
  int32_t yValue;
  int32_t xDefault;
  int32_t yDefault;
  uint8_t restrictBounds;
};

struct HostPopupValue {
  int32_t value;  // 1-based
  int32_t defaultValue;
  int16_t numChoices;
  const char* choices;  // choices separated by '|'; copied by the host
};

struct HostArbitraryValue {
  int16_t id;
  HostHandle defaultHandle;
  HostHandle valueHandle;
  void* refcon;
};

struct HostButtonValue {
  int32_t value;
  const char* text;  // copied by the host
};

union HostParamValue {
  HostFrame layer;
  HostSliderValue slider;
  HostFloatSliderValue floatSlider;
  HostAngleValue angle;
  HostCheckboxValue checkbox;
  HostColorValue color;
  HostPointValue point;
  HostPopupValue popup;
  HostArbitraryValue arbitrary;
  HostButtonValue button;
};

struct HostParamDef {
  HostParamValue u;
  int32_t uiFlags;
  int16_t uiWidth;
  int16_t uiHeight;
  int32_t paramType;
  char name[kParamNameSize];
  int32_t flags;
  int32_t changeFlags;
  int32_t id;
};
