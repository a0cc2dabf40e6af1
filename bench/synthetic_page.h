// A deterministic scanned page for benchmarks: rows of dark text on light
// paper that is lit unevenly (bright at the top left, dimmer toward the
// bottom right) and has grain, as grey levels 0..255, one byte a pixel, row
// by row. Thresholded on luminance the paper becomes one large shape whose
// skeleton is a mesh with a cycle around every glyph (about 12,600 junctions
// at 1920x1080); inverted, the glyphs are the shapes.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bench/synthetic_text.h"

namespace synthetic_page {

constexpr int32_t kGrainCell = 3;  // grain blotches a few pixels wide, so that closing keeps some

// Glyphs scale with the page, as when the same page is scanned at a higher
// resolution; the grain stays a few pixels wide.
inline std::vector<uint8_t> MakePageGrey(int32_t width, int32_t height, uint32_t seed = 1) {
  // The text block covers the middle of the frame, like a page on a scanner bed.
  const int32_t glyphHeight = std::max(8, height / 24);
  const int32_t marginX = width / 5;
  const int32_t marginY = height / 20;
  const ByteMask text = synthetic_text::MakeTextMask(width - 2 * marginX, height - 2 * marginY, seed, glyphHeight);
  auto inkAt = [&](int32_t x, int32_t y) {
    const int32_t tx = x - marginX;
    const int32_t ty = y - marginY;
    if (tx < 0 || ty < 0 || tx >= text.width || ty >= text.height) return false;
    return text.cells[static_cast<size_t>(ty) * text.width + tx] != 0;
  };
  synthetic_text::Lcg rng{seed * 2654435761u + 17u};
  // Coarse grain on a grid of cells, interpolated in between.
  const int32_t cellsX = width / kGrainCell + 2;
  const int32_t cellsY = height / kGrainCell + 2;
  std::vector<float> coarse(static_cast<size_t>(cellsX) * static_cast<size_t>(cellsY));
  for (float& value : coarse) value = static_cast<float>(rng.Range(-100, 100)) * 0.01f;
  auto coarseAt = [&](int32_t cx, int32_t cy) { return coarse[static_cast<size_t>(cy) * cellsX + cx]; };

  std::vector<uint8_t> grey(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const float u = static_cast<float>(x) / static_cast<float>(width);
      const float v = static_cast<float>(y) / static_cast<float>(height);
      const float light = 236.0f - 80.0f * (0.6f * u + 0.4f * v) - 20.0f * (u - 0.5f) * (u - 0.5f);
      const int32_t cx = x / kGrainCell;
      const int32_t cy = y / kGrainCell;
      const float fx = static_cast<float>(x % kGrainCell) / kGrainCell;
      const float fy = static_cast<float>(y % kGrainCell) / kGrainCell;
      const float upper = coarseAt(cx, cy) + (coarseAt(cx + 1, cy) - coarseAt(cx, cy)) * fx;
      const float lower = coarseAt(cx, cy + 1) + (coarseAt(cx + 1, cy + 1) - coarseAt(cx, cy + 1)) * fx;
      const float grain = 30.0f * (upper + (lower - upper) * fy) + static_cast<float>(rng.Range(-8, 8));
      const float value = inkAt(x, y) ? 40.0f + 0.3f * grain : light + grain;
      grey[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(std::clamp(value, 0.0f, 255.0f));
    }
  }
  return grey;
}

// Uniform grey noise, the other input where Merge by Shape has the most to
// search: thresholded, it is a mesh of tiny cycles.
inline std::vector<uint8_t> UniformNoiseGrey(int32_t width, int32_t height, uint32_t seed = 5) {
  synthetic_text::Lcg rng{seed};
  std::vector<uint8_t> grey(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (uint8_t& value : grey) value = static_cast<uint8_t>(rng.Next() & 0xFF);
  return grey;
}

}  // namespace synthetic_page
