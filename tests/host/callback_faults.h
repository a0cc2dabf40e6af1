// Host callbacks that fail on demand. While a CallbackFaults lives, the
// host's entry point is wrapped so that every command hands the effect the
// host's utility callbacks with adding a parameter and registering the
// custom UI going through the faults first; the host itself is unchanged.
// One at a time; it must not outlive the host.
#pragma once

#include <cstdint>
#include <vector>

#include "host/host_callbacks.h"
#include "host/reference_host.h"

struct AddParamCall {
  int32_t index = 0;
  int32_t id = 0;
};

struct CallbackFaults {
  explicit CallbackFaults(ReferenceHost& host);
  ~CallbackFaults();
  CallbackFaults(const CallbackFaults&) = delete;
  CallbackFaults& operator=(const CallbackFaults&) = delete;

  int32_t failAddCall = 0;  // 1-based add call that fails with failAddCode; 0 never
  HostError failAddCode = kHostErrorNone;
  HostError registerCustomUIResult = kHostErrorNone;  // answered instead of the host's own
  std::vector<AddParamCall> addCalls;                 // every add call the effect made

  ReferenceHost& host;
  HostEntryPointFunc hostEntryPoint;
  HostUtilityCallbacks callbacks;
};

namespace callback_faults {

inline CallbackFaults* g_active = nullptr;

inline HostError AddParam(HostEffectRef effect, int32_t index, const HostParamDef* def) {
  CallbackFaults& faults = *g_active;
  faults.addCalls.push_back({index, def != nullptr ? def->id : 0});
  if (faults.failAddCall == static_cast<int32_t>(faults.addCalls.size())) return faults.failAddCode;
  return ReferenceUtilityCallbacks().addParam(effect, index, def);
}

inline HostError RegisterCustomUI(HostEffectRef effect, const HostCustomUIInfo* info) {
  const HostError error = ReferenceUtilityCallbacks().registerCustomUI(effect, info);
  return error == kHostErrorNone ? g_active->registerCustomUIResult : error;
}

inline HostError EntryPoint(int32_t command, HostInData* in, HostOutData* out, HostParamDef* params[],
                            HostFrame* output, void* extra) {
  HostInData faulty = *in;
  faulty.utils = &g_active->callbacks;
  return g_active->hostEntryPoint(command, &faulty, out, params, output, extra);
}

}  // namespace callback_faults

inline CallbackFaults::CallbackFaults(ReferenceHost& host)
    : host(host), hostEntryPoint(host.entryPoint), callbacks(ReferenceUtilityCallbacks()) {
  callbacks.addParam = callback_faults::AddParam;
  callbacks.registerCustomUI = callback_faults::RegisterCustomUI;
  callback_faults::g_active = this;
  host.entryPoint = callback_faults::EntryPoint;
}

inline CallbackFaults::~CallbackFaults() {
  host.entryPoint = hostEntryPoint;
  callback_faults::g_active = nullptr;
}
