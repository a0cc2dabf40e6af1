#include "host/param_key_text.h"

#include <algorithm>
#include <vector>

#include "host/param_value_text.h"
#include "host/text_join.h"
#include "host/untrusted_text.h"

namespace {

struct KeyText {
  std::string_view value;
  std::string_view seconds;
};

// "V0@T0,V1@T1": a time holds no comma, so the first comma after an '@'
// ends the time, while values such as points keep theirs.
bool SplitKeys(std::string_view text, std::vector<KeyText>& keys, std::string& error) {
  while (true) {
    const size_t at = text.find('@');
    if (at == std::string_view::npos) {
      error = JoinText({"expected VALUE@SECONDS, got ", QuotedExcerpt(text)});
      return false;
    }
    KeyText key{text.substr(0, at), text.substr(at + 1)};
    const size_t comma = key.seconds.find(',');
    if (comma == std::string_view::npos) {
      keys.push_back(key);
      return true;
    }
    text = key.seconds.substr(comma + 1);
    key.seconds = key.seconds.substr(0, comma);
    keys.push_back(key);
  }
}

}  // namespace

bool ApplyParamKeyframes(HostEffectInstance& instance, std::string_view text, const FrameTiming& timing,
                         std::string& error) {
  if (text.find('=') == std::string_view::npos) {
    error = JoinText({"expected LABEL=VALUE@SECONDS,..., got ", QuotedExcerpt(text)});
    return false;
  }
  size_t valueStart = 0;
  const int32_t id = FindAssignedParam(instance, text, valueStart, error);
  if (id < 0) return false;
  const HostParamEntry& entry = ParamEntryById(instance, id);
  if (!ParamCanAnimate(entry.def)) {
    error = JoinText({entry.label, ": a ", ParamKindName(entry.def.paramType), " parameter cannot be keyed"});
    return false;
  }
  std::vector<KeyText> texts;
  if (!SplitKeys(text.substr(valueStart), texts, error)) {
    error = JoinText({entry.label, ": ", error});
    return false;
  }
  const HostParamValue current = ReadParamValue(instance, id);
  std::vector<ParamKeyframe> keys;
  for (const KeyText& key : texts) {
    double seconds = 0.0;
    ParamKeyframe keyframe{0, current};
    std::string reason;
    if (!ParseDouble(key.seconds, seconds) || !SecondsToTime(seconds, timing, keyframe.time)) {
      error = JoinText({entry.label, ": ", QuotedExcerpt(key.seconds), " is not a time in seconds"});
      return false;
    }
    if (!ParseParamValue(entry, key.value, keyframe.value, reason)) {
      error = JoinText({entry.label, ": ", reason});
      return false;
    }
    keys.push_back(keyframe);
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const ParamKeyframe& a, const ParamKeyframe& b) { return a.time < b.time; });
  for (size_t i = 1; i < keys.size(); ++i) {
    if (keys[i].time == keys[i - 1].time) {
      error = JoinText({entry.label, ": two keys at the same time"});
      return false;
    }
  }
  SetParamKeyframes(instance, id, std::move(keys));
  return true;
}
