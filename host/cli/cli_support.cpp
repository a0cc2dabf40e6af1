#include "host/cli/cli_support.h"

#include <cerrno>
#include <charconv>
#include <system_error>

#include "host/host_error_text.h"
#include "host/text_join.h"

void FailCli(std::string message) { throw CliFailure{std::move(message)}; }

std::string DefaultModulePath(const std::string& programDirectory) {
  return JoinText({programDirectory, "/", PluginModuleFileName()});
}

std::string TakeOptionValue(const std::vector<std::string>& args, size_t& index) {
  if (index + 1 >= args.size()) FailCli(JoinText({args[index], " needs a value"}));
  index += 1;
  return args[index];
}

int32_t ParseIntOption(const std::string& option, const std::string& text) {
  int32_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    FailCli(JoinText({option, ": \"", text, "\" is not an integer"}));
  }
  return value;
}

bool TryWriteAnswer(std::ostream& out, std::string_view text, std::string& reason) {
  errno = 0;
  out << text;
  out.flush();
  const int error = errno;
  if (out) return true;
  reason = error != 0 ? std::generic_category().message(error) : std::string();
  return false;
}

void WriteAnswer(std::ostream& out, const std::string& text) {
  std::string reason;
  if (TryWriteAnswer(out, text, reason)) return;
  FailCli(reason.empty() ? std::string("cannot write to standard output")
                         : JoinText({"cannot write to standard output: ", reason}));
}

std::unique_ptr<ReferenceHost> OpenEffect(const CliEnvironment& environment) {
  std::string error;
  std::unique_ptr<ReferenceHost> host = OpenReferenceHost(environment.modulePath, error);
  if (host == nullptr) FailCli(JoinText({"cannot load the plug-in: ", error}));
  const HostError result = SetUpEffect(*host);
  if (result != kHostErrorNone) FailCli(JoinText({"the plug-in failed to set up (", DescribeHostError(result), ")"}));
  return host;
}

namespace {

constexpr char kUsage[] =
    "usage: spindrel [--module PLUGIN] COMMAND [ARGS]\n"
    "  about                         show the effect's about text\n"
    "  params                        list every parameter: id, label, kind, range, default\n"
    "  render IN.png -o OUT.png [--depth 8|16|32] [--set \"LABEL=VALUE\"]...\n"
    "         [--key \"LABEL=V0@T0,V1@T1,...\"]... [--time T] [--fps F]\n"
    "         [--project FILE] [--save-project FILE] [--map MAP.png]\n"
    "  render IN.png -o OUTDIR/ --frames N --fps F [--threads K] [other render options]\n"
    "                                frame i at i/F seconds into OUTDIR/frame_0000.png ...\n"
    "  analyse IN.png -o DIR/ [--depth 8|16|32] [--set ...]... [--key ...]... [--time T]\n"
    "         [--fps F] [--project FILE] [--map MAP.png]\n"
    "                                what the render's analysis stages produced\n"
    "  session IN.png [--actions FILE] [--project FILE] [--save-project FILE] [--map MAP.png]\n"
    "         [--downsample N] [--comp-size WxH] [--layer-offset X,Y] [--layer-scale S]\n"
    "         [--depth 8|16|32] [--set ...]... [--key ...]... [--time T] [--fps F]\n"
    "                                edit in one process: actions one per line from standard\n"
    "                                input or FILE (session help lists them)\n";

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const std::string& programDirectory,
                   const CliStreams& streams) {
  CliEnvironment environment;
  environment.modulePath = DefaultModulePath(programDirectory);
  environment.programDirectory = programDirectory;
  environment.streams = streams;
  std::ostream& out = *streams.out;
  std::ostream& err = *streams.err;
  try {
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
      if (args[i] == "--module") {
        environment.modulePath = TakeOptionValue(args, i);
      } else {
        rest.push_back(args[i]);
      }
    }
    if (rest.empty()) {
      err << kUsage;
      return 2;
    }
    if (rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help") {
      WriteAnswer(out, kUsage);
      return 0;
    }
    const std::string command = rest[0];
    const std::vector<std::string> commandArgs(rest.begin() + 1, rest.end());
    if (command == "about") return AboutCommand(commandArgs, environment);
    if (command == "params") return ParamsCommand(commandArgs, environment);
    if (command == "render") return RenderCommand(commandArgs, environment);
    if (command == "analyse") return AnalyseCommand(commandArgs, environment);
    if (command == "session") return SessionCommand(commandArgs, environment);
    FailCli(JoinText({"unknown command \"", command, "\" (try spindrel --help)"}));
  } catch (const CliFailure& failure) {
    err << "spindrel: error: " << failure.message << "\n";
  } catch (const std::exception& exception) {
    err << "spindrel: error: " << exception.what() << "\n";
  }
  return 1;
}
