#include "host/suite_services.h"

namespace {

bool IsRefused(const SuiteServices& services, const std::string& name, int32_t version, bool* deliverNull) {
  for (const SuiteRefusal& refusal : services.refusals) {
    if (refusal.name == name && (refusal.version == kAnySuiteVersion || refusal.version == version)) {
      *deliverNull = refusal.deliverNull;
      return true;
    }
  }
  return false;
}

}  // namespace

void RefuseSuite(SuiteServices& services, const SuiteRefusal& refusal) {
  std::lock_guard<std::mutex> lock(services.mutex);
  services.refusals.push_back(refusal);
}

void ClearSuiteRefusals(SuiteServices& services) {
  std::lock_guard<std::mutex> lock(services.mutex);
  services.refusals.clear();
}

HostError ServeSuiteAcquire(SuiteServices& services, const char* name, int32_t version, const void* table,
                            const void** suite) {
  if (suite == nullptr) return kHostErrorMissingSuite;
  *suite = nullptr;
  if (name == nullptr) return kHostErrorMissingSuite;
  std::lock_guard<std::mutex> lock(services.mutex);
  bool deliverNull = false;
  if (IsRefused(services, name, version, &deliverNull)) return deliverNull ? kHostErrorNone : kHostErrorMissingSuite;
  if (table == nullptr) return kHostErrorMissingSuite;
  *suite = table;
  ++services.counts[{name, version}].acquired;
  return kHostErrorNone;
}

HostError ServeSuiteRelease(SuiteServices& services, const char* name, int32_t version) {
  if (name == nullptr) return kHostErrorMissingSuite;
  std::lock_guard<std::mutex> lock(services.mutex);
  auto found = services.counts.find({name, version});
  if (found == services.counts.end() || found->second.released >= found->second.acquired) {
    ++services.unmatchedReleases;
    return kHostErrorMissingSuite;
  }
  ++found->second.released;
  return kHostErrorNone;
}

void RecordSuiteCall(SuiteServices& services, SuiteLog SuiteServices::*log, std::string entry) {
  std::lock_guard<std::mutex> lock(services.mutex);
  std::vector<std::string>& entries = (services.*log).entries;
  if (entries.size() >= 2 * kSuiteLogKeep) entries.erase(entries.begin(), entries.begin() + kSuiteLogKeep);
  entries.push_back(std::move(entry));
  ++(services.*log).recorded;
}

std::map<SuiteKey, SuiteCounts> ReadSuiteCounts(const SuiteServices& services) {
  std::lock_guard<std::mutex> lock(services.mutex);
  return services.counts;
}

std::vector<std::string> ReadSuiteLog(const SuiteServices& services, SuiteLog SuiteServices::*log) {
  std::lock_guard<std::mutex> lock(services.mutex);
  return (services.*log).entries;
}

int64_t SuiteLogCount(const SuiteServices& services, SuiteLog SuiteServices::*log) {
  std::lock_guard<std::mutex> lock(services.mutex);
  return (services.*log).recorded;
}

std::string LastSuiteLogEntry(const SuiteServices& services, SuiteLog SuiteServices::*log) {
  std::lock_guard<std::mutex> lock(services.mutex);
  const std::vector<std::string>& entries = (services.*log).entries;
  return entries.empty() ? std::string() : entries.back();
}

void ResetSuiteRecords(SuiteServices& services) {
  std::lock_guard<std::mutex> lock(services.mutex);
  services.counts.clear();
  services.unmatchedReleases = 0;
  for (SuiteLog SuiteServices::*log :
       {&SuiteServices::undoEvents, &SuiteServices::scripts, &SuiteServices::scriptCalls, &SuiteServices::drawCalls}) {
    services.*log = SuiteLog{};
  }
}
