// Whole renders of the built module through the reference host: threads,
// depths and a few golden images.
//
// Golden images are checked by a hash of the output frame's bytes. When a
// change to the drawing is meant to change them, run
//   SPINDREL_PRINT_GOLDEN_HASHES=1 ./spindrel_tests --gtest_filter='RenderGolden*'
// which prints the new hashes instead of failing, and paste them below.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/synthetic_text.h"
#include "host/frame_buffer.h"
#include "host/param_value_text.h"
#include "host/reference_host.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

// The Taper label holds an '=', so it is named by its id.
const std::string kTaper = std::to_string(PARAM_TAPER);

// Ink opaque white, background transparent: values every depth holds exactly.
RgbaImage InkImage(const ByteMask& mask) {
  RgbaImage image;
  image.width = mask.width;
  image.height = mask.height;
  image.pixels.assign(static_cast<size_t>(mask.width) * mask.height * 4, 0);
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    if (mask.cells[i] != 0) std::fill_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(i * 4), 4, uint8_t{255});
  }
  return image;
}

void Assign(ReferenceHost& host, const std::string& assignment) {
  std::string error;
  ASSERT_TRUE(ApplyParamAssignment(host.instance, assignment, error)) << assignment << ": " << error;
}

OwnedFrame RenderImage(ReferenceHost& host, const RgbaImage& image, int32_t depth, int32_t time = 0) {
  OwnedFrame input = FrameFromImage(image, depth);
  OwnedFrame output = MakeFrame(image.width, image.height, depth);
  EXPECT_EQ(RenderFrame(host, FrameView(input), FrameView(output), time), kHostErrorNone);
  return output;
}

TEST(RenderEndToEnd, ConcurrentRendersMatchSequentialOnesByteForByte) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  Assign(*host, "Reveal Progress (%)=70");
  Assign(*host, "Enable Dashes=on");
  Assign(*host, "Enable Particles=on");
  Assign(*host, "Natural Speed=on");
  Assign(*host, "Match Original Width=on");
  constexpr int kFrames = 8;
  std::vector<RgbaImage> inputs;
  for (int i = 0; i < kFrames; ++i) inputs.push_back(InkImage(synthetic_text::MakeTextMask(160, 96, 11 + i)));

  std::vector<std::vector<uint8_t>> sequential;
  for (int i = 0; i < kFrames; ++i) sequential.push_back(RenderImage(*host, inputs[i], 8 << (i % 3), i).storage);

  std::vector<std::vector<uint8_t>> concurrent(kFrames);
  std::vector<std::thread> threads;
  for (int i = 0; i < kFrames; ++i) {
    threads.emplace_back([&, i] { concurrent[i] = RenderImage(*host, inputs[i], 8 << (i % 3), i).storage; });
  }
  for (std::thread& t : threads) t.join();
  for (int i = 0; i < kFrames; ++i) EXPECT_TRUE(concurrent[i] == sequential[i]) << "frame " << i;
}

TEST(RenderEndToEnd, DepthsAgreeWithinOneEightBitStep) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const RgbaImage input = InkImage(synthetic_text::MakeTextMask(200, 120, 5));
  const std::string variants[][3] = {
      {"Reveal Progress (%)=100", "Line Width=4", "Line Cap=1"},
      {"Reveal Progress (%)=55", kTaper + "=70", "Use Gradient=on"},
      {"Composite on Original=on", "Reveal Progress (%)=40", "Line Color=#FF8020"},
  };
  for (const auto& variant : variants) {
    for (const std::string& assignment : variant) Assign(*host, assignment);
    OwnedFrame eightFrame = RenderImage(*host, input, 8);
    const RgbaImage eight = ImageFromFrame(FrameView(eightFrame));
    for (int32_t depth : {16, 32}) {
      OwnedFrame frame = RenderImage(*host, input, depth);
      const RgbaImage deep = ImageFromFrame(FrameView(frame));
      int32_t worst = 0;
      for (size_t i = 0; i < eight.pixels.size(); ++i) {
        worst = std::max(worst, std::abs(static_cast<int32_t>(eight.pixels[i]) - deep.pixels[i]));
      }
      EXPECT_LE(worst, 1) << variant[0] << ", depth " << depth;
    }
  }
}

// ---------------------------------------------------------------------------
// Golden images.

// Letter-like shapes from integer geometry only, so every platform builds the
// same input: an O, an L, an X, a T and a dot.
ByteMask GoldenLetters() {
  ByteMask mask;
  mask.width = 120;
  mask.height = 48;
  mask.cells.assign(static_cast<size_t>(mask.width) * mask.height, 0);
  auto set = [&mask](int32_t x, int32_t y) { mask.cells[static_cast<size_t>(y) * mask.width + x] = 1; };
  for (int32_t y = 0; y < mask.height; ++y) {
    for (int32_t x = 0; x < mask.width; ++x) {
      const int32_t dx = x - 18, dy = y - 24;
      const int32_t r2 = dx * dx + dy * dy;
      if (r2 <= 15 * 15 && r2 >= 10 * 10) set(x, y);                                  // O
      if ((x >= 38 && x < 43 && y >= 8 && y < 42) || (x >= 38 && x < 60 && y >= 37 && y < 42)) set(x, y);  // L
      const int32_t u = x - 64, v = y - 8;
      if (u >= 0 && u < 30 && v >= 0 && v < 34 && (std::abs(u - v) <= 2 || std::abs(u + v - 30) <= 2)) set(x, y);  // X
      if ((x >= 96 && x < 118 && y >= 8 && y < 13) || (x >= 105 && x < 110 && y >= 8 && y < 42)) set(x, y);  // T
    }
  }
  return mask;
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 1469598103934665603ull;
  for (uint8_t b : bytes) {
    hash ^= b;
    hash *= 1099511628211ull;
  }
  return hash;
}

struct GoldenCase {
  const char* name;
  int32_t depth;
  std::vector<std::string> settings;
  uint64_t hash;
};

TEST(RenderGolden, FixedInputsAndSettingsKeepTheirPixels) {
  const bool print = std::getenv("SPINDREL_PRINT_GOLDEN_HASHES") != nullptr;
  const std::vector<GoldenCase> cases = {
      {"defaults", 8, {}, 0xff07fa4196b8c5e7ull},
      {"half revealed, staggered, tapered gradient", 8,
       {"Reveal Progress (%)=50", "Chain Stagger (%)=30", "Natural Speed=on", kTaper + "=60",
        "Line Cap=2", "Use Gradient=on", "Line Color End=#2040FF"},
       0x168f4e126e3f4b2aull},
      {"merge by shape, fitted, subdivided, dashed, at 16 bits", 16,
       {"Merge by Shape (retrace)=on", "Use Bezier Fit=on", "Subdivide (smoothness)=2", "Enable Dashes=on",
        "Dash Length (px)=6", "Gap Length (px)=4", "Match Original Width=on", "Reveal Progress (%)=80"},
       0xe42b755a61b6e15bull},
      {"preview with particles, at 32 bits", 32, {"Preview Chains=on", "Enable Particles=on", "Line Width=3"},
       0xae56528fc496e540ull},
  };
  const RgbaImage input = InkImage(GoldenLetters());
  for (const GoldenCase& c : cases) {
    auto host = OpenSetUpHost();
    ASSERT_NE(host, nullptr);
    Assign(*host, "Start Point=0,0");
    for (const std::string& assignment : c.settings) Assign(*host, assignment);
    const uint64_t hash = Fnv1a(RenderImage(*host, input, c.depth).storage);
    if (print) {
      std::printf("golden \"%s\": 0x%016llxull\n", c.name, static_cast<unsigned long long>(hash));
    } else {
      EXPECT_EQ(hash, c.hash) << c.name;
    }
  }
}

}  // namespace
