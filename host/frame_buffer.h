// Frames the host owns, and their conversion to and from 8-bit RGBA images.
// Frames hold alpha, red, green, blue per pixel at 8, 16 (white 32768) or
// 32-bit float per channel, with rowBytes = width x pixel size (no padding):
// the effect tells the depth from rowBytes / width.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_frame.h"

// The largest frame the host makes: 30000 pixels a side, as the real host.
constexpr int32_t kMaxFrameSide = 30000;

// Straight (not premultiplied) RGBA, 8 bits per channel, rows without gaps.
struct RgbaImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
};

struct OwnedFrame {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 8;  // bits per channel: 8, 16 or 32
  std::vector<uint8_t> storage;
};

bool IsFrameDepth(int32_t depth);
int32_t DepthPixelBytes(int32_t depth);

OwnedFrame MakeFrame(int32_t width, int32_t height, int32_t depth);  // all channels 0
HostFrame FrameView(OwnedFrame& frame);
OwnedFrame FrameFromImage(const RgbaImage& image, int32_t depth);
// Reads any frame, its depth taken from rowBytes / width. Float channels are
// clamped to 0..1, 16-bit ones to 0..32768.
RgbaImage ImageFromFrame(const HostFrame& frame);
// Row y of a frame (with pixels) the same way, as width × 4 bytes into `out`.
void ImageRowFromFrame(const HostFrame& frame, int32_t y, uint8_t* out);
