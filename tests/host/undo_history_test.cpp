#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/arb_data_calls.h"
#include "host/entry_point_call.h"
#include "host/host_callbacks.h"
#include "host/param_value_text.h"
#include "host/undo_groups.h"
#include "host/undo_history.h"
#include "host_interface/host_suites.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

std::vector<uint8_t> CurrentData(ReferenceHost& host, int32_t id) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(FlattenCurrentData(host, id, bytes), kHostErrorNone);
  return bytes;
}

ParamState Captured(ReferenceHost& host, int32_t id) {
  ParamState state;
  std::string error;
  EXPECT_TRUE(CaptureParamState(host, id, state, error)) << error;
  return state;
}

}  // namespace

TEST(UndoHistory, StepsPutBackValuesKeysAndDataLastStepFirst) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const std::vector<uint8_t> orderBefore = CurrentData(*host, PARAM_DRAW_ORDER);
  int32_t id = 0;
  std::string error;
  ASSERT_TRUE(ApplyParamAssignmentUndoably(*host, "Line Width=7", id, error)) << error;
  EXPECT_EQ(id, PARAM_LINE_WIDTH);
  ASSERT_TRUE(ApplyParamAssignmentUndoably(*host, "Start Point=10,20", id, error)) << error;
  EXPECT_FALSE(ApplyParamAssignmentUndoably(*host, "Line Width=abc", id, error));
  EXPECT_EQ(UndoStepCount(*host), 2u);  // a refused value makes no step

  // A step as a press makes it: keys on one value and a new data block.
  UndoStep step{"Spindrel: Test", {Captured(*host, PARAM_THRESHOLD), Captured(*host, PARAM_DRAW_ORDER)}};
  ParamKeyframe early{0, ReadParamValue(host->instance, PARAM_THRESHOLD)};
  ParamKeyframe late{3000, early.value};
  late.value.slider.value = 200;
  ASSERT_TRUE(SetParamKeyframes(host->instance, PARAM_THRESHOLD, {early, late}));
  std::vector<uint8_t> order = orderBefore;
  order[8] = 3;    // targetPosition[0]
  order[136] = 7;  // chainPlusOne[0]
  order[4] = 1;    // count
  ASSERT_EQ(ReplaceCurrentData(*host, PARAM_DRAW_ORDER, order), kHostErrorNone);
  PushUndoStep(*host, step);

  UndoStep undone;
  ASSERT_TRUE(UndoLastStep(*host, undone, error)) << error;
  EXPECT_EQ(undone.name, "Spindrel: Test");
  EXPECT_FALSE(ReadStoredParamValue(host->instance, PARAM_THRESHOLD).animated);
  EXPECT_EQ(CurrentData(*host, PARAM_DRAW_ORDER), orderBefore);
  ASSERT_TRUE(UndoLastStep(*host, undone, error)) << error;
  EXPECT_EQ(undone.name, "Start Point");
  EXPECT_TRUE(PointAtDefault(host->instance, PARAM_START_POINT));
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_LINE_WIDTH).slider.value, 7);
  ASSERT_TRUE(UndoLastStep(*host, undone, error)) << error;
  EXPECT_EQ(undone.name, "Line Width");
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_LINE_WIDTH).slider.value, 2);
  EXPECT_FALSE(UndoLastStep(*host, undone, error));
  EXPECT_EQ(error, "nothing to undo");
  EXPECT_EQ(ReadHandleStats(host->handles).misuses, 0);
}

// A block the effect will not take back leaves the whole step in place.
TEST(UndoHistory, RefusedDataRestoresNothingAndKeepsTheStep) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  UndoStep step{"Broken", {Captured(*host, PARAM_LINE_WIDTH), Captured(*host, PARAM_DRAW_ORDER)}};
  step.before[1].data = {1, 2, 3};
  PushUndoStep(*host, step);
  std::string error;
  int32_t id = 0;
  ASSERT_TRUE(ApplyParamAssignmentUndoably(*host, "Line Width=9", id, error));
  UndoStep undone;
  ASSERT_TRUE(UndoLastStep(*host, undone, error));  // the assignment
  ASSERT_TRUE(ApplyParamAssignment(host->instance, "Line Width=9", error));
  EXPECT_FALSE(UndoLastStep(*host, undone, error));
  EXPECT_NE(error.find("refused"), std::string::npos) << error;
  EXPECT_EQ(UndoStepCount(*host), 1u);
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_LINE_WIDTH).slider.value, 9);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);  // nothing made was kept
}

// The outermost group a command opens through the Utility Suite names its step.
TEST(UndoHistory, UtilitySuiteGroupsAreRecordedForTheRunningCommand) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  const void* table = nullptr;
  ASSERT_EQ(ReferenceBasicSuite().acquireSuite(kUtilitySuiteName, kUtilitySuiteVersion, &table), kHostErrorNone);
  const auto* utility = static_cast<const HostUtilitySuite13*>(table);
  utility->startUndoGroup("Outside any command");
  utility->endUndoGroup();
  UndoGroupRecord groups;
  CommandContext context;
  context.undoGroups = &groups;
  {
    const ScopedCommandContext scope(context);
    utility->endUndoGroup();  // an unmatched end is ignored
    utility->startUndoGroup("Outer");
    utility->startUndoGroup("Inner");
    utility->endUndoGroup();
    utility->endUndoGroup();
    utility->startUndoGroup("Later");
  }
  ReferenceBasicSuite().releaseSuite(kUtilitySuiteName, kUtilitySuiteVersion);
  EXPECT_TRUE(groups.opened);
  EXPECT_EQ(groups.name, "Outer");
  EXPECT_EQ(groups.depth, 1);
  EXPECT_EQ(ReadSuiteLog(host->suites, &SuiteServices::undoEvents).front(), "begin Outside any command");
}

// A press or a value that leaves everything as it was is no step, and only
// the last kMaxUndoSteps steps are kept.
TEST(UndoHistory, UnchangedStepsAreNotRecordedAndTheOldestStepsGo) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  int32_t id = 0;
  std::string error;
  ASSERT_TRUE(ApplyParamAssignmentUndoably(*host, "Line Width=2", id, error)) << error;  // its default
  ButtonPressReport report;
  ASSERT_EQ(PressButton(*host, PARAM_CLEAR_ORDER, 0, &report), kHostErrorNone);  // the table is empty already
  EXPECT_EQ(report.changed, std::vector<int32_t>{PARAM_DRAW_ORDER});
  EXPECT_FALSE(report.undoRecorded);
  EXPECT_EQ(UndoStepCount(*host), 0u);

  const int32_t steps = static_cast<int32_t>(kMaxUndoSteps) + 50;
  for (int32_t value = 1; value <= steps; ++value) {
    ASSERT_TRUE(ApplyParamAssignmentUndoably(*host, "Threshold=" + std::to_string(value), id, error)) << error;
  }
  EXPECT_EQ(UndoStepCount(*host), kMaxUndoSteps);
  UndoStep undone;
  while (UndoLastStep(*host, undone, error)) {
  }
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_THRESHOLD).slider.value, steps - static_cast<int32_t>(kMaxUndoSteps));
}
