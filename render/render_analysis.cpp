#include "render/render_analysis.h"

#include <cstring>
#include <utility>

#include "model/param_ids.h"
#include "render/analysis_inputs.h"
#include "render/chain_ordering.h"
#include "render/layer_sampling.h"
#include "render/saved_chain_edits.h"
#include "skeleton/mask_closing.h"

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

SkeletonCleanup SkeletonCleanupOf(const RenderSettings& settings) {
  return SkeletonCleanup{settings.minShapeArea, settings.spurPrune, settings.smoothIterations};
}

ByteMask SampleAnalysedLayer(const HostInData& in, const HostFrame& input, const RenderSettings& settings) {
  HostParamDef mapLayer;
  std::memset(&mapLayer, 0, sizeof mapLayer);
  const bool checkedOut =
      in.utils != nullptr && in.utils->checkoutParam(in.effectRef, PARAM_MAP_LAYER, in.currentTime, in.timeStep,
                                                     in.timeScale, &mapLayer) == kHostErrorNone;
  const HostFrame& analysed = checkedOut && mapLayer.u.layer.pixels != nullptr ? mapLayer.u.layer : input;
  ByteMask sampled = SampleLayerMask(analysed, settings.channel, settings.invertInput, settings.threshold);
  if (checkedOut) in.utils->checkinParam(in.effectRef, &mapLayer);
  return sampled;
}

RenderAnalysis AnalyseToShapedChains(const RenderSettings& renderSettings, ByteMask sampled,
                                     const DrawOrderBlob& drawOrder, bool keepIntermediates) {
  const RenderSettings settings = AnalysisSettingsOf(renderSettings);
  RenderAnalysis a;
  a.maskWidth = sampled.width;
  a.maskHeight = sampled.height;
  if (keepIntermediates) a.sampledMask = sampled;
  a.skeleton = std::move(sampled);

  CloseMask3x3(a.skeleton);
  if (keepIntermediates) a.closedMask = a.skeleton;
  ComputeFieldAndThin(a.skeleton, a.field);
  CleanSkeleton(a.skeleton, a.field, SkeletonCleanupOf(settings));

  a.chains = ExtractRenderChains(a.skeleton, settings);
  // The graph mode orients its own chains.
  if (!settings.mergeByShape) OrientChains(a.chains, settings.startX, settings.startY);
  SortChainsByStartDistance(a.chains, settings.startX, settings.startY);
  ApplyMergeSlots(a.chains, settings.mergeSlots, settings.autoFlip);
  ApplyReverseSlots(a.chains, settings.reverseSlots);
  ApplyDrawOrderTable(a.chains, drawOrder);
  ShapeChains(a.chains, a.field, a.maskWidth, a.maskHeight, settings);
  a.labels = ChainLabels(a.chains.size());
  return a;
}

RenderAnalysis AnalyseSampledMask(const RenderSettings& settings, ByteMask sampled, const SavedEditSource& edits,
                                  bool keepIntermediates) {
  const bool hasHost = edits.in != nullptr && edits.params != nullptr;
  DrawOrderBlob drawOrder;
  std::memset(&drawOrder, 0, sizeof drawOrder);
  if (hasHost) drawOrder = ReadSavedDrawOrder(*edits.in, edits.params);
  RenderAnalysis a = AnalyseToShapedChains(settings, std::move(sampled), drawOrder, keepIntermediates);
  if (hasHost) {
    ApplySavedSelectionMerge(*edits.in, edits.params, a.chains, AnalysisSettingsOf(settings).autoFlip);
    // Numbered after the pending merge, so there is exactly one label per chain.
    a.labels = ChainLabels(a.chains.size());
  }
  return a;
}

RenderAnalysis AnalyseLayer(const RenderSettings& settings, const HostFrame& layer, const SavedEditSource& edits,
                            bool keepIntermediates) {
  return AnalyseSampledMask(settings, SampleLayerMask(layer, settings.channel, settings.invertInput, settings.threshold),
                            edits, keepIntermediates);
}

RenderAnalysis RunAnalysisStages(const HostInData& in, HostParamDef* params[], const HostFrame& input,
                                 const RenderSettings& settings, bool keepIntermediates) {
  return AnalyseSampledMask(settings, SampleAnalysedLayer(in, input, settings), SavedEditSource{&in, params},
                            keepIntermediates);
}
