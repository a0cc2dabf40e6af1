// The depth of a host frame. It is not stored: it follows from rowBytes /
// width (16 or more: 32-bit float, 8 or more: 16-bit with white at 32768,
// otherwise 8-bit; a frame of width 0 counts as 8-bit). Both halves of the
// render read frames: the analysis samples the layer, the drawing fills the
// output.
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"

enum class PixelDepth { k8Bit, k16Bit, k32BitFloat };

inline PixelDepth FramePixelDepth(const HostFrame& frame) {
  if (frame.width == 0) return PixelDepth::k8Bit;
  const int32_t bytesPerPixel = frame.rowBytes / frame.width;
  if (bytesPerPixel >= 16) return PixelDepth::k32BitFloat;
  if (bytesPerPixel >= 8) return PixelDepth::k16Bit;
  return PixelDepth::k8Bit;
}
