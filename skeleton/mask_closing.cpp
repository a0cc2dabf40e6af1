#include "skeleton/mask_closing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// Dilation and erosion are both separable, and the erosion of row y needs the
// dilation of rows y - 1 to y + 1 only, which need mask rows y - 2 to y + 2: so
// the closing streams down the mask with three rows of each half-result and
// writes every finished row back in place, two rows behind the one it reads.
void CloseMask3x3(ByteMask& mask) {
  const int32_t w = mask.width;
  const int32_t h = mask.height;
  // Every cell within two pixels of the edge ends up 0, so below 5 x 5 all do.
  if (w < 5 || h < 5) {
    std::fill(mask.cells.begin(), mask.cells.end(), uint8_t{0});
    return;
  }
  const size_t width = static_cast<size_t>(w);
  std::vector<uint8_t> rows(7 * width, 0);
  uint8_t* const dilatedRow = &rows[6 * width];
  const auto across = [&](int32_t y) { return &rows[static_cast<size_t>(y % 3) * width]; };      // 3-wide OR
  const auto eroded = [&](int32_t y) { return &rows[static_cast<size_t>(3 + y % 3) * width]; };  // 3-wide AND
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* m = mask.Row(y);
    uint8_t* a = across(y);
    for (int32_t x = 1; x < w - 1; ++x) a[x] = (m[x - 1] | m[x] | m[x + 1]) != 0;
    if (y >= 2) {
      // Dilated row y - 1 (its first and last cells stay 0), then its 3-wide AND.
      const uint8_t* a0 = across(y - 2);
      const uint8_t* a1 = across(y - 1);
      for (int32_t x = 1; x < w - 1; ++x) dilatedRow[x] = a0[x] | a1[x] | a[x];
      uint8_t* e = eroded(y - 1);
      for (int32_t x = 2; x < w - 2; ++x) e[x] = dilatedRow[x - 1] & dilatedRow[x] & dilatedRow[x + 1];
    }
    if (y >= 4) {
      // Closed row y - 2; mask row y - 2 was last read for row y - 1's dilation.
      const uint8_t* e0 = eroded(y - 3);
      const uint8_t* e1 = eroded(y - 2);
      const uint8_t* e2 = eroded(y - 1);
      uint8_t* out = mask.Row(y - 2);
      out[0] = out[1] = out[w - 2] = out[w - 1] = 0;
      for (int32_t x = 2; x < w - 2; ++x) out[x] = e0[x] & e1[x] & e2[x];
    }
  }
  for (int32_t y : {0, 1, h - 2, h - 1}) std::fill_n(mask.Row(y), width, uint8_t{0});
}
