#include "skeleton/portable_trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

int32_t Bits(float value) {
  int32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// The arguments the tests sweep: wide, unit-sized, tiny, and next to
// multiples of pi/2 where the reduction cancels most digits.
float SampleArgument(uint32_t& state, int i) {
  state = state * 1664525u + 1013904223u;
  const float unit = static_cast<float>(state >> 8) / 16777216.0f * 2.0f - 1.0f;
  switch (i % 4) {
    case 0: return unit * 1000.0f;
    case 1: return unit;
    case 2: return unit * 1e-6f;
    default: return std::nextafter(static_cast<float>((i % 4000) - 2000) * 1.5707964f, unit * 1e4f);
  }
}

// The plain reference: the runtime's double functions, rounded once.
TEST(PortableTrig, AgreesWithTheDoubleRuntimeRoundedToFloat) {
  uint32_t state = 7;
  int differing = 0;
  const int samples = 200000;
  for (int i = 0; i < samples; ++i) {
    const float x = SampleArgument(state, i);
    const float y = SampleArgument(state, i + 1);
    const float pairs[3][2] = {{PortableSin(x), static_cast<float>(std::sin(static_cast<double>(x)))},
                               {PortableCos(x), static_cast<float>(std::cos(static_cast<double>(x)))},
                               {PortableAtan2(y, x), static_cast<float>(std::atan2(static_cast<double>(y),
                                                                                   static_cast<double>(x)))}};
    for (const auto& pair : pairs) {
      ASSERT_LE(std::abs(Bits(pair[0]) - Bits(pair[1])), 1) << "x " << x << " y " << y;
      differing += pair[0] != pair[1] ? 1 : 0;
    }
  }
  // Both are correctly rounded but for near-halfway cases.
  EXPECT_LE(differing, 3 * samples / 10000);
}

// The point of these functions: the same bits from every compiler and
// runtime. The constant was taken on Linux and must hold in every build.
TEST(PortableTrig, GiveTheSameBitsOnEveryPlatform) {
  uint32_t state = 11;
  uint64_t hash = 1469598103934665603ull;
  for (int i = 0; i < 100000; ++i) {
    const float x = SampleArgument(state, i);
    const float y = SampleArgument(state, i + 2);
    for (const float value : {PortableSin(x), PortableCos(x), PortableAtan2(y, x)}) {
      hash = (hash ^ static_cast<uint32_t>(Bits(value))) * 1099511628211ull;
    }
  }
  EXPECT_EQ(hash, 0x666eb2f53b726bd1ull);
}

TEST(PortableTrig, ZerosTinyValuesAndNonFiniteArguments) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float tiny = std::numeric_limits<float>::denorm_min();
  EXPECT_EQ(Bits(PortableSin(0.0f)), Bits(0.0f));
  EXPECT_EQ(Bits(PortableSin(-0.0f)), Bits(-0.0f));
  EXPECT_EQ(PortableCos(0.0f), 1.0f);
  EXPECT_EQ(PortableCos(-0.0f), 1.0f);
  EXPECT_EQ(PortableSin(tiny), tiny);
  EXPECT_EQ(PortableSin(-1e-20f), -1e-20f);
  for (const float bad : {inf, -inf, nan}) {
    EXPECT_TRUE(std::isnan(PortableSin(bad)));
    EXPECT_TRUE(std::isnan(PortableCos(bad)));
  }
  // Huge arguments are folded into one turn: bounded, though not accurate.
  for (const float huge : {1e7f, -3e9f, 1e30f, std::numeric_limits<float>::max()}) {
    EXPECT_LE(std::fabs(PortableSin(huge)), 1.0f) << huge;
    EXPECT_LE(std::fabs(PortableCos(huge)), 1.0f) << huge;
  }
}

TEST(PortableTrig, Atan2FollowsTheCStandardAtZerosAndInfinities) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float pi = 3.14159274f, halfPi = 1.57079637f, quarterPi = 0.785398185f, threeQuarterPi = 2.35619450f;
  struct Case {
    float y, x, expected;
  };
  const Case cases[] = {
      {0.0f, 1.0f, 0.0f},       {-0.0f, 1.0f, -0.0f},      {0.0f, 0.0f, 0.0f},          {-0.0f, 0.0f, -0.0f},
      {0.0f, -0.0f, pi},        {-0.0f, -0.0f, -pi},       {0.0f, -1.0f, pi},           {-0.0f, -1.0f, -pi},
      {1.0f, 0.0f, halfPi},     {-1.0f, -0.0f, -halfPi},   {1.0f, inf, 0.0f},           {-1.0f, inf, -0.0f},
      {1.0f, -inf, pi},         {-1.0f, -inf, -pi},        {inf, 5.0f, halfPi},         {-inf, -5.0f, -halfPi},
      {inf, inf, quarterPi},    {-inf, inf, -quarterPi},   {inf, -inf, threeQuarterPi}, {-inf, -inf, -threeQuarterPi},
      {1.0f, 1.0f, quarterPi},  {-1.0f, -1.0f, -threeQuarterPi},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Bits(PortableAtan2(c.y, c.x)), Bits(c.expected)) << "atan2(" << c.y << ", " << c.x << ")";
  }
  EXPECT_TRUE(std::isnan(PortableAtan2(nan, 1.0f)));
  EXPECT_TRUE(std::isnan(PortableAtan2(1.0f, nan)));
}

}  // namespace
