#include "render/drawing/stroke_pieces.h"

#include <algorithm>
#include <cmath>

void CutWindowIntoPieces(const ChainRecord& chain, const ChainStrokeGeometry& geometry, ArcWindow window,
                         float taper, std::vector<StrokePiece>& pieces) {
  pieces.clear();
  const size_t n = chain.points.size();
  if (!window.present || geometry.widths.size() != n) return;
  const bool useFloat = ChainHasFloatPoints(chain);
  const std::vector<float>& w = geometry.widths;
  const float length = geometry.length;
  float acc = 0.0f;
  for (size_t k = 1; k < n; ++k) {
    const float px = ChainPointX(chain, k - 1, useFloat);
    const float py = ChainPointY(chain, k - 1, useFloat);
    const float dx = ChainPointX(chain, k, useFloat) - px;
    const float dy = ChainPointY(chain, k, useFloat) - py;
    const float seg = std::sqrt(dx * dx + dy * dy);
    if (seg <= 0.0f) continue;
    const float end = acc + seg;
    if (window.t0 >= end) {
      acc = end;
      continue;
    }
    if (acc >= window.t1) break;

    StrokePiece piece;
    piece.segment = k;
    piece.segmentLength = seg;
    piece.u0 = std::max(window.t0 - acc, 0.0f);
    piece.u1 = std::min(window.t1 - acc, seg);
    piece.frac = (piece.u1 - piece.u0) / seg;
    if (piece.frac <= 0.0f) {
      acc = end;
      continue;
    }
    const float g0 = piece.u0 / seg;
    const float g1 = piece.u1 / seg;
    piece.q0 = {px + g0 * dx, py + g0 * dy};
    piece.q1 = {piece.q0.x + piece.frac * dx, piece.q0.y + piece.frac * dy};
    piece.a0 = (acc + piece.u0) / length;
    piece.a1 = std::min(1.0f, (acc + piece.u1) / length);
    piece.r0 = std::max(kWidthFloor, TaperFactor(taper, piece.a0) * (w[k - 1] + g0 * (w[k] - w[k - 1])));
    piece.r1 = std::max(kWidthFloor, TaperFactor(taper, piece.a1) * (w[k - 1] + g1 * (w[k] - w[k - 1])));
    piece.fade =
        (geometry.local < kFullyRevealed && acc + piece.u1 >= window.t1 - 0.01f) ? kHeadFade : 0.0f;
    pieces.push_back(piece);
    acc = end;
  }
}
