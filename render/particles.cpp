#include "render/particles.h"

// The particle pass is not built yet: it draws nothing.
void DrawParticles(const RenderSettings&, const RenderFrameState&) {}
