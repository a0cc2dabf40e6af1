#include "skeleton/distance_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "bench/synthetic_text.h"
#include "skeleton/geometry_types.h"
#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::EmptyMask;

// A literal single-precision transcription of the transform's formulas.
DistanceField SinglePrecisionTransform(const ByteMask& mask) {
  const int32_t w = mask.width, h = mask.height;
  DistanceField field(static_cast<size_t>(std::max(0, w)) * static_cast<size_t>(std::max(0, h)), 0.0f);
  if (w < 1 || h < 1) return field;
  std::vector<float> g(field.size());
  for (int32_t x = 0; x < w; ++x) {
    float d = 0.0f;
    for (int32_t y = 0; y < h; ++y) {
      d = mask.cells[y * w + x] ? std::min(d + 1.0f, 1e10f) : 0.0f;
      g[y * w + x] = d;
    }
    d = 0.0f;
    for (int32_t y = h - 1; y >= 0; --y) {
      d = mask.cells[y * w + x] ? std::min(d + 1.0f, 1e10f) : 0.0f;
      g[y * w + x] = std::min(g[y * w + x], d);
    }
  }
  std::vector<float> f(w), z(w + 1), r(w);
  std::vector<int32_t> v(w);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t q = 0; q < w; ++q) f[q] = g[y * w + q] * g[y * w + q];
    auto s_of = [&](int32_t q, int32_t p) {
      const float fq = static_cast<float>(q), fp = static_cast<float>(p);
      return ((fq * fq + f[q]) - (fp * fp + f[p])) / ((fq - fp) + (fq - fp));
    };
    int32_t k = 0;
    v[0] = 0;
    z[0] = -1e20f;
    z[1] = 1e20f;
    for (int32_t q = 1; q < w; ++q) {
      float s = s_of(q, v[k]);
      while (z[k] >= s) {
        --k;
        s = s_of(q, v[k]);
      }
      ++k;
      v[k] = q;
      z[k] = s;
      z[k + 1] = 1e20f;
    }
    k = 0;
    for (int32_t q = 0; q < w; ++q) {
      while (static_cast<float>(q) > z[k + 1]) ++k;
      const float dq = static_cast<float>(q) - static_cast<float>(v[k]);
      r[q] = dq * dq + f[v[k]];
    }
    for (int32_t q = 0; q < w; ++q) field[y * w + q] = std::sqrt(r[q]);
  }
  return field;
}

// Nearest background among the grid's own background pixels and the virtual
// rows -1 and height, by exhaustive search.
DistanceField BruteForceTransform(const ByteMask& mask) {
  const int32_t w = mask.width, h = mask.height;
  std::vector<IntPoint> background;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (!mask.cells[static_cast<size_t>(y) * w + x]) background.push_back({x, y});
    }
  }
  DistanceField field(mask.cells.size(), 0.0f);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      if (!mask.cells[static_cast<size_t>(y) * w + x]) continue;
      const int64_t vertical = std::min(y + 1, h - y);
      int64_t best = vertical * vertical;
      for (IntPoint b : background) {
        const int64_t dx = b.x - x, dy = b.y - y;
        best = std::min(best, dx * dx + dy * dy);
      }
      field[static_cast<size_t>(y) * w + x] = static_cast<float>(std::sqrt(static_cast<double>(best)));
    }
  }
  return field;
}

size_t CountBitDifferences(const DistanceField& a, const DistanceField& b) {
  size_t differences = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0) ++differences;
  }
  return differences;
}

// A mostly set frame with a few background pixels, so distances grow large.
ByteMask SparseBackground(int32_t w, int32_t h, int32_t holes, uint32_t seed) {
  ByteMask mask = EmptyMask(w, h);
  std::fill(mask.cells.begin(), mask.cells.end(), uint8_t{1});
  std::mt19937 rng(seed);
  for (int32_t i = 0; i < holes; ++i) {
    const int32_t x = std::uniform_int_distribution<int32_t>(0, w - 1)(rng);
    const int32_t y = std::uniform_int_distribution<int32_t>(0, h - 1)(rng);
    mask.cells[static_cast<size_t>(y) * w + x] = 0;
  }
  return mask;
}

TEST(DistanceTransform, SmallKnownFields) {
  DistanceField field{1.0f, 2.0f};
  DistanceTransform(EmptyMask(0, 4), field);
  EXPECT_TRUE(field.empty());

  ByteMask none = EmptyMask(4, 3);
  DistanceTransform(none, field);
  EXPECT_EQ(field, DistanceField(12, 0.0f));

  ByteMask single = EmptyMask(5, 4);
  single.cells[2 * 5 + 3] = 1;
  DistanceTransform(single, field);
  DistanceField expected(20, 0.0f);
  expected[2 * 5 + 3] = 1.0f;
  EXPECT_EQ(field, expected);

  // Full masks: only the virtual rows are background, never the sides.
  ByteMask full = EmptyMask(6, 5);
  std::fill(full.cells.begin(), full.cells.end(), uint8_t{1});
  DistanceTransform(full, field);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(field[y * 6 + x], std::min(y + 1, 5 - y));
  }
  ByteMask narrow = EmptyMask(3, 7);
  std::fill(narrow.cells.begin(), narrow.cells.end(), uint8_t{1});
  DistanceTransform(narrow, field);
  EXPECT_EQ(field[3 * 3 + 0], 4.0f);
  EXPECT_EQ(field[3 * 3 + 2], 4.0f);

  ByteMask square = EmptyMask(9, 9);
  for (int32_t y = 2; y <= 6; ++y) {
    for (int32_t x = 2; x <= 6; ++x) square.cells[y * 9 + x] = 1;
  }
  DistanceTransform(square, field);
  EXPECT_EQ(field[2 * 9 + 4], 1.0f);
  EXPECT_EQ(field[3 * 9 + 3], 2.0f);
  EXPECT_EQ(field[4 * 9 + 4], 3.0f);
}

TEST(DistanceTransform, MatchesBruteForceOnGeneratedMasks) {
  for (const ByteMask& mask : test_masks::ManyMasks(30, 2000, 120)) {
    DistanceField field;
    DistanceTransform(mask, field);
    ASSERT_EQ(CountBitDifferences(field, BruteForceTransform(mask)), 0u) << mask.width << "x" << mask.height;
  }
}

TEST(DistanceTransform, MatchesSinglePrecisionFormulasBitForBitWhileTheyAreExact) {
  std::vector<ByteMask> masks = test_masks::ManyMasks(40, 3000, 300);
  masks.push_back(synthetic_text::MakeTextMask(3840, 2160, 5));
  // Sums close to 2^24: a row 4096 wide and a large square with distant background.
  masks.push_back(SparseBackground(4096, 3, 2, 11));
  masks.push_back(SparseBackground(2800, 2800, 3, 12));
  for (const ByteMask& mask : masks) {
    DistanceField field;
    DistanceTransform(mask, field);
    ASSERT_EQ(CountBitDifferences(field, SinglePrecisionTransform(mask)), 0u) << mask.width << "x" << mask.height;
  }
}

TEST(DistanceTransform, StaysExactWhereSinglePrecisionSumsWouldRound) {
  size_t singlePrecisionErrors = 0;
  const ByteMask masks[] = {SparseBackground(4700, 160, 40, 21), SparseBackground(4000, 3000, 6, 22),
                            SparseBackground(30000, 6, 4, 23)};
  for (const ByteMask& mask : masks) {
    DistanceField field;
    DistanceTransform(mask, field);
    const DistanceField exact = BruteForceTransform(mask);
    EXPECT_EQ(CountBitDifferences(field, exact), 0u) << mask.width << "x" << mask.height;
    singlePrecisionErrors += CountBitDifferences(SinglePrecisionTransform(mask), exact);
  }
  // These frames really exercise the rounding that the double sums avoid.
  EXPECT_GT(singlePrecisionErrors, 0u);
}

}  // namespace
