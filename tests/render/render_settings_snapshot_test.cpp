#include "render/render_settings_snapshot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "shell/param_ids.h"
#include "tests/render/param_array_fixture.h"

namespace {

using pipeline_test::ParamArrayFixture;

constexpr int32_t kFixedOne = 65536;

TEST(RenderSettingsSnapshot, OpacityBecomesTruncatedAlphaByte) {
  ParamArrayFixture p;
  p.Color(PARAM_LINE_COLOR, 10, 20, 30, 77);  // the colour's own alpha is never read
  for (auto [opacity, alpha] : {std::pair{50, 127}, {100, 255}, {0, 0}, {1, 2}, {99, 252}}) {
    p.Slider(PARAM_OPACITY, opacity);
    const RenderSettings s = ReadRenderSettings(p.Array());
    EXPECT_EQ(s.lineColor.alpha, alpha) << "opacity " << opacity;
    EXPECT_EQ(s.lineColor.red, 10);
    EXPECT_EQ(s.lineColor.green, 20);
    EXPECT_EQ(s.lineColor.blue, 30);
  }
  // Values no slider allows, as a damaged project could carry them, still give a byte in range.
  for (auto [opacity, alpha] : {std::pair{101, 255}, {-1, 0}, {10'000'000, 255}, {-10'000'000, 0},
                                {std::numeric_limits<int32_t>::max(), 255}}) {
    p.Slider(PARAM_OPACITY, opacity);
    EXPECT_EQ(ReadRenderSettings(p.Array()).lineColor.alpha, alpha) << "opacity " << opacity;
  }
}

TEST(RenderSettingsSnapshot, FloatConversionsFollowTheWrittenOrder) {
  ParamArrayFixture p;
  p.Slider(PARAM_SPEED_EASE_AMOUNT, 60);
  p.Angle(PARAM_NIB_ANGLE, 45 * kFixedOne);
  p.Slider(PARAM_ROUGHNESS_SCALE, 20);
  p.Slider(PARAM_ROUGHNESS_AMOUNT, 100);
  p.Slider(PARAM_TURBULENCE, 100);
  p.Slider(PARAM_FIT_TOLERANCE, 9);
  p.FloatSlider(PARAM_REVEAL_PROGRESS, 37.5);
  p.FloatSlider(PARAM_PATH_OFFSET, 250.0);
  p.Slider(PARAM_JUNCTION_CURVATURE_BIAS, -100);
  p.Slider(PARAM_WIDTH_SCALE, 300);
  const RenderSettings s = ReadRenderSettings(p.Array());

  // 0.6 x 3.0 in float lands one step above 1.8.
  EXPECT_EQ(s.speedEase, std::nextafter(1.8f, 2.0f));
  EXPECT_EQ(s.nibAngle, static_cast<float>(std::numbers::pi / 4.0));
  EXPECT_EQ(s.roughnessScale, 0.02f);
  EXPECT_EQ(s.roughnessAmount, 4.0f);
  EXPECT_EQ(s.turbulence, 8.0f);
  // A multiplication by the float 0.1, which differs from 9 / 10 in the last bit.
  EXPECT_EQ(s.fitTolerance, std::nextafter(0.9f, 1.0f));
  EXPECT_EQ(s.revealProgress, 0.375f);
  EXPECT_EQ(s.pathOffset, 2.5f);
  EXPECT_EQ(s.junctionBias, -1.0f);
  EXPECT_EQ(s.widthScale, 3.0f);

  p.Slider(PARAM_ROUGHNESS_SCALE, 5);  // a division: 5 * 0.001f would be one step off
  EXPECT_EQ(ReadRenderSettings(p.Array()).roughnessScale, 0.005f);
}

TEST(RenderSettingsSnapshot, LineWidthOneGivesRadiusZero) {
  ParamArrayFixture p;
  p.Slider(PARAM_LINE_WIDTH, 1);
  const RenderSettings s = ReadRenderSettings(p.Array());
  EXPECT_EQ(s.lineWidth, 1);
  EXPECT_EQ(s.lineRadius, 0);
}

TEST(RenderSettingsSnapshot, DashPeriodAndParticleSpacingFallBackWhenNotPositive) {
  ParamArrayFixture p;
  p.Slider(PARAM_DASH_LENGTH, 1);
  p.Slider(PARAM_GAP_LENGTH, 0);
  p.Slider(PARAM_PARTICLE_DENSITY, 10);
  RenderSettings s = ReadRenderSettings(p.Array());
  EXPECT_EQ(s.dashPeriod, 1.0f);
  EXPECT_EQ(s.dashLength, 1.0f);
  EXPECT_EQ(s.particleSpacing, 10.0f);

  p.Slider(PARAM_DASH_LENGTH, 0);
  p.Slider(PARAM_PARTICLE_DENSITY, 0);
  s = ReadRenderSettings(p.Array());
  EXPECT_EQ(s.dashPeriod, 1.0f);
  EXPECT_EQ(s.particleSpacing, 100.0f);

  p.Slider(PARAM_DASH_LENGTH, 20);
  p.Slider(PARAM_GAP_LENGTH, 10);
  EXPECT_EQ(ReadRenderSettings(p.Array()).dashPeriod, 30.0f);
}

TEST(RenderSettingsSnapshot, WidthPointsSkipDisabledEntries) {
  ParamArrayFixture p;
  EXPECT_EQ(ReadRenderSettings(p.Array()).widthPoints.count, 0);

  // WP 1 off, WP 2 width 1 (entry width 0.0, still counts), WP 8 width 100.
  p.Point(PARAM_WP2_POSITION, 10 * kFixedOne + kFixedOne / 2, 20 * kFixedOne + kFixedOne / 4);
  p.Slider(PARAM_WP2_WIDTH, 1);
  p.Point(PARAM_WP8_POSITION, -3 * kFixedOne, 7 * kFixedOne);
  p.Slider(PARAM_WP8_WIDTH, 100);
  p.Point(PARAM_WP5_POSITION, kFixedOne, kFixedOne);  // width 0: no entry
  const WidthPointTable t = ReadRenderSettings(p.Array()).widthPoints;
  ASSERT_EQ(t.count, 2);
  EXPECT_EQ(t.entries[0].x, 10.5f);
  EXPECT_EQ(t.entries[0].y, 20.25f);
  EXPECT_EQ(t.entries[0].width, 0.0f);
  EXPECT_EQ(t.entries[1].x, -3.0f);
  EXPECT_EQ(t.entries[1].y, 7.0f);
  EXPECT_EQ(t.entries[1].width, 99.0f);
}

TEST(RenderSettingsSnapshot, PointsSlotsPopupsAndColours) {
  ParamArrayFixture p;
  p.Point(PARAM_START_POINT, 100 * kFixedOne + 1, -kFixedOne / 2);
  p.Popup(PARAM_LINE_CAP, 2);
  p.Popup(PARAM_CHANNEL, 5);
  p.Slider(PARAM_SLOT1_CHAIN_A, 2);
  p.Slider(PARAM_SLOT1_CHAIN_B, 3);
  p.Slider(PARAM_SLOT5_CHAIN_B, 9);
  p.Slider(PARAM_REV_SLOT3, 4);
  p.Color(PARAM_RING_COLOR, 1, 2, 3, 0);
  p.Color(PARAM_TRAIL_COLOR, 4, 5, 6);
  p.Checkbox(PARAM_MERGE_BY_SHAPE, true);
  RenderSettings s = ReadRenderSettings(p.Array());
  EXPECT_EQ(s.startX, 100.0f + 1.52587890625e-05f);
  EXPECT_EQ(s.startY, -0.5f);
  EXPECT_FALSE(s.roundCap);
  EXPECT_EQ(s.channel, 5);
  EXPECT_EQ(s.mergeSlots[0].chainA, 2);
  EXPECT_EQ(s.mergeSlots[0].chainB, 3);
  EXPECT_EQ(s.mergeSlots[4].chainA, 0);
  EXPECT_EQ(s.mergeSlots[4].chainB, 9);
  EXPECT_EQ(s.reverseSlots[2], 4);
  EXPECT_EQ(s.ringColor.alpha, 255);  // the ring is always opaque
  EXPECT_EQ(s.ringColor.red, 1);
  EXPECT_EQ(s.ringColor.blue, 3);
  EXPECT_EQ(s.trailColor.green, 5);
  EXPECT_TRUE(s.mergeByShape);
  EXPECT_FALSE(s.autoFlip);

  p.Popup(PARAM_LINE_CAP, 1);
  EXPECT_TRUE(ReadRenderSettings(p.Array()).roundCap);
}

}  // namespace
