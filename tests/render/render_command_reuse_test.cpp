// Renders that reuse an earlier analysis must be indistinguishable from
// renders that analyse anew: the same pixels, the same published chain cache,
// the same output flags and the same writes to the saved selection.
#include "render/analysis/analysis_reuse.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/command_params.h"
#include "host/frame_buffer.h"
#include "host/param_value_text.h"
#include "host/reference_host.h"
#include "host_interface/host_commands.h"
#include "render/analysis/chain_cache.h"
#include "render/render_command.h"
#include "shell/params_setup.h"
#include "tests/render/fake_host.h"
#include "tests/render/render_test_helpers.h"
#include "tests/skeleton/test_masks.h"

namespace {

// Ink of a generated text mask, opaque white on transparent.
TestFrame InkFrame(int32_t w, int32_t h, uint32_t seed, PixelDepth depth = PixelDepth::k8Bit) {
  const ByteMask ink = synthetic_text::MakeTextMask(w, h, seed, h / 3);
  TestFrame f = MakeTestFrame(w, h, depth);
  for (size_t i = 0; i < ink.cells.size(); ++i) {
    if (ink.cells[i] != 0) SetPixelFloat(f.frame, int32_t(i % w), int32_t(i / w), 1, 1, 1, 1);
  }
  return f;
}

struct RenderResult {
  std::vector<uint64_t> pixels;
  ChainCache cache;
  int32_t outFlags = 0;
  ChainSelectionBlob selection{};
  int32_t selectionChanged = 0;
};

bool SameResult(const RenderResult& a, const RenderResult& b) {
  const auto sameChains = [](const ChainCache& p, const ChainCache& q) {
    if (p.chains.size() != q.chains.size()) return false;
    for (size_t i = 0; i < p.chains.size(); ++i) {
      if (test_masks::Pairs(p.chains[i]) != test_masks::Pairs(q.chains[i])) return false;
    }
    return p.width == q.width && p.height == q.height && p.strokeWidth == q.strokeWidth &&
           p.strokeColor == q.strokeColor && p.valid == q.valid;
  };
  return a.pixels == b.pixels && sameChains(a.cache, b.cache) && a.outFlags == b.outFlags &&
         std::memcmp(&a.selection, &b.selection, sizeof a.selection) == 0 && a.selectionChanged == b.selectionChanged;
}

// A value of the parameter's kind that differs from the current one.
void ChangeParam(HostParamDef& def) {
  switch (def.paramType) {
    case kParamTypeSlider: {
      HostSliderValue& v = def.u.slider;
      const int32_t step = (v.sliderMax - v.sliderMin) / 7 + 1;
      v.value = v.value + step <= v.validMax ? v.value + step : v.value - step;
      break;
    }
    case kParamTypeFloatSlider: def.u.floatSlider.value += def.u.floatSlider.value > 50 ? -13.0 : 13.0; break;
    case kParamTypeAngle: def.u.angle.value += 30 << 16; break;
    case kParamTypeCheckbox: def.u.checkbox.value = def.u.checkbox.value == 0; break;
    case kParamTypePopup: def.u.popup.value = def.u.popup.value % def.u.popup.numChoices + 1; break;
    case kParamTypePoint: def.u.point.xValue += 7 << 16, def.u.point.yValue += 5 << 16; break;
    case kParamTypeColor: def.u.color.value.red ^= 0x5A, def.u.color.value.blue ^= 0xC3; break;
    default: break;
  }
}

// The same sequence of renders, with every kind of change an animation or a
// user makes between them, and many returns to an earlier state.
std::vector<RenderResult> RenderSequence(bool reuse) {
  SetAnalysisReuse(reuse);
  fake_host::Host host;
  for (int32_t id = 1; id <= kParamCount; ++id) {
    HostParamDef& def = host.params[id];
    FillParamDef(&host.in, id, def);
    if (def.paramType == kParamTypeArbitraryData) def.u.arbitrary.valueHandle = def.u.arbitrary.defaultHandle;
  }
  host.params.Point(PARAM_START_POINT, 0, 0);
  host.params[PARAM_REVEAL_PROGRESS].u.floatSlider.value = 60.0;
  ChainSelectionBlob selection;
  std::memset(&selection, 0, sizeof selection);
  host.state.selection = &selection;
  auto* table = static_cast<DrawOrderBlob*>(fake_host::Lock(host.params[PARAM_DRAW_ORDER].u.arbitrary.valueHandle));

  const TestFrame a = InkFrame(160, 96, 1), b = InkFrame(160, 96, 2), a16 = InkFrame(160, 96, 1, PixelDepth::k16Bit);
  const TestFrame a32 = InkFrame(160, 96, 1, PixelDepth::k32BitFloat), map = InkFrame(176, 104, 9);
  TestFrame mapChanged = InkFrame(176, 104, 9);
  SetPixelFloat(mapChanged.frame, 40, 30, 1, 1, 1, 1);  // one pixel more ink
  const TestFrame* input = &a;
  std::vector<RenderResult> results;
  const auto render = [&] {
    TestFrame output = MakeTestFrame(input->frame.width, input->frame.height, FramePixelDepth(input->frame));
    host.params[PARAM_INPUT].u.layer = input->frame;
    host.params[PARAM_CHAIN_SELECTION].changeFlags = 0;
    HostOutData out{};
    EXPECT_EQ(Render(&host.in, &out, host.params.Array(), &output.frame, nullptr), kHostErrorNone);
    results.push_back({output.storage, SnapshotChainCache(), out.outFlags, selection,
                       host.params[PARAM_CHAIN_SELECTION].changeFlags});
  };

  for (const TestFrame* frame : {&a, &b, &a, &a16, &a32, &a}) {  // depths share the analysis of equal masks
    input = frame;
    render();
  }
  input = &a;
  for (int32_t id = 1; id <= kParamCount; ++id) {
    const HostParamDef saved = host.params[id];
    ChangeParam(host.params[id]);
    render();
    host.params[id] = saved;
    render();
  }
  for (auto [slotA, slotB, reverse] : {std::tuple{1, 2, 0}, {2, 3, 1}, {0, 0, 2}, {1, 2, 0}}) {
    host.params.Slider(PARAM_SLOT1_CHAIN_A, slotA);
    host.params.Slider(PARAM_SLOT1_CHAIN_B, slotB);
    host.params.Slider(PARAM_REV_SLOT1, reverse);
    render();
  }
  host.state.mapLayer = &map.frame;
  render();
  host.state.mapLayer = &mapChanged.frame;
  render();
  host.state.mapLayer = &map.frame;
  render();
  host.state.mapLayer = nullptr;
  for (HostRatio ratio : {HostRatio{1, 2}, {1, 1}, {1, 2}}) {
    host.in.downsampleX = host.in.downsampleY = ratio;
    render();
  }
  for (auto [count, position, chain] : {std::tuple{1u, 1, 2}, {1u, 1, 3}, {0u, 1, 3}, {1u, 1, 2}}) {
    table->count = count;
    table->targetPosition[0] = static_cast<uint8_t>(position);
    table->chainPlusOne[0] = static_cast<uint8_t>(chain);
    render();
  }
  for (int32_t pass = 0; pass < 2; ++pass) {  // a pending merge is carried out, cleared, then set again
    selection.count = 3, selection.chainIds[0] = 0, selection.chainIds[1] = 2, selection.chainIds[2] = 1;
    selection.mergePending = 1;
    render();
    render();
  }
  SetAnalysisReuse(true);
  return results;
}

TEST(AnalysisReuse, RendersWithReuseEqualRendersWithout) {
  const std::vector<RenderResult> fresh = RenderSequence(false);
  EXPECT_EQ(ReusedAnalysisCount(), 0u);
  const std::vector<RenderResult> reused = RenderSequence(true);
  EXPECT_GT(ReusedAnalysisCount(), 0u);
  EXPECT_LE(ReusedAnalysisCount(), kReusedAnalysisCount);
  ASSERT_EQ(fresh.size(), reused.size());
  for (size_t i = 0; i < fresh.size(); ++i) EXPECT_TRUE(SameResult(fresh[i], reused[i])) << "render " << i;
}

// Renders of a write-on on eight threads at once, through the reference host
// in this process: most share one analysis, and every frame equals the one
// rendered alone without reuse.
TEST(AnalysisReuseThreads, ConcurrentWriteOnFramesMatchFramesAnalysedAlone) {
  std::string error;
  std::unique_ptr<ReferenceHost> host = OpenReferenceHost(SPINDREL_MODULE_PATH, error);
  ASSERT_NE(host, nullptr) << error;
  ASSERT_EQ(SetUpEffect(*host), kHostErrorNone);
  ASSERT_TRUE(ApplyParamAssignment(host->instance, "Natural Speed=on", error)) << error;
  const TestFrame inputs[] = {InkFrame(120, 72, 4), InkFrame(120, 72, 5)};
  const auto renderAll = [&](int32_t threads) {
    std::vector<std::vector<uint64_t>> frames(24);
    std::vector<std::thread> workers;
    for (int32_t t = 0; t < threads; ++t) {
      workers.emplace_back([&, t] {
        for (size_t i = static_cast<size_t>(t); i < frames.size(); i += static_cast<size_t>(threads)) {
          const TestFrame& input = inputs[i % 3 == 2 ? 1 : 0];
          TestFrame output = MakeTestFrame(input.frame.width, input.frame.height);
          HostFrame view = output.frame;
          // Reveal grows with the frame number; the analysis inputs stay the same.
          const auto render = [&](HostInData& in, HostParamDef* params[]) {
            params[PARAM_REVEAL_PROGRESS]->u.floatSlider.value = 4.0 * static_cast<double>(i);
            HostOutData out{};
            return Render(&in, &out, params, &view, nullptr);
          };
          EXPECT_EQ(RunWithCommandParams(*host, &input.frame, static_cast<int32_t>(i), render), kHostErrorNone);
          frames[i] = output.storage;
        }
      });
    }
    for (std::thread& w : workers) w.join();
    return frames;
  };
  SetAnalysisReuse(false);
  const std::vector<std::vector<uint64_t>> alone = renderAll(1);
  SetAnalysisReuse(true);
  const std::vector<std::vector<uint64_t>> together = renderAll(8);
  EXPECT_EQ(ReusedAnalysisCount(), 2u);
  for (size_t i = 0; i < alone.size(); ++i) EXPECT_TRUE(alone[i] == together[i]) << "frame " << i;
}

}  // namespace
