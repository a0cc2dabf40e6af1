// Whole renders of the built module through the reference host: threads and depths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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

}  // namespace
