// A host frame that owns its pixels, for the render tests.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_frame.h"
#include "render/pixel_access.h"

struct TestFrame {
  std::vector<uint64_t> storage;  // 8-byte words keep float pixels aligned
  HostFrame frame;
};

inline int32_t BytesPerPixel(PixelDepth depth) {
  switch (depth) {
    case PixelDepth::k32BitFloat: return 16;
    case PixelDepth::k16Bit: return 8;
    case PixelDepth::k8Bit: break;
  }
  return 4;
}

// Zero-filled frame; `padding` extra bytes per row test the row-bytes rule.
inline TestFrame MakeTestFrame(int32_t width, int32_t height, PixelDepth depth, int32_t padding = 0) {
  TestFrame f;
  const int32_t rowBytes = width * BytesPerPixel(depth) + padding;
  f.storage.assign((static_cast<size_t>(rowBytes) * height + 7) / 8 + 1, 0);
  f.frame.pixels = f.storage.data();
  f.frame.rowBytes = rowBytes;
  f.frame.width = width;
  f.frame.height = height;
  return f;
}

inline void FillFrame(const HostFrame& frame, RgbaFloat colour) {
  for (int32_t y = 0; y < frame.height; ++y) {
    for (int32_t x = 0; x < frame.width; ++x) {
      SetPixelFloat(frame, x, y, colour.red, colour.green, colour.blue, colour.alpha);
    }
  }
}

inline const PixelDepth kAllDepths[] = {PixelDepth::k8Bit, PixelDepth::k16Bit,
                                        PixelDepth::k32BitFloat};
