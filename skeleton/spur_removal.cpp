#include "skeleton/spur_removal.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <vector>

#include "skeleton/points.h"
#include "skeleton/row_scan.h"

namespace {

constexpr float kDiagonalStep = 1.4142135f;

// Walks from the end pixel `start` along the branch. Returns true and clears
// the branch when it reaches a junction within the allowed length; `path`
// then holds the cleared pixels.
bool RemoveSpurFrom(ByteMask& mask, const DistanceField& field, int32_t spurPrune, int32_t cap,
                    IntPoint start, std::vector<IntPoint>& path) {
  const bool fieldMatches = field.width == mask.width && field.height == mask.height && field.Complete();
  path.clear();
  path.push_back(start);
  IntPoint previous{-1, -1};
  IntPoint current = start;
  float length = 0.0f;
  while (path.size() <= static_cast<size_t>(cap)) {
    bool found = false;
    IntPoint next{};
    for (int32_t dy = -1; dy <= 1; ++dy) {
      for (int32_t dx = -1; dx <= 1; ++dx) {
        if (dx == 0 && dy == 0) continue;
        const IntPoint candidate{current.x + dx, current.y + dy};
        if (MaskGet(mask, candidate.x, candidate.y) == 0 || PointsEqual(candidate, previous)) continue;
        next = candidate;  // the last qualifying candidate wins
        found = true;
      }
    }
    if (!found) return false;

    const int32_t degree = NeighbourSum(mask, next.x, next.y);
    if (degree >= 3) {
      const float radius = fieldMatches ? field.At(next.x, next.y) : 0.0f;
      const float limit = std::max(kSpurRadiusFactor * radius, static_cast<float>(spurPrune));
      if (length > limit) return false;
      for (const IntPoint& p : path) MaskSet(mask, p.x, p.y, 0);
      return true;
    }
    length += (next.x != current.x && next.y != current.y) ? kDiagonalStep : 1.0f;
    path.push_back(next);
    if (degree == 1) return false;  // the other end of an isolated segment
    previous = current;
    current = next;
  }
  return false;
}

// The interior end pixels (set, neighbour sum 1) among `cells`, ascending and
// without repeats.
void KeepEndPixels(const ByteMask& mask, std::vector<size_t>& cells) {
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
  const size_t w = static_cast<size_t>(mask.width);
  const auto isEnd = [&](size_t i) {
    const size_t x = i % w;
    const size_t y = i / w;
    if (x < 1 || y < 1 || x + 1 >= w || y + 2 > static_cast<size_t>(mask.height)) return false;
    return mask.cells[i] != 0 && InteriorNeighbourSum(&mask.cells[i - x], w, static_cast<int32_t>(x)) == 1;
  };
  cells.erase(std::remove_if(cells.begin(), cells.end(), [&](size_t i) { return !isEnd(i); }), cells.end());
}

}  // namespace

// Each pass visits the interior in raster order and walks from every pixel
// that is an end pixel when the pass reaches it. Only clearing changes the
// mask, and a cell's standing as an end pixel changes only when it or a
// neighbour is cleared; so instead of rescanning the frame, a pass visits
// the end pixels it started with plus the neighbours of what it cleared
// further on, in order, and the next pass starts from the end pixels among
// those and the neighbours cleared behind it.
void RemoveSpurs(ByteMask& mask, const DistanceField& field, int32_t spurPrune) {
  const int32_t cap = std::max(spurPrune, kSpurLengthCap);
  const int32_t w = mask.width;
  const size_t width = static_cast<size_t>(w);
  if (w < 3 || mask.height < 3) return;  // no interior: no pixel is visited
  std::vector<IntPoint> path;
  // A walk never holds more pixels than the mask, whatever Spur Prune says.
  path.reserve(std::min(static_cast<size_t>(cap), mask.cells.size()) + 1);

  std::vector<size_t> ends;
  for (int32_t y = 1; y < mask.height - 1; ++y) {
    const uint8_t* row = mask.Row(y);
    for (int32_t x = NextSetCell(row, 1, w - 1); x < w - 1; x = NextSetCell(row, x + 1, w - 1)) {
      if (InteriorNeighbourSum(row, width, x) == 1) ends.push_back(GridIndex(w, x, y));
    }
  }

  std::vector<size_t> ahead;  // min-heap: cells after the pass position whose neighbourhood changed
  std::vector<size_t> touched;  // every cell next to a cleared one in this pass
  bool removed = true;
  while (removed) {
    removed = false;
    ahead.clear();
    touched.clear();
    size_t next = 0;
    bool visitedAny = false;
    size_t lastVisited = 0;
    for (;;) {
      size_t cell;
      const bool fromHeap = !ahead.empty() && (next == ends.size() || ahead.front() < ends[next]);
      if (fromHeap) {
        std::pop_heap(ahead.begin(), ahead.end(), std::greater<>());
        cell = ahead.back();
        ahead.pop_back();
      } else if (next < ends.size()) {
        cell = ends[next++];
      } else {
        break;
      }
      if (visitedAny && cell <= lastVisited) continue;  // each cell once per pass
      visitedAny = true;
      lastVisited = cell;
      const int32_t x = static_cast<int32_t>(cell % width);
      const int32_t y = static_cast<int32_t>(cell / width);
      if (x < 1 || x >= w - 1 || y < 1 || y >= mask.height - 1) continue;
      const uint8_t* row = &mask.cells[cell - static_cast<size_t>(x)];
      if (row[x] == 0 || InteriorNeighbourSum(row, width, x) != 1) continue;
      if (!RemoveSpurFrom(mask, field, spurPrune, cap, IntPoint{x, y}, path)) continue;
      removed = true;
      for (const IntPoint& p : path) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
          for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t nx = p.x + dx;
            const int32_t ny = p.y + dy;
            if (nx < 1 || nx >= w - 1 || ny < 1 || ny >= mask.height - 1) continue;
            const size_t n = GridIndex(w, nx, ny);
            touched.push_back(n);
            if (n > cell) {
              ahead.push_back(n);
              std::push_heap(ahead.begin(), ahead.end(), std::greater<>());
            }
          }
        }
      }
    }
    if (!removed) break;
    ends.insert(ends.end(), touched.begin(), touched.end());
    KeepEndPixels(mask, ends);
  }
}
