// The chain preview and the particles as the host sees them: rendered by the
// plug-in module through the reference host.
#include <gtest/gtest.h>

#include <vector>

#include "host/effect_instance.h"
#include "host/frame_buffer.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

constexpr int32_t kWidth = 120;
constexpr int32_t kHeight = 60;

// One opaque white bar on transparency: one chain.
OwnedFrame OneBar() {
  RgbaImage image;
  image.width = kWidth;
  image.height = kHeight;
  image.pixels.assign(static_cast<size_t>(kWidth) * kHeight * 4, 0);
  for (int32_t y = 28; y < 33; ++y) {
    for (int32_t x = 20; x < 100; ++x) {
      for (int c = 0; c < 4; ++c) image.pixels[(static_cast<size_t>(y) * kWidth + x) * 4 + c] = 255;
    }
  }
  return FrameFromImage(image, 8);
}

void SetCheckbox(ReferenceHost& host, int32_t id, bool on) {
  HostParamValue value = ReadParamValue(host.instance, id);
  value.checkbox.value = on ? 1 : 0;
  StoreParamValue(host.instance, id, value);
}

RgbaImage Render(ReferenceHost& host, OwnedFrame& input) {
  OwnedFrame output = MakeFrame(kWidth, kHeight, 8);
  EXPECT_EQ(RenderFrame(host, FrameView(input), FrameView(output), 0), kHostErrorNone);
  return ImageFromFrame(FrameView(output));
}

std::vector<uint8_t> PixelAt(const RgbaImage& image, int32_t x, int32_t y) {
  const auto* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

TEST(PreviewRender, TheModuleDrawsTheCountAndParticlesOverThePreview) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  OwnedFrame input = OneBar();
  const RgbaImage stroke = Render(*host, input);

  SetCheckbox(*host, PARAM_PREVIEW_CHAINS, true);
  const RgbaImage preview = Render(*host, input);
  EXPECT_NE(preview.pixels, stroke.pixels);
  // The count "1" at (8, 8), scale 3: its middle column starts at x = 11.
  EXPECT_EQ(PixelAt(preview, 11, 8), (std::vector<uint8_t>{255, 255, 255, 255}));
  EXPECT_EQ(PixelAt(preview, 10, 7), (std::vector<uint8_t>{0, 0, 0, 255}));
  EXPECT_EQ(PixelAt(preview, 8, 8), (std::vector<uint8_t>{0, 0, 0, 0}));

  SetCheckbox(*host, PARAM_ENABLE_PARTICLES, true);
  const RgbaImage withParticles = Render(*host, input);
  EXPECT_NE(withParticles.pixels, preview.pixels);
  EXPECT_EQ(PixelAt(withParticles, 10, 7), (std::vector<uint8_t>{0, 0, 0, 255}));
  EXPECT_EQ(Render(*host, input).pixels, withParticles.pixels);
}

}  // namespace
