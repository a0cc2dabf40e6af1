// The user's saved edits of the chain list, applied after the sort: merge
// slots, reverse slots, the draw-order table and the pending merge of the
// saved selection. The tables come in as plain values; render_command.cpp
// reads them from the host.
#pragma once

#include <cstdint>
#include <vector>

#include "model/chain_blobs.h"
#include "model/param_ids.h"
#include "model/render_settings.h"
#include "skeleton/chain_record.h"

// Slot by slot, merges chain B into chain A (1-based, 0 = off). Later slots
// count against the list as earlier merges left it.
void ApplyMergeSlots(std::vector<ChainRecord>& chains, const MergeSlot (&slots)[kMergeSlotCount], bool autoFlip);

// Reverses each named open chain of at least 2 points (1-based, 0 = off).
void ApplyReverseSlots(std::vector<ChainRecord>& chains, const int32_t (&slots)[kMergeSlotCount]);

// Moves chains to the positions of the table; the first entry claiming a
// position or a chain wins, entries outside the list are ignored and the
// unclaimed chains fill the free positions in their current order.
void ApplyDrawOrderTable(std::vector<ChainRecord>& chains, const DrawOrderBlob& table);

// Carries out a pending merge request of the saved selection. Returns true
// when the request was consumed and the selection cleared, so the caller must
// mark the Chain Selection parameter as changed.
bool ApplyPendingSelectionMerge(std::vector<ChainRecord>& chains, bool autoFlip, ChainSelectionBlob& selection);
