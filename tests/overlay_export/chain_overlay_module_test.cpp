// The overlay and the buttons through the built module and the reference
// host: picks on real renders, edits that the next render applies, and
// events and presses while renders run on other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/frame_buffer.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "model/param_ids.h"
#include "tests/host/glyph_chains.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/overlay_export/ui_fake_host.h"

namespace {

// The chains a render of `image` makes with the host's current values, from
// the same analysis stages the module runs.
std::vector<ChainRecord> ChainsOf(ReferenceHost& host, const RgbaImage& image) {
  OwnedFrame input = FrameFromImage(image, 8);
  return AnalysedChains(host, FrameView(input));
}

OwnedFrame Render(ReferenceHost& host, const RgbaImage& image, int32_t time = 0) {
  OwnedFrame input = FrameFromImage(image, 8);
  OwnedFrame output = MakeFrame(image.width, image.height, 8);
  EXPECT_EQ(RenderFrame(host, FrameView(input), FrameView(output), time), kHostErrorNone);
  return output;
}

// A click where the window shows `layerPoint`.
HostError Click(ReferenceHost& host, ui_fake::Window& window, IntPoint layerPoint, int32_t modifiers = 0) {
  const bool comp = window.context.windowType == kWindowComp;
  HostEventRecord event = ui_fake::ClickEvent(window, (layerPoint.x + (comp ? window.offsetX : 0)) * window.zoom,
                                              (layerPoint.y + (comp ? window.offsetY : 0)) * window.zoom, modifiers);
  const HostError error = SendEvent(host, event);
  EXPECT_EQ(event.outFlags, 9);
  return error;
}

int32_t Slider(ReferenceHost& host, int32_t id) { return ReadParamValue(host.instance, id).slider.value; }

void SetSlider(ReferenceHost& host, int32_t id, int32_t value) {
  HostParamValue slider = ReadParamValue(host.instance, id);
  slider.slider.value = value;
  StoreParamValue(host.instance, id, slider);
}

// The chain numbers the module's selection holds, read back through Reverse
// Selected (which clears it); the reverse slots are freed again afterwards.
std::vector<int32_t> SelectedNumbers(ReferenceHost& host) {
  EXPECT_EQ(PressButton(host, PARAM_REVERSE_SELECTED), kHostErrorNone);
  std::vector<int32_t> numbers;
  for (int32_t id = PARAM_REV_SLOT1; id <= PARAM_REV_SLOT5; ++id) {
    if (Slider(host, id) != 0) numbers.push_back(Slider(host, id));
    SetSlider(host, id, 0);
  }
  return numbers;
}

// A set-up host that has rendered GlyphImage once, with the chains of that render.
struct RenderedGlyph {
  std::unique_ptr<ReferenceHost> host = OpenSetUpHost();
  RgbaImage image = GlyphImage();
  std::vector<ChainRecord> chains;
  RenderedGlyph() {
    if (host == nullptr) return;
    chains = ChainsOf(*host, image);
    EXPECT_EQ(chains.size(), 3u);
    Render(*host, image);
  }
};

uint8_t AlphaAt(const OwnedFrame& frame, IntPoint p) {
  return frame.storage[(static_cast<size_t>(p.y) * frame.width + p.x) * 4];
}

}  // namespace

// A set-up host that has rendered GlyphImage once, its three chains and a
// window to click in.
class OverlayModuleOnGlyph : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(glyph.chains.size(), 3u); }

  RenderedGlyph glyph;
  ReferenceHost* host = glyph.host.get();
  const std::vector<ChainRecord>& chains = glyph.chains;
  ui_fake::Window window;
};

// In a zoomed composition window, and with the layer analysed at half size.
TEST_F(OverlayModuleOnGlyph, AClickOnARenderedChainSelectsThatChainsNumber) {
  window.context.windowType = kWindowComp;
  window.offsetX = 40;
  window.offsetY = 30;
  window.zoom = 2;
  for (int32_t k = 0; k < 3; ++k) {
    EXPECT_EQ(Click(*host, window, PointOn(chains[k])), kHostErrorNone);
    EXPECT_EQ(SelectedNumbers(*host), std::vector<int32_t>{k + 1});
  }
  Click(*host, window, PointOn(chains[2]));
  Click(*host, window, PointOn(chains[0]), kModifierShift);
  Click(*host, window, {chains[1].points[0].x + 30, chains[1].points[0].y}, kModifierShift);  // a miss
  EXPECT_TRUE(SelectedNumbers(*host).empty());
  Click(*host, window, PointOn(chains[2]));
  Click(*host, window, PointOn(chains[0]), kModifierShift);
  EXPECT_EQ(SelectedNumbers(*host), (std::vector<int32_t>{1, 3}));

  // Cache pixels are half the layer's: a click at layer (2x, 2y) tests cache (x, y).
  host->downsampleX = {1, 2};
  host->downsampleY = {1, 2};
  window.context.windowType = kWindowLayer;
  const IntPoint onStem = PointOn(chains[2]);
  Click(*host, window, {onStem.x * 2, onStem.y * 2});
  EXPECT_EQ(SelectedNumbers(*host), std::vector<int32_t>{3});
}

TEST_F(OverlayModuleOnGlyph, BlendingTwoChainsOfAGlyphLeavesOneChainFewerInTheNextRender) {
  const RgbaImage& image = glyph.image;
  const std::vector<ChainRecord>& before = chains;
  Click(*host, window, PointOn(before[2]));
  Click(*host, window, PointOn(before[0]), kModifierShift);
  EXPECT_EQ(PressButton(*host, PARAM_BLEND_SELECTED), kHostErrorNone);
  EXPECT_EQ(Slider(*host, PARAM_SLOT1_CHAIN_A), 1);
  EXPECT_EQ(Slider(*host, PARAM_SLOT1_CHAIN_B), 3);
  EXPECT_TRUE(SelectedNumbers(*host).empty());

  EXPECT_EQ(ChainsOf(*host, image).size(), 2u);
  Render(*host, image);
  // The module's own cache now holds the stem as part of chain 1.
  Click(*host, window, {60, 70});
  EXPECT_EQ(SelectedNumbers(*host), std::vector<int32_t>{1});
  Click(*host, window, PointOn(before[1]));
  EXPECT_EQ(SelectedNumbers(*host), std::vector<int32_t>{2});
}

// Part-way through the reveal only the chain's start is drawn; reversed, only its end.
TEST(OverlayModule, ReversingAChainFlipsItsDirectionInTheNextRender) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  std::string error;
  ASSERT_TRUE(ApplyParamAssignment(host->instance, "Reveal Progress (%)=30", error)) << error;
  RgbaImage image{120, 40, std::vector<uint8_t>(120 * 40 * 4, 0)};
  FillRect(image, 10, 15, 110, 21);
  const std::vector<ChainRecord> chains = ChainsOf(*host, image);
  ASSERT_EQ(chains.size(), 1u);
  const IntPoint start = chains[0].points.front();
  const IntPoint end = chains[0].points.back();
  const OwnedFrame forward = Render(*host, image);
  EXPECT_GT(AlphaAt(forward, start), 0);
  EXPECT_EQ(AlphaAt(forward, end), 0);

  ui_fake::Window window;
  Click(*host, window, PointOn(chains[0]));
  EXPECT_EQ(PressButton(*host, PARAM_REVERSE_SELECTED), kHostErrorNone);
  EXPECT_EQ(Slider(*host, PARAM_REV_SLOT1), 1);
  const OwnedFrame reversed = Render(*host, image);
  EXPECT_EQ(AlphaAt(reversed, start), 0);
  EXPECT_GT(AlphaAt(reversed, end), 0);
}

TEST_F(OverlayModuleOnGlyph, ARefusedUtilitySuiteGives512AndKeepsTheSelection) {
  Click(*host, window, PointOn(chains[1]));
  Click(*host, window, PointOn(chains[2]), kModifierShift);
  RefuseSuite(host->suites, {kUtilitySuiteName, 13, false});
  EXPECT_EQ(PressButton(*host, PARAM_BLEND_SELECTED), 512);
  EXPECT_EQ(PressButton(*host, PARAM_REVERSE_SELECTED), 512);
  for (int32_t id = PARAM_SLOT1_CHAIN_A; id <= PARAM_REV_SLOT5; ++id) EXPECT_EQ(Slider(*host, id), 0) << id;
  ClearSuiteRefusals(host->suites);
  EXPECT_EQ(SelectedNumbers(*host), (std::vector<int32_t>{2, 3}));
}

// Renders on three threads while a fourth clicks, draws and presses every
// button. The slots are taken and the target position lies beyond the
// chains, so no press may change what a render makes: each must equal the
// same frame rendered alone.
TEST(OverlayThreads, ClicksDrawsAndPressesDuringRendersLeaveEveryRenderAsItWasAlone) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const FrameTiming timing;
  host->timeScale = timing.timeScale;
  host->timeStep = timing.timeStep;
  std::string error;
  ASSERT_TRUE(ApplyParamKeyframes(host->instance, "Reveal Progress (%)=0@0,100@1", timing, error)) << error;
  for (int32_t id = PARAM_SLOT1_CHAIN_A; id <= PARAM_REV_SLOT5; ++id) SetSlider(*host, id, 90 + (id % 10));
  SetSlider(*host, PARAM_TARGET_POSITION, 99);
  const RgbaImage image = TextInkImage(160, 64, 3);
  const std::vector<ChainRecord> chains = ChainsOf(*host, image);
  ASSERT_GE(chains.size(), 4u);

  constexpr int32_t kFrames = 6;
  std::vector<std::vector<uint8_t>> alone;
  for (int32_t frame = 0; frame < kFrames; ++frame) alone.push_back(Render(*host, image, frame * 500).storage);

  std::atomic<int32_t> rendersLeft{3};
  std::vector<std::thread> renderers;
  std::vector<int32_t> mismatches(3, 0);
  for (int32_t thread = 0; thread < 3; ++thread) {
    renderers.emplace_back([&, thread] {
      for (int32_t round = 0; round < 10; ++round) {
        for (int32_t frame = 0; frame < kFrames; ++frame) {
          const int32_t which = (frame + thread) % kFrames;
          if (Render(*host, image, which * 500).storage != alone[which]) ++mismatches[thread];
        }
      }
      --rendersLeft;
    });
  }
  ui_fake::Window window;
  window.context.windowType = kWindowComp;
  window.offsetX = 7;
  int32_t presses = 0;
  for (size_t step = 0; rendersLeft > 0 || step < chains.size(); ++step) {
    const ChainRecord& chain = chains[step % chains.size()];
    Click(*host, window, PointOn(chain), step % 3 != 0 ? kModifierShift : 0);
    HostEventRecord draw = ui_fake::DrawEvent(window);
    EXPECT_EQ(SendEvent(*host, draw), kHostErrorNone);
    for (int32_t button : {PARAM_SET_ORDER, PARAM_CLEAR_ORDER, PARAM_BLEND_SELECTED, PARAM_REVERSE_SELECTED}) {
      if (step % 2 == 0 && button == PARAM_REVERSE_SELECTED) continue;  // let selections grow
      EXPECT_EQ(PressButton(*host, button), kHostErrorNone);
      ++presses;
    }
  }
  for (std::thread& renderer : renderers) renderer.join();
  EXPECT_EQ(mismatches, std::vector<int32_t>(3, 0));
  EXPECT_GT(presses, 0);
  for (int32_t id = PARAM_SLOT1_CHAIN_A; id <= PARAM_REV_SLOT5; ++id) EXPECT_EQ(Slider(*host, id), 90 + (id % 10));
}
