#include "skeleton/portable_trig.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

int32_t Bits(float value) { return std::bit_cast<int32_t>(value); }

// Wide, unit-sized and tiny arguments, and ones next to multiples of pi/2 where the reduction cancels most digits.
float SampleArgument(uint32_t& state, int i) {
  state = state * 1664525u + 1013904223u;
  const float unit = static_cast<float>(state >> 8) / 16777216.0f * 2.0f - 1.0f;
  const float scales[3] = {1000.0f, 1.0f, 1e-6f}, nearHalfPi = static_cast<float>((i % 4000) - 2000) * 1.5707964f;
  return i % 4 < 3 ? unit * scales[i % 4] : std::nextafter(nearHalfPi, unit * 1e4f);
}

// Against the runtime's double functions rounded once, and a hash of bits taken on Linux that every build must give.
TEST(PortableTrig, AgreesWithTheDoubleRuntimeAndGivesTheSameBitsEverywhere) {
  uint32_t state = 7;
  int differing = 0;
  const int samples = 200000;
  for (int i = 0; i < samples; ++i) {
    const float x = SampleArgument(state, i), y = SampleArgument(state, i + 1);
    const float pairs[3][2] = {{PortableSin(x), static_cast<float>(std::sin(double{x}))},
                               {PortableCos(x), static_cast<float>(std::cos(double{x}))},
                               {PortableAtan2(y, x), static_cast<float>(std::atan2(double{y}, double{x}))}};
    for (const auto& pair : pairs) {
      ASSERT_LE(std::abs(Bits(pair[0]) - Bits(pair[1])), 1) << "x " << x << " y " << y;
      differing += pair[0] != pair[1] ? 1 : 0;
    }
  }
  EXPECT_LE(differing, 3 * samples / 10000);  // both correctly rounded but for near-halfway cases

  state = 11;
  uint64_t hash = 1469598103934665603ull;
  for (int i = 0; i < 100000; ++i) {
    const float x = SampleArgument(state, i), y = SampleArgument(state, i + 2);
    for (const float value : {PortableSin(x), PortableCos(x), PortableAtan2(y, x)}) {
      hash = (hash ^ static_cast<uint32_t>(Bits(value))) * 1099511628211ull;
    }
  }
  EXPECT_EQ(hash, 0x666eb2f53b726bd1ull);
}

TEST(PortableTrig, ZerosInfinitiesAndNaNFollowTheCStandard) {
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(Bits(PortableSin(-0.0f)), Bits(-0.0f));
  EXPECT_EQ(PortableSin(-1e-20f), -1e-20f);
  for (const float bad : {inf, -inf, nan}) EXPECT_TRUE(std::isnan(PortableSin(bad)) && std::isnan(PortableCos(bad)));
  EXPECT_LE(std::fabs(PortableSin(std::numeric_limits<float>::max())), 1.0f);  // folded into one turn: bounded
  const float pi = 3.14159274f, halfPi = 1.57079637f, quarterPi = 0.785398185f;
  const float atan2Cases[][3] = {{-0.0f, 1.0f, -0.0f}, {0.0f, -0.0f, pi},      {-0.0f, -1.0f, -pi},
                                 {-1.0f, -0.0f, -halfPi}, {-1.0f, inf, -0.0f}, {1.0f, -inf, pi},
                                 {-inf, -5.0f, -halfPi}, {-inf, inf, -quarterPi}, {inf, -inf, 2.35619450f}};
  for (const auto& [y, x, atan2] : atan2Cases) EXPECT_EQ(Bits(PortableAtan2(y, x)), Bits(atan2)) << y << ", " << x;
  EXPECT_TRUE(std::isnan(PortableAtan2(nan, 1.0f)) && std::isnan(PortableAtan2(1.0f, nan)));
}

}  // namespace
