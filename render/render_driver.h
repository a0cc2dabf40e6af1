// The render command (11).
#pragma once

#include "host_interface/host_records.h"

// source: the layer drawn over or revealed; null means the input layer
// (parameter 0).
HostError Render(HostInData* in, HostOutData* out, HostParamDef* params[], HostFrame* output,
                 const HostFrame* source);
