#include "render/render_command.h"

#include <cstring>
#include <memory>
#include <utility>

#include "host_interface/host_commands.h"
#include "host_interface/host_scopes.h"
#include "model/param_ids.h"
#include "model/read_render_settings.h"
#include "render/analysis/analysis_inputs.h"
#include "render/analysis/analysis_reuse.h"
#include "render/analysis/chain_cache.h"
#include "render/analysis/chain_edits.h"
#include "render/analysis/chain_ordering.h"
#include "render/analysis/layer_sampling.h"
#include "render/drawing/particles.h"
#include "render/drawing/stroke_drawing.h"

namespace {

// The Map Layer when one is chosen and has pixels, checked out for the
// current time and checked in right after sampling, otherwise `input`,
// sampled into a mask.
ByteMask SampleAnalysedLayer(const HostInData& in, const HostFrame& input, const RenderSettings& settings) {
  const ScopedParamCheckout mapLayer(in, PARAM_MAP_LAYER);
  const HostFrame& analysed = mapLayer.checkedOut && mapLayer.param.u.layer.pixels != nullptr ? mapLayer.param.u.layer : input;
  return SampleLayerMask(analysed, settings.channel, settings.invertInput, settings.threshold);
}

}  // namespace

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

  const HostPixel8& line = settings.lineColor;
  PublishChainCache(chains, analysis->maskWidth, analysis->maskHeight, settings.lineWidth,
                    {line.red, line.green, line.blue});
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

RenderAnalysis RunAnalysisStages(const HostInData& in, HostParamDef* params[], const HostFrame& input,
                                 const RenderSettings& settings, bool keepIntermediates) {
  const DrawOrderBlob drawOrder = ReadSavedDrawOrder(in, params);
  RenderAnalysis a =
      AnalyseToShapedChains(settings, SampleAnalysedLayer(in, input, settings), drawOrder, keepIntermediates);
  ApplySavedSelectionMerge(in, params, a.chains, AnalysisSettingsOf(settings).autoFlip);
  // Numbered after the pending merge, so there is exactly one label per chain.
  a.labels = ChainLabels(a.chains.size());
  return a;
}

RenderFrameState MakeFrameState(const RenderAnalysis& analysis, const HostFrame& source, HostFrame& output) {
  RenderFrameState frame;
  frame.source = &source;
  frame.output = &output;
  frame.chains = &analysis.chains;
  frame.labels = &analysis.labels;
  frame.field = &analysis.field;
  frame.skeleton = &analysis.skeleton;
  frame.maskWidth = analysis.maskWidth;
  frame.maskHeight = analysis.maskHeight;
  return frame;
}

DrawOrderBlob ReadSavedDrawOrder(const HostInData& in, HostParamDef* params[]) {
  DrawOrderBlob table;
  std::memset(&table, 0, sizeof table);
  const HostHandle handle = params[PARAM_DRAW_ORDER]->u.arbitrary.valueHandle;
  if (handle == nullptr || in.utils == nullptr) return table;
  const ScopedHandleLock block(*in.utils, handle);
  if (block.data != nullptr) std::memcpy(&table, block.data, sizeof table);
  return table;
}

void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[],
                              const std::function<std::vector<ChainRecord>&()>& chains, bool autoFlip) {
  const ScopedParamCheckout record(in, PARAM_CHAIN_SELECTION);
  if (!record.checkedOut) return;
  const HostHandle handle = record.param.u.arbitrary.valueHandle;
  if (handle == nullptr) return;
  const ScopedHandleLock block(*in.utils, handle);
  if (block.data == nullptr) return;
  ChainSelectionBlob selection;
  std::memcpy(&selection, block.data, sizeof selection);
  if (selection.mergePending == 0) return;
  if (ApplyPendingSelectionMerge(chains(), autoFlip, selection)) {
    params[PARAM_CHAIN_SELECTION]->changeFlags = kParamChangeFlagChangedValue;
  }
  std::memcpy(block.data, &selection, sizeof selection);
}

void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[], std::vector<ChainRecord>& chains,
                              bool autoFlip) {
  ApplySavedSelectionMerge(in, params, [&]() -> std::vector<ChainRecord>& { return chains; }, autoFlip);
}
