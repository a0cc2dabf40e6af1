// Parameter values and keyframes as the command line gives them.
#include <gtest/gtest.h>

#include <tuple>

#include "host/command_params.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "host_interface/host_fixed_point.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

class ParamText : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(host = OpenSetUpHost(), nullptr); }
  bool Set(const std::string& text) { return error.clear(), ApplyParamAssignment(host->instance, text, error); }
  // 30 frames per second: 3000 units per second.
  bool Key(const std::string& text) {
    return error.clear(), ApplyParamKeyframes(host->instance, text, FrameTiming{}, error);
  }
  HostParamValue Value(int32_t id) { return ReadParamValue(host->instance, id); }
  HostParamValue At(int32_t id, int32_t time) {
    return SnapshotParamValues(host->instance, 100, 100, time).at(static_cast<size_t>(id)).u;
  }
  // Refused with one line of reason holding `reason`.
  void ExpectRefused(bool accepted, const std::string& text, const char* reason = "") {
    EXPECT_FALSE(accepted) << text;
    EXPECT_FALSE(error.empty()) << text;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_NE(error.find(reason), std::string::npos) << text << ": " << error;
  }
  std::unique_ptr<ReferenceHost> host;
  std::string error;
};

using ParamValueText = ParamText;
using Keyframes = ParamText;

}  // namespace

// The notations the keyframe tests below do not already show.
TEST_F(ParamValueText, EachKindTakesItsOwnNotation) {
  for (const char* assignment : {"Channel=3", "Nib Angle=-30.5", "Start Point=12.5, 300", "Ring Color=1,2,3"}) {
    EXPECT_TRUE(Set(assignment)) << assignment << ": " << error;
  }
  EXPECT_EQ(Value(PARAM_CHANNEL).popup.value, 3);
  EXPECT_EQ(Value(PARAM_NIB_ANGLE).angle.value, -30 * kFixedOne - kFixedOne / 2);
  EXPECT_EQ(Value(PARAM_START_POINT).point.xValue, 12 * kFixedOne + kFixedOne / 2);
  EXPECT_EQ(Value(PARAM_START_POINT).point.yValue, 300 * kFixedOne);
  EXPECT_FALSE(PointAtDefault(host->instance, PARAM_START_POINT));
  const HostPixel8 ring = Value(PARAM_RING_COLOR).color.value;
  EXPECT_EQ((std::vector<int>{ring.alpha, ring.red, ring.green, ring.blue}), (std::vector<int>{255, 1, 2, 3}));
  EXPECT_TRUE(Set("Use Gradient=on"));  // the box text stays the host's copy
  EXPECT_EQ(std::string(Value(PARAM_USE_GRADIENT).checkbox.boxText),
            ParamEntryById(host->instance, PARAM_USE_GRADIENT).text);
}

TEST_F(ParamValueText, BadValuesAreRefusedAndLeaveTheValue) {
  for (const char* text : {"Threshold=256", "Threshold=-1", "Threshold=12x", "Threshold=", "Fit Tolerance (x0.1 px)=4",
                           "Channel=6", "Channel=purple", "Invert Input=yes", "Reveal Progress (%)=100.5",
                           "Path Offset (%)=nan", "Line Color=#FF80", "Line Color=256,0,0", "Start Point=1",
                           "Nib Angle=abc", "Threshold", "Line Color=#-1-2-3", "Line Color=#+1+2+3",
                           "Line Color=#0x1020", "Line Color=# 10203"}) {
    ExpectRefused(Set(text), text);
  }
  EXPECT_EQ(FormatParamDefault(ParamEntryById(host->instance, PARAM_LINE_COLOR)), "#FFFFFF");
  const HostPixel8 line = Value(PARAM_LINE_COLOR).color.value;
  EXPECT_EQ((std::vector<int>{line.red, line.green, line.blue}), (std::vector<int>{255, 255, 255}));
  // A long value is quoted in part.
  ExpectRefused(Set("Threshold=" + std::string(5000, '7')), "long", "\"7777777777777777777777777777777777777777\"... (5000 bytes)");
  EXPECT_EQ(Value(PARAM_THRESHOLD).slider.value, 128);
  EXPECT_EQ(Value(PARAM_FIT_TOLERANCE).slider.value, 25);
  EXPECT_EQ(Value(PARAM_CHANNEL).popup.value, 1);
  ExpectRefused(Set("Threshold=5=6"), "Threshold=5=6", "not an integer");  // a value holding an '='
}

TEST_F(ParamValueText, LabelsResolveByNameGroupOrId) {
  ExpectRefused(Set("Threshhold=1"), "Threshhold", "unknown parameter");
  ExpectRefused(Set("Opacity (%)=50"), "Opacity", "Particles/Opacity (%)");
  EXPECT_TRUE(Set("Particles/Opacity (%)=50"));
  EXPECT_EQ(Value(PARAM_PARTICLE_OPACITY).slider.value, 50);
  EXPECT_EQ(Value(PARAM_OPACITY).slider.value, 100);
  EXPECT_TRUE(Set("18=20"));
  EXPECT_EQ(Value(PARAM_OPACITY).slider.value, 20);
  for (const char* text : {"Reverse Selected=1", "Source=1", "Draw Order=0", "Map Layer (optional)=1"}) {
    ExpectRefused(Set(text), text, "cannot be set");
  }
  const std::string pastTheLast = std::to_string(kParamCount + 1);
  ExpectRefused(Set(pastTheLast + "=1"), pastTheLast);
  ExpectRefused(Set("Chain Selection=1"), "Chain Selection", "ambiguous");  // a group and the hidden data
  ExpectRefused(Set("Taper (0=flat=50"), "Taper", "unknown parameter");
  ExpectRefused(Set("=5"), "=5", "LABEL=VALUE");
  // Labels holding an '=' of their own: the value starts after the '=' that ends a name.
  EXPECT_TRUE(Set("Taper (0=flat, 100=tips) = 40")) << error;
  EXPECT_EQ(Value(PARAM_TAPER).slider.value, 40);
  for (int32_t id = 1; id <= kParamCount; ++id) {
    const HostParamEntry& entry = ParamEntryById(host->instance, id);
    if (entry.def.paramType != kParamTypeSlider) continue;
    const int32_t target = entry.def.u.slider.validMax;
    EXPECT_TRUE(Set(entry.group + "/" + entry.label + "=" + std::to_string(target))) << entry.label << ": " << error;
    EXPECT_EQ(Value(id).slider.value, target) << entry.label;
  }
}

TEST_F(Keyframes, NumericKindsAreLinearBetweenKeysAndHoldOutsideThem) {
  ASSERT_TRUE(Key("Threshold=0@0,255@1")) << error;
  for (const auto& [time, value] : std::vector<std::pair<int32_t, int32_t>>{
           {-300, 0}, {0, 0}, {1000, 85}, {1500, 128} /* 127.5 rounds away from zero */, {3000, 255}, {90000, 255}}) {
    EXPECT_EQ(At(PARAM_THRESHOLD, time).slider.value, value) << time;
  }
  ASSERT_TRUE(Key("Junction Curvature Bias=-1@0,0@1")) << error;
  EXPECT_EQ(At(PARAM_JUNCTION_CURVATURE_BIAS, 1500).slider.value, -1);
  ASSERT_TRUE(Key("Reveal Progress (%)=0@0,100@2,40@3")) << error;  // each segment on its own
  EXPECT_EQ(At(PARAM_REVEAL_PROGRESS, 1500).floatSlider.value, 25.0);
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
  EXPECT_EQ((std::vector<int>{color.alpha, color.red, color.green, color.blue}), (std::vector<int>{255, 128, 0, 64}));
  ASSERT_TRUE(Key("Taper (0=flat, 100=tips)=0@0,100@1")) << error;
  EXPECT_EQ(At(PARAM_TAPER, 1500).slider.value, 50);
}

TEST_F(Keyframes, CheckboxesAndPopupsHoldUntilTheNextKey) {
  ASSERT_TRUE(Key("Invert Input=off@0,on@1")) << error;
  ASSERT_TRUE(Key("Channel=alpha@1,Red@0")) << error;  // any order
  EXPECT_EQ(At(PARAM_INVERT_INPUT, 2999).checkbox.value, 0);
  EXPECT_EQ(At(PARAM_INVERT_INPUT, 3000).checkbox.value, 1);
  EXPECT_EQ(At(PARAM_CHANNEL, 2999).popup.value, 2);
  EXPECT_EQ(At(PARAM_CHANNEL, 3000).popup.value, 5);
  EXPECT_STREQ(At(PARAM_CHANNEL, 0).popup.choices, "Luminance|Red|Green|Blue|Alpha");
}

TEST_F(Keyframes, BadKeysAreRefusedWithOneLineAndChangeNothing) {
  ASSERT_TRUE(Key("Threshold=10@0,20@1")) << error;
  for (const char* text : {"No Such Label=1@0", "Threshold", "Threshold=5", "Threshold=5@0,6", "Threshold=5@0,",
                           "Threshold=5@soon", "Threshold=999@0", "Threshold=5@0,6@0.0001", "Threshold=5@1e12",
                           "Map Layer (optional)=1@0", "Chain Selection=1@0", "Export SVG=1@0"}) {
    ExpectRefused(Key(text), text);
  }
  EXPECT_EQ(At(PARAM_THRESHOLD, 1500).slider.value, 15);
}

TEST_F(Keyframes, CommandsSeeTheValueAtTheirTimeAndWrittenValuesBecomeKeys) {
  ASSERT_TRUE(Key("Line Width=1@0,11@1")) << error;
  ASSERT_TRUE(Key("WP 1 Position=0,0@0,30,60@1")) << error;
  OwnedFrame input = MakeFrame(40, 20, 8);
  HostFrame view = FrameView(input);
  CommandParams params = PrepareCommandParams(*host, &view, 1500);
  EXPECT_EQ(params.records[PARAM_LINE_WIDTH].u.slider.value, 6);
  // A keyed point is in pixels: the layer size does not scale it.
  EXPECT_EQ(params.records[PARAM_WP1_POSITION].u.point.xValue, 15 * kFixedOne);
  EXPECT_EQ(params.records[PARAM_WP2_POSITION].u.point.xValue, 20 * kFixedOne);
  params.records[PARAM_LINE_WIDTH].u.slider.value = 50;
  params.records[PARAM_LINE_WIDTH].changeFlags = kParamChangeFlagChangedValue;
  TakeBackCommandParams(*host, params);
  EXPECT_EQ(At(PARAM_LINE_WIDTH, 1500).slider.value, 50);
  EXPECT_EQ(At(PARAM_LINE_WIDTH, 750).slider.value, 26);  // 25.5 rounds up
  EXPECT_EQ(At(PARAM_LINE_WIDTH, 3000).slider.value, 11);
}

TEST(FrameTiming, RatesGiveWholeUnitFramesAndBadRatesAreRefused) {
  FrameTiming timing;
  std::string error;
  for (const auto& [text, timeScale, timeStep] : std::vector<std::tuple<const char*, uint32_t, int32_t>>{
           {"30", 3000, 100}, {"29.97", 299700, 10000}, {"23.976", 299700, 12500}, {"30000/1001", 3000000, 100100},
           {"12.5", 2500, 200}}) {
    ASSERT_TRUE(ParseFrameRate(text, timing, error)) << text << ": " << error;
    EXPECT_EQ(timing.timeScale, timeScale) << text;
    EXPECT_EQ(timing.timeStep, timeStep) << text;
  }
  for (const char* text : {"1000.000", "2000000/2000000", "1000"}) EXPECT_TRUE(ParseFrameRate(text, timing, error)) << text;
  const std::string outside = " frames per second is outside 0 to 1000 (0 excluded)";
  for (const auto& [text, message] : std::vector<std::pair<std::string, std::string>>{
           {"0", "\"0\"" + outside},
           {"1001", "\"1001\"" + outside},  // worded as the same mistake with decimals
           {"1000.001", "\"1000.001\"" + outside},
           {"99999999999999999999", "\"99999999999999999999\"" + outside},
           {"1001000/1000", "\"1001000/1000\"" + outside},
           {"1/0", "\"1/0\"" + outside},
           {"0/5", "\"0/5\"" + outside},
           {"29.9701", "\"29.9701\" has more than three decimals; give such a rate as a fraction (like 30000/1001)"},
           {"1/1000001", "\"1/1000001\" is too fine a fraction: numerator and denominator (reduced) must be at most 1000000"},
       }) {
    EXPECT_FALSE(ParseFrameRate(text, timing, error)) << text;
    EXPECT_EQ(error, message);
  }
  for (const char* text : {"-30", "", "thirty", "30.", ".5", "30/", "3e1", "30 "}) {
    EXPECT_FALSE(ParseFrameRate(text, timing, error)) << text;
    EXPECT_NE(error.find("is not a frame rate (like 30, 29.97 or 30000/1001)"), std::string::npos) << error;
  }
}
