#include "host/reference_host.h"

#include <utility>

#include "host/active_host.h"
#include "host/arb_data_calls.h"
#include "host/entry_point_call.h"
#include "host/host_callbacks.h"
#include "host/undo_groups.h"
#include "host_interface/host_commands.h"

namespace {

// The data handles the host owns: every default blob and every current value.
void DisposeAllData(ReferenceHost& host) {
  DataBlocks owned;
  {
    std::lock_guard<std::mutex> lock(host.instance.mutex);
    for (size_t id = 0; id < host.instance.values.size(); ++id) {
      HostParamDef& value = host.instance.values[id];
      if (value.paramType != kParamTypeArbitraryData) continue;
      HostParamDef& definition = host.instance.params[id]->def;
      owned.emplace_back(static_cast<int32_t>(id), std::exchange(value.u.arbitrary.valueHandle, nullptr));
      owned.emplace_back(static_cast<int32_t>(id), std::exchange(definition.u.arbitrary.defaultHandle, nullptr));
    }
  }
  TakeBackDataBlocks(host, {}, owned);
}

// A command that gets the parameter array: one call prepares it, one takes
// it back. Returns the ids taken over in `taken` when given.
HostError RunWithParams(ReferenceHost& host, EntryPointCall call, int32_t time, const ParamsReturn& how = {},
                        std::vector<int32_t>* taken = nullptr) {
  CommandParams params = PrepareCommandParams(host, call.input, time);
  call.params = params.pointers.data();
  HostInData in = MakeInData(host, time);
  const HostError error = CallEntryPoint(host, in, call);
  std::vector<int32_t> ids = TakeBackCommandParams(host, params, how);
  if (taken != nullptr) *taken = std::move(ids);
  return error;
}

}  // namespace

ReferenceHost::~ReferenceHost() {
  if (entryPoint != nullptr) DisposeAllData(*this);
  DeactivateReferenceHost(this);
  UnloadPluginModule(module);
}

std::unique_ptr<ReferenceHost> OpenReferenceHost(const std::string& modulePath, std::string& error) {
  auto host = std::make_unique<ReferenceHost>();
  if (!ActivateReferenceHost(host.get())) {
    error = "another reference host is open";
    return nullptr;
  }
  host->module = LoadPluginModule(modulePath, error);
  if (host->module == nullptr) return nullptr;
  host->entryPoint = reinterpret_cast<HostEntryPointFunc>(ResolveModuleSymbol(host->module, kEntryPointName));
  if (host->entryPoint == nullptr) {
    error = modulePath + " does not export " + kEntryPointName;
    return nullptr;
  }
  ResetEffectInstance(host->instance);
  return host;
}

HostError RunAbout(ReferenceHost& host, std::string& aboutText) {
  HostInData in = MakeInData(host, 0);
  HostOutData out{};
  const HostError error = CallEntryPoint(host, in, {.command = kCommandAbout, .out = &out});
  out.returnMessage[kReturnMessageSize - 1] = '\0';
  aboutText = out.returnMessage;
  return error;
}

HostError RunGlobalSetup(ReferenceHost& host) {
  HostInData in = MakeInData(host, 0);
  HostOutData out{};
  const HostError error = CallEntryPoint(host, in, {.command = kCommandGlobalSetup, .out = &out});
  host.effectVersion = out.version;
  host.outFlags = out.outFlags;
  host.outFlags2 = out.outFlags2;
  return error;
}

HostError RunParamsSetup(ReferenceHost& host) {
  DisposeAllData(host);
  ResetEffectInstance(host.instance);
  host.parametersReady = false;
  HostInData in = MakeInData(host, 0);
  HostOutData out{};
  HostParamDef input = host.instance.values.at(0);
  HostParamDef* params[] = {&input};
  HostError error = CallEntryPoint(host, in, {.command = kCommandParamsSetup, .out = &out, .params = params});
  host.numParams = out.numParams;
  if (error != kHostErrorNone) return error;
  // Every data parameter starts out holding a copy of its default.
  const int32_t count = ParamCount(host.instance);
  for (int32_t id = 1; id < count; ++id) {
    const HostParamEntry& entry = ParamEntryById(host.instance, id);
    // A default the effect could not allocate leaves the value without data.
    if (entry.def.paramType != kParamTypeArbitraryData || entry.def.u.arbitrary.defaultHandle == nullptr) continue;
    HostHandle copy = nullptr;
    error = ArbCopy(host, id, entry.def.u.arbitrary.defaultHandle, copy);
    if (error != kHostErrorNone) return error;
    TakeBackDataBlocks(host, {{id, copy}}, {});
  }
  host.parametersReady = true;
  return kHostErrorNone;
}

HostError SetUpEffect(ReferenceHost& host) {
  const HostError error = RunGlobalSetup(host);
  return error != kHostErrorNone ? error : RunParamsSetup(host);
}

HostError RenderFrame(ReferenceHost& host, const HostFrame& input, const HostFrame& output, int32_t time,
                      HeldParamChanges* held) {
  if (!IsDownsampled(host)) SetLayerSize(host.instance, input.width, input.height);
  HostFrame outputFrame = output;
  const ChangedParams changed = held != nullptr ? ChangedParams::kHold : ChangedParams::kTakeOver;
  return RunWithParams(host, {.command = kCommandRender, .output = &outputFrame, .input = &input}, time,
                       {.changed = changed, .held = held});
}

HostError PressButton(ReferenceHost& host, int32_t paramId, int32_t time, ButtonPressReport* report) {
  HostOutData out{};
  HostUserChangedParamRecord record{paramId};
  UndoGroupRecord groups;
  UndoStep step;
  std::string captureError;
  // A block that cannot be flattened stays out of the step: undo cannot put it back.
  const auto capture = [&](int32_t id) {
    ParamState state;
    if (CaptureParamState(host, id, state, captureError)) step.before.push_back(std::move(state));
  };
  std::vector<int32_t> changed;
  const HostError error =
      RunWithParams(host, {.command = kCommandUserChangedParam, .out = &out, .extra = &record, .undoGroups = &groups},
                    time, {.beforeTakeOver = capture}, &changed);
  if (groups.opened) {
    step.name = groups.name;
  } else if (paramId > 0 && paramId < ParamCount(host.instance)) {
    step.name = ParamEntryById(host.instance, paramId).label;
  }
  const std::string name = step.name;
  const bool recorded = !changed.empty() && PushUndoStep(host, std::move(step));
  if (report != nullptr) {
    report->changed = changed;
    report->undoGroupOpened = groups.opened;
    report->undoName = name;
    report->undoRecorded = recorded;
  }
  return error;
}

HostError SendEvent(ReferenceHost& host, HostEventRecord& event, int32_t time) {
  return RunWithParams(host, {.command = kCommandEvent, .extra = &event}, time);
}

void SetMapLayer(ReferenceHost& host, const HostFrame* frame) {
  std::lock_guard<std::mutex> lock(host.instance.mutex);
  host.instance.hasMapLayer = frame != nullptr;
  host.instance.mapLayer = frame != nullptr ? *frame : HostFrame{};
}
