// The last analysis stage: the ordered chains recentred on the distance
// field, optionally fitted with Bezier curves and flattened again, and
// optionally smoothed by Chaikin subdivision.
#pragma once

#include <cstdint>
#include <vector>

#include "model/render_settings.h"
#include "skeleton/chain_record.h"
#include "skeleton/distance_field.h"

// Segments per Bezier span when fitted chains are turned back into polylines.
constexpr int32_t kBezierFlattenSteps = 12;

// Replaces a fitted chain (inT/outT per point) by kBezierFlattenSteps points per span.
void FlattenBezierChain(ChainRecord& chain);

// Corner cutting, `passes` times; the first and last points stay where they are.
void SubdivideChaikin(ChainRecord& chain, int32_t passes);

// Recentring on the field, the optional Bezier fit with its flattening and
// the optional Chaikin subdivision.
void ShapeChains(std::vector<ChainRecord>& chains, const DistanceField& field, const RenderSettings& settings);
