// Table-driven Zhang-Suen thinning and end-pixel trimming of a ByteMask.
#pragma once

#include <array>
#include <cstdint>

#include "skeleton/byte_mask.h"

// Entry i is 1 when a set pixel whose neighbour code is i (bit 0 = N, then
// NE, E, SE, S, SW, W, NW) may be deleted in that sub-iteration.
struct ThinningTables {
  std::array<uint8_t, 256> first{};
  std::array<uint8_t, 256> second{};
};

void BuildThinningTables(ThinningTables& tables);

// Fills the process-wide tables; runs once during static initialisation.
void InitThinningTables();

// The process-wide tables, read-only after load.
const ThinningTables& LoadedThinningTables();

// Thins the mask in place to a one-pixel skeleton; border cells are never
// cleared and masks narrower or lower than 3 are left alone.
void ThinZhangSuen(ByteMask& mask);

// Removes end and isolated pixels (fewer than 2 set neighbours), one layer per
// iteration, stopping early once an iteration removes nothing.
void TrimEndPixels(ByteMask& mask, int32_t iterations);
