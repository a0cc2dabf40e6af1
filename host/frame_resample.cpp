#include "host/frame_resample.h"

#include <cmath>
#include <cstring>

OwnedFrame DownsampleFrame(const OwnedFrame& frame, int32_t factor) {
  if (factor < 1) factor = 1;
  const int32_t width = (frame.width + factor - 1) / factor;
  const int32_t height = (frame.height + factor - 1) / factor;
  OwnedFrame reduced = MakeFrame(width, height, frame.depth);
  const auto pixelBytes = static_cast<size_t>(DepthPixelBytes(frame.depth));
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const size_t from =
          (static_cast<size_t>(y) * factor * frame.width + static_cast<size_t>(x) * factor) * pixelBytes;
      const size_t to = (static_cast<size_t>(y) * width + x) * pixelBytes;
      std::memcpy(reduced.storage.data() + to, frame.storage.data() + from, pixelBytes);
    }
  }
  return reduced;
}

RgbaImage PlaceLayerImage(const RgbaImage& image, int32_t pixelScale, const PlaneTransform& placement, int32_t width,
                          int32_t height) {
  RgbaImage window{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4, 0)};
  if (pixelScale < 1 || !IsUsableTransform(placement)) return window;
  for (int32_t y = 0; y < height; ++y) {
    const double layerY = ((y + 0.5) - placement.offsetY) / placement.scaleY;
    const double row = std::floor(layerY / pixelScale);
    if (!(row >= 0.0 && row < image.height)) continue;
    for (int32_t x = 0; x < width; ++x) {
      const double layerX = ((x + 0.5) - placement.offsetX) / placement.scaleX;
      const double column = std::floor(layerX / pixelScale);
      if (!(column >= 0.0 && column < image.width)) continue;
      const size_t from = (static_cast<size_t>(row) * image.width + static_cast<size_t>(column)) * 4;
      std::memcpy(window.pixels.data() + (static_cast<size_t>(y) * width + x) * 4, image.pixels.data() + from, 4);
    }
  }
  return window;
}
