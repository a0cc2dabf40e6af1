// Keyframed parameter values as the host keeps them: a value per key time,
// in the host's time units, and the value at any time between.
//
// Numeric kinds interpolate linearly in time between the two keys around it:
// float sliders exactly, integer sliders, angles (16.16 degrees), points
// (16.16 pixels) and colours (each byte) rounded to the nearest step, halves
// away from zero. Checkboxes and popups hold the value of the last key at or
// before the time. Before the first key and after the last the value holds.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_param_def.h"

struct ParamKeyframe {
  int32_t time = 0;  // host time units
  HostParamValue value{};
};

// Integer and float sliders, angles, checkboxes, colours, points and popups,
// unless the effect said the parameter cannot vary over time.
bool ParamCanAnimate(const HostParamDef& def);

// `keys` sorted by strictly increasing time and not empty. The result is
// `current` with the animated fields replaced, so texts and ranges stay.
HostParamValue ParamValueAtTime(int32_t kind, const std::vector<ParamKeyframe>& keys, int32_t time,
                                const HostParamValue& current);

// Whether `a` and `b` hold the same value of `kind`: the fields a key sets,
// ranges and texts aside. Kinds without such a value (layers, buttons,
// groups, data) always compare the same.
bool SameParamValue(int32_t kind, const HostParamValue& a, const HostParamValue& b);
