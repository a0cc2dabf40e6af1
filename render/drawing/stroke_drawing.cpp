#include "render/drawing/stroke_drawing.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "render/drawing/chain_preview.h"
#include "render/drawing/dash_pattern.h"
#include "render/drawing/draw_primitives.h"
#include "render/drawing/offset_outline.h"
#include "render/drawing/pixel_access.h"
#include "render/drawing/stroke_geometry.h"
#include "render/drawing/stroke_layer.h"
#include "render/drawing/stroke_pieces.h"

namespace {

const std::vector<ChainRecord> kNoChains;
const DistanceField kNoField;

const HostFrame& SourceOf(const RenderFrameState& state) {
  static const HostFrame kNoSource{};
  return state.source != nullptr ? *state.source : kNoSource;
}

// What one piece needs besides its own geometry.
struct PieceTarget {
  const RenderSettings& settings;
  const HostFrame& output;
  const HostFrame& source;
  StrokeLayer& layer;
};

void DrawStrokeCapsule(const PieceTarget& target, FloatPoint a, FloatPoint b, float ra, float rb,
                       HostPixel8 colour, float fade) {
  const RenderSettings& s = target.settings;
  const Capsule capsule{a, b, ra, rb, colour, s.revealOriginal, fade, s.roughnessAmount, s.roughnessScale};
  DrawCapsule(target.output, target.source, capsule, &target.layer);
}

FloatPoint Lerp(FloatPoint a, FloatPoint b, float f) { return {a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)}; }

void DrawDashedPiece(const PieceTarget& target, const StrokePiece& piece, HostPixel8 colour, float runningArc,
                     std::vector<DashSpan>& dashes) {
  const RenderSettings& s = target.settings;
  const float pieceLength = piece.u1 - piece.u0;
  if (pieceLength <= 0.0f || s.outlineOnly) return;
  CollectDashSpans(DashPattern{s.dashLength, s.dashPeriod, s.dashOffset}, runningArc, pieceLength, dashes);
  for (const DashSpan& dash : dashes) {
    const float f0 = dash.from / pieceLength;
    const float f1 = dash.to / pieceLength;
    const float fade = (dash.to >= pieceLength && piece.frac < 1.0f) ? kHeadFade : 0.0f;
    DrawStrokeCapsule(target, Lerp(piece.q0, piece.q1, f0), Lerp(piece.q0, piece.q1, f1),
                      piece.r0 + f0 * (piece.r1 - piece.r0), piece.r0 + f1 * (piece.r1 - piece.r0), colour, fade);
  }
}

void DrawFilledPiece(const PieceTarget& target, const StrokePiece& piece, HostPixel8 colour) {
  DrawStrokeCapsule(target, piece.q0, piece.q1, piece.r0, piece.r1, colour, piece.fade);
  // Round joints and ends; on the fading head of a partly revealed chain only
  // with the Round line cap.
  if (piece.fade != 0.0f && !target.settings.roundCap) return;
  DrawStrokeCapsule(target, piece.q1, piece.q1, piece.r1, piece.r1, colour, 0.0f);
  if (piece.segment == 1 && piece.u0 == 0.0f) {
    DrawStrokeCapsule(target, piece.q0, piece.q0, piece.r0, piece.r0, colour, 0.0f);
  }
}

// Whether storing what a load of this depth gives writes the same bytes back,
// so that a copy between frames of this depth may copy bytes.
template <PixelDepth kDepth>
bool LoadStoreKeepsBytes() {
  using Format = PixelFormat<kDepth>;
  if constexpr (kDepth == PixelDepth::k32BitFloat) {
    return true;
  } else {
    static const bool keeps = [] {
      using Channel = decltype(Format::Channel(0.0f));
      for (uint32_t v = 0; v <= std::numeric_limits<Channel>::max(); ++v) {
        unsigned char pixel[Format::kBytes];
        const Channel channel = static_cast<Channel>(v);
        for (int32_t c = 0; c < 4; ++c) std::memcpy(pixel + c * sizeof(Channel), &channel, sizeof channel);
        const RgbaFloat p = Format::Load(pixel);
        unsigned char stored[Format::kBytes];
        Format::Store(stored, p.red, p.green, p.blue, p.alpha);
        if (std::memcmp(pixel, stored, sizeof pixel) != 0) return false;
      }
      return true;
    }();
    return keeps;
  }
}

// Pixels [0, count) of an output row from the same pixels of a source row.
template <PixelDepth kOut, PixelDepth kIn>
void CopyRowPixels(unsigned char* out, const unsigned char* in, int32_t count) {
  if constexpr (kOut == kIn) {
    if (LoadStoreKeepsBytes<kOut>()) {
      std::memmove(out, in, static_cast<size_t>(count) * PixelFormat<kOut>::kBytes);
      return;
    }
  }
  for (int32_t x = 0; x < count; ++x) {
    const RgbaFloat p = PixelFormat<kIn>::Load(in + static_cast<size_t>(x) * PixelFormat<kIn>::kBytes);
    PixelFormat<kOut>::Store(out + static_cast<size_t>(x) * PixelFormat<kOut>::kBytes, p.red, p.green, p.blue,
                             p.alpha);
  }
}

// Every output pixel transparent, or (with a source) the source pixel where
// the source has one. Row padding beyond the pixels is left alone.
template <PixelDepth kOut>
void DrawBaseRows(const HostFrame& output, const HostFrame* source) {
  const size_t rowPixelBytes = static_cast<size_t>(output.width) * PixelFormat<kOut>::kBytes;
  const bool hasSource = source != nullptr && source->pixels != nullptr;
  const int32_t copied = hasSource ? std::clamp(source->width, 0, output.width) : 0;
  const PixelDepth sourceDepth = hasSource ? FramePixelDepth(*source) : PixelDepth::k8Bit;
  for (int32_t y = 0; y < output.height; ++y) {
    unsigned char* out = FrameRow(output, y);
    const int32_t count = y < (hasSource ? source->height : 0) ? copied : 0;
    if (count > 0) {
      const unsigned char* in = FrameRow(*source, y);
      switch (sourceDepth) {
        case PixelDepth::k32BitFloat: CopyRowPixels<kOut, PixelDepth::k32BitFloat>(out, in, count); break;
        case PixelDepth::k16Bit: CopyRowPixels<kOut, PixelDepth::k16Bit>(out, in, count); break;
        case PixelDepth::k8Bit: CopyRowPixels<kOut, PixelDepth::k8Bit>(out, in, count); break;
      }
    }
    const size_t done = static_cast<size_t>(count) * PixelFormat<kOut>::kBytes;
    std::memset(out + done, 0, rowPixelBytes - done);
  }
}

}  // namespace

HostPixel8 PieceColor(const RenderSettings& settings, float a0, float a1) {
  if (!settings.useGradient) return settings.lineColor;
  const float g = (a0 + a1) * 0.5f;
  const auto mix = [g](uint8_t start, uint8_t end) {
    const float value = (static_cast<float>(end) - static_cast<float>(start)) * g + static_cast<float>(start);
    return static_cast<uint8_t>(static_cast<int32_t>(value));
  };
  const HostPixel8& start = settings.lineColor;
  const ColorRgb8& end = settings.lineColorEnd;
  return {255, mix(start.red, end.red), mix(start.green, end.green), mix(start.blue, end.blue)};
}

void DrawOutputBase(const RenderSettings& settings, const RenderFrameState& state) {
  const HostFrame& output = *state.output;
  if (output.pixels == nullptr || output.width <= 0 || output.height <= 0) return;
  const HostFrame* source = settings.compositeOnOriginal ? &SourceOf(state) : nullptr;
  switch (FramePixelDepth(output)) {
    case PixelDepth::k32BitFloat: return DrawBaseRows<PixelDepth::k32BitFloat>(output, source);
    case PixelDepth::k16Bit: return DrawBaseRows<PixelDepth::k16Bit>(output, source);
    case PixelDepth::k8Bit: return DrawBaseRows<PixelDepth::k8Bit>(output, source);
  }
}

void DrawSkeletonWithoutChains(const RenderSettings& settings, const RenderFrameState& state) {
  if (state.skeleton == nullptr) return;
  const ByteMask& mask = *state.skeleton;
  if (mask.width <= 0 || mask.height <= 0 ||
      mask.cells.size() < static_cast<size_t>(mask.width) * static_cast<size_t>(mask.height)) {
    return;
  }
  const HostFrame& output = *state.output;
  const HostFrame& source = SourceOf(state);
  const int32_t width = std::min(state.maskWidth, mask.width);
  const int32_t height = std::min(state.maskHeight, mask.height);
  const float lineRadius = static_cast<float>(settings.lineRadius);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if (mask.cells[mask.Index(x, y)] == 0) continue;
      const float w = InterpolateWidthPoints(settings.widthPoints, static_cast<float>(x), static_cast<float>(y),
                                             lineRadius);
      const int32_t radius = std::max(0, static_cast<int32_t>(w + 0.5f));
      if (settings.revealOriginal) {
        CopyDisc(output, source, x, y, radius);
      } else {
        FillDiscRgb(output, x, y, radius, settings.lineColor);
      }
    }
  }
}

void DrawStroke(const RenderSettings& settings, const RenderFrameState& state) {
  const std::vector<ChainRecord>& chains = state.chains != nullptr ? *state.chains : kNoChains;
  const HostFrame& output = *state.output;
  const StrokeGeometry geometry =
      ComputeStrokeGeometry(settings, chains, state.field != nullptr ? *state.field : kNoField);

  StrokeLayer layer;
  ResetStrokeLayer(layer, output.width, output.height);
  const PieceTarget target{settings, output, SourceOf(state), layer};
  const RingShape ring = RingShapeFor(settings);
  std::vector<StrokePiece> pieces;
  std::vector<DashSpan> dashes;
  float runningArc = 0.0f;  // dash pattern position, carried from chain to chain

  for (size_t i = 0; i < chains.size(); ++i) {
    const ChainStrokeGeometry& chainGeometry = geometry.chains[i];
    if (!chainGeometry.drawable) continue;
    if (chainGeometry.revealed <= 0.0f) {
      runningArc += chainGeometry.length;
      continue;
    }
    if (!chainGeometry.windowA.present && !chainGeometry.windowB.present) {
      runningArc += chainGeometry.revealed;
      continue;
    }
    for (const ArcWindow& window : {chainGeometry.windowA, chainGeometry.windowB}) {
      if (!window.present) continue;
      CutWindowIntoPieces(chains[i], chainGeometry, window, settings.taper, pieces);
      for (const StrokePiece& piece : pieces) {
        const HostPixel8 colour = PieceColor(settings, piece.a0, piece.a1);
        if (settings.dashesEnabled) {
          DrawDashedPiece(target, piece, colour, runningArc, dashes);
        } else if (!settings.outlineOnly) {
          DrawFilledPiece(target, piece, colour);
        }
        runningArc += piece.segmentLength;
      }
    }
    if (settings.multiStroke) {
      for (const ArcWindow& window : {chainGeometry.windowA, chainGeometry.windowB}) {
        if (!window.present) continue;
        DrawOffsetOutline(ExtractSubPath(chains[i], window.t0, window.t1), ring.offset, output, ring.radius,
                          settings.ringColor, settings.roundCap);
      }
    }
  }
  CompositeStrokeLayer(layer, output, SourceOf(state));
}

void DrawRenderOutput(const RenderSettings& settings, const RenderFrameState& state) {
  if (state.output == nullptr) return;
  DrawOutputBase(settings, state);
  if (state.chains == nullptr || state.chains->empty()) {
    DrawSkeletonWithoutChains(settings, state);
    return;
  }
  if (settings.previewChains && DrawChainPreview(settings, state)) return;
  DrawStroke(settings, state);
}
