// Deterministic masks of thick, text-like strokes for benchmarks and tests:
// rows of glyphs built from bars, diagonals, rings and arcs, like bold
// lettering. The same arguments always give the same mask.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "skeleton/byte_mask.h"

namespace synthetic_text {

struct Lcg {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int32_t Range(int32_t lo, int32_t hi) {  // lo..hi inclusive
    return lo + static_cast<int32_t>(Next() % static_cast<uint32_t>(hi - lo + 1));
  }
};

inline void StampDisc(ByteMask& mask, float cx, float cy, float radius) {
  const int32_t x0 = std::max(0, static_cast<int32_t>(std::floor(cx - radius)));
  const int32_t x1 = std::min(mask.width - 1, static_cast<int32_t>(std::ceil(cx + radius)));
  const int32_t y0 = std::max(0, static_cast<int32_t>(std::floor(cy - radius)));
  const int32_t y1 = std::min(mask.height - 1, static_cast<int32_t>(std::ceil(cy + radius)));
  const float r2 = radius * radius;
  for (int32_t y = y0; y <= y1; ++y) {
    for (int32_t x = x0; x <= x1; ++x) {
      const float dx = static_cast<float>(x) - cx;
      const float dy = static_cast<float>(y) - cy;
      if (dx * dx + dy * dy <= r2) mask.cells[static_cast<size_t>(y) * mask.width + x] = 1;
    }
  }
}

inline void StrokeLine(ByteMask& mask, float x0, float y0, float x1, float y1, float radius) {
  const float len = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
  const int32_t steps = std::max(1, static_cast<int32_t>(len / std::max(1.0f, radius * 0.5f)));
  for (int32_t i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    StampDisc(mask, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, radius);
  }
}

inline void StrokeArc(ByteMask& mask, float cx, float cy, float rx, float ry, float a0, float a1,
                      float radius) {
  const int32_t steps = 48;
  float px = cx + rx * std::cos(a0);
  float py = cy + ry * std::sin(a0);
  for (int32_t i = 1; i <= steps; ++i) {
    const float a = a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(steps);
    const float x = cx + rx * std::cos(a);
    const float y = cy + ry * std::sin(a);
    StrokeLine(mask, px, py, x, y, radius);
    px = x;
    py = y;
  }
}

// One glyph in the box [x, x + w] x [y, y + h], made of two to four strokes.
inline void DrawGlyph(ByteMask& mask, Lcg& rng, float x, float y, float w, float h, float radius) {
  const float pi = 3.14159265f;
  const int32_t strokes = rng.Range(2, 4);
  for (int32_t s = 0; s < strokes; ++s) {
    switch (rng.Range(0, 5)) {
      case 0:  // stem
        StrokeLine(mask, x + w * 0.2f, y, x + w * 0.2f, y + h, radius);
        break;
      case 1:  // bar
        StrokeLine(mask, x, y + h * 0.5f, x + w, y + h * 0.5f, radius);
        break;
      case 2:  // diagonal
        StrokeLine(mask, x, y + h, x + w, y, radius);
        break;
      case 3:  // bowl
        StrokeArc(mask, x + w * 0.5f, y + h * 0.65f, w * 0.45f, h * 0.35f, 0.0f, 2.0f * pi, radius);
        break;
      case 4:  // hook
        StrokeArc(mask, x + w * 0.5f, y + h * 0.3f, w * 0.4f, h * 0.3f, pi, 2.5f * pi, radius);
        break;
      default:  // right stem
        StrokeLine(mask, x + w * 0.85f, y + h * 0.3f, x + w * 0.85f, y + h, radius);
        break;
    }
  }
}

// Rows of glyphs filling a width x height mask. Stroke half-width grows with
// the glyph size, as in bold text.
inline ByteMask MakeTextMask(int32_t width, int32_t height, uint32_t seed = 1, int32_t glyphHeight = 0) {
  ByteMask mask;
  mask.width = width;
  mask.height = height;
  mask.cells.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  if (glyphHeight <= 0) glyphHeight = std::max(12, height / 8);
  const float h = static_cast<float>(glyphHeight);
  const float w = h * 0.6f;
  const float radius = std::max(1.5f, h * 0.07f);
  Lcg rng{seed};
  const float margin = radius + 4.0f;
  for (float y = margin; y + h + margin < static_cast<float>(height); y += h * 1.5f) {
    for (float x = margin; x + w + margin < static_cast<float>(width); x += w * 1.35f) {
      if (rng.Range(0, 9) == 0) continue;  // a space
      DrawGlyph(mask, rng, x, y, w, h, radius);
    }
  }
  return mask;
}

}  // namespace synthetic_text
