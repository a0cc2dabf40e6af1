#include <gtest/gtest.h>

#include "host/param_value_text.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

class ParamValueText : public ::testing::Test {
 protected:
  void SetUp() override {
    host = OpenSetUpHost();
    ASSERT_NE(host, nullptr);
  }
  bool Set(const std::string& assignment) { return ApplyParamAssignment(host->instance, assignment, error); }
  HostParamValue Value(int32_t id) { return ReadParamValue(host->instance, id); }
  std::unique_ptr<ReferenceHost> host;
  std::string error;
};

}  // namespace

TEST_F(ParamValueText, EachKindTakesItsOwnNotation) {
  EXPECT_TRUE(Set("Threshold=200"));
  EXPECT_EQ(Value(PARAM_THRESHOLD).slider.value, 200);
  EXPECT_TRUE(Set("Junction Curvature Bias=-100"));
  EXPECT_EQ(Value(PARAM_JUNCTION_CURVATURE_BIAS).slider.value, -100);
  EXPECT_TRUE(Set("Channel=3"));
  EXPECT_EQ(Value(PARAM_CHANNEL).popup.value, 3);
  EXPECT_TRUE(Set("Channel=alpha"));
  EXPECT_EQ(Value(PARAM_CHANNEL).popup.value, 5);
  EXPECT_TRUE(Set("Invert Input=on"));
  EXPECT_EQ(Value(PARAM_INVERT_INPUT).checkbox.value, 1);
  EXPECT_TRUE(Set("Invert Input=0"));
  EXPECT_EQ(Value(PARAM_INVERT_INPUT).checkbox.value, 0);
  EXPECT_TRUE(Set("Reveal Progress (%)=37.25"));
  EXPECT_EQ(Value(PARAM_REVEAL_PROGRESS).floatSlider.value, 37.25);
  EXPECT_TRUE(Set("Nib Angle=-30.5"));
  EXPECT_EQ(Value(PARAM_NIB_ANGLE).angle.value, -30 * 65536 - 32768);
  EXPECT_TRUE(Set("Start Point=12.5, 300"));
  EXPECT_EQ(Value(PARAM_START_POINT).point.xValue, 12 * 65536 + 32768);
  EXPECT_EQ(Value(PARAM_START_POINT).point.yValue, 300 * 65536);
  EXPECT_FALSE(PointAtDefault(host->instance, PARAM_START_POINT));
  EXPECT_TRUE(Set("Line Color=#FF8000"));
  HostPixel8 color = Value(PARAM_LINE_COLOR).color.value;
  EXPECT_EQ(color.alpha, 255);
  EXPECT_EQ(color.red, 255);
  EXPECT_EQ(color.green, 128);
  EXPECT_EQ(color.blue, 0);
  EXPECT_TRUE(Set("Ring Color=1,2,3"));
  color = Value(PARAM_RING_COLOR).color.value;
  EXPECT_EQ(color.red, 1);
  EXPECT_EQ(color.blue, 3);
  // The box text stays the host's copy.
  EXPECT_EQ(std::string(Value(PARAM_USE_GRADIENT).checkbox.boxText), ParamEntryById(host->instance, PARAM_USE_GRADIENT).text);
}

TEST_F(ParamValueText, BadValuesAreRefusedAndLeaveTheValue) {
  const char* bad[] = {"Threshold=256",        "Threshold=-1",       "Threshold=12x",  "Threshold=",
                       "Fit Tolerance (x0.1 px)=4", "Channel=6",     "Channel=purple", "Invert Input=yes",
                       "Reveal Progress (%)=100.5", "Path Offset (%)=nan", "Line Color=#FF80",
                       "Line Color=256,0,0",   "Start Point=1",      "Nib Angle=abc",  "Threshold"};
  for (const char* assignment : bad) {
    error.clear();
    EXPECT_FALSE(Set(assignment)) << assignment;
    EXPECT_FALSE(error.empty()) << assignment;
  }
  EXPECT_EQ(Value(PARAM_THRESHOLD).slider.value, 128);
  EXPECT_EQ(Value(PARAM_FIT_TOLERANCE).slider.value, 25);
  EXPECT_EQ(Value(PARAM_CHANNEL).popup.value, 1);
}

TEST_F(ParamValueText, LabelsResolveByNameGroupOrId) {
  EXPECT_FALSE(Set("Threshhold=1"));
  EXPECT_NE(error.find("unknown parameter"), std::string::npos);
  EXPECT_FALSE(Set("Opacity (%)=50"));
  EXPECT_NE(error.find("Particles/Opacity (%)"), std::string::npos);
  EXPECT_TRUE(Set("Particles/Opacity (%)=50"));
  EXPECT_EQ(Value(PARAM_PARTICLE_OPACITY).slider.value, 50);
  EXPECT_EQ(Value(PARAM_OPACITY).slider.value, 100);
  EXPECT_TRUE(Set("18=20"));
  EXPECT_EQ(Value(PARAM_OPACITY).slider.value, 20);
  for (const char* unsettable : {"Reverse Selected=1", "Source=1", "Draw Order=0", "Map Layer (optional)=1"}) {
    EXPECT_FALSE(Set(unsettable)) << unsettable;
    EXPECT_NE(error.find("cannot be set"), std::string::npos) << unsettable;
  }
  EXPECT_FALSE(Set("131=1"));
  // A group and the hidden data share the label "Chain Selection".
  EXPECT_FALSE(Set("Chain Selection=1"));
  EXPECT_NE(error.find("ambiguous"), std::string::npos);
}

// Several labels hold an '=' of their own ("Taper (0=flat, 100=tips)"); the
// value starts after the '=' that ends a parameter's name.
TEST_F(ParamValueText, EverySliderIsSetByItsGroupAndLabel) {
  for (int32_t id = 1; id <= 130; ++id) {
    const HostParamEntry& entry = ParamEntryById(host->instance, id);
    if (entry.def.paramType != kParamTypeSlider) continue;
    const int32_t target = entry.def.u.slider.validMax;
    EXPECT_TRUE(Set(entry.group + "/" + entry.label + "=" + std::to_string(target))) << entry.label << ": " << error;
    EXPECT_EQ(Value(id).slider.value, target) << entry.label;
  }
  EXPECT_TRUE(Set("Taper (0=flat, 100=tips) = 40")) << error;
  EXPECT_EQ(Value(PARAM_TAPER).slider.value, 40);
  EXPECT_TRUE(Set("WP 8 Width (0=off)=12")) << error;
  EXPECT_EQ(Value(PARAM_WP8_WIDTH).slider.value, 12);
  // A value holding an '=' is still refused as a value.
  EXPECT_FALSE(Set("Threshold=5=6"));
  EXPECT_NE(error.find("not an integer"), std::string::npos) << error;
  EXPECT_FALSE(Set("Taper (0=flat=50"));
  EXPECT_NE(error.find("unknown parameter"), std::string::npos) << error;
  EXPECT_FALSE(Set("=5"));
  EXPECT_NE(error.find("LABEL=VALUE"), std::string::npos) << error;
}
