// The order of the chains: each starts at its end nearer the Start Point and
// they are drawn nearest first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skeleton/chain_record.h"

// Weight of y in the order key: of two points equally far from the Start
// Point, the higher one leads.
constexpr float kOrderKeyYWeight = 0.25f;

// Open chains start at the end with the smaller order key; closed chains start
// at their smallest-key point, run toward smaller x and end on a repeat of it.
void OrientChains(std::vector<ChainRecord>& chains, float startX, float startY);

// Open chains of at least 2 points start at their end nearer (by squared
// distance) the Start Point; the simple chains handed to the graph mode.
void PointOpenChainsAtStart(std::vector<ChainRecord>& chains, float startX, float startY);

// Ascending squared distance of the first point to the Start Point; equal
// distances keep their order, chains without points go last.
void SortChainsByStartDistance(std::vector<ChainRecord>& chains, float startX, float startY);

// Chain numbers shown to the user: position + 1.
std::vector<int32_t> ChainLabels(size_t chainCount);
