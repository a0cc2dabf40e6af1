#include "render/drawing/pixel_access.h"

namespace {

template <PixelDepth kDepth>
unsigned char* PixelAddress(const HostFrame& frame, int32_t x, int32_t y) {
  return FrameRow(frame, y) + static_cast<int64_t>(PixelFormat<kDepth>::kBytes) * x;
}

}  // namespace

RgbaFloat GetPixelFloat(const HostFrame& frame, int32_t x, int32_t y) {
  switch (FramePixelDepth(frame)) {
    case PixelDepth::k32BitFloat:
      return PixelFormat<PixelDepth::k32BitFloat>::Load(PixelAddress<PixelDepth::k32BitFloat>(frame, x, y));
    case PixelDepth::k16Bit:
      return PixelFormat<PixelDepth::k16Bit>::Load(PixelAddress<PixelDepth::k16Bit>(frame, x, y));
    case PixelDepth::k8Bit:
      break;
  }
  return PixelFormat<PixelDepth::k8Bit>::Load(PixelAddress<PixelDepth::k8Bit>(frame, x, y));
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
    case PixelDepth::k32BitFloat:
      return PixelFormat<PixelDepth::k32BitFloat>::Store(PixelAddress<PixelDepth::k32BitFloat>(frame, x, y), red,
                                                         green, blue, alpha);
    case PixelDepth::k16Bit:
      return PixelFormat<PixelDepth::k16Bit>::Store(PixelAddress<PixelDepth::k16Bit>(frame, x, y), red, green,
                                                    blue, alpha);
    case PixelDepth::k8Bit:
      break;
  }
  PixelFormat<PixelDepth::k8Bit>::Store(PixelAddress<PixelDepth::k8Bit>(frame, x, y), red, green, blue, alpha);
}

void BlendPixel(const HostFrame& frame, int32_t x, int32_t y, float red, float green, float blue,
                float alpha) {
  const RgbaFloat p = BlendOver(GetPixelFloat(frame, x, y), red, green, blue, alpha);
  SetPixelFloat(frame, x, y, p.red, p.green, p.blue, p.alpha);
}

void CopyPixel(const HostFrame& destination, const HostFrame& source, int32_t x, int32_t y) {
  const RgbaFloat p = GetSourcePixelFloat(source, x, y);
  SetPixelFloat(destination, x, y, p.red, p.green, p.blue, p.alpha);
}
