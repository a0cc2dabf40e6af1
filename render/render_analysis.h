// The analysis half of the render: from the sampled mask to the final ordered
// chains, keeping what each stage produced. The render and the `spindrel
// analyse` command both go through these functions.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_frame.h"
#include "host_interface/host_records.h"
#include "model/chain_blobs.h"
#include "model/render_settings.h"
#include "render/frame_state.h"
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

// What the drawing stages receive: the analysis, the layer drawn over or
// revealed, and the frame to fill. Valid while all three live.
RenderFrameState MakeFrameState(const RenderAnalysis& analysis, const HostFrame& source, HostFrame& output);

// The clean-up's share of the settings.
SkeletonCleanup SkeletonCleanupOf(const RenderSettings& settings);

// Where the saved chain edits come from. Without a host (both null) the
// draw-order table and the pending selection merge are skipped.
struct SavedEditSource {
  const HostInData* in = nullptr;
  HostParamDef** params = nullptr;
};

// Stages 2 and 3: the Map Layer when one is chosen and has pixels, checked
// out for the current time and checked in right after sampling, otherwise
// `input`, sampled into a mask.
ByteMask SampleAnalysedLayer(const HostInData& in, const HostFrame& input, const RenderSettings& settings);

// Closing, distance field, thinning, clean-up, extraction, orientation, sort,
// merge and reverse slots, the draw-order table (count 0: none) and shaping,
// in that order; the chains are numbered as they then stand. Only the values
// of AnalysisSettingsOf(settings) are read.
RenderAnalysis AnalyseToShapedChains(const RenderSettings& settings, ByteMask sampled, const DrawOrderBlob& drawOrder,
                                     bool keepIntermediates);

// AnalyseToShapedChains with the saved draw-order table of `edits`, then the
// pending selection merge.
RenderAnalysis AnalyseSampledMask(const RenderSettings& settings, ByteMask sampled, const SavedEditSource& edits,
                                  bool keepIntermediates);

// Sampling of the layer followed by AnalyseSampledMask.
RenderAnalysis AnalyseLayer(const RenderSettings& settings, const HostFrame& layer, const SavedEditSource& edits,
                            bool keepIntermediates);

// SampleAnalysedLayer followed by AnalyseSampledMask with the saved edits of
// `params`: every analysis stage of a render, computed anew.
RenderAnalysis RunAnalysisStages(const HostInData& in, HostParamDef* params[], const HostFrame& input,
                                 const RenderSettings& settings, bool keepIntermediates);
