// The host's side of the basic suite: which suites it hands out, which it
// refuses (so the effect's failure paths can be tested), how often each was
// acquired and released, and what the effect asked the suites to do.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host_interface/host_errors.h"

constexpr int32_t kAnySuiteVersion = -1;

struct SuiteRefusal {
  std::string name;
  int32_t version = kAnySuiteVersion;
  bool deliverNull = false;  // answer success with a null table instead of an error
};

struct SuiteCounts {
  int64_t acquired = 0;
  int64_t released = 0;
};

using SuiteKey = std::pair<std::string, int32_t>;

struct SuiteServices {
  mutable std::mutex mutex;  // guards every field
  std::vector<SuiteRefusal> refusals;
  std::map<SuiteKey, SuiteCounts> counts;
  int64_t unmatchedReleases = 0;  // releases of a suite not acquired
  std::vector<std::string> undoEvents;  // "begin NAME" and "end", in call order
  std::vector<std::string> scripts;      // the text of every script run, in call order
  std::vector<std::string> scriptCalls;  // its other arguments: "plugin P encoding E result R error E"
  std::vector<std::string> drawCalls;
};

void RefuseSuite(SuiteServices& services, const SuiteRefusal& refusal);
void ClearSuiteRefusals(SuiteServices& services);

// `table` is the host's function table for the suite, null when the host
// does not offer it.
HostError ServeSuiteAcquire(SuiteServices& services, const char* name, int32_t version, const void* table,
                            const void** suite);
HostError ServeSuiteRelease(SuiteServices& services, const char* name, int32_t version);

void RecordSuiteCall(SuiteServices& services, std::vector<std::string> SuiteServices::*log, std::string entry);

// Snapshots, taken under the lock.
std::map<SuiteKey, SuiteCounts> ReadSuiteCounts(const SuiteServices& services);
std::vector<std::string> ReadSuiteLog(const SuiteServices& services,
                                      std::vector<std::string> SuiteServices::*log);
void ResetSuiteRecords(SuiteServices& services);
