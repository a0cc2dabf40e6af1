// Whole renders of the built module through the reference host: threads, depths and golden images.
#include <gtest/gtest.h>

#include <algorithm>
#include <ios>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bench/synthetic_text.h"
#include "host/frame_buffer.h"
#include "host/param_value_text.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

// Ink opaque white, background transparent: values every depth holds exactly.
RgbaImage InkImage(const ByteMask& mask) {
  RgbaImage image{mask.width, mask.height, std::vector<uint8_t>(mask.cells.size() * 4, 0)};
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = mask.cells[i / 4] != 0 ? 255 : 0;
  return image;
}

std::unique_ptr<ReferenceHost> HostWith(const std::vector<std::string>& assignments) {
  std::unique_ptr<ReferenceHost> host = OpenSetUpHost();
  std::string error;
  for (const std::string& assignment : assignments) {
    EXPECT_TRUE(host != nullptr && ApplyParamAssignment(host->instance, assignment, error)) << assignment << error;
  }
  return host;
}

OwnedFrame RenderAt(ReferenceHost& host, const RgbaImage& image, int32_t depth, int32_t time = 0) {
  OwnedFrame input = FrameFromImage(image, depth);
  OwnedFrame output = MakeFrame(image.width, image.height, depth);
  EXPECT_EQ(RenderFrame(host, FrameView(input), FrameView(output), time), kHostErrorNone);
  return output;
}

TEST(RenderThreads, ConcurrentRendersMatchSequentialOnesByteForByte) {
  auto host = HostWith({"Reveal Progress (%)=70", "Enable Dashes=on", "Enable Particles=on", "Natural Speed=on",
                        "Match Original Width=on"});
  ASSERT_NE(host, nullptr);
  std::vector<RgbaImage> inputs;
  std::vector<std::vector<uint8_t>> sequential, concurrent(8);
  for (int i = 0; i < 8; ++i) {
    inputs.push_back(InkImage(synthetic_text::MakeTextMask(160, 96, 11 + i)));
    sequential.push_back(RenderAt(*host, inputs[i], 8 << (i % 3), i).storage);
  }
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] { concurrent[i] = RenderAt(*host, inputs[i], 8 << (i % 3), i).storage; });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_TRUE(concurrent == sequential);
}

TEST(RenderEndToEnd, DepthsAgreeWithinOneEightBitStep) {
  const RgbaImage input = InkImage(synthetic_text::MakeTextMask(200, 120, 5));
  for (const std::vector<std::string>& variant :
       {std::vector<std::string>{"Reveal Progress (%)=100", "Line Width=4", "Line Cap=1"},
        {"Reveal Progress (%)=55", std::to_string(PARAM_TAPER) + "=70", "Use Gradient=on"},
        {"Composite on Original=on", "Reveal Progress (%)=40", "Line Color=#FF8020"}}) {
    auto host = HostWith(variant);
    ASSERT_NE(host, nullptr);
    std::vector<std::vector<uint8_t>> eightBit;
    for (int32_t depth : {8, 16, 32}) {
      OwnedFrame frame = RenderAt(*host, input, depth);
      eightBit.push_back(ImageFromFrame(FrameView(frame)).pixels);
    }
    for (size_t d = 1; d < 3; ++d) {
      int32_t worst = 0;
      for (size_t i = 0; i < eightBit[0].size(); ++i) {
        worst = std::max(worst, std::abs(eightBit[0][i] - eightBit[d][i]));
      }
      EXPECT_LE(worst, 1) << variant[0] << ", depth " << (8 << d);
    }
  }
}

// An O, an L, an X and a T from integer geometry only, so every platform builds the same input.
ByteMask GoldenLetters() {
  ByteMask mask{std::vector<uint8_t>(120 * 48, 0), 120, 48};
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 120; ++x) {
      const int32_t r2 = (x - 18) * (x - 18) + (y - 24) * (y - 24), u = x - 64, v = y - 8;
      const bool o = r2 <= 15 * 15 && r2 >= 10 * 10;
      const bool l = x >= 38 && y >= 8 && y < 42 && (x < 43 || (x < 60 && y >= 37));
      const bool cross = u >= 0 && u < 30 && v >= 0 && v < 34 && (std::abs(u - v) <= 2 || std::abs(u + v - 30) <= 2);
      const bool t = (x >= 96 && x < 118 && y >= 8 && y < 13) || (x >= 105 && x < 110 && y >= 8 && y < 42);
      mask.cells[static_cast<size_t>(y) * 120 + x] = o || l || cross || t;
    }
  }
  return mask;
}

TEST(RenderGolden, FixedInputsAndSettingsKeepTheirPixels) {
  const std::tuple<int32_t, std::vector<std::string>, uint64_t> cases[] = {
      {8, {}, 0xff07fa4196b8c5e7ull},
      {8, {"Reveal Progress (%)=50", "Chain Stagger (%)=30", "Natural Speed=on", std::to_string(PARAM_TAPER) + "=60",
           "Line Cap=2", "Use Gradient=on", "Line Color End=#2040FF"},
       0x168f4e126e3f4b2aull},
      {16, {"Merge by Shape (retrace)=on", "Use Bezier Fit=on", "Subdivide (smoothness)=2", "Enable Dashes=on",
            "Dash Length (px)=6", "Gap Length (px)=4", "Match Original Width=on", "Reveal Progress (%)=80"},
       0xe42b755a61b6e15bull},
      {32, {"Preview Chains=on", "Enable Particles=on", "Line Width=3"}, 0xae56528fc496e540ull},
      {16, {"Reveal Progress (%)=60", "Enable Particles=on", "Tip Mode=on", "Scatter (px)=6", "Flow Direction (%)=30",
            "Turbulence (%)=50", "Tip Scatter Falloff (%)=50", "Random Colors=on", "Density (per 100px)=25",
            std::to_string(PARAM_OPACITY) + "=50", "Use Gradient=on", "Line Color End=#2040FF"},
       0x3172a433dc234185ull},
      {8, {"Reveal Original Image=on", "Roughness Amount=60", "Nib Simulation=on", "WP 1 Position=60,24",
           "WP 1 Width (0=off)=12", "Path Offset (%)=30", "Reveal Progress (%)=70", "Line Width=5"},
       0x198f3f3e110ac43bull},
      {16, {"Outline Only=on", std::to_string(PARAM_MULTI_STROKE_ENABLE) + "=on", "Line Width=4"},
       0x5c64491d4d14bab3ull},
      {32, {"Min Chain Length=200", "Line Width=3"}, 0xc2a86728158cd3abull},  // no chains: the skeleton as discs
  };
  const RgbaImage input = InkImage(GoldenLetters());
  for (const auto& [depth, settings, expected] : cases) {
    auto host = HostWith(settings);
    std::string error;
    ASSERT_TRUE(ApplyParamAssignment(host->instance, "Start Point=0,0", error));
    ASSERT_NE(host, nullptr);
    uint64_t hash = 1469598103934665603ull;  // FNV-1a of the output frame's bytes
    for (uint8_t b : RenderAt(*host, input, depth).storage) hash = (hash ^ b) * 1099511628211ull;
    // A change meant to alter the pixels takes the new hash from this message.
    EXPECT_EQ(hash, expected) << (settings.empty() ? "defaults" : settings[0]) << ": now 0x" << std::hex << hash;
  }
}

}  // namespace
