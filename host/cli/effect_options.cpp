#include "host/cli/effect_options.h"

#include "host/cli/png_image.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "host/project_file.h"
#include "host/text_join.h"

namespace {

RgbaImage ReadImageOrFail(const std::string& path) {
  RgbaImage image;
  std::string error;
  if (!ReadPngFile(path, image, error)) FailCli(error);
  return image;
}

}  // namespace

bool TakeEffectOption(const std::vector<std::string>& args, size_t& index, EffectOptions& options) {
  const std::string& arg = args[index];
  std::string error;
  if (arg == "--depth") {
    options.depth = ParseIntOption(arg, TakeOptionValue(args, index));
    if (!IsFrameDepth(options.depth)) FailCli(JoinText({"--depth must be 8, 16 or 32, got ", args[index]}));
  } else if (arg == "--set") {
    options.assignments.push_back(TakeOptionValue(args, index));
  } else if (arg == "--key") {
    options.keys.push_back(TakeOptionValue(args, index));
  } else if (arg == "--project") {
    options.projectPath = TakeOptionValue(args, index);
  } else if (arg == "--map") {
    options.mapPath = TakeOptionValue(args, index);
  } else if (arg == "--fps") {
    if (!ParseFrameRate(TakeOptionValue(args, index), options.timing, error)) FailCli(JoinText({"--fps: ", error}));
    options.fpsGiven = true;
  } else if (arg == "--time") {
    const std::string& text = TakeOptionValue(args, index);
    if (!ParseDouble(text, options.timeSeconds)) FailCli(JoinText({"--time: \"", text, "\" is not a time in seconds"}));
    options.timeGiven = true;
  } else if (arg.empty() || arg[0] != '-') {
    if (!options.inputPath.empty()) FailCli(JoinText({"unexpected argument \"", arg, "\""}));
    options.inputPath = arg;
  } else {
    return false;
  }
  return true;
}

EffectSession OpenEffectSession(const CliEnvironment& environment, const EffectOptions& options) {
  EffectSession session;
  if (!SecondsToTime(options.timeSeconds, options.timing, session.time)) {
    FailCli("--time lies beyond the host's time range");
  }
  session.input = FrameFromImage(ReadImageOrFail(options.inputPath), options.depth);
  if (!options.mapPath.empty()) session.map = FrameFromImage(ReadImageOrFail(options.mapPath), options.depth);

  session.host = OpenEffect(environment);
  ReferenceHost& host = *session.host;
  host.timeScale = options.timing.timeScale;
  host.timeStep = options.timing.timeStep;
  std::string error;
  if (!options.projectPath.empty() && !LoadProject(host, options.projectPath, error)) FailCli(error);
  for (const std::string& assignment : options.assignments) {
    if (!ApplyParamAssignment(host.instance, assignment, error)) FailCli(JoinText({"--set: ", error}));
  }
  for (const std::string& keys : options.keys) {
    if (!ApplyParamKeyframes(host.instance, keys, options.timing, error)) FailCli(JoinText({"--key: ", error}));
  }
  if (!options.mapPath.empty()) {
    const HostFrame mapView = FrameView(session.map);
    SetMapLayer(host, &mapView);
  }
  return session;
}
