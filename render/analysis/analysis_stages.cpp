#include "render/analysis/analysis_stages.h"

#include <cstring>
#include <utility>

#include "render/analysis/analysis_inputs.h"
#include "render/analysis/chain_edits.h"
#include "render/analysis/chain_extraction.h"
#include "render/analysis/chain_ordering.h"
#include "render/analysis/chain_shaping.h"
#include "render/analysis/layer_sampling.h"
#include "skeleton/mask_closing.h"

SkeletonCleanup SkeletonCleanupOf(const RenderSettings& settings) {
  return SkeletonCleanup{settings.minShapeArea, settings.spurPrune, settings.smoothIterations};
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
  ShapeChains(a.chains, a.field, settings);
  a.labels = ChainLabels(a.chains.size());
  return a;
}

RenderAnalysis AnalyseLayer(const RenderSettings& settings, const HostFrame& layer, bool keepIntermediates) {
  DrawOrderBlob noTable;
  std::memset(&noTable, 0, sizeof noTable);
  return AnalyseToShapedChains(settings,
                               SampleLayerMask(layer, settings.channel, settings.invertInput, settings.threshold),
                               noTable, keepIntermediates);
}
