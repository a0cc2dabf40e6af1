#include "render/drawing/stroke_geometry.h"

#include <gtest/gtest.h>

#include <vector>

#include <cmath>
#include <tuple>

#include "tests/render/render_test_helpers.h"

namespace {

std::vector<float> Widths(const ChainRecord& chain, const RenderSettings& s, const DistanceField& field = {}) {
  return ComputeChainWidths(chain, s, field);
}

TEST(StrokeGeometry, WidthsFromLineWidthDistanceFieldWidthPointsAndNib) {
  RenderSettings s;
  s.lineRadius = 4;
  const ChainRecord chain = StraightChain(2, 2, 6);
  EXPECT_EQ(Widths(chain, s), std::vector<float>(7, 4.0f));
  // Match Original Width: the largest distance in the 3 x 3 cells, times Width Scale.
  DistanceField field{std::vector<float>(24 * 6, 0.0f), 24, 6};
  field.values[3 * 24 + 5] = 1.0f;  // diagonal neighbour of (4, 2); small enough to keep the smoothing reach at 2
  s.matchOriginalWidth = true;
  const std::vector<float> single = Widths(StraightChain(2, 2, 16), s, field);
  s.widthScale = 2.0f;
  const std::vector<float> matched = Widths(StraightChain(2, 2, 16), s, field);
  EXPECT_GT(matched[3], 0.0f);
  EXPECT_EQ(matched[16], 0.0f);
  for (size_t k = 0; k < matched.size(); ++k) EXPECT_EQ(matched[k], 2.0f * single[k]) << k;
  const DistanceField partial{std::vector<float>(5, 9.0f), 24, 6};  // fewer values than its size: unread
  EXPECT_EQ(Widths(chain, s, partial), std::vector<float>(7, 4.0f));
  // Width points decide alone, weighted by 1 / (d^2 + 1); negative means are clamped at 0.
  s.widthPoints.count = 2;
  s.widthPoints.entries[0] = {5.0f, 2.0f, 4.0f};
  s.widthPoints.entries[1] = {5.0f, 2.0f, 0.0f};
  EXPECT_EQ(InterpolateWidthPoints(s.widthPoints, 5.0f, 2.0f, 99.0f), 2.0f);
  s.widthPoints.entries[1] = {7.0f, 2.0f, 0.0f};
  EXPECT_FLOAT_EQ(InterpolateWidthPoints(s.widthPoints, 5.0f, 2.0f, 99.0f), 4.0f / 1.2f);
  s.widthPoints.entries[0].width = -3.0f;
  EXPECT_EQ(Widths(chain, s), std::vector<float>(7, 0.0f));
  s = RenderSettings{};  // the nib scales by the stroke direction
  s.lineRadius = 4;
  s.nibSimulation = true;
  for (auto [angle, minWidth, width] : {std::tuple{0.0f, 0.15f, 0.6f}, {0.0f, 0.0f, 0.3f}, {90.0f, 0.15f, 4.0f}}) {
    s.nibAngle = angle * 3.1415927f / 180.0f;
    s.minWidth = minWidth;
    for (float w : Widths(StraightChain(0, 0, 10), s)) EXPECT_FLOAT_EQ(w, width) << angle << " " << minWidth;
  }
}

// Windows A and B of every chain as (t0, t1), or (-1, -1) when absent.
std::vector<std::pair<float, float>> Windows(const RenderSettings& s, const std::vector<ChainRecord>& chains) {
  std::vector<std::pair<float, float>> windows;
  for (const ChainStrokeGeometry& g : ComputeStrokeGeometry(s, chains, {}).chains) {
    for (const ArcWindow& w : {g.windowA, g.windowB}) {
      windows.push_back(w.present ? std::pair{w.t0, w.t1} : std::pair{-1.0f, -1.0f});
    }
  }
  return windows;
}
using WindowList = std::vector<std::pair<float, float>>;

TEST(StrokeGeometry, RevealWindowsWithStaggerNaturalSpeedAndPathOffset) {
  RenderSettings s;
  s.revealProgress = 0.5f;
  const std::vector<ChainRecord> two = {StraightChain(0, 0, 30, 3), StraightChain(0, 5, 10)};
  EXPECT_EQ(Windows(s, two), (WindowList{{0, 20}, {-1, -1}, {-1, -1}, {-1, -1}}));
  s.chainStagger = 1.0f;  // every chain at the same local progress; the global front still limits
  EXPECT_EQ(ComputeStrokeGeometry(s, two, {}).chains[1].local, 0.5f);
  EXPECT_EQ(Windows(s, two), (WindowList{{0, 15}, {-1, -1}, {-1, -1}, {-1, -1}}));
  s.naturalSpeed = true;  // the head runs to the end: only the revealed length limits
  EXPECT_EQ(Windows(s, two), (WindowList{{0, 15}, {-1, -1}, {0, 5}, {-1, -1}}));
  // Path Offset 0.5 starts the windows at L / 2 = 40 and wraps past the end; -0.25 wraps to 60.
  const std::vector<ChainRecord> three = {StraightChain(0, 0, 30), StraightChain(0, 5, 10), StraightChain(0, 9, 40)};
  s = RenderSettings{};
  s.pathOffset = 0.5f;
  EXPECT_EQ(Windows(s, three), (WindowList{{-1, -1}, {0, 30}, {-1, -1}, {0, 10}, {0, 40}, {-1, -1}}));
  s.pathOffset = -0.25f;
  EXPECT_EQ(Windows(s, three), (WindowList{{-1, -1}, {0, 30}, {-1, -1}, {0, 10}, {20, 40}, {0, 20}}));
}

TEST(StrokeGeometry, ExtractSubPath) {
  const ChainRecord chain = ChainThrough({{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}});
  const auto path = [&](float t0, float t1) {
    std::vector<std::pair<float, float>> points;
    for (const FloatPoint& p : ExtractSubPath(chain, t0, t1)) points.emplace_back(p.x, p.y);
    return points;
  };
  using Path = std::vector<std::pair<float, float>>;
  EXPECT_EQ(path(0, 1000), (Path{{0, 0}, {10, 0}, {10, 10}, {0, 10}}));  // the zero-length segment is dropped
  EXPECT_EQ(path(5, 17.5f), (Path{{5, 0}, {10, 0}, {10, 7.5f}}));
  EXPECT_EQ(path(22, 24), (Path{{8, 10}, {6, 10}}));
  EXPECT_TRUE(path(5, 5).empty() && ExtractSubPath(ChainThrough({{1, 1}}), 0.0f, 5.0f).empty());
}

}  // namespace
