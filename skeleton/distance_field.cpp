#include "skeleton/distance_field.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

// Felzenszwalb-Huttenlocher: linear column distances (rows -1 and height
// count as background, the columns beyond the sides do not), then the lower
// envelope of parabolas along every row.
//
// Column distances are whole numbers and stay exact in float. The squares,
// the parabola intersections and the envelope values are formed in double:
// every sum is an integer below 2^53, so the envelope is exact for any frame
// up to 30000 pixels a side, where float sums would round above 2^24. Where
// the float sums stay below 2^24 both choose the true minimum at every pixel,
// so the field is bit for bit the same as with float arithmetic.
void DistanceTransform(const ByteMask& mask, DistanceField& field) {
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  if (width < 1 || height < 1) {
    field.assign(0, 0.0f);
    return;
  }
  const size_t stride = static_cast<size_t>(width);
  field.assign(stride * static_cast<size_t>(height), 0.0f);

  // Both sweeps run row by row with one running distance per column, which
  // gives the same values as walking each column on its own.
  constexpr float kColumnCap = 1e10f;
  std::vector<float> columnDistance(field.size());
  std::vector<float> running(stride, 0.0f);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* cells = mask.cells.data() + static_cast<size_t>(y) * stride;
    float* out = columnDistance.data() + static_cast<size_t>(y) * stride;
    for (size_t x = 0; x < stride; ++x) {
      running[x] = cells[x] != 0 ? std::min(running[x] + 1.0f, kColumnCap) : 0.0f;
      out[x] = running[x];
    }
  }
  std::fill(running.begin(), running.end(), 0.0f);
  for (int32_t y = height - 1; y >= 0; --y) {
    const uint8_t* cells = mask.cells.data() + static_cast<size_t>(y) * stride;
    float* out = columnDistance.data() + static_cast<size_t>(y) * stride;
    for (size_t x = 0; x < stride; ++x) {
      running[x] = cells[x] != 0 ? std::min(running[x] + 1.0f, kColumnCap) : 0.0f;
      out[x] = std::min(out[x], running[x]);
    }
  }

  std::vector<double> squared(stride);
  std::vector<int32_t> vertex(stride);
  std::vector<double> boundary(stride + 1);
  std::vector<double> result(stride);
  for (int32_t y = 0; y < height; ++y) {
    const float* columnRow = columnDistance.data() + static_cast<size_t>(y) * stride;
    for (size_t q = 0; q < stride; ++q) {
      const double g = columnRow[q];
      squared[q] = g * g;
    }
    // Where parabola q (vertex q, offset squared[q]) overtakes parabola v.
    auto intersection = [&squared](int32_t q, int32_t v) {
      const double dq = q;
      const double dv = v;
      const double numerator = (dq * dq + squared[static_cast<size_t>(q)]) -
                               (dv * dv + squared[static_cast<size_t>(v)]);
      return numerator / ((dq - dv) + (dq - dv));
    };
    int32_t k = 0;
    vertex[0] = 0;
    boundary[0] = -1e20;
    boundary[1] = 1e20;
    for (int32_t q = 1; q < width; ++q) {
      double s = intersection(q, vertex[static_cast<size_t>(k)]);
      while (boundary[static_cast<size_t>(k)] >= s) {
        --k;
        s = intersection(q, vertex[static_cast<size_t>(k)]);
      }
      ++k;
      vertex[static_cast<size_t>(k)] = q;
      boundary[static_cast<size_t>(k)] = s;
      boundary[static_cast<size_t>(k) + 1] = 1e20;
    }
    k = 0;
    for (int32_t q = 0; q < width; ++q) {
      while (static_cast<double>(q) > boundary[static_cast<size_t>(k) + 1]) ++k;
      const double offset = static_cast<double>(q - vertex[static_cast<size_t>(k)]);
      result[static_cast<size_t>(q)] = offset * offset + squared[static_cast<size_t>(vertex[static_cast<size_t>(k)])];
    }
    float* fieldRow = field.data() + static_cast<size_t>(y) * stride;
    for (size_t q = 0; q < stride; ++q) {
      // The square root of an integer rounded to double and then to float is
      // its correctly rounded float square root, as sqrtf of the exact float.
      fieldRow[q] = static_cast<float>(std::sqrt(result[q]));
    }
  }
}
