#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "model/param_ids.h"
#include "shell/arbitrary_data.h"
#include "tests/host/callback_faults.h"
#include "tests/host/reference_host_fixture.h"

namespace {

const HostParamDef& Def(ReferenceHost& host, int32_t id) { return ParamEntryById(host.instance, id).def; }
std::string Text(ReferenceHost& host, int32_t id) { return ParamEntryById(host.instance, id).text; }

}  // namespace

TEST(ParamsSetup, AddsEveryParameterInOrderThenRegistersTheCustomUI) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  const CallbackFaults faults(*host);
  ASSERT_EQ(RunParamsSetup(*host), kHostErrorNone);
  ASSERT_EQ(faults.addCalls.size(), static_cast<size_t>(kParamCount));
  for (size_t i = 0; i < faults.addCalls.size(); ++i) {
    EXPECT_EQ(faults.addCalls[i].index, -1);
    EXPECT_EQ(faults.addCalls[i].id, static_cast<int32_t>(i) + 1);
  }
  ASSERT_EQ(host->instance.customUiRegistrations.size(), 1u);
  HostCustomUIInfo expected{};
  expected.events = 3;
  EXPECT_EQ(std::memcmp(&host->instance.customUiRegistrations[0], &expected, sizeof(expected)), 0);
  EXPECT_EQ(host->numParams, kParamCountWithInput);
}

TEST(ParamsSetup, HostFailuresAreReturnedWithTheirCodeButAMissingDefaultBlobIsNot) {
  for (int32_t failing : {1, 57, PARAM_CHAIN_SELECTION, PARAM_DRAW_ORDER, kParamCount}) {
    SCOPED_TRACE(failing);
    auto host = OpenTestHost();
    ASSERT_NE(host, nullptr);
    CallbackFaults faults(*host);
    faults.failAddCall = failing;
    faults.failAddCode = 7000 + failing;
    EXPECT_EQ(RunParamsSetup(*host), 7000 + failing);
    EXPECT_EQ(faults.addCalls.size(), static_cast<size_t>(failing));
    EXPECT_TRUE(host->instance.customUiRegistrations.empty());
    EXPECT_EQ(host->numParams, 0);
    // Only the blob of a parameter the host accepted stays allocated.
    EXPECT_EQ(ReadHandleStats(host->handles).live, failing > PARAM_DRAW_ORDER ? 2 : failing > PARAM_CHAIN_SELECTION ? 1 : 0);
  }
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  {
    CallbackFaults faults(*host);
    faults.registerCustomUIResult = 42;
    EXPECT_EQ(RunParamsSetup(*host), 42);
    EXPECT_EQ(host->numParams, kParamCountWithInput);
  }
  // A failed default blob is not an error: the parameter goes in with a null default.
  host = nullptr;
  ASSERT_NE(host = OpenTestHost(), nullptr);
  FailHandleAllocationsAfter(host->handles, 0);
  EXPECT_EQ(RunParamsSetup(*host), kHostErrorNone);
  EXPECT_EQ(ParamCount(host->instance), kParamCountWithInput);
  EXPECT_EQ(Def(*host, PARAM_CHAIN_SELECTION).u.arbitrary.defaultHandle, nullptr);
  EXPECT_EQ(Def(*host, PARAM_DRAW_ORDER).u.arbitrary.defaultHandle, nullptr);
}

// "Directional Start (writing dir)" fills the 31 characters a name holds.
TEST(ParamsSetup, LabelsTextsAndFlagsOnlyOnButtonsAndHiddenData) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(ParamEntryById(host->instance, PARAM_DIRECTIONAL_START).label, "Directional Start (writing dir)");
  EXPECT_EQ(Text(*host, PARAM_USE_GRADIENT), "Ramp Line Color \xE2\x86\x92 Line Color End");
  EXPECT_EQ(Text(*host, PARAM_REVERSE_SELECTED), "<-> Reverse Selected Chains");
  const std::set<int32_t> buttons = {PARAM_REVERSE_SELECTED, PARAM_SET_ORDER,  PARAM_CLEAR_ORDER,
                                     PARAM_EXPORT_PATHS,     PARAM_EXPORT_SVG, PARAM_CREATE_SHAPE_LAYER,
                                     PARAM_BLEND_SELECTED};
  for (int32_t id = 1; id <= kParamCount; ++id) {
    const HostParamDef& def = Def(*host, id);
    SCOPED_TRACE(id);
    EXPECT_EQ(def.id, id);
    EXPECT_NE(std::memchr(def.name, '\0', kParamNameSize), nullptr);
    EXPECT_EQ(def.uiWidth | def.uiHeight, 0);
    const bool button = buttons.count(id) != 0;
    const bool data = id == PARAM_CHAIN_SELECTION || id == PARAM_DRAW_ORDER;
    EXPECT_EQ(def.paramType == kParamTypeButton, button);
    EXPECT_EQ(def.paramType == kParamTypeArbitraryData, data);
    EXPECT_EQ(def.flags, button ? 64 : data ? 66 : 0);
    EXPECT_EQ(def.uiFlags, data ? 8 : 0);
    if (data) {
      EXPECT_EQ(def.u.arbitrary.id, id);
      EXPECT_EQ(def.u.arbitrary.valueHandle, nullptr);
      std::vector<uint8_t> fresh(ArbBlockSize(id), 0);
      fresh[0] = 1;
      EXPECT_EQ(ReadHandleBytes(host->handles, def.u.arbitrary.defaultHandle), fresh);
    }
    if (def.paramType == kParamTypeFloatSlider) {
      EXPECT_EQ(def.u.floatSlider.precision, 2);
      EXPECT_EQ(def.u.floatSlider.curveTolerance, 0.05f);
    }
  }
}
