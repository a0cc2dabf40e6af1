// The simple extraction written out plainly (recursion, full sweeps, an ordered map, whole step histories), for
// comparison with the real one; the plain graph extraction borrows its pieces.
#pragma once

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/points.h"
#include "skeleton/portable_trig.h"

namespace simple_extraction_reference {


// The heading turned by the mean turn (cross products taken as radians) of the last five steps or fewer.
inline FloatPoint PredictTurn(const std::vector<FloatPoint>& s, FloatPoint d) {
  const size_t n = std::min<size_t>(s.size(), 5);
  float sum = 0.0f;
  for (size_t i = s.size() - n; i + 1 < s.size(); ++i) sum += s[i].x * s[i + 1].y - s[i].y * s[i + 1].x;
  const float a = sum / static_cast<float>(n - 1), ca = PortableCos(a), sa = PortableSin(a);
  return Unit({d.x * ca - d.y * sa, d.x * sa + d.y * ca});
}

inline ChainRecord Trace(const ByteMask& mask, IntPoint c, std::vector<uint8_t>& visited, bool smart, float bias) {
  ChainRecord chain;
  FloatPoint d{0.0f, 0.0f};
  std::vector<FloatPoint> steps;
  for (;;) {
    chain.points.push_back(c);
    visited[c.y * mask.width + c.x] = 1;
    const bool first = d.x == 0.0f && d.y == 0.0f;
    const FloatPoint p = smart && steps.size() >= 2 && !first ? PredictTurn(steps, d) : d;
    float best = -1e9f;
    int32_t chosen = -1;
    for (int32_t k = 0; k < 8; ++k) {
      const IntPoint q{c.x + kNeighbourDx[k], c.y + kNeighbourDy[k]};
      if (MaskGet(mask, q.x, q.y) == 0 || visited[q.y * mask.width + q.x]) continue;
      const FloatPoint u = Unit({static_cast<float>(kNeighbourDx[k]), static_cast<float>(kNeighbourDy[k])});
      const float score = first    ? (k % 2 == 0 ? 1.0f : 0.9f)
                          : !smart ? Dot(u, d)
                                   : (1.0f - std::fabs(bias)) * Dot(u, d) + bias * Dot(u, p);
      if (score > best) best = score, chosen = k;
    }
    if (chosen < 0) return chain;
    steps.push_back(Unit({static_cast<float>(kNeighbourDx[chosen]), static_cast<float>(kNeighbourDy[chosen])}));
    d = first ? steps.back() : Unit({0.7f * steps.back().x + 0.3f * d.x, 0.7f * steps.back().y + 0.3f * d.y});
    c = {c.x + kNeighbourDx[chosen], c.y + kNeighbourDy[chosen]};
  }
}

inline void RdpStep(const std::vector<IntPoint>& pts, int32_t first, int32_t last, float tol, std::vector<bool>& keep) {
  const float px = static_cast<float>(pts[first].x), py = static_cast<float>(pts[first].y);
  const float vx = static_cast<float>(pts[last].x) - px, vy = static_cast<float>(pts[last].y) - py;
  const float l2 = vx * vx + vy * vy;
  float maxD = 0.0f;
  int32_t index = first;
  for (int32_t i = first + 1; i < last; ++i) {
    const float x = static_cast<float>(pts[i].x), y = static_cast<float>(pts[i].y);
    const float t = l2 >= 1e-6f ? std::clamp(((x - px) * vx + (y - py) * vy) / l2, 0.0f, 1.0f) : 0.0f;
    const float ex = x - (px + t * vx), ey = y - (py + t * vy), d = std::sqrt(ex * ex + ey * ey);
    if (d > maxD) maxD = d, index = i;
  }
  if (index == first || maxD <= tol) return;
  keep[index] = true;
  RdpStep(pts, first, index, tol, keep);
  RdpStep(pts, index, last, tol, keep);
}

inline ChainRecord Rdp(const ChainRecord& chain) {
  if (chain.points.size() < 3) return chain;
  std::vector<bool> keep(chain.points.size(), false);
  keep.front() = keep.back() = true;
  RdpStep(chain.points, 0, static_cast<int32_t>(keep.size()) - 1, 2.5f, keep);
  ChainRecord out{{}, {}, {}, {}, chain.closed};
  for (size_t i = 0; i < keep.size(); ++i) {
    if (keep[i]) out.points.push_back(chain.points[i]);
  }
  return out;
}

// Joins the first pair in list order whose nearest ends meet, and sweeps again.
inline void JoinPass(std::vector<ChainRecord>& chains, float t) {
  for (size_t i = 0; i < chains.size(); ++i) {
    for (size_t j = i + 1; j < chains.size() && !chains[i].closed; ++j) {
      const std::vector<IntPoint>&a = chains[i].points, &b = chains[j].points;
      const float d[4] = {Distance(a.back(), b.front()), Distance(a.back(), b.back()),
                          Distance(a.front(), b.front()), Distance(a.front(), b.back())};
      const auto pick = std::min_element(d, d + 4) - d;
      if (chains[j].closed || d[pick] > t) continue;
      const std::vector<IntPoint> ra(a.rbegin(), a.rend()), rb(b.rbegin(), b.rend());
      const std::vector<IntPoint>* parts[4][2] = {{&a, &b}, {&a, &rb}, {&ra, &b}, {&b, &a}};
      ChainRecord joined;
      for (const auto* part : parts[pick]) joined.points.insert(joined.points.end(), part->begin(), part->end());
      chains[i] = Rdp(joined);  // a and b are not read after this
      chains.erase(chains.begin() + static_cast<std::ptrdiff_t>(j));
      i = static_cast<size_t>(-1);
      break;
    }
  }
}

inline void ClosePass(std::vector<ChainRecord>& chains, float t) {
  for (auto& c : chains) c.closed |= c.points.size() >= 4 && Distance(c.points.front(), c.points.back()) <= t;
}

inline std::vector<ChainRecord> Extract(const ByteMask& mask, float gapClose, float minLength, bool smart, float bias) {
  const int32_t w = mask.width, h = mask.height;
  std::vector<uint8_t> visited(mask.cells.size(), 0);
  std::vector<ChainRecord> result;
  for (int32_t pass = 0; pass < 2; ++pass) {  // from interior stroke ends, then from any interior pixel left
    for (int32_t y = 1; y <= h - 2; ++y) {
      for (int32_t x = 1; x <= w - 2; ++x) {
        if (!MaskGet(mask, x, y) || visited[y * w + x] || (pass == 0 && NeighbourCount(mask, x, y) != 1)) continue;
        ChainRecord c = Trace(mask, {x, y}, visited, smart, bias);
        if (c.points.size() >= 3) result.push_back(Rdp(c));
      }
    }
  }
  std::map<int64_t, int32_t> owner;  // pixels of each chain's outline, later chains winning
  for (size_t ci = 0; ci < result.size(); ++ci) {
    const auto& p = result[ci].points;
    for (size_t i = 0; i + 1 < p.size(); ++i) {
      const float dx = static_cast<float>(p[i + 1].x - p[i].x), dy = static_cast<float>(p[i + 1].y - p[i].y);
      const int32_t steps = std::max(1, static_cast<int32_t>(std::floor(std::sqrt(dx * dx + dy * dy) + 0.5f)));
      for (int32_t k = 0; k <= steps; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(steps);
        const int64_t px = static_cast<int64_t>(std::floor(t * dx + static_cast<float>(p[i].x) + 0.5f));
        owner[static_cast<int64_t>(std::floor(t * dy + static_cast<float>(p[i].y) + 0.5f)) * w + px] = int32_t(ci);
      }
    }
  }
  for (size_t ci = 0; ci < result.size(); ++ci) {
    for (bool atStart : {true, false}) {  // reach out to the nearest pixel of another chain
      auto& p = result[ci].points;
      const IntPoint e = atStart ? p.front() : p.back();
      float best = 2.501f;
      std::vector<IntPoint> found;
      for (int32_t dy = -3; dy <= 3; ++dy) {
        for (int32_t dx = -3; dx <= 3; ++dx) {
          const IntPoint c{e.x + dx, e.y + dy};
          if ((dx == 0 && dy == 0) || c.x < 0 || c.x >= w || c.y < 0 || c.y >= h) continue;
          const auto it = owner.find(static_cast<int64_t>(c.y) * w + c.x);
          const float dist = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          if (it != owner.end() && it->second != int32_t(ci) && dist < best) best = dist, found = {c};
        }
      }
      if (!found.empty()) p.insert(atStart ? p.begin() : p.end(), found[0]);
    }
  }
  JoinPass(result, 2.5f);
  ClosePass(result, 2.5f);
  std::erase_if(result, [&](const ChainRecord& c) {  // the filter: closed, long enough or five points
    return !c.closed && PolylineLength(c.points) < minLength && c.points.size() < 5;
  });
  if (gapClose > 0.0f) {
    JoinPass(result, gapClose);
    ClosePass(result, gapClose);
  }
  return result;
}

}  // namespace simple_extraction_reference
