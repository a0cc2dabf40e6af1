// The host side of a render for the render tests: a parameter array, and
// utility callbacks over plain memory that count what they are asked.
#pragma once

#include <memory>
#include <vector>

#include "host_interface/host_frame.h"
#include "host_interface/host_param_def.h"
#include "host_interface/host_records.h"
#include "model/param_ids.h"

namespace fake_host {

// Zeroed records, as hosts hand them out.
struct ParamArray {
  std::vector<HostParamDef> defs = std::vector<HostParamDef>(kParamCountWithInput, HostParamDef{});
  std::vector<HostParamDef*> pointers;

  ParamArray() {
    for (HostParamDef& def : defs) pointers.push_back(&def);
  }
  ParamArray(const ParamArray&) = delete;  // the pointers point into this object
  HostParamDef** Array() { return pointers.data(); }
  HostParamDef& operator[](int32_t id) { return *pointers[id]; }
  void Slider(int32_t id, int32_t v) { pointers[id]->u.slider.value = v; }
  void Point(int32_t id, int32_t xFixed, int32_t yFixed) {
    pointers[id]->u.point.xValue = xFixed;
    pointers[id]->u.point.yValue = yFixed;
  }
  void Color(int32_t id, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    pointers[id]->u.color.value = HostPixel8{a, r, g, b};
  }
};

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
