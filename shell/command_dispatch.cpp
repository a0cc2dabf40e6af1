#include "shell/command_dispatch.h"

// Placeholder until the shell lands: every command succeeds.
HostError DispatchCommand(int32_t, HostInData*, HostOutData*, HostParamDef*[], HostFrame*, void*) {
  return kHostErrorNone;
}
