#include "render/render_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

#include "host_interface/host_commands.h"
#include "model/chain_blobs.h"
#include "render/analysis/chain_cache.h"
#include "render/analysis/chain_edits.h"
#include "shell/params_setup.h"
#include "tests/render/fake_host.h"
#include "tests/render/render_test_helpers.h"

namespace {

const RgbaFloat kInk{1, 1, 1, 1};

// The effect's own parameter definitions, data parameters holding their fresh defaults; the
// Chain Selection checkout fails, so only the Map Layer is checked out and in.
class RenderCommand : public testing::Test {
 protected:
  void SetUp() override {
    for (int32_t id = 1; id <= kParamCount; ++id) {
      HostParamDef& def = host.params[id];
      FillParamDef(&host.in, id, def);
      if (def.paramType == kParamTypeArbitraryData) def.u.arbitrary.valueHandle = def.u.arbitrary.defaultHandle;
    }
    host.params.Point(PARAM_START_POINT, 0, 0);
    host.state.selectionResult = kHostErrorInternal;
  }
  HostError RenderInto(const HostFrame& input, HostFrame& output) {
    host.params[PARAM_INPUT].u.layer = input;
    out.outFlags = 0;
    return Render(&host.in, &out, host.params.Array(), &output, nullptr);
  }
  fake_host::Host host;
  HostOutData out{};
};

TEST_F(RenderCommand, TinyAndEmptyLayersRenderAndPublishAValidEmptyCache) {
  for (PixelDepth depth : kAllDepths) {
    for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {5, 0}, {1, 1}, {2, 1}, {1, 2}, {2, 2}, {3, 3}, {5, 5}}) {
      TestFrame input = MakeTestFrame(w, h, depth), output = MakeTestFrame(w, h, depth);
      FillFrame(input.frame, kInk);
      EXPECT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone) << w << "x" << h;
      EXPECT_TRUE(out.outFlags & kOutFlagRefreshUI);
      const ChainCache cache = SnapshotChainCache();
      EXPECT_TRUE(cache.valid == 1 && cache.width == w && cache.height == h && cache.chains.empty());
      // The same layer as a Map Layer under a larger output, drawing with the source.
      TestFrame wide = MakeTestFrame(8, 8, depth);
      host.state.mapLayer = &input.frame;
      host.params[PARAM_COMPOSITE_ON_ORIGINAL].u.checkbox.value = 1;
      host.params[PARAM_REVEAL_ORIGINAL_IMAGE].u.checkbox.value = 1;
      EXPECT_EQ(RenderInto(input.frame, wide.frame), kHostErrorNone) << w << "x" << h;
      EXPECT_EQ(SnapshotChainCache().width, w);
      host.state.mapLayer = nullptr;
      host.params[PARAM_COMPOSITE_ON_ORIGINAL].u.checkbox.value = 0;
    }
  }
}

TEST_F(RenderCommand, TheMapLayerIsAnalysedItsSizePublishedAndTheDrawOrderApplied) {
  TestFrame input = MakeTestFrame(40, 30), output = MakeTestFrame(40, 30);
  TestFrame map = MakeTestFrame(120, 90, PixelDepth::k16Bit);  // larger, with ink well outside the output
  FillRect(map.frame, 20, 20, 110, 30, kInk);  // nearer the Start Point: chain 1
  FillRect(map.frame, 20, 60, 110, 70, kInk);
  host.state.mapLayer = &map.frame;
  auto* table = static_cast<DrawOrderBlob*>(fake_host::Lock(host.params[PARAM_DRAW_ORDER].u.arbitrary.valueHandle));
  table->targetPosition[0] = 1;
  table->chainPlusOne[0] = 2;
  for (uint32_t count : {0u, 1u}) {  // with the entry, chain 2 comes first
    table->count = count;
    ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
    const ChainCache cache = SnapshotChainCache();
    ASSERT_TRUE(cache.width == 120 && cache.height == 90 && cache.chains.size() == 2u);
    EXPECT_EQ(cache.chains[0].front().y > 45, count == 1);
  }
  EXPECT_TRUE(host.state.checkouts == 2 && host.state.checkins == 2);
  host.state.mapLayer = nullptr;  // a checkout without pixels: the input is analysed, the layer checked in
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  EXPECT_TRUE(SnapshotChainCache().width == 40 && host.state.checkins == 3);
  host.state.mapLayer = &map.frame;  // a failed checkout: the input is analysed, nothing checked in
  host.state.mapResult = kHostErrorInternal;
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  EXPECT_TRUE(SnapshotChainCache().width == 40 && host.state.checkins == 3);
}

// A merge that runs out of memory ends the render by an exception; the saved
// selection must still be unlocked and checked in, or the host keeps it.
TEST(SavedChainEdits, AMergeThatThrowsStillUnlocksAndChecksInTheSelection) {
  fake_host::Host host;
  ChainSelectionBlob selection;
  std::memset(&selection, 0, sizeof selection);
  selection.count = 2;
  selection.chainIds[1] = 1;
  selection.mergePending = 1;
  host.state.selection = &selection;
  const auto throwing = []() -> std::vector<ChainRecord>& { throw std::bad_alloc(); };
  EXPECT_THROW(ApplySavedSelectionMerge(host.in, host.params.Array(), throwing, false), std::bad_alloc);
  EXPECT_EQ(host.state.locks, 1);
  EXPECT_EQ(host.state.unlocks, 1);
  EXPECT_EQ(host.state.checkins, 1);
  EXPECT_EQ(selection.mergePending, 1);
}

TEST(SavedChainEdits, ReadThroughLockedHandlesAndAPendingMergeClearsTheSavedSelection) {
  fake_host::Host host;
  std::vector<ChainRecord> chains = {StraightChain(0, 0, 5, 5), StraightChain(0, 1, 5, 5), StraightChain(0, 2, 5, 5)};
  DrawOrderBlob table;
  std::memset(&table, 0, sizeof table);
  table.count = table.targetPosition[0] = 1;
  table.chainPlusOne[0] = 3;
  host.params[PARAM_DRAW_ORDER].u.arbitrary.valueHandle = reinterpret_cast<HostHandle>(&table);
  host.state.lockGivesNothing = true;  // unlocked even though the lock gave nothing
  ApplyDrawOrderTable(chains, ReadSavedDrawOrder(host.in, host.params.Array()));
  EXPECT_TRUE(chains[0].points[0].y == 0 && host.state.unlocks == 1);
  host.state.lockGivesNothing = false;
  ApplyDrawOrderTable(chains, ReadSavedDrawOrder(host.in, host.params.Array()));
  EXPECT_TRUE(chains[0].points[0].y == 2 && chains[1].points[0].y == 0 && host.state.unlocks == 2);
  ChainSelectionBlob selection;
  std::memset(&selection, 0, sizeof selection);
  selection.count = 2;  // merge chains 0 and 2
  selection.chainIds[1] = 2;
  selection.mergePending = 1;
  host.state = {};
  host.state.selectionResult = 7;  // a failed checkout: nothing to check in
  ApplySavedSelectionMerge(host.in, host.params.Array(), chains, false);
  host.state.selectionResult = kHostErrorNone;  // no data: checked in, nothing locked
  ApplySavedSelectionMerge(host.in, host.params.Array(), chains, false);
  EXPECT_TRUE(host.state.checkins == 1 && host.state.locks == 0);
  host.state.selection = &selection;
  host.state.lockGivesNothing = true;
  ApplySavedSelectionMerge(host.in, host.params.Array(), chains, false);
  EXPECT_TRUE(host.state.checkins == 2 && host.state.unlocks == 1 && chains.size() == 3u);
  host.state.lockGivesNothing = false;
  ApplySavedSelectionMerge(host.in, host.params.Array(), chains, false);
  EXPECT_TRUE(chains.size() == 2u && selection.count + selection.mergePending + selection.chainIds[1] == 0);
  EXPECT_EQ(host.params[PARAM_CHAIN_SELECTION].changeFlags, kParamChangeFlagChangedValue);
  EXPECT_TRUE(host.state.checkins == 3 && host.state.locks == host.state.unlocks);
}

}  // namespace
