// The only symbol the plug-in module exports.
#include "host_interface/host_entry_point.h"
#include "shell/command_dispatch.h"

extern "C" SPINDREL_EXPORT HostError EntryPointFunc(int32_t command, HostInData* in, HostOutData* out,
                                                    HostParamDef* params[], HostFrame* output, void* extra) {
  return DispatchCommand(command, in, out, params, output, extra);
}
