#include "render/chain_ordering.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>

#include "skeleton/bezier_fit.h"
#include "skeleton/centre_refinement.h"
#include "skeleton/chain_operations.h"
#include "skeleton/extract_chains_graph.h"
#include "skeleton/extract_chains_simple.h"

namespace {

float SquaredDistance(IntPoint p, float x, float y) {
  const float dx = static_cast<float>(p.x) - x;
  const float dy = static_cast<float>(p.y) - y;
  return dx * dx + dy * dy;
}

FloatPoint ToFloat(IntPoint p) { return FloatPoint{static_cast<float>(p.x), static_cast<float>(p.y)}; }

// Adding 0.5 and truncating toward zero, as everywhere a float point becomes a pixel.
IntPoint RoundToPixel(FloatPoint p) {
  return IntPoint{static_cast<int32_t>(p.x + 0.5f), static_cast<int32_t>(p.y + 0.5f)};
}

bool HasValidFloatPoints(const ChainRecord& chain) { return chain.fpoints.size() == chain.points.size(); }

std::vector<FloatPoint> FloatPositions(const ChainRecord& chain) {
  if (HasValidFloatPoints(chain)) return chain.fpoints;
  std::vector<FloatPoint> positions;
  positions.reserve(chain.points.size());
  for (const IntPoint& p : chain.points) positions.push_back(ToFloat(p));
  return positions;
}

// Simple chains handed to the graph mode start at their end nearer the Start Point.
void PointSimpleChainsAtStart(std::vector<ChainRecord>& chains, float startX, float startY) {
  for (ChainRecord& chain : chains) {
    if (chain.closed != 0 || chain.points.size() < 2) continue;
    if (SquaredDistance(chain.points.front(), startX, startY) > SquaredDistance(chain.points.back(), startX, startY)) {
      std::reverse(chain.points.begin(), chain.points.end());
    }
  }
}

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

std::vector<FloatPoint> FindChainSeeds(const ByteMask& skeleton, const std::vector<ChainRecord>& chains) {
  std::vector<FloatPoint> seeds;
  seeds.reserve(chains.size());
  for (const ChainRecord& chain : chains) {
    if (chain.points.empty()) continue;
    const IntPoint first = chain.points.front();
    IntPoint seed = first;
    for (int32_t r = 0; r <= kSeedRingRadius; ++r) {
      int32_t bestDistance = std::numeric_limits<int32_t>::max();
      for (int32_t dy = -r; dy <= r; ++dy) {
        for (int32_t dx = -r; dx <= r; ++dx) {
          if (std::abs(dx) != r && std::abs(dy) != r) continue;
          const int32_t x = first.x + dx;
          const int32_t y = first.y + dy;
          if (MaskGet(skeleton, x, y) == 0 || CountNeighbours(skeleton, x, y) != 1) continue;
          const int32_t distance = dx * dx + dy * dy;
          if (distance < bestDistance) {
            bestDistance = distance;
            seed = IntPoint{x, y};
          }
        }
      }
      if (bestDistance != std::numeric_limits<int32_t>::max()) break;
    }
    seeds.push_back(ToFloat(seed));
  }
  return seeds;
}

std::vector<ChainRecord> ExtractRenderChains(const ByteMask& skeleton, const RenderSettings& s) {
  const uint8_t smart = s.smartJunctionTracing ? 1 : 0;
  std::vector<ChainRecord> simple =
      ExtractChainsSimple(skeleton, s.gapClose, s.minChainLength, smart, s.junctionBias);
  if (!s.mergeByShape) return simple;

  std::vector<FloatPoint> seeds;
  if (!s.directionalStart) {
    PointSimpleChainsAtStart(simple, s.startX, s.startY);
    SortChainsByStartDistance(simple, s.startX, s.startY);
    seeds = FindChainSeeds(skeleton, simple);
  }
  return ExtractChainsGraph(skeleton, s.minChainLength, s.startX, s.startY, smart, s.junctionBias,
                            s.directionalStart ? 1 : 0, seeds, simple);
}

void OrientChains(std::vector<ChainRecord>& chains, float startX, float startY) {
  const FloatPoint start{startX, startY};
  for (ChainRecord& chain : chains) {
    if (chain.points.size() < 2) continue;
    if (chain.closed != 0) {
      OrientClosedChain(chain, start);
    } else if (ChainOrderKey(start, kOrderKeyYWeight, chain.points.front()) >
               ChainOrderKey(start, kOrderKeyYWeight, chain.points.back())) {
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

void ApplyMergeSlots(std::vector<ChainRecord>& chains, const MergeSlot (&slots)[kMergeSlotCount], bool autoFlip) {
  for (const MergeSlot& slot : slots) {
    // A negative number names no chain either; skipping it keeps A - 1 from overflowing.
    if (slot.chainA <= 0 || slot.chainB <= 0) continue;
    MergeChainPair(chains, autoFlip, slot.chainA - 1, slot.chainB - 1);
  }
}

void ApplyReverseSlots(std::vector<ChainRecord>& chains, const int32_t (&slots)[kMergeSlotCount]) {
  for (int32_t value : slots) {
    const int64_t index = static_cast<int64_t>(value) - 1;
    if (index < 0 || index >= static_cast<int64_t>(chains.size())) continue;
    ChainRecord& chain = chains[static_cast<size_t>(index)];
    if (chain.closed != 0 || chain.points.size() < 2) continue;
    std::reverse(chain.points.begin(), chain.points.end());
  }
}

void ApplyDrawOrderTable(std::vector<ChainRecord>& chains, const DrawOrderBlob& table) {
  if (table.count == 0) return;
  const int64_t n = static_cast<int64_t>(chains.size());
  std::vector<int64_t> chainAt(static_cast<size_t>(n), -1);
  std::vector<bool> claimed(static_cast<size_t>(n), false);
  const uint32_t entries = std::min(table.count, kMaxDrawOrderEntries);
  for (uint32_t i = 0; i < entries; ++i) {
    const int64_t position = static_cast<int64_t>(table.targetPosition[i]) - 1;
    const int64_t chain = static_cast<int64_t>(table.chainPlusOne[i]) - 1;
    if (position < 0 || position >= n || chain < 0 || chain >= n) continue;
    if (claimed[static_cast<size_t>(chain)] || chainAt[static_cast<size_t>(position)] >= 0) continue;
    chainAt[static_cast<size_t>(position)] = chain;
    claimed[static_cast<size_t>(chain)] = true;
  }
  int64_t nextUnclaimed = 0;
  for (int64_t& chain : chainAt) {
    if (chain >= 0) continue;
    while (claimed[static_cast<size_t>(nextUnclaimed)]) ++nextUnclaimed;
    chain = nextUnclaimed++;
  }
  std::vector<ChainRecord> reordered;
  reordered.reserve(chains.size());
  for (int64_t chain : chainAt) reordered.push_back(chains[static_cast<size_t>(chain)]);
  chains.swap(reordered);
}

void FlattenBezierChain(ChainRecord& chain) {
  const size_t n = chain.points.size();
  if (chain.outT.empty() || chain.outT.size() != n || chain.inT.size() != n) return;
  const std::vector<FloatPoint> source = FloatPositions(chain);
  std::vector<IntPoint> points;
  std::vector<FloatPoint> fpoints;
  points.reserve(kBezierFlattenSteps * n);
  fpoints.reserve(kBezierFlattenSteps * n);
  fpoints.push_back(source[0]);
  points.push_back(RoundToPixel(source[0]));
  for (size_t i = 1; i < n; ++i) {
    const FloatPoint p0 = source[i - 1];
    const FloatPoint p1{p0.x + chain.outT[i - 1].x, p0.y + chain.outT[i - 1].y};
    const FloatPoint p3 = source[i];
    const FloatPoint p2{p3.x + chain.inT[i].x, p3.y + chain.inT[i].y};
    for (int32_t k = 1; k <= kBezierFlattenSteps; ++k) {
      const float t = static_cast<float>(k) / 12.0f;
      const float u = 1.0f - t;
      const float b0 = u * u * u;
      const float b1 = (3.0f * u) * u * t;
      const float b2 = (3.0f * u) * t * t;
      const float b3 = t * t * t;
      const FloatPoint q{b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x, b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
      fpoints.push_back(q);
      points.push_back(RoundToPixel(q));
    }
  }
  chain.points.swap(points);
  chain.fpoints.swap(fpoints);
  chain.inT.clear();
  chain.outT.clear();
}

void SubdivideChaikin(ChainRecord& chain, int32_t passes) {
  if (passes <= 0 || chain.points.size() < 3) return;
  std::vector<FloatPoint> poly = FloatPositions(chain);
  std::vector<FloatPoint> out;
  for (int32_t pass = 0; pass < passes; ++pass) {
    const size_t m = poly.size();
    out.clear();
    out.reserve(2 * m);
    out.push_back(poly[0]);
    for (size_t i = 0; i + 1 < m; ++i) {
      const FloatPoint a = poly[i];
      const FloatPoint b = poly[i + 1];
      out.push_back(FloatPoint{b.x * 0.25f + a.x * 0.75f, b.y * 0.25f + a.y * 0.75f});
      out.push_back(FloatPoint{b.x * 0.75f + a.x * 0.25f, b.y * 0.75f + a.y * 0.25f});
    }
    out.push_back(poly[m - 1]);
    poly.swap(out);
  }
  chain.points.resize(poly.size());
  for (size_t i = 0; i < poly.size(); ++i) chain.points[i] = RoundToPixel(poly[i]);
  chain.fpoints.swap(poly);
  // Handles belong to the points they were fitted to.
  chain.inT.clear();
  chain.outT.clear();
}

void ShapeChains(std::vector<ChainRecord>& chains, const DistanceField& field, int32_t maskWidth,
                 int32_t maskHeight, const RenderSettings& settings) {
  RefineChainCenters(chains, field, maskWidth, maskHeight);
  if (settings.useBezierFit) {
    for (ChainRecord& chain : chains) {
      if (chain.closed == 0 && chain.points.size() >= 3) FitChainBeziers(chain, settings.fitTolerance);
    }
  }
  for (ChainRecord& chain : chains) FlattenBezierChain(chain);
  if (settings.subdivide > 0) {
    for (ChainRecord& chain : chains) SubdivideChaikin(chain, settings.subdivide);
  }
}

std::vector<int32_t> ChainLabels(size_t chainCount) {
  std::vector<int32_t> labels(chainCount);
  for (size_t i = 0; i < chainCount; ++i) labels[i] = static_cast<int32_t>(i + 1);
  return labels;
}

bool ApplyPendingSelectionMerge(std::vector<ChainRecord>& chains, bool autoFlip, ChainSelectionBlob& selection) {
  if (selection.mergePending == 0) return false;
  if (selection.count < 2) {
    selection.mergePending = 0;
    return false;
  }
  // A damaged project may claim more ids than the block holds.
  const uint32_t count = std::min(selection.count, kMaxBlobChainIds);
  std::vector<int32_t> ids;
  ids.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const int32_t id = selection.chainIds[i];
    if (id >= 0 && static_cast<size_t>(id) < chains.size()) ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  if (ids.size() >= 2) {
    int32_t target = ids[0];
    for (size_t j = 1; j < ids.size(); ++j) {
      const int32_t merged = MergeChainPair(chains, autoFlip, target, ids[j]);
      if (merged < 0) continue;
      target = merged;
      for (size_t later = j + 1; later < ids.size(); ++later) {
        if (ids[later] > ids[j]) --ids[later];
      }
    }
  }
  selection.count = 0;
  std::fill(std::begin(selection.chainIds), std::end(selection.chainIds), 0);
  selection.mergePending = 0;
  return true;
}
