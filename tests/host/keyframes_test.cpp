#include <gtest/gtest.h>

#include "host/command_params.h"
#include "host/frame_buffer.h"
#include "host/host_callbacks.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

constexpr int32_t kFixedOne = 65536;

class Keyframes : public ::testing::Test {
 protected:
  void SetUp() override {
    host = OpenSetUpHost();
    ASSERT_NE(host, nullptr);
  }
  // 30 frames per second: 3000 units per second.
  bool Key(const std::string& text) { return ApplyParamKeyframes(host->instance, text, FrameTiming{}, error); }
  HostParamValue At(int32_t id, int32_t time) {
    return SnapshotParamValues(host->instance, 100, 100, time).at(static_cast<size_t>(id)).u;
  }
  std::unique_ptr<ReferenceHost> host;
  std::string error;
};

}  // namespace

TEST_F(Keyframes, NumericKindsAreLinearBetweenKeysAndHoldOutsideThem) {
  ASSERT_TRUE(Key("Threshold=0@0,255@1")) << error;
  EXPECT_EQ(At(PARAM_THRESHOLD, -300).slider.value, 0);
  EXPECT_EQ(At(PARAM_THRESHOLD, 0).slider.value, 0);
  EXPECT_EQ(At(PARAM_THRESHOLD, 1000).slider.value, 85);
  EXPECT_EQ(At(PARAM_THRESHOLD, 1500).slider.value, 128);  // 127.5: halves round away from zero
  EXPECT_EQ(At(PARAM_THRESHOLD, 3000).slider.value, 255);
  EXPECT_EQ(At(PARAM_THRESHOLD, 90000).slider.value, 255);

  ASSERT_TRUE(Key("Junction Curvature Bias=-1@0,0@1")) << error;
  EXPECT_EQ(At(PARAM_JUNCTION_CURVATURE_BIAS, 1500).slider.value, -1);

  // Three keys: each segment is interpolated on its own.
  ASSERT_TRUE(Key("Reveal Progress (%)=0@0,100@2,40@3")) << error;
  EXPECT_EQ(At(PARAM_REVEAL_PROGRESS, 1500).floatSlider.value, 25.0);
  EXPECT_EQ(At(PARAM_REVEAL_PROGRESS, 6000).floatSlider.value, 100.0);
  EXPECT_EQ(At(PARAM_REVEAL_PROGRESS, 7500).floatSlider.value, 70.0);
  EXPECT_EQ(At(PARAM_REVEAL_PROGRESS, 9001).floatSlider.value, 40.0);

  ASSERT_TRUE(Key("Start Point=0,0@0,100,-50@1")) << error;
  EXPECT_EQ(At(PARAM_START_POINT, 750).point.xValue, 25 * kFixedOne);
  EXPECT_EQ(At(PARAM_START_POINT, 750).point.yValue, -25 * kFixedOne / 2);
  EXPECT_EQ(At(PARAM_START_POINT, 1).point.xValue, 2185);  // 2184.53 rounded in 16.16 units

  ASSERT_TRUE(Key("Nib Angle=0@0,720@1")) << error;  // whole turns are not folded away
  EXPECT_EQ(At(PARAM_NIB_ANGLE, 1000).angle.value, 240 * kFixedOne);

  ASSERT_TRUE(Key("Line Color=#000000@0,#FF0080@1")) << error;
  const HostPixel8 color = At(PARAM_LINE_COLOR, 1500).color.value;
  EXPECT_EQ(color.alpha, 255);
  EXPECT_EQ(color.red, 128);
  EXPECT_EQ(color.green, 0);
  EXPECT_EQ(color.blue, 64);
}

TEST_F(Keyframes, CheckboxesAndPopupsHoldUntilTheNextKey) {
  ASSERT_TRUE(Key("Invert Input=off@0,on@1")) << error;
  ASSERT_TRUE(Key("Channel=alpha@1,Red@0")) << error;  // any order
  EXPECT_EQ(At(PARAM_INVERT_INPUT, 2999).checkbox.value, 0);
  EXPECT_EQ(At(PARAM_INVERT_INPUT, 3000).checkbox.value, 1);
  EXPECT_EQ(At(PARAM_CHANNEL, 2999).popup.value, 2);
  EXPECT_EQ(At(PARAM_CHANNEL, 3000).popup.value, 5);
  // The host's texts stay with the keyed values.
  EXPECT_STREQ(At(PARAM_CHANNEL, 0).popup.choices, "Luminance|Red|Green|Blue|Alpha");
}

TEST_F(Keyframes, LabelsHoldingAnEqualsSignAreKeyedByLabel) {
  ASSERT_TRUE(Key("Taper (0=flat, 100=tips)=0@0,100@1")) << error;
  EXPECT_EQ(At(PARAM_TAPER, 1500).slider.value, 50);
  ASSERT_TRUE(Key("Slot 2 - Chain A (0=off)=1@0,9@1")) << error;
  EXPECT_EQ(At(PARAM_SLOT2_CHAIN_A, 3000).slider.value, 9);
}

TEST_F(Keyframes, BadKeysAreRefusedWithOneLineAndChangeNothing) {
  ASSERT_TRUE(Key("Threshold=10@0,20@1")) << error;
  const char* refused[] = {
      "No Such Label=1@0",     "Threshold",          "Threshold=5",           "Threshold=5@0,6",
      "Threshold=5@0,",        "Threshold=5@soon",   "Threshold=999@0",       "Threshold=5@0,6@0.0001",
      "Threshold=5@1e12",      "Map Layer (optional)=1@0", "Chain Selection=1@0", "Export SVG=1@0",
  };
  for (const char* text : refused) {
    error.clear();
    EXPECT_FALSE(Key(text)) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
  EXPECT_EQ(At(PARAM_THRESHOLD, 1500).slider.value, 15);
  HostParamValue value{};
  EXPECT_FALSE(AnimatedParamValue(host->instance, PARAM_MAP_LAYER, 0, value));
}

TEST_F(Keyframes, CommandsAndCheckoutsSeeTheValueAtTheirTime) {
  ASSERT_TRUE(Key("Line Width=1@0,11@1")) << error;
  ASSERT_TRUE(Key("WP 1 Position=0,0@0,30,60@1")) << error;
  OwnedFrame input = MakeFrame(40, 20, 8);
  HostFrame view = FrameView(input);
  CommandParams params = BuildCommandParams(*host, &view, 1500);
  EXPECT_EQ(params.records[PARAM_LINE_WIDTH].u.slider.value, 6);
  // A keyed point is in pixels: the layer size does not scale it.
  EXPECT_EQ(params.records[PARAM_WP1_POSITION].u.point.xValue, 15 * kFixedOne);
  EXPECT_EQ(params.records[PARAM_WP2_POSITION].u.point.xValue, 20 * kFixedOne);

  CommandContext context{params.pointers.data(), static_cast<int32_t>(params.pointers.size()), &view};
  const CommandContext* previous = SwapThreadCommandContext(&context);
  HostInData in = MakeInData(*host, 1500);
  HostParamDef record{};
  ASSERT_EQ(in.utils->checkoutParam(in.effectRef, PARAM_LINE_WIDTH, 300, 100, 3000, &record), kHostErrorNone);
  EXPECT_EQ(record.u.slider.value, 2);
  in.utils->checkinParam(in.effectRef, &record);
  SwapThreadCommandContext(previous);

  // A value the effect writes into a keyed parameter becomes a key at the command's time.
  params.records[PARAM_LINE_WIDTH].u.slider.value = 50;
  params.records[PARAM_LINE_WIDTH].changeFlags = kParamChangeFlagChangedValue;
  FinishCommandParams(*host, params);
  EXPECT_EQ(At(PARAM_LINE_WIDTH, 1500).slider.value, 50);
  EXPECT_EQ(At(PARAM_LINE_WIDTH, 750).slider.value, 26);  // halfway between 1 and 50 is 25.5
  EXPECT_EQ(At(PARAM_LINE_WIDTH, 3000).slider.value, 11);
}

TEST(FrameTiming, RatesGiveWholeUnitFramesAndBadRatesAreRefused) {
  struct Case {
    const char* text;
    uint32_t timeScale;
    int32_t timeStep;
  };
  for (const Case& c : {Case{"30", 3000, 100}, Case{"24", 2400, 100}, Case{"29.97", 299700, 10000},
                        Case{"23.976", 299700, 12500}, Case{"30000/1001", 3000000, 100100}, Case{"12.5", 2500, 200}}) {
    FrameTiming timing;
    std::string error;
    ASSERT_TRUE(ParseFrameRate(c.text, timing, error)) << c.text << ": " << error;
    EXPECT_EQ(timing.timeScale, c.timeScale) << c.text;
    EXPECT_EQ(timing.timeStep, c.timeStep) << c.text;
  }
  for (const char* text : {"0", "-30", "", "thirty", "30.", ".5", "29.9701", "1001", "1/0", "30/", "3e1", "0/5"}) {
    FrameTiming timing;
    std::string error;
    EXPECT_FALSE(ParseFrameRate(text, timing, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  FrameTiming timing;
  std::string error;
  ASSERT_TRUE(ParseFrameRate("24", timing, error));
  int32_t time = 0;
  ASSERT_TRUE(SecondsToTime(47.0 / 24.0, timing, time));
  EXPECT_EQ(time, 4700);
  ASSERT_TRUE(FrameStartTime(47, timing, time));
  EXPECT_EQ(time, 4700);
  EXPECT_FALSE(FrameStartTime(30000000, timing, time));
  EXPECT_FALSE(SecondsToTime(1.0e7, timing, time));
}
