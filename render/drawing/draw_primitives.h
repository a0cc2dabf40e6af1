// The drawing primitives of the renderer: the anti-aliased tapered capsule
// behind every stroke piece, ring and particle; the thick line of the chain
// preview; solid and copied discs.
//
// Everything clips to the frame drawn into; reads of a source frame clip to
// the source (outside it reads as transparent).
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"
#include "render/drawing/stroke_layer.h"
#include "skeleton/points.h"

// Packed colour: from the lowest byte alpha, red, green, blue.
inline HostPixel8 UnpackColor(uint32_t packed) {
  return {static_cast<uint8_t>(packed & 0xFFu), static_cast<uint8_t>((packed >> 8) & 0xFFu),
          static_cast<uint8_t>((packed >> 16) & 0xFFu), static_cast<uint8_t>(packed >> 24)};
}

// One anti-aliased capsule from `from` with radius fromRadius to `to` with
// radius toRadius (pixel coordinates; a pixel is evaluated at its centre). A
// capsule of zero length is a disc at `from`.
struct Capsule {
  FloatPoint from;
  FloatPoint to;
  float fromRadius = 0.0f;
  float toRadius = 0.0f;
  HostPixel8 colour{};     // stroke colour; its alpha byte is the opacity
  bool useSource = false;  // paint the source's pixels (at the same position) instead
  float fade = 0.0f;       // length in pixels over which coverage fades out towards `to`; 0 = none
  float roughAmount = 0.0f;  // radius noise amplitude in pixels; 0 = none
  float roughScale = 0.0f;   // noise frequency
};

// Draws the capsule into `destination`, reading `source` for a source colour.
// With a layer (sized for `destination`), coverage goes into the layer
// (highest coverage wins) instead of being blended into `destination`.
void DrawCapsule(const HostFrame& destination, const HostFrame& source, const Capsule& capsule, StrokeLayer* layer);

// Bresenham line from `from` to `to` stamped at every step with a solid disc
// of radius `radius` in the colour's red, green, blue at alpha 1.
void DrawThickLine(const HostFrame& frame, IntPoint from, IntPoint to, int32_t radius, uint32_t packedColour);

// Disc of all (cx + i, cy + j) with i² + j² <= radius² overwritten with the
// colour's red, green, blue at alpha 1 (the alpha byte is ignored). A
// negative radius draws nothing.
void FillDiscRgb(const HostFrame& frame, int32_t cx, int32_t cy, int32_t radius, HostPixel8 colour);

// The same disc copied from `source` at the same positions.
void CopyDisc(const HostFrame& destination, const HostFrame& source, int32_t cx, int32_t cy,
              int32_t radius);
