// The mask stages written the plain way, pixel by pixel through the
// bounds-checked accessors: the reference that the fast closing and clean-up
// of skeleton/ must match byte for byte.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/distance_field.h"
#include "skeleton/points.h"
#include "skeleton/spur_removal.h"

namespace plain {

inline void CloseMask3x3(ByteMask& mask) {
  const auto filter = [](const ByteMask& from, bool dilate) {
    ByteMask to = EmptyMask(from.width, from.height);
    for (int32_t y = 1; y < from.height - 1; ++y) {
      for (int32_t x = 1; x < from.width - 1; ++x) {
        int32_t set = 0;
        for (int32_t dy = -1; dy <= 1; ++dy) {
          for (int32_t dx = -1; dx <= 1; ++dx) set += MaskGet(from, x + dx, y + dy) != 0;
        }
        to.cells[GridIndex(from.width, x, y)] = dilate ? set > 0 : set == 9;
      }
    }
    return to;
  };
  mask.cells = filter(filter(mask, true), false).cells;
}

inline void ClearBlockCorners(ByteMask& mask) {
  for (int32_t y = 1; y < mask.height - 1; ++y) {
    for (int32_t x = 1; x < mask.width - 1; ++x) {
      if (!MaskGet(mask, x, y) || !MaskGet(mask, x - 1, y) || !MaskGet(mask, x, y - 1) ||
          !MaskGet(mask, x - 1, y - 1)) {
        continue;
      }
      uint8_t ring[8];
      for (int32_t k = 0; k < 8; ++k) ring[k] = MaskGet(mask, x + kNeighbourDx[k], y + kNeighbourDy[k]);
      int32_t transitions = 0;
      for (int32_t k = 0; k < 8; ++k) transitions += ring[k] == 0 && ring[(k + 1) % 8] == 1;
      if (transitions == 1) MaskSet(mask, x, y, 0);
    }
  }
}

inline void RemoveSmallShapes(ByteMask& mask, int32_t minShapeArea) {
  if (minShapeArea <= 0) return;
  const int32_t w = mask.width, h = mask.height;
  std::vector<int32_t> labels(mask.cells.size(), -1);
  std::vector<int32_t> sizes;
  std::vector<IntPoint> queue;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (!MaskGet(mask, x, y) || labels[GridIndex(w, x, y)] >= 0) continue;
      const int32_t component = static_cast<int32_t>(sizes.size());
      sizes.push_back(0);
      queue.assign(1, IntPoint{x, y});
      labels[GridIndex(w, x, y)] = component;
      for (size_t head = 0; head < queue.size(); ++head) {
        const IntPoint p = queue[head];
        ++sizes[component];
        for (IntPoint n : {IntPoint{p.x + 1, p.y}, {p.x - 1, p.y}, {p.x, p.y + 1}, {p.x, p.y - 1}}) {
          if (!MaskGet(mask, n.x, n.y) || labels[GridIndex(w, n.x, n.y)] >= 0) continue;
          labels[GridIndex(w, n.x, n.y)] = component;
          queue.push_back(n);
        }
      }
    }
  }
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    if (labels[i] >= 0 && sizes[labels[i]] < minShapeArea) mask.cells[i] = 0;
  }
}

// One walk from the end pixel `start`; clears the branch and returns true when
// it reaches a junction within the allowed length.
inline bool RemoveSpurFrom(ByteMask& mask, const DistanceField& field, int32_t spurPrune, int32_t cap,
                           IntPoint start) {
  std::vector<IntPoint> path{start};
  IntPoint previous{-1, -1};
  IntPoint current = start;
  float length = 0.0f;
  while (path.size() <= static_cast<size_t>(cap)) {
    bool found = false;
    IntPoint next{};
    for (int32_t dy = -1; dy <= 1; ++dy) {
      for (int32_t dx = -1; dx <= 1; ++dx) {
        const IntPoint c{current.x + dx, current.y + dy};
        if ((dx == 0 && dy == 0) || MaskGet(mask, c.x, c.y) == 0 || PointsEqual(c, previous)) continue;
        next = c;
        found = true;
      }
    }
    if (!found) return false;
    const int32_t degree = NeighbourSum(mask, next.x, next.y);
    if (degree >= 3) {
      const float atJunction = field.width == mask.width && field.height == mask.height ? field.At(next.x, next.y) : 0.0f;
      if (length > std::max(kSpurRadiusFactor * atJunction, static_cast<float>(spurPrune))) return false;
      for (IntPoint p : path) MaskSet(mask, p.x, p.y, 0);
      return true;
    }
    length += (next.x != current.x && next.y != current.y) ? 1.4142135f : 1.0f;
    path.push_back(next);
    if (degree == 1) return false;
    previous = current;
    current = next;
  }
  return false;
}

inline void RemoveSpurs(ByteMask& mask, const DistanceField& field, int32_t spurPrune) {
  const int32_t cap = std::max(spurPrune, kSpurLengthCap);
  for (bool removed = true; removed;) {
    removed = false;
    for (int32_t y = 1; y < mask.height - 1; ++y) {
      for (int32_t x = 1; x < mask.width - 1; ++x) {
        if (!MaskGet(mask, x, y) || NeighbourSum(mask, x, y) != 1) continue;
        if (RemoveSpurFrom(mask, field, spurPrune, cap, IntPoint{x, y})) removed = true;
      }
    }
  }
}

}  // namespace plain
