// The host's undo: every change of the effect's parameters made by one
// button press (or one edit of a value by the user) is one step, named by
// the outermost undo group the effect opened during the press through the
// Utility Suite (undo_groups.h), or after the parameter when it opened
// none. Undoing the last step puts back the values, keys and data blocks
// the step changed.
//
// Steps hold what the parameters held before, data blocks flattened through
// the effect, so a step never keeps a handle alive. The history is meant for
// the host's user-interface thread; its lock only keeps it consistent.
//
// As hosts do, the history is bounded: a step that left every value and
// data block as it was is not recorded, and of the others only the last
// kMaxUndoSteps are kept, the oldest dropped first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "host/effect_instance.h"

struct ReferenceHost;

constexpr size_t kMaxUndoSteps = 100;

struct ParamState {
  int32_t id = 0;
  StoredParamValue stored;
  bool hasData = false;
  std::vector<uint8_t> data;  // a data parameter's block, flattened
};

struct UndoStep {
  std::string name;
  std::vector<ParamState> before;  // one per parameter the step changed, in id order
};

struct UndoHistory {
  mutable std::mutex mutex;  // guards steps
  std::vector<UndoStep> steps;
};

// What parameter `id` holds now. False with a reason when its data block
// cannot be flattened.
bool CaptureParamState(ReferenceHost& host, int32_t id, ParamState& state, std::string& error);

// Records the step unless every parameter in it holds what it held before
// (true when recorded); beyond kMaxUndoSteps the oldest step goes.
bool PushUndoStep(ReferenceHost& host, UndoStep step);
size_t UndoStepCount(const ReferenceHost& host);

// Restores the last step and removes it; `undone` gets it. The data blocks
// are rebuilt first: when the effect refuses one, nothing is restored and the
// step stays. False with a reason also when there is nothing to undo.
bool UndoLastStep(ReferenceHost& host, UndoStep& undone, std::string& error);

// "LABEL=VALUE" as ApplyParamAssignment takes it, recorded as one step
// named after the parameter unless the value was already that. `id` gets
// the parameter set.
bool ApplyParamAssignmentUndoably(ReferenceHost& host, std::string_view assignment, int32_t& id,
                                  std::string& error);
