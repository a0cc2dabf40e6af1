// Small operations on whole chains: the orientation key, the end gap of two
// cached chains and the pairwise merge of the render's merge slots.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "skeleton/chain_record.h"
#include "skeleton/geometry_types.h"

// Distance of p from the reference plus p.y times weight; smaller is nearer
// the start, and with a positive weight the higher of two equally far points
// scores lower.
float ChainOrderKey(float refX, float refY, float weight, IntPoint p);
inline float ChainOrderKey(FloatPoint ref, float weight, IntPoint p) { return ChainOrderKey(ref.x, ref.y, weight, p); }

// Squared end distances of two non-empty point runs, in the order
// |A.last - B.first|, |A.last - B.last|, |A.first - B.first|, |A.first - B.last|.
std::array<float, 4> SquaredEndGaps(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b);

// The smallest squared end-to-end distance of cached chains a and b, or 1e30
// when nothing was published, an index is outside the cache or a chain is
// empty. Takes ChainCacheMutex for the whole computation.
float ChainEndGap(int32_t a, int32_t b);

// Joins chain b onto chain a (with autoFlip, at the nearest pair of ends) and
// removes chain b. Returns the merged chain's new index, or -1 with nothing
// changed when the pair cannot be merged.
int32_t MergeChainPair(std::vector<ChainRecord>& chains, bool autoFlip, int32_t a, int32_t b);
