// The host side of a render for the tests of the render command: a parameter
// array, and utility callbacks over plain memory that count what they are asked.
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "host_interface/host_frame.h"
#include "host_interface/host_param_def.h"
#include "host_interface/host_records.h"
#include "model/param_ids.h"
#include "tests/model/param_array.h"

namespace fake_host {

using test_params::ParamArray;

struct State {
  std::vector<std::unique_ptr<std::vector<uint8_t>>> blocks;
  const HostFrame* mapLayer = nullptr;
  void* selection = nullptr;  // Chain Selection data; null checks out without data
  HostError mapResult = kHostErrorNone;
  HostError selectionResult = kHostErrorNone;
  bool lockGivesNothing = false;
  int32_t checkouts = 0, checkins = 0, locks = 0, unlocks = 0;
};
inline State* gState = nullptr;  // the callbacks carry no context

// The counts of what the callbacks were asked, compared whole so that a
// failure prints every one of them.
struct Calls {
  int32_t checkouts = 0, checkins = 0, locks = 0, unlocks = 0;
  bool operator==(const Calls&) const = default;
  friend void PrintTo(const Calls& c, std::ostream* os) {
    *os << "checkouts " << c.checkouts << ", checkins " << c.checkins << ", locks " << c.locks << ", unlocks "
        << c.unlocks;
  }
};
inline Calls CallsOf(const State& state) { return {state.checkouts, state.checkins, state.locks, state.unlocks}; }

inline HostHandle NewHandle(uint64_t size) {
  gState->blocks.push_back(std::make_unique<std::vector<uint8_t>>(size));
  return reinterpret_cast<HostHandle>(gState->blocks.back()->data());
}
inline void* Lock(HostHandle handle) {
  ++gState->locks;
  return gState->lockGivesNothing ? nullptr : reinterpret_cast<void*>(handle);
}
inline void Unlock(HostHandle) { ++gState->unlocks; }
inline HostError Checkout(HostEffectRef, int32_t index, int32_t, int32_t, uint32_t, HostParamDef* param) {
  const bool map = index == PARAM_MAP_LAYER;
  const HostError result = map ? gState->mapResult : gState->selectionResult;
  if (result != kHostErrorNone) return result;
  ++gState->checkouts;
  if (map && gState->mapLayer != nullptr) param->u.layer = *gState->mapLayer;
  if (!map) param->u.arbitrary.valueHandle = reinterpret_cast<HostHandle>(gState->selection);
  return kHostErrorNone;
}
inline HostError Checkin(HostEffectRef, HostParamDef*) {
  ++gState->checkins;
  return kHostErrorNone;
}

// Installs the callbacks for the lifetime of one test.
struct Host {
  State state;
  HostUtilityCallbacks utils{};
  HostInData in{};
  ParamArray params;

  Host() {
    gState = &state;
    utils = {nullptr, Checkout, Checkin, nullptr, NewHandle, Lock, Unlock, [](HostHandle) {}, nullptr};
    in.utils = &utils;
  }
  ~Host() { gState = nullptr; }
};

}  // namespace fake_host
