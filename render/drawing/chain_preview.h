// The colour-coded chain preview that replaces the animated stroke: every
// chain drawn whole in its palette colour, a dot and its number at its first
// point, and the number of chains in the top-left corner.
#pragma once

#include "model/render_settings.h"
#include "render/drawing/frame_state.h"

// Draws nothing, and returns false, unless `previewChains` is on and there is
// at least one chain. Chain coordinates are output pixels; everything clips to
// the output frame.
bool DrawChainPreview(const RenderSettings& settings, const RenderFrameState& state);
