#include "host/frame_timing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numeric>

#include "host/text_join.h"
#include "host/untrusted_text.h"

namespace {

constexpr int64_t kUnitsPerFrameRateUnit = 100;
constexpr int64_t kMaxFramesPerSecond = 1000;
constexpr int64_t kMaxRatePart = 1000000;
constexpr size_t kMaxDecimals = 3;

// Digits only; a number past int64 saturates (it is out of range anyway).
bool ParseDigits(std::string_view text, int64_t& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) value = std::numeric_limits<int64_t>::max();
  return true;
}

enum class RateText { kRate, kOutOfRange, kTooPrecise, kNotARate };

// The rate as numerator / denominator, not yet reduced.
RateText ParseRateFraction(std::string_view text, int64_t& numerator, int64_t& denominator) {
  const size_t slash = text.find('/');
  if (slash != std::string_view::npos) {
    if (!ParseDigits(text.substr(0, slash), numerator) || !ParseDigits(text.substr(slash + 1), denominator)) {
      return RateText::kNotARate;
    }
    return RateText::kRate;
  }
  const size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view decimals = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  int64_t wholePart = 0;
  int64_t decimalPart = 0;
  if (!ParseDigits(whole, wholePart) || (point != std::string_view::npos && !ParseDigits(decimals, decimalPart))) {
    return RateText::kNotARate;
  }
  if (wholePart > kMaxFramesPerSecond) return RateText::kOutOfRange;
  // Zeros past the third decimal change nothing.
  const std::string_view exact = decimals.substr(0, std::min(decimals.size(), kMaxDecimals));
  if (decimals.find_first_not_of('0', exact.size()) != std::string_view::npos) return RateText::kTooPrecise;
  decimalPart = 0;
  if (!exact.empty()) ParseDigits(exact, decimalPart);
  denominator = 1;
  for (size_t i = 0; i < exact.size(); ++i) denominator *= 10;
  numerator = wholePart * denominator + decimalPart;
  return RateText::kRate;
}

}  // namespace

bool ParseFrameRate(std::string_view text, FrameTiming& timing, std::string& error) {
  int64_t numerator = 0;
  int64_t denominator = 0;
  const RateText read = ParseRateFraction(text, numerator, denominator);
  const std::string quoted = QuotedExcerpt(text);
  if (read == RateText::kNotARate) {
    error = JoinText({quoted, " is not a frame rate (like 30, 29.97 or 30000/1001)"});
    return false;
  }
  if (read == RateText::kTooPrecise) {
    error = JoinText({quoted, " has more than three decimals; give such a rate as a fraction (like 30000/1001)"});
    return false;
  }
  const int64_t common = numerator > 0 && denominator > 0 ? std::gcd(numerator, denominator) : 1;
  numerator /= common;
  denominator /= common;
  // numerator / denominator > 1000, without overflowing.
  const bool above = denominator > 0 && numerator / denominator >= kMaxFramesPerSecond &&
                     !(numerator / denominator == kMaxFramesPerSecond && numerator % denominator == 0);
  if (read == RateText::kOutOfRange || numerator <= 0 || denominator <= 0 || above) {
    error = JoinText({quoted, " frames per second is outside 0 to 1000 (0 excluded)"});
    return false;
  }
  if (numerator > kMaxRatePart || denominator > kMaxRatePart) {
    error = JoinText({quoted, " is too fine a fraction: numerator and denominator (reduced) must be at most ",
                      std::to_string(kMaxRatePart)});
    return false;
  }
  timing.timeScale = static_cast<uint32_t>(numerator * kUnitsPerFrameRateUnit);
  timing.timeStep = static_cast<int32_t>(denominator * kUnitsPerFrameRateUnit);
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
