// Reading and writing host-frame pixels at 8, 16 and 32 bits per channel
// through one interface of four straight (not premultiplied) floats.
//
// The depth is not stored: it follows from rowBytes / width at every access
// (16 or more: 32-bit float, 8 or more: 16-bit with white at 32768, otherwise
// 8-bit; a frame of width 0 counts as 8-bit).
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"

struct RgbaFloat {
  float red = 0.0f;
  float green = 0.0f;
  float blue = 0.0f;
  float alpha = 0.0f;
};

enum class PixelDepth { k8Bit, k16Bit, k32BitFloat };

PixelDepth FramePixelDepth(const HostFrame& frame);

// The caller passes a position inside the frame; no bounds are checked.
RgbaFloat GetPixelFloat(const HostFrame& frame, int32_t x, int32_t y);

// Reads a frame that may be smaller than the frame being drawn (the source
// layer, or a frame without pixels): positions outside it read as transparent
// black.
RgbaFloat GetSourcePixelFloat(const HostFrame& source, int32_t x, int32_t y);

// Values are not clamped; callers keep them within 0 to 1. The position must
// lie inside the frame.
void SetPixelFloat(const HostFrame& frame, int32_t x, int32_t y, float red, float green, float blue,
                   float alpha);

// Blends the colour over the pixel with opacity `alpha`; the resulting alpha
// never exceeds 1.
void BlendPixel(const HostFrame& frame, int32_t x, int32_t y, float red, float green, float blue,
                float alpha);

// Destination pixel = source pixel at the same position, converted between
// depths. The position must lie inside `destination`; outside `source` it
// copies transparent black.
void CopyPixel(const HostFrame& destination, const HostFrame& source, int32_t x, int32_t y);
