#include "shell/command_dispatch.h"

#include "host_interface/host_arbitrary_data.h"
#include "host_interface/host_commands.h"
#include "overlay_export/chain_overlay.h"
#include "render/render_command.h"
#include "shell/arbitrary_data.h"
#include "shell/effect_info.h"
#include "shell/params_setup.h"
#include "shell/user_changed_param.h"

namespace {

// A handler is named after its command: a command that asks for something
// by what it asks (About, GlobalSetup, ParamsSetup, Render), a command that
// brings a record of its own (a pressed button, a window event, a request
// about a data block) by Handle and what it brings (HandleUserChangedParam,
// HandleCustomUIEvent, HandleArbitraryData).
HostError RunCommand(int32_t command, HostInData* in, HostOutData* out, HostParamDef* params[],
                     HostFrame* output, void* extra) {
  switch (command) {
    case kCommandAbout:
      return About(in, out);
    case kCommandGlobalSetup:
      return GlobalSetup(out);
    case kCommandParamsSetup:
      return ParamsSetup(in, out, params, output);
    case kCommandRender:
      return Render(in, out, params, output, nullptr);
    case kCommandUserChangedParam:
      return HandleUserChangedParam(in, params, extra);
    case kCommandEvent:
      return HandleCustomUIEvent(in, out, params, output, static_cast<HostEventRecord*>(extra));
    case kCommandArbitraryCallback:
      return HandleArbitraryData(in, out, params, output, static_cast<HostArbCallbackRecord*>(extra));
    default:
      return kHostErrorNone;
  }
}

}  // namespace

HostError DispatchCommand(int32_t command, HostInData* in, HostOutData* out, HostParamDef* params[],
                          HostFrame* output, void* extra) {
  if (command < 0 || command > kCommandLast) return kHostErrorNone;
  try {
    return RunCommand(command, in, out, params, output, extra);
  } catch (...) {
    return kHostErrorInternal;
  }
}
