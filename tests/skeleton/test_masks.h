// Generated masks for the skeleton tests: random blobs, thick strokes, rings,
// crossings and noise, from 1x1 up to a few hundred pixels. Deterministic.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/geometry_types.h"

namespace test_masks {

inline ByteMask EmptyMask(int32_t width, int32_t height) {
  ByteMask mask;
  mask.width = width;
  mask.height = height;
  mask.cells.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  return mask;
}

// Builds a mask from rows of text: '#' (or any character but '.' and ' ') is set.
inline ByteMask MaskFromRows(const std::vector<std::string>& rows) {
  ByteMask mask = EmptyMask(rows.empty() ? 0 : static_cast<int32_t>(rows[0].size()),
                            static_cast<int32_t>(rows.size()));
  for (int32_t y = 0; y < mask.height; ++y) {
    for (int32_t x = 0; x < mask.width; ++x) {
      const char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
      mask.cells[static_cast<size_t>(y) * mask.width + x] = (c == '.' || c == ' ') ? 0 : 1;
    }
  }
  return mask;
}

// The first set pixel in row-major order, or (-1, -1).
inline IntPoint FirstSetPixel(const ByteMask& mask) {
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    if (mask.cells[i] != 0) return {static_cast<int32_t>(i % mask.width), static_cast<int32_t>(i / mask.width)};
  }
  return {-1, -1};
}

inline void Disc(ByteMask& mask, float cx, float cy, float radius, uint8_t value = 1) {
  const int32_t x0 = std::max(0, static_cast<int32_t>(std::floor(cx - radius)));
  const int32_t x1 = std::min(mask.width - 1, static_cast<int32_t>(std::ceil(cx + radius)));
  const int32_t y0 = std::max(0, static_cast<int32_t>(std::floor(cy - radius)));
  const int32_t y1 = std::min(mask.height - 1, static_cast<int32_t>(std::ceil(cy + radius)));
  for (int32_t y = y0; y <= y1; ++y) {
    for (int32_t x = x0; x <= x1; ++x) {
      const float dx = static_cast<float>(x) - cx;
      const float dy = static_cast<float>(y) - cy;
      if (dx * dx + dy * dy <= radius * radius) mask.cells[static_cast<size_t>(y) * mask.width + x] = value;
    }
  }
}

inline void Line(ByteMask& mask, float x0, float y0, float x1, float y1, float radius) {
  const float length = std::hypot(x1 - x0, y1 - y0);
  const int32_t steps = std::max(1, static_cast<int32_t>(length * 2.0f));
  for (int32_t i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    Disc(mask, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, radius);
  }
}

inline void Ring(ByteMask& mask, float cx, float cy, float outer, float inner) {
  Disc(mask, cx, cy, outer, 1);
  Disc(mask, cx, cy, inner, 0);
}

enum class Kind { kBlobs, kStrokes, kRings, kCrossings, kNoise };

// One generated mask of the given kind; sizes vary with the seed.
inline ByteMask Generate(Kind kind, uint32_t seed, int32_t maxSide = 200) {
  std::mt19937 rng(seed);
  auto uniform = [&rng](float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); };
  auto side = [&]() {
    // Mostly moderate sizes, with some tiny ones to reach the degenerate cases.
    const int32_t pick = std::uniform_int_distribution<int32_t>(0, 9)(rng);
    if (pick == 0) return std::uniform_int_distribution<int32_t>(1, 4)(rng);
    return std::uniform_int_distribution<int32_t>(5, maxSide)(rng);
  };
  const int32_t width = side();
  const int32_t height = side();
  ByteMask mask = EmptyMask(width, height);
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const float scale = std::max(1.0f, std::min(w, h));
  const int32_t shapes = std::uniform_int_distribution<int32_t>(1, 6)(rng);
  for (int32_t s = 0; s < shapes; ++s) {
    switch (kind) {
      case Kind::kBlobs:
        Disc(mask, uniform(-2.0f, w + 2.0f), uniform(-2.0f, h + 2.0f), uniform(0.5f, scale * 0.3f));
        break;
      case Kind::kStrokes:
        Line(mask, uniform(0.0f, w), uniform(0.0f, h), uniform(0.0f, w), uniform(0.0f, h),
             uniform(0.5f, std::max(0.6f, scale * 0.06f)));
        break;
      case Kind::kRings: {
        const float outer = uniform(1.5f, std::max(1.6f, scale * 0.45f));
        Ring(mask, uniform(0.0f, w), uniform(0.0f, h), outer, outer * uniform(0.3f, 0.9f));
        break;
      }
      case Kind::kCrossings: {
        const float cx = uniform(0.0f, w), cy = uniform(0.0f, h);
        const float arm = uniform(2.0f, scale * 0.5f);
        const float radius = uniform(0.5f, std::max(0.6f, scale * 0.05f));
        const float angle = uniform(0.0f, 3.14159f);
        for (int32_t a = 0; a < 2; ++a) {
          const float theta = angle + (a == 0 ? 0.0f : uniform(0.5f, 2.6f));
          const float dx = std::cos(theta) * arm, dy = std::sin(theta) * arm;
          Line(mask, cx - dx, cy - dy, cx + dx, cy + dy, radius);
        }
        break;
      }
      case Kind::kNoise: {
        const float density = uniform(0.1f, 0.9f);
        for (auto& cell : mask.cells) cell = uniform(0.0f, 1.0f) < density ? 1 : 0;
        s = shapes;
        break;
      }
    }
  }
  return mask;
}

inline std::vector<ByteMask> ManyMasks(int32_t perKind, uint32_t seed, int32_t maxSide = 200) {
  std::vector<ByteMask> masks;
  const Kind kinds[] = {Kind::kBlobs, Kind::kStrokes, Kind::kRings, Kind::kCrossings, Kind::kNoise};
  uint32_t next = seed;
  for (Kind kind : kinds) {
    for (int32_t i = 0; i < perKind; ++i) masks.push_back(Generate(kind, next++, maxSide));
  }
  return masks;
}

}  // namespace test_masks
