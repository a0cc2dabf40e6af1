// Parameter setup (`kCommandParamsSetup`): defines the effect's kParamCount parameters and
// registers the custom user interface.
#pragma once

#include "host_interface/host_records.h"

// Fills a zeroed definition record for parameter `id` (1 to kParamCount) from
// the parameter table. The default blob of a hidden data parameter is allocated
// here; a failed allocation leaves its default handle null.
void FillParamDef(const HostInData* in, int32_t id, HostParamDef& def);

HostError ParamsSetup(HostInData* in, HostOutData* out, HostParamDef* params[], HostFrame* output);
