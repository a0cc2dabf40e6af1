// spindrel export: renders the frame, then presses Export JSON and Export SVG
// with the save prompt answered by the paths given, as a user at the desktop
// would; prints each prompt and alert.
#include "host/cli/cli_support.h"
#include "host/cli/desktop_standin.h"
#include "host/cli/effect_options.h"
#include "host/text_join.h"
#include "shell/param_ids.h"

namespace {

struct ExportOptions {
  EffectOptions effect;
  std::string jsonPath;
  std::string svgPath;
};

ExportOptions ParseExportOptions(const std::vector<std::string>& args) {
  ExportOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--json") {
      options.jsonPath = TakeOptionValue(args, i);
    } else if (arg == "--svg") {
      options.svgPath = TakeOptionValue(args, i);
    } else if (!TakeEffectOption(args, i, options.effect)) {
      FailCli(JoinText({"unknown option \"", arg, "\""}));
    }
  }
  if (options.effect.inputPath.empty()) FailCli("export needs an input PNG");
  if (options.jsonPath.empty() && options.svgPath.empty()) FailCli("export needs --json OUT.json or --svg OUT.svg");
  return options;
}

// Presses the button and prints what the desktop showed; true when the
// effect reported success.
bool PressExport(DesktopStandIn& desktop, EffectSession& session, int32_t paramId, const std::string& path,
                 const char* success, const CliEnvironment& environment) {
  bool succeeded = false;
  for (const std::string& line : PressWithDesktop(desktop, *session.host, paramId, path)) {
    *environment.out << line << "\n";
    if (line.rfind("refused: ", 0) == 0) FailCli(JoinText({"the desktop stand-in ", line}));
    succeeded = succeeded || line == success;
  }
  return succeeded;
}

}  // namespace

int ExportCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  const ExportOptions options = ParseExportOptions(args);
  std::unique_ptr<DesktopStandIn> desktop = OpenDesktopStandIn(environment.programDirectory);
  EffectSession session = OpenEffectSession(environment, options.effect);
  OwnedFrame output = MakeFrame(session.input.width, session.input.height, session.input.depth);
  const HostError error = RenderFrame(*session.host, FrameView(session.input), FrameView(output), session.time);
  if (error != kHostErrorNone) FailCli(JoinText({"the render failed with error ", std::to_string(error)}));
  bool succeeded = true;
  if (!options.jsonPath.empty())
    succeeded = PressExport(*desktop, session, PARAM_EXPORT_PATHS, options.jsonPath,
                            "alert: Spindrel: JSON Exported Successfully!", environment) && succeeded;
  if (!options.svgPath.empty())
    succeeded = PressExport(*desktop, session, PARAM_EXPORT_SVG, options.svgPath,
                            "alert: Spindrel: SVG Exported Successfully!", environment) && succeeded;
  if (!succeeded) FailCli("the effect did not report a successful export");
  return 0;
}
