// The chain overlay in-process: picking by click, drawing the selection, and
// the conversions between cache, layer and window pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "host_interface/host_commands.h"
#include "host_interface/host_fixed_point.h"
#include "overlay_export/chain_overlay.h"
#include "overlay_export/chain_overlay_coordinates.h"
#include "shell/command_dispatch.h"
#include "tests/overlay_export/ui_fake_host.h"

namespace {

using Ids = std::vector<int32_t>;
using Log = std::vector<std::string>;

constexpr int32_t kUntouchedOutFlags = 0x40;

HostError Send(ui_fake::Host& host, HostEventRecord& event) {
  return HandleCustomUIEvent(&host.in, nullptr, host.params.Array(), nullptr, &event);
}

}  // namespace

// The window shows the layer ten times enlarged, so a click lands on tenths of a cache pixel.
TEST(OverlayClick, PicksTheNearestSegmentWithinFifteenPixels) {
  ui_fake::SetCachedChains({{{0, 0}, {100, 0}},      // 0
                            {{300, 300}},            // 1: one point, never hit
                            {{0, 20}, {100, 20}},    // 2: as far as chain 0 from y = 10
                            {{200, 0}, {200, 0}}});  // 3: both ends on one point
  const struct {
    int32_t x, y;  // window pixels
    Ids selected;
  } cases[] = {
      {500, -150, {}},     // exactly 15 away
      {500, -149, {0}},    // 14.9 away
      {500, 100, {0}},     // 10 from chains 0 and 2: the lower index
      {500, 101, {2}},     // a tenth nearer chain 2
      {2000, 100, {3}},    // 10 from the coincident points
      {3000, 3000, {}},    // on the single point
      {-100, 0, {0}},      // 10 before the first point
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    ui_fake::Host host;
    ui_fake::Window window;
    window.zoom = 10;
    ui_fake::SetSelection({5, 6});
    HostEventRecord event = ui_fake::ClickEvent(window, c.x, c.y);
    EXPECT_EQ(Send(host, event), kHostErrorNone);
    EXPECT_EQ(CopySelectedChainIds(), c.selected);
    EXPECT_EQ(event.outFlags, kEventOutFlagHandled | kEventOutFlagRedrawNow);
    EXPECT_EQ(host.params[PARAM_CHAIN_SELECTION].changeFlags, kParamChangeFlagChangedValue);
    EXPECT_EQ(window.conversions, Log{"frameToSource"});
    EXPECT_EQ(host.suites.acquired, 0);
  }
}

TEST(OverlayClick, PlainClicksReplaceShiftClicksToggleAndAFullSelectionStaysAsItWas) {
  Ids full;
  for (int32_t id = 0; id < 64; ++id) full.push_back(id);
  Ids fullWithout10 = full;
  fullWithout10.erase(fullWithout10.begin() + 10);
  const struct {
    Ids before;
    int32_t hit;
    bool add;
    Ids after;
  } cases[] = {
      {{1, 2, 3}, 5, false, {5}},        {{1, 2, 3}, 2, false, {2}},         {{1, 2, 3}, -1, false, {}},
      {{1, 2, 3}, -1, true, {}},         {{1, 2, 3}, 2, true, {1, 3}},       {{1, 2, 3}, 5, true, {1, 2, 3, 5}},
      {{}, 4, true, {4}},                {full, 64, true, full},             {full, 10, true, fullWithout10},
      {full, 64, false, {64}},
  };
  for (const auto& c : cases) {
    ui_fake::SetSelection(c.before);
    std::lock_guard<std::mutex> lock(ChainSelectionMutex);
    ApplyClickToSelection(ProcessChainSelection, c.hit, c.add);
    EXPECT_EQ(Ids(ProcessChainSelection.chainIds.begin(), ProcessChainSelection.chainIds.begin() +
                                                             ProcessChainSelection.count),
              c.after)
        << c.hit << " " << c.add;
  }
  // A miss leaves no stale ids behind.
  ui_fake::SetSelection({7, 8});
  ClearChainSelection();
  EXPECT_EQ(ProcessChainSelection.chainIds[1], 0);

  // The shift bit among other modifier bits adds; other bits alone do not.
  ui_fake::Host host;
  ui_fake::Window window;
  ui_fake::SetCachedChains({{{0, 0}, {10, 0}}, {{0, 100}, {10, 100}}});
  ui_fake::SetSelection({0});
  HostEventRecord shiftClick = ui_fake::ClickEvent(window, 5, 100, kSelectAddModifier | 0x100);
  Send(host, shiftClick);
  EXPECT_EQ(CopySelectedChainIds(), (Ids{0, 1}));
  HostEventRecord otherClick = ui_fake::ClickEvent(window, 5, 0, 0x1000);
  Send(host, otherClick);
  EXPECT_EQ(CopySelectedChainIds(), (Ids{0}));
}

TEST(OverlayClick, BeforeAnyRenderClearsTheSelectionAndStillReportsHandled) {
  ui_fake::Host host;
  ui_fake::Window window;
  ui_fake::SetCachedChains({{{0, 0}, {10, 0}}}, false);
  ui_fake::SetSelection({0, 3});
  HostEventRecord event = ui_fake::ClickEvent(window, 5, 0, kSelectAddModifier);
  EXPECT_EQ(Send(host, event), kHostErrorNone);
  EXPECT_TRUE(CopySelectedChainIds().empty());
  EXPECT_EQ(event.outFlags, 9);
  EXPECT_EQ(host.params[PARAM_CHAIN_SELECTION].changeFlags, 1);
}

// Downsampled 1/2: cache pixels are drawn at twice their coordinates and
// clicks are taken back at half; a composition window adds the layer's offset.
TEST(OverlayCoordinates, DownsamplingAndCompositionWindowsMapBothWays) {
  ui_fake::SetCachedChains({{{9, 4}, {11, 4}}, {{20, 8}, {21, 8}}});
  for (const int32_t windowType : {kWindowLayer, kWindowComp}) {
    SCOPED_TRACE(windowType);
    ui_fake::Host host;
    host.in.downsampleX = {1, 2};
    host.in.downsampleY = {1, 2};
    ui_fake::Window window;
    window.context.windowType = windowType;
    window.offsetX = 100;
    window.offsetY = 50;
    window.zoom = 2;
    const int32_t offsetX = windowType == kWindowComp ? 100 : 0;
    const int32_t offsetY = windowType == kWindowComp ? 50 : 0;
    // Layer point (20, 8) in this window.
    HostEventRecord click = ui_fake::ClickEvent(window, (20 + offsetX) * 2, (8 + offsetY) * 2);
    const FloatPoint cachePoint = ClickPointInCache(windowType, click, host.in);
    EXPECT_EQ(cachePoint.x, 10.0f);
    EXPECT_EQ(cachePoint.y, 4.0f);
    window.conversions.clear();
    Send(host, click);
    EXPECT_EQ(CopySelectedChainIds(), Ids{0});
    const Log clickConversions = windowType == kWindowComp ? Log{"frameToSource", "compToLayer 7/30"}
                                                           : Log{"frameToSource"};
    EXPECT_EQ(window.conversions, clickConversions);

    window.conversions.clear();
    HostEventRecord draw = ui_fake::DrawEvent(window);
    Send(host, draw);
    const std::string start = "move " + std::to_string((20 + offsetX) * 2 - 4) + " " + std::to_string((8 + offsetY) * 2);
    EXPECT_EQ(host.suites.log, (Log{"pen 3 1 0.5 0 0.9", start,
                                    "line " + std::to_string((22 + offsetX) * 2) + " " + std::to_string((8 + offsetY) * 2),
                                    "stroke", "release path", "release pen"}));
    EXPECT_EQ(window.conversions.size(), windowType == kWindowComp ? 4u : 2u);
    if (windowType == kWindowComp) {
      EXPECT_EQ(window.conversions[0], "layerToComp 7/30");
    }
  }
}

TEST(OverlayDraw, StrokesTheValidSelectedChainsInPickOrderAndReportsHandled) {
  ui_fake::Host host;
  ui_fake::Window window;
  ui_fake::SetCachedChains({{{10, 4}, {20, 4}}, {{5, 5}}, {{0, 0}, {1, 1}, {2, 0}}, {}});
  // Stale, single-point, negative and empty entries are passed over.
  ui_fake::SetSelection({2, 7, 1, -3, 3, 0});
  HostEventRecord event = ui_fake::DrawEvent(window);
  EXPECT_EQ(Send(host, event), kHostErrorNone);
  EXPECT_EQ(host.suites.log, (Log{"pen 3 1 0.5 0 0.9", "move 0 0", "line 1 1", "line 2 0", "stroke", "release path",
                                  "move 10 4", "line 20 4", "stroke", "release path", "release pen"}));
  EXPECT_EQ(event.outFlags, kEventOutFlagHandled);
  EXPECT_EQ(host.suites.acquired, host.suites.released);
  EXPECT_EQ(CopySelectedChainIds(), (Ids{2, 7, 1, -3, 3, 0}));
}

TEST(OverlayDraw, EndsQuietlyWhenThereIsNothingToDrawOrNothingToDrawWith) {
  const struct {
    const char* name;
    Ids selection;
    int32_t inFlags;
    bool validCache;
    void (*failure)(ui_fake::Suites&);
    Log log;
    int32_t outFlags;
  } cases[] = {
      {"empty selection", {}, 0, true, nullptr, {}, kUntouchedOutFlags},
      {"host asks for no drawing", {0}, kEventInFlagDontDraw, true, nullptr, {}, kUntouchedOutFlags},
      {"no drawing reference", {0}, 0, true, [](ui_fake::Suites& s) { s.noDrawRef = true; }, {}, kUntouchedOutFlags},
      {"no supplier", {0}, 0, true, [](ui_fake::Suites& s) { s.noSupplier = true; }, {}, kUntouchedOutFlags},
      {"no surface", {0}, 0, true, [](ui_fake::Suites& s) { s.noSurface = true; }, {}, kUntouchedOutFlags},
      {"no pen", {0}, 0, true, [](ui_fake::Suites& s) { s.noPen = true; }, {"pen 3 1 0.5 0 0.9"}, kUntouchedOutFlags},
      {"no path", {0}, 0, true, [](ui_fake::Suites& s) { s.noPath = true; }, {"pen 3 1 0.5 0 0.9", "release pen"}, 1},
      {"nothing rendered", {0}, 0, false, nullptr, {"pen 3 1 0.5 0 0.9", "release pen"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui_fake::Host host;
    ui_fake::Window window;
    ui_fake::SetCachedChains({{{0, 0}, {5, 5}}}, c.validCache);
    ui_fake::SetSelection(c.selection);
    if (c.failure != nullptr) c.failure(host.suites);
    HostEventRecord event = ui_fake::DrawEvent(window);
    event.inFlags = c.inFlags;
    event.outFlags = kUntouchedOutFlags;
    EXPECT_EQ(Send(host, event), kHostErrorNone);
    EXPECT_EQ(host.suites.log, c.log);
    EXPECT_EQ(event.outFlags, c.outFlags);
    EXPECT_EQ(host.suites.acquired, host.suites.released);
  }
}

TEST(OverlayEvents, OnlyClicksAndDrawsInTheTwoWindowsAreHandled) {
  ui_fake::Host host;
  ui_fake::SetCachedChains({{{0, 0}, {5, 0}}});
  ui_fake::SetSelection({0});
  const auto untouched = [&](HostEventRecord* event) {
    if (event != nullptr) event->outFlags = kUntouchedOutFlags;
    EXPECT_EQ(HandleCustomUIEvent(&host.in, nullptr, host.params.Array(), nullptr, event), kHostErrorNone);
    if (event != nullptr) {
      EXPECT_EQ(event->outFlags, kUntouchedOutFlags);
    }
  };
  untouched(nullptr);
  ui_fake::Window window;
  HostEventRecord noContext = ui_fake::ClickEvent(window, 0, 0);
  noContext.context = nullptr;
  untouched(&noContext);
  window.contextPointer = nullptr;
  HostEventRecord emptyContext = ui_fake::ClickEvent(window, 0, 0);
  untouched(&emptyContext);
  window.contextPointer = &window.context;
  for (const int32_t windowType : {2, -1}) {
    window.context.windowType = windowType;
    HostEventRecord event = ui_fake::ClickEvent(window, 0, 0);
    untouched(&event);
  }
  window.context.windowType = kWindowComp;
  for (const int32_t eventType : {0, 1, 3, 5, 8}) {
    HostEventRecord event = ui_fake::ClickEvent(window, 0, 0);
    event.eventType = eventType;
    untouched(&event);
  }
  EXPECT_EQ(CopySelectedChainIds(), Ids{0});
  EXPECT_EQ(host.params[PARAM_CHAIN_SELECTION].changeFlags, 0);
  EXPECT_TRUE(host.suites.log.empty());
  EXPECT_TRUE(window.conversions.empty());
}

// A refused suite reaches the host as 512 with both locks free and every acquired suite released.
TEST(OverlayDraw, MissingSuiteIs512AtTheEntryPointWithNothingLeftHeld) {
  for (const char* refused : {kCustomUISuiteName, kDrawSuiteName, kSupplierSuiteName, kPathSuiteName,
                              kSurfaceSuiteName}) {
    SCOPED_TRACE(refused);
    ui_fake::Host host;
    ui_fake::Window window;
    ui_fake::SetCachedChains({{{0, 0}, {5, 0}}});
    ui_fake::SetSelection({0});
    host.suites.refused.insert(refused);
    HostEventRecord event = ui_fake::DrawEvent(window);
    HostOutData out{};
    EXPECT_EQ(DispatchCommand(kCommandEvent, &host.in, &out, host.params.Array(), nullptr, &event), 512);
    EXPECT_EQ(event.outFlags, 0);
    EXPECT_EQ(host.suites.acquired, host.suites.released);
    EXPECT_TRUE(std::find(host.suites.log.begin(), host.suites.log.end(), "stroke") == host.suites.log.end());
    EXPECT_TRUE(ChainCacheMutex.try_lock());
    ChainCacheMutex.unlock();
    EXPECT_TRUE(ChainSelectionMutex.try_lock());
    ChainSelectionMutex.unlock();
  }
}

TEST(OverlayCoordinates, FixedPointConversionsRoundHalvesAwaySaturateAndRefuseNonFinite) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    std::optional<int32_t> fixed;
  } floats[] = {
      {0.0, 0},
      {1.0, 65536},
      {-2.5, -163840},
      {0.5 / 65536, 1},
      {-0.5 / 65536, -1},
      {0.49 / 65536, 0},
      {-1.5 / 65536, -2},
      {8388611.0 / 65536, 8388611},  // odd beyond float's integer range
      {32767.99999, 2147483647},
      {40000.0, kMax},
      {-40000.0, kMin},
      {1e30, kMax},
      {std::nan(""), std::nullopt},
      {kInf, std::nullopt},
      {-kInf, std::nullopt},
  };
  for (const auto& c : floats) EXPECT_EQ(RoundFiniteToFixedSaturated(c.value), c.fixed) << c.value;
  const struct {
    int32_t value;
    int32_t fixed;
  } ints[] = {{0, 0}, {1, 65536}, {-1, -65536}, {32767, 2147418112}, {32768, kMax}, {-32768, kMin},
              {-32769, kMin}, {kMax, kMax}, {kMin, kMin}};
  for (const auto& c : ints) EXPECT_EQ(WholeToFixedSaturated(c.value), c.fixed) << c.value;

  ui_fake::Host host;
  ui_fake::Window window;
  window.context.windowType = kWindowComp;
  HostEventRecord event = ui_fake::DrawEvent(window);
  EXPECT_FALSE(LayerPointToFrame(kWindowComp, event, host.in, std::nanf(""), 0.0f));
  EXPECT_FALSE(LayerPointToFrame(kWindowComp, event, host.in, 0.0f, std::numeric_limits<float>::infinity()));
  EXPECT_TRUE(window.conversions.empty());
  const std::optional<FloatPoint> far = LayerPointToFrame(kWindowLayer, event, host.in, 1e9f, -1e9f);
  ASSERT_TRUE(far);
  EXPECT_EQ(far->x, 32768.0f);  // kMax / 65536 as a float
  EXPECT_EQ(far->y, -32768.0f);

  // Clicks at the far ends of the window's range miss without overflowing.
  ui_fake::SetCachedChains({{{0, 0}, {5, 0}}});
  for (const int32_t coordinate : {kMax, kMin}) {
    ui_fake::SetSelection({0});
    HostEventRecord click = ui_fake::ClickEvent(window, coordinate, coordinate);
    EXPECT_EQ(Send(host, click), kHostErrorNone);
    EXPECT_TRUE(CopySelectedChainIds().empty());
  }
}
