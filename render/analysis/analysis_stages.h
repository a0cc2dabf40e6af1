// The analysis half of the render: from the sampled mask to the final ordered
// chains, keeping what each stage produced. Plain values in and out; the
// render command (render/render_command.h) feeds it from the host, and the
// `spindrel analyse` command goes through the same functions.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_frame.h"
#include "model/chain_blobs.h"
#include "model/render_settings.h"
#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/distance_field.h"
#include "skeleton/skeleton_cleanup.h"

struct RenderAnalysis {
  int32_t maskWidth = 0;  // the analysed layer's size; chain coordinates are its pixels
  int32_t maskHeight = 0;
  ByteMask sampledMask;   // the layer against the threshold; only when intermediates are kept
  ByteMask closedMask;    // after the 3x3 closing; only when intermediates are kept
  DistanceField field;    // of the closed mask
  ByteMask skeleton;      // thinned and cleaned: the skeleton that was traced
  std::vector<ChainRecord> chains;  // final order; position = chain number - 1
  std::vector<int32_t> labels;      // position + 1, one per chain
};

// The clean-up's share of the settings.
SkeletonCleanup SkeletonCleanupOf(const RenderSettings& settings);

// Closing, distance field, thinning, clean-up, extraction, orientation, sort,
// merge and reverse slots, the draw-order table (count 0: none) and shaping,
// in that order; the chains are numbered as they then stand. Only the values
// of AnalysisSettingsOf(settings) are read.
RenderAnalysis AnalyseToShapedChains(const RenderSettings& settings, ByteMask sampled, const DrawOrderBlob& drawOrder,
                                     bool keepIntermediates);

// The layer sampled, then AnalyseToShapedChains without a draw-order table:
// the analysis of a layer with no saved edits.
RenderAnalysis AnalyseLayer(const RenderSettings& settings, const HostFrame& layer, bool keepIntermediates);
