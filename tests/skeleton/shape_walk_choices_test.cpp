// The walk's choices among several free edges against every branch measured to its end, on skeletons made to
// stress them: meshes where every candidate reaches everything (noise), equal cells whose branch lengths tie
// exactly (lattices), many stroke ends of one length (combs) and text, with every option.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "skeleton/extract_chains_graph.h"
#include "skeleton/extract_chains_simple.h"
#include "skeleton/thinning.h"
#include "tests/skeleton/shape_walk_reference.h"
#include "tests/skeleton/test_masks.h"

namespace {

using namespace test_masks;

enum class Kind { kNoise, kLattice, kDiagonalLattice, kComb, kText };

// Grid lines every `cell` pixels; with `diagonals`, each cell crossed corner to corner as well.
ByteMask Lattice(int32_t width, int32_t height, int32_t cell, bool diagonals) {
  ByteMask mask = EmptyMask(width, height);
  for (int32_t y = 1; y < height - 1; y += cell) DrawRun(mask, {{1, y}, {width - 2, y}});
  for (int32_t x = 1; x < width - 1; x += cell) DrawRun(mask, {{x, 1}, {x, height - 2}});
  for (int32_t y = 1; diagonals && y + cell < height - 1; y += cell) {
    for (int32_t x = 1; x + cell < width - 1; x += cell) DrawRun(mask, {{x, y}, {x + cell, y + cell}});
  }
  return mask;
}

// Two spines joined at both ends, each with teeth of one length every `gap` pixels, alternately above and below.
ByteMask Comb(int32_t width, int32_t height, int32_t tooth, int32_t gap) {
  ByteMask mask = EmptyMask(width, height);
  const int32_t top = height / 3, bottom = 2 * height / 3;
  DrawRun(mask, {{2, top}, {width - 3, top}, {width - 3, bottom}, {2, bottom}, {2, top}});
  for (int32_t x = 2 + gap, k = 0; x < width - 3; x += gap, ++k) {
    for (const int32_t spine : {top, bottom}) {
      const int32_t end = k % 2 == 0 ? spine - tooth : spine + tooth / 2;
      DrawRun(mask, {{x, spine}, {x, std::clamp(end, 0, height - 1)}});
    }
  }
  return mask;
}

ByteMask Skeleton(Kind kind, int32_t width, int32_t height, std::mt19937& rng) {
  auto below = [&](int32_t n) { return static_cast<int32_t>(rng() % static_cast<uint32_t>(n)); };
  ByteMask mask;
  switch (kind) {
    case Kind::kNoise: {
      mask = EmptyMask(width, height);
      const int32_t percent = 35 + below(30);
      for (uint8_t& cell : mask.cells) cell = below(100) < percent ? 1 : 0;
      break;
    }
    case Kind::kLattice: return Lattice(width, height, 4 + below(6), false);
    case Kind::kDiagonalLattice: return Lattice(width, height, 5 + below(6), true);
    case Kind::kComb: return Comb(width, height, 8 + below(20), 3 + below(5));
    case Kind::kText: mask = synthetic_text::MakeTextMask(width, height, rng(), 12 + below(30)); break;
  }
  ThinZhangSuen(mask);
  return mask;
}

// Start hints on or beside set pixels, some outside every shape.
std::vector<FloatPoint> Seeds(const ByteMask& mask, std::mt19937& rng) {
  std::vector<FloatPoint> seeds;
  for (size_t i = 0; i < 6 && !mask.cells.empty(); ++i) {
    const size_t index = rng() % mask.cells.size();
    seeds.push_back({float(index % size_t(mask.width)) + float(rng() % 7) - 3.0f,
                     float(index / size_t(mask.width)) + float(rng() % 7) - 3.0f});
  }
  return seeds;
}

TEST(ShapeWalkChoices, ExtractionMatchesFullMeasurementOfEveryBranch) {
  struct Case {
    Kind kind;
    int32_t width, height, runs;
  };
  const Case cases[] = {
      {Kind::kNoise, 24, 24, 40},           {Kind::kNoise, 48, 40, 12},   {Kind::kNoise, 80, 64, 3},
      {Kind::kLattice, 40, 30, 30},         {Kind::kLattice, 97, 61, 5},  {Kind::kDiagonalLattice, 45, 45, 12},
      {Kind::kDiagonalLattice, 91, 70, 4},  {Kind::kComb, 80, 60, 20},    {Kind::kComb, 200, 90, 6},
      {Kind::kText, 120, 80, 16},           {Kind::kText, 260, 140, 4},
  };
  const float biases[] = {-1.0f, -0.55f, -0.2f, 0.0f, 0.35f, 1.0f};
  int32_t compared = 0;
  for (const Case& c : cases) {
    for (int32_t run = 0; run < c.runs; ++run) {
      std::mt19937 rng(static_cast<uint32_t>(run * 131 + c.width));
      const ByteMask mask = Skeleton(c.kind, c.width, c.height, rng);
      const float minLength = static_cast<float>(rng() % 4 == 0 ? 0 : rng() % 25);
      const FloatPoint start{float(rng() % uint32_t(c.width + 20)) - 10.0f, float(rng() % uint32_t(c.height + 20)) - 10.0f};
      const bool smart = rng() % 4 != 0, directional = rng() % 3 == 0;
      const float bias = biases[rng() % std::size(biases)];
      std::vector<ChainRecord> simple;
      if (rng() % 3 == 0) simple = ExtractChainsSimple(mask, {5.0f, minLength, {smart, bias}});
      const std::vector<FloatPoint> seeds = rng() % 2 != 0 ? Seeds(mask, rng) : std::vector<FloatPoint>{};
      const auto fast = ExtractChainsGraph(mask, {minLength, start, directional, {smart, bias}}, seeds, simple);
      const auto full = shape_walk_reference::Extract(mask, minLength, start, smart, bias, directional, simple, seeds);
      ASSERT_TRUE(SameChains(fast, full)) << "kind " << int(c.kind) << " size " << c.width << "x" << c.height
                                          << " run " << run;
      compared += fast.empty() ? 0 : 1;
    }
  }
  EXPECT_GT(compared, 150);
}

}  // namespace
