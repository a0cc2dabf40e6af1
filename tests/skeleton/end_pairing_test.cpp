#include "skeleton/end_pairing.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "tests/skeleton/test_masks.h"

namespace {

using test_masks::PairList;
using test_masks::Pairs;

// a runs from (0, 0) to (2, 0); b is placed so that each pairing in turn has
// the nearest ends, and the joined run passes through the seam.
TEST(EndPairing, EachPairingJoinsItsEndsAtTheSeam) {
  const std::vector<IntPoint> a = {{0, 0}, {2, 0}};
  struct Case {
    std::vector<IntPoint> b;
    EndPairing pairing;
    PairList joined;
  };
  const Case cases[] = {
      {{{3, 0}, {5, 0}}, EndPairing::kLastToFirst, {{0, 0}, {2, 0}, {3, 0}, {5, 0}}},
      {{{5, 0}, {3, 0}}, EndPairing::kLastToLast, {{0, 0}, {2, 0}, {3, 0}, {5, 0}}},
      {{{-1, 0}, {-3, 0}}, EndPairing::kFirstToFirst, {{2, 0}, {0, 0}, {-1, 0}, {-3, 0}}},
      {{{-3, 0}, {-1, 0}}, EndPairing::kFirstToLast, {{2, 0}, {0, 0}, {-1, 0}, {-3, 0}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NearestPairing(EndDistances(a, c.b)), c.pairing);
    EXPECT_EQ(NearestPairing(SquaredEndDistances(a, c.b)), c.pairing);
    EXPECT_EQ(Pairs(JoinAtEnds(a, c.b, c.pairing)), c.joined);
  }
  // Equal distances: the pairing listed first wins.
  EXPECT_EQ(NearestPairing({1.0f, 1.0f, 0.5f, 0.5f}), EndPairing::kFirstToFirst);
  EXPECT_EQ(NearestPairing({2.0f, 2.0f, 2.0f, 2.0f}), EndPairing::kLastToFirst);
}

}  // namespace
