#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_callbacks.h"
#include "tests/host/reference_host_fixture.h"
#include "host_interface/host_commands.h"
#include "shell/command_dispatch.h"
#include "shell/suite_handler.h"

namespace {

// A basic suite that hands out a dummy table for every name except the
// refused one and logs every call.
struct FakeSuiteLog {
  std::vector<std::string> acquires;
  std::vector<std::string> releases;
  std::string refused;
  bool deliverNull = false;
};
FakeSuiteLog g_log;
const int g_table = 0;

std::string Key(const char* name, int32_t version) { return std::string(name) + " " + std::to_string(version); }

HostError FakeAcquire(const char* name, int32_t version, const void** suite) {
  g_log.acquires.push_back(Key(name, version));
  if (g_log.refused == name) return kHostErrorMissingSuite;
  *suite = g_log.deliverNull ? nullptr : &g_table;
  return kHostErrorNone;
}

HostError FakeRelease(const char* name, int32_t version) {
  g_log.releases.push_back(Key(name, version));
  return kHostErrorNone;
}

const HostBasicSuite kFakeBasicSuite = {FakeAcquire, FakeRelease};

class SuiteHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log = FakeSuiteLog{}; }
};

}  // namespace

TEST_F(SuiteHandlerTest, AcquiresOnceAndReleasesOnceInKnownOrder) {
  {
    SuiteHandler handler(&kFakeBasicSuite);
    AcquirePathSuite(handler);
    AcquireUtilitySuite(handler);
    AcquireCustomUISuite(handler);
    AcquireUtilitySuite(handler);
    AcquireDrawSuite(handler);
    AcquireSupplierSuite(handler);
    AcquireSurfaceSuite(handler);
    EXPECT_EQ(g_log.acquires.size(), 6u);
    EXPECT_TRUE(g_log.releases.empty());
  }
  EXPECT_EQ(g_log.releases,
            (std::vector<std::string>{"AEGP Utility Suite 13", "PF Effect Custom UI Suite 1", "DRAWBOT Draw Suite 1",
                                      "DRAWBOT Supplier Suite 1", "DRAWBOT Surface Suite 2",
                                      "DRAWBOT Path Suite 1"}));
}

TEST_F(SuiteHandlerTest, UnusedHandlerReleasesNothing) {
  { SuiteHandler handler(&kFakeBasicSuite); }
  EXPECT_TRUE(g_log.releases.empty());
}

TEST_F(SuiteHandlerTest, RefusedOrNullSuiteRaises516AndEarlierSuitesAreStillReleased) {
  for (bool deliverNull : {false, true}) {
    g_log = FakeSuiteLog{};
    g_log.deliverNull = false;
    try {
      SuiteHandler handler(&kFakeBasicSuite);
      AcquireUtilitySuite(handler);
      g_log.refused = deliverNull ? "" : kPathSuiteName;
      g_log.deliverNull = deliverNull;
      AcquirePathSuite(handler);
      ADD_FAILURE() << "no exception";
    } catch (const MissingSuiteException& error) {
      EXPECT_EQ(error.code, 516);
    }
    EXPECT_EQ(g_log.releases, std::vector<std::string>{"AEGP Utility Suite 13"});
  }
  EXPECT_THROW(SuiteHandler(nullptr), MissingSuiteException);
}

TEST_F(SuiteHandlerTest, ReferenceHostCountsAndRefusesByNameAndVersion) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  {
    SuiteHandler handler(&ReferenceBasicSuite());
    EXPECT_NE(AcquireUtilitySuite(handler)->startUndoGroup, nullptr);
    AcquireCustomUISuite(handler);
    AcquireDrawSuite(handler);
    AcquireSupplierSuite(handler);
    AcquireSurfaceSuite(handler);
    AcquirePathSuite(handler);
    AcquirePathSuite(handler);
  }
  const auto counts = ReadSuiteCounts(host->suites);
  EXPECT_EQ(counts.size(), 6u);
  for (const auto& [key, count] : counts) {
    EXPECT_EQ(count.acquired, 1) << key.first;
    EXPECT_EQ(count.released, 1) << key.first;
  }
  RefuseSuite(host->suites, {kUtilitySuiteName, 13, false});
  RefuseSuite(host->suites, {kDrawSuiteName, 1, true});
  SuiteHandler handler(&ReferenceBasicSuite());
  EXPECT_THROW(AcquireUtilitySuite(handler), MissingSuiteException);
  EXPECT_THROW(AcquireDrawSuite(handler), MissingSuiteException);
  EXPECT_NO_THROW(AcquirePathSuite(handler));
}

// A missing suite raised inside any handler reaches the host as 512.
namespace {
HostError AddParamNeedingUtilitySuite(HostEffectRef, int32_t, const HostParamDef*) {
  SuiteHandler handler(&kFakeBasicSuite);
  AcquireUtilitySuite(handler);
  return kHostErrorNone;
}
}  // namespace

TEST_F(SuiteHandlerTest, EntryPointAnswersMissingSuiteWith512) {
  g_log.refused = kUtilitySuiteName;
  HostUtilityCallbacks utils{};
  utils.addParam = AddParamNeedingUtilitySuite;
  HostInData in{};
  in.utils = &utils;
  HostOutData out{};
  EXPECT_EQ(DispatchCommand(kCommandParamsSetup, &in, &out, nullptr, nullptr, nullptr), 512);
}
