// Test inputs: opaque white ink on a transparent background, values every
// depth holds exactly.
#pragma once

#include <algorithm>
#include <cstdint>

#include "bench/synthetic_text.h"
#include "host/frame_buffer.h"

inline RgbaImage InkImage(int32_t width, int32_t height, uint32_t seed) {
  const ByteMask mask = synthetic_text::MakeTextMask(width, height, seed);
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height * 4, 0);
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    if (mask.cells[i] != 0) std::fill_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(i * 4), 4, uint8_t{255});
  }
  return image;
}
