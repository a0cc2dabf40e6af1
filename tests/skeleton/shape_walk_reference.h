// Merge by Shape written out plainly, for comparison with the real one: fresh grids, full node scans, a recursive
// walk, and at every choice among several free edges each one's branch measured to its end with MeasureBranch and
// scored in full. It shares the graph, the writing direction and the seed search with the real one.
#pragma once

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/extract_chains_graph.h"
#include "skeleton/points.h"
#include "skeleton/polyline_simplify.h"
#include "skeleton/shape_walk.h"
#include "skeleton/skeleton_graph.h"
#include "skeleton/turn_prediction.h"
#include "tests/skeleton/simple_extraction_reference.h"
#include "tests/skeleton/test_masks.h"

namespace shape_walk_reference {

using namespace simple_extraction_reference;

inline FloatPoint Step(IntPoint from, IntPoint to) { return Unit({float(to.x - from.x), float(to.y - from.y)}); }

inline bool FreeEdge(const SkeletonGraph& g, int32_t n) {
  return std::any_of(g.incidentEdges[n].begin(), g.incidentEdges[n].end(), [&](int32_t e) { return !g.edges[e].used; });
}

// Always on to the first unvisited set neighbour, N first, clockwise.
inline std::vector<IntPoint> Trace(const ByteMask& mask, IntPoint p, std::vector<uint8_t>& visited) {
  std::vector<IntPoint> points;
  for (bool moved = true; moved;) {
    visited[p.y * mask.width + p.x] = 1;
    points.push_back(p);
    moved = false;
    for (int32_t k = 0; k < 8 && !moved; ++k) {
      const IntPoint q{p.x + kNeighbourDx[k], p.y + kNeighbourDy[k]};
      if (MaskGet(mask, q.x, q.y) && !visited[q.y * mask.width + q.x]) p = q, moved = true;
    }
  }
  return points;
}

// The free edge that best goes on from node: with a choice, the one to the least ink without a stroke end beyond.
inline int32_t BestEdge(const SkeletonGraph& g, int32_t node, const std::vector<IntPoint>& points, FloatPoint heading,
                 bool smart, float bias) {
  const bool curve = smart && std::fabs(bias) > 0.0001f, moving = heading.x != 0 || heading.y != 0;
  std::vector<FloatPoint> steps;  // the last five pixel steps or fewer
  for (size_t j = points.size() - std::min<size_t>(points.size() - 1, 5); j < points.size(); ++j) {
    steps.push_back(Step(points[j - 1], points[j]));
  }
  const FloatPoint predicted = curve && moving && points.size() >= 4 ? PredictTurn(steps, heading) : heading;
  std::vector<int32_t> free;
  std::copy_if(g.incidentEdges[node].begin(), g.incidentEdges[node].end(), std::back_inserter(free),
               [&](int32_t e) { return !g.edges[e].used; });
  int32_t best = -1;
  float bestScore = -1e9f;
  for (const int32_t e : free) {
    const std::vector<IntPoint>& px = g.edges[e].pixels;
    const bool forward = g.edges[e].nodeA == node;
    const FloatPoint u = forward ? Step(px[0], px[1]) : Step(px.back(), px[px.size() - 2]);
    const float straight = Dot(u, heading);
    float s = !moving ? 0.0f : curve ? (1 - std::fabs(bias)) * straight + bias * Dot(u, predicted) : straight;
    if (free.size() > 1) {
      const BranchInfo b = MeasureBranch(g, forward ? g.edges[e].nodeB : g.edges[e].nodeA, e);
      s = (b.hasLeaf ? -1e7f : 0.0f) - (b.length + g.edges[e].length) + 0.001f * s;
    }
    if (s > bestScore) bestScore = s, best = e;
  }
  return best;
}

inline std::vector<ChainRecord> Extract(const ByteMask& mask, float minLength, FloatPoint start, bool smart, float bias,
                                 bool directional, const std::vector<ChainRecord>& simple,
                                 const std::vector<FloatPoint>& seeds = {}) {
  std::vector<ChainRecord> result;
  const int32_t w = mask.width;
  SkeletonGraph g = BuildSkeletonGraph(mask, minLength);
  const FloatPoint dir = ComputeWritingDirection(mask, start.x, start.y);
  // Higher is preferred: nearer the reference (the start point unless given), or with `along` further along the
  // writing direction.
  auto score = [&](IntPoint q, bool along, FloatPoint r) {
    const float x = float(q.x), y = float(q.y);
    return along ? x * dir.x + y * dir.y : -((x - r.x) * (x - r.x) + (y - r.y) * (y - r.y));
  };
  auto preferred = [&](const std::vector<IntPoint>& p) {
    size_t k = 0;
    for (size_t i = 1; i < p.size(); ++i) k = score(p[i], directional, start) > score(p[k], directional, start) ? i : k;
    return static_cast<std::ptrdiff_t>(k);
  };
  auto pixel = [&](int32_t n) { return IntPoint{g.nodes[n] % w, g.nodes[n] / w}; };
  auto componentAt = [&](IntPoint p) {
    return p.x < 0 || p.y < 0 || p.x >= w || p.y >= mask.height ? -1 : g.componentOfPixel[p.y * w + p.x];
  };
  auto keep = [&](std::vector<IntPoint> points, bool closed, bool shortOk) {
    const ChainRecord chain = simple_extraction_reference::Rdp(test_masks::Chain(std::move(points), closed));
    if (PolylineLength(chain.points) >= minLength || (shortOk && chain.points.size() > 4)) result.push_back(chain);
  };
  const size_t components = g.componentCount;
  std::vector<uint8_t> junction(components, 0), hasNode(components, 0), done(components, 0);
  for (size_t n = 0; n < g.nodes.size(); ++n) {
    hasNode[g.nodeComponent[n]] = 1;
    junction[g.nodeComponent[n]] |= g.incidentEdges[n].size() > 2;
  }

  std::vector<int32_t> chainsIn(components, 0), firstChain(components, -1);
  for (size_t k = 0; k < simple.size(); ++k) {
    const auto& p = simple[k].points;
    const int32_t c = p.size() < 2 ? -1 : componentAt(p.front());
    if (c >= 0 && componentAt(p[p.size() / 2]) == c && componentAt(p.back()) == c && chainsIn[c]++ == 0) {
      firstChain[c] = int32_t(k);
    }
  }
  for (size_t c = 0; c < components; ++c) {
    if (chainsIn[c] != 1 || g.liveEdgeCount[c] == 0) continue;
    ChainRecord chain = simple[firstChain[c]];
    std::vector<IntPoint>& p = chain.points;
    if (!chain.closed && score(p.back(), directional, start) > score(p.front(), directional, start)) {
      std::reverse(p.begin(), p.end());
    } else if (chain.closed) {
      if (PointsEqual(p.front(), p.back())) p.pop_back();
      std::rotate(p.begin(), p.begin() + preferred(p), p.end());
      if (p.size() >= 2) p.push_back(p.front());
    }
    result.push_back(chain);
    done[c] = 1;
  }

  for (int32_t i = 0; i < int32_t(g.nodes.size()); ++i) {
    const int32_t c = g.nodeComponent[i];
    if (done[c] || g.liveEdgeCount[c] == 0 || !FreeEdge(g, i)) continue;
    done[c] = 1;
    if (!junction[c]) {
      int32_t from = -1;
      for (int32_t n = 0; n < int32_t(g.nodes.size()); ++n) {
        if (g.nodeComponent[n] != c) continue;
        if (from < 0 || score(pixel(n), false, start) > score(pixel(from), false, start)) from = n;
      }
      std::vector<uint8_t> visited(mask.cells.size(), 0);
      std::vector<IntPoint> trace = Trace(mask, pixel(from), visited);
      if (trace.size() >= 4) keep(std::move(trace), 1, false);
      continue;
    }

    // The first seed whose nearest set pixel lies in the component is the reference, and then wins over the
    // writing direction.
    FloatPoint reference = start;
    bool along = directional;
    for (const FloatPoint& seed : seeds) {
      IntPoint q;
      if (!FindSeedPixel(mask, seed, q) || componentAt(q) != c) continue;
      reference = {float(q.x), float(q.y)}, along = false;
      break;
    }
    int32_t first = -1;  // a stroke end with a free edge, else any node with one
    for (int32_t pass = 0; pass < 2 && first < 0; ++pass) {
      for (int32_t n = 0; n < int32_t(g.nodes.size()); ++n) {
        if (g.nodeComponent[n] != c || !FreeEdge(g, n) || (pass == 0 && g.nodeDegree[n] != 1)) continue;
        if (first < 0 || score(pixel(n), along, reference) > score(pixel(first), along, reference)) first = n;
      }
    }
    // Depth first along the best free edges, back over drawn ink when stuck, but not after the last new edge.
    std::vector<IntPoint> points = {pixel(first)};
    FloatPoint heading{0, 0};
    size_t lastForward = 0;
    auto walkAlong = [&](const EdgeRec& e, int32_t from) {
      if (e.nodeA == from) points.insert(points.end(), e.pixels.begin() + 1, e.pixels.end());
      else points.insert(points.end(), e.pixels.rbegin() + 1, e.pixels.rend());
      heading = Step(points[points.size() - 2], points.back());
    };
    auto walkFrom = [&](auto& self, int32_t node) -> void {
      for (int32_t e; (e = BestEdge(g, node, points, heading, smart, bias)) >= 0;) {
        const int32_t far = g.edges[e].nodeA == node ? g.edges[e].nodeB : g.edges[e].nodeA;
        g.edges[e].used = 1;
        walkAlong(g.edges[e], node);
        lastForward = points.size() - 1;
        self(self, far);
        walkAlong(g.edges[e], far);
      }
    };
    walkFrom(walkFrom, first);
    points.resize(lastForward + 1);
    if (points.size() >= 2) keep(std::move(points), 0, true);
  }

  std::vector<uint8_t> visited(mask.cells.size(), 0);
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    const int32_t c = mask.cells[i] ? g.componentOfPixel[i] : -1;
    if (c < 0 || visited[i] || done[c] || hasNode[c]) continue;
    std::vector<IntPoint> trace = Trace(mask, {int32_t(i % w), int32_t(i / w)}, visited);
    std::rotate(trace.begin(), trace.begin() + preferred(trace), trace.end());
    if (trace.size() >= 4) keep(std::move(trace), 1, false);
  }
  return result;
}

}  // namespace shape_walk_reference
