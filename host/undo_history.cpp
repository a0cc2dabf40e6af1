#include "host/undo_history.h"

#include <utility>

#include "host/arb_data_calls.h"
#include "host/param_keyframes.h"
#include "host/param_value_text.h"
#include "host/reference_host_state.h"
#include "host/text_join.h"

bool CaptureParamState(ReferenceHost& host, int32_t id, ParamState& state, std::string& error) {
  state = ParamState{};
  state.id = id;
  state.stored = ReadStoredParamValue(host.instance, id);
  if (ParamEntryById(host.instance, id).def.paramType != kParamTypeArbitraryData) return true;
  state.hasData = true;
  const HostError result = FlattenCurrentData(host, id, state.data);
  if (result == kHostErrorNone) return true;
  error = JoinText({"the plug-in could not flatten the data of parameter ", std::to_string(id), " (error ",
                    std::to_string(result), ")"});
  return false;
}

namespace {

bool SameParamState(int32_t kind, const ParamState& a, const ParamState& b) {
  // A data parameter's value is its block; the handle holding it changes with every copy.
  if (a.hasData || b.hasData) return a.hasData == b.hasData && a.data == b.data;
  const StoredParamValue& x = a.stored;
  const StoredParamValue& y = b.stored;
  if (!SameParamValue(kind, x.value, y.value) || x.pointAtDefault != y.pointAtDefault || x.animated != y.animated ||
      x.keys.size() != y.keys.size()) {
    return false;
  }
  for (size_t k = 0; k < x.keys.size(); ++k) {
    if (x.keys[k].time != y.keys[k].time || !SameParamValue(kind, x.keys[k].value, y.keys[k].value)) return false;
  }
  return true;
}

// Whether any parameter of the step holds something else now; one whose
// state cannot be read counts as changed.
bool StepChangedSomething(ReferenceHost& host, const UndoStep& step) {
  for (const ParamState& before : step.before) {
    ParamState now;
    std::string error;
    if (!CaptureParamState(host, before.id, now, error)) return true;
    if (!SameParamState(ParamEntryById(host.instance, before.id).def.paramType, before, now)) return true;
  }
  return false;
}

}  // namespace

bool PushUndoStep(ReferenceHost& host, UndoStep step) {
  if (!StepChangedSomething(host, step)) return false;
  std::lock_guard<std::mutex> lock(host.undo.mutex);
  std::vector<UndoStep>& steps = host.undo.steps;
  if (steps.size() >= kMaxUndoSteps) steps.erase(steps.begin(), steps.end() - (kMaxUndoSteps - 1));
  steps.push_back(std::move(step));
  return true;
}

size_t UndoStepCount(const ReferenceHost& host) {
  std::lock_guard<std::mutex> lock(host.undo.mutex);
  return host.undo.steps.size();
}

bool UndoLastStep(ReferenceHost& host, UndoStep& undone, std::string& error) {
  {
    std::lock_guard<std::mutex> lock(host.undo.mutex);
    if (host.undo.steps.empty()) {
      error = "nothing to undo";
      return false;
    }
    undone = host.undo.steps.back();
  }
  MadeDataBlocks made(host);
  for (const ParamState& state : undone.before) {
    if (!state.hasData) continue;
    HostHandle handle = nullptr;
    const HostError result = UnflattenInto(made, state.id, state.data, handle);
    if (result != kHostErrorNone || handle == nullptr) {
      error = JoinText({"the plug-in refused the saved data of parameter ", std::to_string(state.id), " (error ",
                        std::to_string(result), ")"});
      return false;
    }
  }
  AdoptMadeBlocks(made);
  for (const ParamState& state : undone.before) {
    if (!state.hasData) RestoreStoredParamValue(host.instance, state.id, state.stored);
  }
  std::lock_guard<std::mutex> lock(host.undo.mutex);
  host.undo.steps.pop_back();
  return true;
}

bool ApplyParamAssignmentUndoably(ReferenceHost& host, std::string_view assignment, int32_t& id,
                                  std::string& error) {
  size_t valueStart = 0;
  id = FindAssignedParam(host.instance, assignment, valueStart, error);
  if (id < 0) return false;
  UndoStep step;
  step.name = ParamEntryById(host.instance, id).label;
  step.before.emplace_back();
  if (!CaptureParamState(host, id, step.before.back(), error)) return false;
  if (!ApplyParamAssignment(host.instance, assignment, error)) return false;
  PushUndoStep(host, std::move(step));
  return true;
}
