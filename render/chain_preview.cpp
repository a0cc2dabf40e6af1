#include "render/chain_preview.h"

#include "render/chain_preview_pass.h"

bool DrawChainPreview(const RenderSettings& settings, const RenderFrameState& state) {
  return DrawChainPreviewPasses(settings, state);
}
