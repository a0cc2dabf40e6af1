#include "render/particle_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "render/chain_preview_pass.h"
#include "render/pixel_access.h"
#include "render/value_noise.h"
#include "tests/render/test_frame.h"

namespace {

ChainRecord ChainThrough(std::initializer_list<IntPoint> points) {
  ChainRecord chain;
  chain.points = points;
  return chain;
}

RenderSettings ParticleSettings() {
  RenderSettings s;
  s.particlesEnabled = true;
  s.particleSpacing = 10.0f;
  s.particleScatter = 0.0f;
  s.particleSize = 2.0f;
  s.particleOpacity = 1.0f;
  s.revealProgress = 1.0f;
  return s;
}

std::vector<Particle> Particles(const RenderSettings& s, const std::vector<ChainRecord>& chains,
                                int32_t maskWidth = 400, int32_t maskHeight = 400) {
  std::vector<Particle> out = {Particle{}};  // the call replaces whatever was there
  ComputeParticles(s, chains, maskWidth, maskHeight, out);
  return out;
}

std::vector<float> Positions(const std::vector<Particle>& particles, int32_t chain) {
  std::vector<float> pos;
  for (const Particle& p : particles) {
    if (p.chain == chain) pos.push_back(p.pos);
  }
  return pos;
}

TEST(Particles, SitAtHalfSpacingStepsBelowTheRevealedLength) {
  RenderSettings s = ParticleSettings();
  const std::vector<ChainRecord> straight = {ChainThrough({{0, 10}, {30, 10}})};
  const std::vector<Particle> p = Particles(s, straight);
  ASSERT_EQ(p.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(p[k].number, k);
    EXPECT_EQ(p[k].pos, 5.0f + 10.0f * k);
    EXPECT_EQ(p[k].x, 5.0f + 10.0f * k);
    EXPECT_EQ(p[k].y, 10.0f);
    EXPECT_EQ(p[k].radius, 2.0f);
  }

  s.particleSpacing = 1.0f;  // Density 100
  EXPECT_EQ(Positions(Particles(s, {ChainThrough({{0, 0}, {3, 0}})}), 0), (std::vector<float>{0.5f, 1.5f, 2.5f}));

  // A corner with a repeated point: the empty segment is passed over.
  s.particleSpacing = 10.0f;
  const std::vector<Particle> corner = Particles(s, {ChainThrough({{0, 0}, {10, 0}, {10, 0}, {10, 10}})});
  ASSERT_EQ(corner.size(), 2u);
  EXPECT_EQ(corner[1].x, 10.0f);
  EXPECT_EQ(corner[1].y, 5.0f);

  // Revealed over 4.9 px: none; over 5.1 px: one.
  const std::vector<ChainRecord> longChain = {ChainThrough({{0, 10}, {100, 10}})};
  s.revealProgress = 0.049f;
  EXPECT_TRUE(Particles(s, longChain).empty());
  s.revealProgress = 0.051f;
  EXPECT_EQ(Particles(s, longChain).size(), 1u);

  s.revealProgress = 1.0f;
  EXPECT_TRUE(Particles(s, {ChainThrough({{4, 4}}), ChainThrough({{4, 4}, {4, 4}})}).empty());
}

TEST(Particles, RevealFollowsStaggerAndPathOffsetRevealsEveryChain) {
  RenderSettings s = ParticleSettings();
  const std::vector<ChainRecord> chains = {ChainThrough({{0, 10}, {30, 10}}), ChainThrough({{0, 30}, {10, 30}})};
  s.revealProgress = 0.5f;  // the first chain up to 20 px, the second not yet
  std::vector<Particle> p = Particles(s, chains);
  EXPECT_EQ(Positions(p, 0), (std::vector<float>{5.0f, 15.0f}));
  EXPECT_TRUE(Positions(p, 1).empty());

  s.chainStagger = 1.0f;  // every chain at the same local progress
  s.revealProgress = 0.6f;
  p = Particles(s, chains);
  EXPECT_EQ(Positions(p, 0), (std::vector<float>{5.0f, 15.0f}));
  EXPECT_EQ(Positions(p, 1), (std::vector<float>{5.0f}));

  s.chainStagger = 0.0f;
  s.revealProgress = 0.1f;
  s.pathOffset = 0.3f;
  p = Particles(s, chains);
  EXPECT_EQ(Positions(p, 0), (std::vector<float>{5.0f, 15.0f, 25.0f}));
  EXPECT_EQ(Positions(p, 1), (std::vector<float>{5.0f}));

  // In Tip Mode a wholly revealed chain has nothing left to draw on: alpha 0.
  s.tipMode = true;
  s.tipWindow = 80.0f;
  p = Particles(s, chains);
  ASSERT_EQ(p.size(), 4u);
  for (const Particle& particle : p) EXPECT_EQ(particle.colour.alpha, 0);
}

TEST(Particles, TipModeKeepsAWindowBehindThePenWithRampedRadiusAndAlpha) {
  RenderSettings s = ParticleSettings();
  s.tipMode = true;
  s.tipWindow = 80.0f;
  s.particleSize = 4.0f;
  const std::vector<ChainRecord> chain = {ChainThrough({{0, 10}, {200, 10}})};

  s.revealProgress = 0.5f;  // revealed 100: the window runs from 20 to 100
  std::vector<Particle> p = Particles(s, chain);
  ASSERT_EQ(p.size(), 8u);
  EXPECT_EQ(p.front().pos, 25.0f);
  EXPECT_EQ(p.front().number, 2);  // skipped slots still count
  EXPECT_EQ(p.front().radius, 1.1875f);
  EXPECT_EQ(p.front().colour.alpha, 1);
  EXPECT_EQ(p[3].pos, 55.0f);
  EXPECT_EQ(p[3].radius, 2.3125f);
  EXPECT_EQ(p[3].colour.alpha, 49);
  EXPECT_EQ(p.back().pos, 95.0f);
  EXPECT_EQ(p.back().radius, 3.8125f);
  EXPECT_EQ(p.back().colour.alpha, 224);

  s.tipWindow = 10.0f;
  EXPECT_EQ(Positions(Particles(s, chain), 0), (std::vector<float>{95.0f}));

  // 50 px left to draw, less than the window: alpha × 50 / 80.
  s.tipWindow = 80.0f;
  s.revealProgress = 0.75f;
  p = Particles(s, chain);
  EXPECT_EQ(p.front().pos, 75.0f);
  EXPECT_EQ(p.back().pos, 145.0f);
  EXPECT_EQ(p.back().colour.alpha, 140);

  s.revealProgress = 1.0f;
  for (const Particle& particle : Particles(s, chain)) EXPECT_EQ(particle.colour.alpha, 0);

  // The radius never drops below half a pixel.
  s.particleSize = 1.0f;
  s.revealProgress = 0.5f;
  EXPECT_EQ(Particles(s, chain).front().radius, 0.5f);
}

TEST(Particles, RandomColorsComeBeforeCustomColorWhichComesBeforeTheStrokeColour) {
  RenderSettings s = ParticleSettings();
  s.lineColor = {255, 10, 20, 30};
  s.lineColorEnd = {200, 200, 200};
  s.useGradient = true;
  s.particleColor = {255, 0, 100};
  s.trailColor = {0, 255, 20};
  const std::vector<ChainRecord> chains = {ChainThrough({{0, 10}, {200, 10}})};

  for (const Particle& p : Particles(s, chains)) {
    EXPECT_EQ(p.colour.red, 10);
    EXPECT_EQ(p.colour.green, 20);
    EXPECT_EQ(p.colour.blue, 30);
    EXPECT_EQ(p.colour.alpha, 255);
  }

  s.customColor = true;
  for (const Particle& p : Particles(s, chains)) {
    EXPECT_EQ(p.colour.red, 255);
    EXPECT_EQ(p.colour.green, 0);
    EXPECT_EQ(p.colour.blue, 100);
  }

  s.randomColors = true;
  const std::vector<Particle> both = Particles(s, chains);
  s.customColor = false;
  const std::vector<Particle> randomOnly = Particles(s, chains);
  ASSERT_EQ(both.size(), randomOnly.size());
  for (size_t i = 0; i < both.size(); ++i) {
    const HostPixel8 c = both[i].colour;
    EXPECT_EQ(c.red, randomOnly[i].colour.red);
    EXPECT_EQ(c.green, randomOnly[i].colour.green);
    EXPECT_EQ(c.blue, randomOnly[i].colour.blue);
    // Full saturation and value: one channel at 255, one at 0.
    EXPECT_EQ(std::max({c.red, c.green, c.blue}), 255);
    EXPECT_EQ(std::min({c.red, c.green, c.blue}), 0);
  }

  // Custom Color in Tip Mode runs from Trail Color at the back to Color at the tip.
  s.randomColors = false;
  s.customColor = true;
  s.tipMode = true;
  s.tipWindow = 80.0f;
  s.revealProgress = 0.5f;
  const Particle tip = Particles(s, chains).back();  // f = 0.9375
  EXPECT_EQ(tip.colour.red, 239);
  EXPECT_EQ(tip.colour.green, 16);
  EXPECT_EQ(tip.colour.blue, 95);
}

TEST(Particles, JitterSeedsFlowFalloffAndTurbulence) {
  RenderSettings s = ParticleSettings();
  s.particleScatter = 4.0f;
  // Jitter seeds come from the chain's position, so a chain sits in front.
  const std::vector<ChainRecord> chains = {ChainThrough({{0, 50}, {20, 50}}), ChainThrough({{0, 10}, {100, 10}})};
  std::vector<Particle> p = Particles(s, chains);
  int checked = 0;
  for (const Particle& particle : p) {
    if (particle.chain != 1) continue;
    const int32_t seed = 1 * 1054 + particle.number * 742;
    EXPECT_EQ(particle.x, particle.pos / 100.0f * 100.0f);  // across a horizontal chain only y moves
    EXPECT_EQ(particle.y, 10.0f + LatticeHash(seed + 57) * 4.0f);
    ++checked;
  }
  EXPECT_EQ(checked, 10);

  s.flowDirection = 1.0f;  // along the chain: only x moves, with the first jitter
  for (const Particle& particle : Particles(s, chains)) {
    if (particle.chain != 1) continue;
    EXPECT_EQ(particle.x, particle.pos / 100.0f * 100.0f + LatticeHash(1054 + particle.number * 742) * 4.0f);
    EXPECT_EQ(particle.y, 10.0f);
  }

  // Tip Mode adds its step, (int)(revealed × 8), to the seed.
  s.flowDirection = 0.0f;
  s.chainStagger = 1.0f;
  s.revealProgress = 0.5f;  // chain 1 revealed 50, step 400
  s.tipMode = true;
  for (const Particle& particle : Particles(s, chains)) {
    if (particle.chain != 1) continue;
    EXPECT_EQ(particle.y, 10.0f + LatticeHash(1054 + particle.number * 742 + 400 + 57) * 4.0f);
  }

  // Falloff 100: no scatter at the first point, full scatter at the last.
  s = ParticleSettings();
  s.particleScatter = 4.0f;
  s.tipScatterFalloff = 1.0f;
  for (const Particle& particle : Particles(s, chains)) {
    if (particle.chain != 1) continue;
    EXPECT_EQ(particle.y, 10.0f + LatticeHash(1054 + particle.number * 742 + 57) * (4.0f * (particle.pos / 100.0f)));
  }

  // Turbulence samples the noise at the scattered position (here unscattered).
  s = ParticleSettings();
  s.turbulence = 8.0f;
  p = Particles(s, {ChainThrough({{20, 50}, {60, 50}})});
  ASSERT_FALSE(p.empty());
  const Particle& first = p.front();
  const float sx = 25.0f * 0.04f;
  const float sy = 50.0f * 0.04f;
  EXPECT_EQ(first.x, 25.0f + ValueNoise2D(sx, sy) * 8.0f);
  EXPECT_EQ(first.y, 50.0f + ValueNoise2D(sx + 31.7f, sy + 17.3f) * 8.0f);
}

TEST(Particles, CentresOutsideTheAnalysedLayerAreDropped) {
  RenderSettings s = ParticleSettings();
  EXPECT_EQ(Positions(Particles(s, {ChainThrough({{0, 10}, {30, 10}})}, 20, 20), 0),
            (std::vector<float>{5.0f, 15.0f}));
}

struct ParticleFrame {
  std::vector<ChainRecord> chains;
  std::vector<int32_t> labels;
  DistanceField field;

  RenderFrameState State(HostFrame& output) {
    labels.clear();
    for (size_t i = 0; i < chains.size(); ++i) labels.push_back(static_cast<int32_t>(i + 1));
    RenderFrameState state;
    state.output = &output;
    state.chains = &chains;
    state.labels = &labels;
    state.field = &field;
    state.maskWidth = output.width;
    state.maskHeight = output.height;
    return state;
  }
};

TEST(ParticlePass, BlendsDotsOverThePreviewAtEveryDepth) {
  for (PixelDepth depth : kAllDepths) {
    TestFrame f = MakeTestFrame(80, 40, depth);
    ParticleFrame scene;
    scene.chains = {ChainThrough({{10, 30}, {60, 30}})};
    RenderSettings s = ParticleSettings();
    s.previewChains = true;
    s.lineRadius = 0;
    s.customColor = true;
    s.particleColor = {0, 255, 0};
    const RenderFrameState state = scene.State(f.frame);
    DrawChainPreviewPasses(s, state);
    const RgbaFloat line = GetPixelFloat(f.frame, 20, 30);
    DrawParticlePass(s, state);

    const RgbaFloat dot = GetPixelFloat(f.frame, 15, 30);  // particle centred at (15, 30)
    EXPECT_EQ(dot.red, 0.0f);
    EXPECT_EQ(dot.green, 1.0f);
    EXPECT_EQ(dot.alpha, 1.0f);
    const RgbaFloat between = GetPixelFloat(f.frame, 20, 30);
    EXPECT_EQ(between.red, line.red);
    EXPECT_EQ(between.blue, line.blue);
    EXPECT_NE(line.blue, 0.0f);
  }
}

TEST(ParticlePass, RendersTheSameFrameTwiceAndNothingWhenOff) {
  RenderSettings s = ParticleSettings();
  s.particleScatter = 6.0f;
  s.turbulence = 3.0f;
  s.randomColors = true;
  s.tipMode = true;
  s.tipWindow = 60.0f;
  s.revealProgress = 0.7f;
  s.flowDirection = 0.3f;
  s.particleSpacing = 2.0f;
  ParticleFrame scene;
  scene.chains = {ChainThrough({{5, 5}, {90, 20}, {40, 70}}), ChainThrough({{10, 60}, {80, 60}})};
  TestFrame a = MakeTestFrame(100, 80, PixelDepth::k16Bit);
  TestFrame b = MakeTestFrame(100, 80, PixelDepth::k16Bit);
  DrawParticlePass(s, scene.State(a.frame));
  DrawParticlePass(s, scene.State(b.frame));
  EXPECT_EQ(a.storage, b.storage);
  EXPECT_NE(a.storage, MakeTestFrame(100, 80, PixelDepth::k16Bit).storage);

  s.particlesEnabled = false;
  TestFrame c = MakeTestFrame(100, 80, PixelDepth::k16Bit);
  const auto before = c.storage;
  DrawParticlePass(s, scene.State(c.frame));
  EXPECT_EQ(c.storage, before);
}

}  // namespace
