// Particles scattered along the revealed part of every chain, drawn over the
// stroke or the chain preview; the render calls this when Enable Particles is
// on.
#pragma once

#include "model/render_settings.h"
#include "render/frame_state.h"

void DrawParticles(const RenderSettings& settings, const RenderFrameState& state);
