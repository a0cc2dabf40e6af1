// From the cleaned skeleton to the final ordered chain list: extraction in
// both modes, orientation and sort toward the Start Point, the user's saved
// edits (merge slots, reverse slots, draw-order table, pending selection
// merge) and the shaping (recentring, Bezier flattening, Chaikin subdivision).
// Everything here is pure; render/saved_chain_edits.h reads the saved tables
// from the host.
#pragma once

#include <cstdint>
#include <vector>

#include "model/chain_blobs.h"
#include "model/render_settings.h"
#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/distance_field.h"
#include "skeleton/geometry_types.h"

// Weight of y in the order key: of two points equally far from the Start
// Point, the higher one leads.
constexpr float kOrderKeyYWeight = 0.25f;
// Segments per Bezier span when fitted chains are turned back into polylines.
constexpr int32_t kBezierFlattenSteps = 12;
// Largest ring searched around a simple chain's first point for a stroke end.
constexpr int32_t kSeedRingRadius = 5;

// Simple extraction, or with Merge by Shape the retracing graph mode fed with
// the simple chains and one seed per simple chain.
std::vector<ChainRecord> ExtractRenderChains(const ByteMask& skeleton, const RenderSettings& settings);

// For every chain with points, a stroke end (a set pixel with one neighbour)
// nearest its first point within kSeedRingRadius rings, else the first point.
std::vector<FloatPoint> FindChainSeeds(const ByteMask& skeleton, const std::vector<ChainRecord>& chains);

// Open chains start at the end with the smaller order key; closed chains start
// at their smallest-key point, run toward smaller x and end on a repeat of it.
void OrientChains(std::vector<ChainRecord>& chains, float startX, float startY);

// Ascending squared distance of the first point to the Start Point; equal
// distances keep their order, chains without points go last.
void SortChainsByStartDistance(std::vector<ChainRecord>& chains, float startX, float startY);

// Slot by slot, merges chain B into chain A (1-based, 0 = off). Later slots
// count against the list as earlier merges left it.
void ApplyMergeSlots(std::vector<ChainRecord>& chains, const MergeSlot (&slots)[kMergeSlotCount], bool autoFlip);

// Reverses each named open chain of at least 2 points (1-based, 0 = off).
void ApplyReverseSlots(std::vector<ChainRecord>& chains, const int32_t (&slots)[kMergeSlotCount]);

// Moves chains to the positions of the table; the first entry claiming a
// position or a chain wins, entries outside the list are ignored and the
// unclaimed chains fill the free positions in their current order.
void ApplyDrawOrderTable(std::vector<ChainRecord>& chains, const DrawOrderBlob& table);

// Replaces a fitted chain (inT/outT per point) by kBezierFlattenSteps points per span.
void FlattenBezierChain(ChainRecord& chain);

// Corner cutting, `passes` times; the first and last points stay where they are.
void SubdivideChaikin(ChainRecord& chain, int32_t passes);

// Recentring on the field, the optional Bezier fit with its flattening and
// the optional Chaikin subdivision.
void ShapeChains(std::vector<ChainRecord>& chains, const DistanceField& field, int32_t maskWidth,
                 int32_t maskHeight, const RenderSettings& settings);

// Chain numbers shown to the user: position + 1.
std::vector<int32_t> ChainLabels(size_t chainCount);

// Carries out a pending merge request of the saved selection. Returns true
// when the request was consumed and the selection cleared, so the caller must
// mark the Chain Selection parameter as changed.
bool ApplyPendingSelectionMerge(std::vector<ChainRecord>& chains, bool autoFlip, ChainSelectionBlob& selection);
