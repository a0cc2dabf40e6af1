// Which point a chain should start from: the one nearest a reference point,
// or the one furthest along the writing direction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skeleton/points.h"

struct StartPreference {
  FloatPoint reference;          // nearest to this is preferred ...
  FloatPoint writingDirection;   // ... unless furthestAlong: largest projection on this
  bool furthestAlong = false;
};

// Below every real score: a search starting here takes the first candidate
// that has a finite score.
constexpr float kNoPreferenceScore = -1e30f;

// Higher is preferred: the negated squared distance to the reference, or the
// projection on the writing direction.
inline float PreferenceScore(const StartPreference& preference, IntPoint q) {
  const FloatPoint p = ToFloatPoint(q);
  if (preference.furthestAlong) return Dot(p, preference.writingDirection);
  return -SquaredDistance(p, preference.reference);
}

// Index of the preferred point, the earliest on a tie; -1 when there is none.
inline int32_t PreferredPointIndex(const std::vector<IntPoint>& points, const StartPreference& preference) {
  int32_t best = -1;
  float bestScore = kNoPreferenceScore;
  for (size_t i = 0; i < points.size(); ++i) {
    const float score = PreferenceScore(preference, points[i]);
    if (score > bestScore) {
      bestScore = score;
      best = static_cast<int32_t>(i);
    }
  }
  return best;
}
