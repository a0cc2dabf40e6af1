#include <gtest/gtest.h>

#include <vector>

#include "host/arb_data_calls.h"
#include "host/command_params.h"
#include "host/entry_point_call.h"
#include "host/host_callbacks.h"
#include "host/param_key_text.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

// A block's bytes to write to, reached as the effect reaches them (locked,
// then unlocked).
uint8_t* BlockBytes(ReferenceHost& host, HostHandle handle) {
  auto* bytes = static_cast<uint8_t*>(StoreLockHandle(host.handles, handle));
  StoreUnlockHandle(host.handles, handle);
  return bytes;
}

}  // namespace

// A command gets copies: only values and blobs it flags as changed come back.
TEST(ReferenceHost, CommandParamsArePrivateCopiesAndFlaggedValuesAreTakenBack) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  std::string error;
  EXPECT_EQ(OpenReferenceHost(SPINDREL_MODULE_PATH, error), nullptr);  // one host at a time
  EXPECT_NE(error.find("another"), std::string::npos);
  ASSERT_EQ(RunParamsSetup(*host), kHostErrorNone);  // again: replaces the blobs rather than leaking them
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  OwnedFrame input = MakeFrame(720, 220, 8);
  HostFrame view = FrameView(input);
  CommandParams params = PrepareCommandParams(*host, &view);
  ASSERT_EQ(params.pointers.size(), 131u);
  EXPECT_EQ(params.records[0].u.layer.pixels, input.storage.data());
  EXPECT_EQ(params.records[PARAM_START_POINT].u.point.xValue, 360 * 65536);
  EXPECT_EQ(params.records[PARAM_START_POINT].u.point.yValue, 110 * 65536);
  EXPECT_EQ(params.records[PARAM_MAP_LAYER].u.layer.pixels, nullptr);
  const HostHandle current = CurrentDataHandle(*host, PARAM_DRAW_ORDER);
  HostHandle blob = params.records[PARAM_DRAW_ORDER].u.arbitrary.valueHandle;
  EXPECT_NE(blob, current);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 6);
  params.records[PARAM_REV_SLOT2].u.slider.value = 8;
  params.records[PARAM_REV_SLOT2].changeFlags = kParamChangeFlagChangedValue;
  params.records[PARAM_REV_SLOT3].u.slider.value = 9;  // written without the flag: ignored
  BlockBytes(*host, params.records[PARAM_CHAIN_SELECTION].u.arbitrary.valueHandle)[8] = 9;  // likewise
  BlockBytes(*host, blob)[136] = 7;
  params.records[PARAM_DRAW_ORDER].changeFlags = kParamChangeFlagChangedValue;
  EXPECT_EQ(TakeBackCommandParams(*host, params), (std::vector<int32_t>{PARAM_REV_SLOT2, PARAM_DRAW_ORDER}));
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_REV_SLOT2).slider.value, 8);
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_REV_SLOT3).slider.value, 0);
  ASSERT_EQ(ReadHandleStats(host->handles).live, 4);
  EXPECT_EQ(CurrentDataHandle(*host, PARAM_DRAW_ORDER), blob);
  EXPECT_EQ(ReadHandleBytes(host->handles, CurrentDataHandle(*host, PARAM_DRAW_ORDER)).at(136), 7);
  EXPECT_EQ(ReadHandleBytes(host->handles, CurrentDataHandle(*host, PARAM_CHAIN_SELECTION)).at(8), 0);
}

TEST(ReferenceHost, CheckoutsSeeTheCommandsOwnParametersAtTheTimeAskedFor) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  std::string error;
  ASSERT_TRUE(ApplyParamKeyframes(host->instance, "Line Width=1@0,11@1", FrameTiming{}, error)) << error;
  OwnedFrame input = MakeFrame(4, 2, 16);
  HostFrame inputView = FrameView(input);
  OwnedFrame map = MakeFrame(3, 3, 16);
  HostFrame mapView = FrameView(map);
  CommandParams params = PrepareCommandParams(*host, &inputView);
  const CommandContext context{params.pointers.data(), static_cast<int32_t>(params.pointers.size()), &inputView};
  {
    const ScopedCommandContext scope(context);
    HostInData in = MakeInData(*host, 0);
    HostParamDef record{};
    const auto Checkout = [&](int32_t index, int32_t time = 0) {
      return in.utils->checkoutParam(in.effectRef, index, time, 1, 30, &record);
    };
    SetMapLayer(*host, &mapView);
    EXPECT_EQ(Checkout(PARAM_MAP_LAYER), kHostErrorNone);
    EXPECT_EQ(record.u.layer.pixels, map.storage.data());
    EXPECT_EQ(record.u.layer.width, 3);
    EXPECT_EQ(Checkout(PARAM_INPUT), kHostErrorNone);
    EXPECT_EQ(record.u.layer.pixels, input.storage.data());
    EXPECT_EQ(Checkout(PARAM_CHAIN_SELECTION), kHostErrorNone);
    EXPECT_EQ(record.u.arbitrary.valueHandle, params.records[PARAM_CHAIN_SELECTION].u.arbitrary.valueHandle);
    EXPECT_EQ(in.utils->checkinParam(in.effectRef, &record), kHostErrorNone);
    EXPECT_EQ(Checkout(PARAM_LINE_WIDTH, 300), kHostErrorNone);  // a keyed value at the time asked for
    EXPECT_EQ(record.u.slider.value, 2);
    EXPECT_EQ(Checkout(kParamCountWithInput), kHostErrorInvalidIndex);
    EXPECT_EQ(Checkout(-1), kHostErrorInvalidIndex);
  }
  TakeBackCommandParams(*host, params);
  EXPECT_EQ(host->instance.checkouts, 4);
  EXPECT_EQ(host->instance.checkins, 1);
}
