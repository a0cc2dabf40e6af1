#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "host/frame_buffer.h"

namespace {

// Every byte value in every channel, in a 256 x 1 image.
RgbaImage AllValuesImage() {
  RgbaImage image;
  image.width = 256;
  image.height = 1;
  for (int v = 0; v < 256; ++v) {
    for (int c = 0; c < 4; ++c) image.pixels.push_back(static_cast<uint8_t>((v + c * 64) & 255));
  }
  return image;
}

}  // namespace

TEST(FrameBuffer, EveryDepthRoundTripsEveryByteExactly) {
  const RgbaImage image = AllValuesImage();
  for (int32_t depth : {8, 16, 32}) {
    SCOPED_TRACE(depth);
    OwnedFrame frame = FrameFromImage(image, depth);
    const HostFrame view = FrameView(frame);
    EXPECT_EQ(view.rowBytes, 256 * DepthPixelBytes(depth));
    EXPECT_EQ(frame.storage.size(), static_cast<size_t>(view.rowBytes));
    const RgbaImage back = ImageFromFrame(view);
    EXPECT_EQ(back.width, 256);
    EXPECT_EQ(back.pixels, image.pixels);
  }
}

TEST(FrameBuffer, ChannelsLieAlphaRedGreenBlueWithWhiteAtEachDepthsScale) {
  RgbaImage image{2, 1, {255, 0, 0, 255, 10, 20, 30, 0}};
  OwnedFrame f8 = FrameFromImage(image, 8);
  EXPECT_EQ(f8.storage, (std::vector<uint8_t>{255, 255, 0, 0, 0, 10, 20, 30}));
  OwnedFrame f16 = FrameFromImage(image, 16);
  uint16_t channels16[8];
  std::memcpy(channels16, f16.storage.data(), sizeof(channels16));
  EXPECT_EQ(channels16[0], 32768);
  EXPECT_EQ(channels16[1], 32768);
  EXPECT_EQ(channels16[2], 0);
  EXPECT_EQ(channels16[5], (10 * 32768 + 127) / 255);
  OwnedFrame f32 = FrameFromImage(image, 32);
  float channels32[8];
  std::memcpy(channels32, f32.storage.data(), sizeof(channels32));
  EXPECT_EQ(channels32[0], 1.0f);
  EXPECT_EQ(channels32[1], 1.0f);
  EXPECT_EQ(channels32[4], 0.0f);
  EXPECT_EQ(channels32[6], 20 / 255.0f);
}

TEST(FrameBuffer, OutOfRangeChannelsAreClampedWhenWritten) {
  OwnedFrame f32 = MakeFrame(4, 1, 32);
  const float values[16] = {2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 0.5f,
                            1.0f, 0.0f,  std::numeric_limits<float>::infinity(), -0.0f};
  std::memcpy(f32.storage.data(), values, sizeof(values));
  const RgbaImage image = ImageFromFrame(FrameView(f32));
  // Frame alpha 2.0 -> 255; red -1 -> 0; green NaN -> 0; blue 0.5 -> 128.
  EXPECT_EQ(image.pixels[3], 255);
  EXPECT_EQ(image.pixels[0], 0);
  EXPECT_EQ(image.pixels[1], 0);
  EXPECT_EQ(image.pixels[2], 128);
  EXPECT_EQ(image.pixels[5], 255);

  OwnedFrame f16 = MakeFrame(1, 1, 16);
  const uint16_t channels[4] = {65535, 32769, 16384, 1};
  std::memcpy(f16.storage.data(), channels, sizeof(channels));
  const RgbaImage image16 = ImageFromFrame(FrameView(f16));
  EXPECT_EQ(image16.pixels, (std::vector<uint8_t>{255, 128, 0, 255}));
}

TEST(FrameBuffer, DepthIsReadFromRowBytesOfPaddedFrames) {
  // Two pixels in 20 bytes a row: 10 bytes a pixel reads as 16-bit.
  std::vector<uint8_t> storage(2 * 20, 0);
  const uint16_t red = 16384;
  std::memcpy(&storage[20 + 2], &red, sizeof(red));  // row 1, pixel 0, red
  const RgbaImage image = ImageFromFrame(HostFrame{storage.data(), 20, 2, 2});
  EXPECT_EQ(image.pixels[2 * 4 + 0], 128);
  EXPECT_TRUE(ImageFromFrame(HostFrame{}).pixels.empty());
}
