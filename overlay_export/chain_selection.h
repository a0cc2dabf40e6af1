// The chains the user picked in the composition or layer window: one
// selection for the whole loaded plug-in, kept only in memory.
//
// Contract: every read and write of ProcessChainSelection happens under
// ChainSelectionMutex, and no caller holds ChainCacheMutex at the same time.
// Ids are 0-based positions in the chain cache, in pick order; they are not
// checked against the cache, so a later render may leave some of them stale.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

constexpr uint32_t kMaxSelectedChains = 64;

struct ChainSelection {
  uint32_t count = 0;  // ids in use, 0 to kMaxSelectedChains
  std::array<int32_t, kMaxSelectedChains> chainIds{};  // entries from count on carry no meaning
};

extern std::mutex ChainSelectionMutex;
extern ChainSelection ProcessChainSelection;

// The ids in use, in pick order, copied under the lock.
std::vector<int32_t> CopySelectedChainIds();

// The first picked chain, or -1 when nothing is selected.
int32_t FirstSelectedChain();

// Empties the selection: count 0 and every id 0.
void ClearChainSelection();

// What a click does to a selection (no locking): a miss (hit < 0) empties
// it; a plain click makes the hit the only id; a click with `addToSelection`
// removes the hit when it is there and otherwise appends it, unless the
// selection is full, in which case nothing changes.
void ApplyClickToSelection(ChainSelection& selection, int32_t hit, bool addToSelection);
