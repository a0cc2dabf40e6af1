// The frame's chains from its thinned skeleton: trace, simplify, reach out to
// nearby chains, join meeting ends, close loops, drop scraps, bridge gaps.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/chain_owner_map.h"
#include "skeleton/chain_record.h"
#include "skeleton/turn_prediction.h"

// Largest end-to-end distance joined, and first-to-last distance closed,
// before the Gap Close stage.
constexpr float kEndJoinDistance = 2.5f;
// Search radius (exclusive) for a chain end reaching out to another chain.
constexpr float kNearbyChainRadius = 2.501f;

struct SimpleExtraction {
  float gapClose = 0.0f;   // Gap Close: ends this near join, and meeting ends close, after the scraps go
  float minLength = 0.0f;  // Min Chain Length: shorter open chains of under 5 points go
  JunctionTracing tracing;
};

std::vector<ChainRecord> ExtractChainsSimple(const ByteMask& mask, const SimpleExtraction& options);

// The raw traces of the extraction, before simplification: first from every
// interior end pixel, then from every interior skeleton pixel still free, in
// scan order. Traces of fewer than 3 pixels are left out (their pixels are
// still taken).
std::vector<ChainRecord> TraceSkeletonPieces(const ByteMask& mask, JunctionTracing tracing);

// Records which chain's rasterised outline covers each pixel; later chains win.
ChainOwnerMap BuildChainOwnerMap(const std::vector<ChainRecord>& chains, int32_t width);

// Extends the start (or end) of chains[chainIndex] by the nearest pixel within
// kNearbyChainRadius that another chain owns; the first in scan order wins ties.
void ExtendToNearbyChain(std::vector<ChainRecord>& chains, int32_t width, int32_t height, const ChainOwnerMap& owner,
                          int32_t chainIndex, bool atStart);

// Joins the first pair of open chains (in list order) whose nearest ends lie
// within threshold, simplifies the result, and starts over until no pair joins.
void JoinChainEnds(std::vector<ChainRecord>& chains, float threshold);

// Marks open chains of at least 4 points whose first and last points lie
// within threshold as closed.
void CloseChainsWithMeetingEnds(std::vector<ChainRecord>& chains, float threshold);
