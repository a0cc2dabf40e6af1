// spindrel render: renders one PNG through the plug-in.
#include "host/cli/cli_support.h"
#include "host/cli/png_image.h"
#include "host/frame_buffer.h"
#include "host/param_value_text.h"
#include "host/project_file.h"
#include "host/text_join.h"

namespace {

struct RenderOptions {
  std::string inputPath;
  std::string outputPath;
  int32_t depth = 8;
  std::vector<std::string> assignments;  // "LABEL=VALUE", applied in order
  std::string projectPath;      // values loaded before the assignments
  std::string saveProjectPath;  // values saved after a successful render
  std::string mapPath;          // the layer Map Layer checkouts return
};

RenderOptions ParseRenderOptions(const std::vector<std::string>& args) {
  RenderOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--output") {
      options.outputPath = TakeOptionValue(args, i);
    } else if (arg == "--depth") {
      options.depth = ParseIntOption(arg, TakeOptionValue(args, i));
      if (!IsFrameDepth(options.depth)) FailCli(JoinText({"--depth must be 8, 16 or 32, got ", args[i]}));
    } else if (arg == "--set") {
      options.assignments.push_back(TakeOptionValue(args, i));
    } else if (arg == "--project") {
      options.projectPath = TakeOptionValue(args, i);
    } else if (arg == "--save-project") {
      options.saveProjectPath = TakeOptionValue(args, i);
    } else if (arg == "--map") {
      options.mapPath = TakeOptionValue(args, i);
    } else if (!arg.empty() && arg[0] == '-') {
      FailCli(JoinText({"unknown option \"", arg, "\""}));
    } else if (options.inputPath.empty()) {
      options.inputPath = arg;
    } else {
      FailCli(JoinText({"unexpected argument \"", arg, "\""}));
    }
  }
  if (options.inputPath.empty()) FailCli("render needs an input PNG");
  if (options.outputPath.empty()) FailCli("render needs -o OUT.png");
  return options;
}

RgbaImage ReadImageOrFail(const std::string& path) {
  RgbaImage image;
  std::string error;
  if (!ReadPngFile(path, image, error)) FailCli(error);
  return image;
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  const RenderOptions options = ParseRenderOptions(args);
  const RgbaImage image = ReadImageOrFail(options.inputPath);
  OwnedFrame mapFrame;
  if (!options.mapPath.empty()) mapFrame = FrameFromImage(ReadImageOrFail(options.mapPath), options.depth);

  std::unique_ptr<ReferenceHost> host = OpenEffect(environment);
  std::string error;
  if (!options.projectPath.empty() && !LoadProject(*host, options.projectPath, error)) FailCli(error);
  for (const std::string& assignment : options.assignments) {
    if (!ApplyParamAssignment(host->instance, assignment, error)) FailCli(JoinText({"--set: ", error}));
  }
  HostFrame mapView = FrameView(mapFrame);
  if (!options.mapPath.empty()) SetMapLayer(*host, &mapView);

  OwnedFrame input = FrameFromImage(image, options.depth);
  OwnedFrame output = MakeFrame(image.width, image.height, options.depth);
  const HostError result = RenderFrame(*host, FrameView(input), FrameView(output), 0);
  if (result != kHostErrorNone) FailCli(JoinText({"the plug-in failed to render (error ", std::to_string(result), ")"}));

  if (!WritePngFile(options.outputPath, ImageFromFrame(FrameView(output)), error)) FailCli(error);
  if (!options.saveProjectPath.empty() && !SaveProject(*host, options.saveProjectPath, error)) FailCli(error);
  return 0;
}
