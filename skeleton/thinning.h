// Zhang-Suen thinning and end-pixel trimming of a ByteMask.
#pragma once

#include <array>
#include <cstdint>

#include "skeleton/byte_mask.h"

// Thins the mask in place to a one-pixel skeleton; border cells are never
// cleared and masks narrower or lower than 3 are left alone.
void ThinZhangSuen(ByteMask& mask);

// Removes end and isolated pixels (fewer than 2 set neighbours), one layer per
// iteration, stopping early once an iteration removes nothing.
void TrimEndPixels(ByteMask& mask, int32_t iterations);
