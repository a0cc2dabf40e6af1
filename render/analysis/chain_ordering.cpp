#include "render/analysis/chain_ordering.h"

#include <algorithm>
#include <cstddef>

#include "skeleton/chain_operations.h"

namespace {

float SquaredDistance(IntPoint p, float x, float y) { return SquaredDistance(ToFloatPoint(p), FloatPoint{x, y}); }

void OrientClosedChain(ChainRecord& chain, FloatPoint start) {
  std::vector<IntPoint>& points = chain.points;
  if (PointsEqual(points.front(), points.back())) points.pop_back();
  if (points.size() < 3) return;
  size_t best = 0;
  float bestKey = 1.0e30f;
  for (size_t i = 0; i < points.size(); ++i) {
    const float key = ChainOrderKey(start, kOrderKeyYWeight, points[i]);
    if (key < bestKey) {
      bestKey = key;
      best = i;
    }
  }
  std::rotate(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(best), points.end());
  if (points[1].x > points[0].x) std::reverse(points.begin() + 1, points.end());
  points.push_back(points.front());
}

}  // namespace

void OrientChains(std::vector<ChainRecord>& chains, float startX, float startY) {
  const FloatPoint start{startX, startY};
  for (ChainRecord& chain : chains) {
    if (chain.points.size() < 2) continue;
    if (chain.closed) {
      OrientClosedChain(chain, start);
    } else if (ChainOrderKey(start, kOrderKeyYWeight, chain.points.front()) >
               ChainOrderKey(start, kOrderKeyYWeight, chain.points.back())) {
      std::reverse(chain.points.begin(), chain.points.end());
    }
  }
}

void PointOpenChainsAtStart(std::vector<ChainRecord>& chains, float startX, float startY) {
  for (ChainRecord& chain : chains) {
    if (chain.closed || chain.points.size() < 2) continue;
    if (SquaredDistance(chain.points.front(), startX, startY) > SquaredDistance(chain.points.back(), startX, startY)) {
      std::reverse(chain.points.begin(), chain.points.end());
    }
  }
}

void SortChainsByStartDistance(std::vector<ChainRecord>& chains, float startX, float startY) {
  // Stable, so equal distances come out the same on every platform.
  std::stable_sort(chains.begin(), chains.end(), [startX, startY](const ChainRecord& a, const ChainRecord& b) {
    if (a.points.empty() || b.points.empty()) return !a.points.empty() && b.points.empty();
    return SquaredDistance(a.points.front(), startX, startY) < SquaredDistance(b.points.front(), startX, startY);
  });
}

std::vector<int32_t> ChainLabels(size_t chainCount) {
  std::vector<int32_t> labels(chainCount);
  for (size_t i = 0; i < chainCount; ++i) labels[i] = static_cast<int32_t>(i + 1);
  return labels;
}
