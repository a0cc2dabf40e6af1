#include "skeleton/chain_operations.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "skeleton/end_pairing.h"
#include "skeleton/index_at.h"


float ChainOrderKey(float refX, float refY, float weight, IntPoint p) {
  const FloatPoint q = ToFloatPoint(p);
  return Distance(q, FloatPoint{refX, refY}) + q.y * weight;
}

int32_t MergeChainPair(std::vector<ChainRecord>& chains, bool autoFlip, int32_t a, int32_t b) {
  const auto count = static_cast<int64_t>(chains.size());
  if (a < 0 || b < 0 || a == b || a >= count || b >= count) return -1;
  ChainRecord& target = At(chains, a);
  const ChainRecord& source = At(chains, b);
  if (target.closed || source.closed) return -1;
  if (target.points.size() < 2 || source.points.size() < 2) return -1;

  // Without Auto-Flip both keep their direction: a's last point meets b's first.
  const EndPairing pairing = autoFlip ? NearestPairing(SquaredEndDistances(target.points, source.points))
                                      : EndPairing::kLastToFirst;
  target.points = JoinAtEnds(target.points, source.points, pairing);
  target.inT.clear();
  target.outT.clear();
  target.fpoints.clear();
  target.closed = false;
  chains.erase(chains.begin() + b);
  return b < a ? a - 1 : a;
}
