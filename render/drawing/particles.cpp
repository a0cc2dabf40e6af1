#include "render/drawing/particles.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/drawing/chain_reveal.h"
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

constexpr float kTipStepsPerPixel = 8.0f;
constexpr float kParticleRoughScale = 0.02f;

// Turbulence samples value noise at the particle's position times the
// frequency; in Tip Mode the field drifts with every step, a little faster
// along y than x. The y displacement samples the field at a fixed distance
// from the x displacement's sample, so the two do not move together.
constexpr float kTurbulenceFrequency = 0.04f;
constexpr float kTurbulenceDriftPerStepX = 0.01f;
constexpr float kTurbulenceDriftPerStepY = 0.013f;
constexpr float kTurbulenceSecondSampleX = 31.7f;
constexpr float kTurbulenceSecondSampleY = 17.3f;

// In the tip window a particle grows from a quarter of Size at the back of
// the window to the whole Size at the tip, and is never below half a pixel.
constexpr float kTipRadiusAtBack = 0.25f;
constexpr float kTipRadiusGrowth = 0.75f;
constexpr float kMinTipRadius = 0.5f;

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

// Where particle `number` sits: `pos` along the segment, scattered across the
// chain (or along it, by Flow Direction) by its jitter, then moved by the
// turbulence.
FloatPoint ParticlePosition(const RenderSettings& settings, const ChainReveal& reveal, const SegmentFrame& seg,
                            int32_t number, float pos) {
  const int32_t step = reveal.step;
  const float jitterX = SeedHash(reveal.chain, number, step, kJitterChainFactor, kJitterIndexFactor, 0);
  const float jitterY = SeedHash(reveal.chain, number, step, kJitterChainFactor, kJitterIndexFactor, kJitterYOffset);

  const float t = (pos - seg.start) / seg.length;
  float x = seg.px + t * seg.dx;
  float y = seg.py + t * seg.dy;
  const float ux = seg.dx / seg.length;
  const float uy = seg.dy / seg.length;
  const float nx = -uy;
  const float ny = ux;

  float scatter = settings.particleScatter;
  if (settings.tipScatterFalloff > 0.0f) {
    const float falloff = settings.tipScatterFalloff;
    scatter = settings.particleScatter * (falloff * pos / reveal.length + 1.0f - falloff);
  }
  x = x + ((1.0f - settings.flowDirection) * nx + settings.flowDirection * ux) * jitterX * scatter;
  y = y + ((1.0f - settings.flowDirection) * ny + settings.flowDirection * uy) * jitterY * scatter;

  if (settings.turbulence > 0.0f) {
    const float sampleX = static_cast<float>(step) * kTurbulenceDriftPerStepX + x * kTurbulenceFrequency;
    const float sampleY = y * kTurbulenceFrequency + static_cast<float>(step) * kTurbulenceDriftPerStepY;
    x = x + ValueNoise2D(sampleX, sampleY) * settings.turbulence;
    y = y +
        ValueNoise2D(sampleX + kTurbulenceSecondSampleX, sampleY + kTurbulenceSecondSampleY) * settings.turbulence;
  }
  return FloatPoint{x, y};
}

// Red, green and blue of particle `number`; `tip` is its tip factor (1 outside
// the tip window's ramp).
HostPixel8 ParticleColour(const RenderSettings& settings, const ChainReveal& reveal, int32_t number, float tip) {
  HostPixel8 colour{};
  if (settings.randomColors) {
    const float hash = SeedHash(reveal.chain, number, reveal.step, kHueChainFactor, kHueIndexFactor, 0);
    HueColour(std::fmod((hash + 1.0f) * 180.0f, 360.0f), colour.red, colour.green, colour.blue);
  } else if (settings.customColor) {
    colour.red = MixChannel(settings.particleColor.red, settings.trailColor.red, tip);
    colour.green = MixChannel(settings.particleColor.green, settings.trailColor.green, tip);
    colour.blue = MixChannel(settings.particleColor.blue, settings.trailColor.blue, tip);
  } else {
    colour.red = settings.lineColor.red;
    colour.green = settings.lineColor.green;
    colour.blue = settings.lineColor.blue;
  }
  return colour;
}

// In the tip window's ramp a particle grows and brightens toward the tip, and
// the sparks die out as the chain completes.
void TipRadiusAndAlpha(const RenderSettings& settings, const ChainReveal& reveal, float tip, float& radius,
                       int32_t& alpha) {
  const int32_t rampAlpha = static_cast<int32_t>(tip * tip * settings.particleOpacity * 255.0f + 0.5f);
  radius = std::max(kMinTipRadius, (kTipRadiusGrowth * tip + kTipRadiusAtBack) * settings.particleSize);
  const float remaining = reveal.length - reveal.revealed;
  const float fade = remaining < settings.tipWindow ? std::min(remaining / settings.tipWindow, 1.0f) : 1.0f;
  alpha = static_cast<int32_t>(static_cast<float>(rampAlpha) * fade + 0.5f);
}

// Builds particle `number` at arc position `pos` on the segment; false when
// Tip Mode leaves no particle there.
bool MakeParticle(const RenderSettings& settings, const ChainReveal& reveal, const SegmentFrame& seg, int32_t number,
                  float pos, Particle& out) {
  if (settings.tipMode && pos < reveal.revealed - settings.tipWindow) return false;
  const FloatPoint position = ParticlePosition(settings, reveal, seg, number, pos);
  const bool tipRamp = settings.tipMode && settings.tipWindow > 0.0f;
  // 1 at the moving tip, 0 at the back of the window.
  const float window = settings.tipWindow;
  const float tip = tipRamp ? std::clamp((pos - (reveal.revealed - window)) / window, 0.0f, 1.0f) : 1.0f;
  HostPixel8 colour = ParticleColour(settings, reveal, number, tip);
  float radius = settings.particleSize;
  int32_t alpha = static_cast<int32_t>(settings.particleOpacity * 255.0f + 0.5f);
  if (tipRamp) TipRadiusAndAlpha(settings, reveal, tip, radius, alpha);
  colour.alpha = ToByte(alpha);

  out.chain = reveal.chain;
  out.number = number;
  out.pos = pos;
  out.x = position.x;
  out.y = position.y;
  out.radius = radius;
  out.colour = colour;
  return true;
}

bool InsideMask(float x, float y, int32_t maskWidth, int32_t maskHeight) {
  return x >= 0.0f && x < static_cast<float>(maskWidth) && y >= 0.0f && y < static_cast<float>(maskHeight);
}

void WalkChain(const RenderSettings& settings, const ChainRecord& chain, const ChainReveal& reveal, int32_t maskWidth,
               int32_t maskHeight, std::vector<Particle>& particles) {
  const float spacing = settings.particleSpacing;
  float pos = 0.5f * spacing;
  int32_t number = 0;
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
      if (MakeParticle(settings, reveal, seg, number, pos, particle) &&
          InsideMask(particle.x, particle.y, maskWidth, maskHeight)) {
        particles.push_back(particle);
      }
      const float next = pos + spacing;
      if (!(next > pos)) return;  // a spacing too small to move on would never end the walk
      ++number;
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
    const float stagger = settings.chainStagger;
    const float progress = StaggeredChainProgress(settings.revealProgress, stagger, (1.0f - stagger) * startFrac,
                                                  (1.0f - stagger) * lenFrac);
    reveal.revealed = settings.pathOffset > kPathOffsetOn ? length : progress * length;
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
