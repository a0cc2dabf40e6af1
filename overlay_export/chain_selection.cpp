#include "overlay_export/chain_selection.h"

#include <algorithm>

std::mutex ChainSelectionMutex;
ChainSelection ProcessChainSelection;

namespace {

uint32_t IdsInUse(const ChainSelection& selection) { return std::min(selection.count, kMaxSelectedChains); }

void EmptySelection(ChainSelection& selection) {
  selection.count = 0;
  selection.chainIds.fill(0);
}

}  // namespace

std::vector<int32_t> CopySelectedChainIds() {
  std::lock_guard<std::mutex> lock(ChainSelectionMutex);
  const auto first = ProcessChainSelection.chainIds.begin();
  return std::vector<int32_t>(first, first + IdsInUse(ProcessChainSelection));
}

int32_t FirstSelectedChain() {
  std::lock_guard<std::mutex> lock(ChainSelectionMutex);
  return ProcessChainSelection.count > 0 ? ProcessChainSelection.chainIds[0] : -1;
}

void ClearChainSelection() {
  std::lock_guard<std::mutex> lock(ChainSelectionMutex);
  EmptySelection(ProcessChainSelection);
}

void ApplyClickToSelection(ChainSelection& selection, int32_t hit, bool addToSelection) {
  if (hit < 0) {
    EmptySelection(selection);
    return;
  }
  if (!addToSelection) {
    EmptySelection(selection);
    selection.chainIds[0] = hit;
    selection.count = 1;
    return;
  }
  const uint32_t count = IdsInUse(selection);
  const auto first = selection.chainIds.begin();
  const auto last = first + count;
  const auto found = std::find(first, last, hit);
  if (found != last) {
    std::copy(found + 1, last, found);
    selection.count = count - 1;
  } else if (count < kMaxSelectedChains) {
    selection.chainIds[count] = hit;
    selection.count = count + 1;
  }
}
