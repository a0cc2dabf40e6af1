#include "host/host_callbacks.h"

#include <cstring>
#include <string>

#include "host/active_host.h"
#include "host/entry_point_call.h"
#include "host/reference_host_state.h"
#include "host/undo_groups.h"
#include "host/ui/window_drawing.h"
#include "host_interface/host_suites.h"

namespace {

// The effect reference the host hands out is its effect instance: the one
// place where the opaque reference and the instance are cast into each other.
HostEffectRef EffectRefOf(HostEffectInstance& instance) { return reinterpret_cast<HostEffectRef>(&instance); }
HostEffectInstance* InstanceOf(HostEffectRef effect) { return reinterpret_cast<HostEffectInstance*>(effect); }

// --- utility callbacks ------------------------------------------------------

HostError AddParam(HostEffectRef effect, int32_t index, const HostParamDef* def) {
  if (effect == nullptr) return kHostErrorInvalidIndex;
  return InstanceAddParam(*InstanceOf(effect), index, def);
}

// A command sees its own parameter array; a keyed parameter is evaluated at
// the time asked for.
HostError CheckoutParam(HostEffectRef effect, int32_t index, int32_t time, int32_t, uint32_t, HostParamDef* param) {
  if (effect == nullptr || param == nullptr) return kHostErrorInvalidIndex;
  HostEffectInstance& instance = *InstanceOf(effect);
  if (index < 0 || index >= ParamCount(instance)) return kHostErrorInvalidIndex;
  const CommandContext* context = CurrentCommandContext();
  HostParamDef record;
  if (context != nullptr && index < context->paramCount && context->params[index] != nullptr) {
    record = *context->params[index];
  } else {
    record = SnapshotParamValues(instance).at(static_cast<size_t>(index));
  }
  AnimatedParamValue(instance, index, time, record.u);
  std::lock_guard<std::mutex> lock(instance.mutex);
  if (record.paramType == kParamTypeLayer) {
    record.u.layer = HostFrame{};
    if (index == 0 && context != nullptr && context->input != nullptr) record.u.layer = *context->input;
    if (index != 0 && instance.hasMapLayer) record.u.layer = instance.mapLayer;
  }
  *param = record;
  ++instance.checkouts;
  return kHostErrorNone;
}

HostError CheckinParam(HostEffectRef effect, HostParamDef* param) {
  if (effect == nullptr || param == nullptr) return kHostErrorInvalidIndex;
  HostEffectInstance& instance = *InstanceOf(effect);
  std::lock_guard<std::mutex> lock(instance.mutex);
  ++instance.checkins;
  return kHostErrorNone;
}

HostError RegisterCustomUI(HostEffectRef effect, const HostCustomUIInfo* info) {
  if (effect == nullptr) return kHostErrorInvalidIndex;
  return InstanceRegisterCustomUI(*InstanceOf(effect), info);
}

HostHandle NewHandle(uint64_t size) {
  ReferenceHost* host = ActiveReferenceHost();
  return host != nullptr ? StoreNewHandle(host->handles, size) : nullptr;
}

void* LockHandle(HostHandle handle) {
  ReferenceHost* host = ActiveReferenceHost();
  return host != nullptr ? StoreLockHandle(host->handles, handle) : nullptr;
}

void UnlockHandle(HostHandle handle) {
  if (ReferenceHost* host = ActiveReferenceHost()) StoreUnlockHandle(host->handles, handle);
}

void DisposeHandle(HostHandle handle) {
  if (ReferenceHost* host = ActiveReferenceHost()) StoreDisposeHandle(host->handles, handle);
}

// The destination is the output record's return message.
HostError AnsiCopy(const char* source, char* destination) {
  if (source == nullptr || destination == nullptr) return kHostErrorInvalidIndex;
  std::strncpy(destination, source, kReturnMessageSize - 1);
  destination[kReturnMessageSize - 1] = '\0';
  return kHostErrorNone;
}

const HostUtilityCallbacks kUtilityCallbacks = {
    AddParam, CheckoutParam, CheckinParam, RegisterCustomUI, NewHandle,
    LockHandle, UnlockHandle, DisposeHandle, AnsiCopy,
};

// --- suites -------------------------------------------------------------------

void Record(SuiteLog SuiteServices::*log, std::string entry) {
  if (ReferenceHost* host = ActiveReferenceHost()) RecordSuiteCall(host->suites, log, std::move(entry));
}

// A press records its groups for its undo step; other commands' groups are only logged.
HostError StartUndoGroup(const char* name) {
  Record(&SuiteServices::undoEvents, std::string("begin ") + (name != nullptr ? name : ""));
  const CommandContext* context = CurrentCommandContext();
  if (context != nullptr && context->undoGroups != nullptr) BeginUndoGroup(*context->undoGroups, name);
  return kHostErrorNone;
}

HostError EndUndoGroup() {
  Record(&SuiteServices::undoEvents, "end");
  const CommandContext* context = CurrentCommandContext();
  if (context != nullptr && context->undoGroups != nullptr) EndUndoGroup(*context->undoGroups);
  return kHostErrorNone;
}

HostError ExecuteScript(int32_t pluginId, const char* script, uint8_t platformEncoding, HostMemHandle* result,
                        HostMemHandle* error) {
  Record(&SuiteServices::scripts, script != nullptr ? script : "");
  Record(&SuiteServices::scriptCalls, "plugin " + std::to_string(pluginId) + " encoding " +
                                          std::to_string(platformEncoding) + " result " +
                                          (result != nullptr ? "handle" : "none") + " error " +
                                          (error != nullptr ? "handle" : "none"));
  if (result != nullptr) *result = nullptr;
  if (error != nullptr) *error = nullptr;
  return kHostErrorNone;
}

HostUtilitySuite13 MakeUtilitySuite() {
  HostUtilitySuite13 suite{};
  suite.startUndoGroup = StartUndoGroup;
  suite.endUndoGroup = EndUndoGroup;
  suite.executeScript = ExecuteScript;
  return suite;
}

const HostUtilitySuite13 kUtilitySuite = MakeUtilitySuite();

const void* FindSuiteTable(const char* name, int32_t version) {
  struct Offer {
    const char* name;
    int32_t version;
    const void* table;
  };
  static const Offer kOffers[] = {
      {kUtilitySuiteName, kUtilitySuiteVersion, &kUtilitySuite},
      {kCustomUISuiteName, kCustomUISuiteVersion, &ReferenceCustomUISuite()},
      {kDrawSuiteName, kDrawSuiteVersion, &ReferenceDrawSuite()},
      {kSupplierSuiteName, kSupplierSuiteVersion, &ReferenceSupplierSuite()},
      {kSurfaceSuiteName, kSurfaceSuiteVersion, &ReferenceSurfaceSuite()},
      {kPathSuiteName, kPathSuiteVersion, &ReferencePathSuite()},
  };
  if (name == nullptr) return nullptr;
  for (const Offer& offer : kOffers) {
    if (version == offer.version && std::strcmp(name, offer.name) == 0) return offer.table;
  }
  return nullptr;
}

HostError AcquireSuite(const char* name, int32_t version, const void** suite) {
  ReferenceHost* host = ActiveReferenceHost();
  if (host == nullptr) return kHostErrorMissingSuite;
  return ServeSuiteAcquire(host->suites, name, version, FindSuiteTable(name, version), suite);
}

HostError ReleaseSuite(const char* name, int32_t version) {
  ReferenceHost* host = ActiveReferenceHost();
  if (host == nullptr) return kHostErrorMissingSuite;
  return ServeSuiteRelease(host->suites, name, version);
}

const HostBasicSuite kBasicSuite = {AcquireSuite, ReleaseSuite};

}  // namespace

const HostUtilityCallbacks& ReferenceUtilityCallbacks() { return kUtilityCallbacks; }
const HostBasicSuite& ReferenceBasicSuite() { return kBasicSuite; }

HostInData MakeInData(ReferenceHost& host, int32_t time) {
  HostInData in{};
  in.currentTime = time;
  in.timeStep = host.timeStep;
  in.timeScale = host.timeScale;
  in.downsampleX = host.downsampleX;
  in.downsampleY = host.downsampleY;
  in.effectRef = EffectRefOf(host.instance);
  in.utils = &kUtilityCallbacks;
  in.basicSuite = &kBasicSuite;
  return in;
}
