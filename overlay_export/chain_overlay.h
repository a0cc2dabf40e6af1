// The custom user interface in the composition and layer windows (command 15).
#pragma once

#include "host_interface/host_event.h"
#include "host_interface/host_records.h"

HostError HandleCustomUIEvent(HostInData* in, HostOutData* out, HostParamDef* params[], HostFrame* output,
                              HostEventRecord* event);
