#include "render/stroke_pieces.h"

#include <gtest/gtest.h>

namespace {

ChainRecord HorizontalChain(int32_t length) {
  ChainRecord chain;
  for (int32_t x = 0; x <= length; ++x) chain.points.push_back({x, 0});
  return chain;
}

ChainStrokeGeometry GeometryOf(const ChainRecord& chain, float width, float local) {
  ChainStrokeGeometry g;
  g.length = static_cast<float>(chain.points.size() - 1);
  g.drawable = true;
  g.widths.assign(chain.points.size(), width);
  g.local = local;
  g.revealed = local * g.length;
  return g;
}

TEST(StrokePieces, WindowCutsSegmentsAtItsEnds) {
  const ChainRecord chain = HorizontalChain(10);
  const ChainStrokeGeometry g = GeometryOf(chain, 3.0f, 1.0f);
  std::vector<StrokePiece> pieces;
  CutWindowIntoPieces(chain, g, {true, 2.5f, 5.25f}, 0.0f, pieces);
  ASSERT_EQ(pieces.size(), 4u);  // segments 3 to 6
  EXPECT_EQ(pieces[0].segment, 3u);
  EXPECT_EQ(pieces[0].q0.x, 2.5f);
  EXPECT_EQ(pieces[0].q1.x, 3.0f);
  EXPECT_EQ(pieces[0].frac, 0.5f);
  EXPECT_EQ(pieces[3].segment, 6u);
  EXPECT_EQ(pieces[3].q0.x, 5.0f);
  EXPECT_EQ(pieces[3].q1.x, 5.25f);
  EXPECT_EQ(pieces[3].a1, 0.525f);
  for (const StrokePiece& p : pieces) {
    EXPECT_EQ(p.r0, 3.0f);
    EXPECT_EQ(p.fade, 0.0f);  // the chain is fully revealed
  }
  CutWindowIntoPieces(chain, g, {false, 0.0f, 10.0f}, 0.0f, pieces);
  EXPECT_TRUE(pieces.empty());
}

TEST(StrokePieces, FullTaperNarrowsBothEndsToTheFloor) {
  const ChainRecord chain = HorizontalChain(40);
  const ChainStrokeGeometry g = GeometryOf(chain, 4.0f, 1.0f);
  std::vector<StrokePiece> pieces;
  CutWindowIntoPieces(chain, g, {true, 0.0f, 40.0f}, 1.0f, pieces);
  ASSERT_EQ(pieces.size(), 40u);
  EXPECT_EQ(pieces.front().r0, kWidthFloor);
  EXPECT_EQ(pieces.back().r1, kWidthFloor);
  EXPECT_EQ(pieces[19].r1, 4.0f);  // a = 0.5
  for (size_t i = 1; i < pieces.size(); ++i) EXPECT_EQ(pieces[i].r0, pieces[i - 1].r1);
}

TEST(StrokePieces, OnlyTheHeadOfAPartlyRevealedChainFades) {
  const ChainRecord chain = HorizontalChain(20);
  std::vector<StrokePiece> pieces;
  CutWindowIntoPieces(chain, GeometryOf(chain, 2.0f, 0.4f), {true, 0.0f, 8.5f}, 0.0f, pieces);
  ASSERT_EQ(pieces.size(), 9u);
  EXPECT_EQ(pieces.back().fade, kHeadFade);
  EXPECT_EQ(pieces.back().q1.x, 8.5f);
  for (size_t i = 0; i + 1 < pieces.size(); ++i) EXPECT_EQ(pieces[i].fade, 0.0f);

  // Sub-pixel float points are followed, zero-length segments skipped.
  ChainRecord floaty = HorizontalChain(3);
  floaty.fpoints = {{0.5f, 0.0f}, {1.5f, 0.0f}, {1.5f, 0.0f}, {3.5f, 0.0f}};
  ChainStrokeGeometry g = GeometryOf(floaty, 2.0f, 1.0f);
  CutWindowIntoPieces(floaty, g, {true, 0.0f, 3.0f}, 0.0f, pieces);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].q0.x, 0.5f);
  EXPECT_EQ(pieces[1].segment, 3u);
  EXPECT_EQ(pieces[1].segmentLength, 2.0f);
}

}  // namespace
