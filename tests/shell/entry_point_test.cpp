// The entry point: dispatch, and what reaches the host when a suite or a handler fails.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "host/entry_point_call.h"
#include "host/host_callbacks.h"
#include "host_interface/host_commands.h"
#include "model/param_ids.h"
#include "overlay_export/suite_handler.h"
#include "shell/command_dispatch.h"
#include "tests/host/reference_host_fixture.h"

namespace {

HostError AddParamNeedingUtilitySuite(HostEffectRef, int32_t, const HostParamDef*) {
  SuiteHandler handler(&ReferenceBasicSuite());
  AcquireUtilitySuite(handler);
  return kHostErrorNone;
}

HostError ThrowingAddParam(HostEffectRef, int32_t, const HostParamDef*) { throw std::bad_alloc(); }

}  // namespace

// Refused or null: 516 inside, earlier suites still released; 512 at the entry point, as for any escaping exception.
TEST(SuiteHandler, MissingSuiteRaises516InsideAnd512AtTheEntryPoint) {
  for (bool deliverNull : {false, true}) {
    auto host = OpenTestHost();
    ASSERT_NE(host, nullptr);
    RefuseSuite(host->suites, {kPathSuiteName, 1, deliverNull});
    try {
      SuiteHandler handler(&ReferenceBasicSuite());
      AcquireUtilitySuite(handler);
      AcquirePathSuite(handler);
      ADD_FAILURE() << "no exception";
    } catch (const MissingSuiteException& error) {
      EXPECT_EQ(error.code, 516);
    }
    const auto counts = ReadSuiteCounts(host->suites);
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts.begin()->second.released, 1);
  }
  EXPECT_THROW(SuiteHandler(nullptr), MissingSuiteException);
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  RefuseSuite(host->suites, {kUtilitySuiteName, 13, false});
  for (auto addParam : {AddParamNeedingUtilitySuite, ThrowingAddParam}) {
    HostUtilityCallbacks utils{};
    utils.addParam = addParam;
    HostInData in{};
    in.utils = &utils;
    HostOutData out{};
    EXPECT_EQ(DispatchCommand(kCommandParamsSetup, &in, &out, nullptr, nullptr, nullptr), 512);
  }
}

TEST(EntryPoint, AboutAnswersTheEffectsText) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  std::string text;
  EXPECT_EQ(RunAbout(*host, text), kHostErrorNone);
  EXPECT_EQ(text,
            "Spindrel v1.0.4\rExtracts the spindrel skeleton of any layer.\r"
            "Use with Layer > Auto-trace for Trim Path animation.");
  EXPECT_EQ(text.size(), 113u);
}

TEST(EntryPoint, GlobalSetupAnswersTheVersionAndFlags) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(SetUpEffect(*host), kHostErrorNone);
  EXPECT_EQ(host->effectVersion, 0x82001u);
  EXPECT_EQ(host->outFlags, 0x6008440);
  EXPECT_EQ(host->outFlags2, 0x8000000);
}

// The user-changed parameter and the arbitrary-data callback without their
// records included; presses of parameters that are no buttons.
TEST(EntryPoint, CommandsWithoutHandlerAnswerZeroAndTouchNothing) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(SetUpEffect(*host), kHostErrorNone);
  const HandleStats before = ReadHandleStats(host->handles);
  for (int32_t command : {2, 3, 5, 6, 7, 8, 9, 10, 12, 13, 14, 16, 17, 18, 19, 20, 21, 22, 23, 100, -1, INT32_MIN,
                          INT32_MAX}) {
    SCOPED_TRACE(command);
    HostInData in = MakeInData(*host, 0);
    HostOutData out;
    std::memset(&out, 0xA5, sizeof(out));
    const HostOutData pattern = out;
    EXPECT_EQ(CallEntryPoint(*host, in, {.command = command, .out = &out}), kHostErrorNone);
    EXPECT_EQ(std::memcmp(&out, &pattern, sizeof(out)), 0);
  }
  const HandleStats after = ReadHandleStats(host->handles);
  EXPECT_EQ(after.allocated, before.allocated);
  EXPECT_EQ(after.locks, before.locks);
  EXPECT_TRUE(ReadSuiteCounts(host->suites).empty());
  for (int32_t index : {PARAM_THRESHOLD, -5, 999}) EXPECT_EQ(PressButton(*host, index), kHostErrorNone) << index;
}
