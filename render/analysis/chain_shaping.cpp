#include "render/analysis/chain_shaping.h"

// Chaikin subdivision replaces every segment AB by the points at 1/4 and 3/4
// of it: each pass cuts every corner, and repeated passes converge to the
// quadratic B-spline of the points, so a traced staircase rounds off while
// the chain keeps its ends. A fitted Bezier chain is drawn as a polyline again,
// kBezierFlattenSteps segments per span, evenly spaced in the curve parameter.

#include <cstddef>

#include "skeleton/bezier_fit.h"
#include "skeleton/centre_refinement.h"

namespace {

bool HasValidFloatPoints(const ChainRecord& chain) { return chain.fpoints.size() == chain.points.size(); }

std::vector<FloatPoint> FloatPositions(const ChainRecord& chain) {
  if (HasValidFloatPoints(chain)) return chain.fpoints;
  std::vector<FloatPoint> positions;
  positions.reserve(chain.points.size());
  for (const IntPoint& p : chain.points) positions.push_back(ToFloatPoint(p));
  return positions;
}

}  // namespace

void FlattenBezierChain(ChainRecord& chain) {
  const size_t n = chain.points.size();
  if (chain.outT.empty() || chain.outT.size() != n || chain.inT.size() != n) return;
  const std::vector<FloatPoint> source = FloatPositions(chain);
  std::vector<IntPoint> points;
  std::vector<FloatPoint> fpoints;
  points.reserve(kBezierFlattenSteps * n);
  fpoints.reserve(kBezierFlattenSteps * n);
  fpoints.push_back(source[0]);
  points.push_back(RoundToPixel(source[0]));
  for (size_t i = 1; i < n; ++i) {
    const FloatPoint p0 = source[i - 1];
    const FloatPoint p1{p0.x + chain.outT[i - 1].x, p0.y + chain.outT[i - 1].y};
    const FloatPoint p3 = source[i];
    const FloatPoint p2{p3.x + chain.inT[i].x, p3.y + chain.inT[i].y};
    for (int32_t k = 1; k <= kBezierFlattenSteps; ++k) {
      const float t = static_cast<float>(k) / static_cast<float>(kBezierFlattenSteps);
      const float u = 1.0f - t;
      const float b0 = u * u * u;
      const float b1 = (3.0f * u) * u * t;
      const float b2 = (3.0f * u) * t * t;
      const float b3 = t * t * t;
      const FloatPoint q{b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x, b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
      fpoints.push_back(q);
      points.push_back(RoundToPixel(q));
    }
  }
  chain.points.swap(points);
  chain.fpoints.swap(fpoints);
  chain.inT.clear();
  chain.outT.clear();
}

void SubdivideChaikin(ChainRecord& chain, int32_t passes) {
  if (passes <= 0 || chain.points.size() < 3) return;
  std::vector<FloatPoint> poly = FloatPositions(chain);
  std::vector<FloatPoint> out;
  for (int32_t pass = 0; pass < passes; ++pass) {
    const size_t m = poly.size();
    out.clear();
    out.reserve(2 * m);
    out.push_back(poly[0]);
    for (size_t i = 0; i + 1 < m; ++i) {
      const FloatPoint a = poly[i];
      const FloatPoint b = poly[i + 1];
      out.push_back(FloatPoint{b.x * 0.25f + a.x * 0.75f, b.y * 0.25f + a.y * 0.75f});
      out.push_back(FloatPoint{b.x * 0.75f + a.x * 0.25f, b.y * 0.75f + a.y * 0.25f});
    }
    out.push_back(poly[m - 1]);
    poly.swap(out);
  }
  chain.points.resize(poly.size());
  for (size_t i = 0; i < poly.size(); ++i) chain.points[i] = RoundToPixel(poly[i]);
  chain.fpoints.swap(poly);
  // Handles belong to the points they were fitted to.
  chain.inT.clear();
  chain.outT.clear();
}

void ShapeChains(std::vector<ChainRecord>& chains, const DistanceField& field, const RenderSettings& settings) {
  RefineChainCenters(chains, field);
  if (settings.useBezierFit) {
    for (ChainRecord& chain : chains) {
      if (!chain.closed && chain.points.size() >= 3) FitChainBeziers(chain, settings.fitTolerance);
    }
  }
  for (ChainRecord& chain : chains) FlattenBezierChain(chain);
  if (settings.subdivide > 0) {
    for (ChainRecord& chain : chains) SubdivideChaikin(chain, settings.subdivide);
  }
}
