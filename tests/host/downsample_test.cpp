#include <gtest/gtest.h>

#include <vector>

#include "host/command_params.h"
#include "host/frame_resample.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

// Pixel (x, y) holds red x, green y, opaque.
RgbaImage CoordinateImage(int32_t width, int32_t height) {
  RgbaImage image{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      image.pixels.insert(image.pixels.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 9, 255});
    }
  }
  return image;
}

std::vector<uint8_t> PixelAt(const RgbaImage& image, int32_t x, int32_t y) {
  const auto at = image.pixels.begin() + (static_cast<std::ptrdiff_t>(y) * image.width + x) * 4;
  return {at, at + 4};
}

}  // namespace

TEST(Downsample, DraftFramesTakeEveryNthPixelAtEveryDepth) {
  const RgbaImage image = CoordinateImage(5, 3);
  for (int32_t depth : {8, 16, 32}) {
    const OwnedFrame frame = FrameFromImage(image, depth);
    OwnedFrame half = DownsampleFrame(frame, 2);
    ASSERT_EQ(half.width, 3);
    ASSERT_EQ(half.height, 2);
    EXPECT_EQ(half.depth, depth);
    const RgbaImage seen = ImageFromFrame(FrameView(half));
    EXPECT_EQ(PixelAt(seen, 2, 1), (std::vector<uint8_t>{4, 2, 9, 255})) << depth;
    OwnedFrame same = DownsampleFrame(frame, 1);
    EXPECT_EQ(same.storage, frame.storage);
    EXPECT_EQ(DownsampleFrame(frame, 7).width, 1);
  }
}

TEST(Downsample, WindowsShowTheFrameScaledUpAndPlaced) {
  const RgbaImage image = CoordinateImage(4, 3);
  const RgbaImage same = PlaceLayerImage(image, 1, PlaneTransform{}, 4, 3);
  EXPECT_EQ(same.pixels, image.pixels);
  struct Case {
    int32_t pixelScale;
    PlaneTransform placement;
    int32_t x, y;  // window pixel
    int32_t fromX, fromY;  // image pixel shown there, -1 for none
  };
  const Case cases[] = {
      {2, {}, 7, 5, 3, 2},
      {2, {}, 6, 4, 3, 2},
      {2, {}, 8, 5, -1, -1},
      {1, {10.0, 1.0, 1.0, 1.0}, 10, 1, 0, 0},
      {1, {10.0, 1.0, 1.0, 1.0}, 9, 1, -1, -1},
      {1, {0.0, 0.0, 2.0, 2.0}, 5, 3, 2, 1},
      {2, {-2.0, 0.0, 0.5, 0.5}, 0, 0, 2, 0},
      {1, {0.0, 0.0, 1.0, 1.0}, 3, 3, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " at 1/" << c.pixelScale);
    const RgbaImage window = PlaceLayerImage(image, c.pixelScale, c.placement, 12, 8);
    const std::vector<uint8_t> expected = c.fromX < 0 ? std::vector<uint8_t>{0, 0, 0, 0}
                                                      : std::vector<uint8_t>{static_cast<uint8_t>(c.fromX),
                                                                             static_cast<uint8_t>(c.fromY), 9, 255};
    EXPECT_EQ(PixelAt(window, c.x, c.y), expected);
  }
}

// At 1/2 the effect gets points in the reduced frame's pixels; the layer keeps its size.
TEST(Downsample, PointsAreScaledFromTheFullSizeLayer) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  OwnedFrame full = MakeFrame(721, 221, 8);
  OwnedFrame half = DownsampleFrame(full, 2);
  host->downsampleX = {1, 2};
  host->downsampleY = {1, 2};
  SetLayerSize(host->instance, full.width, full.height);
  HostParamValue point = ReadParamValue(host->instance, PARAM_WP1_POSITION);
  point.point.xValue = 3;  // 1.5 fixed steps after halving: rounds away from zero
  point.point.yValue = -101 * 65536;
  StoreParamValue(host->instance, PARAM_WP1_POSITION, point);
  const HostFrame view = FrameView(half);
  CommandParams params = PrepareCommandParams(*host, &view);
  // The default, 50% of 721 x 221 px, is 360.5, 110.5 in the layer's pixels.
  EXPECT_EQ(params.records[PARAM_START_POINT].u.point.xValue, 721 * 32768 / 2);
  EXPECT_EQ(params.records[PARAM_START_POINT].u.point.yValue, 221 * 32768 / 2);
  EXPECT_EQ(params.records[PARAM_WP1_POSITION].u.point.xValue, 2);
  EXPECT_EQ(params.records[PARAM_WP1_POSITION].u.point.yValue, -101 * 32768);
  TakeBackCommandParams(*host, params);
  OwnedFrame output = MakeFrame(half.width, half.height, 8);
  ASSERT_EQ(RenderFrame(*host, view, FrameView(output), 0), kHostErrorNone);
  EXPECT_EQ(host->instance.layerWidth, 721);  // a draft frame is not the layer's size
}
