#include "render/render_driver.h"

#include <memory>
#include <utility>
#include <vector>

#include "host_interface/host_commands.h"
#include "model/param_ids.h"
#include "render/analysis/chain_cache.h"
#include "render/analysis_inputs.h"
#include "render/analysis_reuse.h"
#include "render/chain_ordering.h"
#include "render/particles.h"
#include "render/render_analysis.h"
#include "render/render_settings_snapshot.h"
#include "render/saved_chain_edits.h"
#include "render/stroke_drawing.h"

HostError Render(HostInData* in, HostOutData* out, HostParamDef* params[], HostFrame* output,
                 const HostFrame* source) {
  const RenderSettings settings = ReadRenderSettings(params);
  // The layer drawn over or revealed stays the input layer even when a Map Layer is analysed.
  const HostFrame& input = source != nullptr ? *source : params[PARAM_INPUT]->u.layer;

  ByteMask sampled = SampleAnalysedLayer(*in, input, settings);
  const DrawOrderBlob drawOrder = ReadSavedDrawOrder(*in, params);
  const AnalysisKey key =
      MakeAnalysisKey(sampled, AnalysisSettingsOf(settings), drawOrder, in->downsampleX, in->downsampleY);
  const std::shared_ptr<const RenderAnalysis> analysis = ReuseOrAnalyse(key, [&] {
    RenderAnalysis shaped = AnalyseToShapedChains(settings, std::move(sampled), drawOrder, false);
    // The skeleton is drawn only when there are no chains (a merge never empties the list).
    if (!shaped.chains.empty()) shaped.skeleton = ByteMask{};
    return shaped;
  });

  // The pending selection merge works on this render's own copy of the chains.
  std::vector<ChainRecord> merged;
  bool mergedHere = false;
  ApplySavedSelectionMerge(
      *in, params,
      [&]() -> std::vector<ChainRecord>& {
        merged = analysis->chains;
        mergedHere = true;
        return merged;
      },
      settings.autoFlip);
  const std::vector<ChainRecord>& chains = mergedHere ? merged : analysis->chains;
  const std::vector<int32_t> mergedLabels = mergedHere ? ChainLabels(merged.size()) : std::vector<int32_t>{};

  PublishChainCache(chains, analysis->maskWidth, analysis->maskHeight, settings.lineWidth, settings.lineColor.red,
                    settings.lineColor.green, settings.lineColor.blue);
  out->outFlags |= kOutFlagRefreshUI;

  if (output == nullptr || output->pixels == nullptr) return kHostErrorNone;
  RenderFrameState frame = MakeFrameState(*analysis, input, *output);
  if (mergedHere) {
    frame.chains = &merged;
    frame.labels = &mergedLabels;
  }
  DrawRenderOutput(settings, frame);
  if (settings.particlesEnabled) DrawParticles(settings, frame);
  return kHostErrorNone;
}
