#include "skeleton/skeleton_cleanup.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "skeleton/index_at.h"
#include "skeleton/points.h"
#include "skeleton/row_scan.h"
#include "skeleton/spur_removal.h"
#include "skeleton/thinning.h"

void ComputeFieldAndThin(ByteMask& mask, DistanceField& field) {
  DistanceTransform(mask, field);
  ThinZhangSuen(mask);
}

void ClearBlockCorners(ByteMask& mask) {
  const int32_t w = mask.width;
  const size_t width = static_cast<size_t>(w);
  if (w < 3 || mask.height < 3) return;  // no interior
  for (int32_t y = 1; y < mask.height - 1; ++y) {
    uint8_t* row = mask.Row(y);
    const uint8_t* up = row - width;
    for (int32_t x = NextSetCell(row, 1, w - 1); x < w - 1; x = NextSetCell(row, x + 1, w - 1)) {
      if (row[x - 1] == 0 || up[x] == 0 || up[x - 1] == 0) continue;
      uint8_t ring[8];
      for (int32_t k = 0; k < 8; ++k) {
        ring[k] = row[static_cast<ptrdiff_t>(x + kNeighbourDx[k]) + kNeighbourDy[k] * static_cast<ptrdiff_t>(w)];
      }
      int32_t transitions = 0;
      for (int32_t k = 0; k < 8; ++k) {
        if (ring[k] == 0 && ring[(k + 1) % 8] == 1) ++transitions;
      }
      if (transitions == 1) row[x] = 0;
    }
  }
}

// Any search order finds the same components, so each one is collected from
// its first pixel in raster order and cleared at once when it is too small;
// a bit per pixel marks what was reached.
void RemoveSmallShapes(ByteMask& mask, int32_t minShapeArea) {
  const int32_t w = mask.width;
  const int32_t h = mask.height;
  if (minShapeArea <= 0 || w <= 0 || h <= 0) return;
  const size_t pixelCount = mask.cells.size();
  std::vector<uint64_t> reached((pixelCount + 63) / 64, 0);
  const auto reach = [&](size_t i) {
    const uint64_t bit = uint64_t{1} << (i % 64);
    const bool before = (reached[i / 64] & bit) != 0;
    reached[i / 64] |= bit;
    return !before;
  };
  std::vector<int32_t> component;
  component.reserve(pixelCount / 4);

  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = mask.Row(y);
    for (int32_t x = NextSetCell(row, 0, w); x < w; x = NextSetCell(row, x + 1, w)) {
      if (!reach(GridIndex(w, x, y))) continue;
      component.assign(1, static_cast<int32_t>(GridIndex(w, x, y)));
      for (size_t head = 0; head < component.size(); ++head) {
        const int32_t index = component[head];
        const int32_t px = index % w;
        const int32_t py = index / w;
        const IntPoint neighbours[4] = {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}};
        for (const IntPoint& n : neighbours) {
          if (n.x < 0 || n.x >= w || n.y < 0 || n.y >= h) continue;
          const size_t ni = GridIndex(w, n.x, n.y);
          if (mask.cells[ni] != 0 && reach(ni)) component.push_back(static_cast<int32_t>(ni));
        }
      }
      if (component.size() < static_cast<size_t>(minShapeArea)) {
        for (int32_t index : component) At(mask.cells, index) = 0;
      }
    }
  }
}

void CleanSkeleton(ByteMask& mask, const DistanceField& field, const SkeletonCleanup& cleanup) {
  ClearBlockCorners(mask);
  RemoveSmallShapes(mask, cleanup.minShapeArea);
  RemoveSpurs(mask, field, cleanup.spurPrune);
  if (cleanup.smoothIterations > 0) TrimEndPixels(mask, cleanup.smoothIterations);
}
