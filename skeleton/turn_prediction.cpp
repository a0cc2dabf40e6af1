#include "skeleton/turn_prediction.h"

#include "skeleton/portable_trig.h"

FloatPoint PredictTurn(FloatPoint heading, const FloatPoint* steps, int32_t count) {
  float crossSum = 0.0f;
  for (int32_t i = 0; i + 1 < count; ++i) crossSum += Cross(steps[i], steps[i + 1]);
  const float angle = crossSum / static_cast<float>(count - 1);
  const float c = PortableCos(angle);
  const float s = PortableSin(angle);
  return Unit({heading.x * c - heading.y * s, heading.x * s + heading.y * c});
}
