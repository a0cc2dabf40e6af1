// Small operations on whole chains: the orientation key, the end gaps of two
// point runs and the pairwise merge of the render's merge slots.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "skeleton/chain_record.h"
#include "skeleton/points.h"

// Distance of p from the reference plus p.y times weight; smaller is nearer
// the start, and with a positive weight the higher of two equally far points
// scores lower.
float ChainOrderKey(float refX, float refY, float weight, IntPoint p);
inline float ChainOrderKey(FloatPoint ref, float weight, IntPoint p) { return ChainOrderKey(ref.x, ref.y, weight, p); }

// Squared end distances of two non-empty point runs, in the order
// |A.last - B.first|, |A.last - B.last|, |A.first - B.first|, |A.first - B.last|.
std::array<float, 4> SquaredEndGaps(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b);

// Joins chain b onto chain a (with autoFlip, at the nearest pair of ends) and
// removes chain b. Returns the merged chain's new index, or -1 with nothing
// changed when the pair cannot be merged.
int32_t MergeChainPair(std::vector<ChainRecord>& chains, bool autoFlip, int32_t a, int32_t b);
