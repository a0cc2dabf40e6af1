// spindrel params: every parameter as the host received it.
#include <sstream>

#include "host/cli/cli_support.h"
#include "host/param_value_text.h"
#include "host/text_join.h"

int ParamsCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  if (!args.empty()) FailCli(JoinText({"params takes no arguments, got \"", args[0], "\""}));
  std::unique_ptr<ReferenceHost> host = OpenEffect(environment);
  std::ostringstream out;
  out << "id\tlabel\tkind\trange\tdefault\n";
  const int32_t count = ParamCount(host->instance);
  for (int32_t id = 1; id < count; ++id) {
    const HostParamEntry& entry = ParamEntryById(host->instance, id);
    std::string label = entry.label;
    if (entry.def.paramType == kParamTypeGroupEnd) label = JoinText({"(end of ", entry.group, ")"});
    out << id << '\t' << label << '\t' << ParamKindName(entry.def.paramType) << '\t' << FormatParamRange(entry)
        << '\t' << FormatParamDefault(entry) << '\n';
  }
  WriteAnswer(*environment.streams.out, out.str());
  return 0;
}
