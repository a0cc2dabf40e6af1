#include "render/render_driver.h"

#include "host_interface/host_commands.h"
#include "render/particles.h"
#include "render/render_analysis.h"
#include "render/render_settings_snapshot.h"
#include "render/stroke_drawing.h"
#include "shell/param_ids.h"
#include "skeleton/chain_cache.h"

HostError Render(HostInData* in, HostOutData* out, HostParamDef* params[], HostFrame* output,
                 const HostFrame* source) {
  const RenderSettings settings = ReadRenderSettings(params);
  // The layer drawn over or revealed stays the input layer even when a Map Layer is analysed.
  const HostFrame& input = source != nullptr ? *source : params[PARAM_INPUT]->u.layer;

  const RenderAnalysis analysis = RunAnalysisStages(*in, params, input, settings, false);

  PublishChainCache(analysis.chains, analysis.maskWidth, analysis.maskHeight, settings.lineWidth,
                    settings.lineColor.red, settings.lineColor.green, settings.lineColor.blue);
  out->outFlags |= kOutFlagRefreshUI;

  if (output == nullptr || output->pixels == nullptr) return kHostErrorNone;
  const RenderFrameState frame = MakeFrameState(analysis, input, *output);
  DrawRenderOutput(settings, frame);
  if (settings.particlesEnabled) DrawParticles(settings, frame);
  return kHostErrorNone;
}
