#include "render/dash_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>

namespace {

// The dash walk written plainly; nullopt when it stops advancing or stops
// before the end of the piece.
std::optional<std::vector<DashSpan>> ReferenceDashes(float g, float pieceLength, float dashLength, float period,
                                                     float offset) {
  std::vector<DashSpan> spans;
  float d = 0.0f;
  for (int guard = 0; guard < 100000; ++guard) {
    float phase = std::fmod(g + d + offset, period);
    if (phase < 0.0f) phase += period;
    const float rest = pieceLength - d;
    float step;
    if (phase < dashLength) {
      step = std::min(rest, dashLength - phase);
      spans.push_back({d, d + step});
    } else {
      step = std::min(rest, period - phase);
    }
    d += step;
    if (d >= pieceLength) return spans;
    if (step <= 0.0f) return std::nullopt;
  }
  return std::nullopt;
}

TEST(DashPattern, TenOnTenOffAlongFiftyPixels) {
  std::vector<DashSpan> spans;
  CollectDashSpans(0.0f, 50.0f, 10.0f, 20.0f, 0.0f, spans);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[0].from, 0.0f);
  EXPECT_EQ(spans[0].to, 10.0f);
  EXPECT_EQ(spans[1].from, 20.0f);
  EXPECT_EQ(spans[1].to, 30.0f);
  EXPECT_EQ(spans[2].from, 40.0f);
  EXPECT_EQ(spans[2].to, 50.0f);
}

TEST(DashPattern, RunsOnFromTheStrokeAlreadyDrawnAndShiftsWithTheOffset) {
  std::vector<DashSpan> spans;
  CollectDashSpans(15.0f, 35.0f, 10.0f, 20.0f, 0.0f, spans);  // 15 px drawn before
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_EQ(spans[0].from, 5.0f);
  EXPECT_EQ(spans[0].to, 15.0f);
  EXPECT_EQ(spans[1].from, 25.0f);
  EXPECT_EQ(spans[1].to, 35.0f);

  CollectDashSpans(0.0f, 12.0f, 10.0f, 20.0f, -4.0f, spans);  // negative offsets wrap
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].from, 4.0f);
  EXPECT_EQ(spans[0].to, 12.0f);

  CollectDashSpans(0.0f, 0.0f, 10.0f, 20.0f, 0.0f, spans);
  EXPECT_TRUE(spans.empty());
}

TEST(DashPattern, SameAsThePlainWalkWhereverThatFinishes) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<DashSpan> spans;
  int compared = 0;
  for (int trial = 0; trial < 200000; ++trial) {
    const float g = std::floor(unit(rng) * 2000.0f) * 0.5f + unit(rng) * 3.0f;
    const float dash = std::floor(unit(rng) * 30.0f);
    const float period = dash + 1.0f + std::floor(unit(rng) * 30.0f);
    const float offset = std::floor(unit(rng) * 100.0f) - 50.0f;
    const float piece = 0.5f + unit(rng) * 80.0f;
    const auto reference = ReferenceDashes(g, piece, dash, period, offset);
    if (!reference) continue;
    CollectDashSpans(g, piece, dash, period, offset, spans);
    ASSERT_EQ(spans.size(), reference->size()) << trial;
    for (size_t i = 0; i < spans.size(); ++i) {
      ASSERT_EQ(spans[i].from, (*reference)[i].from) << trial;
      ASSERT_EQ(spans[i].to, (*reference)[i].to) << trial;
    }
    ++compared;
  }
  EXPECT_GT(compared, 199000);
}

TEST(DashPattern, APhaseThatRoundsUpToThePeriodStartsTheNextPeriod) {
  // -16 + 12.185027 + 3.81497288 leaves a tiny negative remainder; plus the
  // period it rounds to 31, which must not end the walk with a zero step.
  const float g = 12.185027122497559f, piece = 56.267818450927734f;
  ASSERT_FALSE(ReferenceDashes(g, piece, 21.0f, 31.0f, -16.0f).has_value());
  std::vector<DashSpan> spans;
  CollectDashSpans(g, piece, 21.0f, 31.0f, -16.0f, spans);
  ASSERT_EQ(spans.size(), 2u);
  EXPECT_NEAR(spans[0].from, 3.815f, 1e-3f);
  EXPECT_NEAR(spans[0].to, 24.815f, 1e-3f);
  EXPECT_NEAR(spans[1].from, 34.815f, 1e-3f);
  EXPECT_NEAR(spans[1].to, 55.815f, 1e-3f);
}

TEST(DashPattern, FinishesWhereRoundingStallsThePlainWalk) {
  // Here a step near a dash boundary is too small to move the position, so
  // the plain walk repeats the same phase forever.
  const float g = 187.163727f, dash = 21.7336445f, period = 49.5234833f, offset = -10.3232536f;
  const float piece = 75.3431244f;
  ASSERT_FALSE(ReferenceDashes(g, piece, dash, period, offset).has_value());
  std::vector<DashSpan> spans;
  CollectDashSpans(g, piece, dash, period, offset, spans);
  ASSERT_FALSE(spans.empty());
  // The pattern still covers the whole piece: dashes keep their length and
  // the last one reaches as far as the period says.
  float covered = 0.0f;
  for (const DashSpan& s : spans) {
    EXPECT_LE(s.to - s.from, dash + 1e-3f);
    covered += s.to - s.from;
  }
  const auto expectedCover = [&] {
    float total = 0.0f;
    for (float x = 0.0f; x < piece; x += 0.001f) {
      float phase = std::fmod(static_cast<double>(g) + x + offset, static_cast<double>(period));
      if (phase < 0) phase += period;
      total += phase < dash ? 0.001f : 0.0f;
    }
    return total;
  }();
  EXPECT_NEAR(covered, expectedCover, 0.05f);
}

}  // namespace
