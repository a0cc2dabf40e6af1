#include <gtest/gtest.h>

#include "host_interface/host_suites.h"

TEST(HostInterfaceLayout, SuiteSlotsSitAtTheirNumbers) {
  EXPECT_EQ(offsetof(HostUtilitySuite13, executeScript), 28 * sizeof(void*));
}
