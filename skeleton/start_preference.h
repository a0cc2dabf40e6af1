// Which point a chain should start from: the one nearest a reference point,
// or the one furthest along the writing direction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skeleton/geometry_types.h"

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
  const float x = static_cast<float>(q.x);
  const float y = static_cast<float>(q.y);
  if (preference.furthestAlong) return x * preference.writingDirection.x + y * preference.writingDirection.y;
  const float dx = x - preference.reference.x;
  const float dy = y - preference.reference.y;
  return -(dx * dx + dy * dy);
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
