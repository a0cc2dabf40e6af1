// What the fuzz targets share: one reference host with the built plug-in,
// opened once per process and reset to its parameter defaults for every
// input, so an input always meets the same state and a crash replays.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/handle_store.h"
#include "host/reference_host.h"

// Stops the run as a finding: libFuzzer keeps the input that got here.
[[noreturn]] inline void FuzzFinding(const std::string& what) {
  std::fprintf(stderr, "fuzz finding: %s\n", what.c_str());
  std::abort();
}

inline std::unique_ptr<ReferenceHost>& FuzzHostSlot() {
  static std::unique_ptr<ReferenceHost> host;
  return host;
}

inline ReferenceHost& FuzzHost() {
  std::unique_ptr<ReferenceHost>& host = FuzzHostSlot();
  if (host == nullptr) {
    std::string error;
    host = OpenReferenceHost(SPINDREL_MODULE_PATH, error);
    if (host == nullptr) FuzzFinding("cannot open the plug-in: " + error);
  }
  return *host;
}

// Closes the host, so that a test process can open its own afterwards.
inline void CloseFuzzHost() { FuzzHostSlot().reset(); }

// The host with every parameter at its default and fresh data blocks.
inline ReferenceHost& ResetFuzzHost() {
  ReferenceHost& host = FuzzHost();
  host.timeScale = 3000;
  host.timeStep = 100;
  if (SetUpEffect(host) != kHostErrorNone) FuzzFinding("parameter setup failed");
  return host;
}

// A correct effect locks and unlocks in pairs and never touches a handle
// that is not live.
inline void CheckHandleUse(const ReferenceHost& host) {
  const HandleStats stats = ReadHandleStats(host.handles);
  if (stats.misuses != 0 || stats.locks != stats.unlocks) FuzzFinding("handle misuse");
}
