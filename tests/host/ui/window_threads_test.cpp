#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "host/arb_data_calls.h"
#include "host/param_value_text.h"
#include "host/ui/window_events.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"

// Renders on two threads while two more send window clicks and draws, press
// Clear Order and undo it: every render still equals the same frame
// rendered alone (no slot is free and the draw-order table holds at most an
// entry past the chains, which a render passes over, so no press changes a
// render), and every event drew on its own surface.
TEST(WindowThreads, EventsPressesAndUndoDuringRendersLeaveRendersAsTheyWereAlone) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  std::string error;
  for (int32_t id = PARAM_SLOT1_CHAIN_A; id <= PARAM_REV_SLOT5; ++id) {
    ASSERT_TRUE(ApplyParamAssignment(host->instance, std::to_string(id) + "=99", error)) << error;
  }
  // An entry for Clear Order to clear, so that each press is an undo step.
  std::vector<uint8_t> order;
  ASSERT_EQ(FlattenCurrentData(*host, PARAM_DRAW_ORDER, order), kHostErrorNone);
  order[4] = 1;      // count
  order[8] = 99;     // targetPosition[0]
  order[136] = 255;  // chainPlusOne[0]
  ASSERT_EQ(ReplaceCurrentData(*host, PARAM_DRAW_ORDER, order), kHostErrorNone);
  host->windows.layerInComp = {5.0, 3.0, 1.0, 1.0};
  OwnedFrame input = FrameFromImage(TextInkImage(160, 64, 5), 8);
  const HostFrame view = FrameView(input);
  const auto render = [&] {
    OwnedFrame output = MakeFrame(160, 64, 8);
    EXPECT_EQ(RenderFrame(*host, view, FrameView(output), 0), kHostErrorNone);
    return output.storage;
  };
  const std::vector<uint8_t> alone = render();

  // Each side goes on until the other has run beside it for a while, however
  // fast either is: renders until the presses and events below have had
  // their turns, events and presses until the renders are done.
  std::atomic<int32_t> running{2};
  std::atomic<int32_t> presses{0};
  std::atomic<int32_t> eventSteps{0};
  const auto othersHaveRun = [&] { return presses >= 4 && eventSteps >= 16; };
  std::vector<int32_t> mismatches(2, 0);
  std::vector<std::thread> threads;
  for (int32_t t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      for (int32_t round = 0; round < 12 || !othersHaveRun(); ++round) mismatches[t] += render() != alone;
      --running;
    });
  }
  std::vector<size_t> strokesSeen(2, 0);
  for (int32_t t = 0; t < 2; ++t) {
    threads.emplace_back([&, t] {
      for (int32_t step = 0; running > 0; ++step) {
        const int32_t window = (step + t) % 2 == 0 ? kWindowComp : kWindowLayer;
        SendWindowClick(*host, window, {20 + step % 120, 30}, step % 2 != 0 ? kModifierShift : 0, 0);
        DisplayList strokes;
        EXPECT_EQ(SendWindowDraw(*host, window, 0, strokes).error, kHostErrorNone);
        strokesSeen[t] += strokes.size();
        ++eventSteps;
      }
    });
  }
  int32_t undone = 0;
  while (running > 0) {
    ButtonPressReport report;
    EXPECT_EQ(PressButton(*host, PARAM_CLEAR_ORDER, 0, &report), kHostErrorNone);
    EXPECT_EQ(report.changed, std::vector<int32_t>{PARAM_DRAW_ORDER});
    UndoStep step;
    undone += UndoLastStep(*host, step, error) ? 1 : 0;
    ++presses;
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int32_t>(2, 0));
  EXPECT_GE(undone, 4);
  EXPECT_EQ(undone, presses);
  EXPECT_EQ(UndoStepCount(*host), 0u);
  EXPECT_GT(strokesSeen[0] + strokesSeen[1], 0u);
  const DrawingStats stats = ReadDrawingStats(host->drawing);
  EXPECT_EQ(stats.misuses, 0);
  EXPECT_EQ(stats.leaked, 0);
  EXPECT_EQ(stats.pens + stats.paths, stats.released);
}
