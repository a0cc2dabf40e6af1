// Measuring the chains before the stroke is drawn: arc lengths and starts,
// the stroke radius of every point, and the stretch of every chain that is
// visible at the current reveal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "model/render_settings.h"
#include "skeleton/chain_record.h"
#include "skeleton/distance_field.h"
#include "skeleton/points.h"

// A chain's float points are its `fpoints` when they are sized like `points`,
// otherwise its integer points.
inline bool ChainHasFloatPoints(const ChainRecord& chain) {
  return chain.fpoints.size() == chain.points.size();
}
inline float ChainPointX(const ChainRecord& chain, size_t k, bool useFloatPoints) {
  return useFloatPoints ? chain.fpoints[k].x : static_cast<float>(chain.points[k].x);
}
inline float ChainPointY(const ChainRecord& chain, size_t k, bool useFloatPoints) {
  return useFloatPoints ? chain.fpoints[k].y : static_cast<float>(chain.points[k].y);
}
inline FloatPoint ChainPoint(const ChainRecord& chain, size_t k, bool useFloatPoints) {
  return useFloatPoints ? chain.fpoints[k] : ToFloatPoint(chain.points[k]);
}
inline float ChainPointX(const ChainRecord& chain, size_t k) {
  return ChainPointX(chain, k, ChainHasFloatPoints(chain));
}
inline float ChainPointY(const ChainRecord& chain, size_t k) {
  return ChainPointY(chain, k, ChainHasFloatPoints(chain));
}

// Sum of the distances between consecutive float points; 0 below two points.
float ChainLength(const ChainRecord& chain);

// Inverse-square weighted mean of the width points at (x, y); `defaultWidth`
// when no width point is enabled.
float InterpolateWidthPoints(const WidthPointTable& table, float x, float y, float defaultWidth);

// Taper factor at relative arc position u: 1 everywhere at taper 0; at taper 1
// it is 0 at both ends and 1 in the middle.
float TaperFactor(float taper, float u);

// Arc length reached at progress p when the pen slows down in curves
// (`ease` 0 to 3: how much).
float RevealDistance(std::span<const float> xs, std::span<const float> ys, float length, float progress,
                     float ease);

// The chain between arc lengths t0 and t1, measured on its integer points:
// the point at t0, every vertex passed, the point at t1.
std::vector<FloatPoint> ExtractSubPath(const ChainRecord& chain, float t0, float t1);

// Stroke radius (before taper) of every point of a chain that has at least two
// points and a positive length.
std::vector<float> ComputeChainWidths(const ChainRecord& chain, const RenderSettings& settings,
                                      const DistanceField& field);

// A visible arc interval [t0, t1] of a chain.
struct ArcWindow {
  bool present = false;
  float t0 = 0.0f;
  float t1 = 0.0f;
};

struct ChainStrokeGeometry {
  float length = 0.0f;
  float start = 0.0f;          // sum of the lengths of all earlier chains
  bool drawable = false;       // at least two points and a positive length
  std::vector<float> widths;   // per point, only when drawable
  float local = 0.0f;          // reveal progress of this chain, 0 to 1
  float revealed = 0.0f;       // arc length the pen has reached
  ArcWindow windowA;
  ArcWindow windowB;           // the stretch that wraps past the end of the last chain
};

struct StrokeGeometry {
  float totalLength = 0.0f;
  std::vector<ChainStrokeGeometry> chains;  // one per chain, in draw order
};

// Lengths, starts, widths and reveal windows of every chain. `field` is the
// analysed layer's (chain coordinates are its pixels), or empty.
StrokeGeometry ComputeStrokeGeometry(const RenderSettings& settings, const std::vector<ChainRecord>& chains,
                                     const DistanceField& field);
