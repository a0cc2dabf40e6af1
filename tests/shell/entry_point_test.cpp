#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "host/handle_store.h"
#include "tests/host/reference_host_fixture.h"
#include "host_interface/host_commands.h"
#include "shell/command_dispatch.h"
#include "shell/param_ids.h"

namespace {

HostOutData PatternedOut() {
  HostOutData out;
  std::memset(&out, 0xA5, sizeof(out));
  return out;
}

}  // namespace

TEST(EntryPoint, AboutTextIsExactlyTheThreeLines) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  std::string text;
  EXPECT_EQ(RunAbout(*host, text), kHostErrorNone);
  EXPECT_EQ(text,
            "Spindrel v1.0.4\rExtracts the spindrel skeleton of any layer.\r"
            "Use with Layer > Auto-trace for Trim Path animation.");
  EXPECT_EQ(text.size(), 113u);
}

TEST(EntryPoint, GlobalSetupDeclaresVersionAndCapabilities) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(RunGlobalSetup(*host), kHostErrorNone);
  EXPECT_EQ(host->effectVersion, 0x82001u);
  EXPECT_EQ(host->outFlags, 0x6008440);
  EXPECT_EQ(host->outFlags2, 0x8000000);
}

TEST(EntryPoint, CommandsWithoutHandlerAnswerZeroAndTouchNothing) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const HandleStats before = ReadHandleStats(host->handles);
  for (int32_t command : {2, 3, 5, 6, 7, 8, 9, 10, 12, 14, 16, 17, 18, 19, 20, 21, 23, 100, -1, INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(command);
    HostInData in = MakeInData(*host, 0);
    HostOutData out = PatternedOut();
    const HostOutData pattern = out;
    EXPECT_EQ(CallEntryPoint(*host, command, in, out, nullptr, nullptr, nullptr, nullptr), kHostErrorNone);
    EXPECT_EQ(std::memcmp(&out, &pattern, sizeof(out)), 0);
  }
  const HandleStats after = ReadHandleStats(host->handles);
  EXPECT_EQ(after.allocated, before.allocated);
  EXPECT_EQ(after.locks, before.locks);
  EXPECT_TRUE(ReadSuiteCounts(host->suites).empty());
}

TEST(EntryPoint, UserChangedParamAnswersZeroForEveryIndexAndNullRecord) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  HostInData in = MakeInData(*host, 0);
  HostOutData out = PatternedOut();
  const HostOutData pattern = out;
  EXPECT_EQ(CallEntryPoint(*host, kCommandUserChangedParam, in, out, nullptr, nullptr, nullptr, nullptr),
            kHostErrorNone);
  EXPECT_EQ(std::memcmp(&out, &pattern, sizeof(out)), 0);
  for (int32_t index : {PARAM_TARGET_POSITION, PARAM_THRESHOLD, PARAM_SET_ORDER, PARAM_CLEAR_ORDER,
                        PARAM_EXPORT_PATHS, PARAM_EXPORT_SVG, PARAM_CREATE_SHAPE_LAYER, -5, 999}) {
    EXPECT_EQ(PressButton(*host, index), kHostErrorNone) << index;
  }
}

TEST(EntryPoint, ModuleExportsOnlyTheEntryPoint) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  EXPECT_NE(ResolveModuleSymbol(host->module, "EntryPointFunc"), nullptr);
  EXPECT_EQ(ResolveModuleSymbol(host->module, "_Z15DispatchCommandiP10HostInDataP11HostOutDataPP12HostParamDefP9HostFramePv"),
            nullptr);
  EXPECT_EQ(ResolveModuleSymbol(host->module, "_Z11ParamsSetupP10HostInDataP11HostOutDataPP12HostParamDefP9HostFrame"),
            nullptr);
}

TEST(EntryPoint, RenderClearsTheOutputAtEveryDepth) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  for (int32_t pixelBytes : {4, 8, 16}) {
    SCOPED_TRACE(pixelBytes);
    std::vector<uint8_t> input(static_cast<size_t>(5 * 3 * pixelBytes), 0x7F);
    std::vector<uint8_t> output(input.size(), 0xEE);
    HostFrame in{input.data(), 5 * pixelBytes, 5, 3};
    HostFrame out{output.data(), 5 * pixelBytes, 5, 3};
    EXPECT_EQ(RenderFrame(*host, in, out, 0), kHostErrorNone);
    EXPECT_EQ(output, std::vector<uint8_t>(output.size(), 0));
  }
}

// The catch-all, reached in-process: a host callback that throws stands for
// any exception escaping a handler.
namespace {
HostError ThrowingAddParam(HostEffectRef, int32_t, const HostParamDef*) { throw std::bad_alloc(); }
}  // namespace

TEST(EntryPoint, EscapingExceptionBecomesInternalError) {
  HostUtilityCallbacks utils{};
  utils.addParam = ThrowingAddParam;
  HostInData in{};
  in.utils = &utils;
  HostOutData out{};
  EXPECT_EQ(DispatchCommand(kCommandParamsSetup, &in, &out, nullptr, nullptr, nullptr), kHostErrorInternal);
}
