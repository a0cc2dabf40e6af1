// The fast mask stages against their plain versions on generated masks and
// frames: every size class (1 to 3 pixels, ordinary, wider than 4096), ink on
// every border, every option of each stage, all three depths.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "render/mask_building.h"
#include "skeleton/thinning.h"
#include "tests/render/plain_mask_building.h"
#include "tests/render/render_test_helpers.h"
#include "tests/skeleton/test_masks.h"

namespace {

// Generated masks plus the cases the generator does not make: thin and very
// wide frames, and ink touching every border.
std::vector<ByteMask> MaskCases(uint32_t seed) {
  std::vector<ByteMask> masks = test_masks::ManyMasks(12, seed);
  std::mt19937 rng(seed);
  for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {5, 0}, {1, 1}, {1, 9}, {9, 1}, {2, 7}, {7, 2}, {3, 3}, {3, 40},
                      {40, 3}, {4, 4}, {5, 5}, {6, 5}, {4100, 6}, {4103, 37}}) {
    ByteMask full = test_masks::EmptyMask(w, h);
    std::fill(full.cells.begin(), full.cells.end(), uint8_t{1});
    masks.push_back(full);
    ByteMask noise = test_masks::EmptyMask(w, h);
    for (uint8_t& cell : noise.cells) cell = rng() % 3 != 0;
    masks.push_back(noise);
  }
  // Cells above 1 count with their value in neighbour sums; the stages must agree on those too.
  for (ByteMask mask : test_masks::ManyMasks(3, seed + 3, 80)) {
    for (uint8_t& cell : mask.cells) cell = cell != 0 ? static_cast<uint8_t>(1 + rng() % 3 / 2) : 0;
    masks.push_back(mask);
  }
  ByteMask text = synthetic_text::MakeTextMask(4200, 48, seed, 30);
  masks.push_back(text);
  // Ink on every border: a frame whose edge rows and columns are set.
  for (ByteMask mask : test_masks::ManyMasks(2, seed + 7, 60)) {
    for (int32_t x = 0; x < mask.width; ++x) MaskSet(mask, x, 0, 1), MaskSet(mask, x, mask.height - 1, 1);
    for (int32_t y = 0; y < mask.height; ++y) MaskSet(mask, 0, y, 1), MaskSet(mask, mask.width - 1, y, 1);
    masks.push_back(mask);
  }
  return masks;
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

TEST(MaskStagesPlain, ClosingCornersSmallShapesAndSpursMatch) {
  for (const ByteMask& original : MaskCases(300)) {
    const std::string size = std::to_string(original.width) + "x" + std::to_string(original.height);
    ByteMask closed = original, closedPlain = original;
    CloseMask3x3(closed);
    plain::CloseMask3x3(closedPlain);
    ASSERT_EQ(closed.cells, closedPlain.cells) << size;

    // The later stages see thinned masks in the render, and raw ones here too.
    ByteMask thinned = closed;
    ThinZhangSuen(thinned);
    for (const ByteMask& input : {original, thinned}) {
      ByteMask corners = input, cornersPlain = input;
      ClearBlockCorners(corners);
      plain::ClearBlockCorners(cornersPlain);
      ASSERT_EQ(corners.cells, cornersPlain.cells) << size;

      for (int32_t area : {0, 1, 2, 3, 7, 40, 5000}) {
        ByteMask shapes = corners, shapesPlain = corners;
        RemoveSmallShapes(shapes, area);
        plain::RemoveSmallShapes(shapesPlain, area);
        ASSERT_EQ(shapes.cells, shapesPlain.cells) << size << " area " << area;
      }

      DistanceField field;
      DistanceTransform(closed, field);
      for (const DistanceField& f : {field, DistanceField{}}) {
        for (int32_t prune : {0, 3, 12, 50, std::numeric_limits<int32_t>::max()}) {
          ByteMask spurs = corners, spursPlain = corners;
          RemoveSpurs(spurs, f, prune);
          plain::RemoveSpurs(spursPlain, f, prune);
          ASSERT_EQ(spurs.cells, spursPlain.cells) << size << " prune " << prune << " field " << f.size();
        }
      }
    }
  }
}

}  // namespace
