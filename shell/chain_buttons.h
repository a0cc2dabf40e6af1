// The chain-editing buttons: Reverse Selected, Blend Selected, Set Order and
// Clear Order. They turn the chain selection into lasting edits by writing
// the effect's own parameters (value plus change flag) and nothing else; the
// entry point answers 0 after each of them.
//
// Contract: chain numbers written are selection ids + 1, unlimited (a slot
// may receive more than its slider's 99); Draw Order entries keep the low 8
// bits. Reverse and Blend write inside an undo group of the Utility Suite,
// which they acquire before writing anything. Reverse clears the selection
// whenever it had one; Blend clears it only after writing a merge slot.
#pragma once

#include "host_interface/host_records.h"

void ReverseSelectedChains(HostInData* in, HostParamDef* params[]);
void BlendSelectedChains(HostInData* in, HostParamDef* params[]);
void SetChainOrder(HostInData* in, HostParamDef* params[]);
void ClearChainOrder(HostInData* in, HostParamDef* params[]);
