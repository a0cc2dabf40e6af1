// Five float planes of the output frame's size that collect the stroke before
// a single composite, so overlapping pieces never blend into each other.
#pragma once

#include <cstddef>
#include <vector>

#include "host_interface/host_frame.h"

struct StrokeLayer {
  std::vector<float> coverage;  // highest coverage written so far (with Reveal Original: × source alpha)
  std::vector<float> red;       // colour of the piece that wrote that coverage
  std::vector<float> green;
  std::vector<float> blue;
  std::vector<float> alpha;
};

// Every plane becomes `pixelCount` zeros.
void ResetRenderBuffers(StrokeLayer& layer, size_t pixelCount);

// Coverage at or below this is not composited.
constexpr float kLayerCoverageMin = 0.003f;

// Blends every layer pixel with coverage above kLayerCoverageMin over the
// frame, at opacity min(1, coverage) × alpha. The layer must hold one entry
// per frame pixel.
void CompositeStrokeLayer(const StrokeLayer& layer, const HostFrame& frame);
