// Animations rendered by the built module through the reference host.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "host/animation_render.h"
#include "host/frame_buffer.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "tests/host/ink_image.h"
#include "tests/host/reference_host_fixture.h"

namespace {

constexpr int32_t kFrames = 11;

OwnedFrame InkFrame(int32_t width, int32_t height, uint32_t seed, int32_t depth) {
  return FrameFromImage(InkImage(width, height, seed), depth);
}

struct Animation {
  bool ok = false;
  std::string error;
  std::vector<std::vector<uint8_t>> frames;  // by frame index
  std::vector<int32_t> deliveries;           // how often each frame arrived
};

Animation Animate(ReferenceHost& host, const OwnedFrame& input, const FrameTiming& timing, int32_t threads,
                  int32_t failAtFrame = -1) {
  Animation animation;
  animation.frames.resize(kFrames);
  animation.deliveries.assign(kFrames, 0);
  std::mutex mutex;
  OwnedFrame inputCopy = input;
  const HostFrame view = FrameView(inputCopy);
  AnimationJob job;
  job.input = &view;
  job.depth = input.depth;
  job.timing = timing;
  job.frameCount = kFrames;
  job.threads = threads;
  animation.ok = RenderAnimation(
      host, job,
      [&](int32_t frame, const HostFrame& output, std::string& error) {
        if (frame == failAtFrame) {
          error = "sink refused";
          return false;
        }
        const auto* bytes = static_cast<const uint8_t*>(output.pixels);
        std::lock_guard<std::mutex> lock(mutex);
        animation.frames[static_cast<size_t>(frame)].assign(bytes, bytes + output.rowBytes * output.height);
        ++animation.deliveries[static_cast<size_t>(frame)];
        return true;
      },
      animation.error);
  return animation;
}

void Assign(ReferenceHost& host, const std::string& assignment) {
  std::string error;
  ASSERT_TRUE(ApplyParamAssignment(host.instance, assignment, error)) << assignment << ": " << error;
}

}  // namespace

TEST(AnimationRender, WriteOnFramesMatchSingleRendersOnAnyNumberOfThreads) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  FrameTiming timing;
  std::string error;
  ASSERT_TRUE(ParseFrameRate("10", timing, error));
  Assign(*host, "Composite on Original=on");
  Assign(*host, "Line Color=#FF2000");
  Assign(*host, "Line Width=3");
  ASSERT_TRUE(ApplyParamKeyframes(host->instance, "Reveal Progress (%)=0@0,100@1", timing, error)) << error;
  for (int32_t depth : {8, 16}) {
    SCOPED_TRACE(depth);
    const OwnedFrame input = InkFrame(120, 72, 5, depth);
    const Animation oneByOne = Animate(*host, input, timing, 1);
    ASSERT_TRUE(oneByOne.ok) << oneByOne.error;
    EXPECT_EQ(oneByOne.deliveries, std::vector<int32_t>(kFrames, 1));
    const Animation atOnce = Animate(*host, input, timing, 8);
    ASSERT_TRUE(atOnce.ok) << atOnce.error;
    EXPECT_EQ(atOnce.deliveries, std::vector<int32_t>(kFrames, 1));
    for (int32_t i = 0; i < kFrames; ++i) EXPECT_TRUE(atOnce.frames[i] == oneByOne.frames[i]) << "frame " << i;

    // Progress 0: the original and no stroke; the last frame is the one the
    // host renders by itself at that time, and the frames between differ.
    EXPECT_TRUE(oneByOne.frames.front() == input.storage);
    OwnedFrame inputCopy = input;
    OwnedFrame last = MakeFrame(input.width, input.height, depth);
    ASSERT_EQ(RenderFrame(*host, FrameView(inputCopy), FrameView(last), (kFrames - 1) * timing.timeStep),
              kHostErrorNone);
    EXPECT_TRUE(oneByOne.frames.back() == last.storage);
    EXPECT_FALSE(oneByOne.frames[kFrames / 2] == oneByOne.frames.front());
    EXPECT_FALSE(oneByOne.frames[kFrames / 2] == oneByOne.frames.back());
  }
}

TEST(AnimationRender, StopsAtTheFirstFailureWithItsReason) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const OwnedFrame input = InkFrame(48, 32, 2, 8);
  const Animation animation = Animate(*host, input, FrameTiming{}, 1, 3);
  EXPECT_FALSE(animation.ok);
  EXPECT_EQ(animation.error, "sink refused");
  EXPECT_EQ(animation.deliveries, (std::vector<int32_t>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
}
