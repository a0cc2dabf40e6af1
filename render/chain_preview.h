// The colour-coded chain preview that takes the place of the animated stroke
// when Preview Chains is on.
#pragma once

#include "model/render_settings.h"
#include "render/frame_state.h"

// Draws the preview of the chains over the base of the output frame. Returns
// false when it drew nothing, in which case the animated stroke is drawn
// instead.
bool DrawChainPreview(const RenderSettings& settings, const RenderFrameState& state);
