// The suite handler: each suite acquired once, on first use, and released once in the known order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_callbacks.h"
#include "overlay_export/suite_handler.h"
#include "tests/host/reference_host_fixture.h"

namespace {

std::vector<std::string> g_releases;

HostError LoggedRelease(const char* name, int32_t version) {
  g_releases.push_back(std::string(name) + " " + std::to_string(version));
  return ReferenceBasicSuite().releaseSuite(name, version);
}

// The reference host's suites, releases logged in order.
const HostBasicSuite kLoggedBasicSuite = {ReferenceBasicSuite().acquireSuite, LoggedRelease};

}  // namespace

TEST(SuiteHandler, AcquiresEachSuiteOnceAndReleasesItOnceInKnownOrder) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  g_releases.clear();
  { SuiteHandler unused(&kLoggedBasicSuite); }
  EXPECT_TRUE(g_releases.empty());
  {
    SuiteHandler handler(&kLoggedBasicSuite);
    AcquirePathSuite(handler);
    EXPECT_NE(AcquireUtilitySuite(handler)->startUndoGroup, nullptr);
    AcquireCustomUISuite(handler);
    AcquireUtilitySuite(handler);
    AcquireDrawSuite(handler);
    AcquireSupplierSuite(handler);
    AcquireSurfaceSuite(handler);
    AcquirePathSuite(handler);
    EXPECT_TRUE(g_releases.empty());
  }
  EXPECT_EQ(g_releases,
            (std::vector<std::string>{"AEGP Utility Suite 13", "PF Effect Custom UI Suite 1", "DRAWBOT Draw Suite 1",
                                      "DRAWBOT Supplier Suite 1", "DRAWBOT Surface Suite 2",
                                      "DRAWBOT Path Suite 1"}));
  EXPECT_EQ(ReadSuiteCounts(host->suites).size(), 6u);
  for (const auto& [key, count] : ReadSuiteCounts(host->suites)) {
    EXPECT_EQ(count.acquired, 1) << key.first;
    EXPECT_EQ(count.released, 1) << key.first;
  }
}
