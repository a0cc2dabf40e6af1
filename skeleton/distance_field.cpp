#include "skeleton/distance_field.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "skeleton/index_at.h"
#include "skeleton/row_scan.h"

// Felzenszwalb-Huttenlocher: linear column distances (rows -1 and height
// count as background, the columns beyond the sides do not), then the lower
// envelope of parabolas along every row. A pixel x of a row lies at squared
// distance min over q of (x - q)^2 + g(q)^2 from the background, g(q) being
// column q's distance: each column contributes one parabola of the same shape,
// shifted to q and raised by g(q)^2, and the lowest of them at x is the answer.
// Two such parabolas cross exactly once, so the envelope is built left to right
// on a stack: a new parabola pops every one it undercuts from where that one's
// stretch of the envelope begins, and its own stretch starts where it crosses
// the one left on top; one pass then reads the envelope off.
//
// Every value is an integer, so the whole transform runs in exact integer
// arithmetic: each pixel gets the true minimum of (x - q)^2 + g(q)^2 over
// the columns q of its row, g being the column distance. A float column
// distance stops growing at 2^24, where d + 1 rounds back to d; the integer
// one is capped there to match. Where float sums stay below 2^24 the float
// formulas also find the true minimum, so the field is bit for bit theirs.
//
// Along a row a background pixel (g = 0) is nearer to every pixel on its far
// side than any parabola beyond it, so each run of set pixels needs only its
// own parabolas and those of the background pixels just outside it; the
// field of a background pixel is 0.
namespace {

constexpr uint32_t kColumnCap = 1u << 24;

// Moves each column's distance to the nearest background above on one more
// row: one further where the cell is set, 0 where it is not. Branch-free, so it
// runs on vector registers.
void StepColumnDistances(const uint8_t* cells, uint32_t* running, int32_t width) {
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t set = 0u - static_cast<uint32_t>(cells[x] != 0);
    running[x] = std::min(running[x] + 1, kColumnCap) & set;
  }
}

// Lower envelope of the parabolas (x - position)^2 + offset over integer x,
// built with exact integer intersections (Meijster's form of the transform).
struct ParabolaEnvelope {
  std::vector<int64_t> vertex;  // positions of the parabolas on the envelope
  std::vector<int64_t> offset;  // their squared column distances
  std::vector<int64_t> from;    // first x where each one is lowest
  size_t count = 0;
};

// Working rows of the row pass, sized once per transform.
struct RowWork {
  ParabolaEnvelope envelope;
  std::vector<double> squared;    // the envelope's values along a run
  std::vector<int16_t> reach;     // per pixel of a run, the root of an upper bound of its value
  std::vector<int16_t> windowed;  // squared column distances of a run and beyond, for the window search
  std::vector<int16_t> nearest;   // the window search's values along a run
};

// The window search looks this far at most; wider runs of thick ink take the
// envelope, whose cost does not grow with the distances.
constexpr int32_t kMaxWindow = 32;
// In the window search every value is at most (kMaxWindow + 1)^2; a column
// distance above kMaxWindow + 1 can never be nearest there, nor can columns
// beyond the run. Both are held as kFarSquared, which keeps every sum within
// 16 bits.
constexpr int16_t kFarSquared = 64 * 64;

// The square roots of the values the window search can give, as the general
// path takes them.
struct SmallRoots {
  float root[(kMaxWindow + 1) * (kMaxWindow + 1) + 1];
};

const SmallRoots kSmallRoots = [] {
  SmallRoots roots;
  for (int32_t v = 0; v <= (kMaxWindow + 1) * (kMaxWindow + 1); ++v) {
    roots.root[v] = static_cast<float>(std::sqrt(static_cast<double>(v)));
  }
  return roots;
}();

int64_t ParabolaAt(int64_t x, int64_t vertex, int64_t offset) { return (x - vertex) * (x - vertex) + offset; }

// Adds a parabola to the right of all added so far; the envelope is wanted
// for x in first ... last.
inline void AddParabola(ParabolaEnvelope& envelope, int64_t vertex, int64_t offset, int64_t first, int64_t last) {
  size_t& k = envelope.count;
  while (k > 0 && ParabolaAt(envelope.from[k - 1], envelope.vertex[k - 1], envelope.offset[k - 1]) >
                      ParabolaAt(envelope.from[k - 1], vertex, offset)) {
    --k;
  }
  if (k == 0) {
    envelope.vertex[0] = vertex;
    envelope.offset[0] = offset;
    envelope.from[0] = first;
    k = 1;
    return;
  }
  // The last x where the previous parabola is at least as low; the numerator
  // is not negative because that x is not left of where it starts.
  const int64_t previous = envelope.vertex[k - 1];
  const int64_t numerator = vertex * vertex - previous * previous + offset - envelope.offset[k - 1];
  const int64_t denominator = 2 * (vertex - previous);
  // Below 2^53 the double quotient is the exact one or rounds to no integer,
  // so truncating it gives the integer quotient without a slow division.
  const int64_t quotient = numerator < (int64_t{1} << 53)
                               ? static_cast<int64_t>(static_cast<double>(numerator) / static_cast<double>(denominator))
                               : numerator / denominator;
  const int64_t start = 1 + quotient;
  if (start > last) return;
  envelope.vertex[k] = vertex;
  envelope.offset[k] = offset;
  envelope.from[k] = start;
  ++k;
}

// The envelope's values along the run first ... last into work.squared.
void EnvelopeAlongRun(const int64_t* g, int32_t first, int32_t last, int32_t width, RowWork& work) {
  ParabolaEnvelope& envelope = work.envelope;
  envelope.count = 0;
  if (first > 0) AddParabola(envelope, first - 1, 0, first, last);
  for (int32_t q = first; q <= last; ++q) AddParabola(envelope, q, g[q] * g[q], first, last);
  if (last < width - 1) AddParabola(envelope, last + 1, 0, first, last);
  size_t k = 0;
  for (int32_t x = first; x <= last; ++x) {
    while (k + 1 < envelope.count && envelope.from[k + 1] <= x) ++k;
    At(work.squared, x - first) = static_cast<double>(ParabolaAt(x, envelope.vertex[k], envelope.offset[k]));
  }
}

// The same values by trying, for every pixel, each parabola whose vertex lies
// within window columns. A pixel's value is at most reach^2 (its own column
// distance or the background just outside the run); any other parabola of the
// run adds at least 1 to its squared horizontal distance, so only vertices
// nearer than reach can come lower. Branch-free over the run in 16-bit lanes,
// so it runs on vector registers eight pixels at a time.
void WindowAlongRun(const int64_t* g, int32_t first, int32_t last, int32_t width, int32_t window, RowWork& work,
                    float* out) {
  const int32_t length = last - first + 1;
  // Squared column distances from window columns before the run to window
  // columns after it. The background just outside the run is already in
  // each pixel's reach.
  int16_t* windowed = work.windowed.data();
  std::fill(windowed, windowed + length + 2 * window, kFarSquared);
  int16_t* own = windowed + window;
  for (int32_t i = 0; i < length; ++i) {
    const auto column = static_cast<int16_t>(std::min<int64_t>(g[first + i], 64));
    own[i] = static_cast<int16_t>(column * column);
  }
  int16_t* nearest = work.nearest.data();
  const int16_t* reach = work.reach.data();
  for (int32_t i = 0; i < length; ++i) nearest[i] = static_cast<int16_t>(reach[i] * reach[i]);
  // A pixel i places from background on the left has a reach of at most
  // i + 1, so vertices k away matter only from i = k on; likewise on the right.
  const int32_t leftWall = first > 0 ? 1 : 0;
  const int32_t rightWall = last < width - 1 ? 1 : 0;
  for (int32_t k = 1; k <= window; ++k) {
    const auto across = static_cast<int16_t>(k * k);
    const int16_t* before = own - k;
    const int16_t* after = own + k;
    const int32_t end = length - rightWall * k;
    for (int32_t i = leftWall * k; i < end; ++i) {
      nearest[i] = std::min(nearest[i], static_cast<int16_t>(std::min(before[i], after[i]) + across));
    }
  }
  for (int32_t i = 0; i < length; ++i) out[first + i] = kSmallRoots.root[nearest[i]];
}

// The field of a run whose column distances are all equal (a run across a
// solid block), or false when they differ. Any other parabola of such a run
// lies higher at a pixel than its own, so each pixel gets the nearer of its
// column distance and the background beside the run.
bool EqualColumnsRun(const int64_t* g, int32_t first, int32_t last, int32_t width, float* out) {
  const int64_t column = g[first];
  for (int32_t x = first + 1; x <= last; ++x) {
    if (g[x] != column) return false;
  }
  for (int32_t x = first; x <= last; ++x) {
    int64_t nearest = column;
    if (first > 0) nearest = std::min<int64_t>(nearest, x - first + 1);
    if (last < width - 1) nearest = std::min<int64_t>(nearest, last + 1 - x);
    out[x] = static_cast<float>(nearest);  // the root of a square, exact
  }
  return true;
}

// The field of the run of set pixels first ... last of a row, whose column
// distances are g; background lies just outside it unless at the row's ends.
void TransformRun(const int64_t* g, int32_t first, int32_t last, int32_t width, RowWork& work, float* out) {
  const int32_t length = last - first + 1;
  // Each pixel's value is at most its reach squared: its own column distance
  // or the distance to the background just outside the run.
  int32_t widest = 0;
  for (int32_t i = 0; i < length; ++i) {
    int64_t reach = g[first + i];
    if (first > 0) reach = std::min<int64_t>(reach, i + 1);
    if (last < width - 1) reach = std::min<int64_t>(reach, length - i);
    const auto bounded = static_cast<int16_t>(std::min<int64_t>(reach, kMaxWindow + 1));
    At(work.reach, i) = bounded;
    widest = std::max<int32_t>(widest, bounded);
  }
  if (widest <= kMaxWindow) {
    WindowAlongRun(g, first, last, width, widest - 1, work, out);
    return;
  }
  if (EqualColumnsRun(g, first, last, width, out)) return;
  EnvelopeAlongRun(g, first, last, width, work);
  // The square root of an integer below 2^53 taken in double and rounded to
  // float is its correctly rounded float square root.
  for (int32_t i = 0; i < length; ++i) out[first + i] = static_cast<float>(std::sqrt(At(work.squared, i)));
}

// Row of the first clear cell below the set cell (x, y); height when none.
int64_t NextClearBelow(const ByteMask& mask, int32_t x, int32_t y) {
  const size_t stride = static_cast<size_t>(mask.width);
  int32_t row = y + 1;
  size_t index = mask.Index(x, row);
  for (; row < mask.height && mask.cells[index] != 0; index += stride) ++row;
  return row;
}

}  // namespace

void DistanceTransform(const ByteMask& mask, DistanceField& field) {
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  if (width < 1 || height < 1) {
    field.values.assign(0, 0.0f);
    field.width = field.height = 0;
    return;
  }
  const size_t stride = static_cast<size_t>(width);
  // Every entry is written below.
  field.values.resize(stride * static_cast<size_t>(height));
  field.width = width;
  field.height = height;

  // Row by row from the top. Per column: the distance to the nearest
  // background above (row -1 counts), stepped every row, and the row of the
  // nearest background at or below, found by walking down the column when a
  // run of set cells starts and kept until the walk has been passed.
  std::vector<uint32_t> above(stride, 0);
  std::vector<int64_t> clearBelow(stride, -1);
  std::vector<int64_t> columnDistance(stride);
  RowWork work;
  work.envelope.vertex.resize(stride + 2);
  work.envelope.offset.resize(stride + 2);
  work.envelope.from.resize(stride + 2);
  work.reach.resize(stride);
  work.windowed.resize(stride + 2 * kMaxWindow);
  work.nearest.resize(stride);
  work.squared.resize(stride);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* cells = mask.Row(y);
    float* out = field.values.data() + static_cast<size_t>(y) * stride;
    StepColumnDistances(cells, above.data(), width);
    int32_t clearFrom = 0;
    for (int32_t x = NextSetCell(cells, 0, width); x < width; x = NextSetCell(cells, x, width)) {
      std::fill(out + clearFrom, out + x, 0.0f);
      const int32_t end = NextClearCell(cells, x, width);
      for (int32_t q = x; q < end; ++q) {
        if (At(clearBelow, q) < y) At(clearBelow, q) = NextClearBelow(mask, q, y);
        const int64_t below = std::min<int64_t>(At(clearBelow, q) - y, kColumnCap);
        At(columnDistance, q) = std::min<int64_t>(At(above, q), below);
      }
      TransformRun(columnDistance.data(), x, end - 1, width, work, out);
      x = clearFrom = end;
    }
    std::fill(out + clearFrom, out + width, 0.0f);
  }
}
