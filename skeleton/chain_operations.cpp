#include "skeleton/chain_operations.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>


float ChainOrderKey(float refX, float refY, float weight, IntPoint p) {
  const FloatPoint q = ToFloatPoint(p);
  return Distance(q, FloatPoint{refX, refY}) + q.y * weight;
}

std::array<float, 4> SquaredEndGaps(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b) {
  return {SquaredDistance(a.back(), b.front()), SquaredDistance(a.back(), b.back()), SquaredDistance(a.front(), b.front()),
          SquaredDistance(a.front(), b.back())};
}

int32_t MergeChainPair(std::vector<ChainRecord>& chains, bool autoFlip, int32_t a, int32_t b) {
  const auto count = static_cast<int64_t>(chains.size());
  if (a < 0 || b < 0 || a == b || a >= count || b >= count) return -1;
  ChainRecord& target = chains[static_cast<size_t>(a)];
  const ChainRecord& source = chains[static_cast<size_t>(b)];
  if (target.closed != 0 || source.closed != 0) return -1;
  if (target.points.size() < 2 || source.points.size() < 2) return -1;

  bool reverseA = false;
  bool reverseB = false;
  if (autoFlip) {
    const std::array<float, 4> gaps = SquaredEndGaps(target.points, source.points);
    // The first of equal gaps wins.
    const size_t nearest = static_cast<size_t>(std::min_element(gaps.begin(), gaps.end()) - gaps.begin());
    reverseA = nearest >= 2;
    reverseB = nearest == 1 || nearest == 3;
  }
  std::vector<IntPoint> merged;
  merged.reserve(target.points.size() + source.points.size());
  if (reverseA) {
    merged.insert(merged.end(), target.points.rbegin(), target.points.rend());
  } else {
    merged.insert(merged.end(), target.points.begin(), target.points.end());
  }
  if (reverseB) {
    merged.insert(merged.end(), source.points.rbegin(), source.points.rend());
  } else {
    merged.insert(merged.end(), source.points.begin(), source.points.end());
  }
  target.points = std::move(merged);
  target.inT.clear();
  target.outT.clear();
  target.fpoints.clear();
  target.closed = 0;
  chains.erase(chains.begin() + b);
  return b < a ? a - 1 : a;
}
