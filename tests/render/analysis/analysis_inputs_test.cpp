#include "render/analysis/analysis_inputs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "tests/skeleton/test_masks.h"

namespace {

TEST(AnalysisKey, EveryInputOfTheAnalysisChangesTheKeyAndNothingElseDoes) {
  DrawOrderBlob table;
  std::memset(&table, 0, sizeof table);
  const RenderSettings settings;
  const ByteMask mask = test_masks::ManyMasks(1, 4, 40)[0];
  const AnalysisKey base = MakeAnalysisKey(mask, settings, table, {1, 1}, {1, 1});
  std::vector<AnalysisKey> others;
  for (size_t i : {size_t{0}, mask.cells.size() / 3, mask.cells.size() - 1}) {  // the last cell may be a tail bit
    ByteMask flipped = mask;
    flipped.cells[i] ^= 1;
    others.push_back(MakeAnalysisKey(flipped, settings, table, {1, 1}, {1, 1}));
  }
  ByteMask transposed = mask;
  std::swap(transposed.width, transposed.height);
  others.push_back(MakeAnalysisKey(transposed, settings, table, {1, 1}, {1, 1}));
  const std::function<void(RenderSettings&)> changes[] = {
      [](RenderSettings& s) { s.smoothIterations = 2; }, [](RenderSettings& s) { s.gapClose = 3; },
      [](RenderSettings& s) { s.minChainLength = 1; },   [](RenderSettings& s) { s.minShapeArea = 4; },
      [](RenderSettings& s) { s.spurPrune = 7; },        [](RenderSettings& s) { s.useBezierFit = true; },
      [](RenderSettings& s) { s.fitTolerance = 1.5f; },  [](RenderSettings& s) { s.subdivide = 1; },
      [](RenderSettings& s) { s.smartJunctionTracing = false; }, [](RenderSettings& s) { s.junctionBias = -0.0f; },
      [](RenderSettings& s) { s.startX = 3; },           [](RenderSettings& s) { s.startY = 3; },
      [](RenderSettings& s) { s.autoFlip = false; },     [](RenderSettings& s) { s.mergeByShape = true; },
      [](RenderSettings& s) { s.directionalStart = true; }, [](RenderSettings& s) { s.mergeSlots[4].chainB = 1; },
      [](RenderSettings& s) { s.reverseSlots[2] = 1; }};
  for (const auto& change : changes) {
    RenderSettings changed = settings;
    change(changed);
    others.push_back(MakeAnalysisKey(mask, AnalysisSettingsOf(changed), table, {1, 1}, {1, 1}));
  }
  DrawOrderBlob entry = table;
  entry.count = 1;
  others.push_back(MakeAnalysisKey(mask, settings, entry, {1, 1}, {1, 1}));
  entry.chainPlusOne[0] = 2;
  others.push_back(MakeAnalysisKey(mask, settings, entry, {1, 1}, {1, 1}));
  others.push_back(MakeAnalysisKey(mask, settings, table, {1, 2}, {1, 1}));
  others.push_back(MakeAnalysisKey(mask, settings, table, {1, 1}, {2, 1}));
  for (size_t i = 0; i < others.size(); ++i) EXPECT_FALSE(SameAnalysisKey(base, others[i])) << "change " << i;

  // Drawing settings and table entries beyond the count are not analysis inputs.
  RenderSettings drawing = settings;
  drawing.revealProgress = 0.3f, drawing.lineRadius = 7, drawing.threshold = 3, drawing.roughnessAmount = 2;
  drawing.previewChains = true, drawing.widthPoints.count = 1;
  DrawOrderBlob unused = table;
  unused.targetPosition[5] = 9, unused.version = 3;
  EXPECT_TRUE(SameAnalysisKey(base, MakeAnalysisKey(mask, AnalysisSettingsOf(drawing), unused, {1, 1}, {1, 1})));
}

}  // namespace
