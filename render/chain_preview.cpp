#include "render/chain_preview.h"

// The preview is not built yet: Preview Chains shows the animated stroke.
bool DrawChainPreview(const RenderSettings&, const RenderFrameState&) { return false; }
