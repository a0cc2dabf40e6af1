// The host side of the saved chain edits: the Draw Order table, read through
// its data handle, and the pending merge request of the Chain Selection,
// checked out for the current time. Both skip silently when the host has
// nothing to give.
#pragma once

#include <vector>

#include "host_interface/host_records.h"
#include "skeleton/chain_record.h"

// Reorders the chains by the Draw Order parameter's table.
void ApplySavedDrawOrder(const HostInData& in, HostParamDef* params[], std::vector<ChainRecord>& chains);

// Carries out a merge request stored in the Chain Selection data, clears it
// and marks the parameter changed.
void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[], std::vector<ChainRecord>& chains,
                              bool autoFlip);
