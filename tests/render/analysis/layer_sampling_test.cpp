#include "render/analysis/layer_sampling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "render/drawing/pixel_access.h"
#include "tests/render/render_test_helpers.h"
#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::RowsOf;

// The sampling written the plain way, pixel by pixel through GetPixelFloat:
// the reference the fast sampler must match byte for byte.
namespace plain {

ByteMask SampleLayerMask(const HostFrame& layer, int32_t channel, bool invertInput, int32_t threshold) {
  ByteMask mask = EmptyMask(layer.width, layer.height);
  if (layer.pixels == nullptr) return mask;
  for (int32_t y = 0; y < mask.height; ++y) {
    for (int32_t x = 0; x < mask.width; ++x) {
      const RgbaFloat p = GetPixelFloat(layer, x, y);
      float v;
      switch (channel) {
        case 2: v = p.red; break;
        case 3: v = p.green; break;
        case 4: v = p.blue; break;
        case 5: v = p.alpha; break;
        default: v = p.green * 0.587f + p.red * 0.2989f + p.blue * 0.114f; break;
      }
      if (invertInput) v = 1.0f - v;
      if (channel != 5) v = p.alpha * v;
      mask.cells[GridIndex(mask.width, x, y)] = v * 255.0f >= static_cast<float>(threshold) ? 1 : 0;
    }
  }
  return mask;
}

}  // namespace plain

TEST(MaskSampling, ChannelsInversionAndAlphaAtEveryDepth) {
  // Opaque white, opaque black, transparent white, opaque pure red.
  const RgbaFloat pixels[] = {{1, 1, 1, 1}, {0, 0, 0, 1}, {1, 1, 1, 0}, {1, 0, 0, 1}};
  const std::tuple<int32_t, bool, int32_t, std::string> cases[] = {
      {1, false, 128, "#..."},  // red alone is 0.2989 luminance
      {1, false, 76, "#..#"},   {1, true, 128, ".#.#"},  // transparent stays background when inverted
      {2, false, 128, "#..#"},  {3, false, 128, "#..."}, {5, false, 128, "##.#"},
      {5, true, 128, "..#."},   // inverted alpha: the transparent pixel is ink
      {1, false, 0, "####"},    {2, false, 255, "#..#"},  // 255 needs exactly 1.0
  };
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(4, 1, depth);
    for (int32_t x = 0; x < 4; ++x) FillRect(f.frame, x, 0, x + 1, 1, pixels[x]);
    for (const auto& [channel, invert, threshold, expected] : cases) {
      EXPECT_EQ(RowsOf(SampleLayerMask(f.frame, channel, invert, threshold)), std::vector<std::string>{expected})
          << "channel " << channel << " invert " << invert << " threshold " << threshold;
    }
  }
  const HostFrame none{nullptr, 20, 5, 3};  // a layer without pixels samples as empty
  EXPECT_EQ(RowsOf(SampleLayerMask(none, 1, true, 0)), std::vector<std::string>(3, "....."));
}

// Frames with random colours, partial alpha and, at 32 bits, values out of
// range; with `runs`, most pixels repeat their left neighbour, as in real layers.
TestFrame RandomFrame(std::mt19937& rng, int32_t w, int32_t h, PixelDepth depth, bool runs) {
  TestFrame f = MakeTestFrame(w, h, depth, static_cast<int32_t>(rng() % 3) * 4);
  const float specials[] = {0.0f, 1.0f, -0.25f, 1.5f, 0.5f, 128.0f / 255.0f, 0.50196081f};
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (runs && x > 0 && rng() % 16 != 0) {
        const size_t bytes = static_cast<size_t>(f.frame.rowBytes / w);
        unsigned char* at = static_cast<unsigned char*>(f.frame.pixels) + static_cast<size_t>(y) * f.frame.rowBytes;
        std::memcpy(at + x * bytes, at + (x - 1) * bytes, bytes);
        continue;
      }
      auto channel = [&] {
        if (depth == PixelDepth::k32BitFloat && rng() % 8 == 0) return specials[rng() % 7];
        return static_cast<float>(rng() % 256) / 255.0f;
      };
      const float r = channel(), g = channel(), b = channel();
      const float a = rng() % 3 == 0 ? channel() : 1.0f;
      SetPixelFloat(f.frame, x, y, r, g, b, a);
    }
  }
  return f;
}

TEST(MaskStagesPlain, SamplingMatchesAtEveryDepthChannelInversionAndThreshold) {
  std::mt19937 rng(5);
  for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 2}, {1, 17}, {37, 23}, {120, 64}, {4099, 3}}) {
    for (auto [depth, runs] : {std::pair{PixelDepth::k8Bit, false}, {PixelDepth::k8Bit, true},
                               {PixelDepth::k16Bit, false}, {PixelDepth::k16Bit, true},
                               {PixelDepth::k32BitFloat, false}, {PixelDepth::k32BitFloat, true}}) {
      const TestFrame f = RandomFrame(rng, w, h, depth, runs);
      for (int32_t channel : {0, 1, 2, 3, 4, 5, 6}) {
        for (bool invert : {false, true}) {
          for (int32_t threshold : {0, 1, 127, 128, 200, 255, 256, -3}) {
            ASSERT_EQ(SampleLayerMask(f.frame, channel, invert, threshold).cells,
                      plain::SampleLayerMask(f.frame, channel, invert, threshold).cells)
                << w << "x" << h << " depth " << static_cast<int>(depth) << " channel " << channel << " invert "
                << invert << " threshold " << threshold;
          }
        }
      }
    }
  }
}

}  // namespace
