// The stroke drawing written the plain way: the base pixel by pixel, a layer
// of five full-frame planes, every capsule evaluated over its whole box and
// a composite over every pixel. The reference that the fast drawing must
// match byte for byte.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/drawing/chain_preview.h"
#include "render/drawing/dash_pattern.h"
#include "render/drawing/draw_primitives.h"
#include "render/drawing/offset_outline.h"
#include "render/drawing/pixel_access.h"
#include "render/drawing/stroke_drawing.h"
#include "render/drawing/stroke_geometry.h"
#include "render/drawing/stroke_pieces.h"
#include "render/drawing/value_noise.h"

namespace plain {

struct Layer {
  int32_t width = 0;
  std::vector<float> coverage, red, green, blue, alpha;
};

inline void DrawCapsule(const HostFrame& destination, const HostFrame& source, const Capsule& c, Layer& layer) {
  const float x0 = c.from.x, y0 = c.from.y, x1 = c.to.x, y1 = c.to.y, r0 = c.fromRadius, r1 = c.toRadius;
  const HostPixel8 colour = c.colour;
  const bool useSource = c.useSource;
  const float fade = c.fade, roughAmount = c.roughAmount, roughScale = c.roughScale;
  constexpr float kInv255 = 0.003921569f;
  const auto edge = [](float e) {
    if (!(e > -1e15f)) return static_cast<int64_t>(-1e15f);
    return static_cast<int64_t>(std::min(e, 1e15f));
  };
  const float margin = std::max(r0, r1) + 0.5f;
  const int64_t left = std::max<int64_t>(edge(std::floor(std::min(x0, x1) - margin)) - 1, 0);
  const int64_t right = std::min<int64_t>(edge(std::ceil(std::max(x0, x1) + margin)) + 1, destination.width - 1);
  const int64_t top = std::max<int64_t>(edge(std::floor(std::min(y0, y1) - margin)) - 1, 0);
  const int64_t bottom = std::min<int64_t>(edge(std::ceil(std::max(y0, y1) + margin)) + 1, destination.height - 1);
  const float dx = x1 - x0, dy = y1 - y0, q = dx * dx + dy * dy;
  const float inverse = q > 1e-9f ? 1.0f / q : 0.0f;
  const float length = std::sqrt(q);
  for (int64_t y = top; y <= bottom; ++y) {
    for (int64_t x = left; x <= right; ++x) {
      const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      const float t = std::clamp(((px - x0) * dx + (py - y0) * dy) * inverse, 0.0f, 1.0f);
      const float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
      const float dist = std::sqrt(ex * ex + ey * ey);
      float radius = r0 + (r1 - r0) * t;
      if (roughAmount > 0.0f) {
        radius = std::max(0.0f, radius + ValueNoise2D(px * roughScale, py * roughScale) * roughAmount);
      }
      float c = radius + 0.5f - dist;
      if (!(c > 0.0f)) continue;
      c = std::min(c, 1.0f);
      if (fade > 0.0f && length > 0.0f) {
        const float rest = (1.0f - t) * length;
        if (rest < fade) {
          c = c * rest / fade;
          if (!(c > 0.0f)) continue;
        }
      }
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(layer.width) + static_cast<size_t>(x);
      const int32_t ix = static_cast<int32_t>(x), iy = static_cast<int32_t>(y);
      if (useSource) {
        const RgbaFloat s = GetSourcePixelFloat(source, ix, iy);
        const float a = s.alpha * c;
        if (a > layer.coverage[i]) {
          layer.coverage[i] = a, layer.red[i] = s.red, layer.green[i] = s.green, layer.blue[i] = s.blue;
          layer.alpha[i] = 1.0f;
        }
      } else if (c > layer.coverage[i]) {
        layer.coverage[i] = c, layer.red[i] = colour.red * kInv255, layer.green[i] = colour.green * kInv255;
        layer.blue[i] = colour.blue * kInv255, layer.alpha[i] = colour.alpha * kInv255;
      }
    }
  }
}

inline void DrawOutputBase(const RenderSettings& settings, const RenderFrameState& state) {
  const HostFrame& output = *state.output;
  const HostFrame source = state.source != nullptr ? *state.source : HostFrame{};
  for (int32_t y = 0; y < output.height; ++y) {
    for (int32_t x = 0; x < output.width; ++x) {
      if (settings.compositeOnOriginal) {
        CopyPixel(output, source, x, y);
      } else {
        SetPixelFloat(output, x, y, 0.0f, 0.0f, 0.0f, 0.0f);
      }
    }
  }
}

inline void DrawStroke(const RenderSettings& s, const RenderFrameState& state) {
  const HostFrame& output = *state.output;
  const HostFrame source = state.source != nullptr ? *state.source : HostFrame{};
  const std::vector<ChainRecord>& chains = *state.chains;
  const StrokeGeometry geometry = ComputeStrokeGeometry(s, chains, *state.field);
  const size_t n = static_cast<size_t>(std::max(output.width, 0)) * static_cast<size_t>(std::max(output.height, 0));
  Layer layer{output.width, std::vector<float>(n), std::vector<float>(n), std::vector<float>(n),
              std::vector<float>(n), std::vector<float>(n)};
  const auto capsule = [&](FloatPoint a, FloatPoint b, float ra, float rb, HostPixel8 colour, float fade) {
    DrawCapsule(output, source, Capsule{a, b, ra, rb, colour, s.revealOriginal, fade, s.roughnessAmount, s.roughnessScale},
                layer);
  };
  const auto lerp = [](FloatPoint a, FloatPoint b, float f) {
    return FloatPoint{a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)};
  };
  const RingShape ring = RingShapeFor(s);
  std::vector<StrokePiece> pieces;
  std::vector<DashSpan> dashes;
  float runningArc = 0.0f;
  for (size_t i = 0; i < chains.size(); ++i) {
    const ChainStrokeGeometry& g = geometry.chains[i];
    if (!g.drawable) continue;
    if (g.revealed <= 0.0f || (!g.windowA.present && !g.windowB.present)) {
      runningArc += g.revealed <= 0.0f ? g.length : g.revealed;
      continue;
    }
    for (const ArcWindow& window : {g.windowA, g.windowB}) {
      if (!window.present) continue;
      CutWindowIntoPieces(chains[i], g, window, s.taper, pieces);
      for (const StrokePiece& piece : pieces) {
        const HostPixel8 colour = PieceColor(s, piece.a0, piece.a1);
        const float pieceLength = piece.u1 - piece.u0;
        if (s.dashesEnabled) {
          if (pieceLength > 0.0f && !s.outlineOnly) {
            CollectDashSpans(DashPattern{s.dashLength, s.dashPeriod, s.dashOffset}, runningArc, pieceLength, dashes);
            for (const DashSpan& dash : dashes) {
              const float f0 = dash.from / pieceLength, f1 = dash.to / pieceLength;
              capsule(lerp(piece.q0, piece.q1, f0), lerp(piece.q0, piece.q1, f1), piece.r0 + f0 * (piece.r1 - piece.r0),
                      piece.r0 + f1 * (piece.r1 - piece.r0), colour,
                      (dash.to >= pieceLength && piece.frac < 1.0f) ? kHeadFade : 0.0f);
            }
          }
        } else if (!s.outlineOnly) {
          capsule(piece.q0, piece.q1, piece.r0, piece.r1, colour, piece.fade);
          if (piece.fade == 0.0f || s.roundCap) {
            capsule(piece.q1, piece.q1, piece.r1, piece.r1, colour, 0.0f);
            if (piece.segment == 1 && piece.u0 == 0.0f) capsule(piece.q0, piece.q0, piece.r0, piece.r0, colour, 0.0f);
          }
        }
        runningArc += piece.segmentLength;
      }
    }
    if (s.multiStroke) {
      for (const ArcWindow& window : {g.windowA, g.windowB}) {
        if (window.present) {
          DrawOffsetOutline(ExtractSubPath(chains[i], window.t0, window.t1), ring.offset, output, ring.radius,
                            s.ringColor, s.roundCap);
        }
      }
    }
  }
  for (int32_t y = 0; y < output.height; ++y) {
    for (int32_t x = 0; x < output.width; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(output.width) + static_cast<size_t>(x);
      if (layer.coverage[i] > kLayerCoverageMin) {
        BlendPixel(output, x, y, layer.red[i], layer.green[i], layer.blue[i],
                   std::min(1.0f, layer.coverage[i]) * layer.alpha[i]);
      }
    }
  }
}

inline void DrawRenderOutput(const RenderSettings& settings, const RenderFrameState& state) {
  plain::DrawOutputBase(settings, state);
  if (state.chains->empty()) {
    DrawSkeletonWithoutChains(settings, state);
  } else if (!settings.previewChains || !DrawChainPreview(settings, state)) {
    plain::DrawStroke(settings, state);
  }
}

}  // namespace plain
