#include "render/saved_chain_edits.h"

#include <gtest/gtest.h>

#include <cstring>

#include "shell/chain_blobs.h"
#include "shell/param_ids.h"
#include "tests/render/param_array_fixture.h"

namespace {

using pipeline_test::ParamArrayFixture;

// A host whose handles are plain blocks and whose Chain Selection checkout can
// fail or return no data. The callbacks carry no context, hence the globals.
struct FakeHost {
  DrawOrderBlob drawOrder;
  ChainSelectionBlob selection;
  bool lockGivesNothing = false;
  HostError checkoutResult = kHostErrorNone;
  bool selectionHasData = true;
  int32_t locks = 0;
  int32_t unlocks = 0;
  int32_t checkouts = 0;
  int32_t checkins = 0;
};
FakeHost* gHost = nullptr;

HostHandle AsHandle(void* block) { return reinterpret_cast<HostHandle>(block); }

void* Lock(HostHandle handle) {
  ++gHost->locks;
  return gHost->lockGivesNothing ? nullptr : reinterpret_cast<void*>(handle);
}
void Unlock(HostHandle) { ++gHost->unlocks; }
HostError Checkout(HostEffectRef, int32_t index, int32_t, int32_t, uint32_t, HostParamDef* param) {
  ++gHost->checkouts;
  EXPECT_EQ(index, PARAM_CHAIN_SELECTION);
  if (gHost->checkoutResult != kHostErrorNone) return gHost->checkoutResult;
  param->u.arbitrary.valueHandle = gHost->selectionHasData ? AsHandle(&gHost->selection) : nullptr;
  return kHostErrorNone;
}
HostError Checkin(HostEffectRef, HostParamDef*) {
  ++gHost->checkins;
  return kHostErrorNone;
}

class SavedChainEdits : public testing::Test {
 protected:
  void SetUp() override {
    std::memset(&host.drawOrder, 0, sizeof host.drawOrder);
    std::memset(&host.selection, 0, sizeof host.selection);
    gHost = &host;
    utils.checkoutParam = Checkout;
    utils.checkinParam = Checkin;
    utils.lockHandle = Lock;
    utils.unlockHandle = Unlock;
    in.utils = &utils;
    params.pointers[PARAM_DRAW_ORDER]->u.arbitrary.valueHandle = AsHandle(&host.drawOrder);
  }
  void TearDown() override { gHost = nullptr; }

  static std::vector<ChainRecord> ThreeRows() {
    std::vector<ChainRecord> chains(3);
    for (int32_t i = 0; i < 3; ++i) chains[i].points = {{0, i}, {5, i}};
    return chains;
  }

  FakeHost host;
  HostUtilityCallbacks utils{};
  HostInData in{};
  ParamArrayFixture params;
};

TEST_F(SavedChainEdits, DrawOrderIsReadThroughTheLockedHandle) {
  host.drawOrder.count = 1;
  host.drawOrder.targetPosition[0] = 1;
  host.drawOrder.chainPlusOne[0] = 3;
  std::vector<ChainRecord> chains = ThreeRows();
  ApplySavedDrawOrder(in, params.Array(), chains);
  EXPECT_EQ(chains[0].points[0].y, 2);
  EXPECT_EQ(chains[1].points[0].y, 0);
  EXPECT_EQ(host.locks, 1);
  EXPECT_EQ(host.unlocks, 1);
}

TEST_F(SavedChainEdits, DrawOrderSkipsMissingData) {
  host.drawOrder.count = 1;
  host.drawOrder.targetPosition[0] = 1;
  host.drawOrder.chainPlusOne[0] = 3;
  host.lockGivesNothing = true;
  std::vector<ChainRecord> chains = ThreeRows();
  ApplySavedDrawOrder(in, params.Array(), chains);
  EXPECT_EQ(chains[0].points[0].y, 0);
  EXPECT_EQ(host.unlocks, 1);  // unlocked even though the lock gave nothing

  params.pointers[PARAM_DRAW_ORDER]->u.arbitrary.valueHandle = nullptr;
  ApplySavedDrawOrder(in, params.Array(), chains);
  EXPECT_EQ(host.locks, 1);
  EXPECT_EQ(chains[0].points[0].y, 0);
}

TEST_F(SavedChainEdits, PendingMergeClearsTheSelectionAndMarksItChanged) {
  host.selection.count = 2;
  host.selection.chainIds[0] = 2;
  host.selection.chainIds[1] = 0;
  host.selection.mergePending = 1;
  std::vector<ChainRecord> chains = ThreeRows();
  ApplySavedSelectionMerge(in, params.Array(), chains, false);
  EXPECT_EQ(chains.size(), 2u);
  EXPECT_EQ(host.selection.count, 0u);
  EXPECT_EQ(host.selection.mergePending, 0);
  EXPECT_EQ(host.selection.chainIds[0], 0);
  EXPECT_EQ(params.pointers[PARAM_CHAIN_SELECTION]->changeFlags, kParamChangeFlagChangedValue);
  EXPECT_EQ(host.checkouts, 1);
  EXPECT_EQ(host.checkins, 1);
  EXPECT_EQ(host.locks, host.unlocks);
}

TEST_F(SavedChainEdits, FailedCheckoutOrMissingDataSkipsTheMerge) {
  host.selection.count = 2;
  host.selection.chainIds[1] = 1;
  host.selection.mergePending = 1;
  std::vector<ChainRecord> chains = ThreeRows();

  host.checkoutResult = 7;
  ApplySavedSelectionMerge(in, params.Array(), chains, false);
  EXPECT_EQ(host.checkins, 0);  // nothing was checked out

  host.checkoutResult = kHostErrorNone;
  host.selectionHasData = false;
  ApplySavedSelectionMerge(in, params.Array(), chains, false);
  EXPECT_EQ(host.checkins, 1);
  EXPECT_EQ(host.locks, 0);

  host.selectionHasData = true;
  host.lockGivesNothing = true;
  ApplySavedSelectionMerge(in, params.Array(), chains, false);
  EXPECT_EQ(host.checkins, 2);
  EXPECT_EQ(host.unlocks, 1);
  EXPECT_EQ(chains.size(), 3u);
  EXPECT_EQ(host.selection.mergePending, 1);
}

}  // namespace
