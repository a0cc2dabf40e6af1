// A frame of pixels owned by the host.
//
// Every pixel holds alpha, red, green, blue in that memory order. The depth is
// not stored: it follows from rowBytes / width (16 or more: 32-bit float,
// 8 or more: 16-bit with white at 32768, otherwise 8-bit).
#pragma once

#include <cstdint>

// Trivial (no member initializers) because it is a member of the parameter
// value union; value-initialise it (HostFrame frame{}) to get zeros.
struct HostFrame {
  void* pixels;  // first row; null when a layer parameter holds no layer
  int32_t rowBytes;  // bytes from one row to the next
  int32_t width;
  int32_t height;
};

struct HostPixel8 {
  uint8_t alpha;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

struct HostPixel16 {
  uint16_t alpha;
  uint16_t red;
  uint16_t green;
  uint16_t blue;
};

struct HostPixelFloat {
  float alpha;
  float red;
  float green;
  float blue;
};

static_assert(sizeof(HostPixel8) == 4);
static_assert(sizeof(HostPixel16) == 8);
static_assert(sizeof(HostPixelFloat) == 16);

constexpr int32_t kWhite16 = 32768;
