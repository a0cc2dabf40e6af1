#include "skeleton/end_pairing.h"

namespace {

// The ends each pairing joins, a's first.
template <typename Measure>
std::array<float, 4> MeasureEnds(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b, Measure measure) {
  return {measure(a.back(), b.front()), measure(a.back(), b.back()), measure(a.front(), b.front()),
          measure(a.front(), b.back())};
}

}  // namespace

std::array<float, 4> EndDistances(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b) {
  return MeasureEnds(a, b, [](IntPoint p, IntPoint q) { return Distance(p, q); });
}

std::array<float, 4> SquaredEndDistances(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b) {
  return MeasureEnds(a, b, [](IntPoint p, IntPoint q) { return SquaredDistance(p, q); });
}

EndPairing NearestPairing(const std::array<float, 4>& distances) {
  int32_t nearest = 0;
  for (int32_t i = 1; i < 4; ++i) {
    if (distances[i] < distances[nearest]) nearest = i;
  }
  return static_cast<EndPairing>(nearest);
}

std::vector<IntPoint> JoinAtEnds(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b, EndPairing pairing) {
  std::vector<IntPoint> joined;
  joined.reserve(a.size() + b.size());
  if (JoinsFirstOfA(pairing)) {
    joined.insert(joined.end(), a.rbegin(), a.rend());
  } else {
    joined.insert(joined.end(), a.begin(), a.end());
  }
  if (JoinsLastOfB(pairing)) {
    joined.insert(joined.end(), b.rbegin(), b.rend());
  } else {
    joined.insert(joined.end(), b.begin(), b.end());
  }
  return joined;
}
