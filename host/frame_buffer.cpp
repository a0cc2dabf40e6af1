#include "host/frame_buffer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

constexpr int kChannels = 4;
// Image order red, green, blue, alpha; frame order alpha, red, green, blue.
constexpr int kFrameChannelOfImage[kChannels] = {1, 2, 3, 0};

uint16_t To16(uint8_t value) { return static_cast<uint16_t>((value * 32768 + 127) / 255); }

uint8_t From16(uint16_t value) {
  const uint32_t clamped = std::min<uint32_t>(value, 32768);
  return static_cast<uint8_t>((clamped * 255 + 16384) / 32768);
}

uint8_t FromFloat(float value) {
  if (!(value > 0.0f)) return 0;  // also NaN
  if (value >= 1.0f) return 255;
  return static_cast<uint8_t>(value * 255.0f + 0.5f);
}

// A straight byte shuffle, with nothing aliased, so that compilers vectorise it.
void ImageRowFrom8Bit(const uint8_t* __restrict row, uint8_t* __restrict out, size_t width) {
  for (size_t i = 0; i < width * kChannels; i += kChannels) {
    for (int c = 0; c < kChannels; ++c) {
      out[i + static_cast<size_t>(c)] = row[i + static_cast<size_t>(kFrameChannelOfImage[c])];
    }
  }
}

int32_t DepthOfFrame(const HostFrame& frame) {
  const int32_t perPixel = frame.width > 0 ? frame.rowBytes / frame.width : 0;
  if (perPixel >= 16) return 32;
  if (perPixel >= 8) return 16;
  return 8;
}

}  // namespace

bool IsFrameDepth(int32_t depth) { return depth == 8 || depth == 16 || depth == 32; }

int32_t DepthPixelBytes(int32_t depth) { return depth == 32 ? 16 : depth == 16 ? 8 : 4; }

OwnedFrame MakeFrame(int32_t width, int32_t height, int32_t depth) {
  OwnedFrame frame;
  frame.width = std::max(width, 0);
  frame.height = std::max(height, 0);
  frame.depth = depth;
  frame.storage.assign(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height) *
                           static_cast<size_t>(DepthPixelBytes(depth)),
                       0);
  return frame;
}

HostFrame FrameView(OwnedFrame& frame) {
  HostFrame view{};
  view.pixels = frame.storage.empty() ? nullptr : frame.storage.data();
  view.rowBytes = frame.width * DepthPixelBytes(frame.depth);
  view.width = frame.width;
  view.height = frame.height;
  return view;
}

OwnedFrame FrameFromImage(const RgbaImage& image, int32_t depth) {
  OwnedFrame frame = MakeFrame(image.width, image.height, depth);
  const size_t pixelCount = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
  if (image.pixels.size() < pixelCount * kChannels) return MakeFrame(0, 0, depth);
  for (size_t i = 0; i < pixelCount; ++i) {
    const uint8_t* source = &image.pixels[i * kChannels];
    for (int c = 0; c < kChannels; ++c) {
      const size_t channel = i * kChannels + static_cast<size_t>(kFrameChannelOfImage[c]);
      if (depth == 32) {
        const float value = source[c] / 255.0f;
        std::memcpy(&frame.storage[channel * sizeof(float)], &value, sizeof(value));
      } else if (depth == 16) {
        const uint16_t value = To16(source[c]);
        std::memcpy(&frame.storage[channel * sizeof(uint16_t)], &value, sizeof(value));
      } else {
        frame.storage[channel] = source[c];
      }
    }
  }
  return frame;
}

void ImageRowFromFrame(const HostFrame& frame, int32_t y, uint8_t* out) {
  const uint8_t* row = static_cast<const uint8_t*>(frame.pixels) + static_cast<std::ptrdiff_t>(y) * frame.rowBytes;
  const int32_t depth = DepthOfFrame(frame);
  if (depth == 8) {
    ImageRowFrom8Bit(row, out, static_cast<size_t>(frame.width));
    return;
  }
  for (int32_t x = 0; x < frame.width; ++x) {
    uint8_t* target = out + static_cast<size_t>(x) * kChannels;
    for (int c = 0; c < kChannels; ++c) {
      const size_t channel = static_cast<size_t>(x) * kChannels + static_cast<size_t>(kFrameChannelOfImage[c]);
      if (depth == 32) {
        float value = 0.0f;
        std::memcpy(&value, row + channel * sizeof(float), sizeof(value));
        target[c] = FromFloat(value);
      } else {
        uint16_t value = 0;
        std::memcpy(&value, row + channel * sizeof(uint16_t), sizeof(value));
        target[c] = From16(value);
      }
    }
  }
}

RgbaImage ImageFromFrame(const HostFrame& frame) {
  RgbaImage image;
  if (frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0) return image;
  image.width = frame.width;
  image.height = frame.height;
  image.pixels.resize(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height) * kChannels);
  for (int32_t y = 0; y < frame.height; ++y) {
    ImageRowFromFrame(frame, y, &image.pixels[static_cast<size_t>(y) * static_cast<size_t>(frame.width) * kChannels]);
  }
  return image;
}
