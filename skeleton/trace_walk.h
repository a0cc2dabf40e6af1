// The walk behind TraceChainFrom, over any record of which skeleton pixels
// are still free to take: the byte mask with its visited grid that the
// tracing interface takes, or the bit rows the simple extraction keeps, where
// one bit says both "skeleton pixel" and "not taken yet".
//
// A grid gives the row pitch of its pixel indices (index = y * stride + x)
// and two operations: Free(index), whether that pixel may be entered, and
// Take(index), which marks it taken. The walk asks only about pixels inside
// the width x height frame.
//
// Each step goes to the free neighbour whose unit step agrees best with the
// heading (the largest dot product; of a tie, the first in neighbour order). The heading
// then moves toward the step taken, 0.7 of the step and 0.3 of the old
// heading: enough memory to carry the walk straight across a junction, little
// enough to follow a curve within a few pixels. With Smart Junction Tracing a
// turn is also predicted from the last five steps, and the score becomes
// (1 - |bias|) * agreement with the heading + bias * agreement with the
// predicted heading (bias: Junction Curvature Bias), so a positive bias keeps
// a bending stroke bending.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/points.h"
#include "skeleton/turn_prediction.h"

namespace trace_walk {

// Before the first step there is no heading: straight steps beat diagonals.
constexpr float kFirstStepScore[8] = {1.0f, 0.9f, 1.0f, 0.9f, 1.0f, 0.9f, 1.0f, 0.9f};
constexpr int32_t kRingSize = 5;

// The most recent unit steps, oldest overwritten first.
struct StepRing {
  FloatPoint steps[kRingSize];
  int32_t writeIndex = 0;
  int32_t count = 0;
};

// The eight steps divided by their lengths.
struct UnitSteps {
  FloatPoint step[8];
};
extern const UnitSteps kUnitSteps;

// The heading turned by the mean turn of the stored steps (turn_prediction.h).
FloatPoint PredictTurn(FloatPoint heading, const StepRing& ring);

// Walks from (x0, y0), which must lie inside the frame; takes the start pixel
// without asking whether it is free.
template <typename Grid>
ChainRecord Walk(Grid& grid, int32_t width, int32_t height, int32_t x0, int32_t y0, JunctionTracing tracing) {
  ChainRecord chain;
  const ptrdiff_t stride = grid.stride;
  ptrdiff_t stepOffset[8];
  for (int32_t k = 0; k < 8; ++k) stepOffset[k] = kNeighbourDy[k] * stride + kNeighbourDx[k];

  IntPoint current{x0, y0};
  ptrdiff_t here = y0 * stride + x0;
  chain.points.push_back(current);
  grid.Take(here);
  FloatPoint heading{0.0f, 0.0f};
  StepRing ring;
  const bool smart = tracing.smart;
  const float bias = tracing.bias;
  const float straightWeight = 1.0f - std::fabs(bias);
  // With a zero bias the predicted term adds only a zero to every score, so
  // the turn need not be predicted at all.
  const bool predicts = smart && bias != 0.0f;

  for (;;) {
    FloatPoint predicted = heading;
    if (predicts && ring.count >= 2 && !IsZero(heading)) predicted = PredictTurn(heading, ring);
    // Away from the edges every neighbour lies inside the frame.
    const bool inside = current.x > 0 && current.y > 0 && current.x < width - 1 && current.y < height - 1;

    int32_t chosen = -1;
    float bestScore = -1e9f;
    for (int32_t k = 0; k < 8; ++k) {
      if (!inside) {
        const int32_t nx = current.x + kNeighbourDx[k];
        const int32_t ny = current.y + kNeighbourDy[k];
        if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
      }
      if (!grid.Free(here + stepOffset[k])) continue;
      const FloatPoint unit = kUnitSteps.step[k];
      float score;
      if (IsZero(heading)) {
        score = kFirstStepScore[k];
      } else if (!smart) {
        score = Dot(unit, heading);
      } else {
        score = straightWeight * Dot(unit, heading) + bias * Dot(unit, predicted);
      }
      if (score > bestScore) {
        bestScore = score;
        chosen = k;
      }
    }
    if (chosen < 0) return chain;

    const FloatPoint step = kUnitSteps.step[chosen];
    if (IsZero(heading)) {
      heading = step;
    } else {
      heading = Unit({0.7f * step.x + 0.3f * heading.x, 0.7f * step.y + 0.3f * heading.y});
    }
    if (smart) {
      ring.steps[ring.writeIndex] = step;
      ring.writeIndex = (ring.writeIndex + 1) % kRingSize;
      if (ring.count < kRingSize) ++ring.count;
    }
    current = {current.x + kNeighbourDx[chosen], current.y + kNeighbourDy[chosen]};
    here += stepOffset[chosen];
    chain.points.push_back(current);
    grid.Take(here);
  }
}

}  // namespace trace_walk
