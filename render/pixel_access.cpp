#include "render/pixel_access.h"

#include <cstring>

namespace {

constexpr float kInv255 = 0.003921569f;
constexpr float kInv32768 = 3.0517578125e-05f;

unsigned char* PixelAddress(const HostFrame& frame, int32_t x, int32_t y, int32_t pixelSize) {
  return static_cast<unsigned char*>(frame.pixels) + static_cast<int64_t>(frame.rowBytes) * y +
         static_cast<int64_t>(pixelSize) * x;
}

uint16_t To16Bit(float value) {
  return static_cast<uint16_t>(static_cast<int32_t>(value * 32768.0f + 0.5f));
}

uint8_t To8Bit(float value) {
  return static_cast<uint8_t>(static_cast<int32_t>(value * 255.0f + 0.5f));
}

}  // namespace

PixelDepth FramePixelDepth(const HostFrame& frame) {
  if (frame.width == 0) return PixelDepth::k8Bit;
  const int32_t bytesPerPixel = frame.rowBytes / frame.width;
  if (bytesPerPixel >= 16) return PixelDepth::k32BitFloat;
  if (bytesPerPixel >= 8) return PixelDepth::k16Bit;
  return PixelDepth::k8Bit;
}

RgbaFloat GetPixelFloat(const HostFrame& frame, int32_t x, int32_t y) {
  switch (FramePixelDepth(frame)) {
    case PixelDepth::k32BitFloat: {
      HostPixelFloat p;
      std::memcpy(&p, PixelAddress(frame, x, y, sizeof p), sizeof p);
      return {p.red, p.green, p.blue, p.alpha};
    }
    case PixelDepth::k16Bit: {
      HostPixel16 p;
      std::memcpy(&p, PixelAddress(frame, x, y, sizeof p), sizeof p);
      return {p.red * kInv32768, p.green * kInv32768, p.blue * kInv32768, p.alpha * kInv32768};
    }
    case PixelDepth::k8Bit:
      break;
  }
  HostPixel8 p;
  std::memcpy(&p, PixelAddress(frame, x, y, sizeof p), sizeof p);
  return {p.red * kInv255, p.green * kInv255, p.blue * kInv255, p.alpha * kInv255};
}

RgbaFloat GetSourcePixelFloat(const HostFrame& source, int32_t x, int32_t y) {
  if (source.pixels == nullptr || x < 0 || y < 0 || x >= source.width || y >= source.height) {
    return {};
  }
  return GetPixelFloat(source, x, y);
}

void SetPixelFloat(const HostFrame& frame, int32_t x, int32_t y, float red, float green, float blue,
                   float alpha) {
  switch (FramePixelDepth(frame)) {
    case PixelDepth::k32BitFloat: {
      const HostPixelFloat p{alpha, red, green, blue};
      std::memcpy(PixelAddress(frame, x, y, sizeof p), &p, sizeof p);
      return;
    }
    case PixelDepth::k16Bit: {
      const HostPixel16 p{To16Bit(alpha), To16Bit(red), To16Bit(green), To16Bit(blue)};
      std::memcpy(PixelAddress(frame, x, y, sizeof p), &p, sizeof p);
      return;
    }
    case PixelDepth::k8Bit:
      break;
  }
  const HostPixel8 p{To8Bit(alpha), To8Bit(red), To8Bit(green), To8Bit(blue)};
  std::memcpy(PixelAddress(frame, x, y, sizeof p), &p, sizeof p);
}

void BlendPixel(const HostFrame& frame, int32_t x, int32_t y, float red, float green, float blue,
                float alpha) {
  const RgbaFloat under = GetPixelFloat(frame, x, y);
  const float keep = 1.0f - alpha;
  float outAlpha = keep * under.alpha + alpha;
  if (outAlpha > 1.0f) outAlpha = 1.0f;
  SetPixelFloat(frame, x, y, keep * under.red + alpha * red, keep * under.green + alpha * green,
                keep * under.blue + alpha * blue, outAlpha);
}

void CopyPixel(const HostFrame& destination, const HostFrame& source, int32_t x, int32_t y) {
  const RgbaFloat p = GetSourcePixelFloat(source, x, y);
  SetPixelFloat(destination, x, y, p.red, p.green, p.blue, p.alpha);
}
