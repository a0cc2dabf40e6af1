// spindrel about: the effect's about text as the host shows it.
#include "host/cli/cli_support.h"
#include "host/host_error_text.h"
#include "host/text_join.h"

int AboutCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  if (!args.empty()) FailCli(JoinText({"about takes no arguments, got \"", args[0], "\""}));
  std::string error;
  std::unique_ptr<ReferenceHost> host = OpenReferenceHost(environment.modulePath, error);
  if (host == nullptr) FailCli(JoinText({"cannot load the plug-in: ", error}));
  std::string text;
  const HostError result = RunAbout(*host, text);
  if (result != kHostErrorNone) FailCli(JoinText({"the plug-in failed to answer about (", DescribeHostError(result), ")"}));
  // The host separates lines with carriage returns.
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  WriteAnswer(*environment.streams.out, text + "\n");
  return 0;
}
