#include "host/param_value_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "host/text_join.h"
#include "host/untrusted_text.h"
#include "host_interface/host_fixed_point.h"

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool ParseInt(std::string_view text, int64_t& value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string FormatNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.10g", value);
  return text;
}

bool ParseColor(std::string_view text, HostPixel8& color) {
  text = Trim(text);
  int64_t channels[3] = {};
  if (!text.empty() && text.front() == '#') {
    // Hex digits only: from_chars would take a sign ("#-1-2-3").
    if (text.size() != 7 || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string_view::npos) return false;
    for (int i = 0; i < 3; ++i) {
      const std::string_view hex = text.substr(1 + 2 * static_cast<size_t>(i), 2);
      const auto result = std::from_chars(hex.data(), hex.data() + 2, channels[i], 16);
      if (result.ec != std::errc() || result.ptr != hex.data() + 2) return false;
    }
  } else {
    const std::vector<std::string_view> parts = Split(text, ',');
    if (parts.size() != 3) return false;
    for (int i = 0; i < 3; ++i) {
      if (!ParseInt(parts[static_cast<size_t>(i)], channels[i]) || channels[i] < 0 || channels[i] > 255) return false;
    }
  }
  color.alpha = 255;
  color.red = static_cast<uint8_t>(channels[0]);
  color.green = static_cast<uint8_t>(channels[1]);
  color.blue = static_cast<uint8_t>(channels[2]);
  return true;
}

bool ParsePopup(const HostParamEntry& entry, std::string_view text, int32_t& choice) {
  const int32_t count = entry.def.u.popup.numChoices;
  int64_t number = 0;
  if (ParseInt(text, number)) {
    if (number < 1 || number > count) return false;
    choice = static_cast<int32_t>(number);
    return true;
  }
  const std::vector<std::string_view> choices = Split(entry.text, '|');
  const std::string wanted = Lower(Trim(text));
  for (size_t i = 0; i < choices.size() && static_cast<int32_t>(i) < count; ++i) {
    if (Lower(choices[i]) == wanted) {
      choice = static_cast<int32_t>(i) + 1;
      return true;
    }
  }
  return false;
}

std::string Rgb(const HostPixel8& color) {
  char text[16];
  std::snprintf(text, sizeof(text), "#%02X%02X%02X", color.red, color.green, color.blue);
  return text;
}

}  // namespace

bool ParseDouble(std::string_view text, double& value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size() &&
         std::isfinite(value);
}

std::string ParamKindName(int32_t kind) {
  switch (kind) {
    case kParamTypeLayer: return "layer";
    case kParamTypeSlider: return "slider";
    case kParamTypeAngle: return "angle";
    case kParamTypeCheckbox: return "checkbox";
    case kParamTypeColor: return "color";
    case kParamTypePoint: return "point";
    case kParamTypePopup: return "popup";
    case kParamTypeFloatSlider: return "float slider";
    case kParamTypeArbitraryData: return "data";
    case kParamTypeGroupStart: return "group start";
    case kParamTypeGroupEnd: return "group end";
    case kParamTypeButton: return "button";
    default: return JoinText({"kind ", std::to_string(kind)});
  }
}

bool ParseParamValue(const HostParamEntry& entry, std::string_view text, HostParamValue& value, std::string& error) {
  const HostParamValue& def = entry.def.u;
  const std::string quoted = QuotedExcerpt(text);
  int64_t integer = 0;
  double number = 0.0;
  switch (entry.def.paramType) {
    case kParamTypeSlider:
      if (!ParseInt(text, integer)) {
        error = quoted + " is not an integer";
        return false;
      }
      if (integer < def.slider.validMin || integer > def.slider.validMax) {
        error = quoted + " is outside " + FormatParamRange(entry);
        return false;
      }
      value.slider.value = static_cast<int32_t>(integer);
      return true;
    case kParamTypeFloatSlider:
      if (!ParseDouble(text, number)) {
        error = quoted + " is not a number";
        return false;
      }
      if (number < def.floatSlider.validMin || number > def.floatSlider.validMax) {
        error = quoted + " is outside " + FormatParamRange(entry);
        return false;
      }
      value.floatSlider.value = number;
      return true;
    case kParamTypeAngle: {
      const std::optional<int32_t> fixed = ParseDouble(text, number) ? RoundToFixed(number) : std::nullopt;
      if (!fixed) {
        error = quoted + " is not an angle in degrees";
        return false;
      }
      value.angle.value = *fixed;
      return true;
    }
    case kParamTypeCheckbox: {
      const std::string lower = Lower(Trim(text));
      if (lower == "1" || lower == "on" || lower == "true") {
        value.checkbox.value = 1;
      } else if (lower == "0" || lower == "off" || lower == "false") {
        value.checkbox.value = 0;
      } else {
        error = quoted + " is not 0, 1, on or off";
        return false;
      }
      return true;
    }
    case kParamTypePopup:
      if (!ParsePopup(entry, text, value.popup.value)) {
        error = quoted + " is not one of " + FormatParamRange(entry);
        return false;
      }
      return true;
    case kParamTypeColor:
      if (!ParseColor(text, value.color.value)) {
        error = quoted + " is not a colour (#RRGGBB or r,g,b)";
        return false;
      }
      return true;
    case kParamTypePoint: {
      const std::vector<std::string_view> parts = Split(text, ',');
      double x = 0.0;
      double y = 0.0;
      const bool numbers = parts.size() == 2 && ParseDouble(parts[0], x) && ParseDouble(parts[1], y);
      const std::optional<int32_t> fixedX = numbers ? RoundToFixed(x) : std::nullopt;
      const std::optional<int32_t> fixedY = numbers ? RoundToFixed(y) : std::nullopt;
      if (!fixedX || !fixedY) {
        error = quoted + " is not a point (x,y in pixels)";
        return false;
      }
      value.point.xValue = *fixedX;
      value.point.yValue = *fixedY;
      return true;
    }
    default:
      error = JoinText({"a ", ParamKindName(entry.def.paramType), " parameter cannot be set"});
      return false;
  }
}

std::string FormatParamValue(const HostParamEntry& entry, const HostParamValue& u) {
  switch (entry.def.paramType) {
    case kParamTypeSlider: return std::to_string(u.slider.value);
    case kParamTypeFloatSlider: return FormatNumber(u.floatSlider.value);
    case kParamTypeAngle: return FormatNumber(FixedToDouble(u.angle.value));
    case kParamTypeCheckbox: return u.checkbox.value != 0 ? "on" : "off";
    case kParamTypeColor: return Rgb(u.color.value);
    case kParamTypePoint:
      return JoinText({FormatNumber(FixedToDouble(u.point.xValue)), ",", FormatNumber(FixedToDouble(u.point.yValue))});
    case kParamTypePopup: {
      const std::vector<std::string_view> choices = Split(entry.text, '|');
      const auto index = static_cast<size_t>(u.popup.value - 1);
      if (index >= choices.size()) return std::to_string(u.popup.value);
      return JoinText({std::to_string(u.popup.value), " (", choices[index], ")"});
    }
    default: return "";
  }
}

std::string FormatParamDefault(const HostParamEntry& entry) {
  HostParamValue u = entry.def.u;
  switch (entry.def.paramType) {
    case kParamTypeSlider: u.slider.value = u.slider.defaultValue; break;
    case kParamTypeFloatSlider: u.floatSlider.value = u.floatSlider.defaultValue; break;
    case kParamTypeAngle: u.angle.value = u.angle.defaultValue; break;
    case kParamTypeCheckbox: u.checkbox.value = u.checkbox.defaultValue; break;
    case kParamTypeColor: u.color.value = u.color.defaultValue; break;
    case kParamTypePopup: u.popup.value = u.popup.defaultValue; break;
    case kParamTypePoint:  // a percentage of the layer's size
      return JoinText(
          {FormatNumber(FixedToDouble(u.point.xDefault)), "%,", FormatNumber(FixedToDouble(u.point.yDefault)), "%"});
    default: break;
  }
  return FormatParamValue(entry, u);
}

std::string FormatParamRange(const HostParamEntry& entry) {
  const HostParamValue& u = entry.def.u;
  switch (entry.def.paramType) {
    case kParamTypeSlider: return JoinText({std::to_string(u.slider.validMin), " to ", std::to_string(u.slider.validMax)});
    case kParamTypeFloatSlider: {
      std::string range = JoinText({FormatNumber(u.floatSlider.validMin), " to ", FormatNumber(u.floatSlider.validMax)});
      if (u.floatSlider.sliderMin != u.floatSlider.validMin || u.floatSlider.sliderMax != u.floatSlider.validMax) {
        range += JoinText({" (slider ", FormatNumber(u.floatSlider.sliderMin), " to ",
                           FormatNumber(u.floatSlider.sliderMax), ")"});
      }
      return range;
    }
    case kParamTypePopup: {
      std::string range;
      const std::vector<std::string_view> choices = Split(entry.text, '|');
      for (size_t i = 0; i < choices.size(); ++i) {
        if (i > 0) range += ", ";
        range += JoinText({std::to_string(i + 1), " ", choices[i]});
      }
      return range;
    }
    case kParamTypeCheckbox: return "off, on";
    default: return "";
  }
}

int32_t FindAssignedParam(const HostEffectInstance& instance, std::string_view text, size_t& valueStart,
                          std::string& error) {
  bool named = false;
  for (size_t equals = text.rfind('='); equals != std::string_view::npos;
       equals = equals == 0 ? std::string_view::npos : text.rfind('=', equals - 1)) {
    const std::string_view name = Trim(text.substr(0, equals));
    if (name.empty()) continue;
    std::string reason;
    const int32_t id = FindParamByName(instance, name, reason);
    if (id >= 0) {
      valueStart = equals + 1;
      return id;
    }
    // The name as typed is the one before the last '='.
    if (!named) error = reason;
    named = true;
  }
  if (!named) error = JoinText({"expected LABEL=VALUE, got ", QuotedExcerpt(text)});
  return -1;
}

bool ApplyParamAssignment(HostEffectInstance& instance, std::string_view assignment, std::string& error) {
  size_t valueStart = 0;
  const int32_t id = FindAssignedParam(instance, assignment, valueStart, error);
  if (id < 0) return false;
  const HostParamEntry& entry = ParamEntryById(instance, id);
  HostParamValue value = ReadParamValue(instance, id);
  std::string reason;
  if (!ParseParamValue(entry, assignment.substr(valueStart), value, reason)) {
    error = entry.label + ": " + reason;
    return false;
  }
  StoreParamValue(instance, id, value);
  return true;
}
