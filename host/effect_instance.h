// One effect instance as the host keeps it: the parameter definitions it
// received at parameter setup (with their texts copied), the current values
// and the custom-UI registration.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "host/param_keyframes.h"
#include "host_interface/host_param_def.h"
#include "host_interface/host_records.h"

struct HostParamEntry {
  HostParamDef def;  // as received; its text pointers point at the copies below
  std::string label;
  std::string text;   // checkbox box text, popup choices or button text
  std::string group;  // label of the enclosing group, empty outside any group
};

struct HostEffectInstance {
  mutable std::mutex mutex;  // guards every field but arbMutex
  // Index = parameter id; entry 0 is the input layer, which the host adds.
  // Held by pointer so that the copied texts never move.
  std::vector<std::unique_ptr<HostParamEntry>> params;
  std::vector<HostParamDef> values;   // current values, by id
  std::vector<bool> pointAtDefault;  // per id: point still at its percentage default
  // Animated parameters by id: their keys replace the value above.
  std::map<int32_t, std::vector<ParamKeyframe>> keyframes;
  std::vector<HostCustomUIInfo> customUiRegistrations;
  std::string openGroup;

  int32_t layerWidth = 0;  // size of the input layer, for point defaults
  int32_t layerHeight = 0;
  bool hasMapLayer = false;
  HostFrame mapLayer{};  // owned by whoever set it; must outlive the renders

  int64_t checkouts = 0;
  int64_t checkins = 0;

  // Held while current data handles are copied, replaced or disposed, so a
  // render never copies a handle that another thread is disposing.
  std::mutex arbMutex;
};

// Empties the instance and adds the input layer as parameter 0.
void ResetEffectInstance(HostEffectInstance& instance);

// The add-parameter callback: index -1 appends.
HostError InstanceAddParam(HostEffectInstance& instance, int32_t index, const HostParamDef* def);
HostError InstanceRegisterCustomUI(HostEffectInstance& instance, const HostCustomUIInfo* info);

int32_t ParamCount(const HostEffectInstance& instance);  // including the input layer
const HostParamEntry& ParamEntryById(const HostEffectInstance& instance, int32_t id);

// A parameter by label. "Group/Label" picks one of two equal labels; a
// number is taken as the id. Returns -1 and an error text when no single
// parameter matches.
int32_t FindParamByName(const HostEffectInstance& instance, std::string_view name, std::string& error);

// Values at `time` with points in layer pixels: a point still at its default
// is that percentage of the given layer size (of the last layer the host
// saw when no size is given).
std::vector<HostParamDef> SnapshotParamValues(const HostEffectInstance& instance);
std::vector<HostParamDef> SnapshotParamValues(const HostEffectInstance& instance, int32_t layerWidth,
                                              int32_t layerHeight, int32_t time = 0);

// Stores the value block of a non-data parameter as its current value.
void StoreParamValue(HostEffectInstance& instance, int32_t id, const HostParamValue& value);
// As StoreParamValue, but an animated parameter gets (or replaces) a key at
// `time` instead, as a host does when a value is written while keyed.
void StoreParamValueAtTime(HostEffectInstance& instance, int32_t id, const HostParamValue& value, int32_t time);

// Animates parameter `id` with `keys` (sorted by strictly increasing time);
// no keys makes it static again, holding its stored value. False when the
// parameter cannot animate.
bool SetParamKeyframes(HostEffectInstance& instance, int32_t id, std::vector<ParamKeyframe> keys);
// The value of an animated parameter at `time`; false when it has no keys.
bool AnimatedParamValue(const HostEffectInstance& instance, int32_t id, int32_t time, HostParamValue& value);
// Puts a point back on its percentage default.
void ResetPointToDefault(HostEffectInstance& instance, int32_t id);
HostParamValue ReadParamValue(const HostEffectInstance& instance, int32_t id);
bool PointAtDefault(const HostEffectInstance& instance, int32_t id);

// Everything the instance keeps of one parameter's value but data blocks:
// what undo puts back.
struct StoredParamValue {
  HostParamValue value{};
  bool pointAtDefault = false;
  bool animated = false;
  std::vector<ParamKeyframe> keys;
};
StoredParamValue ReadStoredParamValue(const HostEffectInstance& instance, int32_t id);
// Data parameters are left alone: their blocks are restored through the effect.
void RestoreStoredParamValue(HostEffectInstance& instance, int32_t id, const StoredParamValue& stored);
void SetLayerSize(HostEffectInstance& instance, int32_t width, int32_t height);
