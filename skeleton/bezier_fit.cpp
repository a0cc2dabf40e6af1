#include "skeleton/bezier_fit.h"

// Least-squares fit of cubic Bezier segments to a run of points (Schneider's
// method). The points are parameterised by chord length, t_i in [0, 1]; the end
// points are kept and the inner control points lie on the end tangents,
// P1 = P0 + a1 * startTangent and P2 = P3 + a2 * endTangent. Minimising the summed squared
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

void FillChordLengthParams(const std::vector<FloatPoint>& data, int32_t first, int32_t last,
                           std::vector<float>& params) {
  if (last < first) {
    params.clear();
    return;
  }
  const int32_t count = last - first + 1;
  params.resize(static_cast<size_t>(count));
  params[0] = 0.0f;
  for (int32_t k = 1; k < count; ++k) {
    params[k] = params[k - 1] + Length(Sub(DataAt(data, first + k), DataAt(data, first + k - 1)));
  }
  const float total = At(params, count - 1);
  if (total < kMinChordLength) {
    std::fill(params.begin(), params.end(), 0.0f);
    return;
  }
  for (float& value : params) value /= total;
}

CubicSegment GenerateFromParams(const std::vector<FloatPoint>& data, int32_t first, int32_t last,
                                FloatPoint startTangent, FloatPoint endTangent, const std::vector<float>& params) {
  const FloatPoint p0 = DataAt(data, first);
  const FloatPoint p3 = DataAt(data, last);
  float c00 = 0.0f, c01 = 0.0f, c11 = 0.0f, x0 = 0.0f, x1 = 0.0f;
  for (int32_t i = 0; i <= last - first; ++i) {
    const float t = At(params, i);
    const float s = 1.0f - t;
    const float b0 = s * s * s;
    const float b1 = 3.0f * t * s * s;
    const float b2 = 3.0f * t * t * s;
    const float b3 = t * t * t;
    // What a unit handle length along each tangent moves B(t), and what the
    // end points alone leave of the data point.
    const FloatPoint startPull = Scale(b1, startTangent);
    const FloatPoint endPull = Scale(b2, endTangent);
    const FloatPoint residual = Sub(DataAt(data, first + i), Add(Scale(b0 + b1, p0), Scale(b2 + b3, p3)));
    c00 += Dot(startPull, startPull);
    c01 += Dot(startPull, endPull);
    c11 += Dot(endPull, endPull);
    x0 += Dot(startPull, residual);
    x1 += Dot(endPull, residual);
  }
  const float chord = Length(Sub(p3, p0));
  float alphaLeft = chord / 3.0f;
  float alphaRight = chord / 3.0f;
  const float determinant = c00 * c11 - c01 * c01;
  if (std::fabs(determinant) > kMinDeterminant) {
    alphaLeft = (c11 * x0 - c01 * x1) / determinant;
    alphaRight = (c00 * x1 - c01 * x0) / determinant;
    if (alphaLeft < kMinHandleLength || alphaRight < kMinHandleLength) {
      alphaLeft = chord / 3.0f;
      alphaRight = chord / 3.0f;
    }
    alphaLeft = std::min(chord, alphaLeft);
    alphaRight = std::min(chord, alphaRight);
  }
  return CubicSegment{p0, Add(p0, Scale(alphaLeft, startTangent)), Add(p3, Scale(alphaRight, endTangent)), p3};
}

float MaxErrorFromParams(const std::vector<FloatPoint>& data, int32_t first, int32_t last,
                         const CubicSegment& segment, const std::vector<float>& params, int32_t& splitIndex) {
  splitIndex = (first + last) / 2;
  float greatest = 0.0f;
  for (int32_t i = first + 1; i <= last - 1; ++i) {
    const FloatPoint offset = Sub(DataAt(data, i), EvaluateCubic(segment, At(params, i - first)));
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
  std::vector<float> params;
  FillChordLengthParams(data, first, last, params);
  return params;
}

CubicSegment GenerateBezier(const std::vector<FloatPoint>& data, const FitRange& range) {
  return GenerateFromParams(data, range.first, range.last, range.startTangent, range.endTangent,
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
  std::vector<float> params;  // fit and error measure share one parameter run
  while (!pending.empty()) {
    const FitRange range = pending.back();
    pending.pop_back();
    const FloatPoint start = DataAt(data, range.first);
    const FloatPoint end = DataAt(data, range.last);
    if (range.last - range.first == 1) {
      const float third = Length(Sub(end, start)) / 3.0f;
      output.push_back(CubicSegment{start, Add(start, Scale(third, range.startTangent)),
                                    Add(end, Scale(third, range.endTangent)), end});
      continue;
    }
    FillChordLengthParams(data, range.first, range.last, params);
    const CubicSegment segment =
        GenerateFromParams(data, range.first, range.last, range.startTangent, range.endTangent, params);
    int32_t split = 0;
    const float error = MaxErrorFromParams(data, range.first, range.last, segment, params, split);
    if (error < tolerance) {
      output.push_back(segment);
      continue;
    }
    // The joint's tangent, pointing back into the first half.
    const FloatPoint joint = UnitTangent(Sub(DataAt(data, split - 1), DataAt(data, split + 1)));
    pending.push_back(FitRange{split, range.last, FloatPoint{-joint.x, -joint.y}, range.endTangent});
    pending.push_back(FitRange{range.first, split, range.startTangent, joint});
  }
}

void FitChainBeziers(ChainRecord& chain, float tolerance) {
  const size_t pointCount = chain.points.size();
  if (pointCount < 3) return;
  std::vector<FloatPoint> data;
  if (chain.fpoints.size() == pointCount) {
    data = chain.fpoints;
  } else {
    data.reserve(pointCount);
    for (const IntPoint& p : chain.points) data.push_back(FloatPoint{static_cast<float>(p.x), static_cast<float>(p.y)});
  }
  const FloatPoint startTangent = UnitTangent(Sub(data[1], data[0]));
  const FloatPoint endTangent = UnitTangent(Sub(data[pointCount - 2], data[pointCount - 1]));
  std::vector<CubicSegment> segments;
  FitBezierSegments(data, FitRange{0, static_cast<int32_t>(pointCount - 1), startTangent, endTangent}, tolerance,
                    segments);
  if (segments.empty()) return;

  chain.points.clear();
  chain.inT.clear();
  chain.outT.clear();
  chain.fpoints.clear();
  const size_t segmentCount = segments.size();
  chain.points.reserve(segmentCount + 1);
  chain.inT.reserve(segmentCount + 1);
  chain.outT.reserve(segmentCount + 1);
  chain.fpoints.reserve(segmentCount + 1);
  AppendAnchor(chain, segments[0].p0, FloatPoint{0.0f, 0.0f}, Sub(segments[0].p1, segments[0].p0));
  for (size_t j = 0; j < segmentCount; ++j) {
    const bool last = j + 1 == segmentCount;
    const FloatPoint out = last ? FloatPoint{0.0f, 0.0f} : Sub(segments[j + 1].p1, segments[j + 1].p0);
    AppendAnchor(chain, segments[j].p3, Sub(segments[j].p2, segments[j].p3), out);
  }
}
