#include "skeleton/bezier_fit.h"

// Least-squares fit of cubic Bezier segments to a run of points (Schneider's
// method). The points are parameterised by chord length, t_i in [0, 1]; the end
// points are kept and the inner control points lie on the end tangents,
// P1 = P0 + a1 * tHat1 and P2 = P3 + a2 * tHat2. Minimising the summed squared
// distance between the points and B(t_i) over a1 and a2 gives a 2 x 2 linear
// system (the sums c00, c01, c11 and x0, x1), solved by Cramer's rule. When it
// is singular, or gives a handle shorter than kMinHandleLength or pointing
// backwards, both handles fall back to a third of the chord, the length that
// makes a straight segment move at even speed; no handle grows beyond the
// chord, which keeps a segment from looping. A segment whose worst point lies
// `tolerance` or more away is split there, the new joint taking the direction
// from its previous to its next point on both sides, so the curve stays smooth.

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "skeleton/index_at.h"

namespace {

constexpr float kMinTangentLength = 1e-6f;
constexpr float kMinChordLength = 1e-6f;
constexpr float kMinDeterminant = 1e-10f;
constexpr float kMinHandleLength = 1e-6f;

// Unit vector, or (0, 0) for a vector too short to have a direction.
FloatPoint UnitTangent(FloatPoint v) {
  const float length = Length(v);
  if (length <= kMinTangentLength) return FloatPoint{0.0f, 0.0f};
  return FloatPoint{v.x / length, v.y / length};
}

const FloatPoint& DataAt(const std::vector<FloatPoint>& data, int32_t index) {
  return At(data, index);
}

void FillChordLengthParams(const std::vector<FloatPoint>& data, int32_t first, int32_t last, std::vector<float>& u) {
  if (last < first) {
    u.clear();
    return;
  }
  const int32_t count = last - first + 1;
  u.resize(static_cast<size_t>(count));
  u[0] = 0.0f;
  for (int32_t k = 1; k < count; ++k) {
    u[k] = u[k - 1] + Length(Sub(DataAt(data, first + k), DataAt(data, first + k - 1)));
  }
  const float total = At(u, count - 1);
  if (total < kMinChordLength) {
    std::fill(u.begin(), u.end(), 0.0f);
    return;
  }
  for (float& value : u) value /= total;
}

CubicSegment GenerateFromParams(const std::vector<FloatPoint>& data, int32_t first, int32_t last, FloatPoint tHat1,
                                FloatPoint tHat2, const std::vector<float>& u) {
  const FloatPoint p0 = DataAt(data, first);
  const FloatPoint p3 = DataAt(data, last);
  float c00 = 0.0f, c01 = 0.0f, c11 = 0.0f, x0 = 0.0f, x1 = 0.0f;
  for (int32_t i = 0; i <= last - first; ++i) {
    const float t = At(u, i);
    const float s = 1.0f - t;
    const float b0 = s * s * s;
    const float b1 = 3.0f * t * s * s;
    const float b2 = 3.0f * t * t * s;
    const float b3 = t * t * t;
    const FloatPoint a1 = Scale(b1, tHat1);
    const FloatPoint a2 = Scale(b2, tHat2);
    const FloatPoint r = Sub(DataAt(data, first + i), Add(Scale(b0 + b1, p0), Scale(b2 + b3, p3)));
    c00 += Dot(a1, a1);
    c01 += Dot(a1, a2);
    c11 += Dot(a2, a2);
    x0 += Dot(a1, r);
    x1 += Dot(a2, r);
  }
  const float chord = Length(Sub(p3, p0));
  float alphaLeft = chord / 3.0f;
  float alphaRight = chord / 3.0f;
  const float det = c00 * c11 - c01 * c01;
  if (std::fabs(det) > kMinDeterminant) {
    alphaLeft = (c11 * x0 - c01 * x1) / det;
    alphaRight = (c00 * x1 - c01 * x0) / det;
    if (alphaLeft < kMinHandleLength || alphaRight < kMinHandleLength) {
      alphaLeft = chord / 3.0f;
      alphaRight = chord / 3.0f;
    }
    alphaLeft = std::min(chord, alphaLeft);
    alphaRight = std::min(chord, alphaRight);
  }
  return CubicSegment{p0, Add(p0, Scale(alphaLeft, tHat1)), Add(p3, Scale(alphaRight, tHat2)), p3};
}

float MaxErrorFromParams(const std::vector<FloatPoint>& data, int32_t first, int32_t last,
                         const CubicSegment& segment, const std::vector<float>& u, int32_t& splitIndex) {
  splitIndex = (first + last) / 2;
  float greatest = 0.0f;
  for (int32_t i = first + 1; i <= last - 1; ++i) {
    const FloatPoint offset = Sub(DataAt(data, i), EvaluateCubic(segment, At(u, i - first)));
    const float error = offset.x * offset.x + offset.y * offset.y;
    if (error > greatest) {
      greatest = error;
      splitIndex = i;
    }
  }
  return std::sqrt(greatest);
}

void AppendAnchor(ChainRecord& chain, FloatPoint position, FloatPoint inHandle, FloatPoint outHandle) {
  chain.points.push_back(RoundToPixel(position));
  chain.fpoints.push_back(position);
  chain.inT.push_back(inHandle);
  chain.outT.push_back(outHandle);
}

}  // namespace

FloatPoint EvaluateCubic(const CubicSegment& segment, float t) {
  const float s = 1.0f - t;
  const float b0 = s * s * s;
  const float b1 = 3.0f * s * s * t;
  const float b2 = 3.0f * s * t * t;
  const float b3 = t * t * t;
  return FloatPoint{b0 * segment.p0.x + b1 * segment.p1.x + b2 * segment.p2.x + b3 * segment.p3.x,
                    b0 * segment.p0.y + b1 * segment.p1.y + b2 * segment.p2.y + b3 * segment.p3.y};
}

std::vector<float> ChordLengthParams(const std::vector<FloatPoint>& data, int32_t first, int32_t last) {
  std::vector<float> u;
  FillChordLengthParams(data, first, last, u);
  return u;
}

CubicSegment GenerateBezier(const std::vector<FloatPoint>& data, const FitRange& range) {
  return GenerateFromParams(data, range.first, range.last, range.tHat1, range.tHat2,
                            ChordLengthParams(data, range.first, range.last));
}

float BezierMaxError(const std::vector<FloatPoint>& data, int32_t first, int32_t last, const CubicSegment& segment,
                     int32_t& splitIndex) {
  return MaxErrorFromParams(data, first, last, segment, ChordLengthParams(data, first, last), splitIndex);
}

void FitBezierSegments(const std::vector<FloatPoint>& data, const FitRange& whole, float tolerance,
                       std::vector<CubicSegment>& output) {
  if (whole.first < 0 || whole.first >= whole.last || static_cast<size_t>(whole.last) >= data.size()) return;

  // Ranges still to fit, the next one on top. A split pushes its second half
  // below its first, so segments come out in the order a depth-first
  // recursion would append them.
  std::vector<FitRange> pending{whole};
  std::vector<float> u;  // fit and error measure share one parameter run
  while (!pending.empty()) {
    const FitRange range = pending.back();
    pending.pop_back();
    const FloatPoint start = DataAt(data, range.first);
    const FloatPoint end = DataAt(data, range.last);
    if (range.last - range.first == 1) {
      const float third = Length(Sub(end, start)) / 3.0f;
      output.push_back(
          CubicSegment{start, Add(start, Scale(third, range.tHat1)), Add(end, Scale(third, range.tHat2)), end});
      continue;
    }
    FillChordLengthParams(data, range.first, range.last, u);
    const CubicSegment segment = GenerateFromParams(data, range.first, range.last, range.tHat1, range.tHat2, u);
    int32_t split = 0;
    const float error = MaxErrorFromParams(data, range.first, range.last, segment, u, split);
    if (error < tolerance) {
      output.push_back(segment);
      continue;
    }
    const FloatPoint centre = UnitTangent(Sub(DataAt(data, split - 1), DataAt(data, split + 1)));
    pending.push_back(FitRange{split, range.last, FloatPoint{-centre.x, -centre.y}, range.tHat2});
    pending.push_back(FitRange{range.first, split, range.tHat1, centre});
  }
}

void FitChainBeziers(ChainRecord& chain, float tolerance) {
  const size_t n = chain.points.size();
  if (n < 3) return;
  std::vector<FloatPoint> data;
  if (chain.fpoints.size() == n) {
    data = chain.fpoints;
  } else {
    data.reserve(n);
    for (const IntPoint& p : chain.points) data.push_back(FloatPoint{static_cast<float>(p.x), static_cast<float>(p.y)});
  }
  const FloatPoint tHat1 = UnitTangent(Sub(data[1], data[0]));
  const FloatPoint tHat2 = UnitTangent(Sub(data[n - 2], data[n - 1]));
  std::vector<CubicSegment> segments;
  FitBezierSegments(data, FitRange{0, static_cast<int32_t>(n - 1), tHat1, tHat2}, tolerance, segments);
  if (segments.empty()) return;

  chain.points.clear();
  chain.inT.clear();
  chain.outT.clear();
  chain.fpoints.clear();
  const size_t m = segments.size();
  chain.points.reserve(m + 1);
  chain.inT.reserve(m + 1);
  chain.outT.reserve(m + 1);
  chain.fpoints.reserve(m + 1);
  AppendAnchor(chain, segments[0].p0, FloatPoint{0.0f, 0.0f}, Sub(segments[0].p1, segments[0].p0));
  for (size_t j = 0; j < m; ++j) {
    const FloatPoint out = j + 1 < m ? Sub(segments[j + 1].p1, segments[j + 1].p0) : FloatPoint{0.0f, 0.0f};
    AppendAnchor(chain, segments[j].p3, Sub(segments[j].p2, segments[j].p3), out);
  }
}
