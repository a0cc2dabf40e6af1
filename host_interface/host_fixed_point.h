// The host's 16.16 fixed point: a signed 32-bit count of 1/65536ths, of a
// pixel in points and window coordinates, of a degree in angles.
//
// The conversions differ on purpose in the type they compute in, how they
// round and what they give outside the 32-bit range: each serves callers
// whose results must stay what they are (rendered frames, saved projects,
// the values the command line shows).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

constexpr int32_t kFixedOne = 65536;  // 1.0

// Whole units to 16.16 in 32-bit integers, for values within +-32767 (the
// defaults of the parameter definitions).
constexpr int32_t WholeToFixed(int32_t whole) { return whole * kFixedOne; }

// A whole number (or an infinity) as a 32-bit integer; beyond the range, the
// nearer end of it. Not for NaN.
inline int32_t SaturateToInt32(double whole) {
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  if (whole >= kMax) return std::numeric_limits<int32_t>::max();
  if (whole <= kMin) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(whole);
}

// Any 32-bit whole number to 16.16, computed in double and saturated.
inline int32_t WholeToFixedSaturated(int32_t whole) {
  return SaturateToInt32(static_cast<double>(whole) * kFixedOne);
}

// 16.16 to float: converted to float, then scaled by 2^-16 in float.
inline float FixedToFloat(int32_t fixed) {
  constexpr float kFixedStep = 1.0f / kFixedOne;  // 2^-16, exact
  return static_cast<float>(fixed) * kFixedStep;
}

// 16.16 to double, exact.
constexpr double FixedToDouble(int32_t fixed) { return static_cast<double>(fixed) / kFixedOne; }

// value x 2^16 to the nearest 16.16 value, halves away from zero (std::round),
// saturated to the 32-bit range; NaN gives 0.
inline int32_t RoundToFixedSaturated(double value) {
  const double scaled = value * kFixedOne;
  if (std::isnan(scaled)) return 0;
  return SaturateToInt32(std::round(scaled));
}

// value x 2^16 to the nearest 16.16 value, halves away from zero by adding
// +-0.5 and truncating, saturated to the 32-bit range; nothing for a NaN or an
// infinity.
inline std::optional<int32_t> RoundFiniteToFixedSaturated(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double scaled = value * kFixedOne;
  return SaturateToInt32(std::trunc(scaled >= 0.0 ? scaled + 0.5 : scaled - 0.5));
}

// value x 2^16 to the nearest 16.16 value, halves away from zero (std::round);
// nothing when that lies outside the 32-bit range or is NaN.
inline std::optional<int32_t> RoundToFixed(double value) {
  const double scaled = std::round(value * kFixedOne);
  if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0)) return std::nullopt;
  return static_cast<int32_t>(scaled);
}

// value as 16.16 when it is a whole multiple of 2^-16 within the 32-bit range;
// nothing otherwise.
inline std::optional<int32_t> ExactToFixed(double value) {
  const double scaled = value * kFixedOne;
  if (!(scaled >= -2147483648.0 && scaled <= 2147483647.0) || scaled != std::floor(scaled)) return std::nullopt;
  return static_cast<int32_t>(scaled);
}
