#include "render/drawing/stroke_geometry.h"

// Stroke widths: a point's radius is Line Width - 1, or with Match Original
// Width the largest distance-field value near it (the half-width of the ink
// it traces) times Width Scale. Enabled width points replace it by their mean
// width weighted by 1 / (1 + squared distance), so each rules near itself and
// they blend evenly far away. Nib Simulation scales it by |sin(direction - Nib
// Angle)| between Min Width and 1. The radii are then averaged twice over
// max(0.75 w, 2) pixels of arc on each side: one box pass leaves steps where
// the window takes in another point, two amount to a tent-shaped kernel, so
// the outline has no kinks where the ink's width jumps by a pixel.
//
// The reveal: with Speed Ease Amount the pen slows down in bends. A point's
// curvature is 1 - cos of the angle between the chords from the point half a
// window back and to the point half a window ahead (half a window: 2% of the
// chain's length, kept within 2 to 20 pixels). A stretch between two points
// costs its length times 1 + ease * their mean curvature / the chain's mean
// curvature (plus 0.01, so a straight chain divides by no zero), at most 6 so a
// sharp corner does not stall the pen. Progress p is first eased to
// m * smoothstep(p) + (1 - m) * p, m = ease / 3, so the pen also starts and
// stops gently, then turned into the arc length reached at that share of the
// chain's total time.

#include <algorithm>
#include <cmath>

#include "render/drawing/chain_reveal.h"
#include "skeleton/portable_trig.h"

namespace {

// Index i with cum[i - 1] < q <= cum[i], kept within 1 .. n - 1.
size_t SegmentAtArc(std::span<const float> cumulative, float q) {
  const size_t j = static_cast<size_t>(
      std::lower_bound(cumulative.begin(), cumulative.end(), q) - cumulative.begin());
  return std::max<size_t>(1, std::min(j, cumulative.size() - 1));
}

float SegmentFraction(float value, float before, float after) {
  const float span = after - before;
  return span > 1e-6f ? (value - before) / span : 0.0f;
}

FloatPoint PointAtArc(std::span<const float> xs, std::span<const float> ys,
                      std::span<const float> cumulative, float q) {
  const size_t idx = SegmentAtArc(cumulative, q);
  const float f = SegmentFraction(q, cumulative[idx - 1], cumulative[idx]);
  return {xs[idx - 1] + f * (xs[idx] - xs[idx - 1]), ys[idx - 1] + f * (ys[idx] - ys[idx - 1])};
}

float LargestNearbyDistance(const DistanceField& field, float x, float y) {
  const int32_t cx = static_cast<int32_t>(x + 0.5f);
  const int32_t cy = static_cast<int32_t>(y + 0.5f);
  float largest = 0.0f;
  for (int32_t row = cy - 1; row <= cy + 1; ++row) {
    if (row < 0 || row >= field.height) continue;
    for (int32_t column = cx - 1; column <= cx + 1; ++column) {
      if (column < 0 || column >= field.width) continue;
      largest = std::max(largest, field.At(column, row));
    }
  }
  return largest;
}

// Mean of the widths within R = max(0.75 w, 2) of arc length around each point.
std::vector<float> SmoothWidths(const std::vector<float>& widths, const std::vector<float>& arc) {
  const size_t n = widths.size();
  std::vector<float> smoothed(n);
  for (size_t k = 0; k < n; ++k) {
    const float reach = std::max(0.75f * widths[k], 2.0f);
    float sum = widths[k];
    int32_t count = 1;
    for (size_t j = k; j-- > 0 && arc[k] - arc[j] <= reach;) {
      sum += widths[j];
      ++count;
    }
    for (size_t j = k + 1; j < n && arc[j] - arc[k] <= reach; ++j) {
      sum += widths[j];
      ++count;
    }
    smoothed[k] = sum / static_cast<float>(count);
  }
  return smoothed;
}

void DecideRevealWindows(const RenderSettings& settings, const ChainRecord& chain, float totalLength,
                         ChainStrokeGeometry& geometry) {
  const float progress = settings.revealProgress;
  const float stagger = settings.chainStagger;
  const float total = totalLength;
  geometry.local = StaggeredChainProgress(progress, stagger, (1.0f - stagger) * geometry.start / total,
                                          (1.0f - stagger) * geometry.length / total);

  const size_t n = chain.points.size();
  if (settings.naturalSpeed && n >= 3) {
    const bool useFloat = ChainHasFloatPoints(chain);
    std::vector<float> xs(n);
    std::vector<float> ys(n);
    for (size_t k = 0; k < n; ++k) {
      xs[k] = ChainPointX(chain, k, useFloat);
      ys[k] = ChainPointY(chain, k, useFloat);
    }
    geometry.revealed = RevealDistance(xs, ys, geometry.length, geometry.local, settings.speedEase);
  } else {
    geometry.revealed = geometry.local * geometry.length;
  }
  if (geometry.revealed <= 0.0f) return;

  const bool offsetOn = settings.pathOffset > kPathOffsetOn;
  float off = std::fmod(total * settings.pathOffset, total);
  if (off < 0.0f) off += total;
  float head = (settings.naturalSpeed && !offsetOn) ? total : total * progress;
  head += off;
  const float limit = offsetOn ? geometry.length : geometry.revealed;

  geometry.windowA.t0 = std::max(off - geometry.start, 0.0f);
  geometry.windowA.t1 = std::min(head - geometry.start, limit);
  geometry.windowA.present = geometry.windowA.t1 > geometry.windowA.t0;
  if (head > total) {
    geometry.windowB.t0 = 0.0f;
    geometry.windowB.t1 = std::min(head - total - geometry.start, limit);
    geometry.windowB.present = geometry.windowB.t1 > 0.0f;
  }
}

}  // namespace

float ChainLength(const ChainRecord& chain) {
  return ChainHasFloatPoints(chain) ? PolylineLength(chain.fpoints) : PolylineLength(chain.points);
}

float InterpolateWidthPoints(const WidthPointTable& table, float x, float y, float defaultWidth) {
  const int32_t count = std::min(table.count, kWidthPointCount);
  if (count <= 0) return defaultWidth;
  float weightSum = 0.0f;
  float weightedWidths = 0.0f;
  for (int32_t i = 0; i < count; ++i) {
    const WidthPointEntry& e = table.entries[i];
    const float dx = x - e.x;
    const float dy = y - e.y;
    const float weight = 1.0f / (dy * dy + dx * dx + 1.0f);
    weightSum += weight;
    weightedWidths += weight * e.width;
  }
  return weightedWidths / weightSum;
}

float TaperFactor(float taper, float u) { return (1.0f - u) * (4.0f * u) * taper + (1.0f - taper); }

float RevealDistance(std::span<const float> xs, std::span<const float> ys, float length, float progress,
                     float ease) {
  const size_t n = std::min(xs.size(), ys.size());
  if (n < 2 || length <= 0.0f) return length * progress;
  xs = xs.first(n);
  ys = ys.first(n);
  const float pc = std::clamp(progress, 0.0f, 1.0f);

  std::vector<float> cumulative(n, 0.0f);
  for (size_t i = 1; i < n; ++i) {
    cumulative[i] = cumulative[i - 1] + Distance(FloatPoint{xs[i - 1], ys[i - 1]}, FloatPoint{xs[i], ys[i]});
  }

  const float halfWindow = std::max(2.0f, std::min(20.0f, 0.02f * length));
  std::vector<float> curvature(n, 0.0f);
  float curvatureSum = 0.0f;
  for (size_t i = 1; i + 1 < n; ++i) {
    const FloatPoint a =
        PointAtArc(xs, ys, cumulative, std::clamp(cumulative[i] - halfWindow, 0.0f, length));
    const FloatPoint b =
        PointAtArc(xs, ys, cumulative, std::clamp(cumulative[i] + halfWindow, 0.0f, length));
    const float ux = xs[i] - a.x, uy = ys[i] - a.y;
    const float vx = b.x - xs[i], vy = b.y - ys[i];
    const float uLength = std::sqrt(ux * ux + uy * uy);
    const float vLength = std::sqrt(vx * vx + vy * vy);
    if (uLength >= 1e-4f && vLength >= 1e-4f) {
      curvature[i] = 1.0f - (ux * vx + uy * vy) / (uLength * vLength);
      curvatureSum += curvature[i];
    }
  }
  const float mean =
      curvatureSum / static_cast<float>(std::max<size_t>(1, n - 2)) + 0.01f;

  std::vector<float> time(n, 0.0f);
  for (size_t i = 0; i + 1 < n; ++i) {
    const float cost = std::min(6.0f, (curvature[i] + curvature[i + 1]) * 0.5f / mean * ease + 1.0f);
    time[i + 1] = time[i] + cost * (cumulative[i + 1] - cumulative[i]);
  }
  const float totalTime = time[n - 1];
  if (totalTime <= 1e-6f) return length * pc;

  const float m = std::min(ease / 3.0f, 1.0f);
  const float eased = (3.0f - 2.0f * pc) * (pc * pc) * m + (1.0f - m) * pc;
  const float target = eased * totalTime;
  const size_t idx = SegmentAtArc(time, target);
  return cumulative[idx - 1] +
         (cumulative[idx] - cumulative[idx - 1]) * SegmentFraction(target, time[idx - 1], time[idx]);
}

std::vector<FloatPoint> ExtractSubPath(const ChainRecord& chain, float t0, float t1) {
  std::vector<FloatPoint> path;
  const size_t n = chain.points.size();
  if (t0 >= t1 || n < 2) return path;
  float acc = 0.0f;
  for (size_t k = 1; k < n; ++k) {
    const float px = static_cast<float>(chain.points[k - 1].x);
    const float py = static_cast<float>(chain.points[k - 1].y);
    const float dx = static_cast<float>(chain.points[k].x) - px;
    const float dy = static_cast<float>(chain.points[k].y) - py;
    const float seg = std::sqrt(dx * dx + dy * dy);
    if (seg <= 0.0f) continue;
    const float end = acc + seg;
    if (t0 < end) {
      if (acc >= t1) break;
      const float g0 = std::max(0.0f, (t0 - acc) / seg);
      const float g1 = std::min(1.0f, (t1 - acc) / seg);
      if (path.empty()) path.push_back({px + g0 * dx, py + g0 * dy});
      path.push_back({px + g1 * dx, py + g1 * dy});
    }
    acc = end;
  }
  return path;
}

std::vector<float> ComputeChainWidths(const ChainRecord& chain, const RenderSettings& settings,
                                      const DistanceField& field) {
  const size_t n = chain.points.size();
  const bool useFloat = ChainHasFloatPoints(chain);
  const bool fieldUsable = !field.Empty() && field.width > 0 && field.height > 0 && field.Complete();
  std::vector<float> widths(n);
  std::vector<float> arc(n, 0.0f);
  for (size_t k = 0; k < n; ++k) {
    const float x = ChainPointX(chain, k, useFloat);
    const float y = ChainPointY(chain, k, useFloat);
    float base = static_cast<float>(settings.lineRadius);
    if (settings.matchOriginalWidth && fieldUsable) {
      base = LargestNearbyDistance(field, x, y) * settings.widthScale;
    }
    widths[k] = std::max(0.0f, InterpolateWidthPoints(settings.widthPoints, x, y, base));
    if (k > 0) {
      arc[k] = arc[k - 1] + Distance(ChainPoint(chain, k - 1, useFloat), FloatPoint{x, y});
    }
  }

  if (settings.nibSimulation) {
    for (size_t k = 0; k < n; ++k) {
      const size_t prev = k == 0 ? 0 : k - 1;
      const size_t next = std::min(k + 1, n - 1);
      const float theta = PortableAtan2(ChainPointY(chain, next, useFloat) - ChainPointY(chain, prev, useFloat),
                                        ChainPointX(chain, next, useFloat) - ChainPointX(chain, prev, useFloat));
      widths[k] = widths[k] * (std::fabs(PortableSin(theta - settings.nibAngle)) * (1.0f - settings.minWidth) +
                               settings.minWidth);
      if (widths[k] < 0.3f) widths[k] = 0.3f;
    }
  }

  widths = SmoothWidths(widths, arc);
  return SmoothWidths(widths, arc);
}

StrokeGeometry ComputeStrokeGeometry(const RenderSettings& settings, const std::vector<ChainRecord>& chains,
                                     const DistanceField& field) {
  StrokeGeometry geometry;
  geometry.chains.resize(chains.size());
  for (size_t i = 0; i < chains.size(); ++i) {
    ChainStrokeGeometry& chainGeometry = geometry.chains[i];
    chainGeometry.length = ChainLength(chains[i]);
    chainGeometry.start = geometry.totalLength;
    geometry.totalLength += chainGeometry.length;
    chainGeometry.drawable = chains[i].points.size() >= 2 && chainGeometry.length > 0.0f;
  }
  for (size_t i = 0; i < chains.size(); ++i) {
    ChainStrokeGeometry& chainGeometry = geometry.chains[i];
    if (!chainGeometry.drawable) continue;
    chainGeometry.widths = ComputeChainWidths(chains[i], settings, field);
    DecideRevealWindows(settings, chains[i], geometry.totalLength, chainGeometry);
  }
  return geometry;
}
