#include "render/mask_building.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <vector>

#include "render/pixel_access.h"
#include "skeleton/geometry_types.h"
#include "skeleton/thinning.h"

namespace {

constexpr float kLumaRed = 0.2989f;
constexpr float kLumaGreen = 0.587f;
constexpr float kLumaBlue = 0.114f;
constexpr float kDiagonalStep = 1.4142135f;
constexpr float kInv255 = 0.003921569f;
constexpr float kInv32768 = 3.0517578125e-05f;

// Ring order N, NE, E, SE, S, SW, W, NW.
constexpr int32_t kNeighbourDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kNeighbourDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

enum class Channel { kLuminance, kRed, kGreen, kBlue, kAlpha };

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

// Channel c (0 alpha, 1 red, 2 green, 3 blue: the memory order) of pixel x
// of a row, as the float GetPixelFloat gives.
static_assert(offsetof(HostPixel8, blue) == 3 && offsetof(HostPixel16, blue) == 6 &&
              offsetof(HostPixelFloat, blue) == 12);
struct Read8 {
  static constexpr size_t kPixelBytes = sizeof(HostPixel8);
  static float At(const unsigned char* row, int32_t x, int32_t c) { return row[4 * x + c] * kInv255; }
};
struct Read16 {
  static constexpr size_t kPixelBytes = sizeof(HostPixel16);
  static float At(const unsigned char* row, int32_t x, int32_t c) {
    uint16_t v;
    std::memcpy(&v, row + 8 * x + 2 * c, sizeof v);
    return v * kInv32768;
  }
};
struct ReadFloat {
  static constexpr size_t kPixelBytes = sizeof(HostPixelFloat);
  static float At(const unsigned char* row, int32_t x, int32_t c) {
    float v;
    std::memcpy(&v, row + 16 * x + 4 * c, sizeof v);
    return v;
  }
};

// One row of the layer against the threshold. The channel and inversion are
// template arguments so that the loop carries no branches and vectorises;
// every pixel is computed exactly as the plain rule says.
template <typename Read, Channel kChannel, bool kInvert>
void SampleRow(const unsigned char* __restrict row, int32_t width, float limit, uint8_t* __restrict out) {
  for (int32_t x = 0; x < width; ++x) {
    const float alpha = Read::At(row, x, 0);
    float v;
    if constexpr (kChannel == Channel::kRed) {
      v = Read::At(row, x, 1);
    } else if constexpr (kChannel == Channel::kGreen) {
      v = Read::At(row, x, 2);
    } else if constexpr (kChannel == Channel::kBlue) {
      v = Read::At(row, x, 3);
    } else if constexpr (kChannel == Channel::kAlpha) {
      v = alpha;
    } else {
      v = Read::At(row, x, 2) * kLumaGreen + Read::At(row, x, 1) * kLumaRed + Read::At(row, x, 3) * kLumaBlue;
    }
    if constexpr (kInvert) v = 1.0f - v;
    // After the inversion, so transparent pixels stay background even when inverted.
    if constexpr (kChannel != Channel::kAlpha) v = alpha * v;
    out[x] = v * 255.0f >= limit ? 1 : 0;
  }
}

// Layers are mostly runs of one colour (transparent background, solid ink):
// a chunk of pixels with identical bytes gets the first pixel's result.
constexpr int32_t kUniformChunk = 16;

template <typename Read, Channel kChannel, bool kInvert>
void SampleRows(const HostFrame& layer, ByteMask& mask, float limit) {
  const unsigned char* pixels = static_cast<const unsigned char*>(layer.pixels);
  const size_t pixelBytes = Read::kPixelBytes;
  for (int32_t y = 0; y < mask.height; ++y) {
    const unsigned char* row = pixels + static_cast<int64_t>(layer.rowBytes) * y;
    uint8_t* out = &mask.cells[CellIndex(mask.width, 0, y)];
    int32_t x = 0;
    for (; x + kUniformChunk <= mask.width; x += kUniformChunk) {
      const unsigned char* chunk = row + static_cast<size_t>(x) * pixelBytes;
      if (std::memcmp(chunk + pixelBytes, chunk, (kUniformChunk - 1) * pixelBytes) == 0) {
        SampleRow<Read, kChannel, kInvert>(chunk, 1, limit, out + x);
        std::memset(out + x + 1, out[x], kUniformChunk - 1);
      } else {
        SampleRow<Read, kChannel, kInvert>(chunk, kUniformChunk, limit, out + x);
      }
    }
    SampleRow<Read, kChannel, kInvert>(row + static_cast<size_t>(x) * pixelBytes, mask.width - x, limit, out + x);
  }
}

template <typename Read, Channel kChannel>
void SampleRowsInverted(const HostFrame& layer, ByteMask& mask, bool invertInput, float limit) {
  if (invertInput) {
    SampleRows<Read, kChannel, true>(layer, mask, limit);
  } else {
    SampleRows<Read, kChannel, false>(layer, mask, limit);
  }
}

template <typename Read>
void SampleDepth(const HostFrame& layer, ByteMask& mask, int32_t channel, bool invertInput, float limit) {
  switch (channel) {
    case 2: return SampleRowsInverted<Read, Channel::kRed>(layer, mask, invertInput, limit);
    case 3: return SampleRowsInverted<Read, Channel::kGreen>(layer, mask, invertInput, limit);
    case 4: return SampleRowsInverted<Read, Channel::kBlue>(layer, mask, invertInput, limit);
    case 5: return SampleRowsInverted<Read, Channel::kAlpha>(layer, mask, invertInput, limit);
    default: return SampleRowsInverted<Read, Channel::kLuminance>(layer, mask, invertInput, limit);
  }
}

// The next x in [x, end) whose cell may be set: runs of eight empty cells are
// stepped over at once.
int32_t SkipEmptyCells(const uint8_t* row, int32_t x, int32_t end) {
  while (x + 8 <= end) {
    uint64_t word;
    std::memcpy(&word, row + x, sizeof word);
    if (word != 0) break;
    x += 8;
  }
  while (x < end && row[x] == 0) ++x;
  return x;
}

// Sum of the eight neighbour values of an interior cell.
int32_t InteriorNeighbourSum(const uint8_t* cell, size_t width) {
  const uint8_t* up = cell - width;
  const uint8_t* down = cell + width;
  return up[-1] + up[0] + up[1] + cell[-1] + cell[1] + down[-1] + down[0] + down[1];
}

// Walks from the end pixel `start` along the branch. Returns true and clears
// the branch when it reaches a junction within the allowed length; `path`
// then holds the cleared pixels.
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
    return mask.cells[i] != 0 && InteriorNeighbourSum(&mask.cells[i], w) == 1;
  };
  cells.erase(std::remove_if(cells.begin(), cells.end(), [&](size_t i) { return !isEnd(i); }), cells.end());
}

}  // namespace

ByteMask SampleLayerMask(const HostFrame& layer, int32_t channel, bool invertInput, int32_t threshold) {
  ByteMask mask = EmptyMask(layer.width, layer.height);
  if (layer.pixels == nullptr || mask.cells.empty()) return mask;
  const float limit = static_cast<float>(threshold);
  switch (FramePixelDepth(layer)) {
    case PixelDepth::k32BitFloat: SampleDepth<ReadFloat>(layer, mask, channel, invertInput, limit); break;
    case PixelDepth::k16Bit: SampleDepth<Read16>(layer, mask, channel, invertInput, limit); break;
    case PixelDepth::k8Bit: SampleDepth<Read8>(layer, mask, channel, invertInput, limit); break;
  }
  return mask;
}

// Dilation and erosion are both separable, and the erosion of row y needs the
// dilation of rows y - 1 to y + 1 only, which need mask rows y - 2 to y + 2: so
// the closing streams down the mask with three rows of each half-result and
// writes every finished row back in place, two rows behind the one it reads.
void CloseMask3x3(ByteMask& mask) {
  const int32_t w = mask.width;
  const int32_t h = mask.height;
  // Every cell within two pixels of the edge ends up 0, so below 5 x 5 all do.
  if (w < 5 || h < 5) {
    std::fill(mask.cells.begin(), mask.cells.end(), uint8_t{0});
    return;
  }
  const size_t width = static_cast<size_t>(w);
  std::vector<uint8_t> rows(7 * width, 0);
  uint8_t* const dilatedRow = &rows[6 * width];
  const auto across = [&](int32_t y) { return &rows[static_cast<size_t>(y % 3) * width]; };      // 3-wide OR
  const auto eroded = [&](int32_t y) { return &rows[static_cast<size_t>(3 + y % 3) * width]; };  // 3-wide AND
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* m = &mask.cells[CellIndex(w, 0, y)];
    uint8_t* a = across(y);
    for (int32_t x = 1; x < w - 1; ++x) a[x] = (m[x - 1] | m[x] | m[x + 1]) != 0;
    if (y >= 2) {
      // Dilated row y - 1 (its first and last cells stay 0), then its 3-wide AND.
      const uint8_t* a0 = across(y - 2);
      const uint8_t* a1 = across(y - 1);
      for (int32_t x = 1; x < w - 1; ++x) dilatedRow[x] = a0[x] | a1[x] | a[x];
      uint8_t* e = eroded(y - 1);
      for (int32_t x = 2; x < w - 2; ++x) e[x] = dilatedRow[x - 1] & dilatedRow[x] & dilatedRow[x + 1];
    }
    if (y >= 4) {
      // Closed row y - 2; mask row y - 2 was last read for row y - 1's dilation.
      const uint8_t* e0 = eroded(y - 3);
      const uint8_t* e1 = eroded(y - 2);
      const uint8_t* e2 = eroded(y - 1);
      uint8_t* out = &mask.cells[CellIndex(w, 0, y - 2)];
      out[0] = out[1] = out[w - 2] = out[w - 1] = 0;
      for (int32_t x = 2; x < w - 2; ++x) out[x] = e0[x] & e1[x] & e2[x];
    }
  }
  for (int32_t y : {0, 1, h - 2, h - 1}) std::fill_n(&mask.cells[CellIndex(w, 0, y)], width, uint8_t{0});
}

void ComputeFieldAndThin(ByteMask& mask, DistanceField& field) {
  DistanceTransform(mask, field);
  ThinZhangSuen(mask);
}

void ClearBlockCorners(ByteMask& mask) {
  const int32_t w = mask.width;
  const size_t width = static_cast<size_t>(w);
  if (w < 3 || mask.height < 3) return;  // no interior
  for (int32_t y = 1; y < mask.height - 1; ++y) {
    uint8_t* row = &mask.cells[CellIndex(w, 0, y)];
    const uint8_t* up = row - width;
    for (int32_t x = SkipEmptyCells(row, 1, w - 1); x < w - 1; x = SkipEmptyCells(row, x + 1, w - 1)) {
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
    const uint8_t* row = &mask.cells[CellIndex(w, 0, y)];
    for (int32_t x = SkipEmptyCells(row, 0, w); x < w; x = SkipEmptyCells(row, x + 1, w)) {
      if (!reach(CellIndex(w, x, y))) continue;
      component.assign(1, static_cast<int32_t>(CellIndex(w, x, y)));
      for (size_t head = 0; head < component.size(); ++head) {
        const int32_t index = component[head];
        const int32_t px = index % w;
        const int32_t py = index / w;
        const IntPoint neighbours[4] = {{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}};
        for (const IntPoint& n : neighbours) {
          if (n.x < 0 || n.x >= w || n.y < 0 || n.y >= h) continue;
          const size_t ni = CellIndex(w, n.x, n.y);
          if (mask.cells[ni] != 0 && reach(ni)) component.push_back(static_cast<int32_t>(ni));
        }
      }
      if (component.size() < static_cast<size_t>(minShapeArea)) {
        for (int32_t index : component) mask.cells[static_cast<size_t>(index)] = 0;
      }
    }
  }
}

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
    const uint8_t* row = &mask.cells[CellIndex(w, 0, y)];
    for (int32_t x = SkipEmptyCells(row, 1, w - 1); x < w - 1; x = SkipEmptyCells(row, x + 1, w - 1)) {
      if (InteriorNeighbourSum(row + x, width) == 1) ends.push_back(CellIndex(w, x, y));
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
      if (mask.cells[cell] == 0 || InteriorNeighbourSum(&mask.cells[cell], width) != 1) continue;
      if (!RemoveSpurFrom(mask, field, spurPrune, cap, IntPoint{x, y}, path)) continue;
      removed = true;
      for (const IntPoint& p : path) {
        for (int32_t dy = -1; dy <= 1; ++dy) {
          for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t nx = p.x + dx;
            const int32_t ny = p.y + dy;
            if (nx < 1 || nx >= w - 1 || ny < 1 || ny >= mask.height - 1) continue;
            const size_t n = CellIndex(w, nx, ny);
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

void CleanSkeleton(ByteMask& mask, const DistanceField& field, const RenderSettings& settings) {
  ClearBlockCorners(mask);
  RemoveSmallShapes(mask, settings.minShapeArea);
  RemoveSpurs(mask, field, settings.spurPrune);
  if (settings.smoothIterations > 0) TrimEndPixels(mask, settings.smoothIterations);
}
