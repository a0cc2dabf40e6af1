#include "render/value_noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

// The hash written out in 64-bit arithmetic, reduced modulo 2^32 by hand.
float ReferenceLatticeHash(int32_t n) {
  const uint64_t u = static_cast<uint32_t>(n);
  const uint64_t m = ((u << 13) ^ u) & 0xFFFFFFFFull;
  const uint64_t inner = (m * m % 4294967296ull * 15731ull + 789221ull) % 4294967296ull;
  const uint64_t k = (m * inner + 1376312589ull) % 4294967296ull;
  return 1.0f - static_cast<float>(k % 2147483648ull) * 9.313225746154785e-10f;
}

TEST(ValueNoise, LatticeHashMatchesWideArithmeticAndStaysInRange) {
  for (int64_t n = -200000; n <= 200000; n += 7) {
    const float h = LatticeHash(static_cast<int32_t>(n));
    ASSERT_EQ(h, ReferenceLatticeHash(static_cast<int32_t>(n))) << n;
    ASSERT_GE(h, -1.0f);
    ASSERT_LE(h, 1.0f);
  }
  for (int32_t n : {INT32_MIN, INT32_MAX, 0, 1, -1}) EXPECT_EQ(LatticeHash(n), ReferenceLatticeHash(n));
}

TEST(ValueNoise, IntegerPointsGiveTheLatticeHash) {
  for (int32_t y = -30; y <= 30; y += 3) {
    for (int32_t x = -40; x <= 40; x += 5) {
      ASSERT_EQ(ValueNoise2D(static_cast<float>(x), static_cast<float>(y)), LatticeHash(y * 57 + x))
          << x << "," << y;
    }
  }
}

TEST(ValueNoise, ContinuousAndBounded) {
  float previous = ValueNoise2D(0.0f, 3.3f);
  for (int i = 1; i < 4000; ++i) {
    const float x = static_cast<float>(i) * 0.01f;
    const float v = ValueNoise2D(x, 3.3f);
    ASSERT_GE(v, -1.0f);
    ASSERT_LE(v, 1.0f);
    // The smoothstep slope is at most 1.5 and lattice steps at most 2.
    ASSERT_LT(std::fabs(v - previous), 0.031f) << x;
    previous = v;
  }
}

}  // namespace
