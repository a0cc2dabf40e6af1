// Small anti-aliased dots scattered along the revealed part of every chain,
// blended straight into the output frame after the stroke or the preview.
// Every particle follows from its chain, its number along the chain and (in
// Tip Mode) the reveal through integer hashes, so a frame always renders the
// same particles.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_frame.h"
#include "model/render_settings.h"
#include "render/drawing/frame_state.h"
#include "skeleton/chain_record.h"

struct Particle {
  int32_t chain = 0;    // position of the chain, 0-based
  int32_t number = 0;   // k: number along the chain, 0-based, counting skipped tip-window slots
  float pos = 0.0f;     // arc length along the chain before scatter
  float x = 0.0f;       // centre after scatter and turbulence
  float y = 0.0f;
  float radius = 0.0f;
  HostPixel8 colour = {};  // alpha byte is the particle's opacity
};

// The particles to draw, in drawing order (chains in order, then along each
// chain); those whose centre falls outside maskWidth x maskHeight are left
// out. Only the chains' integer points are used. `particles` is replaced.
void ComputeParticles(const RenderSettings& settings, const std::vector<ChainRecord>& chains,
                      int32_t maskWidth, int32_t maskHeight, std::vector<Particle>& particles);

// The whole pass, drawn over the stroke or the chain preview: nothing unless
// `particlesEnabled` is on, there is a chain and the spacing is positive.
void DrawParticles(const RenderSettings& settings, const RenderFrameState& state);
