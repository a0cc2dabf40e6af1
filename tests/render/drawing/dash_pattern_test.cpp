#include "render/drawing/dash_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace {

using Spans = std::vector<std::pair<float, float>>;

// The dash walk written plainly, in float or double; nullopt when it stops advancing.
template <typename Real>
std::optional<Spans> ReferenceDashes(Real g, Real piece, Real dash, Real period, Real offset) {
  Spans spans;
  Real d = 0, step = 1;
  for (int guard = 0; guard < 100000 && step > 0; ++guard) {
    Real phase = std::fmod(g + d + offset, period);
    if (phase < 0) phase += period;
    step = std::min(piece - d, phase < dash ? dash - phase : period - phase);
    if (phase < dash) spans.emplace_back(d, d + step);
    d += step;
    if (d >= piece) return spans;
  }
  return std::nullopt;
}

// Spans rounded to `grid` (0: exact), empty ones left out where `dropEmpty`.
Spans Dashes(float g, float piece, float dash, float period, float offset, float grid = 0, bool dropEmpty = false) {
  std::vector<DashSpan> spans = {{-1.0f, -1.0f}};  // the call replaces what was there
  CollectDashSpans(DashPattern{dash, period, offset}, g, piece, spans);
  Spans out;
  const auto round = [grid](float v) { return grid > 0 ? std::round(v / grid) * grid : v; };
  for (const DashSpan& s : spans) {
    if (!dropEmpty || s.to > s.from) out.emplace_back(round(s.from), round(s.to));
  }
  return out;
}

TEST(DashPattern, KnownPatternsAndFinishingWhereTheFloatWalkWouldStop) {
  EXPECT_EQ(Dashes(0, 50, 10, 20, 0), (Spans{{0, 10}, {20, 30}, {40, 50}}));  // 10 on, 10 off over 50 px
  EXPECT_EQ(Dashes(15, 35, 10, 20, 0), (Spans{{5, 15}, {25, 35}}));          // runs on from 15 px drawn before
  EXPECT_EQ(Dashes(0, 12, 10, 20, -4), (Spans{{4, 12}}));                    // negative offsets wrap
  EXPECT_TRUE(Dashes(0, 0, 10, 20, 0).empty());
  // A remainder that rounds up to the period, and a step too small to move the position: the
  // result is the walk done in double, give or take an empty dash at the stall.
  for (const auto& c : {std::vector<float>{12.185027122497559f, 56.267818450927734f, 21.0f, 31.0f, -16.0f},
                        {187.163727f, 75.3431244f, 21.7336445f, 49.5234833f, -10.3232536f}}) {
    ASSERT_FALSE(ReferenceDashes(c[0], c[1], c[2], c[3], c[4]).has_value());
    Spans exact = ReferenceDashes<double>(c[0], c[1], c[2], c[3], c[4]).value();
    for (auto& [from, to] : exact) from = std::round(from / 1e-3f) * 1e-3f, to = std::round(to / 1e-3f) * 1e-3f;
    EXPECT_EQ(Dashes(c[0], c[1], c[2], c[3], c[4], 1e-3f, true), exact);
  }
}

TEST(DashPattern, SameAsThePlainWalkWhereverThatFinishes) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  int compared = 0;
  for (int trial = 0; trial < 200000; ++trial) {
    const float g = std::floor(unit(rng) * 2000.0f) * 0.5f + unit(rng) * 3.0f;
    const float dash = std::floor(unit(rng) * 30.0f);
    const float period = dash + 1.0f + std::floor(unit(rng) * 30.0f);
    const float offset = std::floor(unit(rng) * 100.0f) - 50.0f;
    const float piece = 0.5f + unit(rng) * 80.0f;
    const std::optional<Spans> reference = ReferenceDashes(g, piece, dash, period, offset);
    if (!reference) continue;
    ASSERT_EQ(Dashes(g, piece, dash, period, offset), *reference) << trial;
    ++compared;
  }
  EXPECT_GT(compared, 199000);
}

}  // namespace
