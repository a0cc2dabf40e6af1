// Reading and writing host-frame pixels at 8, 16 and 32 bits per channel
// through one interface of four straight (not premultiplied) floats. The
// depth follows from the frame at every access (model/frame_depth.h).
#pragma once

#include <cstdint>
#include <cstring>

#include "host_interface/host_frame.h"
#include "model/frame_depth.h"

struct RgbaFloat {
  float red = 0.0f;
  float green = 0.0f;
  float blue = 0.0f;
  float alpha = 0.0f;
};

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

// The same conversions for loops that know the depth and walk the pixel
// addresses themselves; the functions above are built on them.
template <PixelDepth kDepth>
struct PixelFormat;

template <>
struct PixelFormat<PixelDepth::k8Bit> {
  static constexpr int32_t kBytes = 4;
  static RgbaFloat Load(const unsigned char* p) {
    constexpr float kInv255 = 0.003921569f;
    return {p[1] * kInv255, p[2] * kInv255, p[3] * kInv255, p[0] * kInv255};
  }
  static uint8_t Channel(float value) { return static_cast<uint8_t>(static_cast<int32_t>(value * 255.0f + 0.5f)); }
  static void Store(unsigned char* p, float red, float green, float blue, float alpha) {
    p[0] = Channel(alpha);
    p[1] = Channel(red);
    p[2] = Channel(green);
    p[3] = Channel(blue);
  }
};

template <>
struct PixelFormat<PixelDepth::k16Bit> {
  static constexpr int32_t kBytes = 8;
  static RgbaFloat Load(const unsigned char* p) {
    constexpr float kInv32768 = 3.0517578125e-05f;
    HostPixel16 v;
    std::memcpy(&v, p, sizeof v);
    return {v.red * kInv32768, v.green * kInv32768, v.blue * kInv32768, v.alpha * kInv32768};
  }
  static uint16_t Channel(float value) {
    return static_cast<uint16_t>(static_cast<int32_t>(value * 32768.0f + 0.5f));
  }
  static void Store(unsigned char* p, float red, float green, float blue, float alpha) {
    const HostPixel16 v{Channel(alpha), Channel(red), Channel(green), Channel(blue)};
    std::memcpy(p, &v, sizeof v);
  }
};

template <>
struct PixelFormat<PixelDepth::k32BitFloat> {
  static constexpr int32_t kBytes = 16;
  static RgbaFloat Load(const unsigned char* p) {
    HostPixelFloat v;
    std::memcpy(&v, p, sizeof v);
    return {v.red, v.green, v.blue, v.alpha};
  }
  static void Store(unsigned char* p, float red, float green, float blue, float alpha) {
    const HostPixelFloat v{alpha, red, green, blue};
    std::memcpy(p, &v, sizeof v);
  }
};

// Row y of a frame, computed in 64 bits.
inline unsigned char* FrameRow(const HostFrame& frame, int32_t y) {
  return static_cast<unsigned char*>(frame.pixels) + static_cast<int64_t>(frame.rowBytes) * y;
}

// BlendPixel's arithmetic: the colour over `under` at opacity `alpha`.
inline RgbaFloat BlendOver(const RgbaFloat& under, float red, float green, float blue, float alpha) {
  const float keep = 1.0f - alpha;
  float outAlpha = keep * under.alpha + alpha;
  if (outAlpha > 1.0f) outAlpha = 1.0f;
  return {keep * under.red + alpha * red, keep * under.green + alpha * green, keep * under.blue + alpha * blue,
          outAlpha};
}
