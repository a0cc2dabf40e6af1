#include "render/value_noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

TEST(ValueNoise, IntegerPointsGiveTheLatticeHash) {
  for (int32_t y = -30; y <= 30; y += 3) {
    for (int32_t x = -40; x <= 40; x += 5) {
      const float h = LatticeHash(y * 57 + x);
      ASSERT_EQ(ValueNoise2D(static_cast<float>(x), static_cast<float>(y)), h) << x << "," << y;
      ASSERT_GE(h, -1.0f);
      ASSERT_LE(h, 1.0f);
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
