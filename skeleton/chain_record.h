// One traced stroke of the skeleton.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/points.h"

struct ChainRecord {
  std::vector<IntPoint> points;   // pixels in drawing order
  std::vector<FloatPoint> inT;    // Bezier handle into each point, relative to it
  std::vector<FloatPoint> outT;   // Bezier handle out of each point, relative to it
  std::vector<FloatPoint> fpoints;  // sub-pixel positions; valid only when sized like points
  bool closed = false;
};
