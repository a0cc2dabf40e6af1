#include "render/drawing/pixel_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "tests/render/render_test_helpers.h"

namespace {

template <typename Pixel>
std::tuple<int, int, int, int> Raw(const HostFrame& f, int32_t x, int32_t y) {
  Pixel p;
  std::memcpy(&p, static_cast<const char*>(f.pixels) + f.rowBytes * y + sizeof(Pixel) * x, sizeof p);
  return {p.alpha, p.red, p.green, p.blue};
}

TEST(PixelAccess, DepthFollowsRowBytesOverWidthAndValuesAreStoredAsTheHostHoldsThem) {
  for (auto [width, rowBytes, depth] :
       {std::tuple{10, 160, PixelDepth::k32BitFloat}, {10, 159, PixelDepth::k16Bit}, {10, 80, PixelDepth::k16Bit},
        {10, 79, PixelDepth::k8Bit}, {10, 40, PixelDepth::k8Bit}, {0, 1600, PixelDepth::k8Bit}}) {
    EXPECT_EQ(FramePixelDepth(HostFrame{nullptr, rowBytes, width, 1}), depth) << width << " px in " << rowBytes << " bytes";
  }
  TestFrame f8 = MakeTestFrame(3, 2, PixelDepth::k8Bit, 4), f16 = MakeTestFrame(3, 2, PixelDepth::k16Bit, 8);
  TestFrame f32 = MakeTestFrame(3, 2, PixelDepth::k32BitFloat);
  SetPixelFloat(f8.frame, 1, 1, 1.0f, 0.5f, 0.0f, 0.25f);
  SetPixelFloat(f16.frame, 2, 1, 1.0f, 0.5f, 0.0f, 0.25f);
  SetPixelFloat(f32.frame, 0, 1, 0.3f, 1.7f, -0.2f, 0.9f);  // stored unchanged, even out of range
  EXPECT_EQ(Raw<HostPixel8>(f8.frame, 1, 1), std::tuple(64, 255, 128, 0));
  EXPECT_EQ(Raw<HostPixel16>(f16.frame, 2, 1), std::tuple(8192, 32768, 16384, 0));
  EXPECT_TRUE(SamePixel(GetPixelFloat(f16.frame, 2, 1), {1.0f, 0.5f, 0.0f, 0.25f}));
  EXPECT_TRUE(SamePixel(GetPixelFloat(f32.frame, 0, 1), {0.3f, 1.7f, -0.2f, 0.9f}));
  // The neighbours stay untouched.
  EXPECT_TRUE(SamePixel(GetPixelFloat(f8.frame, 0, 1), {}) && SamePixel(GetPixelFloat(f8.frame, 2, 1), {}));
  EXPECT_TRUE(SamePixel(GetPixelFloat(f16.frame, 2, 0), {}) && SamePixel(GetPixelFloat(f32.frame, 1, 1), {}));
}

TEST(PixelAccess, BlendAtEveryDepthAndSourcesReadTransparentOutside) {
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(3, 1, depth);
    FillFrame(f.frame, {0.5f, 0.25f, 0.0f, 0.5f});
    const RgbaFloat before = GetPixelFloat(f.frame, 0, 0);
    BlendPixel(f.frame, 0, 0, 0.5f, 0.25f, 1.0f, 0.0f);  // alpha 0 keeps, 1 replaces, 0.5 mixes
    BlendPixel(f.frame, 1, 0, 1.0f, 0.0f, 1.0f, 1.0f);
    BlendPixel(f.frame, 2, 0, 1.0f, 1.0f, 1.0f, 0.5f);
    EXPECT_TRUE(SamePixel(GetPixelFloat(f.frame, 0, 0), before));
    EXPECT_TRUE(SamePixel(GetPixelFloat(f.frame, 1, 0), {1.0f, 0.0f, 1.0f, 1.0f}));
    EXPECT_TRUE(NearPixel(GetPixelFloat(f.frame, 2, 0), {0.75f, 0.625f, 0.5f, 0.75f}, 0.003f));
  }
  TestFrame f = MakeTestFrame(1, 1, PixelDepth::k32BitFloat);
  SetPixelFloat(f.frame, 0, 0, 0.0f, 0.0f, 0.0f, 3.0f);
  BlendPixel(f.frame, 0, 0, 1.0f, 1.0f, 1.0f, 0.5f);
  EXPECT_EQ(GetPixelFloat(f.frame, 0, 0).alpha, 1.0f);  // capped even over an out-of-range pixel
  EXPECT_EQ(GetSourcePixelFloat(f.frame, -1, 0).alpha, 0.0f);  // sources read transparent outside
  EXPECT_EQ(GetSourcePixelFloat(HostFrame{}, 0, 0).alpha, 0.0f);
}

}  // namespace
