// Per-command cache of host suites: acquires each suite on first use and
// releases every acquired suite when the command ends.
#pragma once

#include <array>

#include "host_interface/host_records.h"
#include "host_interface/host_suites.h"
#include "overlay_export/known_suites.h"

// Thrown when the host cannot supply a suite the effect needs; the entry
// point answers it with kHostErrorInternal.
struct MissingSuiteException {
  HostError code = kHostErrorMissingSuite;
};

[[noreturn]] void MissingSuiteError();

struct SuiteHandler {
  // Throws MissingSuiteException when basicSuite is null.
  explicit SuiteHandler(const HostBasicSuite* basicSuite);
  ~SuiteHandler();
  SuiteHandler(const SuiteHandler&) = delete;
  SuiteHandler& operator=(const SuiteHandler&) = delete;

  const HostBasicSuite* basicSuite = nullptr;
  // Non-null: this handler acquired the suite and owes one release.
  std::array<const void*, kKnownSuiteCount> cached = {};
};

// Releases, in the order of kKnownSuites, every suite the handler acquired.
void ReleaseAllSuites(SuiteHandler& handler) noexcept;

// Never returns null: a refused or null suite throws MissingSuiteException.
const void* AcquireKnownSuite(SuiteHandler& handler, size_t knownSuiteIndex);

const HostUtilitySuite13* AcquireUtilitySuite(SuiteHandler& handler);
const HostCustomUISuite1* AcquireCustomUISuite(SuiteHandler& handler);
const HostDrawSuite1* AcquireDrawSuite(SuiteHandler& handler);
const HostSupplierSuite1* AcquireSupplierSuite(SuiteHandler& handler);
const HostSurfaceSuite2* AcquireSurfaceSuite(SuiteHandler& handler);
const HostPathSuite1* AcquirePathSuite(SuiteHandler& handler);
