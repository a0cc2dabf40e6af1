// Where a tracing walk expects to go next when it follows a curve: its
// heading turned by the mean turn of its last few steps. Both walks (the
// pixel trace and the graph walk) blend this prediction into their choice of
// the next step with Junction Curvature Bias.
#pragma once

#include <cstdint>

#include "skeleton/points.h"

// Smart Junction Tracing and Junction Curvature Bias: whether a walk blends
// the predicted turn into its choice of the next step at all, and with what
// weight (-1 ... 1; the heading it keeps gets 1 - |bias|).
struct JunctionTracing {
  bool smart = false;
  float bias = 0.0f;
};

// `steps` are `count` (at least 2) unit steps, oldest first. The cross
// product of two consecutive unit steps is the sine of the turn between
// them, which for the small turns of a traced curve is close to the angle
// itself; the mean of those is used directly as an angle in radians
// (positive turns clockwise on screen), and the turned heading comes back
// as a unit vector.
FloatPoint PredictTurn(FloatPoint heading, const FloatPoint* steps, int32_t count);
