#include "skeleton/extract_chains_simple.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

#include "skeleton/bit_rows.h"
#include "skeleton/chain_trace.h"
#include "skeleton/end_pairing.h"
#include "skeleton/index_at.h"
#include "skeleton/polyline_simplify.h"
#include "skeleton/row_scan.h"
#include "skeleton/trace_walk.h"

namespace {

// Skeleton pixels that no trace has taken yet, one bit each.
struct FreeSkeletonBits {
  BitRows rows;
  ptrdiff_t stride;  // bits from one row to the next

  bool Free(ptrdiff_t index) const { return rows.Test(index); }
  void Take(ptrdiff_t index) { rows.Clear(index); }
};

// Calls record(px, py, chain index) for every pixel of every chain's
// rasterised outline, chains and segments in order.
template <typename Record>
void RasteriseOutlines(const std::vector<ChainRecord>& chains, Record&& record) {
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
        record(px, py, static_cast<int32_t>(c));
      }
    }
  }
}

// The offsets within 3 pixels whose distance passes the strict test against
// kNearbyChainRadius, in the scan order of the search (top row first, left to
// right), with their distances as the search computes them.
struct NearbyOffset {
  int32_t dx;
  int32_t dy;
  float distance;
};

struct NearbyOffsets {
  std::vector<NearbyOffset> offsets;
};

const NearbyOffsets kNearbyOffsets = [] {
  NearbyOffsets nearby;
  for (int32_t dy = -3; dy <= 3; ++dy) {
    for (int32_t dx = -3; dx <= 3; ++dx) {
      if (dx == 0 && dy == 0) continue;
      const float fx = static_cast<float>(dx);
      const float fy = static_cast<float>(dy);
      const float distance = std::sqrt(fx * fx + fy * fy);
      if (distance < kNearbyChainRadius) nearby.offsets.push_back({dx, dy, distance});
    }
  }
  return nearby;
}();

// The owner map that the reaching-out stage reads: it asks only about pixels
// near chain ends, so only pixels in the 8 x 8 cells around the ends are
// recorded. Each recorded pixel still gets every write, so its owner is the
// one the full map would hold.
ChainOwnerMap OwnerMapNearEnds(const std::vector<ChainRecord>& chains, int32_t width, int32_t height) {
  const size_t cellColumns = static_cast<size_t>(width) / 8 + 1;
  std::vector<uint8_t> nearEnd(cellColumns * (static_cast<size_t>(height) / 8 + 1), 0);
  constexpr int32_t kReach = 2;  // the farthest offset the search can take
  for (const ChainRecord& chain : chains) {
    if (chain.points.empty()) continue;
    for (const IntPoint end : {chain.points.front(), chain.points.back()}) {
      for (int32_t y = std::max(0, end.y - kReach); y <= std::min(height - 1, end.y + kReach); ++y) {
        for (int32_t x = std::max(0, end.x - kReach); x <= std::min(width - 1, end.x + kReach); ++x) {
          nearEnd[static_cast<size_t>(y / 8) * cellColumns + static_cast<size_t>(x / 8)] = 1;
        }
      }
    }
  }
  ChainOwnerMap owner;
  RasteriseOutlines(chains, [&](int32_t px, int32_t py, int32_t chain) {
    if (px < 0 || py < 0 || px >= width || py >= height) return;
    if (nearEnd[static_cast<size_t>(py / 8) * cellColumns + static_cast<size_t>(px / 8)] == 0) return;
    SetChainOwner(owner, static_cast<int64_t>(py) * width + px, chain);
  });
  return owner;
}

void KeepTraceIfLongEnough(ChainRecord&& trace, std::vector<ChainRecord>& traces) {
  if (trace.points.size() >= 3) traces.push_back(std::move(trace));
}

// The pairing of the nearest ends of a and b, or none when they lie farther
// apart than threshold or a chain is empty.
std::optional<EndPairing> MeetingEnds(const ChainRecord& a, const ChainRecord& b, float threshold) {
  if (a.points.empty() || b.points.empty()) return std::nullopt;
  const std::array<float, 4> distances = EndDistances(a.points, b.points);
  const EndPairing pairing = NearestPairing(distances);
  if (distances[static_cast<size_t>(pairing)] > threshold) return std::nullopt;
  return pairing;
}

// a joined to b at the pairing. Where a's first point meets b's last, b goes
// first and neither turns round.
std::vector<IntPoint> JoinedRun(const ChainRecord& a, const ChainRecord& b, EndPairing pairing) {
  if (pairing == EndPairing::kFirstToLast) return JoinAtEnds(b.points, a.points, EndPairing::kLastToFirst);
  return JoinAtEnds(a.points, b.points, pairing);
}

// Chain ends bucketed on square cells wider than the join threshold, so the
// ends of every pair that can join lie in the same or adjacent cells. A
// threshold too large (or NaN, which joins everything) puts all ends in one
// cell. Entries are never removed; callers check the chains they return.
struct ChainEndGrid {
  int64_t cellSize = 1;
  bool oneCell = false;
  std::unordered_map<uint64_t, std::vector<int32_t>> cells;
};

ChainEndGrid MakeChainEndGrid(float threshold) {
  ChainEndGrid grid;
  // A float distance within the threshold belongs to integer offsets of at
  // most floor(threshold) + 1 on each axis, well inside one cell.
  if (threshold < 0.0f) {
    grid.cellSize = 1;  // nothing joins
  } else if (threshold < 1048576.0f) {
    grid.cellSize = static_cast<int64_t>(std::floor(threshold)) + 2;
  } else {
    grid.oneCell = true;
  }
  return grid;
}

int64_t GridCell(const ChainEndGrid& grid, int32_t coordinate) {
  if (grid.oneCell) return 0;
  const int64_t value = coordinate;
  return value >= 0 ? value / grid.cellSize : -((-value + grid.cellSize - 1) / grid.cellSize);
}

uint64_t GridKey(int64_t cellX, int64_t cellY) {
  return (static_cast<uint64_t>(cellX) << 32) ^ static_cast<uint32_t>(cellY);
}

void AddChainEnds(ChainEndGrid& grid, const ChainRecord& chain, int32_t id) {
  if (chain.points.empty()) return;
  for (IntPoint end : {chain.points.front(), chain.points.back()}) {
    grid.cells[GridKey(GridCell(grid, end.x), GridCell(grid, end.y))].push_back(id);
  }
}

// Calls visit once for every chain with an end in the cells around either
// end of chain (the chain itself included).
template <typename Visit>
void ForChainsNearEnds(const ChainEndGrid& grid, const ChainRecord& chain, std::vector<uint32_t>& seenStamp,
                       uint32_t& stamp, Visit&& visit) {
  if (chain.points.empty()) return;
  ++stamp;
  const int64_t reach = grid.oneCell ? 0 : 1;
  for (IntPoint end : {chain.points.front(), chain.points.back()}) {
    const int64_t cellX = GridCell(grid, end.x);
    const int64_t cellY = GridCell(grid, end.y);
    for (int64_t dy = -reach; dy <= reach; ++dy) {
      for (int64_t dx = -reach; dx <= reach; ++dx) {
        const auto cell = grid.cells.find(GridKey(cellX + dx, cellY + dy));
        if (cell == grid.cells.end()) continue;
        for (int32_t id : cell->second) {
          if (At(seenStamp, id) == stamp) continue;
          At(seenStamp, id) = stamp;
          visit(id);
        }
      }
    }
  }
}

// The end-joining pass's bookkeeping. Each open chain keeps its partner:
// the first later chain it can join.
struct EndJoinPass {
  std::vector<ChainRecord>& chains;
  float threshold;
  ChainEndGrid grid;
  std::vector<bool> joinable;  // open and not yet joined into another
  std::vector<bool> removed;
  std::vector<uint32_t> seenStamp;
  uint32_t stamp = 0;
  std::vector<int32_t> partner;                  // -1: none
  std::vector<std::vector<int32_t>> pairedWith;  // chains that took this one as partner; may hold stale entries
  std::set<int32_t> withPartner;
};

EndJoinPass StartEndJoinPass(std::vector<ChainRecord>& chains, float threshold) {
  const size_t count = chains.size();
  EndJoinPass pass{chains, threshold, MakeChainEndGrid(threshold), std::vector<bool>(count, false),
                   std::vector<bool>(count, false), std::vector<uint32_t>(count, 0), 0,
                   std::vector<int32_t>(count, -1), std::vector<std::vector<int32_t>>(count), {}};
  for (int32_t id = 0; id < static_cast<int32_t>(count); ++id) {
    if (At(chains, id).closed) continue;
    At(pass.joinable, id) = true;
    AddChainEnds(pass.grid, At(chains, id), id);
  }
  return pass;
}

// The first later joinable chain whose ends meet id's, -1 when none.
int32_t FindPartner(EndJoinPass& pass, int32_t id) {
  int32_t best = -1;
  ForChainsNearEnds(pass.grid, At(pass.chains, id), pass.seenStamp, pass.stamp, [&](int32_t other) {
    if (other <= id || !At(pass.joinable, other)) return;
    if ((best < 0 || other < best) && MeetingEnds(At(pass.chains, id), At(pass.chains, other), pass.threshold)) {
      best = other;
    }
  });
  return best;
}

void SetPartner(EndJoinPass& pass, int32_t id, int32_t other) {
  At(pass.partner, id) = other;
  if (other < 0) {
    pass.withPartner.erase(id);
    return;
  }
  At(pass.pairedWith, other).push_back(id);
  pass.withPartner.insert(id);
}

// Joins b into a, simplified; b leaves the list. Only a and the chains that
// had b as partner need a new partner: chains before a had none, and the
// joined chain's ends are ends that a or b already had.
void JoinPartners(EndJoinPass& pass, int32_t a, int32_t b) {
  const ChainRecord& first = At(pass.chains, a);
  const ChainRecord& second = At(pass.chains, b);
  ChainRecord run;
  run.points = JoinedRun(first, second, *MeetingEnds(first, second, pass.threshold));
  At(pass.chains, a) = SimplifyRdp(run, kSimplifyTolerance);
  AddChainEnds(pass.grid, At(pass.chains, a), a);
  At(pass.joinable, b) = false;
  At(pass.removed, b) = true;
  SetPartner(pass, b, -1);

  std::vector<int32_t> lookAgain;
  lookAgain.swap(At(pass.pairedWith, b));
  for (int32_t id : lookAgain) {
    if (At(pass.joinable, id) && At(pass.partner, id) == b) SetPartner(pass, id, FindPartner(pass, id));
  }
  SetPartner(pass, a, FindPartner(pass, a));
}

void DropJoinedChains(std::vector<ChainRecord>& chains, const std::vector<bool>& removed) {
  size_t kept = 0;
  for (size_t id = 0; id < chains.size(); ++id) {
    if (removed[id]) continue;
    if (kept != id) chains[kept] = std::move(chains[id]);
    ++kept;
  }
  chains.resize(kept);
}

}  // namespace

std::vector<ChainRecord> TraceSkeletonPieces(const ByteMask& mask, JunctionTracing tracing) {
  std::vector<ChainRecord> traces;
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  if (width < 3 || height < 3) return traces;
  const size_t stride = static_cast<size_t>(width);
  // One bit per skeleton pixel that no trace has taken yet.
  FreeSkeletonBits free{PackMaskRows(mask), 0};
  free.stride = static_cast<ptrdiff_t>(free.rows.wordsPerRow * 64);
  const size_t wordsPerRow = free.rows.wordsPerRow;
  std::vector<uint64_t> interior(wordsPerRow);
  for (size_t c = 0; c < wordsPerRow; ++c) interior[c] = RowBitsBetween(c, 1, width - 2);
  auto traceFrom = [&](int32_t x, int32_t y) {
    KeepTraceIfLongEnough(trace_walk::Walk(free, width, height, x, y, tracing), traces);
  };

  std::vector<IntPoint> endPixels;
  for (int32_t y = 1; y <= height - 2; ++y) {
    const uint8_t* cells = mask.Row(y);
    const uint64_t* bits = free.rows.words.data() + static_cast<size_t>(y) * wordsPerRow;
    for (size_t c = 0; c < wordsPerRow; ++c) {
      for (uint64_t set = bits[c] & interior[c]; set != 0; set &= set - 1) {
        const auto x = static_cast<int32_t>(c * 64 + static_cast<size_t>(std::countr_zero(set)));
        if (InteriorNeighbourCount(cells, stride, x) == 1) endPixels.push_back({x, y});
      }
    }
  }
  for (IntPoint end : endPixels) {
    if (free.Free(end.y * free.stride + end.x)) traceFrom(end.x, end.y);
  }
  // Closed loops and pieces cut off between junctions, in scan order; a trace
  // may take pixels further along the word being scanned.
  for (int32_t y = 1; y <= height - 2; ++y) {
    const uint64_t* bits = free.rows.words.data() + static_cast<size_t>(y) * wordsPerRow;
    for (size_t c = 0; c < wordsPerRow; ++c) {
      uint64_t passed = 0;
      for (uint64_t left = bits[c] & interior[c]; left != 0; left = bits[c] & interior[c] & ~passed) {
        const int32_t bit = std::countr_zero(left);
        passed = bit == 63 ? ~uint64_t{0} : (uint64_t{2} << bit) - 1;
        traceFrom(static_cast<int32_t>(c * 64) + bit, y);
      }
    }
  }
  return traces;
}

ChainOwnerMap BuildChainOwnerMap(const std::vector<ChainRecord>& chains, int32_t width) {
  ChainOwnerMap owner;
  RasteriseOutlines(chains, [&](int32_t px, int32_t py, int32_t chain) {
    SetChainOwner(owner, static_cast<int64_t>(py) * width + px, chain);
  });
  return owner;
}

void ExtendToNearbyChain(std::vector<ChainRecord>& chains, int32_t width, int32_t height, const ChainOwnerMap& owner,
                          int32_t chainIndex, bool atStart) {
  std::vector<IntPoint>& points = At(chains, chainIndex).points;
  if (points.empty()) return;
  const IntPoint end = atStart ? points.front() : points.back();
  float best = kNearbyChainRadius;
  bool found = false;
  IntPoint nearest{};
  for (const NearbyOffset& offset : kNearbyOffsets.offsets) {
    const IntPoint q{end.x + offset.dx, end.y + offset.dy};
    if (q.x < 0 || q.x >= width || q.y < 0 || q.y >= height) continue;
    const int32_t ownerIndex = FindChainOwner(owner, static_cast<int64_t>(q.y) * width + q.x);
    if (ownerIndex < 0 || ownerIndex == chainIndex) continue;
    if (offset.distance < best) {
      best = offset.distance;
      nearest = q;
      found = true;
    }
  }
  if (!found) return;
  if (atStart) {
    points.insert(points.begin(), nearest);
  } else {
    points.push_back(nearest);
  }
}

// The pass joins the first pair in list order whose ends meet and starts
// over: the next join is always the first chain that has a partner. Keeping
// partners gives the same joins as sweeping all pairs after every join,
// without its cubic cost.
void JoinChainEnds(std::vector<ChainRecord>& chains, float threshold) {
  EndJoinPass pass = StartEndJoinPass(chains, threshold);
  for (int32_t id = 0; id < static_cast<int32_t>(chains.size()); ++id) {
    if (At(pass.joinable, id)) SetPartner(pass, id, FindPartner(pass, id));
  }
  while (!pass.withPartner.empty()) {
    const int32_t a = *pass.withPartner.begin();
    JoinPartners(pass, a, At(pass.partner, a));
  }
  DropJoinedChains(chains, pass.removed);
}

void CloseChainsWithMeetingEnds(std::vector<ChainRecord>& chains, float threshold) {
  for (ChainRecord& chain : chains) {
    if (chain.closed || chain.points.size() < 4) continue;
    if (Distance(chain.points.front(), chain.points.back()) <= threshold) chain.closed = true;
  }
}

std::vector<ChainRecord> ExtractChainsSimple(const ByteMask& mask, const SimpleExtraction& options) {
  const float gapClose = options.gapClose;
  const float minLength = options.minLength;
  std::vector<ChainRecord> chains = TraceSkeletonPieces(mask, options.tracing);
  for (ChainRecord& chain : chains) chain = SimplifyRdp(chain, kSimplifyTolerance);

  {
    const ChainOwnerMap owner = OwnerMapNearEnds(chains, mask.width, mask.height);
    for (size_t c = 0; c < chains.size(); ++c) {
      ExtendToNearbyChain(chains, mask.width, mask.height, owner, static_cast<int32_t>(c), true);
      ExtendToNearbyChain(chains, mask.width, mask.height, owner, static_cast<int32_t>(c), false);
    }
  }

  JoinChainEnds(chains, kEndJoinDistance);
  CloseChainsWithMeetingEnds(chains, kEndJoinDistance);

  std::erase_if(chains, [minLength](const ChainRecord& chain) {
    const bool keep = chain.closed || PolylineLength(chain.points) >= minLength || chain.points.size() >= 5;
    return !keep;
  });

  if (gapClose > 0.0f) {
    JoinChainEnds(chains, gapClose);
    CloseChainsWithMeetingEnds(chains, gapClose);
  }
  return chains;
}
