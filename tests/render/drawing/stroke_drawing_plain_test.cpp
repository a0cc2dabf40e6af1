// The drawing (base, sparse stroke layer, capsules with their row spans and
// saturation skips, composite) against the plain drawing on generated scenes:
// every drawing option, all three depths, sources smaller than the output and
// frames wider than 4096 px.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "render/analysis/analysis_stages.h"
#include "render/drawing/stroke_drawing.h"
#include "render/render_command.h"
#include "tests/render/drawing/plain_stroke_drawing.h"
#include "tests/render/render_test_helpers.h"
#include "tests/skeleton/test_masks.h"

namespace {

struct Variant {
  const char* name;
  std::function<void(RenderSettings&)> apply;
};

const Variant kVariants[] = {
    {"defaults at half", [](RenderSettings& s) { s.revealProgress = 0.5f; }},
    {"wide tapered gradient", [](RenderSettings& s) {
       s.lineRadius = 4, s.taper = 0.6f, s.useGradient = true, s.lineColorEnd = {20, 60, 255};
     }},
    {"dashes with flat caps", [](RenderSettings& s) {
       s.dashesEnabled = true, s.dashLength = 6, s.dashPeriod = 10, s.dashOffset = 3, s.roundCap = false;
       s.revealProgress = 0.7f, s.lineRadius = 2;
     }},
    {"rough", [](RenderSettings& s) {
       s.roughnessAmount = 4.0f, s.roughnessScale = 0.05f, s.lineRadius = 6, s.revealProgress = 0.8f;
     }},
    {"revealed source over the original", [](RenderSettings& s) {
       s.revealOriginal = true, s.compositeOnOriginal = true, s.lineRadius = 3, s.roughnessAmount = 2.0f;
       s.revealProgress = 0.6f;
     }},
    {"rings only", [](RenderSettings& s) { s.multiStroke = true, s.outlineOnly = true, s.lineRadius = 2; }},
    {"rings under the stroke", [](RenderSettings& s) {
       s.multiStroke = true, s.ringWidth = 1, s.roundCap = false, s.revealProgress = 0.4f;
     }},
    {"nib, width points and the field", [](RenderSettings& s) {
       s.nibSimulation = true, s.nibAngle = 0.7f, s.matchOriginalWidth = true, s.widthScale = 1.5f;
       s.widthPoints.count = 2, s.widthPoints.entries[0] = {10, 10, 5}, s.widthPoints.entries[1] = {60, 30, 1};
     }},
    {"offset, natural speed and stagger", [](RenderSettings& s) {
       s.pathOffset = 0.3f, s.naturalSpeed = true, s.chainStagger = 0.4f, s.revealProgress = 0.9f;
     }},
    {"half opacity, one pixel wide", [](RenderSettings& s) { s.lineColor.alpha = 127, s.lineRadius = 0; }},
    {"preview", [](RenderSettings& s) { s.previewChains = true, s.lineRadius = 1; }},
    {"very wide and rough", [](RenderSettings& s) {
       s.lineRadius = 30, s.roughnessAmount = 4.0f, s.roughnessScale = 0.02f, s.revealProgress = 1.0f;
     }},
    {"very wide rough source", [](RenderSettings& s) {
       s.lineRadius = 25, s.roughnessAmount = 4.0f, s.revealOriginal = true, s.revealProgress = 0.95f;
     }},
};

// A source layer of random colours and alphas, partly transparent.
TestFrame RandomSource(std::mt19937& rng, int32_t w, int32_t h, PixelDepth depth) {
  TestFrame f = MakeTestFrame(w, h, depth);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const auto c = [&] { return static_cast<float>(rng() % 256) / 255.0f; };
      SetPixelFloat(f.frame, x, y, c(), c(), c(), rng() % 4 == 0 ? 0.0f : c());
    }
  }
  return f;
}

// Chains of a generated mask as the render makes them, or (without a mask)
// random polylines that run over the frame's edges.
RenderAnalysis Scene(const ByteMask& ink, std::mt19937& rng, const RenderSettings& settings) {
  if (ink.width > 0) {
    RenderSettings analysisSettings = settings;
    analysisSettings.subdivide = static_cast<int32_t>(rng() % 3);
    TestFrame layer = MakeTestFrame(ink.width, ink.height);
    for (size_t i = 0; i < ink.cells.size(); ++i) {
      if (ink.cells[i] != 0) SetPixelFloat(layer.frame, int32_t(i % ink.width), int32_t(i / ink.width), 1, 1, 1, 1);
    }
    return AnalyseLayer(analysisSettings, layer.frame, false);
  }
  RenderAnalysis scene;
  scene.maskWidth = 90, scene.maskHeight = 50;
  for (int32_t c = 0; c < 6; ++c) {
    ChainRecord chain;
    for (int32_t k = 0, n = 2 + int32_t(rng() % 30); k < n; ++k) {
      const FloatPoint p{float(int32_t(rng() % 130) - 20) + float(rng() % 100) / 100.0f,
                         float(int32_t(rng() % 90) - 20) + float(rng() % 100) / 100.0f};
      chain.fpoints.push_back(p);
      chain.points.push_back({int32_t(p.x + 0.5f), int32_t(p.y + 0.5f)});
    }
    scene.chains.push_back(chain);
  }
  scene.labels = ChainLabels(scene.chains.size());
  return scene;
}

TEST(StrokeDrawingPlain, EveryOptionAndDepthDrawsTheSameBytes) {
  std::mt19937 rng(17);
  std::vector<ByteMask> inks = {ByteMask{},  // random chains
                                synthetic_text::MakeTextMask(96, 64, 3, 20),
                                synthetic_text::MakeTextMask(160, 90, 8, 40),
                                synthetic_text::MakeTextMask(4100, 40, 5, 24), EmptyMask(3, 2)};
  for (const ByteMask& ink : inks) {
    for (const Variant& variant : kVariants) {
      RenderSettings settings;
      variant.apply(settings);
      const RenderAnalysis scene = Scene(ink, rng, settings);
      const int32_t w = ink.width > 0 ? ink.width : 90, h = ink.width > 0 ? ink.height : 50;
      for (PixelDepth depth : kAllDepths) {
        // Sources as large as the output, and smaller (reading as transparent outside) at another depth.
        for (bool smallSource : {false, true}) {
          const PixelDepth sourceDepth = smallSource ? kAllDepths[(static_cast<int>(depth) + 1) % 3] : depth;
          const TestFrame source = RandomSource(rng, smallSource ? w / 2 + 1 : w, smallSource ? h / 2 : h, sourceDepth);
          TestFrame fast = MakeTestFrame(w, h, depth), plainOut = MakeTestFrame(w, h, depth);
          FillFrame(fast.frame, {0.3f, 0.2f, 0.9f, 1.0f});  // stale contents the base must replace
          RenderFrameState state = MakeFrameState(scene, source.frame, fast.frame);
          DrawRenderOutput(settings, state);
          state.output = &plainOut.frame;
          plain::DrawRenderOutput(settings, state);
          ASSERT_EQ(fast.storage, plainOut.storage)
              << variant.name << ", " << w << "x" << h << ", depth " << static_cast<int>(depth) << ", small source "
              << smallSource << ", " << scene.chains.size() << " chains";
        }
      }
    }
  }
}

// Wide rough strokes over many overlapping pieces: the case that made plain
// drawing take minutes, compared on a frame the plain drawing still manages.
TEST(StrokeDrawingPlain, OverlappingRoughWideStrokesOnNoise) {
  ByteMask noise = EmptyMask(96, 80);
  std::mt19937 rng(23);
  for (uint8_t& cell : noise.cells) cell = rng() % 100 < 40;
  RenderSettings settings;
  settings.subdivide = 4, settings.roughnessAmount = 4.0f, settings.lineRadius = 40;
  TestFrame layer = MakeTestFrame(noise.width, noise.height);
  for (size_t i = 0; i < noise.cells.size(); ++i) {
    const float v = noise.cells[i] != 0 ? 1.0f : 0.0f;
    SetPixelFloat(layer.frame, int32_t(i % noise.width), int32_t(i / noise.width), v, v, v, 1);
  }
  const RenderAnalysis scene = AnalyseLayer(settings, layer.frame, false);
  size_t points = 0;
  for (const ChainRecord& chain : scene.chains) points += chain.points.size();
  ASSERT_GT(points, 400u);
  for (bool source : {false, true}) {
    settings.revealOriginal = source;
    TestFrame fast = MakeTestFrame(noise.width, noise.height), plainOut = MakeTestFrame(noise.width, noise.height);
    RenderFrameState state = MakeFrameState(scene, layer.frame, fast.frame);
    DrawRenderOutput(settings, state);
    state.output = &plainOut.frame;
    plain::DrawRenderOutput(settings, state);
    EXPECT_EQ(fast.storage, plainOut.storage) << "source " << source;
  }
}

}  // namespace
