#include "skeleton/distance_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/skeleton/test_masks.h"

namespace {

// Nearest background among the grid's own background pixels and the virtual rows -1 and height, by exhaustive
// search; the sides are not background.
std::vector<float> BruteForceTransform(const ByteMask& mask) {
  const int32_t w = mask.width, h = mask.height;
  std::vector<IntPoint> background;
  for (int32_t i = 0; i < w * h; ++i) {
    if (!mask.cells[i]) background.push_back({i % w, i / w});
  }
  std::vector<float> field(mask.cells.size(), 0.0f);
  for (int32_t i = 0; i < w * h; ++i) {
    if (!mask.cells[i]) continue;
    const int64_t x = i % w, y = i / w, vertical = std::min<int64_t>(y + 1, h - y);
    int64_t best = vertical * vertical;
    for (IntPoint b : background) best = std::min(best, (b.x - x) * (b.x - x) + (b.y - y) * (b.y - y));
    field[i] = static_cast<float>(std::sqrt(static_cast<double>(best)));
  }
  return field;
}

// The transform's column pass and lower envelope transcribed in single precision.
std::vector<float> SinglePrecisionTransform(const ByteMask& mask) {
  const int32_t w = mask.width, h = mask.height;
  std::vector<float> g(mask.cells.size()), field(mask.cells.size());
  for (int32_t x = 0; x < w; ++x) {
    float d = 0.0f;
    for (int32_t y = 0; y < h; ++y) g[y * w + x] = d = mask.cells[y * w + x] ? std::min(d + 1.0f, 1e10f) : 0.0f;
    d = 0.0f;
    for (int32_t y = h - 1; y >= 0; --y) {
      d = mask.cells[y * w + x] ? std::min(d + 1.0f, 1e10f) : 0.0f;
      g[y * w + x] = std::min(g[y * w + x], d);
    }
  }
  std::vector<float> f(w), z(w + 1);
  std::vector<int32_t> v(w);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t q = 0; q < w; ++q) f[q] = g[y * w + q] * g[y * w + q];
    auto meet = [&](int32_t q, int32_t p) {
      const float fq = static_cast<float>(q), fp = static_cast<float>(p);
      return ((fq * fq + f[q]) - (fp * fp + f[p])) / ((fq - fp) + (fq - fp));
    };
    int32_t k = 0;
    v[0] = 0, z[0] = -1e20f, z[1] = 1e20f;
    for (int32_t q = 1; q < w; ++q) {
      float s = meet(q, v[k]);
      while (z[k] >= s) s = meet(q, v[--k]);
      ++k, v[k] = q, z[k] = s, z[k + 1] = 1e20f;
    }
    k = 0;
    for (int32_t q = 0; q < w; ++q) {
      while (static_cast<float>(q) > z[k + 1]) ++k;
      const float dq = static_cast<float>(q) - static_cast<float>(v[k]);
      field[y * w + q] = std::sqrt(dq * dq + f[v[k]]);
    }
  }
  return field;
}

// The transform as it was first written: a grid of column distances, then the envelope over every whole row in
// double precision, where all sums are exact integers.
std::vector<float> WholeRowTransform(const ByteMask& mask) {
  const int32_t w = mask.width, h = mask.height;
  std::vector<double> g(mask.cells.size()), f(w), z(w + 1);
  std::vector<int32_t> v(w);
  for (int32_t x = 0; x < w; ++x) {
    double d = 0.0;
    for (int32_t y = 0; y < h; ++y) g[size_t(y) * w + x] = d = mask.cells[size_t(y) * w + x] ? std::min(d + 1.0, 16777216.0) : 0.0;
    d = 0.0;
    for (int32_t y = h - 1; y >= 0; --y) {
      d = mask.cells[size_t(y) * w + x] ? std::min(d + 1.0, 16777216.0) : 0.0;
      g[size_t(y) * w + x] = std::min(g[size_t(y) * w + x], d);
    }
  }
  std::vector<float> field(mask.cells.size());
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t q = 0; q < w; ++q) f[q] = g[size_t(y) * w + q] * g[size_t(y) * w + q];
    auto meet = [&](double q, int32_t p) { return ((q * q + f[int32_t(q)]) - (double(p) * p + f[p])) / (2.0 * (q - p)); };
    int32_t k = 0;
    v[0] = 0, z[0] = -1e20, z[1] = 1e20;
    for (int32_t q = 1; q < w; ++q) {
      double s = meet(q, v[k]);
      while (z[k] >= s) s = meet(q, v[--k]);
      ++k, v[k] = q, z[k] = s, z[k + 1] = 1e20;
    }
    k = 0;
    for (int32_t q = 0; q < w; ++q) {
      while (q > z[k + 1]) ++k;
      field[size_t(y) * w + q] = static_cast<float>(std::sqrt(double(q - v[k]) * (q - v[k]) + f[v[k]]));
    }
  }
  return field;
}

// Whether the transform of mask, into a field with stale contents, gives exactly the expected floats and the
// mask's size.
bool TransformGives(const ByteMask& mask, const std::vector<float>& expected) {
  DistanceField field{{1.0f, 2.0f}, 2, 1};
  DistanceTransform(mask, field);
  const bool sized = expected.empty() ? field.width == 0 && field.height == 0
                                      : field.width == mask.width && field.height == mask.height;
  return sized && field.values == expected &&
         (expected.empty() || std::memcmp(field.values.data(), expected.data(), expected.size() * 4) == 0);
}

// A set frame with a few background pixels, so that distances grow large.
ByteMask SparseBackground(int32_t w, int32_t h, int32_t holes, uint32_t seed) {
  ByteMask mask{std::vector<uint8_t>(static_cast<size_t>(w) * h, 1), w, h};
  std::mt19937 rng(seed);
  for (int32_t i = 0; i < holes; ++i) MaskSet(mask, int32_t(rng() % uint32_t(w)), int32_t(rng() % uint32_t(h)), 0);
  return mask;
}

// Generated masks match the brute force and, bit for bit, the single-precision formulas; so do a 3840 x 2160 text
// frame and frames whose sums come close to 2^24, where single precision is still exact.
TEST(DistanceTransform, MatchesBruteForceAndSinglePrecisionFormulasWhileTheyAreExact) {
  EXPECT_TRUE(TransformGives(EmptyMask(0, 4), {}));
  std::vector<ByteMask> masks = test_masks::ManyMasks(50, 3000, 120);
  for (const ByteMask& mask : masks) {
    ASSERT_TRUE(TransformGives(mask, BruteForceTransform(mask))) << mask.width << "x" << mask.height;
  }
  masks.push_back(synthetic_text::MakeTextMask(3840, 2160, 5));
  masks.push_back(SparseBackground(4096, 3, 2, 11));
  masks.push_back(SparseBackground(2800, 2800, 3, 12));
  for (const ByteMask& mask : masks) {
    ASSERT_TRUE(TransformGives(mask, SinglePrecisionTransform(mask))) << mask.width << "x" << mask.height;
  }
}

// At the size limits (1 to 3 pixels wide, wider than 4096, inked borders) and on a frame with a single background
// pixel, which one envelope spans whole rows.
TEST(DistanceTransform, MatchesTheWholeRowEnvelopeAtTheSizeLimits) {
  std::vector<ByteMask> masks = test_masks::LimitMasks(3100);
  masks.push_back(SparseBackground(700, 500, 1, 13));
  masks.push_back(SparseBackground(5000, 40, 0, 14));
  for (const ByteMask& mask : masks) {
    ASSERT_TRUE(TransformGives(mask, WholeRowTransform(mask))) << mask.width << "x" << mask.height;
  }
}

TEST(DistanceTransform, CountsAnyNonZeroCellAsSet) {
  for (const ByteMask& mask : test_masks::ManyMasks(6, 3200)) {
    DistanceField expected;
    DistanceTransform(mask, expected);
    ASSERT_TRUE(TransformGives(test_masks::WithLargeValues(mask, 3201), expected.values)) << mask.width << "x" << mask.height;
  }
}

TEST(DistanceTransform, StaysExactOnFramesWhereSinglePrecisionSumsRound) {
  bool singlePrecisionWrong = false;
  for (const ByteMask& mask : {SparseBackground(4700, 160, 40, 21), SparseBackground(4000, 3000, 6, 22),
                               SparseBackground(30000, 6, 4, 23)}) {
    const std::vector<float> exact = BruteForceTransform(mask);
    EXPECT_TRUE(TransformGives(mask, exact)) << mask.width << "x" << mask.height;
    singlePrecisionWrong |= exact != SinglePrecisionTransform(mask);
  }
  EXPECT_TRUE(singlePrecisionWrong);  // the frames really reach the rounding
}

}  // namespace
