#include "render/saved_chain_edits.h"

#include <cstring>

#include "model/param_ids.h"
#include "render/chain_ordering.h"

DrawOrderBlob ReadSavedDrawOrder(const HostInData& in, HostParamDef* params[]) {
  DrawOrderBlob table;
  std::memset(&table, 0, sizeof table);
  const HostHandle handle = params[PARAM_DRAW_ORDER]->u.arbitrary.valueHandle;
  if (handle == nullptr || in.utils == nullptr) return table;
  const void* data = in.utils->lockHandle(handle);
  if (data != nullptr) std::memcpy(&table, data, sizeof table);
  in.utils->unlockHandle(handle);
  return table;
}

void ApplySavedDrawOrder(const HostInData& in, HostParamDef* params[], std::vector<ChainRecord>& chains) {
  ApplyDrawOrderTable(chains, ReadSavedDrawOrder(in, params));
}

void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[],
                              const std::function<std::vector<ChainRecord>&()>& chains, bool autoFlip) {
  if (in.utils == nullptr) return;
  HostParamDef record;
  std::memset(&record, 0, sizeof record);
  if (in.utils->checkoutParam(in.effectRef, PARAM_CHAIN_SELECTION, in.currentTime, in.timeStep, in.timeScale,
                              &record) != kHostErrorNone) {
    return;
  }
  const HostHandle handle = record.u.arbitrary.valueHandle;
  if (handle != nullptr) {
    void* data = in.utils->lockHandle(handle);
    if (data != nullptr) {
      ChainSelectionBlob selection;
      std::memcpy(&selection, data, sizeof selection);
      if (selection.mergePending != 0) {
        if (ApplyPendingSelectionMerge(chains(), autoFlip, selection)) {
          params[PARAM_CHAIN_SELECTION]->changeFlags = kParamChangeFlagChangedValue;
        }
        std::memcpy(data, &selection, sizeof selection);
      }
    }
    in.utils->unlockHandle(handle);
  }
  in.utils->checkinParam(in.effectRef, &record);
}

void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[], std::vector<ChainRecord>& chains,
                              bool autoFlip) {
  ApplySavedSelectionMerge(in, params, [&]() -> std::vector<ChainRecord>& { return chains; }, autoFlip);
}
