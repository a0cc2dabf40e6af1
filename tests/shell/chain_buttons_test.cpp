// The chain-editing buttons in-process: which slots and table entries each
// press writes, with which change flags and undo group, and what becomes of
// the selection.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "host_interface/host_commands.h"
#include "model/chain_blobs.h"
#include "model/param_ids.h"
#include "shell/chain_buttons.h"
#include "shell/command_dispatch.h"
#include "tests/overlay_export/ui_fake_host.h"

namespace {

using Ids = std::vector<int32_t>;
using Log = std::vector<std::string>;
using Slots = std::array<int32_t, 5>;
using MergeSlots = std::array<std::array<int32_t, 2>, 5>;

constexpr Slots kReverseSlotIds = {PARAM_REV_SLOT1, PARAM_REV_SLOT2, PARAM_REV_SLOT3, PARAM_REV_SLOT4,
                                   PARAM_REV_SLOT5};
constexpr MergeSlots kMergeSlotIds = {{{PARAM_SLOT1_CHAIN_A, PARAM_SLOT1_CHAIN_B},
                                       {PARAM_SLOT2_CHAIN_A, PARAM_SLOT2_CHAIN_B},
                                       {PARAM_SLOT3_CHAIN_A, PARAM_SLOT3_CHAIN_B},
                                       {PARAM_SLOT4_CHAIN_A, PARAM_SLOT4_CHAIN_B},
                                       {PARAM_SLOT5_CHAIN_A, PARAM_SLOT5_CHAIN_B}}};

// Parameters flagged as changed, by id.
std::vector<int32_t> ChangedParams(ui_fake::Host& host) {
  std::vector<int32_t> changed;
  for (int32_t id = 0; id < kParamCountWithInput; ++id) {
    if (host.params[id].changeFlags != 0) changed.push_back(id);
  }
  return changed;
}

// Cached chains of two points on the x axis: `base` at x 0..1 and the chains
// of `nearest` at 10, 20, ... in that order; every other id of 0..maxId far away.
void CacheChainsByNearness(int32_t base, const Ids& nearest, int32_t maxId) {
  std::vector<std::vector<IntPoint>> chains;
  for (int32_t id = 0; id <= maxId; ++id) {
    int32_t x = 10000 + 100 * id;
    if (id == base) x = 0;
    for (size_t rank = 0; rank < nearest.size(); ++rank) {
      if (nearest[rank] == id) x = 10 * static_cast<int32_t>(rank + 1);
    }
    chains.push_back({{x, 0}, {x + 1, 0}});
  }
  ui_fake::SetCachedChains(std::move(chains));
}

DrawOrderBlob& AttachDrawOrder(ui_fake::Host& host) {
  const HostHandle handle = host.utils.newHandle(sizeof(DrawOrderBlob));
  host.params[PARAM_DRAW_ORDER].u.arbitrary.valueHandle = handle;
  auto& table = *reinterpret_cast<DrawOrderBlob*>(handle);
  table.version = 1;
  return table;
}

struct Entry {
  int32_t position, chainPlusOne;
  bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(const DrawOrderBlob& table, uint32_t count) {
  std::vector<Entry> entries;
  for (uint32_t i = 0; i < count; ++i) entries.push_back({table.targetPosition[i], table.chainPlusOne[i]});
  return entries;
}

void StoreEntries(DrawOrderBlob& table, const std::vector<Entry>& entries) {
  table.count = static_cast<uint32_t>(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    table.targetPosition[i] = static_cast<uint8_t>(entries[i].position);
    table.chainPlusOne[i] = static_cast<uint8_t>(entries[i].chainPlusOne);
  }
}

}  // namespace

TEST(ChainButtons, ReverseFillsFreeSlotsWithTheSortedPicksAndClearsTheSelection) {
  const struct {
    Ids picked;
    Slots before, after;
  } cases[] = {
      {{7, 2}, {0, 0, 0, 0, 0}, {3, 8, 0, 0, 0}},
      {{4, 1, 9}, {5, 0, 6, 0, 0}, {5, 2, 6, 5, 10}},
      {{6, 5, 4, 3, 2, 1}, {0, 0, 0, 0, 0}, {2, 3, 4, 5, 6}},  // the sixth is dropped
      {{3, 3, 1}, {0, 0, 0, 0, 0}, {2, 4, 0, 0, 0}},
      {{99, 300}, {0, 0, 0, 0, 0}, {100, 301, 0, 0, 0}},       // beyond the slider, unlimited
      {{1, 2}, {9, 9, 9, 9, 9}, {9, 9, 9, 9, 9}},              // no free slot: still one undo step
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.picked));
    ui_fake::Host host;
    ui_fake::SetSelection(c.picked);
    std::vector<int32_t> expectChanged;
    for (size_t slot = 0; slot < 5; ++slot) {
      host.params.Slider(kReverseSlotIds[slot], c.before[slot]);
      if (c.before[slot] != c.after[slot]) expectChanged.push_back(kReverseSlotIds[slot]);
    }
    ReverseSelectedChains(&host.in, host.params.Array());
    for (size_t slot = 0; slot < 5; ++slot) EXPECT_EQ(host.params[kReverseSlotIds[slot]].u.slider.value, c.after[slot]);
    EXPECT_EQ(ChangedParams(host), expectChanged);
    EXPECT_EQ(host.suites.log, (Log{"begin Spindrel: Reverse Chains", "end"}));
    EXPECT_EQ(host.suites.acquired, 1);
    EXPECT_EQ(host.suites.released, 1);
    EXPECT_TRUE(CopySelectedChainIds().empty());
  }
  ui_fake::Host host;
  ui_fake::SetSelection({});
  ReverseSelectedChains(&host.in, host.params.Array());
  EXPECT_TRUE(host.suites.log.empty());
  EXPECT_TRUE(ChangedParams(host).empty());
}

TEST(ChainButtons, BlendPairsTheBaseWithItsNearestPicksInTheFirstFreeRunOfSlots) {
  const MergeSlots kFree = {};
  const struct {
    const char* name;
    Ids picked;
    Ids nearest;  // the picks in order of nearness to the smallest
    MergeSlots before, after;
  } cases[] = {
      {"far pick written first", {3, 5, 9}, {9, 5}, kFree, {{{4, 10}, {4, 6}}}},
      {"smaller pick merged before", {3, 9, 5}, {5, 9}, kFree, {{{4, 6}, {4, 9}}}},
      {"equal gaps keep ascending order", {9, 5, 3}, {}, kFree, {{{4, 6}, {4, 9}}}},
      {"stale pick last", {3, 50, 9}, {9}, kFree, {{{4, 10}, {4, 50}}}},
      {"seven picks, five nearest",
       {6, 5, 4, 3, 2, 1, 0},
       {2, 4, 6, 1, 3, 5},
       kFree,
       {{{1, 3}, {1, 4}, {1, 5}, {1, 2}, {1, 2}}}},
      {"no run of two: first free slot alone",
       {3, 5, 9},
       {9, 5},
       {{{0, 0}, {1, 1}, {0, 0}, {2, 0}, {0, 0}}},
       {{{4, 10}, {1, 1}, {0, 0}, {2, 0}, {0, 0}}}},
      {"run after occupied slots", {3, 5, 9}, {5, 9}, {{{1, 1}, {0, 0}, {0, 2}, {0, 0}, {0, 0}}},
       {{{1, 1}, {0, 0}, {0, 2}, {4, 6}, {4, 9}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui_fake::Host host;
    CacheChainsByNearness(c.picked.empty() ? 0 : *std::min_element(c.picked.begin(), c.picked.end()), c.nearest, 9);
    // Without a nearness order: chains 5 and 9 equally far from 3, on either side.
    if (c.nearest.empty()) ui_fake::SetCachedChains({{}, {}, {}, {{0, 0}, {1, 0}}, {}, {{11, 0}, {12, 0}}, {}, {},
                                                     {}, {{-11, 0}, {-10, 0}}});
    ui_fake::SetSelection(c.picked);
    std::vector<int32_t> expectChanged;
    for (size_t slot = 0; slot < 5; ++slot) {
      for (size_t side = 0; side < 2; ++side) {
        host.params.Slider(kMergeSlotIds[slot][side], c.before[slot][side]);
        if (c.before[slot] != c.after[slot]) expectChanged.push_back(kMergeSlotIds[slot][side]);
      }
    }
    BlendSelectedChains(&host.in, host.params.Array());
    MergeSlots after{};
    for (size_t slot = 0; slot < 5; ++slot) {
      for (size_t side = 0; side < 2; ++side) after[slot][side] = host.params[kMergeSlotIds[slot][side]].u.slider.value;
    }
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(ChangedParams(host), expectChanged);
    EXPECT_EQ(host.suites.log, (Log{"begin Spindrel: Blend Chains", "end"}));
    EXPECT_TRUE(CopySelectedChainIds().empty());
  }
}

TEST(ChainButtons, BlendWithoutTwoPicksOrAFreeSlotChangesNothingAndKeepsTheSelection) {
  const MergeSlots kFull = {{{1, 0}, {0, 1}, {2, 2}, {3, 0}, {0, 4}}};
  const struct {
    Ids picked;
    MergeSlots before;
  } cases[] = {{{}, {}}, {{4}, {}}, {{4, 4}, {}}, {{1, 2, 3}, kFull}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.picked));
    ui_fake::Host host;
    CacheChainsByNearness(1, {2, 3}, 5);
    ui_fake::SetSelection(c.picked);
    for (size_t slot = 0; slot < 5; ++slot) {
      for (size_t side = 0; side < 2; ++side) host.params.Slider(kMergeSlotIds[slot][side], c.before[slot][side]);
    }
    BlendSelectedChains(&host.in, host.params.Array());
    EXPECT_TRUE(ChangedParams(host).empty());
    EXPECT_TRUE(host.suites.log.empty());
    EXPECT_EQ(host.suites.acquired, 0);
    EXPECT_EQ(CopySelectedChainIds(), c.picked);
  }
}

// The utility suite is acquired before anything is written: 512, nothing written, selection kept.
TEST(ChainButtons, RefusedUtilitySuiteIs512AtTheEntryPointAndKeepsTheSelection) {
  for (const int32_t button : {PARAM_REVERSE_SELECTED, PARAM_BLEND_SELECTED}) {
    SCOPED_TRACE(button);
    ui_fake::Host host;
    host.suites.refused.insert(kUtilitySuiteName);
    CacheChainsByNearness(1, {2}, 3);
    ui_fake::SetSelection({2, 1});
    HostUserChangedParamRecord record{button};
    HostOutData out{};
    EXPECT_EQ(DispatchCommand(kCommandUserChangedParam, &host.in, &out, host.params.Array(), nullptr, &record), 512);
    EXPECT_TRUE(ChangedParams(host).empty());
    EXPECT_EQ(CopySelectedChainIds(), (Ids{2, 1}));
    EXPECT_TRUE(host.suites.log.empty());
  }
}

TEST(ChainButtons, SetOrderCompactsTheTableAndAppendsTheFirstPickAtTheTargetPosition) {
  std::vector<Entry> full;  // positions 1..128 for chains 2..129 (low 8 bits)
  for (int32_t i = 0; i < 128; ++i) full.push_back({i + 1, i + 2});
  std::vector<Entry> fullMoved(full.begin() + 1, full.end());
  fullMoved.push_back({1, 200});
  const struct {
    const char* name;
    Ids picked;
    int32_t position;
    std::vector<Entry> before;
    uint32_t storedCount;  // as found in the table
    std::vector<Entry> after;
  } cases[] = {
      {"old entry for the position goes", {6, 1}, 3, {{3, 5}, {1, 8}}, 2, {{1, 8}, {3, 7}}},
      {"a chain's entry moves to the end", {7}, 2, {{1, 8}, {3, 5}, {4, 2}}, 3, {{3, 5}, {4, 2}, {2, 8}}},
      {"both matches go", {7}, 3, {{3, 1}, {5, 8}, {6, 2}}, 3, {{6, 2}, {3, 8}}},
      {"the largest chain and position a byte holds", {254}, 255, {{1, 0}}, 1, {{1, 0}, {255, 255}}},
      {"a full table takes nothing more", {250}, 200, full, 128, full},
      {"a damaged count is read as 128", {250}, 200, full, 4000, full},
      {"a full table makes room by its match", {199}, 1, full, 128, fullMoved},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui_fake::Host host;
    DrawOrderBlob& table = AttachDrawOrder(host);
    StoreEntries(table, c.before);
    table.count = c.storedCount;
    ui_fake::SetSelection(c.picked);
    host.params.Slider(PARAM_TARGET_POSITION, c.position);
    SetChainOrder(&host.in, host.params.Array());
    EXPECT_EQ(table.count, c.after.size());
    EXPECT_EQ(Entries(table, 128), [&] {
      std::vector<Entry> padded = c.after;
      padded.resize(128, Entry{0, 0});
      return padded;
    }());
    EXPECT_EQ(table.version, 1u);
    EXPECT_EQ(ChangedParams(host), std::vector<int32_t>{PARAM_DRAW_ORDER});
    EXPECT_EQ(host.state.locks, 1);
    EXPECT_EQ(host.state.unlocks, 1);
    EXPECT_EQ(CopySelectedChainIds(), c.picked);
    EXPECT_TRUE(host.suites.log.empty());
  }
}

TEST(ChainButtons, SetOrderWithoutPickPositionOrTableChangesNothing) {
  const struct {
    const char* name;
    Ids picked;
    int32_t position;
    bool table;
  } cases[] = {{"nothing picked", {}, 3, true},
               {"position 0", {2}, 0, true},
               {"negative position", {2}, -4, true},
               {"no table", {2}, 3, false},
               // Its low 8 bits would name chain 1 (and remove the entry at position 1).
               {"chain number 257 does not fit a byte", {256}, 1, true},
               {"chain number 256 does not fit a byte", {255}, 1, true},
               {"position 257 does not fit a byte", {2}, 257, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui_fake::Host host;
    if (c.table) StoreEntries(AttachDrawOrder(host), {{1, 2}});
    ui_fake::SetSelection(c.picked);
    host.params.Slider(PARAM_TARGET_POSITION, c.position);
    SetChainOrder(&host.in, host.params.Array());
    if (!c.table) ClearChainOrder(&host.in, host.params.Array());
    EXPECT_TRUE(ChangedParams(host).empty());
    EXPECT_EQ(host.state.locks, 0);
    if (c.table) {
      const auto& table = *reinterpret_cast<const DrawOrderBlob*>(host.params[PARAM_DRAW_ORDER].u.arbitrary.valueHandle);
      EXPECT_EQ(Entries(table, 2), (std::vector<Entry>{{1, 2}, {0, 0}}));
      EXPECT_EQ(table.count, 1u);
    }
  }
}

TEST(ChainButtons, ClearOrderEmptiesTheTableButKeepsItsVersionAndTheSelection) {
  ui_fake::Host host;
  DrawOrderBlob& table = AttachDrawOrder(host);
  table.version = 7;
  StoreEntries(table, {{1, 2}, {3, 4}});
  table.targetPosition[100] = 9;  // stray bytes past the count
  ui_fake::SetSelection({4});
  ClearChainOrder(&host.in, host.params.Array());
  EXPECT_EQ(table.version, 7u);
  EXPECT_EQ(table.count, 0u);
  EXPECT_EQ(Entries(table, 128), std::vector<Entry>(128, Entry{0, 0}));
  EXPECT_EQ(ChangedParams(host), std::vector<int32_t>{PARAM_DRAW_ORDER});
  EXPECT_EQ(host.state.locks, host.state.unlocks);
  EXPECT_EQ(CopySelectedChainIds(), Ids{4});
}
