#include "overlay_export/suite_handler.h"

namespace {

constexpr size_t kUtilitySuiteIndex = KnownSuiteIndex(kUtilitySuiteName, kUtilitySuiteVersion);
constexpr size_t kCustomUISuiteIndex = KnownSuiteIndex(kCustomUISuiteName, kCustomUISuiteVersion);
constexpr size_t kDrawSuiteIndex = KnownSuiteIndex(kDrawSuiteName, kDrawSuiteVersion);
constexpr size_t kSupplierSuiteIndex = KnownSuiteIndex(kSupplierSuiteName, kSupplierSuiteVersion);
constexpr size_t kSurfaceSuiteIndex = KnownSuiteIndex(kSurfaceSuiteName, kSurfaceSuiteVersion);
constexpr size_t kPathSuiteIndex = KnownSuiteIndex(kPathSuiteName, kPathSuiteVersion);
static_assert(kUtilitySuiteIndex < kKnownSuiteCount && kCustomUISuiteIndex < kKnownSuiteCount &&
              kDrawSuiteIndex < kKnownSuiteCount && kSupplierSuiteIndex < kKnownSuiteCount &&
              kSurfaceSuiteIndex < kKnownSuiteCount && kPathSuiteIndex < kKnownSuiteCount);

}  // namespace

void MissingSuiteError() { throw MissingSuiteException{}; }

SuiteHandler::SuiteHandler(const HostBasicSuite* suite) : basicSuite(suite) {
  if (basicSuite == nullptr) MissingSuiteError();
}

SuiteHandler::~SuiteHandler() { ReleaseAllSuites(*this); }

void ReleaseAllSuites(SuiteHandler& handler) noexcept {
  if (handler.basicSuite == nullptr || handler.basicSuite->releaseSuite == nullptr) return;
  for (size_t i = 0; i < kKnownSuiteCount; ++i) {
    if (handler.cached[i] == nullptr) continue;
    // The names are literals, so data() is zero-terminated.
    handler.basicSuite->releaseSuite(kKnownSuites[i].name.data(), kKnownSuites[i].version);
  }
}

const void* AcquireKnownSuite(SuiteHandler& handler, size_t knownSuiteIndex) {
  const void*& slot = handler.cached.at(knownSuiteIndex);
  if (slot != nullptr) return slot;
  if (handler.basicSuite->acquireSuite == nullptr) MissingSuiteError();
  const KnownSuite& known = kKnownSuites[knownSuiteIndex];
  const void* suite = nullptr;
  const HostError error = handler.basicSuite->acquireSuite(known.name.data(), known.version, &suite);
  if (error != kHostErrorNone || suite == nullptr) MissingSuiteError();
  slot = suite;
  return suite;
}

const HostUtilitySuite13* AcquireUtilitySuite(SuiteHandler& handler) {
  return static_cast<const HostUtilitySuite13*>(AcquireKnownSuite(handler, kUtilitySuiteIndex));
}

const HostCustomUISuite1* AcquireCustomUISuite(SuiteHandler& handler) {
  return static_cast<const HostCustomUISuite1*>(AcquireKnownSuite(handler, kCustomUISuiteIndex));
}

const HostDrawSuite1* AcquireDrawSuite(SuiteHandler& handler) {
  return static_cast<const HostDrawSuite1*>(AcquireKnownSuite(handler, kDrawSuiteIndex));
}

const HostSupplierSuite1* AcquireSupplierSuite(SuiteHandler& handler) {
  return static_cast<const HostSupplierSuite1*>(AcquireKnownSuite(handler, kSupplierSuiteIndex));
}

const HostSurfaceSuite2* AcquireSurfaceSuite(SuiteHandler& handler) {
  return static_cast<const HostSurfaceSuite2*>(AcquireKnownSuite(handler, kSurfaceSuiteIndex));
}

const HostPathSuite1* AcquirePathSuite(SuiteHandler& handler) {
  return static_cast<const HostPathSuite1*>(AcquireKnownSuite(handler, kPathSuiteIndex));
}
