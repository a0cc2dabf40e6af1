#include "render/analysis/chain_edits.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "skeleton/chain_operations.h"
#include "skeleton/index_at.h"

void ApplyMergeSlots(std::vector<ChainRecord>& chains, const MergeSlot (&slots)[kMergeSlotCount], bool autoFlip) {
  for (const MergeSlot& slot : slots) {
    // A negative number names no chain either; skipping it keeps A - 1 from overflowing.
    if (slot.chainA <= 0 || slot.chainB <= 0) continue;
    MergeChainPair(chains, autoFlip, slot.chainA - 1, slot.chainB - 1);
  }
}

void ApplyReverseSlots(std::vector<ChainRecord>& chains, const int32_t (&slots)[kMergeSlotCount]) {
  for (int32_t value : slots) {
    const int64_t index = static_cast<int64_t>(value) - 1;
    if (index < 0 || index >= static_cast<int64_t>(chains.size())) continue;
    ChainRecord& chain = At(chains, index);
    if (chain.closed || chain.points.size() < 2) continue;
    std::reverse(chain.points.begin(), chain.points.end());
  }
}

void ApplyDrawOrderTable(std::vector<ChainRecord>& chains, const DrawOrderBlob& table) {
  if (table.count == 0) return;
  const int64_t n = static_cast<int64_t>(chains.size());
  std::vector<int64_t> chainAt(static_cast<size_t>(n), -1);
  std::vector<bool> claimed(static_cast<size_t>(n), false);
  const uint32_t entries = std::min(table.count, kMaxDrawOrderEntries);
  for (uint32_t i = 0; i < entries; ++i) {
    const int64_t position = static_cast<int64_t>(table.targetPosition[i]) - 1;
    const int64_t chain = static_cast<int64_t>(table.chainPlusOne[i]) - 1;
    if (position < 0 || position >= n || chain < 0 || chain >= n) continue;
    if (At(claimed, chain) || At(chainAt, position) >= 0) continue;
    At(chainAt, position) = chain;
    At(claimed, chain) = true;
  }
  int64_t nextUnclaimed = 0;
  for (int64_t& chain : chainAt) {
    if (chain >= 0) continue;
    while (At(claimed, nextUnclaimed)) ++nextUnclaimed;
    chain = nextUnclaimed++;
  }
  std::vector<ChainRecord> reordered;
  reordered.reserve(chains.size());
  for (int64_t chain : chainAt) reordered.push_back(At(chains, chain));
  chains.swap(reordered);
}

bool ApplyPendingSelectionMerge(std::vector<ChainRecord>& chains, bool autoFlip, ChainSelectionBlob& selection) {
  if (selection.mergePending == 0) return false;
  if (selection.count < 2) {
    selection.mergePending = 0;
    return false;
  }
  // A damaged project may claim more ids than the block holds.
  const uint32_t count = std::min(selection.count, kMaxBlobChainIds);
  std::vector<int32_t> ids;
  ids.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const int32_t id = selection.chainIds[i];
    if (id >= 0 && static_cast<size_t>(id) < chains.size()) ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  if (ids.size() >= 2) {
    int32_t target = ids[0];
    for (size_t j = 1; j < ids.size(); ++j) {
      const int32_t merged = MergeChainPair(chains, autoFlip, target, ids[j]);
      if (merged < 0) continue;
      target = merged;
      for (size_t later = j + 1; later < ids.size(); ++later) {
        if (ids[later] > ids[j]) --ids[later];
      }
    }
  }
  selection.count = 0;
  std::fill(std::begin(selection.chainIds), std::end(selection.chainIds), 0);
  selection.mergePending = 0;
  return true;
}
