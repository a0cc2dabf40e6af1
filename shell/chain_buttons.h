// The chain-editing buttons: Reverse Selected, Blend Selected, Set Order and
// Clear Order. They edit only parameters; the entry point answers 0 after
// each of them.
#pragma once

#include "host_interface/host_records.h"

void ReverseSelectedChains(HostInData* in, HostParamDef* params[]);
void BlendSelectedChains(HostInData* in, HostParamDef* params[]);
void SetChainOrder(HostInData* in, HostParamDef* params[]);
void ClearChainOrder(HostInData* in, HostParamDef* params[]);
