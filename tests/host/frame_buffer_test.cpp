#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "host/frame_buffer.h"

TEST(FrameBuffer, EveryDepthRoundTripsEveryByteExactly) {
  RgbaImage image{256, 1, {}};
  for (int v = 0; v < 256; ++v) {
    for (int c = 0; c < 4; ++c) image.pixels.push_back(static_cast<uint8_t>((v + c * 64) & 255));
  }
  for (int32_t depth : {8, 16, 32}) {
    OwnedFrame frame = FrameFromImage(image, depth);
    EXPECT_EQ(frame.storage.size(), static_cast<size_t>(256 * DepthPixelBytes(depth)));
    EXPECT_EQ(ImageFromFrame(FrameView(frame)).pixels, image.pixels) << depth;
  }
}

TEST(FrameBuffer, ChannelsLieAlphaRedGreenBlueWithWhiteAtEachDepthsScale) {
  const RgbaImage image{2, 1, {255, 0, 0, 255, 10, 20, 30, 0}};
  EXPECT_EQ(FrameFromImage(image, 8).storage, (std::vector<uint8_t>{255, 255, 0, 0, 0, 10, 20, 30}));
  const uint16_t expected16[] = {32768, 32768, 0, 0, 0, (10 * 32768 + 127) / 255, (20 * 32768 + 127) / 255,
                                 (30 * 32768 + 127) / 255};
  EXPECT_EQ(std::memcmp(FrameFromImage(image, 16).storage.data(), expected16, sizeof(expected16)), 0);
  const float expected32[] = {1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 10 / 255.0f, 20 / 255.0f, 30 / 255.0f};
  EXPECT_EQ(std::memcmp(FrameFromImage(image, 32).storage.data(), expected32, sizeof(expected32)), 0);
}

TEST(FrameBuffer, OutOfRangeChannelsAreClampedAndPaddedRowsReadByRowBytes) {
  OwnedFrame f32 = MakeFrame(2, 1, 32);
  const float values[8] = {2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 0.5f,
                           1.0f, 0.0f,  std::numeric_limits<float>::infinity(), -0.0f};
  std::memcpy(f32.storage.data(), values, sizeof(values));
  EXPECT_EQ(ImageFromFrame(FrameView(f32)).pixels, (std::vector<uint8_t>{0, 0, 128, 255, 0, 255, 0, 255}));

  OwnedFrame f16 = MakeFrame(1, 1, 16);
  const uint16_t channels[4] = {65535, 32769, 16384, 1};
  std::memcpy(f16.storage.data(), channels, sizeof(channels));
  EXPECT_EQ(ImageFromFrame(FrameView(f16)).pixels, (std::vector<uint8_t>{255, 128, 0, 255}));

  // Two pixels in 20 bytes a row: 10 bytes a pixel reads as 16-bit.
  std::vector<uint8_t> storage(2 * 20, 0);
  const uint16_t red = 16384;
  std::memcpy(&storage[20 + 2], &red, sizeof(red));  // row 1, pixel 0, red
  EXPECT_EQ(ImageFromFrame(HostFrame{storage.data(), 20, 2, 2}).pixels[2 * 4], 128);
  EXPECT_TRUE(ImageFromFrame(HostFrame{}).pixels.empty());
}
