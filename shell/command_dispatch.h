// Routes a host command to its handler inside a catch-all: any exception that
// leaves a handler is answered with kHostErrorInternal.
#pragma once

#include "host_interface/host_entry_point.h"

HostError DispatchCommand(int32_t command, HostInData* in, HostOutData* out, HostParamDef* params[],
                          HostFrame* output, void* extra);
