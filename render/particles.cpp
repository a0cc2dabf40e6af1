#include "render/particles.h"

#include "render/particle_pass.h"

void DrawParticles(const RenderSettings& settings, const RenderFrameState& state) {
  DrawParticlePass(settings, state);
}
