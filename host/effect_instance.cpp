#include "host/effect_instance.h"

#include <algorithm>
#include <cstring>

#include "host/text_join.h"
#include "host/untrusted_text.h"

namespace {

constexpr char kInputLayerLabel[] = "Input Layer";

std::string LabelOf(const HostParamDef& def) {
  const void* nul = std::memchr(def.name, '\0', kParamNameSize);
  return std::string(def.name, nul != nullptr ? static_cast<const char*>(nul) - def.name : kParamNameSize);
}

// Copies the texts the definition points at and points it at the copies.
void CopyTexts(HostParamEntry& entry) {
  HostParamValue& u = entry.def.u;
  const char** text = nullptr;
  switch (entry.def.paramType) {
    case kParamTypeCheckbox:
      text = &u.checkbox.boxText;
      break;
    case kParamTypePopup:
      text = &u.popup.choices;
      break;
    case kParamTypeButton:
      text = &u.button.text;
      break;
    default:
      return;
  }
  entry.text = *text != nullptr ? *text : "";
  *text = entry.text.c_str();
}

HostParamValue WithHostTexts(const HostParamEntry& entry, HostParamValue value) {
  switch (entry.def.paramType) {
    case kParamTypeCheckbox:
      value.checkbox.boxText = entry.def.u.checkbox.boxText;
      break;
    case kParamTypePopup:
      value.popup.choices = entry.def.u.popup.choices;
      break;
    case kParamTypeButton:
      value.button.text = entry.def.u.button.text;
      break;
    default:
      break;
  }
  return value;
}

int64_t PercentToPixels(int32_t fixedPercent, int32_t size) {
  return static_cast<int64_t>(fixedPercent) * size / 100;
}

}  // namespace

void ResetEffectInstance(HostEffectInstance& instance) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  instance.params.clear();
  instance.values.clear();
  instance.pointAtDefault.clear();
  instance.keyframes.clear();
  instance.customUiRegistrations.clear();
  instance.openGroup.clear();
  auto input = std::make_unique<HostParamEntry>();
  std::memset(&input->def, 0, sizeof(input->def));
  input->def.paramType = kParamTypeLayer;
  std::strncpy(input->def.name, kInputLayerLabel, kParamNameSize - 1);
  input->label = kInputLayerLabel;
  instance.values.push_back(input->def);
  instance.pointAtDefault.push_back(false);
  instance.params.push_back(std::move(input));
}

HostError InstanceAddParam(HostEffectInstance& instance, int32_t index, const HostParamDef* def) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  const auto size = static_cast<int32_t>(instance.params.size());
  if (def == nullptr || index < -1 || index == 0 || index > size) return kHostErrorInvalidIndex;
  const size_t position = index == -1 ? instance.params.size() : static_cast<size_t>(index);

  auto entry = std::make_unique<HostParamEntry>();
  entry->def = *def;
  entry->def.name[kParamNameSize - 1] = '\0';
  entry->label = LabelOf(entry->def);
  CopyTexts(*entry);
  if (def->paramType == kParamTypeGroupStart) instance.openGroup = entry->label;
  entry->group = instance.openGroup;
  if (def->paramType == kParamTypeGroupEnd) instance.openGroup.clear();

  HostParamDef value = entry->def;
  if (def->paramType == kParamTypeArbitraryData) value.u.arbitrary.valueHandle = nullptr;
  const auto offset = static_cast<std::ptrdiff_t>(position);
  instance.values.insert(instance.values.begin() + offset, value);
  instance.pointAtDefault.insert(instance.pointAtDefault.begin() + offset, def->paramType == kParamTypePoint);
  instance.params.insert(instance.params.begin() + offset, std::move(entry));
  return kHostErrorNone;
}

HostError InstanceRegisterCustomUI(HostEffectInstance& instance, const HostCustomUIInfo* info) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  if (info == nullptr) return kHostErrorInvalidIndex;
  instance.customUiRegistrations.push_back(*info);
  return kHostErrorNone;
}

int32_t ParamCount(const HostEffectInstance& instance) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  return static_cast<int32_t>(instance.params.size());
}

const HostParamEntry& ParamEntryById(const HostEffectInstance& instance, int32_t id) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  return *instance.params.at(static_cast<size_t>(id));
}

int32_t FindParamByName(const HostEffectInstance& instance, std::string_view name, std::string& error) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  const auto count = static_cast<int32_t>(instance.params.size());
  if (!name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos) {
    const int32_t id = name.size() <= 4 ? std::stoi(std::string(name)) : -1;
    if (id >= 1 && id < count) return id;
    error = JoinText({"no parameter with id ", QuotedExcerpt(name), " (ids run from 1 to ", std::to_string(count - 1), ")"});
    return -1;
  }
  std::string_view group;
  std::string_view label = name;
  std::vector<int32_t> matches;
  for (int32_t id = 1; id < count; ++id) {
    if (instance.params[static_cast<size_t>(id)]->label == name) matches.push_back(id);
  }
  const size_t slash = name.find('/');
  if (matches.empty() && slash != std::string_view::npos) {
    group = name.substr(0, slash);
    label = name.substr(slash + 1);
    for (int32_t id = 1; id < count; ++id) {
      const HostParamEntry& entry = *instance.params[static_cast<size_t>(id)];
      if (entry.label == label && entry.group == group) matches.push_back(id);
    }
  }
  if (matches.size() == 1) return matches[0];
  if (matches.empty()) {
    error = JoinText({"unknown parameter ", QuotedExcerpt(name), " (spindrel params lists them)"});
  } else {
    error = JoinText({"parameter label ", QuotedExcerpt(name), " is ambiguous; use one of"});
    for (int32_t id : matches) {
      error += JoinText({" \"", instance.params[static_cast<size_t>(id)]->group, "/", label, "\""});
    }
  }
  return -1;
}

std::vector<HostParamDef> SnapshotParamValues(const HostEffectInstance& instance) {
  int32_t width = 0;
  int32_t height = 0;
  {
    std::lock_guard<std::mutex> lock(instance.mutex);
    width = instance.layerWidth;
    height = instance.layerHeight;
  }
  return SnapshotParamValues(instance, width, height);
}

std::vector<HostParamDef> SnapshotParamValues(const HostEffectInstance& instance, int32_t layerWidth,
                                              int32_t layerHeight, int32_t time) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  std::vector<HostParamDef> values = instance.values;
  for (size_t id = 0; id < values.size(); ++id) {
    if (!instance.pointAtDefault[id]) continue;
    HostPointValue& point = values[id].u.point;
    point.xValue = static_cast<int32_t>(PercentToPixels(point.xDefault, layerWidth));
    point.yValue = static_cast<int32_t>(PercentToPixels(point.yDefault, layerHeight));
  }
  for (const auto& [id, keys] : instance.keyframes) {
    HostParamDef& value = values.at(static_cast<size_t>(id));
    value.u = ParamValueAtTime(value.paramType, keys, time, value.u);
  }
  return values;
}

void StoreParamValue(HostEffectInstance& instance, int32_t id, const HostParamValue& value) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  HostParamDef& stored = instance.values.at(static_cast<size_t>(id));
  if (stored.paramType == kParamTypeArbitraryData || stored.paramType == kParamTypeLayer) return;
  stored.u = value;
  // Texts stay the host's copies whatever the value block pointed at.
  stored.u = WithHostTexts(*instance.params.at(static_cast<size_t>(id)), stored.u);
  instance.pointAtDefault[static_cast<size_t>(id)] = false;
}

void StoreParamValueAtTime(HostEffectInstance& instance, int32_t id, const HostParamValue& value, int32_t time) {
  {
    std::lock_guard<std::mutex> lock(instance.mutex);
    const auto animated = instance.keyframes.find(id);
    if (animated != instance.keyframes.end()) {
      std::vector<ParamKeyframe>& keys = animated->second;
      const auto at = std::lower_bound(keys.begin(), keys.end(), time,
                                       [](const ParamKeyframe& key, int32_t t) { return key.time < t; });
      ParamKeyframe key{time, WithHostTexts(*instance.params.at(static_cast<size_t>(id)), value)};
      if (at != keys.end() && at->time == time) {
        *at = key;
      } else {
        keys.insert(at, key);
      }
      return;
    }
  }
  StoreParamValue(instance, id, value);
}

bool SetParamKeyframes(HostEffectInstance& instance, int32_t id, std::vector<ParamKeyframe> keys) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  const HostParamEntry& entry = *instance.params.at(static_cast<size_t>(id));
  if (!ParamCanAnimate(entry.def)) return false;
  if (keys.empty()) {
    instance.keyframes.erase(id);
    return true;
  }
  for (ParamKeyframe& key : keys) key.value = WithHostTexts(entry, key.value);
  instance.keyframes[id] = std::move(keys);
  return true;
}

bool AnimatedParamValue(const HostEffectInstance& instance, int32_t id, int32_t time, HostParamValue& value) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  const auto animated = instance.keyframes.find(id);
  if (animated == instance.keyframes.end()) return false;
  const HostParamDef& stored = instance.values.at(static_cast<size_t>(id));
  value = ParamValueAtTime(stored.paramType, animated->second, time, stored.u);
  return true;
}

void ResetPointToDefault(HostEffectInstance& instance, int32_t id) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  HostParamDef& stored = instance.values.at(static_cast<size_t>(id));
  if (stored.paramType != kParamTypePoint) return;
  stored.u = instance.params.at(static_cast<size_t>(id))->def.u;
  instance.pointAtDefault[static_cast<size_t>(id)] = true;
}

HostParamValue ReadParamValue(const HostEffectInstance& instance, int32_t id) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  return instance.values.at(static_cast<size_t>(id)).u;
}

bool PointAtDefault(const HostEffectInstance& instance, int32_t id) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  return instance.pointAtDefault.at(static_cast<size_t>(id));
}

StoredParamValue ReadStoredParamValue(const HostEffectInstance& instance, int32_t id) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  StoredParamValue stored;
  stored.value = instance.values.at(static_cast<size_t>(id)).u;
  stored.pointAtDefault = instance.pointAtDefault.at(static_cast<size_t>(id));
  const auto animated = instance.keyframes.find(id);
  stored.animated = animated != instance.keyframes.end();
  if (stored.animated) stored.keys = animated->second;
  return stored;
}

void RestoreStoredParamValue(HostEffectInstance& instance, int32_t id, const StoredParamValue& stored) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  HostParamDef& value = instance.values.at(static_cast<size_t>(id));
  if (value.paramType == kParamTypeArbitraryData || value.paramType == kParamTypeLayer) return;
  value.u = stored.value;
  instance.pointAtDefault.at(static_cast<size_t>(id)) = stored.pointAtDefault;
  if (stored.animated) {
    instance.keyframes[id] = stored.keys;
  } else {
    instance.keyframes.erase(id);
  }
}

void SetLayerSize(HostEffectInstance& instance, int32_t width, int32_t height) {
  std::lock_guard<std::mutex> lock(instance.mutex);
  instance.layerWidth = width;
  instance.layerHeight = height;
}
