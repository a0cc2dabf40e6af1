#include "render/drawing/particles.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/drawing/draw_primitives.h"
#include "render/drawing/value_noise.h"

namespace {

// Seed multipliers, in wrapping 32-bit arithmetic: jitter x, jitter y (+57),
// and the random hue.
constexpr uint32_t kJitterChainFactor = 1054;
constexpr uint32_t kJitterIndexFactor = 742;
constexpr uint32_t kJitterYOffset = 57;
constexpr uint32_t kHueChainFactor = 374;
constexpr uint32_t kHueIndexFactor = 3022;

constexpr float kPathOffsetOn = 0.0001f;
constexpr float kTipStepsPerPixel = 8.0f;
constexpr float kTurbulenceFrequency = 0.04f;
constexpr float kParticleRoughScale = 0.02f;

float SeedHash(int32_t chain, int32_t number, int32_t step, uint32_t chainFactor, uint32_t indexFactor,
               uint32_t offset) {
  const uint32_t seed = static_cast<uint32_t>(chain) * chainFactor +
                        static_cast<uint32_t>(number) * indexFactor + static_cast<uint32_t>(step) +
                        offset;
  return LatticeHash(static_cast<int32_t>(seed));
}

uint8_t ToByte(int32_t value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// Fully saturated colour of a hue in degrees, 0 to 360.
void HueColour(float hue, uint8_t& red, uint8_t& green, uint8_t& blue) {
  const float x = 1.0f - std::fabs(std::fmod(hue / 60.0f, 2.0f) - 1.0f);
  float r, g, b;
  if (hue < 60.0f) {
    r = 1.0f, g = x, b = 0.0f;
  } else if (hue < 120.0f) {
    r = x, g = 1.0f, b = 0.0f;
  } else if (hue < 180.0f) {
    r = 0.0f, g = 1.0f, b = x;
  } else if (hue < 240.0f) {
    r = 0.0f, g = x, b = 1.0f;
  } else if (hue < 300.0f) {
    r = x, g = 0.0f, b = 1.0f;
  } else {
    r = 1.0f, g = 0.0f, b = x;
  }
  red = ToByte(static_cast<int32_t>(r * 255.0f + 0.5f));
  green = ToByte(static_cast<int32_t>(g * 255.0f + 0.5f));
  blue = ToByte(static_cast<int32_t>(b * 255.0f + 0.5f));
}

uint8_t MixChannel(uint8_t tip, uint8_t trail, float f) {
  return ToByte(static_cast<int32_t>(static_cast<float>(tip) * f + static_cast<float>(trail) * (1.0f - f) + 0.5f));
}

struct ChainReveal {
  int32_t chain = 0;
  float length = 0.0f;
  float revealed = 0.0f;
  int32_t step = 0;  // Tip Mode: changes with every eighth of a pixel of reveal
};

struct SegmentFrame {
  float px = 0.0f, py = 0.0f;  // first point
  float dx = 0.0f, dy = 0.0f;  // to the second point
  float length = 0.0f;
  float start = 0.0f;          // arc length at the first point
};

// Builds particle k at arc position `pos` on the segment; false when Tip Mode
// leaves no particle there.
bool MakeParticle(const RenderSettings& s, const ChainReveal& c, const SegmentFrame& seg, int32_t k, float pos,
                  Particle& out) {
  if (s.tipMode && pos < c.revealed - s.tipWindow) return false;
  const int32_t step = c.step;
  const float j1 = SeedHash(c.chain, k, step, kJitterChainFactor, kJitterIndexFactor, 0);
  const float j2 = SeedHash(c.chain, k, step, kJitterChainFactor, kJitterIndexFactor, kJitterYOffset);

  const float t = (pos - seg.start) / seg.length;
  float x = seg.px + t * seg.dx;
  float y = seg.py + t * seg.dy;
  const float ux = seg.dx / seg.length;
  const float uy = seg.dy / seg.length;
  const float nx = -uy;
  const float ny = ux;

  float scatter = s.particleScatter;
  if (s.tipScatterFalloff > 0.0f) {
    scatter = s.particleScatter * (s.tipScatterFalloff * pos / c.length + 1.0f - s.tipScatterFalloff);
  }
  x = x + ((1.0f - s.flowDirection) * nx + s.flowDirection * ux) * j1 * scatter;
  y = y + ((1.0f - s.flowDirection) * ny + s.flowDirection * uy) * j2 * scatter;

  if (s.turbulence > 0.0f) {
    const float sx = static_cast<float>(step) * 0.01f + x * kTurbulenceFrequency;
    const float sy = y * kTurbulenceFrequency + static_cast<float>(step) * 0.013f;
    x = x + ValueNoise2D(sx, sy) * s.turbulence;
    y = y + ValueNoise2D(sx + 31.7f, sy + 17.3f) * s.turbulence;
  }

  const bool tipRamp = s.tipMode && s.tipWindow > 0.0f;
  float f = 1.0f;
  if (tipRamp) f = std::clamp((pos - (c.revealed - s.tipWindow)) / s.tipWindow, 0.0f, 1.0f);

  HostPixel8 colour{};
  if (s.randomColors) {
    const float h = SeedHash(c.chain, k, step, kHueChainFactor, kHueIndexFactor, 0);
    HueColour(std::fmod((h + 1.0f) * 180.0f, 360.0f), colour.red, colour.green, colour.blue);
  } else if (s.customColor) {
    colour.red = MixChannel(s.particleColor.red, s.trailColor.red, f);
    colour.green = MixChannel(s.particleColor.green, s.trailColor.green, f);
    colour.blue = MixChannel(s.particleColor.blue, s.trailColor.blue, f);
  } else {
    colour.red = s.lineColor.red;
    colour.green = s.lineColor.green;
    colour.blue = s.lineColor.blue;
  }

  float radius = s.particleSize;
  int32_t alpha = 0;
  if (tipRamp) {
    const int32_t a0 = static_cast<int32_t>(f * f * s.particleOpacity * 255.0f + 0.5f);
    radius = std::max(0.5f, (0.75f * f + 0.25f) * s.particleSize);
    // The sparks die out as the chain completes.
    const float remaining = c.length - c.revealed;
    const float fade = remaining < s.tipWindow ? std::min(remaining / s.tipWindow, 1.0f) : 1.0f;
    alpha = static_cast<int32_t>(static_cast<float>(a0) * fade + 0.5f);
  } else {
    alpha = static_cast<int32_t>(s.particleOpacity * 255.0f + 0.5f);
  }
  colour.alpha = ToByte(alpha);

  out.chain = c.chain;
  out.number = k;
  out.pos = pos;
  out.x = x;
  out.y = y;
  out.radius = radius;
  out.colour = colour;
  return true;
}

bool InsideMask(float x, float y, int32_t maskWidth, int32_t maskHeight) {
  return x >= 0.0f && x < static_cast<float>(maskWidth) && y >= 0.0f && y < static_cast<float>(maskHeight);
}

// Local progress of a chain under Chain Stagger; the stroke uses the same rule.
float LocalProgress(const RenderSettings& s, float startFrac, float lenFrac) {
  const float stagger = s.chainStagger;
  const float local = (s.revealProgress - (1.0f - stagger) * startFrac) /
                      std::max(1e-6f, (1.0f - stagger) * lenFrac + stagger);
  return std::clamp(local, 0.0f, 1.0f);
}

void WalkChain(const RenderSettings& s, const ChainRecord& chain, const ChainReveal& reveal, int32_t maskWidth,
               int32_t maskHeight, std::vector<Particle>& particles) {
  const float spacing = s.particleSpacing;
  float pos = 0.5f * spacing;
  int32_t k = 0;
  float segStart = 0.0f;
  Particle particle;
  for (size_t j = 1; j < chain.points.size() && segStart < reveal.revealed; ++j) {
    const IntPoint a = chain.points[j - 1];
    const IntPoint b = chain.points[j];
    SegmentFrame seg;
    seg.length = Distance(a, b);
    if (seg.length <= 0.0f) continue;
    seg.px = static_cast<float>(a.x);
    seg.py = static_cast<float>(a.y);
    seg.dx = static_cast<float>(b.x) - seg.px;
    seg.dy = static_cast<float>(b.y) - seg.py;
    seg.start = segStart;
    const float segEnd = std::min(reveal.revealed, segStart + seg.length);
    while (pos < segEnd) {
      if (MakeParticle(s, reveal, seg, k, pos, particle) && InsideMask(particle.x, particle.y, maskWidth, maskHeight)) {
        particles.push_back(particle);
      }
      const float next = pos + spacing;
      if (!(next > pos)) return;  // a spacing too small to move on would never end the walk
      ++k;
      pos = next;
    }
    segStart = segStart + seg.length;
  }
}

}  // namespace

void ComputeParticles(const RenderSettings& settings, const std::vector<ChainRecord>& chains,
                      int32_t maskWidth, int32_t maskHeight, std::vector<Particle>& particles) {
  particles.clear();
  if (chains.empty() || !(settings.particleSpacing > 0.0f)) return;

  std::vector<float> lengths(chains.size());
  std::vector<float> starts(chains.size());
  float total = 0.0f;
  for (size_t i = 0; i < chains.size(); ++i) {
    lengths[i] = PolylineLength(chains[i].points);
    starts[i] = total;
    total += lengths[i];
  }

  for (size_t i = 0; i < chains.size(); ++i) {
    const float length = lengths[i];
    if (!(length > 0.0f)) continue;
    float lenFrac = 1.0f;
    float startFrac = 0.0f;
    if (total > 0.0f) {
      lenFrac = length / total;
      startFrac = starts[i] / total;
    }
    ChainReveal reveal;
    reveal.chain = static_cast<int32_t>(i);
    reveal.length = length;
    // With Path Offset the visible stretch wanders over whole chains, so every
    // chain counts as revealed.
    reveal.revealed = settings.pathOffset > kPathOffsetOn ? length : LocalProgress(settings, startFrac, lenFrac) * length;
    if (!(reveal.revealed > 0.0f)) continue;
    reveal.step = settings.tipMode ? static_cast<int32_t>(reveal.revealed * kTipStepsPerPixel) : 0;
    WalkChain(settings, chains[i], reveal, maskWidth, maskHeight, particles);
  }
}

void DrawParticles(const RenderSettings& settings, const RenderFrameState& state) {
  if (!settings.particlesEnabled || state.chains == nullptr || state.output == nullptr ||
      state.output->pixels == nullptr) {
    return;
  }
  std::vector<Particle> particles;
  ComputeParticles(settings, *state.chains, state.maskWidth, state.maskHeight, particles);
  const HostFrame& output = *state.output;
  // The source is handed along only because the primitive takes one; particles never paint it.
  const HostFrame& source = state.source != nullptr ? *state.source : output;
  for (const Particle& p : particles) {
    const FloatPoint centre{p.x, p.y};
    const Capsule dot{centre, centre, p.radius, p.radius, p.colour, false, 0.0f, 0.0f, kParticleRoughScale};
    DrawCapsule(output, source, dot, nullptr);
  }
}
