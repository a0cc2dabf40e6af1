#include "shell/chain_buttons.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "model/chain_blobs.h"
#include "host_interface/host_scopes.h"
#include "model/param_ids.h"
#include "overlay_export/chain_selection.h"
#include "overlay_export/suite_handler.h"
#include "render/analysis/chain_cache.h"
#include "skeleton/index_at.h"

namespace {

constexpr char kReverseUndoName[] = "Spindrel: Reverse Chains";
constexpr char kBlendUndoName[] = "Spindrel: Blend Chains";

constexpr std::array<int32_t, kMergeSlotCount> kReverseSlots = {PARAM_REV_SLOT1, PARAM_REV_SLOT2, PARAM_REV_SLOT3,
                                                           PARAM_REV_SLOT4, PARAM_REV_SLOT5};
struct MergeSlotParams {
  int32_t chainA;
  int32_t chainB;
};
constexpr std::array<MergeSlotParams, kMergeSlotCount> kMergeSlots = {{{PARAM_SLOT1_CHAIN_A, PARAM_SLOT1_CHAIN_B},
                                                            {PARAM_SLOT2_CHAIN_A, PARAM_SLOT2_CHAIN_B},
                                                            {PARAM_SLOT3_CHAIN_A, PARAM_SLOT3_CHAIN_B},
                                                            {PARAM_SLOT4_CHAIN_A, PARAM_SLOT4_CHAIN_B},
                                                            {PARAM_SLOT5_CHAIN_A, PARAM_SLOT5_CHAIN_B}}};

// An undo group open for the life of the scope: the sliders written in it
// undo as one step, and the group is closed on every path out.
struct ScopedUndoGroup {
  ScopedUndoGroup(const HostUtilitySuite13& utility, const char* name) : utility(utility) {
    utility.startUndoGroup(name);
  }
  ~ScopedUndoGroup() { utility.endUndoGroup(); }
  ScopedUndoGroup(const ScopedUndoGroup&) = delete;
  ScopedUndoGroup& operator=(const ScopedUndoGroup&) = delete;

  const HostUtilitySuite13& utility;
};

int32_t SliderValue(HostParamDef* params[], int32_t id) { return params[id]->u.slider.value; }

void WriteSlider(HostParamDef* params[], int32_t id, int32_t value) {
  params[id]->u.slider.value = value;
  params[id]->changeFlags |= kParamChangeFlagChangedValue;
}

bool MergeSlotFree(HostParamDef* params[], int32_t slot) {
  return SliderValue(params, kMergeSlots[slot].chainA) == 0 && SliderValue(params, kMergeSlots[slot].chainB) == 0;
}

std::vector<int32_t> SortedUnique(std::vector<int32_t> ids) {
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

// Orders `rest` by end gap to `base`, nearest first. A selection sort that
// asks the cache anew for every comparison; of equal gaps the earlier entry
// stays first.
void SortByGapFrom(int32_t base, std::vector<int32_t>& rest) {
  for (size_t i = 0; i + 1 < rest.size(); ++i) {
    size_t best = i;
    for (size_t j = i + 1; j < rest.size(); ++j) {
      if (ChainEndGap(base, rest[j]) < ChainEndGap(base, rest[best])) best = j;
    }
    std::swap(rest[i], rest[best]);
  }
}

struct SlotRun {
  int32_t first = -1;  // 0-based merge slot; -1 when every slot is taken
  int32_t length = 0;
};

// The lowest run of `wanted` free merge slots; failing that, the lowest free
// slot with as many free slots after it as there are, up to `wanted`.
SlotRun ChooseMergeSlots(HostParamDef* params[], int32_t wanted) {
  for (int32_t start = 0; start + wanted <= kMergeSlotCount; ++start) {
    bool free = true;
    for (int32_t slot = start; slot < start + wanted && free; ++slot) free = MergeSlotFree(params, slot);
    if (free) return {start, wanted};
  }
  for (int32_t start = 0; start < kMergeSlotCount; ++start) {
    if (!MergeSlotFree(params, start)) continue;
    int32_t length = 0;
    while (start + length < kMergeSlotCount && length < wanted && MergeSlotFree(params, start + length)) ++length;
    return {start, length};
  }
  return {};
}

// Runs edit(table) on the locked Draw Order block and flags the parameter
// as changed; nothing happens without the block.
template <typename Edit>
void EditDrawOrder(HostInData* in, HostParamDef* params[], Edit&& edit) {
  if (in == nullptr || in->utils == nullptr || params == nullptr) return;
  HostParamDef& drawOrder = *params[PARAM_DRAW_ORDER];
  const HostHandle handle = drawOrder.u.arbitrary.valueHandle;
  if (handle == nullptr) return;
  {
    const ScopedHandleLock block(*in->utils, handle);
    auto* table = static_cast<DrawOrderBlob*>(block.data);
    if (table == nullptr) return;
    edit(*table);
  }
  drawOrder.changeFlags |= kParamChangeFlagChangedValue;
}

}  // namespace

void ReverseSelectedChains(HostInData* in, HostParamDef* params[]) {
  if (in == nullptr || params == nullptr) return;
  const std::vector<int32_t> ids = SortedUnique(CopySelectedChainIds());
  if (ids.empty()) return;
  {
    SuiteHandler suites(in->basicSuite);
    const ScopedUndoGroup undo(*AcquireUtilitySuite(suites), kReverseUndoName);
    size_t next = 0;
    for (const int32_t slot : kReverseSlots) {
      if (next == ids.size()) break;
      if (SliderValue(params, slot) != 0) continue;
      WriteSlider(params, slot, ids[next] + 1);
      ++next;
    }
  }
  // Chains that found no free slot are dropped.
  ClearChainSelection();
}

void BlendSelectedChains(HostInData* in, HostParamDef* params[]) {
  if (in == nullptr || params == nullptr) return;
  const std::vector<int32_t> picked = CopySelectedChainIds();
  if (picked.size() < 2) return;
  std::vector<int32_t> rest = SortedUnique(picked);
  // Picks that were all the same chain leave nothing to blend.
  if (rest.size() < 2) return;
  const int32_t base = rest.front();
  rest.erase(rest.begin());
  SortByGapFrom(base, rest);

  const SlotRun run = ChooseMergeSlots(params, std::min<int32_t>(static_cast<int32_t>(rest.size()), kMergeSlotCount));
  if (run.first < 0) return;
  {
    SuiteHandler suites(in->basicSuite);
    const ScopedUndoGroup undo(*AcquireUtilitySuite(suites), kBlendUndoName);
    for (int32_t m = 0; m < run.length; ++m) {
      const int32_t chain = At(rest, m);
      // Earlier pairs of this press remove their smaller chains before this one is merged.
      const auto removedBefore = static_cast<int32_t>(
          std::count_if(rest.begin(), rest.begin() + m, [chain](int32_t earlier) { return earlier < chain; }));
      const MergeSlotParams& slot = At(kMergeSlots, run.first + m);
      WriteSlider(params, slot.chainA, base + 1);
      WriteSlider(params, slot.chainB, chain - removedBefore + 1);
    }
  }
  ClearChainSelection();
}

void SetChainOrder(HostInData* in, HostParamDef* params[]) {
  if (in == nullptr || in->utils == nullptr || params == nullptr) return;
  const int32_t chain = FirstSelectedChain();
  const int32_t position = SliderValue(params, PARAM_TARGET_POSITION);
  if (chain < 0 || position < 1) return;
  // Stored as its low 8 bits, a larger number would name another chain or
  // position; such a press writes nothing.
  if (chain >= kMaxDrawOrderNumber || position > kMaxDrawOrderNumber) return;
  EditDrawOrder(in, params, [&](DrawOrderBlob& table) {
    const int64_t chainPlusOne = static_cast<int64_t>(chain) + 1;
    // A damaged project may claim more entries than the table holds.
    const uint32_t stored = std::min(table.count, kMaxDrawOrderEntries);
    uint32_t kept = 0;
    for (uint32_t i = 0; i < stored; ++i) {
      if (table.chainPlusOne[i] == chainPlusOne || table.targetPosition[i] == position) continue;
      table.targetPosition[kept] = table.targetPosition[i];
      table.chainPlusOne[kept] = table.chainPlusOne[i];
      ++kept;
    }
    if (kept < kMaxDrawOrderEntries) {
      table.targetPosition[kept] = static_cast<uint8_t>(position);
      table.chainPlusOne[kept] = static_cast<uint8_t>(chainPlusOne);
      ++kept;
    }
    // Entries past the count stay zero, as in a fresh table.
    std::fill(table.targetPosition + kept, table.targetPosition + kMaxDrawOrderEntries, uint8_t{0});
    std::fill(table.chainPlusOne + kept, table.chainPlusOne + kMaxDrawOrderEntries, uint8_t{0});
    table.count = kept;
  });
}

void ClearChainOrder(HostInData* in, HostParamDef* params[]) {
  EditDrawOrder(in, params, [](DrawOrderBlob& table) {
    table.count = 0;
    std::memset(table.targetPosition, 0, sizeof(table.targetPosition));
    std::memset(table.chainPlusOne, 0, sizeof(table.chainPlusOne));
  });
}
