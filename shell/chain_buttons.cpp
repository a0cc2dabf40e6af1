#include "shell/chain_buttons.h"

// Not wired up yet: every button press leaves the parameters as they are.
void ReverseSelectedChains(HostInData*, HostParamDef*[]) {}
void BlendSelectedChains(HostInData*, HostParamDef*[]) {}
void SetChainOrder(HostInData*, HostParamDef*[]) {}
void ClearChainOrder(HostInData*, HostParamDef*[]) {}
