// The chains of the cleaned skeleton in the mode the settings choose: the
// simple extraction, or with Merge by Shape the retracing graph mode fed with
// the simple chains and one seed per simple chain.
#pragma once

#include <cstdint>
#include <vector>

#include "model/render_settings.h"
#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/points.h"

// Largest ring searched around a simple chain's first point for a stroke end.
constexpr int32_t kSeedRingRadius = 5;

// Simple extraction, or with Merge by Shape the graph mode. Only the values
// of AnalysisSettingsOf(settings) are read.
std::vector<ChainRecord> ExtractRenderChains(const ByteMask& skeleton, const RenderSettings& settings);

// For every chain with points, a stroke end (a set pixel with one neighbour)
// nearest its first point within kSeedRingRadius rings, else the first point.
std::vector<FloatPoint> FindChainSeeds(const ByteMask& skeleton, const std::vector<ChainRecord>& chains);
