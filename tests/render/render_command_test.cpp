#include "render/render_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
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
      EXPECT_EQ(std::tuple(cache.valid, cache.width, cache.height, cache.chains.size()), std::tuple(1, w, h, 0u));
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
    ASSERT_EQ(std::tuple(cache.width, cache.height, cache.chains.size()), std::tuple(120, 90, 2u));
    EXPECT_EQ(cache.chains[0].front().y > 45, count == 1);
  }
  EXPECT_EQ(std::tuple(host.state.checkouts, host.state.checkins), std::tuple(2, 2));
}

TEST_F(RenderCommand, WithoutMapLayerPixelsTheInputIsAnalysedAndOnlyACheckoutIsCheckedIn) {
  TestFrame input = MakeTestFrame(40, 30), output = MakeTestFrame(40, 30);
  TestFrame map = MakeTestFrame(120, 90);
  host.state.mapLayer = nullptr;  // a checkout without pixels: the layer is checked in
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  EXPECT_EQ(SnapshotChainCache().width, 40);
  EXPECT_EQ(host.state.checkins, 1);
  host.state.mapLayer = &map.frame;  // a failed checkout: nothing to check in
  host.state.mapResult = kHostErrorInternal;
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  EXPECT_EQ(SnapshotChainCache().width, 40);
  EXPECT_EQ(host.state.checkins, 1);
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

TEST(SavedChainEdits, TheDrawOrderIsReadThroughItsHandleUnlockedAlsoWhenTheLockGaveNothing) {
  fake_host::Host host;
  std::vector<ChainRecord> chains = {StraightChain(0, 0, 5, 5), StraightChain(0, 1, 5, 5), StraightChain(0, 2, 5, 5)};
  DrawOrderBlob table;
  std::memset(&table, 0, sizeof table);
  table.count = table.targetPosition[0] = 1;
  table.chainPlusOne[0] = 3;
  host.params[PARAM_DRAW_ORDER].u.arbitrary.valueHandle = reinterpret_cast<HostHandle>(&table);
  host.state.lockGivesNothing = true;
  ApplyDrawOrderTable(chains, ReadSavedDrawOrder(host.in, host.params.Array()));
  EXPECT_EQ(chains[0].points[0].y, 0);
  EXPECT_EQ(fake_host::CallsOf(host.state), (fake_host::Calls{0, 0, 1, 1}));
  host.state.lockGivesNothing = false;
  ApplyDrawOrderTable(chains, ReadSavedDrawOrder(host.in, host.params.Array()));
  EXPECT_EQ(std::tuple(chains[0].points[0].y, chains[1].points[0].y), std::tuple(2, 0));
  EXPECT_EQ(fake_host::CallsOf(host.state), (fake_host::Calls{0, 0, 2, 2}));
}

// Each case runs on fresh chains; the selection asks to merge chains 0 and 2.
TEST(SavedChainEdits, APendingMergeIsAppliedOnlyWhenCheckedOutAndLockedAndClearsTheSavedSelection) {
  const struct {
    const char* name;
    HostError checkout;
    bool data;
    bool lockGivesNothing;
    size_t chainsAfter;
    fake_host::Calls calls;
  } cases[] = {
      {"failed checkout: nothing to check in", 7, true, false, 3, {0, 0, 0, 0}},
      {"no data: checked in, nothing locked", kHostErrorNone, false, false, 3, {1, 1, 0, 0}},
      {"the lock gives nothing: unlocked all the same", kHostErrorNone, true, true, 3, {1, 1, 1, 1}},
      {"merged", kHostErrorNone, true, false, 2, {1, 1, 1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake_host::Host host;
    std::vector<ChainRecord> chains = {StraightChain(0, 0, 5, 5), StraightChain(0, 1, 5, 5), StraightChain(0, 2, 5, 5)};
    ChainSelectionBlob selection;
    std::memset(&selection, 0, sizeof selection);
    selection.count = 2;
    selection.chainIds[1] = 2;
    selection.mergePending = 1;
    host.state.selectionResult = c.checkout;
    host.state.selection = c.data ? &selection : nullptr;
    host.state.lockGivesNothing = c.lockGivesNothing;
    ApplySavedSelectionMerge(host.in, host.params.Array(), chains, false);
    EXPECT_EQ(chains.size(), c.chainsAfter);
    EXPECT_EQ(fake_host::CallsOf(host.state), c.calls);
    const bool merged = c.chainsAfter == 2;
    EXPECT_EQ(std::tuple(selection.count, selection.mergePending, selection.chainIds[1]),
              merged ? std::tuple(0u, uint8_t{0}, 0) : std::tuple(2u, uint8_t{1}, 2));
    EXPECT_EQ(host.params[PARAM_CHAIN_SELECTION].changeFlags, merged ? kParamChangeFlagChangedValue : 0);
  }
}

}  // namespace
