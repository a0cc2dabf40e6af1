#include "render/pixel_access.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/render/test_frame.h"

namespace {

HostPixel8 Raw8(const HostFrame& f, int32_t x, int32_t y) {
  HostPixel8 p;
  std::memcpy(&p, static_cast<const char*>(f.pixels) + f.rowBytes * y + 4 * x, sizeof p);
  return p;
}

HostPixel16 Raw16(const HostFrame& f, int32_t x, int32_t y) {
  HostPixel16 p;
  std::memcpy(&p, static_cast<const char*>(f.pixels) + f.rowBytes * y + 8 * x, sizeof p);
  return p;
}

TEST(PixelAccess, DepthFollowsRowBytesOverWidth) {
  HostFrame f;
  f.width = 10;
  f.rowBytes = 160;
  EXPECT_EQ(FramePixelDepth(f), PixelDepth::k32BitFloat);
  f.rowBytes = 159;  // 15 bytes per pixel after integer division
  EXPECT_EQ(FramePixelDepth(f), PixelDepth::k16Bit);
  f.rowBytes = 80;
  EXPECT_EQ(FramePixelDepth(f), PixelDepth::k16Bit);
  f.rowBytes = 79;
  EXPECT_EQ(FramePixelDepth(f), PixelDepth::k8Bit);
  f.rowBytes = 40;
  EXPECT_EQ(FramePixelDepth(f), PixelDepth::k8Bit);
  f.width = 0;
  f.rowBytes = 1600;
  EXPECT_EQ(FramePixelDepth(f), PixelDepth::k8Bit);
}

TEST(PixelAccess, StoredValuesAtEachDepth) {
  TestFrame f8 = MakeTestFrame(3, 2, PixelDepth::k8Bit, 4);
  SetPixelFloat(f8.frame, 1, 1, 1.0f, 0.5f, 0.0f, 0.25f);
  const HostPixel8 p8 = Raw8(f8.frame, 1, 1);
  EXPECT_EQ(p8.red, 255);
  EXPECT_EQ(p8.green, 128);
  EXPECT_EQ(p8.blue, 0);
  EXPECT_EQ(p8.alpha, 64);  // memory order alpha, red, green, blue

  TestFrame f16 = MakeTestFrame(3, 2, PixelDepth::k16Bit, 8);
  SetPixelFloat(f16.frame, 2, 1, 1.0f, 0.5f, 0.0f, 0.25f);
  const HostPixel16 p16 = Raw16(f16.frame, 2, 1);
  EXPECT_EQ(p16.red, 32768);
  EXPECT_EQ(p16.green, 16384);
  EXPECT_EQ(p16.blue, 0);
  EXPECT_EQ(p16.alpha, 8192);
  const RgbaFloat back = GetPixelFloat(f16.frame, 2, 1);
  EXPECT_EQ(back.red, 1.0f);
  EXPECT_EQ(back.green, 0.5f);
  EXPECT_EQ(back.alpha, 0.25f);

  TestFrame f32 = MakeTestFrame(3, 2, PixelDepth::k32BitFloat);
  SetPixelFloat(f32.frame, 0, 1, 0.3f, 1.7f, -0.2f, 0.9f);  // stored unchanged, even out of range
  const RgbaFloat p32 = GetPixelFloat(f32.frame, 0, 1);
  EXPECT_EQ(p32.red, 0.3f);
  EXPECT_EQ(p32.green, 1.7f);
  EXPECT_EQ(p32.blue, -0.2f);
  EXPECT_EQ(p32.alpha, 0.9f);

  // Neighbouring pixels stay untouched.
  EXPECT_EQ(GetPixelFloat(f8.frame, 0, 1).red, 0.0f);
  EXPECT_EQ(GetPixelFloat(f8.frame, 2, 1).alpha, 0.0f);
  EXPECT_EQ(GetPixelFloat(f16.frame, 2, 0).red, 0.0f);
}

TEST(PixelAccess, BlendPixel) {
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(2, 1, depth);
    FillFrame(f.frame, {0.5f, 0.25f, 0.0f, 0.5f});

    const RgbaFloat before = GetPixelFloat(f.frame, 0, 0);
    BlendPixel(f.frame, 0, 0, 0.5f, 0.25f, 1.0f, 0.0f);
    const RgbaFloat same = GetPixelFloat(f.frame, 0, 0);
    EXPECT_EQ(same.red, before.red);
    EXPECT_EQ(same.blue, before.blue);
    EXPECT_EQ(same.alpha, before.alpha);

    BlendPixel(f.frame, 0, 0, 1.0f, 0.0f, 1.0f, 1.0f);
    const RgbaFloat replaced = GetPixelFloat(f.frame, 0, 0);
    EXPECT_EQ(replaced.red, 1.0f);
    EXPECT_EQ(replaced.green, 0.0f);
    EXPECT_EQ(replaced.blue, 1.0f);
    EXPECT_EQ(replaced.alpha, 1.0f);

    BlendPixel(f.frame, 1, 0, 1.0f, 1.0f, 1.0f, 0.5f);
    const RgbaFloat half = GetPixelFloat(f.frame, 1, 0);
    EXPECT_NEAR(half.red, 0.75f, 0.003f);
    EXPECT_NEAR(half.green, 0.625f, 0.003f);
    EXPECT_NEAR(half.alpha, 0.75f, 0.003f);
  }

  // Alpha is capped at 1 even over an out-of-range float pixel.
  TestFrame f = MakeTestFrame(1, 1, PixelDepth::k32BitFloat);
  SetPixelFloat(f.frame, 0, 0, 0.0f, 0.0f, 0.0f, 3.0f);
  BlendPixel(f.frame, 0, 0, 1.0f, 1.0f, 1.0f, 0.5f);
  EXPECT_EQ(GetPixelFloat(f.frame, 0, 0).alpha, 1.0f);
}

TEST(PixelAccess, CopyPixelConvertsBetweenDepths) {
  TestFrame src = MakeTestFrame(2, 2, PixelDepth::k16Bit);
  SetPixelFloat(src.frame, 1, 1, 1.0f, 0.5f, 0.25f, 0.75f);
  for (PixelDepth depth : kAllDepths) {
    TestFrame dst = MakeTestFrame(2, 2, depth);
    CopyPixel(dst.frame, src.frame, 1, 1);
    const RgbaFloat p = GetPixelFloat(dst.frame, 1, 1);
    EXPECT_NEAR(p.red, 1.0f, 0.002f);
    EXPECT_NEAR(p.green, 0.5f, 0.002f);
    EXPECT_NEAR(p.blue, 0.25f, 0.002f);
    EXPECT_NEAR(p.alpha, 0.75f, 0.002f);
  }
}

TEST(PixelAccess, SourceReadsOutsideTheSourceAreTransparent) {
  TestFrame src = MakeTestFrame(2, 2, PixelDepth::k8Bit);
  FillFrame(src.frame, {1.0f, 1.0f, 1.0f, 1.0f});
  TestFrame dst = MakeTestFrame(4, 4, PixelDepth::k32BitFloat);
  FillFrame(dst.frame, {0.5f, 0.5f, 0.5f, 0.5f});
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 4; ++x) CopyPixel(dst.frame, src.frame, x, y);
  }
  EXPECT_EQ(GetPixelFloat(dst.frame, 1, 1).alpha, 1.0f);
  EXPECT_EQ(GetPixelFloat(dst.frame, 2, 1).alpha, 0.0f);
  EXPECT_EQ(GetPixelFloat(dst.frame, 1, 3).red, 0.0f);
  EXPECT_EQ(GetSourcePixelFloat(src.frame, -1, 0).alpha, 0.0f);
  EXPECT_EQ(GetSourcePixelFloat(HostFrame{}, 0, 0).alpha, 0.0f);  // a layer without pixels
}

}  // namespace
