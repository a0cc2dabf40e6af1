#include "render/drawing/particles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "render/drawing/chain_preview.h"
#include "tests/render/render_test_helpers.h"

namespace {

RenderSettings ParticleSettings() {
  RenderSettings s;
  s.particlesEnabled = true;
  s.particleScatter = 0.0f;
  s.particleSize = 2.0f;
  s.particleOpacity = 1.0f;
  return s;
}

std::vector<Particle> Particles(const RenderSettings& s, const std::vector<ChainRecord>& chains, int32_t mask = 400) {
  std::vector<Particle> out(1);  // the call replaces whatever was there
  ComputeParticles(s, chains, mask, mask, out);
  return out;
}

std::vector<float> Positions(const std::vector<Particle>& particles, int32_t chain = 0) {
  std::vector<float> pos;
  for (const Particle& p : particles) {
    if (p.chain == chain) pos.push_back(p.pos);
  }
  return pos;
}

TEST(Particles, SitAtHalfSpacingStepsBelowARevealedLengthThatFollowsStaggerAndPathOffset) {
  RenderSettings s = ParticleSettings();
  const std::vector<Particle> p = Particles(s, {StraightChain(0, 10, 30, 30)});
  ASSERT_EQ(p.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(std::tuple(p[k].number, p[k].pos, p[k].x, p[k].y, p[k].radius),
              std::tuple(k, 5.0f + 10 * k, 5.0f + 10 * k, 10.0f, 2.0f));
  }
  const Particle corner = Particles(s, {ChainThrough({{0, 0}, {10, 0}, {10, 0}, {10, 10}})}).at(1);  // repeated point
  EXPECT_EQ(std::pair(corner.x, corner.y), std::pair(10.0f, 5.0f));
  EXPECT_EQ(Positions(Particles(s, {StraightChain(0, 10, 30, 30)}, 20)), (std::vector<float>{5, 15}));  // outside
  EXPECT_TRUE(Particles(s, {ChainThrough({{4, 4}}), ChainThrough({{4, 4}, {4, 4}})}).empty());
  for (auto [progress, count] : {std::pair{0.049f, 0u}, {0.051f, 1u}}) {  // revealed over 4.9 and 5.1 px
    s.revealProgress = progress;
    EXPECT_EQ(Particles(s, {StraightChain(0, 10, 100, 100)}).size(), count);
  }
  s.revealProgress = 1.0f;
  s.particleSpacing = 1.0f;  // Density 100
  EXPECT_EQ(Positions(Particles(s, {StraightChain(0, 0, 3, 3)})), (std::vector<float>{0.5f, 1.5f, 2.5f}));
  s.particleSpacing = 10.0f;  // the reveal follows Chain Stagger; with Path Offset every chain counts as revealed
  const std::vector<ChainRecord> chains = {StraightChain(0, 10, 30, 30), StraightChain(0, 30, 10, 10)};
  using Pos = std::vector<float>;
  for (auto [progress, stagger, offset, first, second] :
       {std::tuple{0.5f, 0.0f, 0.0f, Pos{5, 15}, Pos{}},  // the first chain up to 20 px
        {0.6f, 1.0f, 0.0f, Pos{5, 15}, Pos{5}},           // every chain at the same local progress
        {0.1f, 0.0f, 0.3f, Pos{5, 15, 25}, Pos{5}}}) {
    s.revealProgress = progress;
    s.chainStagger = stagger;
    s.pathOffset = offset;
    EXPECT_EQ(Positions(Particles(s, chains), 0), first) << progress;
    EXPECT_EQ(Positions(Particles(s, chains), 1), second) << progress;
  }
  s.tipMode = true;  // a wholly revealed chain has nothing left to draw on
  for (const Particle& particle : Particles(s, chains)) EXPECT_EQ(particle.colour.alpha, 0);
}

TEST(Particles, TipModeKeepsAWindowBehindThePenWithRampedRadiusAndAlpha) {
  RenderSettings s = ParticleSettings();
  s.tipMode = true;
  s.particleSize = 4.0f;
  const std::vector<ChainRecord> chain = {StraightChain(0, 10, 200, 200)};
  s.revealProgress = 0.5f;  // revealed 100: the window of 80 runs from 20 to 100
  std::vector<Particle> p = Particles(s, chain);
  ASSERT_EQ(p.size(), 8u);
  EXPECT_EQ(p.front().number, 2);  // skipped slots still count
  for (auto [i, pos, radius, alpha] :
       {std::tuple{0, 25.0f, 1.1875f, 1}, {3, 55.0f, 2.3125f, 49}, {7, 95.0f, 3.8125f, 224}}) {
    EXPECT_EQ(std::tuple(p[i].pos, p[i].radius, int{p[i].colour.alpha}), std::tuple(pos, radius, alpha)) << i;
  }
  s.tipWindow = 10.0f;
  EXPECT_EQ(Positions(Particles(s, chain)), (std::vector<float>{95.0f}));
  s.tipWindow = 80.0f;
  s.revealProgress = 0.75f;  // 50 px left to draw, less than the window: alpha x 50 / 80
  p = Particles(s, chain);
  EXPECT_EQ(std::tuple(p.front().pos, p.back().pos, int{p.back().colour.alpha}), std::tuple(75.0f, 145.0f, 140));
  s.particleSize = 1.0f;  // the radius never drops below half a pixel
  EXPECT_EQ(Particles(s, chain).front().radius, 0.5f);
}

TEST(Particles, RandomColorsBeforeCustomColorBeforeTheStrokeColour) {
  RenderSettings s = ParticleSettings();
  s.lineColor = {255, 10, 20, 30};
  s.useGradient = true;
  s.particleColor = {255, 0, 100};
  s.trailColor = {0, 255, 20};
  using Colours = std::vector<std::tuple<int, int, int, int>>;
  const auto colours = [&] {
    Colours c;
    for (const Particle& p : Particles(s, {StraightChain(0, 10, 200, 200)})) {
      c.emplace_back(p.colour.red, p.colour.green, p.colour.blue, p.colour.alpha);
    }
    return c;
  };
  EXPECT_EQ(colours(), Colours(20, {10, 20, 30, 255}));
  s.customColor = true;
  EXPECT_EQ(colours(), Colours(20, {255, 0, 100, 255}));
  s.randomColors = true;
  const Colours both = colours();
  s.customColor = false;
  EXPECT_EQ(colours(), both);
  for (auto [r, g, b, a] : both) EXPECT_TRUE(std::max({r, g, b}) == 255 && std::min({r, g, b}) == 0);  // full hues
  s.randomColors = false;  // Custom Color in Tip Mode runs from Trail Color at the back to Color at the tip
  s.customColor = s.tipMode = true;
  s.revealProgress = 0.5f;
  EXPECT_EQ(colours().back(), std::tuple(239, 16, 95, 224));  // f = 0.9375
}

TEST(ParticlePass, DotsOverThePreviewAtEveryDepthTheSameEveryTimeAndNothingWhenOff) {
  RenderSettings s = ParticleSettings();
  s.previewChains = s.customColor = true;
  s.lineRadius = 0;
  s.particleColor = {0, 255, 0};
  DrawScene scene;
  scene.chains = {StraightChain(10, 30, 50, 50)};
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(80, 40, depth);
    DrawChainPreview(s, scene.State(f.frame));
    const RgbaFloat line = GetPixelFloat(f.frame, 20, 30);
    DrawParticles(s, scene.State(f.frame));
    EXPECT_TRUE(SamePixel(GetPixelFloat(f.frame, 15, 30), {0, 1, 0, 1}));  // particle centred at (15, 30)
    EXPECT_TRUE(SamePixel(GetPixelFloat(f.frame, 20, 30), line) && line.blue != 0.0f);
  }
  s.particleScatter = 6.0f;
  s.turbulence = 3.0f;
  s.randomColors = s.tipMode = true;
  s.revealProgress = 0.7f;
  scene.chains.push_back(ChainThrough({{5, 5}, {70, 20}, {40, 35}}));
  std::vector<std::vector<uint64_t>> frames;
  for (bool on : {true, true, false}) {
    TestFrame f = MakeTestFrame(80, 40, PixelDepth::k16Bit);
    s.particlesEnabled = on;
    DrawParticles(s, scene.State(f.frame));
    frames.push_back(f.storage);
  }
  EXPECT_TRUE(frames[0] == frames[1] && frames[0] != frames[2]);
  EXPECT_EQ(frames[2], MakeTestFrame(80, 40, PixelDepth::k16Bit).storage);
}

}  // namespace
