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

// What the effect asked a suite to do, in call order. A log keeps its latest
// entries only, so that a long editing session stays in bounded memory:
// when it holds 2 x kSuiteLogKeep entries, the oldest kSuiteLogKeep go.
constexpr size_t kSuiteLogKeep = 1000;
struct SuiteLog {
  std::vector<std::string> entries;
  int64_t recorded = 0;  // every entry ever recorded, also those dropped
};

struct SuiteServices {
  mutable std::mutex mutex;  // guards every field
  std::vector<SuiteRefusal> refusals;
  std::map<SuiteKey, SuiteCounts> counts;
  int64_t unmatchedReleases = 0;  // releases of a suite not acquired
  SuiteLog undoEvents;   // "begin NAME" and "end"
  SuiteLog scripts;      // the text of every script run
  SuiteLog scriptCalls;  // its other arguments: "plugin P encoding E result R error E"
  SuiteLog drawCalls;
};

void RefuseSuite(SuiteServices& services, const SuiteRefusal& refusal);
void ClearSuiteRefusals(SuiteServices& services);

// `table` is the host's function table for the suite, null when the host
// does not offer it.
HostError ServeSuiteAcquire(SuiteServices& services, const char* name, int32_t version, const void* table,
                            const void** suite);
HostError ServeSuiteRelease(SuiteServices& services, const char* name, int32_t version);

void RecordSuiteCall(SuiteServices& services, SuiteLog SuiteServices::*log, std::string entry);

// Snapshots, taken under the lock.
std::map<SuiteKey, SuiteCounts> ReadSuiteCounts(const SuiteServices& services);
std::vector<std::string> ReadSuiteLog(const SuiteServices& services, SuiteLog SuiteServices::*log);
// How many entries the log has recorded in all, and its last one (empty when none).
int64_t SuiteLogCount(const SuiteServices& services, SuiteLog SuiteServices::*log);
std::string LastSuiteLogEntry(const SuiteServices& services, SuiteLog SuiteServices::*log);
void ResetSuiteRecords(SuiteServices& services);
