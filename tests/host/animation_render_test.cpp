// Animations rendered by the built module through the reference host.
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "host/animation_render.h"
#include "host/arb_data_calls.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "model/chain_blobs.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

constexpr int32_t kFrames = 11;

// Frame bytes by index and how often each frame arrived; the first failure's reason.
struct Animation {
  std::vector<std::vector<uint8_t>> frames = std::vector<std::vector<uint8_t>>(kFrames);
  std::vector<int32_t> deliveries = std::vector<int32_t>(kFrames, 0);
  std::string error;
};

Animation Animate(ReferenceHost& host, OwnedFrame input, const FrameTiming& timing, int32_t threads,
                  int32_t failAtFrame = -1) {
  Animation animation;
  std::mutex mutex;
  const HostFrame view = FrameView(input);
  const auto sink = [&](int32_t frame, const HostFrame& output, std::string& error) {
    if (frame == failAtFrame) return error = "sink refused", false;
    const auto* bytes = static_cast<const uint8_t*>(output.pixels);
    std::lock_guard<std::mutex> lock(mutex);
    animation.frames[static_cast<size_t>(frame)].assign(bytes, bytes + output.rowBytes * output.height);
    ++animation.deliveries[static_cast<size_t>(frame)];
    return true;
  };
  const AnimationJob job{&view, input.depth, timing, kFrames, threads};
  const bool ok = RenderAnimation(host, job, sink, animation.error);
  EXPECT_EQ(ok, animation.error.empty());
  return animation;
}

// Ten frames a second: the eleven frames span one second.
FrameTiming TenFramesASecond() {
  FrameTiming timing;
  std::string error;
  EXPECT_TRUE(ParseFrameRate("10", timing, error)) << error;
  return timing;
}

}  // namespace

TEST(AnimationThreads, WriteOnFramesMatchSingleRendersOnAnyNumberOfThreads) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const FrameTiming timing = TenFramesASecond();
  std::string error;
  for (const char* assignment : {"Composite on Original=on", "Line Color=#FF2000", "Line Width=3"}) {
    ASSERT_TRUE(ApplyParamAssignment(host->instance, assignment, error)) << error;
  }
  ASSERT_TRUE(ApplyParamKeyframes(host->instance, "Reveal Progress (%)=0@0,100@1", timing, error)) << error;
  for (int32_t depth : {8, 16, 32}) {
    SCOPED_TRACE(depth);
    OwnedFrame input = FrameFromImage(TextInkImage(120, 72, 5), depth);
    const Animation oneByOne = Animate(*host, input, timing, 1);
    const Animation atOnce = Animate(*host, input, timing, 8);
    ASSERT_EQ(oneByOne.error + atOnce.error, "");
    EXPECT_EQ(oneByOne.deliveries, std::vector<int32_t>(kFrames, 1));
    EXPECT_EQ(atOnce.deliveries, std::vector<int32_t>(kFrames, 1));
    for (int32_t i = 0; i < kFrames; ++i) EXPECT_TRUE(atOnce.frames[i] == oneByOne.frames[i]) << "frame " << i;

    // Progress 0 shows the original alone, the last frame is the host's single render at its time.
    EXPECT_TRUE(oneByOne.frames.front() == input.storage);
    OwnedFrame last = MakeFrame(input.width, input.height, depth);
    ASSERT_EQ(RenderFrame(*host, FrameView(input), FrameView(last), (kFrames - 1) * timing.timeStep),
              kHostErrorNone);
    EXPECT_TRUE(oneByOne.frames.back() == last.storage);
    EXPECT_FALSE(oneByOne.frames[kFrames / 2] == oneByOne.frames.front());
    EXPECT_FALSE(oneByOne.frames[kFrames / 2] == oneByOne.frames.back());
  }
  const HandleStats stats = ReadHandleStats(host->handles);
  EXPECT_EQ(stats.live, 4);
  EXPECT_EQ(stats.locks, stats.unlocks);
  EXPECT_EQ(stats.misuses, 0);
}

TEST(AnimationRender, StopsAtTheFirstFailureWithItsReason) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const Animation animation = Animate(*host, FrameFromImage(TextInkImage(48, 32, 2), 8), FrameTiming{}, 1, 3);
  EXPECT_EQ(animation.error, "sink refused");
  EXPECT_EQ(animation.deliveries, (std::vector<int32_t>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// A saved selection with a pending merge: the first render carries it out and
// clears it. Every frame of a run sees the values of the run's start, so all
// frames merge on one thread as on eight, and the cleared data is taken over
// once the run is done.
TEST(AnimationThreads, PendingMergeActsOnEveryFrameWhateverTheThreadCount) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const FrameTiming timing = TenFramesASecond();
  std::string error;
  ASSERT_TRUE(ApplyParamKeyframes(host->instance, "Reveal Progress (%)=20@0,100@1", timing, error)) << error;
  ASSERT_TRUE(ApplyParamAssignment(host->instance, "Preview Chains=on", error)) << error;  // a colour per chain
  ChainSelectionBlob pending{};
  pending.version = 1;
  pending.count = 2;
  pending.chainIds[1] = 1;  // the two chains of the ink
  pending.mergePending = 1;
  std::vector<uint8_t> pendingBytes(sizeof pending);
  std::memcpy(pendingBytes.data(), &pending, sizeof pending);
  ChainSelectionBlob cleared{};
  cleared.version = 1;
  std::vector<uint8_t> clearedBytes(sizeof cleared);
  std::memcpy(clearedBytes.data(), &cleared, sizeof cleared);

  OwnedFrame input = FrameFromImage(TextInkImage(120, 72, 5), 8);
  const int32_t lastTime = (kFrames - 1) * timing.timeStep;
  const auto single = [&](const std::vector<uint8_t>& selection) {
    EXPECT_EQ(ReplaceCurrentData(*host, PARAM_CHAIN_SELECTION, selection), kHostErrorNone);
    OwnedFrame output = MakeFrame(input.width, input.height, 8);
    EXPECT_EQ(RenderFrame(*host, FrameView(input), FrameView(output), lastTime), kHostErrorNone);
    return output.storage;
  };
  const std::vector<uint8_t> merged = single(pendingBytes);
  ASSERT_FALSE(merged == single(clearedBytes));

  std::vector<Animation> runs;
  for (int32_t threads : {1, 8}) {
    ASSERT_EQ(ReplaceCurrentData(*host, PARAM_CHAIN_SELECTION, pendingBytes), kHostErrorNone);
    runs.push_back(Animate(*host, input, timing, threads));
    ASSERT_EQ(runs.back().error, "");
    std::vector<uint8_t> after;
    ASSERT_EQ(FlattenCurrentData(*host, PARAM_CHAIN_SELECTION, after), kHostErrorNone);
    EXPECT_EQ(after, clearedBytes) << threads << " threads";
  }
  for (int32_t i = 0; i < kFrames; ++i) EXPECT_TRUE(runs[0].frames[i] == runs[1].frames[i]) << "frame " << i;
  EXPECT_TRUE(runs[0].frames.back() == merged);

  // A failed run takes over nothing.
  ASSERT_EQ(ReplaceCurrentData(*host, PARAM_CHAIN_SELECTION, pendingBytes), kHostErrorNone);
  EXPECT_EQ(Animate(*host, input, timing, 4, 5).error, "sink refused");
  std::vector<uint8_t> after;
  ASSERT_EQ(FlattenCurrentData(*host, PARAM_CHAIN_SELECTION, after), kHostErrorNone);
  EXPECT_EQ(after, pendingBytes);
  const HandleStats stats = ReadHandleStats(host->handles);
  EXPECT_EQ(stats.live, 4);
  EXPECT_EQ(stats.misuses, 0);
}
