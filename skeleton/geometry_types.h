// Pixel and sub-pixel points of the analysed layer (origin top-left, y down).
// An integer coordinate names the pixel itself; no half-pixel shift is added.
#pragma once

#include <cstdint>

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
