// Opens the built plug-in module in the reference host for one test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/reference_host.h"

inline std::unique_ptr<ReferenceHost> OpenTestHost() {
  std::string error;
  std::unique_ptr<ReferenceHost> host = OpenReferenceHost(SPINDREL_MODULE_PATH, error);
  EXPECT_NE(host, nullptr) << error;
  return host;
}

// A host that has run global setup and parameter setup.
inline std::unique_ptr<ReferenceHost> OpenSetUpHost() {
  std::unique_ptr<ReferenceHost> host = OpenTestHost();
  if (host != nullptr) {
    EXPECT_EQ(SetUpEffect(*host), kHostErrorNone);
  }
  return host;
}
