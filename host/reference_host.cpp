#include "host/reference_host.h"

#include "host/allocation_failures.h"
#include "host/arb_data_calls.h"
#include "host/command_params.h"
#include "host/host_callbacks.h"
#include "host_interface/host_commands.h"

namespace {

// The data handles the host owns: every default blob and every current value.
void DisposeAllData(ReferenceHost& host) {
  std::vector<std::pair<int32_t, HostHandle>> owned;
  {
    std::lock_guard<std::mutex> lock(host.instance.mutex);
    for (size_t id = 0; id < host.instance.values.size(); ++id) {
      HostParamDef& value = host.instance.values[id];
      if (value.paramType != kParamTypeArbitraryData) continue;
      HostParamDef& definition = host.instance.params[id]->def;
      owned.emplace_back(static_cast<int32_t>(id), value.u.arbitrary.valueHandle);
      owned.emplace_back(static_cast<int32_t>(id), definition.u.arbitrary.defaultHandle);
      value.u.arbitrary.valueHandle = nullptr;
      definition.u.arbitrary.defaultHandle = nullptr;
    }
  }
  for (const auto& [id, handle] : owned) {
    if (handle != nullptr) ArbDispose(host, id, handle);
  }
}

HostError RunWithParams(ReferenceHost& host, int32_t command, const HostFrame* input, HostFrame* output,
                        void* extra, int32_t time, std::vector<HeldParamChange>* held = nullptr) {
  return RunWithCommandParams(
      host, input, time,
      [&](HostInData& in, HostParamDef* params[]) {
        HostOutData out{};
        return CallEntryPoint(host, command, in, out, params, output, extra, input);
      },
      true, held);
}

void FinishOrHold(ReferenceHost& host, CommandParams& params, std::vector<HeldParamChange>* held) {
  if (held == nullptr) {
    FinishCommandParams(host, params);
    return;
  }
  std::vector<HeldParamChange> changes = HoldParamChanges(host, params);
  held->insert(held->end(), changes.begin(), changes.end());
}

}  // namespace

ReferenceHost::~ReferenceHost() {
  if (entryPoint != nullptr) DisposeAllData(*this);
  DeactivateReferenceHost(this);
  UnloadPluginModule(module);
}

std::unique_ptr<ReferenceHost> OpenReferenceHost(const std::string& modulePath, std::string& error) {
  CountAllocationFailures();
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

HostInData MakeInData(ReferenceHost& host, int32_t time) {
  HostInData in{};
  in.currentTime = time;
  in.timeStep = host.timeStep;
  in.timeScale = host.timeScale;
  in.downsampleX = host.downsampleX;
  in.downsampleY = host.downsampleY;
  in.effectRef = reinterpret_cast<HostEffectRef>(&host.instance);
  in.utils = &ReferenceUtilityCallbacks();
  in.basicSuite = &ReferenceBasicSuite();
  return in;
}

HostError CallEntryPoint(ReferenceHost& host, int32_t command, HostInData& in, HostOutData& out,
                         HostParamDef* params[], HostFrame* output, void* extra, const HostFrame* input,
                         UndoGroupRecord* undoGroups) {
  CommandContext context;
  context.params = params;
  context.paramCount = params != nullptr ? ParamCount(host.instance) : 0;
  context.input = input;
  context.undoGroups = undoGroups;
  const CommandContext* previous = SwapThreadCommandContext(&context);
  const HostError error = host.entryPoint(command, &in, &out, params, output, extra);
  SwapThreadCommandContext(previous);
  return error;
}

HostError RunWithCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time,
                               const std::function<HostError(HostInData&, HostParamDef*[])>& call,
                               bool takeOverChanges, std::vector<HeldParamChange>* held) {
  CommandParams params = BuildCommandParams(host, input, time);
  HostInData in = MakeInData(host, time);
  CommandContext context;
  context.params = params.pointers.data();
  context.paramCount = static_cast<int32_t>(params.pointers.size());
  context.input = input;
  const CommandContext* previous = SwapThreadCommandContext(&context);
  const auto finish = [&] {
    SwapThreadCommandContext(previous);
    if (!takeOverChanges) {
      for (HostParamDef& record : params.records) record.changeFlags = 0;
    }
    FinishOrHold(host, params, held);
  };
  HostError error = kHostErrorNone;
  try {
    error = call(in, params.pointers.data());
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return error;
}

HostError RunAbout(ReferenceHost& host, std::string& aboutText) {
  HostInData in = MakeInData(host, 0);
  HostOutData out{};
  const HostError error = CallEntryPoint(host, kCommandAbout, in, out, nullptr, nullptr, nullptr, nullptr);
  out.returnMessage[kReturnMessageSize - 1] = '\0';
  aboutText = out.returnMessage;
  return error;
}

HostError RunGlobalSetup(ReferenceHost& host) {
  HostInData in = MakeInData(host, 0);
  HostOutData out{};
  const HostError error = CallEntryPoint(host, kCommandGlobalSetup, in, out, nullptr, nullptr, nullptr, nullptr);
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
  HostError error = CallEntryPoint(host, kCommandParamsSetup, in, out, params, nullptr, nullptr, nullptr);
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
    std::lock_guard<std::mutex> lock(host.instance.arbMutex);
    AdoptCurrentDataLocked(host, id, copy);
  }
  host.parametersReady = true;
  return kHostErrorNone;
}

HostError SetUpEffect(ReferenceHost& host) {
  const HostError error = RunGlobalSetup(host);
  return error != kHostErrorNone ? error : RunParamsSetup(host);
}

HostError RenderFrame(ReferenceHost& host, const HostFrame& input, const HostFrame& output, int32_t time,
                      std::vector<HeldParamChange>* held) {
  if (!IsDownsampled(host)) SetLayerSize(host.instance, input.width, input.height);
  HostFrame outputFrame = output;
  return RunWithParams(host, kCommandRender, &input, &outputFrame, nullptr, time, held);
}

bool IsDownsampled(const ReferenceHost& host) {
  const auto isOne = [](HostRatio ratio) { return ratio.num > 0 && static_cast<uint32_t>(ratio.num) == ratio.den; };
  return !isOne(host.downsampleX) || !isOne(host.downsampleY);
}

HostError PressButton(ReferenceHost& host, int32_t paramId, int32_t time, ButtonPressReport* report) {
  CommandParams params = BuildCommandParams(host, nullptr, time);
  HostInData in = MakeInData(host, time);
  HostOutData out{};
  HostUserChangedParamRecord record{paramId};
  UndoGroupRecord groups;
  const HostError error = CallEntryPoint(host, kCommandUserChangedParam, in, out, params.pointers.data(), nullptr,
                                         &record, nullptr, &groups);
  UndoStep step;
  std::string captureError;
  // A block that cannot be flattened stays out of the step: undo cannot put it back.
  const auto capture = [&](int32_t id) {
    ParamState state;
    if (CaptureParamState(host, id, state, captureError)) step.before.push_back(std::move(state));
  };
  const std::vector<int32_t> changed = FinishCommandParams(host, params, capture);
  if (groups.opened) {
    step.name = groups.name;
  } else if (paramId > 0 && paramId < ParamCount(host.instance)) {
    step.name = ParamEntryById(host.instance, paramId).label;
  }
  if (report != nullptr) {
    report->changed = changed;
    report->undoGroupOpened = groups.opened;
    report->undoName = step.name;
  }
  if (!changed.empty()) PushUndoStep(host, std::move(step));
  return error;
}

HostError SendEvent(ReferenceHost& host, HostEventRecord& event, int32_t time) {
  return RunWithParams(host, kCommandEvent, nullptr, nullptr, &event, time);
}

void SetMapLayer(ReferenceHost& host, const HostFrame* frame) {
  std::lock_guard<std::mutex> lock(host.instance.mutex);
  host.instance.hasMapLayer = frame != nullptr;
  host.instance.mapLayer = frame != nullptr ? *frame : HostFrame{};
}
