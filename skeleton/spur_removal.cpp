#include "skeleton/spur_removal.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <vector>

#include "skeleton/follow_run.h"
#include "skeleton/points.h"
#include "skeleton/row_scan.h"

namespace {

constexpr float kDiagonalStep = 1.4142135f;

// Walks from the end pixel `start` along the branch, taking at each pixel
// the last set neighbour in raster order. Returns true and clears the branch
// when it reaches a junction within the allowed length; `path` then holds
// the cleared pixels.
bool RemoveSpurFrom(ByteMask& mask, const DistanceField& field, int32_t spurPrune, int32_t cap,
                    IntPoint start, std::vector<IntPoint>& path) {
  const bool fieldMatches = field.width == mask.width && field.height == mask.height && field.Complete();
  path.clear();
  path.push_back(start);
  float length = 0.0f;
  bool cleared = false;
  FollowRun(mask, kRasterOrderBackwards, IntPoint{-1, -1}, start, AnyPixel, [&](IntPoint from, IntPoint next) {
    const int32_t degree = NeighbourSum(mask, next.x, next.y);
    if (degree >= 3) {
      const float radius = fieldMatches ? field.At(next.x, next.y) : 0.0f;
      const float limit = std::max(kSpurRadiusFactor * radius, static_cast<float>(spurPrune));
      if (length > limit) return false;
      for (const IntPoint& p : path) MaskSet(mask, p.x, p.y, 0);
      cleared = true;
      return false;
    }
    length += (next.x != from.x && next.y != from.y) ? kDiagonalStep : 1.0f;
    path.push_back(next);
    return degree != 1 && path.size() <= static_cast<size_t>(cap);  // degree 1: the other end of a segment
  });
  return cleared;
}

// A set cell off the mask's border whose neighbour sum is 1.
bool IsInteriorEndPixel(const ByteMask& mask, size_t cell) {
  const size_t width = static_cast<size_t>(mask.width);
  const size_t x = cell % width;
  const size_t y = cell / width;
  if (x < 1 || y < 1 || x + 1 >= width || y + 2 > static_cast<size_t>(mask.height)) return false;
  return mask.cells[cell] != 0 && InteriorNeighbourSum(&mask.cells[cell - x], width, static_cast<int32_t>(x)) == 1;
}

// The interior end pixels, in raster order.
std::vector<size_t> InteriorEndPixels(const ByteMask& mask) {
  const int32_t w = mask.width;
  std::vector<size_t> ends;
  for (int32_t y = 1; y < mask.height - 1; ++y) {
    const uint8_t* row = mask.Row(y);
    for (int32_t x = NextSetCell(row, 1, w - 1); x < w - 1; x = NextSetCell(row, x + 1, w - 1)) {
      if (InteriorNeighbourSum(row, static_cast<size_t>(w), x) == 1) ends.push_back(GridIndex(w, x, y));
    }
  }
  return ends;
}

// The interior end pixels among `cells`, ascending and without repeats.
void KeepEndPixels(const ByteMask& mask, std::vector<size_t>& cells) {
  std::sort(cells.begin(), cells.end());
  cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
  std::erase_if(cells, [&](size_t cell) { return !IsInteriorEndPixel(mask, cell); });
}

// The cells one pass visits, ascending and each once: the end pixels it
// started with, merged with the cells ahead of it whose neighbourhood a
// clearing changed.
struct PassQueue {
  const std::vector<size_t>& ends;
  size_t nextEnd = 0;
  std::vector<size_t>& ahead;  // min-heap
  bool visitedAny = false;
  size_t lastVisited = 0;
};

bool NextCell(PassQueue& queue, size_t& cell) {
  for (;;) {
    std::vector<size_t>& ahead = queue.ahead;
    if (!ahead.empty() && (queue.nextEnd == queue.ends.size() || ahead.front() < queue.ends[queue.nextEnd])) {
      std::pop_heap(ahead.begin(), ahead.end(), std::greater<>());
      cell = ahead.back();
      ahead.pop_back();
    } else if (queue.nextEnd < queue.ends.size()) {
      cell = queue.ends[queue.nextEnd++];
    } else {
      return false;
    }
    if (queue.visitedAny && cell <= queue.lastVisited) continue;
    queue.visitedAny = true;
    queue.lastVisited = cell;
    return true;
  }
}

// Every interior cell next to a cleared pixel may have become an end pixel:
// all go to `touched` for the next pass, those after `cell` also into this
// pass's queue.
void NoteClearedNeighbours(const ByteMask& mask, const std::vector<IntPoint>& cleared, size_t cell,
                           PassQueue& queue, std::vector<size_t>& touched) {
  for (const IntPoint& p : cleared) {
    for (int32_t dy = -1; dy <= 1; ++dy) {
      for (int32_t dx = -1; dx <= 1; ++dx) {
        const int32_t nx = p.x + dx;
        const int32_t ny = p.y + dy;
        if (nx < 1 || nx >= mask.width - 1 || ny < 1 || ny >= mask.height - 1) continue;
        const size_t n = GridIndex(mask.width, nx, ny);
        touched.push_back(n);
        if (n > cell) {
          queue.ahead.push_back(n);
          std::push_heap(queue.ahead.begin(), queue.ahead.end(), std::greater<>());
        }
      }
    }
  }
}

// Working storage of the passes.
struct SpurPassScratch {
  std::vector<IntPoint> path;
  std::vector<size_t> ahead;
  std::vector<size_t> touched;  // every cell next to a cleared one in this pass
};

// Walks from every cell of `ends` that is an end pixel when the pass reaches
// it; true when a spur was cleared.
bool RemoveSpursInPass(ByteMask& mask, const DistanceField& field, int32_t spurPrune, int32_t cap,
                       const std::vector<size_t>& ends, SpurPassScratch& scratch) {
  scratch.ahead.clear();
  scratch.touched.clear();
  PassQueue queue{ends, 0, scratch.ahead};
  bool removed = false;
  const size_t width = static_cast<size_t>(mask.width);
  size_t cell = 0;
  while (NextCell(queue, cell)) {
    if (!IsInteriorEndPixel(mask, cell)) continue;
    const IntPoint end{static_cast<int32_t>(cell % width), static_cast<int32_t>(cell / width)};
    if (!RemoveSpurFrom(mask, field, spurPrune, cap, end, scratch.path)) continue;
    removed = true;
    NoteClearedNeighbours(mask, scratch.path, cell, queue, scratch.touched);
  }
  return removed;
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
  if (mask.width < 3 || mask.height < 3) return;  // no interior: no pixel is visited
  SpurPassScratch scratch;
  // A walk never holds more pixels than the mask, whatever Spur Prune says.
  scratch.path.reserve(std::min(static_cast<size_t>(cap), mask.cells.size()) + 1);
  std::vector<size_t> ends = InteriorEndPixels(mask);
  while (RemoveSpursInPass(mask, field, spurPrune, cap, ends, scratch)) {
    ends.insert(ends.end(), scratch.touched.begin(), scratch.touched.end());
    KeepEndPixels(mask, ends);
  }
}
