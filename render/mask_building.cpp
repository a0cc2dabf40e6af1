#include "render/mask_building.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "render/pixel_access.h"
#include "skeleton/geometry_types.h"
#include "skeleton/thinning.h"

namespace {

constexpr int32_t kChannelRed = 2;
constexpr int32_t kChannelGreen = 3;
constexpr int32_t kChannelBlue = 4;
constexpr int32_t kChannelAlpha = 5;

constexpr float kLumaRed = 0.2989f;
constexpr float kLumaGreen = 0.587f;
constexpr float kLumaBlue = 0.114f;
constexpr float kDiagonalStep = 1.4142135f;

// Ring order N, NE, E, SE, S, SW, W, NW.
constexpr int32_t kNeighbourDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kNeighbourDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

size_t CellIndex(int32_t width, int32_t x, int32_t y) {
  return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
}

ByteMask EmptyMask(int32_t width, int32_t height) {
  ByteMask mask;
  mask.width = std::max(width, 0);
  mask.height = std::max(height, 0);
  mask.cells.assign(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height), 0);
  return mask;
}

float SampleChannel(const RgbaFloat& p, int32_t channel, bool invertInput) {
  float v;
  switch (channel) {
    case kChannelRed: v = p.red; break;
    case kChannelGreen: v = p.green; break;
    case kChannelBlue: v = p.blue; break;
    case kChannelAlpha: v = p.alpha; break;
    default: v = p.green * kLumaGreen + p.red * kLumaRed + p.blue * kLumaBlue; break;
  }
  if (invertInput) v = 1.0f - v;
  // After the inversion, so transparent pixels stay background even when inverted.
  if (channel != kChannelAlpha) v = p.alpha * v;
  return v;
}

// Every 3x3 block around an interior cell of `from` passes `test`.
template <typename BlockTest>
void FilterInterior3x3(const ByteMask& from, ByteMask& to, BlockTest test) {
  for (int32_t y = 1; y < from.height - 1; ++y) {
    for (int32_t x = 1; x < from.width - 1; ++x) {
      int32_t setCount = 0;
      for (int32_t dy = -1; dy <= 1; ++dy) {
        const uint8_t* row = &from.cells[CellIndex(from.width, x - 1, y + dy)];
        setCount += (row[0] != 0) + (row[1] != 0) + (row[2] != 0);
      }
      to.cells[CellIndex(from.width, x, y)] = test(setCount) ? 1 : 0;
    }
  }
}

// Walks from the end pixel `start` along the branch. Returns true and clears
// the branch when it reaches a junction within the allowed length.
bool RemoveSpurFrom(ByteMask& mask, const DistanceField& field, int32_t spurPrune, int32_t cap,
                    IntPoint start, std::vector<IntPoint>& path) {
  const bool fieldMatches = field.size() == mask.cells.size();
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

    const int32_t degree = CountNeighbours(mask, next.x, next.y);
    if (degree >= 3) {
      const float radius = fieldMatches ? field[CellIndex(mask.width, next.x, next.y)] : 0.0f;
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

}  // namespace

ByteMask SampleLayerMask(const HostFrame& layer, int32_t channel, bool invertInput, int32_t threshold) {
  ByteMask mask = EmptyMask(layer.width, layer.height);
  if (layer.pixels == nullptr) return mask;
  const float limit = static_cast<float>(threshold);
  for (int32_t y = 0; y < mask.height; ++y) {
    for (int32_t x = 0; x < mask.width; ++x) {
      const float v = SampleChannel(GetPixelFloat(layer, x, y), channel, invertInput);
      mask.cells[CellIndex(mask.width, x, y)] = v * 255.0f >= limit ? 1 : 0;
    }
  }
  return mask;
}

void CloseMask3x3(ByteMask& mask) {
  ByteMask dilated = EmptyMask(mask.width, mask.height);
  FilterInterior3x3(mask, dilated, [](int32_t setCount) { return setCount > 0; });
  ByteMask eroded = EmptyMask(mask.width, mask.height);
  FilterInterior3x3(dilated, eroded, [](int32_t setCount) { return setCount == 9; });
  mask.cells.swap(eroded.cells);
}

void ComputeFieldAndThin(ByteMask& mask, DistanceField& field) {
  DistanceTransform(mask, field);
  ThinZhangSuen(mask);
}

void ClearBlockCorners(ByteMask& mask) {
  const int32_t w = mask.width;
  for (int32_t y = 1; y < mask.height - 1; ++y) {
    for (int32_t x = 1; x < w - 1; ++x) {
      if (mask.cells[CellIndex(w, x, y)] == 0 || mask.cells[CellIndex(w, x - 1, y)] == 0 ||
          mask.cells[CellIndex(w, x, y - 1)] == 0 || mask.cells[CellIndex(w, x - 1, y - 1)] == 0) {
        continue;
      }
      uint8_t ring[8];
      for (int32_t k = 0; k < 8; ++k) ring[k] = mask.cells[CellIndex(w, x + kNeighbourDx[k], y + kNeighbourDy[k])];
      int32_t transitions = 0;
      for (int32_t k = 0; k < 8; ++k) {
        if (ring[k] == 0 && ring[(k + 1) % 8] == 1) ++transitions;
      }
      if (transitions == 1) mask.cells[CellIndex(w, x, y)] = 0;
    }
  }
}

void RemoveSmallShapes(ByteMask& mask, int32_t minShapeArea) {
  if (minShapeArea <= 0) return;
  const int32_t w = mask.width;
  const int32_t h = mask.height;
  const size_t pixelCount = mask.cells.size();
  std::vector<int32_t> labels(pixelCount, -1);
  std::vector<int32_t> componentSizes;
  std::vector<int32_t> queue;
  queue.reserve(pixelCount / 4);

  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const size_t seed = CellIndex(w, x, y);
      if (mask.cells[seed] == 0 || labels[seed] >= 0) continue;
      const int32_t component = static_cast<int32_t>(componentSizes.size());
      componentSizes.push_back(0);
      queue.clear();
      queue.push_back(static_cast<int32_t>(seed));
      labels[seed] = component;
      for (size_t head = 0; head < queue.size(); ++head) {
        const int32_t index = queue[head];
        ++componentSizes[component];
        const int32_t px = index % w;
        const int32_t py = index / w;
        const IntPoint neighbours[4] = {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}};
        for (const IntPoint& n : neighbours) {
          if (n.x < 0 || n.x >= w || n.y < 0 || n.y >= h) continue;
          const size_t ni = CellIndex(w, n.x, n.y);
          if (mask.cells[ni] == 0 || labels[ni] >= 0) continue;
          labels[ni] = component;
          queue.push_back(static_cast<int32_t>(ni));
        }
      }
    }
  }

  for (size_t i = 0; i < pixelCount; ++i) {
    if (labels[i] >= 0 && componentSizes[labels[i]] < minShapeArea) mask.cells[i] = 0;
  }
}

void RemoveSpurs(ByteMask& mask, const DistanceField& field, int32_t spurPrune) {
  const int32_t cap = std::max(spurPrune, kSpurLengthCap);
  std::vector<IntPoint> path;
  // A walk never holds more pixels than the mask, whatever Spur Prune says.
  path.reserve(std::min(static_cast<size_t>(cap), mask.cells.size()) + 1);
  bool removed = true;
  while (removed) {
    removed = false;
    for (int32_t y = 1; y < mask.height - 1; ++y) {
      for (int32_t x = 1; x < mask.width - 1; ++x) {
        if (mask.cells[CellIndex(mask.width, x, y)] == 0 || CountNeighbours(mask, x, y) != 1) continue;
        if (RemoveSpurFrom(mask, field, spurPrune, cap, IntPoint{x, y}, path)) removed = true;
      }
    }
  }
}

void CleanSkeleton(ByteMask& mask, const DistanceField& field, const RenderSettings& settings) {
  ClearBlockCorners(mask);
  RemoveSmallShapes(mask, settings.minShapeArea);
  RemoveSpurs(mask, field, settings.spurPrune);
  if (settings.smoothIterations > 0) TrimEndPixels(mask, settings.smoothIterations);
}
