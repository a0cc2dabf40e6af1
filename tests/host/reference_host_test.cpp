#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "host/arb_data_calls.h"
#include "host/command_params.h"
#include "host/frame_buffer.h"
#include "host/host_callbacks.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

TEST(ReferenceHost, RefusesBadModulesAndASecondHost) {
  std::string error;
  EXPECT_EQ(OpenReferenceHost("/nonexistent/Spindrel.so", error), nullptr);
  EXPECT_FALSE(error.empty());
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(ActiveReferenceHost(), host.get());
  error.clear();
  EXPECT_EQ(OpenReferenceHost(SPINDREL_MODULE_PATH, error), nullptr);
  EXPECT_NE(error.find("another"), std::string::npos);
  host.reset();
  EXPECT_EQ(ActiveReferenceHost(), nullptr);
}

TEST(ReferenceHost, ClosingDisposesEveryBlobThroughTheEffect) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  EXPECT_TRUE(host->parametersReady);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  // Running parameter setup again replaces the blobs rather than leaking them.
  ASSERT_EQ(RunParamsSetup(*host), kHostErrorNone);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  EXPECT_EQ(ParamCount(host->instance), 131);
}

TEST(ReferenceHost, CommandParamsHoldPixelsPrivateBlobsAndTheInputLayer) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  OwnedFrame input = MakeFrame(720, 220, 8);
  HostFrame view = FrameView(input);
  CommandParams params = BuildCommandParams(*host, &view);
  ASSERT_EQ(params.pointers.size(), 131u);
  EXPECT_EQ(params.records[0].u.layer.pixels, input.storage.data());
  EXPECT_EQ(params.records[PARAM_START_POINT].u.point.xValue, 360 * 65536);
  EXPECT_EQ(params.records[PARAM_START_POINT].u.point.yValue, 110 * 65536);
  EXPECT_EQ(params.records[PARAM_MAP_LAYER].u.layer.pixels, nullptr);
  const HostHandle current = CurrentDataHandle(*host, PARAM_DRAW_ORDER);
  EXPECT_NE(params.records[PARAM_DRAW_ORDER].u.arbitrary.valueHandle, current);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 6);
  FinishCommandParams(*host, params);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  EXPECT_EQ(CurrentDataHandle(*host, PARAM_DRAW_ORDER), current);
}

TEST(ReferenceHost, ChangeFlagOneTakesTheWrittenValueAndBlob) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  CommandParams params = BuildCommandParams(*host, nullptr);
  params.records[PARAM_REV_SLOT2].u.slider.value = 8;
  params.records[PARAM_REV_SLOT2].changeFlags = kParamChangeFlagChangedValue;
  params.records[PARAM_REV_SLOT3].u.slider.value = 9;  // written without the flag: ignored
  HostHandle blob = params.records[PARAM_DRAW_ORDER].u.arbitrary.valueHandle;
  auto* bytes = static_cast<uint8_t*>(StoreLockHandle(host->handles, blob));
  bytes[4] = 1;
  bytes[8] = 3;
  bytes[136] = 7;
  StoreUnlockHandle(host->handles, blob);
  params.records[PARAM_DRAW_ORDER].changeFlags = kParamChangeFlagChangedValue;
  EXPECT_EQ(FinishCommandParams(*host, params), (std::vector<int32_t>{PARAM_REV_SLOT2, PARAM_DRAW_ORDER}));
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_REV_SLOT2).slider.value, 8);
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_REV_SLOT3).slider.value, 0);
  EXPECT_EQ(CurrentDataHandle(*host, PARAM_DRAW_ORDER), blob);
  std::vector<uint8_t> flat;
  ASSERT_EQ(FlattenCurrentData(*host, PARAM_DRAW_ORDER, flat), kHostErrorNone);
  EXPECT_EQ(flat[8], 3);
  EXPECT_EQ(flat[136], 7);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
}

TEST(ReferenceHost, CheckoutsSeeTheCommandsOwnParameters) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  OwnedFrame input = MakeFrame(4, 2, 16);
  HostFrame inputView = FrameView(input);
  OwnedFrame map = MakeFrame(3, 3, 16);
  HostFrame mapView = FrameView(map);
  CommandParams params = BuildCommandParams(*host, &inputView);
  CommandContext context{params.pointers.data(), static_cast<int32_t>(params.pointers.size()), &inputView};
  const CommandContext* previous = SwapThreadCommandContext(&context);
  HostInData in = MakeInData(*host, 0);
  HostParamDef record{};
  EXPECT_EQ(in.utils->checkoutParam(in.effectRef, PARAM_MAP_LAYER, 0, 1, 30, &record), kHostErrorNone);
  EXPECT_EQ(record.u.layer.pixels, nullptr);
  SetMapLayer(*host, &mapView);
  EXPECT_EQ(in.utils->checkoutParam(in.effectRef, PARAM_MAP_LAYER, 0, 1, 30, &record), kHostErrorNone);
  EXPECT_EQ(record.u.layer.pixels, map.storage.data());
  EXPECT_EQ(record.u.layer.width, 3);
  EXPECT_EQ(in.utils->checkoutParam(in.effectRef, PARAM_INPUT, 0, 1, 30, &record), kHostErrorNone);
  EXPECT_EQ(record.u.layer.pixels, input.storage.data());
  EXPECT_EQ(in.utils->checkoutParam(in.effectRef, PARAM_CHAIN_SELECTION, 0, 1, 30, &record), kHostErrorNone);
  EXPECT_EQ(record.u.arbitrary.valueHandle, params.records[PARAM_CHAIN_SELECTION].u.arbitrary.valueHandle);
  EXPECT_EQ(in.utils->checkinParam(in.effectRef, &record), kHostErrorNone);
  EXPECT_EQ(in.utils->checkoutParam(in.effectRef, 131, 0, 1, 30, &record), kHostErrorInvalidIndex);
  EXPECT_EQ(in.utils->checkoutParam(in.effectRef, -1, 0, 1, 30, &record), kHostErrorInvalidIndex);
  SwapThreadCommandContext(previous);
  FinishCommandParams(*host, params);
  EXPECT_EQ(host->instance.checkouts, 4);
  EXPECT_EQ(host->instance.checkins, 1);
}

TEST(ReferenceHost, RendersOnManyThreadsAtOnceWithoutSharingState) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  constexpr int kThreads = 8;
  constexpr int kRendersEach = 25;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const int32_t depth = t % 3 == 0 ? 8 : t % 3 == 1 ? 16 : 32;
      OwnedFrame input = MakeFrame(64, 32, depth);
      OwnedFrame output = MakeFrame(64, 32, depth);
      for (int i = 0; i < kRendersEach; ++i) {
        if (RenderFrame(*host, FrameView(input), FrameView(output), i) != kHostErrorNone) ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
  const HandleStats stats = ReadHandleStats(host->handles);
  EXPECT_EQ(stats.live, 4);
  EXPECT_EQ(stats.locks, stats.unlocks);
  EXPECT_EQ(stats.misuses, 0);
}
