// Small operations on whole chains: the orientation key and the pairwise
// merge of the render's merge slots and the saved selection.
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

// Joins chain b onto chain a (with autoFlip, at the nearest pair of ends,
// skeleton/end_pairing.h; the first of equal squared gaps wins) and
// removes chain b. Returns the merged chain's new index, or -1 with nothing
// changed when the pair cannot be merged.
int32_t MergeChainPair(std::vector<ChainRecord>& chains, bool autoFlip, int32_t a, int32_t b);
