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

// The frame a walk moves in: its size, and how far each of the eight steps
// moves a grid index.
struct WalkFrame {
  int32_t width;
  int32_t height;
  ptrdiff_t stepOffset[8];
};

inline WalkFrame MakeWalkFrame(ptrdiff_t stride, int32_t width, int32_t height) {
  WalkFrame frame{width, height, {}};
  for (int32_t k = 0; k < 8; ++k) frame.stepOffset[k] = kNeighbourDy[k] * stride + kNeighbourDx[k];
  return frame;
}

// What a step's score depends on besides the step and the heading; fixed
// for a whole walk.
struct StepScoring {
  bool smart;
  float bias;
  float straightWeight;  // 1 - |bias|
};

inline StepScoring MakeStepScoring(JunctionTracing tracing) {
  return StepScoring{tracing.smart, tracing.bias, 1.0f - std::fabs(tracing.bias)};
}

// How well step k continues the heading; with Smart Junction Tracing the
// predicted heading is blended in by the bias.
inline float StepScore(const StepScoring& scoring, int32_t k, FloatPoint heading, FloatPoint predicted) {
  if (IsZero(heading)) return kFirstStepScore[k];
  const FloatPoint unit = kUnitSteps.step[k];
  if (!scoring.smart) return Dot(unit, heading);
  return scoring.straightWeight * Dot(unit, heading) + scoring.bias * Dot(unit, predicted);
}

// The free neighbour of `current` (grid index `here`) whose step scores
// best, the first in ring order on a tie; -1 when none is free.
template <typename Grid>
int32_t ChooseStep(const Grid& grid, const WalkFrame& frame, IntPoint current, ptrdiff_t here,
                   const StepScoring& scoring, FloatPoint heading, FloatPoint predicted) {
  // Away from the edges every neighbour lies inside the frame.
  const bool inside = current.x > 0 && current.y > 0 && current.x < frame.width - 1 && current.y < frame.height - 1;
  int32_t chosen = -1;
  float bestScore = -1e9f;
  for (int32_t k = 0; k < 8; ++k) {
    if (!inside) {
      const int32_t nx = current.x + kNeighbourDx[k];
      const int32_t ny = current.y + kNeighbourDy[k];
      if (nx < 0 || nx >= frame.width || ny < 0 || ny >= frame.height) continue;
    }
    if (!grid.Free(here + frame.stepOffset[k])) continue;
    const float score = StepScore(scoring, k, heading, predicted);
    if (score > bestScore) {
      bestScore = score;
      chosen = k;
    }
  }
  return chosen;
}

// The heading after a unit step: the first step sets it; later ones pull it
// 0.7 of the way toward themselves.
inline FloatPoint HeadingAfter(FloatPoint heading, FloatPoint step) {
  if (IsZero(heading)) return step;
  return Unit({0.7f * step.x + 0.3f * heading.x, 0.7f * step.y + 0.3f * heading.y});
}

inline void RememberStep(StepRing& ring, FloatPoint step) {
  ring.steps[ring.writeIndex] = step;
  ring.writeIndex = (ring.writeIndex + 1) % kRingSize;
  if (ring.count < kRingSize) ++ring.count;
}

// Walks from (x0, y0), which must lie inside the frame; takes the start pixel
// without asking whether it is free.
template <typename Grid>
ChainRecord Walk(Grid& grid, int32_t width, int32_t height, int32_t x0, int32_t y0, JunctionTracing tracing) {
  const WalkFrame frame = MakeWalkFrame(grid.stride, width, height);
  const StepScoring scoring = MakeStepScoring(tracing);
  // With a zero bias the predicted term adds only a zero to every score, so
  // the turn need not be predicted at all.
  const bool predicts = tracing.smart && tracing.bias != 0.0f;

  ChainRecord chain;
  IntPoint current{x0, y0};
  ptrdiff_t here = y0 * grid.stride + x0;
  chain.points.push_back(current);
  grid.Take(here);
  FloatPoint heading{0.0f, 0.0f};
  StepRing ring;
  for (;;) {
    FloatPoint predicted = heading;
    if (predicts && ring.count >= 2 && !IsZero(heading)) predicted = PredictTurn(heading, ring);
    const int32_t chosen = ChooseStep(grid, frame, current, here, scoring, heading, predicted);
    if (chosen < 0) return chain;
    const FloatPoint step = kUnitSteps.step[chosen];
    heading = HeadingAfter(heading, step);
    if (tracing.smart) RememberStep(ring, step);
    current = {current.x + kNeighbourDx[chosen], current.y + kNeighbourDy[chosen]};
    here += frame.stepOffset[chosen];
    chain.points.push_back(current);
    grid.Take(here);
  }
}

}  // namespace trace_walk
