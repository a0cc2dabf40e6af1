#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "host/arb_data_calls.h"
#include "tests/host/reference_host_fixture.h"
#include "shell/param_ids.h"

namespace {

const HostParamDef& Def(ReferenceHost& host, int32_t id) { return ParamEntryById(host.instance, id).def; }
std::string Text(ReferenceHost& host, int32_t id) { return ParamEntryById(host.instance, id).text; }

}  // namespace

TEST(ParamsSetup, AddsAll130InOrderThenRegistersTheCustomUI) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(RunParamsSetup(*host), kHostErrorNone);
  ASSERT_EQ(host->instance.addCalls.size(), 130u);
  for (size_t i = 0; i < 130; ++i) {
    EXPECT_EQ(host->instance.addCalls[i].index, -1);
    EXPECT_EQ(host->instance.addCalls[i].id, static_cast<int32_t>(i) + 1);
  }
  ASSERT_EQ(host->instance.customUiRegistrations.size(), 1u);
  const HostCustomUIInfo& info = host->instance.customUiRegistrations[0];
  EXPECT_EQ(info.events, 3);
  HostCustomUIInfo zeros{};
  zeros.events = 3;
  EXPECT_EQ(std::memcmp(&info, &zeros, sizeof(info)), 0);
  EXPECT_EQ(host->numParams, 131);
}

TEST(ParamsSetup, FailingAddStopsAtOnceWithItsCode) {
  for (int32_t failing : {1, 57, 123, 130}) {
    SCOPED_TRACE(failing);
    auto host = OpenTestHost();
    ASSERT_NE(host, nullptr);
    host->instance.failAddCall = failing;
    host->instance.failAddCode = 7000 + failing;
    EXPECT_EQ(RunParamsSetup(*host), 7000 + failing);
    EXPECT_EQ(host->instance.addCalls.size(), static_cast<size_t>(failing));
    EXPECT_TRUE(host->instance.customUiRegistrations.empty());
    EXPECT_EQ(host->numParams, 0);
    // Only the blob of a parameter the host accepted stays allocated.
    EXPECT_EQ(ReadHandleStats(host->handles).live, failing > 124 ? 2 : failing > 123 ? 1 : 0);
  }
}

TEST(ParamsSetup, FailingRegistrationIsReturnedAfterTheCountIsSet) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  host->instance.registerCustomUIResult = 42;
  EXPECT_EQ(RunParamsSetup(*host), 42);
  EXPECT_EQ(host->numParams, 131);
}

TEST(ParamsSetup, LabelsArriveWholeWithinTheNameField) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(ParamEntryById(host->instance, PARAM_DIRECTIONAL_START).label, "Directional Start (writing dir)");
  EXPECT_EQ(ParamEntryById(host->instance, PARAM_DASH_OFFSET).label, "Offset (px) - animate for march");
  EXPECT_EQ(Text(*host, PARAM_USE_GRADIENT), "Ramp Line Color \xE2\x86\x92 Line Color End");
  EXPECT_EQ(Text(*host, PARAM_INVERT_INPUT), "");
  EXPECT_EQ(Text(*host, PARAM_COMPOSITE_ON_ORIGINAL), "");
  EXPECT_EQ(Text(*host, PARAM_CHANNEL), "Luminance|Red|Green|Blue|Alpha");
  EXPECT_EQ(Def(*host, PARAM_CHANNEL).u.popup.numChoices, 5);
  EXPECT_EQ(Text(*host, PARAM_LINE_CAP), "Round|Flat");
  EXPECT_EQ(Text(*host, PARAM_REVERSE_SELECTED), "<-> Reverse Selected Chains");
  EXPECT_EQ(Text(*host, PARAM_BLEND_SELECTED), "Blend Selected Chains");
  EXPECT_EQ(Def(*host, PARAM_SOURCE_GROUP_END).name[0], '\0');
  int starts = 0;
  int ends = 0;
  for (int32_t id = 1; id <= 130; ++id) {
    const HostParamDef& def = Def(*host, id);
    EXPECT_EQ(def.id, id);
    EXPECT_NE(std::memchr(def.name, '\0', kParamNameSize), nullptr);
    starts += def.paramType == kParamTypeGroupStart;
    ends += def.paramType == kParamTypeGroupEnd;
  }
  EXPECT_EQ(starts, 13);
  EXPECT_EQ(ends, 13);
}

TEST(ParamsSetup, FlagsOnlyOnButtonsAndHiddenData) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const std::set<int32_t> buttons = {PARAM_REVERSE_SELECTED, PARAM_SET_ORDER,          PARAM_CLEAR_ORDER,
                                     PARAM_EXPORT_PATHS,     PARAM_EXPORT_SVG,         PARAM_CREATE_SHAPE_LAYER,
                                     PARAM_BLEND_SELECTED};
  for (int32_t id = 1; id <= 130; ++id) {
    const HostParamDef& def = Def(*host, id);
    SCOPED_TRACE(id);
    if (buttons.count(id) != 0) {
      EXPECT_EQ(def.paramType, kParamTypeButton);
      EXPECT_EQ(def.flags, 64);
      EXPECT_EQ(def.u.button.value, 0);
    } else if (id == PARAM_CHAIN_SELECTION || id == PARAM_DRAW_ORDER) {
      EXPECT_EQ(def.paramType, kParamTypeArbitraryData);
      EXPECT_EQ(def.flags, 66);
      EXPECT_EQ(def.uiFlags, 8);
      EXPECT_EQ(def.u.arbitrary.id, id);
      EXPECT_EQ(def.u.arbitrary.valueHandle, nullptr);
      EXPECT_EQ(def.u.arbitrary.refcon, nullptr);
    } else {
      EXPECT_EQ(def.flags, 0);
      EXPECT_EQ(def.uiFlags, 0);
    }
    EXPECT_EQ(def.uiWidth, 0);
    EXPECT_EQ(def.uiHeight, 0);
  }
}

TEST(ParamsSetup, RangesAndDefaultsThatAreEasyToGetWrong) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const HostFloatSliderValue& offset = Def(*host, PARAM_PATH_OFFSET).u.floatSlider;
  EXPECT_EQ(offset.validMin, 0.0f);
  EXPECT_EQ(offset.validMax, 100.0f);
  EXPECT_EQ(offset.sliderMax, 99999.0f);
  EXPECT_EQ(offset.value, 0.0);
  const HostFloatSliderValue& reveal = Def(*host, PARAM_REVEAL_PROGRESS).u.floatSlider;
  EXPECT_EQ(reveal.sliderMax, 100.0f);
  EXPECT_EQ(reveal.value, 100.0);
  EXPECT_EQ(reveal.defaultValue, 100.0f);
  EXPECT_EQ(reveal.precision, 2);
  EXPECT_EQ(reveal.curveTolerance, 0.05f);

  const HostSliderValue& fit = Def(*host, PARAM_FIT_TOLERANCE).u.slider;
  EXPECT_EQ(fit.validMin, 5);
  EXPECT_EQ(fit.sliderMin, 5);
  EXPECT_EQ(fit.defaultValue, 25);
  EXPECT_EQ(fit.value, 25);
  EXPECT_EQ(Def(*host, PARAM_JUNCTION_CURVATURE_BIAS).u.slider.validMin, -100);
  EXPECT_EQ(Def(*host, PARAM_TARGET_POSITION).u.slider.validMin, 0);
  EXPECT_EQ(Def(*host, PARAM_MIN_SHAPE_AREA).u.slider.sliderMax, 5000);

  const HostAngleValue& nib = Def(*host, PARAM_NIB_ANGLE).u.angle;
  EXPECT_EQ(nib.value, 45 * 65536);
  EXPECT_EQ(nib.defaultValue, 45 * 65536);
  EXPECT_EQ(nib.validMin, 0);
  EXPECT_EQ(nib.validMax, 0);

  const HostPointValue& start = Def(*host, PARAM_START_POINT).u.point;
  EXPECT_EQ(start.xDefault, 50 * 65536);
  EXPECT_EQ(start.yValue, 50 * 65536);
  EXPECT_EQ(start.restrictBounds, 0);

  const HostColorValue& particle = Def(*host, PARAM_PARTICLE_COLOR).u.color;
  EXPECT_EQ(particle.value.alpha, 255);
  EXPECT_EQ(particle.value.red, 255);
  EXPECT_EQ(particle.value.green, 220);
  EXPECT_EQ(particle.value.blue, 80);

  std::set<int32_t> checkboxesOn;
  for (int32_t id = 1; id <= 130; ++id) {
    const HostParamDef& def = Def(*host, id);
    if (def.paramType == kParamTypeCheckbox && def.u.checkbox.defaultValue != 0) checkboxesOn.insert(id);
  }
  EXPECT_EQ(checkboxesOn, (std::set<int32_t>{PARAM_SMART_JUNCTION_TRACING, PARAM_AUTO_FLIP_ON_MERGE}));
}

TEST(ParamsSetup, DefaultBlobsAreFreshAndAllocationFailureIsNotAnError) {
  {
    auto host = OpenSetUpHost();
    ASSERT_NE(host, nullptr);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ArbFlatten(*host, PARAM_DRAW_ORDER, Def(*host, PARAM_DRAW_ORDER).u.arbitrary.defaultHandle, bytes), 0);
    std::vector<uint8_t> expected(264, 0);
    expected[0] = 1;
    EXPECT_EQ(bytes, expected);
  }
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  FailHandleAllocationsAfter(host->handles, 0);
  EXPECT_EQ(RunParamsSetup(*host), kHostErrorNone);
  EXPECT_EQ(host->instance.addCalls.size(), 130u);
  EXPECT_EQ(Def(*host, PARAM_CHAIN_SELECTION).u.arbitrary.defaultHandle, nullptr);
  EXPECT_EQ(Def(*host, PARAM_DRAW_ORDER).u.arbitrary.defaultHandle, nullptr);
  EXPECT_EQ(ReadHandleStats(host->handles).refused, 2);
}
