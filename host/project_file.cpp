#include "host/project_file.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <memory>
#include <system_error>
#include <nlohmann/json.hpp>
#include <vector>

#include "host/arb_data_calls.h"
#include "host/host_error_text.h"
#include "host/param_value_text.h"
#include "host/text_join.h"
#include "host/untrusted_text.h"
#include "host_interface/host_fixed_point.h"

using nlohmann::json;

namespace {

constexpr char kProjectFormat[] = "spindrel-project";
constexpr int kProjectVersion = 1;
constexpr char kPointDefault[] = "default";

std::string ToHex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool FromHex(const std::string& text, std::vector<uint8_t>& bytes) {
  if (text.size() % 2 != 0) return false;
  bytes.clear();
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  return true;
}

json ValueToJson(const HostParamDef& def, bool pointAtDefault) {
  const HostParamValue& u = def.u;
  switch (def.paramType) {
    case kParamTypeSlider: return u.slider.value;
    case kParamTypeCheckbox: return u.checkbox.value;
    case kParamTypePopup: return u.popup.value;
    case kParamTypeFloatSlider: return u.floatSlider.value;
    case kParamTypeAngle: return FixedToDouble(u.angle.value);
    case kParamTypeColor:
      return json{{"red", u.color.value.red}, {"green", u.color.value.green}, {"blue", u.color.value.blue},
                  {"alpha", u.color.value.alpha}};
    case kParamTypePoint:
      if (pointAtDefault) return kPointDefault;
      return json::array({FixedToDouble(u.point.xValue), FixedToDouble(u.point.yValue)});
    default: return nullptr;
  }
}

bool FixedFromJson(const json& value, int32_t& fixed) {
  if (!value.is_number()) return false;
  const std::optional<int32_t> exact = ExactToFixed(value.get<double>());
  if (!exact) return false;
  fixed = *exact;
  return true;
}

bool IntFromJson(const json& value, int64_t minimum, int64_t maximum, int32_t& result) {
  if (!value.is_number_integer()) return false;
  const int64_t number = value.get<int64_t>();
  if (number < minimum || number > maximum) return false;
  result = static_cast<int32_t>(number);
  return true;
}

bool ByteFromJson(const json& object, const char* key, uint8_t& byte) {
  int32_t value = 0;
  if (!object.contains(key) || !IntFromJson(object[key], 0, 255, value)) return false;
  byte = static_cast<uint8_t>(value);
  return true;
}

// The values a project may hold for an integer slider: its valid range, or
// every int32 for one the effect writes itself.
struct SliderBounds {
  int64_t minimum = 0;
  int64_t maximum = 0;
};

SliderBounds BoundsOf(const HostParamEntry& entry, bool effectWritten) {
  if (effectWritten) return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()};
  return {entry.def.u.slider.validMin, entry.def.u.slider.validMax};
}

// Decodes `value` into `u` (which holds the current value); false when it
// does not fit the parameter.
bool ValueFromJson(const HostParamEntry& entry, bool effectWritten, const json& value, HostParamValue& u,
                   bool& pointDefault) {
  const HostParamValue& def = entry.def.u;
  pointDefault = false;
  switch (entry.def.paramType) {
    case kParamTypeSlider: {
      const SliderBounds bounds = BoundsOf(entry, effectWritten);
      return IntFromJson(value, bounds.minimum, bounds.maximum, u.slider.value);
    }
    case kParamTypeCheckbox: return IntFromJson(value, 0, 1, u.checkbox.value);
    case kParamTypePopup: return IntFromJson(value, 1, def.popup.numChoices, u.popup.value);
    case kParamTypeFloatSlider:
      if (!value.is_number()) return false;
      u.floatSlider.value = value.get<double>();
      return u.floatSlider.value >= def.floatSlider.validMin && u.floatSlider.value <= def.floatSlider.validMax;
    case kParamTypeAngle: return FixedFromJson(value, u.angle.value);
    case kParamTypeColor:
      return value.is_object() && ByteFromJson(value, "red", u.color.value.red) &&
             ByteFromJson(value, "green", u.color.value.green) && ByteFromJson(value, "blue", u.color.value.blue) &&
             ByteFromJson(value, "alpha", u.color.value.alpha);
    case kParamTypePoint:
      if (value == kPointDefault) {
        pointDefault = true;
        return true;
      }
      return value.is_array() && value.size() == 2 && FixedFromJson(value[0], u.point.xValue) &&
             FixedFromJson(value[1], u.point.yValue);
    default: return false;
  }
}

struct PendingValue {
  int32_t id = 0;
  HostParamValue value{};
  bool pointDefault = false;
  std::vector<uint8_t> data;
  bool isData = false;
};

std::string Range(int64_t minimum, int64_t maximum) {
  return JoinText({std::to_string(minimum), " to ", std::to_string(maximum)});
}

// What a value of the parameter looks like in a project.
std::string ExpectedValue(const HostParamEntry& entry, bool effectWritten) {
  const HostParamValue& def = entry.def.u;
  switch (entry.def.paramType) {
    case kParamTypeSlider: {
      const SliderBounds bounds = BoundsOf(entry, effectWritten);
      return JoinText({"an integer from ", Range(bounds.minimum, bounds.maximum)});
    }
    case kParamTypeCheckbox: return "0 or 1";
    case kParamTypePopup: return JoinText({"an integer from ", Range(1, def.popup.numChoices)});
    case kParamTypeFloatSlider: return JoinText({"a number from ", FormatParamRange(entry)});
    case kParamTypeAngle: return "a number of degrees (a multiple of 1/65536)";
    case kParamTypeColor: return "{\"red\": R, \"green\": G, \"blue\": B, \"alpha\": A}, each 0 to 255";
    case kParamTypePoint: return "[x, y] in pixels (multiples of 1/65536) or \"default\"";
    default: return "nothing (it holds no value)";
  }
}

bool DecodeEntry(ReferenceHost& host, const json& item, std::span<const int32_t> effectWritten, PendingValue& pending,
                 std::string& error) {
  if (!item.is_object() || !item.contains("id") || !item["id"].is_number_integer()) {
    error = JoinText({"a parameter entry has no integer \"id\" (", DescribeJsonValue(item), ")"});
    return false;
  }
  const json& idValue = item["id"];
  const int32_t count = ParamCount(host.instance);
  // An unsigned id past the signed range would read as negative.
  const bool inRange = idValue.is_number_unsigned()
                           ? idValue.get<uint64_t>() >= 1 && idValue.get<uint64_t>() < static_cast<uint64_t>(count)
                           : idValue.get<int64_t>() >= 1 && idValue.get<int64_t>() < count;
  if (!inRange) {
    error = JoinText({"the effect has no parameter ", idValue.dump(), " (ids run from 1 to ",
                      std::to_string(count - 1), ")"});
    return false;
  }
  pending.id = static_cast<int32_t>(idValue.get<int64_t>());
  const HostParamEntry& entry = ParamEntryById(host.instance, pending.id);
  const std::string where = JoinText({"parameter ", std::to_string(pending.id), " (", entry.label, ")"});
  if (item.contains("label") && item["label"] != entry.label) {
    error = JoinText({where, " is labelled ", DescribeJsonValue(item["label"]), " in the project"});
    return false;
  }
  if (entry.def.paramType == kParamTypeArbitraryData) {
    pending.isData = true;
    if (!item.contains("data") || !item["data"].is_string() || !FromHex(item["data"].get<std::string>(), pending.data)) {
      error = JoinText({where, ": \"data\" is not a hex string (", item.contains("data") ? DescribeJsonValue(item["data"]) : "none", ")"});
      return false;
    }
    // The effect's blocks have one size; another length is a damaged project.
    uint32_t size = 0;
    if (ArbFlatSize(host, pending.id, CurrentDataHandle(host, pending.id), size) == kHostErrorNone &&
        pending.data.size() != size) {
      error = JoinText({where, ": the data holds ", std::to_string(pending.data.size()), " bytes, but the effect's block is ",
                        std::to_string(size), " bytes (", std::to_string(size * 2), " hex digits)"});
      return false;
    }
    return true;
  }
  pending.value = ReadParamValue(host.instance, pending.id);
  const bool written = std::find(effectWritten.begin(), effectWritten.end(), pending.id) != effectWritten.end();
  if (!item.contains("value") || !ValueFromJson(entry, written, item["value"], pending.value, pending.pointDefault)) {
    error = JoinText({where, ": unusable value ", item.contains("value") ? DescribeJsonValue(item["value"]) : "(none)",
                      "; expected ", ExpectedValue(entry, written)});
    return false;
  }
  return true;
}

// A project is a few kilobytes; a file far larger is not one, and is not
// read into memory whole.
constexpr long kMaxProjectBytes = 16L << 20;

bool ReadProjectText(const std::string& path, std::string& text, std::string& error) {
  const auto fail = [&](const std::string& reason) {
    error = JoinText({"cannot read ", path, ": ", reason});
    return false;
  };
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (file == nullptr) return fail(std::generic_category().message(errno));
  char buffer[65536];
  while (true) {
    const size_t got = std::fread(buffer, 1, sizeof(buffer), file.get());
    if (std::ferror(file.get())) return fail(std::generic_category().message(errno));
    text.append(buffer, got);
    if (text.size() > static_cast<size_t>(kMaxProjectBytes)) {
      return fail(JoinText({"it is larger than ", std::to_string(kMaxProjectBytes >> 20), " MB, too large for a project"}));
    }
    if (got < sizeof(buffer)) return true;
  }
}

// "line 3, column 14" of byte `at` (1-based, as the JSON parser counts).
std::string TextPosition(const std::string& text, size_t at) {
  size_t line = 1;
  size_t column = 1;
  for (size_t i = 0; i + 1 < at && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return JoinText({"line ", std::to_string(line), ", column ", std::to_string(column)});
}

}  // namespace

json ProjectToJson(ReferenceHost& host) {
  json parameters = json::array();
  const std::vector<HostParamDef> values = SnapshotParamValues(host.instance);
  for (int32_t id = 1; id < static_cast<int32_t>(values.size()); ++id) {
    const HostParamEntry& entry = ParamEntryById(host.instance, id);
    json item = {{"id", id}, {"label", entry.label}};
    if (entry.def.paramType == kParamTypeArbitraryData) {
      std::vector<uint8_t> bytes;
      if (FlattenCurrentData(host, id, bytes) != kHostErrorNone) continue;
      item["data"] = ToHex(bytes);
    } else {
      json value = ValueToJson(values[static_cast<size_t>(id)], PointAtDefault(host.instance, id));
      if (value.is_null()) continue;
      item["value"] = std::move(value);
    }
    parameters.push_back(std::move(item));
  }
  return json{{"format", kProjectFormat}, {"version", kProjectVersion}, {"parameters", std::move(parameters)}};
}

bool ProjectFromJson(ReferenceHost& host, const json& project, std::string& error,
                     std::span<const int32_t> effectWritten) {
  // Compared as JSON values: a header of another type is a mismatch, not an exception.
  if (!project.is_object() || !project.contains("format") || project["format"] != kProjectFormat) {
    error = "not a Spindrel project";
    return false;
  }
  if (!project.contains("version") || project["version"] != kProjectVersion) {
    error = JoinText({"unsupported project version ",
                      project.contains("version") ? DescribeJsonValue(project["version"]) : "(none)", "; this host reads version ",
                      std::to_string(kProjectVersion)});
    return false;
  }
  if (!project.contains("parameters") || !project["parameters"].is_array()) {
    error = "the project has no parameter list";
    return false;
  }
  std::vector<PendingValue> pending;
  for (const json& item : project["parameters"]) {
    PendingValue value;
    if (!DecodeEntry(host, item, effectWritten, value, error)) return false;
    pending.push_back(std::move(value));
  }
  // Blobs first: the effect may refuse one, and then nothing has changed yet.
  MadeDataBlocks blobs(host);
  for (const PendingValue& value : pending) {
    if (!value.isData) continue;
    HostHandle handle = nullptr;
    const HostError result = UnflattenInto(blobs, value.id, value.data, handle);
    if (result != kHostErrorNone) {
      error = JoinText({"the effect refused the data of parameter ", std::to_string(value.id), " (",
                        DescribeHostError(result), ")"});
      return false;
    }
  }
  AdoptMadeBlocks(blobs);
  for (const PendingValue& value : pending) {
    if (value.isData) continue;
    if (value.pointDefault) {
      ResetPointToDefault(host.instance, value.id);
    } else {
      StoreParamValue(host.instance, value.id, value.value);
    }
  }
  return true;
}

std::string ProjectText(ReferenceHost& host) { return ProjectToJson(host).dump(2) + "\n"; }

bool LoadProject(ReferenceHost& host, const std::string& path, std::string& error,
                 std::span<const int32_t> effectWritten) {
  std::string text;
  if (!ReadProjectText(path, text, error)) return false;
  json project;
  try {
    project = json::parse(text);
  } catch (const json::parse_error& failure) {
    error = JoinText({path, " is not valid JSON (", TextPosition(text, failure.byte), ")"});
    return false;
  }
  if (!ProjectFromJson(host, project, error, effectWritten)) {
    error = JoinText({path, ": ", error});
    return false;
  }
  return true;
}
