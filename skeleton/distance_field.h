// Exact Euclidean distance of every ink pixel to the nearest background pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/byte_mask.h"

// The distances of a mask, row-major like it: the value of (x, y) at
// GridIndex(width, x, y); 0 on background.
struct DistanceField {
  std::vector<float> values;
  int32_t width = 0;
  int32_t height = 0;

  bool Empty() const { return values.empty(); }
  // Whether the values cover width x height (a field built by hand may not).
  bool Complete() const { return values.size() >= static_cast<size_t>(width) * static_cast<size_t>(height); }
  float At(int32_t x, int32_t y) const { return values[GridIndex(width, x, y)]; }
};

// The field takes the mask's size; a mask without cells gives an empty field.
void DistanceTransform(const ByteMask& mask, DistanceField& field);
