// Everything the analysis of a render reads, in one place: the settings that
// the stages from the closing to the shaping use, and a key that holds all of
// a render's analysis inputs byte for byte, so that two renders with equal
// keys have equal analyses.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_records.h"
#include "model/chain_blobs.h"
#include "model/render_settings.h"
#include "skeleton/byte_mask.h"

// A RenderSettings holding only the values the analysis stages read, every
// other field at its default. The analysis always runs on this copy, so it
// cannot depend on anything its key leaves out.
RenderSettings AnalysisSettingsOf(const RenderSettings& settings);

struct AnalysisKey {
  std::vector<uint8_t> bytes;  // the inputs, laid out one after the other
  uint64_t hash = 0;           // of `bytes`, to tell most keys apart quickly
};

inline bool SameAnalysisKey(const AnalysisKey& a, const AnalysisKey& b) {
  return a.hash == b.hash && a.bytes == b.bytes;
}

// The key of an analysis: the sampled mask (its size and every cell), the
// analysis settings, the draw-order table (only what the draw-order stage
// reads; an absent table counts as an empty one) and the host's downsample
// factors. Mask cells must be 0 or 1, as sampling makes them.
AnalysisKey MakeAnalysisKey(const ByteMask& sampled, const RenderSettings& settings, const DrawOrderBlob& drawOrder,
                            HostRatio downsampleX, HostRatio downsampleY);
