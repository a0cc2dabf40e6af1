// The host side of the saved chain edits: the Draw Order table, read through
// its data handle, and the pending merge request of the Chain Selection,
// checked out for the current time. Both skip silently when the host has
// nothing to give.
#pragma once

#include <functional>
#include <vector>

#include "host_interface/host_records.h"
#include "model/chain_blobs.h"
#include "skeleton/chain_record.h"

// The Draw Order parameter's table, locked and copied; a table with count 0
// when the handle is absent or its lock gives nothing.
DrawOrderBlob ReadSavedDrawOrder(const HostInData& in, HostParamDef* params[]);

// Reorders the chains by the Draw Order parameter's table.
void ApplySavedDrawOrder(const HostInData& in, HostParamDef* params[], std::vector<ChainRecord>& chains);

// Carries out a merge request stored in the Chain Selection data, clears it
// and marks the parameter changed. `chains` is asked for the list to merge in
// only when a request is pending.
void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[],
                              const std::function<std::vector<ChainRecord>&()>& chains, bool autoFlip);
void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[], std::vector<ChainRecord>& chains,
                              bool autoFlip);
