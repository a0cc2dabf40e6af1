#include "model/read_render_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>

#include "host_interface/host_fixed_point.h"
#include "tests/model/param_array.h"

namespace {

TEST(ReadRenderSettings, ConversionsInTheirOrderAndRange) {
  test_params::ParamArray p;
  p.Color(PARAM_LINE_COLOR, 10, 20, 30, 77);  // the colour's own alpha is never read
  for (auto [opacity, alpha] : {std::pair{50, 127}, {100, 255}, {0, 0}, {1, 2}, {99, 252}, {101, 255}, {-1, 0},
                                {-10'000'000, 0}, {std::numeric_limits<int32_t>::max(), 255}}) {
    p.Slider(PARAM_OPACITY, opacity);
    const HostPixel8 c = ReadRenderSettings(p.Array()).lineColor;
    EXPECT_EQ(std::tuple(c.alpha, c.red, c.green, c.blue), std::tuple(alpha, 10, 20, 30)) << "opacity " << opacity;
  }
  p.Slider(PARAM_SPEED_EASE_AMOUNT, 60);
  p[PARAM_NIB_ANGLE].u.angle.value = 45 * kFixedOne;
  p.Slider(PARAM_ROUGHNESS_SCALE, 20);
  p.Slider(PARAM_ROUGHNESS_AMOUNT, 100);
  p.Slider(PARAM_FIT_TOLERANCE, 9);
  p[PARAM_PATH_OFFSET].u.floatSlider.value = 250.0;
  p.Slider(PARAM_LINE_WIDTH, 1);
  p.Point(PARAM_START_POINT, 100 * kFixedOne + 1, -kFixedOne / 2);
  p.Color(PARAM_RING_COLOR, 1, 2, 3, 0);
  RenderSettings s = ReadRenderSettings(p.Array());
  EXPECT_EQ(s.speedEase, std::nextafter(1.8f, 2.0f));  // 0.6f * 3.0f lands one step above 1.8
  EXPECT_EQ(s.nibAngle, static_cast<float>(std::numbers::pi / 4.0));
  EXPECT_EQ(s.fitTolerance, std::nextafter(0.9f, 1.0f));  // 9 * 0.1f, not 9 / 10
  EXPECT_EQ(std::tuple(s.roughnessScale, s.roughnessAmount, s.pathOffset), std::tuple(0.02f, 4.0f, 2.5f));
  EXPECT_EQ(std::tuple(s.startX, s.startY), std::tuple(100.0f + 1.52587890625e-05f, -0.5f));
  EXPECT_EQ(std::tuple(s.ringColor.alpha, s.ringColor.blue, s.roundCap, s.lineRadius), std::tuple(255, 3, false, 0));
  p.Slider(PARAM_ROUGHNESS_SCALE, 5);
  p.Slider(PARAM_DASH_LENGTH, 0);  // a period of 0 and a density of 0 fall back
  p.Slider(PARAM_GAP_LENGTH, 0);
  s = ReadRenderSettings(p.Array());
  EXPECT_EQ(s.roughnessScale, 0.005f);  // a division: 5 * 0.001f would be one step off
  EXPECT_EQ(std::tuple(s.dashPeriod, s.particleSpacing), std::tuple(1.0f, 100.0f));
  p.Slider(PARAM_DASH_LENGTH, 20);
  p.Slider(PARAM_GAP_LENGTH, 10);
  p.Slider(PARAM_PARTICLE_DENSITY, 40);
  s = ReadRenderSettings(p.Array());
  EXPECT_EQ(std::tuple(s.dashPeriod, s.particleSpacing), std::tuple(30.0f, 2.5f));
  EXPECT_EQ(s.widthPoints.count, 0);
  // WP 2 width 1 (entry width 0, still counts), WP 5 width 0 (off), WP 8 width 100.
  p.Point(PARAM_WP2_POSITION, 10 * kFixedOne + kFixedOne / 2, 20 * kFixedOne + kFixedOne / 4);
  p.Slider(PARAM_WP2_WIDTH, 1);
  p.Point(PARAM_WP5_POSITION, kFixedOne, kFixedOne);
  p.Point(PARAM_WP8_POSITION, -3 * kFixedOne, 7 * kFixedOne);
  p.Slider(PARAM_WP8_WIDTH, 100);
  const WidthPointTable t = ReadRenderSettings(p.Array()).widthPoints;
  ASSERT_EQ(t.count, 2);
  EXPECT_EQ(std::tuple(t.entries[0].x, t.entries[0].y, t.entries[0].width), std::tuple(10.5f, 20.25f, 0.0f));
  EXPECT_EQ(std::tuple(t.entries[1].x, t.entries[1].y, t.entries[1].width), std::tuple(-3.0f, 7.0f, 99.0f));
}

}  // namespace
