// Pixel and sub-pixel points of the analysed layer (origin top-left, y down)
// and the small set of helpers every stage uses on them. An integer
// coordinate names the pixel itself; no half-pixel shift is added.
//
// Distances between integer points are taken from their differences
// converted to float, then squared and summed in float; lengths of runs of
// points add those distances one after the other. The stages depend on these
// exact float operations, so they are written once, here.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

struct IntPoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct FloatPoint {
  float x = 0.0f;
  float y = 0.0f;
};

inline bool PointsEqual(IntPoint a, IntPoint b) { return a.x == b.x && a.y == b.y; }

inline FloatPoint ToFloatPoint(IntPoint p) { return FloatPoint{static_cast<float>(p.x), static_cast<float>(p.y)}; }

// Adding 0.5 and truncating toward zero, as everywhere a float point becomes a pixel.
inline IntPoint RoundToPixel(FloatPoint p) {
  return IntPoint{static_cast<int32_t>(p.x + 0.5f), static_cast<int32_t>(p.y + 0.5f)};
}

inline bool IsZero(FloatPoint v) { return v.x == 0.0f && v.y == 0.0f; }
inline FloatPoint Add(FloatPoint a, FloatPoint b) { return FloatPoint{a.x + b.x, a.y + b.y}; }
inline FloatPoint Sub(FloatPoint a, FloatPoint b) { return FloatPoint{a.x - b.x, a.y - b.y}; }
inline FloatPoint Scale(float s, FloatPoint v) { return FloatPoint{s * v.x, s * v.y}; }
inline float Dot(FloatPoint a, FloatPoint b) { return a.x * b.x + a.y * b.y; }
// Positive when b turns clockwise from a on screen.
inline float Cross(FloatPoint a, FloatPoint b) { return a.x * b.y - a.y * b.x; }
inline float Length(FloatPoint v) { return std::sqrt(v.x * v.x + v.y * v.y); }

// The vector divided by its length; a zero vector stays zero.
inline FloatPoint Unit(FloatPoint v) {
  const float length = Length(v);
  if (length > 0.0f) return FloatPoint{v.x / length, v.y / length};
  return v;
}

// The unit vector of the step from one pixel to another.
inline FloatPoint UnitStep(IntPoint from, IntPoint to) {
  return Unit(FloatPoint{static_cast<float>(to.x - from.x), static_cast<float>(to.y - from.y)});
}

inline float SquaredDistance(FloatPoint a, FloatPoint b) {
  const float dx = a.x - b.x;
  const float dy = a.y - b.y;
  return dx * dx + dy * dy;
}
inline float SquaredDistance(IntPoint a, IntPoint b) {
  const float dx = static_cast<float>(a.x - b.x);
  const float dy = static_cast<float>(a.y - b.y);
  return dx * dx + dy * dy;
}
inline float Distance(FloatPoint a, FloatPoint b) { return std::sqrt(SquaredDistance(a, b)); }
inline float Distance(IntPoint a, IntPoint b) { return std::sqrt(SquaredDistance(a, b)); }

// Sum of the distances between consecutive points; 0 for fewer than 2.
template <typename Point>
float PolylineLength(const std::vector<Point>& points) {
  float length = 0.0f;
  for (size_t i = 1; i < points.size(); ++i) length += Distance(points[i - 1], points[i]);
  return length;
}
