// A small glyph image and the chains the module traces in it, for tests that
// pick chains in the windows: the image, the analysis the module's own
// stages make of a frame, and a point on a chain away from its ends.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "host/command_params.h"
#include "host/frame_buffer.h"
#include "model/read_render_settings.h"
#include "render/render_command.h"

inline void FillRect(RgbaImage& image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = x0; x < x1; ++x) {
      std::fill_n(image.pixels.begin() + (static_cast<std::ptrdiff_t>(y) * image.width + x) * 4, 4, uint8_t{255});
    }
  }
}

// A "T" (its bar and its stem are two chains) and a separate upright bar, at
// `scale` times 200 x 100 pixels.
inline RgbaImage GlyphImage(int32_t scale = 1) {
  RgbaImage image{200 * scale, 100 * scale, std::vector<uint8_t>(200 * 100 * 4 * scale * scale, 0)};
  FillRect(image, 20 * scale, 20 * scale, 100 * scale, 26 * scale);
  FillRect(image, 58 * scale, 26 * scale, 64 * scale, 90 * scale);
  FillRect(image, 130 * scale, 10 * scale, 136 * scale, 90 * scale);
  return image;
}

// The chains a render of `input` makes with the host's current values, from
// the same analysis stages the module runs.
inline std::vector<ChainRecord> AnalysedChains(ReferenceHost& host, const HostFrame& input) {
  std::vector<ChainRecord> chains;
  RunWithCommandParams(host, &input, 0, [&](HostInData& in, HostParamDef* params[]) {
    chains = RunAnalysisStages(in, params, input, ReadRenderSettings(params), false).chains;
    return kHostErrorNone;
  });
  return chains;
}

// Halfway along the chain's longest segment, in its own pixels.
inline IntPoint PointOn(const ChainRecord& chain) {
  size_t longest = 1;
  const auto length = [&](size_t k) {
    const int32_t dx = chain.points[k].x - chain.points[k - 1].x;
    const int32_t dy = chain.points[k].y - chain.points[k - 1].y;
    return dx * dx + dy * dy;
  };
  for (size_t k = 2; k < chain.points.size(); ++k) {
    if (length(k) > length(longest)) longest = k;
  }
  return {(chain.points[longest - 1].x + chain.points[longest].x) / 2,
          (chain.points[longest - 1].y + chain.points[longest].y) / 2};
}
