#include "render/stroke_layer.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "render/pixel_access.h"

void ResetRenderBuffers(StrokeLayer& layer, size_t pixelCount) {
  layer.coverage.assign(pixelCount, 0.0f);
  layer.red.assign(pixelCount, 0.0f);
  layer.green.assign(pixelCount, 0.0f);
  layer.blue.assign(pixelCount, 0.0f);
  layer.alpha.assign(pixelCount, 0.0f);
}

void CompositeStrokeLayer(const StrokeLayer& layer, const HostFrame& frame) {
  if (frame.width <= 0 || frame.height <= 0) return;
  const size_t width = static_cast<size_t>(frame.width);
  if (layer.coverage.size() < width * static_cast<size_t>(frame.height)) {
    throw std::logic_error("stroke layer smaller than the frame it is composited on");
  }
  for (int32_t y = 0; y < frame.height; ++y) {
    for (int32_t x = 0; x < frame.width; ++x) {
      const size_t i = static_cast<size_t>(y) * width + static_cast<size_t>(x);
      const float coverage = layer.coverage[i];
      if (coverage > kLayerCoverageMin) {
        BlendPixel(frame, x, y, layer.red[i], layer.green[i], layer.blue[i],
                   std::min(1.0f, coverage) * layer.alpha[i]);
      }
    }
  }
}
