#include "skeleton/centre_refinement.h"

// Centre refinement: a skeleton pixel lies up to half a pixel off the middle
// of its stroke. Across the chain (perpendicular to the chord from the previous
// to the next point) the distance field is sampled bilinearly at nine places
// kRecenterStep apart, and the point moves to the greatest, refined by the
// vertex of the parabola through it and its two neighbours. The field's ridge
// is the stroke's centre line; steps of 5/16 pixel cover +-1.25 pixels, and
// the move is capped at 1.5 pixels so a point never jumps to another stroke.

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr int32_t kSampleCount = 9;
constexpr int32_t kCentreSample = 4;
constexpr float kMinTangentLength = 0.001f;
constexpr float kMinParabolaDenominator = 1e-6f;
constexpr float kMaxOffset = 1.5f;

// Greatest sample; a tie that includes the centre keeps the point where it is,
// otherwise the earliest sample wins.
int32_t BestSampleIndex(const float (&samples)[kSampleCount]) {
  float greatest = samples[0];
  for (int32_t k = 1; k < kSampleCount; ++k) greatest = std::max(greatest, samples[k]);
  if (samples[kCentreSample] == greatest) return kCentreSample;
  for (int32_t k = 0; k < kSampleCount; ++k) {
    if (samples[k] == greatest) return k;
  }
  return kCentreSample;  // only reached when a sample is NaN
}

FloatPoint RefinePoint(const ChainRecord& chain, size_t i, const DistanceField& field) {
  const size_t n = chain.points.size();
  const IntPoint pixel = chain.points[i];
  const FloatPoint p{static_cast<float>(pixel.x), static_cast<float>(pixel.y)};
  const IntPoint ahead = chain.points[std::min(i + 1, n - 1)];
  const IntPoint behind = chain.points[i == 0 ? 0 : i - 1];
  const float tx = static_cast<float>(ahead.x - behind.x);
  const float ty = static_cast<float>(ahead.y - behind.y);
  const float tangentLength = std::sqrt(tx * tx + ty * ty);
  if (tangentLength < kMinTangentLength) return p;
  const float mx = -ty / tangentLength;
  const float my = tx / tangentLength;

  const float maxX = static_cast<float>(field.width - 1);
  const float maxY = static_cast<float>(field.height - 1);
  float samples[kSampleCount];
  for (int32_t k = 0; k < kSampleCount; ++k) {
    const float along = static_cast<float>(k - kCentreSample) * kRecenterStep;
    const float sx = std::clamp(p.x + along * mx, 0.0f, maxX);
    const float sy = std::clamp(p.y + along * my, 0.0f, maxY);
    samples[k] = SampleFieldBilinear(field, sx, sy);
  }

  const int32_t best = BestSampleIndex(samples);
  float offset = static_cast<float>(best - kCentreSample) * kRecenterStep;
  if (best >= 1 && best <= kSampleCount - 2) {
    const float den = samples[best - 1] - 2.0f * samples[best] + samples[best + 1];
    if (std::fabs(den) > kMinParabolaDenominator) {
      const float delta = (samples[best - 1] - samples[best + 1]) * 0.5f / den;
      if (delta > -1.0f && delta < 1.0f) {
        offset = static_cast<float>(best - kCentreSample) * kRecenterStep + delta * kRecenterStep;
      }
    }
  }
  offset = std::clamp(offset, -kMaxOffset, kMaxOffset);
  return FloatPoint{p.x + offset * mx, p.y + offset * my};
}

}  // namespace

float SampleFieldBilinear(const DistanceField& field, float x, float y) {
  const int32_t ix = std::min(static_cast<int32_t>(std::floor(x)), field.width - 2);
  const int32_t iy = std::min(static_cast<int32_t>(std::floor(y)), field.height - 2);
  const float fx = x - static_cast<float>(ix);
  const float fy = y - static_cast<float>(iy);
  const float topLeft = field.At(ix, iy);
  const float bottomLeft = field.At(ix, iy + 1);
  const float top = topLeft + (field.At(ix + 1, iy) - topLeft) * fx;
  const float bottom = bottomLeft + (field.At(ix + 1, iy + 1) - bottomLeft) * fx;
  return top + (bottom - top) * fy;
}

void RefineChainCenters(std::vector<ChainRecord>& chains, const DistanceField& field) {
  if (field.width < 2 || field.height < 2) return;
  if (field.values.size() != static_cast<size_t>(field.width) * static_cast<size_t>(field.height)) return;
  for (ChainRecord& chain : chains) {
    const size_t n = chain.points.size();
    if (n < 2) {
      chain.fpoints.clear();
      continue;
    }
    chain.fpoints.resize(n);
    for (size_t i = 0; i < n; ++i) chain.fpoints[i] = RefinePoint(chain, i, field);
    if (chain.closed && PointsEqual(chain.points.front(), chain.points.back())) {
      chain.fpoints[n - 1] = chain.fpoints[0];
    }
  }
}
