#include "skeleton/chain_trace.h"

#include <cmath>
#include <cstddef>

#include "skeleton/portable_trig.h"

namespace {

constexpr int32_t kStepDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kStepDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
// Before the first step there is no heading: straight steps beat diagonals.
constexpr float kFirstStepScore[8] = {1.0f, 0.9f, 1.0f, 0.9f, 1.0f, 0.9f, 1.0f, 0.9f};
constexpr int32_t kRingSize = 5;

struct UnitSteps {
  FloatPoint step[8];
};

// The eight steps divided by their lengths, worked out once.
const UnitSteps kUnitSteps = [] {
  UnitSteps steps;
  for (int32_t k = 0; k < 8; ++k) {
    const float dx = static_cast<float>(kStepDx[k]);
    const float dy = static_cast<float>(kStepDy[k]);
    const float length = std::sqrt(dx * dx + dy * dy);
    steps.step[k] = {dx / length, dy / length};
  }
  return steps;
}();

bool IsZero(FloatPoint p) { return p.x == 0.0f && p.y == 0.0f; }

FloatPoint Normalised(FloatPoint p) {
  const float length = std::sqrt(p.x * p.x + p.y * p.y);
  if (length > 0.0f) return {p.x / length, p.y / length};
  return p;
}

float Dot(FloatPoint a, FloatPoint b) { return a.x * b.x + a.y * b.y; }

// The most recent unit steps, oldest overwritten first.
struct StepRing {
  FloatPoint steps[kRingSize];
  int32_t writeIndex = 0;
  int32_t count = 0;
};

// The heading turned by the mean turn (cross product, used as radians) of
// consecutive stored steps; positive turns clockwise on screen.
FloatPoint PredictTurn(FloatPoint heading, const StepRing& ring) {
  const int32_t oldest = (ring.writeIndex - ring.count + kRingSize) % kRingSize;
  float crossSum = 0.0f;
  for (int32_t i = 0; i + 1 < ring.count; ++i) {
    const FloatPoint a = ring.steps[(oldest + i) % kRingSize];
    const FloatPoint b = ring.steps[(oldest + i + 1) % kRingSize];
    crossSum += a.x * b.y - a.y * b.x;
  }
  const float angle = crossSum / static_cast<float>(ring.count - 1);
  const float c = PortableCos(angle);
  const float s = PortableSin(angle);
  return Normalised({heading.x * c - heading.y * s, heading.x * s + heading.y * c});
}

}  // namespace

ChainRecord TraceChainFrom(const ByteMask& mask, int32_t x0, int32_t y0, std::vector<uint8_t>& visited,
                           uint8_t smart, float bias) {
  ChainRecord chain;
  const int32_t width = mask.width;
  const int32_t height = mask.height;
  if (x0 < 0 || y0 < 0 || x0 >= width || y0 >= height ||
      visited.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return chain;
  }
  const auto stride = static_cast<ptrdiff_t>(width);
  const uint8_t* cells = mask.cells.data();
  uint8_t* taken = visited.data();
  ptrdiff_t stepOffset[8];
  for (int32_t k = 0; k < 8; ++k) stepOffset[k] = kStepDy[k] * stride + kStepDx[k];

  IntPoint current{x0, y0};
  ptrdiff_t here = y0 * stride + x0;
  chain.points.push_back(current);
  taken[here] = 1;
  FloatPoint heading{0.0f, 0.0f};
  StepRing ring;
  const float straightWeight = 1.0f - std::fabs(bias);
  // With a zero bias the predicted term adds only a zero to every score, so
  // the turn need not be predicted at all.
  const bool predicts = smart != 0 && bias != 0.0f;

  for (;;) {
    FloatPoint predicted = heading;
    if (predicts && ring.count >= 2 && !IsZero(heading)) predicted = PredictTurn(heading, ring);
    // Away from the edges every neighbour lies inside the mask.
    const bool inside = current.x > 0 && current.y > 0 && current.x < width - 1 && current.y < height - 1;

    int32_t chosen = -1;
    float bestScore = -1e9f;
    for (int32_t k = 0; k < 8; ++k) {
      if (!inside) {
        const int32_t nx = current.x + kStepDx[k];
        const int32_t ny = current.y + kStepDy[k];
        if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
      }
      const ptrdiff_t index = here + stepOffset[k];
      if (cells[index] == 0 || taken[index] != 0) continue;
      const FloatPoint unit = kUnitSteps.step[k];
      float score;
      if (IsZero(heading)) {
        score = kFirstStepScore[k];
      } else if (smart == 0) {
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
      heading = Normalised({0.7f * step.x + 0.3f * heading.x, 0.7f * step.y + 0.3f * heading.y});
    }
    if (smart != 0) {
      ring.steps[ring.writeIndex] = step;
      ring.writeIndex = (ring.writeIndex + 1) % kRingSize;
      if (ring.count < kRingSize) ++ring.count;
    }
    current = {current.x + kStepDx[chosen], current.y + kStepDy[chosen]};
    here += stepOffset[chosen];
    chain.points.push_back(current);
    taken[here] = 1;
  }
}

float PointDistance(IntPoint a, IntPoint b) {
  const float dx = static_cast<float>(a.x - b.x);
  const float dy = static_cast<float>(a.y - b.y);
  return std::sqrt(dx * dx + dy * dy);
}
