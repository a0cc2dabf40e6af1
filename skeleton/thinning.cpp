#include "skeleton/thinning.h"

// Zhang-Suen thinning. With B the number of set neighbours of a set pixel and
// A the number of clear-to-set steps going once round them (N, NE, ... NW,
// back to N), a sub-iteration deletes every pixel with 2 <= B <= 6 and A = 1:
// B >= 2 spares the ends of a line, B <= 6 pixels inside the shape, and A = 1
// pixels whose removal would split what they join. The two sub-iterations
// also spare pixels on the opposite sides (N*E*S = 0 and E*S*W = 0 first, then
// N*E*W = 0 and N*S*W = 0), so a shape is peeled from the south-east and then
// from the north-west and its skeleton stays in the middle. Each sub-iteration
// decides on the mask as it stood when it began; passes repeat until neither
// deletes a pixel.
//
// End trimming removes the pixels with fewer than two set neighbours, one
// layer per iteration: every open end shortens by a pixel, and the one-pixel
// whiskers that thinning leaves along ragged edges go.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <vector>

#include "skeleton/index_at.h"
#include "skeleton/row_scan.h"
#include "skeleton/tiled_mask.h"

namespace {

// The pixels of a tile that a sub-iteration deletes, 64 at a time: the same
// decisions as testing each set pixel's eight neighbours one by one.
// around points at the tile in the middle of its 3 x 3 block of tiles, whose
// rows lie stride apart. A neighbour code has exactly one 0-to-1 step round
// the circle when its set neighbours form one arc; 2 <= B <= 6 then means the
// arc holds two adjacent set neighbours and the rest two adjacent clear ones.
template <bool kFirstSubIteration>
uint64_t DeletableBits(const uint64_t* around, size_t stride) {
  const uint64_t* above = around - stride;
  const uint64_t* below = around + stride;
  const uint64_t centre = around[0];
  const uint64_t n = NorthNeighbours(centre, above[0]);
  const uint64_t s = SouthNeighbours(centre, below[0]);
  const uint64_t ne = EastNeighbours(n, NorthNeighbours(around[1], above[1]));
  const uint64_t nw = WestNeighbours(n, NorthNeighbours(around[-1], above[-1]));
  const uint64_t se = EastNeighbours(s, SouthNeighbours(around[1], below[1]));
  const uint64_t sw = WestNeighbours(s, SouthNeighbours(around[-1], below[-1]));
  const uint64_t e = EastNeighbours(centre, around[1]);
  const uint64_t w = WestNeighbours(centre, around[-1]);
  const uint64_t ring[9] = {n, ne, e, se, s, sw, w, nw, n};
  uint64_t oneStep = 0;
  uint64_t moreSteps = 0;
  uint64_t adjacentSet = 0;
  uint64_t adjacentClear = 0;
  for (int32_t k = 0; k < 8; ++k) {
    const uint64_t step = ~ring[k] & ring[k + 1];
    moreSteps |= oneStep & step;
    oneStep |= step;
    adjacentSet |= ring[k] & ring[k + 1];
    adjacentClear |= ~(ring[k] | ring[k + 1]);
  }
  // The first sub-iteration keeps N*E*S = 0 and E*S*W = 0, the second N*E*W = 0 and N*S*W = 0.
  const uint64_t kept = kFirstSubIteration ? ~(e & s & (n | w)) : ~(n & w & (e | s));
  return centre & oneStep & ~moreSteps & adjacentSet & adjacentClear & kept;
}

// Deletions found in one tile of a tile row.
struct TileDeletion {
  int32_t tx;
  uint64_t bits;
};

// Zhang-Suen on the tiled mask. A pixel's decision depends only on its 3 x 3
// neighbourhood, and a set pixel that a sub-iteration spared stays spared by it while
// that neighbourhood is unchanged. So after the first pass a sub-iteration
// looks only at tiles holding a pixel next to (or at) a pixel deleted in the
// two sub-iterations before it (since it last ran); every other
// set pixel would be spared again. Tile rows are decided in order, and a tile
// row's deletions are made only once the tile row below it has been decided,
// so every decision still sees the mask as it stood at the start of the
// sub-iteration.
struct TiledThinning {
  TiledMask tiled;
  // Per tile column and per tile row, the bits of pixels in columns 1 ...
  // width - 2 and in rows 1 ... height - 2: the pixels thinning may delete.
  std::vector<uint64_t> interiorColumns;
  std::vector<uint64_t> interiorRows;
  size_t flagWordsPerRow = 0;
  // One bit per tile that a sub-iteration's deletions touched; three
  // generations used in turn, each flagWordsPerRow words per tile row.
  std::vector<uint64_t> touched[3];
  std::vector<TileDeletion> rowDeletions;
  std::vector<TileDeletion> aboveDeletions;  // of the tile row above, not yet made
};

TiledThinning StartThinning(const ByteMask& mask) {
  TiledThinning state;
  state.tiled = TileMask(mask);
  const TiledMask& tiled = state.tiled;
  for (int32_t tx = 0; tx < tiled.tileColumns; ++tx) {
    state.interiorColumns.push_back(TileBitsInside(tx, 0, 1, mask.width - 2, 0, 7));
  }
  for (int32_t ty = 0; ty < tiled.tileRows; ++ty) {
    state.interiorRows.push_back(TileBitsInside(0, ty, 0, 7, 1, mask.height - 2));
  }
  // One spare bit on either side takes the flags of the ring's tiles.
  state.flagWordsPerRow = (static_cast<size_t>(tiled.tileColumns) + 2 + 63) / 64;
  for (std::vector<uint64_t>& flags : state.touched) {
    flags.assign(state.flagWordsPerRow * (static_cast<size_t>(tiled.tileRows) + 2), 0);
  }
  return state;
}

// Flags the tiles from column tx - 1 (when bit 0 of which is set) to tx + 1
// (bit 2) in tile row ty, ring tiles included.
void FlagTiles(TiledThinning& state, std::vector<uint64_t>& flags, int32_t tx, int32_t ty, uint64_t which) {
  if (which == 0) return;
  const auto first = static_cast<size_t>(tx);  // flag bit of column tx - 1
  uint64_t* row = flags.data() + static_cast<size_t>(ty + 1) * state.flagWordsPerRow;
  row[first / 64] |= which << (first % 64);
  if (first % 64 > 61) row[first / 64 + 1] |= which >> (64 - first % 64);
}

// Makes the tile row's pending deletions and flags every tile that holds a
// deleted pixel or a neighbour of one.
void MakeDeletions(TiledThinning& state, int32_t ty, const std::vector<TileDeletion>& deletions,
                   std::vector<uint64_t>& flags) {
  for (const TileDeletion& deletion : deletions) {
    const uint64_t bits = deletion.bits;
    *state.tiled.At(deletion.tx, ty) &= ~bits;
    // Bit c: column c of the tile lost a pixel.
    uint64_t columns = bits | (bits >> 32);
    columns |= columns >> 16;
    columns |= columns >> 8;
    const uint64_t topRow = (bits & 0xFFu) != 0 ? 1u : 0u;
    const uint64_t bottomRow = (bits >> 56) != 0 ? 1u : 0u;
    // Bits 0, 1, 2 of each: the left, middle and right tile to flag in the
    // tile row above, in this one and in the one below.
    const uint64_t middle = 2u | (columns & 1u) | (((columns >> 7) & 1u) << 2);
    const uint64_t above = (topRow << 1) | (bits & 1u) | (((bits >> 7) & 1u) << 2);
    const uint64_t below = (bottomRow << 1) | ((bits >> 56) & 1u) | ((bits >> 63) << 2);
    FlagTiles(state, flags, deletion.tx, ty - 1, above);
    FlagTiles(state, flags, deletion.tx, ty, middle);
    FlagTiles(state, flags, deletion.tx, ty + 1, below);
  }
}

template <bool kFirstSubIteration>
void DecideTile(TiledThinning& state, int32_t tx, int32_t ty) {
  const uint64_t* tile = state.tiled.At(tx, ty);
  if (*tile == 0) return;
  const uint64_t bits = DeletableBits<kFirstSubIteration>(tile, state.tiled.tileStride) &
                        At(state.interiorColumns, tx) & At(state.interiorRows, ty);
  if (bits != 0) state.rowDeletions.push_back({tx, bits});
}

// One sub-iteration; the first pass (everyTile) looks at every tile.
template <bool kFirstSubIteration>
bool ThinSubIteration(TiledThinning& state, uint32_t subIteration, bool everyTile) {
  std::vector<uint64_t>& touchedNow = state.touched[subIteration % 3];
  const std::vector<uint64_t>& touchedBefore = state.touched[(subIteration + 2) % 3];
  const std::vector<uint64_t>& touchedTwoBefore = state.touched[(subIteration + 1) % 3];
  std::fill(touchedNow.begin(), touchedNow.end(), 0);
  const int32_t tileRows = state.tiled.tileRows;
  const int32_t tileColumns = state.tiled.tileColumns;
  bool deleted = false;
  state.aboveDeletions.clear();
  for (int32_t ty = 0; ty < tileRows; ++ty) {
    state.rowDeletions.clear();
    if (everyTile) {
      for (int32_t tx = 0; tx < tileColumns; ++tx) DecideTile<kFirstSubIteration>(state, tx, ty);
    } else {
      const size_t row = static_cast<size_t>(ty + 1) * state.flagWordsPerRow;
      for (size_t f = 0; f < state.flagWordsPerRow; ++f) {
        for (uint64_t flags = touchedBefore[row + f] | touchedTwoBefore[row + f]; flags != 0; flags &= flags - 1) {
          const auto tx = static_cast<int32_t>(f * 64 + static_cast<size_t>(std::countr_zero(flags))) - 1;
          if (tx >= 0 && tx < tileColumns) DecideTile<kFirstSubIteration>(state, tx, ty);
        }
      }
    }
    deleted = deleted || !state.rowDeletions.empty();
    MakeDeletions(state, ty - 1, state.aboveDeletions, touchedNow);
    state.aboveDeletions.swap(state.rowDeletions);
  }
  MakeDeletions(state, tileRows - 1, state.aboveDeletions, touchedNow);
  return deleted;
}

}  // namespace

void ThinZhangSuen(ByteMask& mask) {
  if (mask.width < 3 || mask.height < 3) return;
  TiledThinning state = StartThinning(mask);
  const TiledMask before = state.tiled;
  bool changed = true;
  for (uint32_t subIteration = 0; changed; subIteration += 2) {
    const bool firstPass = subIteration == 0;
    changed = ThinSubIteration<true>(state, subIteration, firstPass);
    if (ThinSubIteration<false>(state, subIteration + 1, firstPass)) changed = true;
  }
  ClearCellsGoneFromTiles(mask, before, state.tiled);
}

void TrimEndPixels(ByteMask& mask, int32_t iterations) {
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  // Without an interior no pixel can be marked, so the first iteration would stop.
  if (iterations <= 0 || width < 3 || height < 3) return;
  const size_t stride = static_cast<size_t>(width);
  // The pixels an iteration removes, all found before any is cleared.
  std::vector<size_t> ends;
  for (int32_t iteration = 1; iteration <= iterations; ++iteration) {
    ends.clear();
    for (int32_t y = 1; y <= height - 2; ++y) {
      const uint8_t* row = mask.Row(y);
      for (int32_t x = NextSetCell(row, 1, width - 1); x < width - 1; x = NextSetCell(row, x + 1, width - 1)) {
        if (InteriorNeighbourSum(row, stride, x) < 2) ends.push_back(mask.Index(x, y));
      }
    }
    if (ends.empty()) return;
    for (const size_t index : ends) mask.cells[index] = 0;
  }
}
