// Ramer-Douglas-Peucker simplification of traced chains.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/chain_record.h"
#include "skeleton/points.h"

// Tolerance, in pixels, of every simplification of traced chains.
constexpr float kSimplifyTolerance = 2.5f;

// Keeps the points that carry the chain's shape. Chains of fewer than 3 points
// come back as exact copies; otherwise the result has only points and closed.
ChainRecord SimplifyRdp(const ChainRecord& chain, float tolerance);

// Sets keep[i] for every point strictly between first and last that survives.
// Ranges are visited in the order of the classic recursion (left part first),
// but with an explicit stack, so long chains cannot exhaust the call stack.
void MarkRdpKeptPoints(const std::vector<IntPoint>& points, int32_t first, int32_t last, float tolerance,
                     std::vector<bool>& keep);
