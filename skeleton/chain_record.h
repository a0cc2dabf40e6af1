// One traced stroke of the skeleton.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/points.h"

struct ChainRecord {
  std::vector<IntPoint> points;   // pixels in drawing order
  // The Bezier handles of a fitted chain, one per point and relative to it:
  // inT the handle the curve arrives along, outT the one it leaves along.
  // Empty when the chain carries no fitted curve; used only when sized like points.
  std::vector<FloatPoint> inT;
  std::vector<FloatPoint> outT;
  std::vector<FloatPoint> fpoints;  // sub-pixel positions; valid only when sized like points
  bool closed = false;
};
