#include "render/drawing/value_noise.h"

// Value noise: every lattice point (x, y) gets a pseudo-random value from the
// integer hash of y * 57 + x, and a point between takes the bilinear blend of
// its four corners with smoothstep weights 3t^2 - 2t^3, whose zero slope at the
// lattice keeps the noise free of creases. The hash is the well-known
// polynomial integer hash (constants 15731, 789221 and 1376312589, low 31 bits
// mapped to [-1, 1] by 1 - k / 2^30); in 32-bit unsigned arithmetic it gives
// the same value on every compiler and thread.

#include <cmath>

float LatticeHash(int32_t n) {
  const uint32_t u = static_cast<uint32_t>(n);
  const uint32_t m = (u << 13) ^ u;
  const uint32_t k = m * (m * m * 15731u + 789221u) + 1376312589u;
  const uint32_t low31 = k & 0x7FFFFFFFu;
  return 1.0f - static_cast<float>(low31) * 9.313225746154785e-10f;
}

float ValueNoise2D(float x, float y) {
  const int32_t ix = static_cast<int32_t>(std::floor(x));
  const int32_t iy = static_cast<int32_t>(std::floor(y));
  const float fx = x - static_cast<float>(ix);
  const float fy = y - static_cast<float>(iy);
  const int32_t n =
      static_cast<int32_t>(static_cast<uint32_t>(iy) * 57u + static_cast<uint32_t>(ix));
  const float sx = (3.0f - 2.0f * fx) * (fx * fx);
  const float sy = (3.0f - 2.0f * fy) * (fy * fy);
  const auto at = [n](uint32_t offset) {
    return LatticeHash(static_cast<int32_t>(static_cast<uint32_t>(n) + offset));
  };
  const float h00 = at(0);
  const float h10 = at(1);
  const float h01 = at(57);
  const float h11 = at(58);
  const float a = h00 + (h10 - h00) * sx;
  const float b = h01 + (h11 - h01) * sx;
  return a + (b - a) * sy;
}
