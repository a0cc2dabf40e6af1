// A plain, slow transcription of the simple extraction, step by step, with
// recursion and full sweeps: the reference the fast code is compared with.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/portable_trig.h"

namespace simple_extraction_reference {

inline float Distance(IntPoint a, IntPoint b) {
  const float dx = static_cast<float>(a.x - b.x), dy = static_cast<float>(a.y - b.y);
  return std::sqrt(dx * dx + dy * dy);
}

inline ChainRecord Trace(const ByteMask& mask, int32_t x0, int32_t y0, std::vector<uint8_t>& visited, uint8_t smart,
                         float bias) {
  static const int32_t kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
  static const int32_t kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
  const int32_t w = mask.width, h = mask.height;
  ChainRecord chain;
  chain.points.push_back({x0, y0});
  visited[static_cast<size_t>(y0) * w + x0] = 1;
  float dX = 0.0f, dY = 0.0f;
  std::vector<float> ringX(5, 0.0f), ringY(5, 0.0f);
  int32_t write = 0, count = 0;
  IntPoint c{x0, y0};
  while (true) {
    float pX = dX, pY = dY;
    if (smart && count >= 2 && !(dX == 0.0f && dY == 0.0f)) {
      // Oldest first.
      std::vector<float> sx, sy;
      for (int32_t i = 0; i < count; ++i) {
        const int32_t slot = (write - count + i + 10) % 5;
        sx.push_back(ringX[slot]);
        sy.push_back(ringY[slot]);
      }
      float sum = 0.0f;
      for (int32_t i = 0; i + 1 < count; ++i) sum += sx[i] * sy[i + 1] - sy[i] * sx[i + 1];
      const float a = sum / static_cast<float>(count - 1);
      const float ca = PortableCos(a), sa = PortableSin(a);
      pX = dX * ca - dY * sa;
      pY = dX * sa + dY * ca;
      const float len = std::sqrt(pX * pX + pY * pY);
      if (len > 0.0f) {
        pX = pX / len;
        pY = pY / len;
      }
    }
    float best = -1e9f;
    int32_t chosen = -1;
    for (int32_t k = 0; k < 8; ++k) {
      const int32_t nx = c.x + kDx[k], ny = c.y + kDy[k];
      if (!(nx >= 0 && nx < w && ny >= 0 && ny < h)) continue;
      if (mask.cells[static_cast<size_t>(ny) * w + nx] == 0 || visited[static_cast<size_t>(ny) * w + nx] != 0) continue;
      const float len = (k % 2 == 0) ? 1.0f : std::sqrt(2.0f);
      const float ux = static_cast<float>(kDx[k]) / len, uy = static_cast<float>(kDy[k]) / len;
      float score;
      if (dX == 0.0f && dY == 0.0f) {
        score = (k % 2 == 0) ? 1.0f : 0.9f;
      } else if (!smart) {
        score = ux * dX + uy * dY;
      } else {
        score = (1.0f - std::fabs(bias)) * (ux * dX + uy * dY) + bias * (ux * pX + uy * pY);
      }
      if (score > best) {
        best = score;
        chosen = k;
      }
    }
    if (chosen < 0) return chain;
    const float len = (chosen % 2 == 0) ? 1.0f : std::sqrt(2.0f);
    const float sX = static_cast<float>(kDx[chosen]) / len, sY = static_cast<float>(kDy[chosen]) / len;
    if (dX == 0.0f && dY == 0.0f) {
      dX = sX;
      dY = sY;
    } else {
      dX = 0.7f * sX + 0.3f * dX;
      dY = 0.7f * sY + 0.3f * dY;
      const float dl = std::sqrt(dX * dX + dY * dY);
      if (dl > 0.0f) {
        dX = dX / dl;
        dY = dY / dl;
      }
    }
    if (smart) {
      ringX[write] = sX;
      ringY[write] = sY;
      write = (write + 1) % 5;
      count = std::min(count + 1, 5);
    }
    c = {c.x + kDx[chosen], c.y + kDy[chosen]};
    chain.points.push_back(c);
    visited[static_cast<size_t>(c.y) * w + c.x] = 1;
  }
}

inline void RdpStep(const std::vector<IntPoint>& pts, int32_t first, int32_t last, float tol, std::vector<bool>& keep) {
  if (last - first < 2) return;
  const float px = static_cast<float>(pts[first].x), py = static_cast<float>(pts[first].y);
  const float qx = static_cast<float>(pts[last].x), qy = static_cast<float>(pts[last].y);
  const float l2 = (qx - px) * (qx - px) + (qy - py) * (qy - py);
  float maxD = 0.0f;
  int32_t index = first;
  for (int32_t i = first + 1; i <= last - 1; ++i) {
    const float x = static_cast<float>(pts[i].x), y = static_cast<float>(pts[i].y);
    float d;
    if (l2 >= 1e-6f) {
      float t = ((x - px) * (qx - px) + (y - py) * (qy - py)) / l2;
      t = std::max(0.0f, std::min(1.0f, t));
      const float ex = x - (px + t * (qx - px)), ey = y - (py + t * (qy - py));
      d = std::sqrt(ex * ex + ey * ey);
    } else {
      d = std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
    }
    if (d > maxD) {
      maxD = d;
      index = i;
    }
  }
  if (index == first || maxD <= tol) return;  // nothing selected, or close enough
  keep[index] = true;
  RdpStep(pts, first, index, tol, keep);
  RdpStep(pts, index, last, tol, keep);
}

inline ChainRecord Rdp(const ChainRecord& chain) {
  const int32_t n = static_cast<int32_t>(chain.points.size());
  if (n < 3) return chain;
  std::vector<bool> keep(n, false);
  keep[0] = keep[n - 1] = true;
  RdpStep(chain.points, 0, n - 1, 2.5f, keep);
  ChainRecord out;
  for (int32_t i = 0; i < n; ++i) {
    if (keep[i]) out.points.push_back(chain.points[i]);
  }
  out.closed = chain.closed;
  return out;
}

inline float Length(const std::vector<IntPoint>& pts) {
  float sum = 0.0f;
  for (size_t i = 1; i < pts.size(); ++i) sum += Distance(pts[i - 1], pts[i]);
  return sum;
}

inline void JoinPass(std::vector<ChainRecord>& chains, float t) {
  bool again = true;
  while (again) {
    again = false;
    for (size_t i = 0; i < chains.size() && !again; ++i) {
      for (size_t j = i + 1; j < chains.size() && !again; ++j) {
        if (chains[i].closed || chains[j].closed) continue;
        const auto& a = chains[i].points;
        const auto& b = chains[j].points;
        const float d[4] = {Distance(a.back(), b.front()), Distance(a.back(), b.back()),
                            Distance(a.front(), b.front()), Distance(a.front(), b.back())};
        int32_t pick = 0;
        float best = d[0];
        for (int32_t k = 1; k < 4; ++k) {
          if (d[k] < best) {
            best = d[k];
            pick = k;
          }
        }
        if (best > t) continue;
        std::vector<IntPoint> ra(a.rbegin(), a.rend()), rb(b.rbegin(), b.rend());
        std::vector<IntPoint> run;
        const std::vector<IntPoint>* parts[4][2] = {{&a, &b}, {&a, &rb}, {&ra, &b}, {&b, &a}};
        for (const auto* part : parts[pick]) run.insert(run.end(), part->begin(), part->end());
        ChainRecord joined;
        joined.points = run;
        chains[i] = Rdp(joined);
        chains.erase(chains.begin() + static_cast<std::ptrdiff_t>(j));
        again = true;
      }
    }
  }
}

inline void ClosePass(std::vector<ChainRecord>& chains, float t) {
  for (auto& c : chains) {
    if (c.closed == 0 && c.points.size() >= 4 && Distance(c.points.front(), c.points.back()) <= t) c.closed = 1;
  }
}

inline std::vector<ChainRecord> Extract(const ByteMask& mask, float gapClose, float minLength, uint8_t smart,
                                        float bias) {
  const int32_t w = mask.width, h = mask.height;
  std::vector<uint8_t> visited(static_cast<size_t>(w) * h, 0);
  std::vector<ChainRecord> result;
  std::vector<IntPoint> ends;
  for (int32_t y = 1; y <= h - 2; ++y) {
    for (int32_t x = 1; x <= w - 2; ++x) {
      if (MaskGet(mask, x, y) && SkeletonPixelDegree(mask, x, y) == 1) ends.push_back({x, y});
    }
  }
  for (IntPoint e : ends) {
    if (visited[static_cast<size_t>(e.y) * w + e.x]) continue;
    ChainRecord c = Trace(mask, e.x, e.y, visited, smart, bias);
    if (c.points.size() >= 3) result.push_back(Rdp(c));
  }
  for (int32_t y = 1; y <= h - 2; ++y) {
    for (int32_t x = 1; x <= w - 2; ++x) {
      if (!MaskGet(mask, x, y) || visited[static_cast<size_t>(y) * w + x]) continue;
      ChainRecord c = Trace(mask, x, y, visited, smart, bias);
      if (c.points.size() >= 3) result.push_back(Rdp(c));
    }
  }
  std::map<int32_t, int32_t> owner;
  for (size_t ci = 0; ci < result.size(); ++ci) {
    const auto& p = result[ci].points;
    for (size_t i = 0; i + 1 < p.size(); ++i) {
      const float dx = static_cast<float>(p[i + 1].x - p[i].x), dy = static_cast<float>(p[i + 1].y - p[i].y);
      const float len = std::sqrt(dx * dx + dy * dy);
      const int32_t steps = std::max(1, static_cast<int32_t>(std::floor(len + 0.5f)));
      for (int32_t k = 0; k <= steps; ++k) {
        const float t = static_cast<float>(k) / static_cast<float>(steps);
        const int32_t px = static_cast<int32_t>(std::floor(t * dx + static_cast<float>(p[i].x) + 0.5f));
        const int32_t py = static_cast<int32_t>(std::floor(t * dy + static_cast<float>(p[i].y) + 0.5f));
        owner[py * w + px] = static_cast<int32_t>(ci);
      }
    }
  }
  for (size_t ci = 0; ci < result.size(); ++ci) {
    for (bool atStart : {true, false}) {
      auto& p = result[ci].points;
      const IntPoint e = atStart ? p.front() : p.back();
      float best = 2.501f;
      bool found = false;
      IntPoint q{};
      for (int32_t dy = -3; dy <= 3; ++dy) {
        for (int32_t dx = -3; dx <= 3; ++dx) {
          if (dx == 0 && dy == 0) continue;
          const IntPoint c{e.x + dx, e.y + dy};
          if (c.x < 0 || c.x >= w || c.y < 0 || c.y >= h) continue;
          auto it = owner.find(c.y * w + c.x);
          if (it == owner.end() || it->second == static_cast<int32_t>(ci)) continue;
          const float dist = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          if (dist < best) {
            best = dist;
            q = c;
            found = true;
          }
        }
      }
      if (found) {
        if (atStart) p.insert(p.begin(), q);
        else p.push_back(q);
      }
    }
  }
  JoinPass(result, 2.5f);
  ClosePass(result, 2.5f);
  std::vector<ChainRecord> kept;
  for (auto& c : result) {
    if (c.closed || Length(c.points) >= minLength || c.points.size() >= 5) kept.push_back(c);
  }
  if (gapClose > 0.0f) {
    JoinPass(kept, gapClose);
    ClosePass(kept, gapClose);
  }
  return kept;
}

}  // namespace simple_extraction_reference
