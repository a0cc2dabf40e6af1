#include "skeleton/thinning.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

ThinningTables gThinningTables;

bool BuildAtLoad() {
  InitThinningTables();
  return true;
}

[[maybe_unused]] const bool kThinningTablesBuilt = BuildAtLoad();

// Neighbour code of an interior pixel, read straight from the cells.
uint8_t NeighbourCode(const uint8_t* above, const uint8_t* row, const uint8_t* below, int32_t x) {
  uint32_t code = 0;
  if (above[x] != 0) code |= 1u;        // N
  if (above[x + 1] != 0) code |= 2u;    // NE
  if (row[x + 1] != 0) code |= 4u;      // E
  if (below[x + 1] != 0) code |= 8u;    // SE
  if (below[x] != 0) code |= 16u;       // S
  if (below[x - 1] != 0) code |= 32u;   // SW
  if (row[x - 1] != 0) code |= 64u;     // W
  if (above[x - 1] != 0) code |= 128u;  // NW
  return static_cast<uint8_t>(code);
}

// Marks every interior set pixel that the table allows to delete, then clears
// them all at once so that every decision sees the mask as it stood before.
bool ThinSubIteration(ByteMask& mask, const std::array<uint8_t, 256>& table,
                      std::vector<uint8_t>& marks) {
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  const size_t stride = static_cast<size_t>(width);
  std::fill(marks.begin(), marks.end(), uint8_t{0});
  bool changed = false;
  for (int32_t y = 1; y <= height - 2; ++y) {
    const uint8_t* row = mask.cells.data() + static_cast<size_t>(y) * stride;
    const uint8_t* above = row - stride;
    const uint8_t* below = row + stride;
    uint8_t* markRow = marks.data() + static_cast<size_t>(y) * stride;
    for (int32_t x = 1; x <= width - 2; ++x) {
      if (row[x] == 0) continue;
      if (table[NeighbourCode(above, row, below, x)] != 0) {
        markRow[x] = 1;
        changed = true;
      }
    }
  }
  for (size_t i = 0; i < marks.size(); ++i) {
    if (marks[i] != 0) mask.cells[i] = 0;
  }
  return changed;
}

}  // namespace

void BuildThinningTables(ThinningTables& tables) {
  for (uint32_t code = 0; code < 256; ++code) {
    int32_t p[8];
    int32_t setCount = 0;
    for (int32_t k = 0; k < 8; ++k) {
      p[k] = static_cast<int32_t>((code >> k) & 1u);
      setCount += p[k];
    }
    int32_t transitions = 0;
    for (int32_t k = 0; k < 8; ++k) {
      if (p[k] == 0 && p[(k + 1) % 8] == 1) ++transitions;
    }
    const int32_t n = p[0], e = p[2], s = p[4], w = p[6];
    uint8_t first = 0;
    uint8_t second = 0;
    if (setCount >= 2 && setCount <= 6 && transitions == 1) {
      first = (n * e * s == 0 && e * s * w == 0) ? 1 : 0;
      second = (n * e * w == 0 && n * s * w == 0) ? 1 : 0;
    }
    tables.first[code] = first;
    tables.second[code] = second;
  }
}

void InitThinningTables() { BuildThinningTables(gThinningTables); }

const ThinningTables& LoadedThinningTables() { return gThinningTables; }

void ThinZhangSuen(ByteMask& mask) {
  if (mask.width < 3 || mask.height < 3) return;
  std::vector<uint8_t> marks(static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height), 0);
  bool changed = true;
  while (changed) {
    changed = ThinSubIteration(mask, gThinningTables.first, marks);
    if (ThinSubIteration(mask, gThinningTables.second, marks)) changed = true;
  }
}

void TrimEndPixels(ByteMask& mask, int32_t iterations) {
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  // Without an interior no pixel can be marked, so the first iteration would stop.
  if (iterations <= 0 || width < 3 || height < 3) return;
  std::vector<uint8_t> marks(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  for (int32_t iteration = 1; iteration <= iterations; ++iteration) {
    std::fill(marks.begin(), marks.end(), uint8_t{0});
    bool marked = false;
    for (int32_t y = 1; y <= height - 2; ++y) {
      for (int32_t x = 1; x <= width - 2; ++x) {
        const size_t index = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
        if (mask.cells[index] != 0 && CountNeighbours(mask, x, y) < 2) {
          marks[index] = 1;
          marked = true;
        }
      }
    }
    if (!marked) return;
    for (size_t i = 0; i < marks.size(); ++i) {
      if (marks[i] != 0) mask.cells[i] = 0;
    }
  }
}
