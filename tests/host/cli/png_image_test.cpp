// PNG files as the command line writes them: valid files that read back
// pixel for pixel, whatever the image holds.
#include "host/cli/png_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "tests/scratch_directory.h"

namespace {

TEST(PngImage, WrittenFilesReadBackIdentically) {
  std::mt19937 rng(3);
  const ScratchDirectory scratch("png-round-trip");
  const std::string path = scratch.File("round_trip.png");
  for (auto [w, h, kind] : {std::tuple{1, 1, 0}, {2, 3, 1}, {1, 17, 2}, {97, 45, 0}, {97, 45, 1}, {97, 45, 2},
                            {4100, 3, 2}, {320, 180, 3}}) {
    RgbaImage image{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4)};
    for (size_t i = 0; i < image.pixels.size(); ++i) {
      switch (kind) {
        case 0: image.pixels[i] = static_cast<uint8_t>(rng()); break;         // noise, partly transparent
        case 1: image.pixels[i] = 0; break;                                   // all transparent
        case 2: image.pixels[i] = (i / 4) % 7 < 3 ? 255 : 0; break;          // runs of ink
        default: image.pixels[i] = static_cast<uint8_t>((i / 4 % w) * 255 / w); break;  // gradient
      }
    }
    std::string error;
    ASSERT_TRUE(WritePngFile(path, image, error)) << error;
    RgbaImage back;
    ASSERT_TRUE(ReadPngFile(path, back, error)) << error;
    EXPECT_TRUE(back.width == w && back.height == h && back.pixels == image.pixels) << w << "x" << h << " kind " << kind;
  }
  // Frames of every depth encode as their images do.
  for (int32_t depth : {8, 16, 32}) {
    RgbaImage image{61, 7, std::vector<uint8_t>(61 * 7 * 4)};
    for (uint8_t& byte : image.pixels) byte = static_cast<uint8_t>(rng());
    OwnedFrame frame = FrameFromImage(image, depth);
    std::string fromFrame, fromImage, error;
    ASSERT_TRUE(EncodeFramePng(FrameView(frame), fromFrame, error)) << error;
    ASSERT_TRUE(EncodePng(ImageFromFrame(FrameView(frame)), fromImage, error)) << error;
    EXPECT_EQ(fromFrame, fromImage) << depth;
  }
  std::string error;
  std::string bytes;
  EXPECT_FALSE(EncodePng(RgbaImage{2, 2, std::vector<uint8_t>(15)}, bytes, error));
}

}  // namespace
