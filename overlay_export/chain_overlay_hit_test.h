// Which cached chain a click picks: the one with a segment nearest to the
// click, closer than kHitDistanceSquared.
//
// Contract: float arithmetic in a fixed order, so every platform picks the
// same chain; chains with fewer than 2 points are never hit; of equally near
// chains the lowest index wins.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/points.h"

constexpr float kHitDistanceSquared = 225.0f;  // 15 pixels of the analysed layer

// Index of the chain picked at `click` (cache pixels), or -1 for none.
int32_t FindChainAtPoint(const std::vector<std::vector<IntPoint>>& chains, FloatPoint click);
