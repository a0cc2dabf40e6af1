// Keyframes as text: what `--key "LABEL=V0@T0,V1@T1,..."` accepts.
#pragma once

#include <string>
#include <string_view>

#include "host/effect_instance.h"
#include "host/frame_timing.h"

// LABEL as FindParamByName takes it; each value in the notation of --set
// (a point "x,y", a colour "r,g,b" or "#RRGGBB"), each time in seconds,
// converted to units with `timing`. Keys may come in any order but no two
// at the same unit. Replaces any keys the parameter had; on failure nothing
// changes.
bool ApplyParamKeyframes(HostEffectInstance& instance, std::string_view text, const FrameTiming& timing,
                         std::string& error);
