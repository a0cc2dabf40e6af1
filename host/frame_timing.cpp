#include "host/frame_timing.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>

#include "host/text_join.h"

namespace {

constexpr int64_t kUnitsPerFrameRateUnit = 100;
constexpr int64_t kMaxFramesPerSecond = 1000;
constexpr int64_t kMaxRatePart = 1000000;
constexpr size_t kMaxDecimals = 3;

bool ParseDigits(std::string_view text, int64_t& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos &&
         result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// The rate as numerator / denominator, not yet reduced.
bool ParseRateFraction(std::string_view text, int64_t& numerator, int64_t& denominator) {
  const size_t slash = text.find('/');
  if (slash != std::string_view::npos) {
    return ParseDigits(text.substr(0, slash), numerator) && ParseDigits(text.substr(slash + 1), denominator) &&
           numerator <= kMaxRatePart && denominator <= kMaxRatePart;
  }
  const size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view decimals = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (point != std::string_view::npos && (decimals.empty() || decimals.size() > kMaxDecimals)) return false;
  int64_t wholePart = 0;
  int64_t decimalPart = 0;
  if (!ParseDigits(whole, wholePart) || wholePart > kMaxFramesPerSecond) return false;
  if (!decimals.empty() && !ParseDigits(decimals, decimalPart)) return false;
  denominator = 1;
  for (size_t i = 0; i < decimals.size(); ++i) denominator *= 10;
  numerator = wholePart * denominator + decimalPart;
  return true;
}

}  // namespace

bool ParseFrameRate(std::string_view text, FrameTiming& timing, std::string& error) {
  int64_t numerator = 0;
  int64_t denominator = 0;
  if (!ParseRateFraction(text, numerator, denominator)) {
    error = JoinText({"\"", text, "\" is not a frame rate (like 30, 29.97 or 30000/1001)"});
    return false;
  }
  if (numerator <= 0 || denominator <= 0 || numerator > kMaxFramesPerSecond * denominator) {
    error = JoinText({"\"", text, "\" frames per second is outside 0 to 1000 (0 excluded)"});
    return false;
  }
  const int64_t common = std::gcd(numerator, denominator);
  timing.timeScale = static_cast<uint32_t>(numerator / common * kUnitsPerFrameRateUnit);
  timing.timeStep = static_cast<int32_t>(denominator / common * kUnitsPerFrameRateUnit);
  return true;
}

bool SecondsToTime(double seconds, const FrameTiming& timing, int32_t& time) {
  const double units = std::round(seconds * static_cast<double>(timing.timeScale));
  if (!(units >= std::numeric_limits<int32_t>::min() && units <= std::numeric_limits<int32_t>::max())) return false;
  time = static_cast<int32_t>(units);
  return true;
}

bool FrameStartTime(int32_t frame, const FrameTiming& timing, int32_t& time) {
  const int64_t units = static_cast<int64_t>(frame) * timing.timeStep;
  if (units < std::numeric_limits<int32_t>::min() || units > std::numeric_limits<int32_t>::max()) return false;
  time = static_cast<int32_t>(units);
  return true;
}
