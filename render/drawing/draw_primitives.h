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

// Packed colour: from the lowest byte alpha, red, green, blue.
inline HostPixel8 UnpackColor(uint32_t packed) {
  return {static_cast<uint8_t>(packed & 0xFFu), static_cast<uint8_t>((packed >> 8) & 0xFFu),
          static_cast<uint8_t>((packed >> 16) & 0xFFu), static_cast<uint8_t>(packed >> 24)};
}

// One anti-aliased capsule from (x0, y0) with radius r0 to (x1, y1) with
// radius r1 (pixel coordinates; a pixel is evaluated at its centre). A capsule
// of zero length is a disc at the start point.
//   colour       stroke colour; its alpha byte is the opacity
//   useSource    paint the source's pixels (at the same position) instead
//   fade         length in pixels over which coverage fades out towards the
//                end point; 0 = none
//   roughAmount  radius noise amplitude in pixels; 0 = none
//   roughScale   noise frequency
//   layer        when given, coverage goes into the layer (highest coverage
//                wins) instead of being blended into `destination`; the layer
//                must be sized for `destination`
void DrawCapsuleSegment(const HostFrame& destination, const HostFrame& source, float x0, float y0,
                        float x1, float y1, float r0, float r1, HostPixel8 colour, bool useSource,
                        float fade, float roughAmount, float roughScale, StrokeLayer* layer);

// Bresenham line from (x0, y0) to (x1, y1) stamped at every step with a solid
// disc of radius `radius` in the colour's red, green, blue at alpha 1.
void DrawThickLine(const HostFrame& frame, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                   int32_t radius, uint32_t packedColour);

// Disc of all (cx + i, cy + j) with i² + j² <= radius² overwritten with the
// colour's red, green, blue at alpha 1 (the alpha byte is ignored). A
// negative radius draws nothing.
void FillDiscRgb(const HostFrame& frame, int32_t cx, int32_t cy, int32_t radius, HostPixel8 colour);

// The same disc copied from `source` at the same positions.
void CopyDisc(const HostFrame& destination, const HostFrame& source, int32_t cx, int32_t cy,
              int32_t radius);
