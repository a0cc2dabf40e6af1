#include "render/render_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "host_interface/host_commands.h"
#include "render/pixel_access.h"
#include "render/render_analysis.h"
#include "render/render_settings_snapshot.h"
#include "shell/chain_blobs.h"
#include "shell/param_ids.h"
#include "shell/params_setup.h"
#include "skeleton/chain_cache.h"
#include "tests/render/host_test_frame.h"
#include "tests/render/param_array_fixture.h"

namespace {

using pipeline_test::kDepths;
using pipeline_test::NewFrame;
using pipeline_test::TestFrame;

using pipeline_test::ParamArrayFixture;

// The host side of a render: heap blocks for handles and a Map Layer
// checkout that can hand out a frame, no frame, or an error. The callbacks
// carry no context, hence the global.
struct FakeRenderHost {
  std::vector<std::unique_ptr<std::vector<uint8_t>>> blocks;
  const HostFrame* mapLayer = nullptr;
  HostError mapCheckoutResult = kHostErrorNone;
  int32_t mapCheckouts = 0;
  int32_t checkins = 0;
};
FakeRenderHost* gHost = nullptr;

HostHandle NewHandle(uint64_t size) {
  gHost->blocks.push_back(std::make_unique<std::vector<uint8_t>>(size));
  return reinterpret_cast<HostHandle>(gHost->blocks.back()->data());
}
void* LockHandle(HostHandle handle) { return reinterpret_cast<void*>(handle); }
void UnlockHandle(HostHandle) {}
void DisposeHandle(HostHandle) {}
HostError Checkout(HostEffectRef, int32_t index, int32_t, int32_t, uint32_t, HostParamDef* param) {
  if (index != PARAM_MAP_LAYER) return kHostErrorInternal;  // no Chain Selection data here
  ++gHost->mapCheckouts;
  if (gHost->mapCheckoutResult != kHostErrorNone) return gHost->mapCheckoutResult;
  if (gHost->mapLayer != nullptr) param->u.layer = *gHost->mapLayer;
  return kHostErrorNone;
}
HostError Checkin(HostEffectRef, HostParamDef*) {
  ++gHost->checkins;
  return kHostErrorNone;
}

// Opaque white rectangle [x0, x1) x [y0, y1) on a transparent frame.
void PaintBar(const HostFrame& frame, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = x0; x < x1; ++x) SetPixelFloat(frame, x, y, 1.0f, 1.0f, 1.0f, 1.0f);
  }
}

class RenderDriver : public testing::Test {
 protected:
  void SetUp() override {
    gHost = &host;
    utils.newHandle = NewHandle;
    utils.lockHandle = LockHandle;
    utils.unlockHandle = UnlockHandle;
    utils.disposeHandle = DisposeHandle;
    utils.checkoutParam = Checkout;
    utils.checkinParam = Checkin;
    in.utils = &utils;
    // The effect's own definitions carry the defaults; data parameters get
    // their fresh default blobs as current values.
    for (int32_t id = 1; id <= kParamCount; ++id) {
      HostParamDef& def = *params.pointers[id];
      FillParamDef(&in, id, def);
      if (def.paramType == kParamTypeArbitraryData) def.u.arbitrary.valueHandle = def.u.arbitrary.defaultHandle;
    }
    params.Point(PARAM_START_POINT, 0, 0);
  }
  void TearDown() override { gHost = nullptr; }

  HostError RenderInto(const HostFrame& input, HostFrame& output) {
    params.pointers[PARAM_INPUT]->u.layer = input;
    out.outFlags = 0;
    return Render(&in, &out, params.Array(), &output, nullptr);
  }

  FakeRenderHost host;
  HostUtilityCallbacks utils{};
  HostInData in{};
  HostOutData out{};
  ParamArrayFixture params;
};

TEST_F(RenderDriver, TinyAndEmptyLayersRenderAndPublishAValidEmptyCache) {
  for (int32_t depth : kDepths) {
    for (auto [w, h] : {std::pair{0, 0}, {0, 5}, {5, 0}, {1, 1}, {2, 1}, {1, 2}, {2, 2}, {3, 3}, {5, 5}}) {
      TestFrame input = NewFrame(w, h, depth);
      PaintBar(input.frame, 0, 0, w, h);
      TestFrame output = NewFrame(w, h, depth);
      EXPECT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone) << w << "x" << h;
      EXPECT_TRUE(out.outFlags & kOutFlagRefreshUI);
      const ChainCache cache = SnapshotChainCache();
      EXPECT_EQ(cache.valid, 1);
      EXPECT_EQ(cache.width, w);
      EXPECT_EQ(cache.height, h);
      EXPECT_TRUE(cache.chains.empty());

      // The same layer as a Map Layer under a larger output, drawing with the source.
      TestFrame wide = NewFrame(8, 8, depth);
      host.mapLayer = &input.frame;
      params.Checkbox(PARAM_COMPOSITE_ON_ORIGINAL, true);
      params.Checkbox(PARAM_REVEAL_ORIGINAL_IMAGE, true);
      EXPECT_EQ(RenderInto(input.frame, wide.frame), kHostErrorNone) << w << "x" << h;
      EXPECT_EQ(SnapshotChainCache().width, w);
      host.mapLayer = nullptr;
      params.Checkbox(PARAM_COMPOSITE_ON_ORIGINAL, false);
      params.Checkbox(PARAM_REVEAL_ORIGINAL_IMAGE, false);
    }
  }
}

TEST_F(RenderDriver, PublishesTheChainsStrokeWidthAndColour) {
  params.Slider(PARAM_LINE_WIDTH, 7);
  params.Color(PARAM_LINE_COLOR, 10, 20, 30);
  TestFrame input = NewFrame(80, 40, 8);
  PaintBar(input.frame, 10, 15, 70, 25);
  TestFrame output = NewFrame(80, 40, 8);
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  const ChainCache cache = SnapshotChainCache();
  ASSERT_EQ(cache.chains.size(), 1u);
  EXPECT_EQ(cache.strokeWidth, 7);
  EXPECT_EQ(cache.strokeColor[0], 10);
  EXPECT_EQ(cache.strokeColor[2], 30);
  // Oriented toward the Start Point at the top-left corner.
  EXPECT_LT(cache.chains[0].front().x, cache.chains[0].back().x);

  // The same stages, run for inspection, give the published chains.
  const RenderAnalysis analysis =
      RunAnalysisStages(in, params.Array(), input.frame, ReadRenderSettings(params.Array()), true);
  ASSERT_EQ(analysis.chains.size(), 1u);
  ASSERT_EQ(analysis.chains[0].points.size(), cache.chains[0].size());
  for (size_t i = 0; i < cache.chains[0].size(); ++i) {
    EXPECT_TRUE(PointsEqual(analysis.chains[0].points[i], cache.chains[0][i]));
  }
  EXPECT_EQ(analysis.labels, std::vector<int32_t>{1});
  EXPECT_EQ(analysis.sampledMask.cells.size(), 80u * 40u);
  EXPECT_EQ(analysis.closedMask.cells.size(), 80u * 40u);
  EXPECT_EQ(analysis.field.size(), 80u * 40u);
}

TEST_F(RenderDriver, MapLayerIsAnalysedAndItsSizePublished) {
  TestFrame input = NewFrame(40, 30, 8);
  TestFrame output = NewFrame(40, 30, 8);
  // Larger than the output, with ink well outside it.
  TestFrame map = NewFrame(120, 90, 16);
  PaintBar(map.frame, 20, 60, 110, 70);
  host.mapLayer = &map.frame;
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  ChainCache cache = SnapshotChainCache();
  EXPECT_EQ(cache.width, 120);
  EXPECT_EQ(cache.height, 90);
  EXPECT_EQ(cache.chains.size(), 1u);
  EXPECT_EQ(host.mapCheckouts, 1);
  EXPECT_EQ(host.checkins, 1);

  // A checkout without pixels analyses the input and is still checked in.
  host.mapLayer = nullptr;
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  cache = SnapshotChainCache();
  EXPECT_EQ(cache.width, 40);
  EXPECT_EQ(host.checkins, 2);

  // A failed checkout analyses the input and checks nothing in.
  host.mapLayer = &map.frame;
  host.mapCheckoutResult = kHostErrorInternal;
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  cache = SnapshotChainCache();
  EXPECT_EQ(cache.width, 40);
  EXPECT_EQ(host.checkins, 2);
}

TEST_F(RenderDriver, DrawOrderTableReordersThePublishedChains) {
  TestFrame input = NewFrame(80, 60, 8);
  PaintBar(input.frame, 10, 8, 70, 16);   // nearer the Start Point: chain 1
  PaintBar(input.frame, 10, 40, 70, 48);  // chain 2
  TestFrame output = NewFrame(80, 60, 8);
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  ChainCache cache = SnapshotChainCache();
  ASSERT_EQ(cache.chains.size(), 2u);
  EXPECT_LT(cache.chains[0].front().y, 30);

  DrawOrderBlob table;
  std::memset(&table, 0, sizeof table);
  table.version = 1;
  table.count = 1;
  table.targetPosition[0] = 1;
  table.chainPlusOne[0] = 2;
  std::memcpy(LockHandle(params.pointers[PARAM_DRAW_ORDER]->u.arbitrary.valueHandle), &table, sizeof table);
  ASSERT_EQ(RenderInto(input.frame, output.frame), kHostErrorNone);
  cache = SnapshotChainCache();
  ASSERT_EQ(cache.chains.size(), 2u);
  EXPECT_GT(cache.chains[0].front().y, 30);
}

}  // namespace
