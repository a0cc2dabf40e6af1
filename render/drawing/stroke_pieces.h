// Cutting a chain's visible window into pieces: the part of each segment that
// lies inside the window, with its tapered radii and head fade.
#pragma once

#include <cstddef>
#include <vector>

#include "render/drawing/stroke_geometry.h"
#include "skeleton/chain_record.h"
#include "skeleton/points.h"

constexpr float kHeadFade = 1.5f;     // px over which the moving head fades out
constexpr float kWidthFloor = 0.5f;   // smallest stroke radius
constexpr float kFullyRevealed = 0.999f;

struct StrokePiece {
  size_t segment = 0;           // k: the piece lies on the segment from point k - 1 to point k
  float segmentLength = 0.0f;   // |point k - point k - 1|
  float u0 = 0.0f;              // piece start and end along the segment
  float u1 = 0.0f;
  float frac = 0.0f;            // (u1 - u0) / segmentLength
  FloatPoint q0;
  FloatPoint q1;
  float a0 = 0.0f;              // piece start and end relative to the chain length
  float a1 = 0.0f;
  float r0 = 0.0f;              // radii after taper
  float r1 = 0.0f;
  float fade = 0.0f;            // kHeadFade on the moving head of a partly revealed chain
};

// Replaces `pieces` with the pieces of `window` along the chain's float
// points, in order. `geometry` is the chain's own entry (widths, length,
// local progress).
void CutWindowIntoPieces(const ChainRecord& chain, const ChainStrokeGeometry& geometry, ArcWindow window,
                         float taper, std::vector<StrokePiece>& pieces);
