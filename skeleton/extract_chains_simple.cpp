#include "skeleton/extract_chains_simple.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "skeleton/chain_trace.h"
#include "skeleton/polyline_simplify.h"

namespace {

void KeepTraceIfLongEnough(ChainRecord&& trace, std::vector<ChainRecord>& traces) {
  if (trace.points.size() >= 3) traces.push_back(std::move(trace));
}

// The joined run of two chains, at the pairing of ends with the smallest
// distance (earlier pairing on ties), or nothing when that exceeds threshold.
bool JoinIfNear(const ChainRecord& a, const ChainRecord& b, float threshold, std::vector<IntPoint>& joined) {
  const std::vector<IntPoint>& pa = a.points;
  const std::vector<IntPoint>& pb = b.points;
  const float distances[4] = {PointDistance(pa.back(), pb.front()), PointDistance(pa.back(), pb.back()),
                              PointDistance(pa.front(), pb.front()), PointDistance(pa.front(), pb.back())};
  int32_t pairing = 0;
  for (int32_t i = 1; i < 4; ++i) {
    if (distances[i] < distances[pairing]) pairing = i;
  }
  if (distances[pairing] > threshold) return false;
  joined.clear();
  joined.reserve(pa.size() + pb.size());
  switch (pairing) {
    case 0:  // A, then B
      joined.insert(joined.end(), pa.begin(), pa.end());
      joined.insert(joined.end(), pb.begin(), pb.end());
      break;
    case 1:  // A, then B reversed
      joined.insert(joined.end(), pa.begin(), pa.end());
      joined.insert(joined.end(), pb.rbegin(), pb.rend());
      break;
    case 2:  // A reversed, then B
      joined.insert(joined.end(), pa.rbegin(), pa.rend());
      joined.insert(joined.end(), pb.begin(), pb.end());
      break;
    default:  // B, then A
      joined.insert(joined.end(), pb.begin(), pb.end());
      joined.insert(joined.end(), pa.begin(), pa.end());
      break;
  }
  return true;
}

// Joins the first qualifying pair in sweep order; false when none qualifies.
bool JoinFirstPair(std::vector<ChainRecord>& chains, float threshold) {
  std::vector<IntPoint> joined;
  for (size_t i = 0; i < chains.size(); ++i) {
    if (chains[i].closed != 0) continue;
    for (size_t j = i + 1; j < chains.size(); ++j) {
      if (chains[j].closed != 0) continue;
      if (!JoinIfNear(chains[i], chains[j], threshold, joined)) continue;
      ChainRecord run;
      run.points = std::move(joined);
      chains[i] = SimplifyRdp(run, kSimplifyTolerance);
      chains.erase(chains.begin() + static_cast<std::ptrdiff_t>(j));
      return true;
    }
  }
  return false;
}

}  // namespace

std::vector<ChainRecord> TraceSkeletonPieces(const ByteMask& mask, uint8_t smart, float bias) {
  std::vector<ChainRecord> traces;
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  if (width < 3 || height < 3) return traces;
  const size_t stride = static_cast<size_t>(width);
  std::vector<uint8_t> visited(stride * static_cast<size_t>(height), 0);

  std::vector<IntPoint> endPixels;
  for (int32_t y = 1; y <= height - 2; ++y) {
    for (int32_t x = 1; x <= width - 2; ++x) {
      if (MaskGet(mask, x, y) != 0 && SkeletonPixelDegree(mask, x, y) == 1) endPixels.push_back({x, y});
    }
  }
  for (IntPoint end : endPixels) {
    if (visited[static_cast<size_t>(end.y) * stride + static_cast<size_t>(end.x)] != 0) continue;
    KeepTraceIfLongEnough(TraceChainFrom(mask, end.x, end.y, visited, smart, bias), traces);
  }
  // Closed loops and pieces cut off between junctions.
  for (int32_t y = 1; y <= height - 2; ++y) {
    for (int32_t x = 1; x <= width - 2; ++x) {
      if (MaskGet(mask, x, y) == 0 || visited[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] != 0) continue;
      KeepTraceIfLongEnough(TraceChainFrom(mask, x, y, visited, smart, bias), traces);
    }
  }
  return traces;
}

ChainOwnerMap BuildChainOwnerMap(const std::vector<ChainRecord>& chains, int32_t width) {
  ChainOwnerMap owner;
  for (size_t c = 0; c < chains.size(); ++c) {
    const std::vector<IntPoint>& points = chains[c].points;
    for (size_t i = 1; i < points.size(); ++i) {
      const float x0 = static_cast<float>(points[i - 1].x);
      const float y0 = static_cast<float>(points[i - 1].y);
      const float dx = static_cast<float>(points[i].x) - x0;
      const float dy = static_cast<float>(points[i].y) - y0;
      const float length = std::sqrt(dx * dx + dy * dy);
      const int32_t steps = std::max(1, static_cast<int32_t>(std::floor(length + 0.5f)));
      for (int32_t k = 0; k <= steps; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(steps);
        const auto px = static_cast<int32_t>(std::floor(t * dx + x0 + 0.5f));
        const auto py = static_cast<int32_t>(std::floor(t * dy + y0 + 0.5f));
        owner[static_cast<int64_t>(py) * width + px] = static_cast<int32_t>(c);
      }
    }
  }
  return owner;
}

void FindNearbyChainPixel(std::vector<ChainRecord>& chains, int32_t width, int32_t height, const ChainOwnerMap& owner,
                          int32_t chainIndex, bool atStart) {
  std::vector<IntPoint>& points = chains[static_cast<size_t>(chainIndex)].points;
  if (points.empty()) return;
  const IntPoint end = atStart ? points.front() : points.back();
  float best = kNearbyChainRadius;
  bool found = false;
  IntPoint nearest{};
  for (int32_t dy = -3; dy <= 3; ++dy) {
    for (int32_t dx = -3; dx <= 3; ++dx) {
      if (dx == 0 && dy == 0) continue;
      const IntPoint q{end.x + dx, end.y + dy};
      if (q.x < 0 || q.x >= width || q.y < 0 || q.y >= height) continue;
      const auto entry = owner.find(static_cast<int64_t>(q.y) * width + q.x);
      if (entry == owner.end() || entry->second == chainIndex) continue;
      const float fx = static_cast<float>(dx);
      const float fy = static_cast<float>(dy);
      const float distance = std::sqrt(fx * fx + fy * fy);
      if (distance < best) {
        best = distance;
        nearest = q;
        found = true;
      }
    }
  }
  if (!found) return;
  if (atStart) {
    points.insert(points.begin(), nearest);
  } else {
    points.push_back(nearest);
  }
}

void JoinChainEnds(std::vector<ChainRecord>& chains, float threshold) {
  // Restarting from the first pair after every join decides which chains
  // meet, so it is kept even though it revisits pairs.
  while (JoinFirstPair(chains, threshold)) {
  }
}

void CloseChainsWithMeetingEnds(std::vector<ChainRecord>& chains, float threshold) {
  for (ChainRecord& chain : chains) {
    if (chain.closed != 0 || chain.points.size() < 4) continue;
    if (PointDistance(chain.points.front(), chain.points.back()) <= threshold) chain.closed = 1;
  }
}

std::vector<ChainRecord> ExtractChainsSimple(const ByteMask& mask, float gapClose, float minLength, uint8_t smart,
                                             float bias) {
  std::vector<ChainRecord> chains = TraceSkeletonPieces(mask, smart, bias);
  for (ChainRecord& chain : chains) chain = SimplifyRdp(chain, kSimplifyTolerance);

  {
    const ChainOwnerMap owner = BuildChainOwnerMap(chains, mask.width);
    for (size_t c = 0; c < chains.size(); ++c) {
      FindNearbyChainPixel(chains, mask.width, mask.height, owner, static_cast<int32_t>(c), true);
      FindNearbyChainPixel(chains, mask.width, mask.height, owner, static_cast<int32_t>(c), false);
    }
  }

  JoinChainEnds(chains, kEndJoinDistance);
  CloseChainsWithMeetingEnds(chains, kEndJoinDistance);

  std::erase_if(chains, [minLength](const ChainRecord& chain) {
    const bool keep = chain.closed != 0 || PolylineLength(chain.points) >= minLength || chain.points.size() >= 5;
    return !keep;
  });

  if (gapClose > 0.0f) {
    JoinChainEnds(chains, gapClose);
    CloseChainsWithMeetingEnds(chains, gapClose);
  }
  return chains;
}
