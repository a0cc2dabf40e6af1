#include "host/entry_point_call.h"

#include "host/reference_host_state.h"

namespace {

thread_local const CommandContext* t_commandContext = nullptr;

}  // namespace

const CommandContext* CurrentCommandContext() { return t_commandContext; }

ScopedCommandContext::ScopedCommandContext(const CommandContext& context) : previous(t_commandContext) {
  t_commandContext = &context;
}

ScopedCommandContext::~ScopedCommandContext() { t_commandContext = previous; }

HostError CallEntryPoint(ReferenceHost& host, HostInData& in, const EntryPointCall& call) {
  CommandContext context;
  context.params = call.params;
  context.paramCount = call.params != nullptr ? ParamCount(host.instance) : 0;
  context.input = call.input;
  context.undoGroups = call.undoGroups;
  const ScopedCommandContext scope(context);
  HostOutData dropped{};
  return host.entryPoint(call.command, &in, call.out != nullptr ? call.out : &dropped, call.params, call.output,
                         call.extra);
}
