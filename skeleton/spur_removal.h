// Spur removal: short branches that run from a free end of the skeleton into
// a junction are thinning's answer to bumps in the outline, not strokes.
#pragma once

#include <cstdint>

#include "skeleton/byte_mask.h"
#include "skeleton/distance_field.h"

// Spurs are only ever looked for up to this many pixels (or Spur Prune, if larger).
constexpr int32_t kSpurLengthCap = 40;
// A spur counts as short when no longer than this factor times the field at its junction.
constexpr float kSpurRadiusFactor = 1.2f;

// Clears branches that run from a free end into a junction and are no longer
// than max(kSpurRadiusFactor x field at the junction, spurPrune); repeats until
// a pass removes nothing. A field of another size than the mask counts as 0
// everywhere.
void RemoveSpurs(ByteMask& mask, const DistanceField& field, int32_t spurPrune);
