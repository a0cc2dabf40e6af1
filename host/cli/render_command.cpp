// spindrel render: renders one PNG, or the frames of an animation, through
// the plug-in.
#include <algorithm>
#include <cstdio>

#include "host/animation_render.h"
#include "host/cli/cli_support.h"
#include "host/cli/effect_options.h"
#include "host/cli/output_directory.h"
#include "host/cli/png_image.h"
#include "host/cli/progress_bar.h"
#include "host/project_file.h"
#include "host/text_join.h"

namespace {

constexpr int kMinFrameNumberDigits = 4;

struct RenderOptions {
  EffectOptions effect;
  std::string outputPath;       // the image, or the directory of the frames
  std::string saveProjectPath;  // values saved after a successful render
  int32_t frameCount = 0;       // 0: one image
  int32_t threads = 0;          // 0: DefaultRenderThreads
};

RenderOptions ParseRenderOptions(const std::vector<std::string>& args) {
  RenderOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--output") {
      options.outputPath = TakeOptionValue(args, i);
    } else if (arg == "--save-project") {
      options.saveProjectPath = TakeOptionValue(args, i);
    } else if (arg == "--frames") {
      options.frameCount = ParseIntOption(arg, TakeOptionValue(args, i));
      if (options.frameCount < 1) FailCli(JoinText({"--frames must be 1 or more, got ", args[i]}));
    } else if (arg == "--threads") {
      options.threads = ParseIntOption(arg, TakeOptionValue(args, i));
      if (options.threads < 1) FailCli(JoinText({"--threads must be 1 or more, got ", args[i]}));
    } else if (!TakeEffectOption(args, i, options.effect)) {
      FailCli(JoinText({"unknown option \"", arg, "\""}));
    }
  }
  if (options.effect.inputPath.empty()) FailCli("render needs an input PNG");
  const bool animation = options.frameCount > 0;
  if (options.outputPath.empty()) FailCli(animation ? "render needs -o OUTDIR/" : "render needs -o OUT.png");
  if (animation && options.effect.timeGiven) FailCli("--time renders one image; an animation starts at 0");
  if (animation && !options.effect.fpsGiven) FailCli("--frames needs --fps");
  if (!animation && options.threads > 0) FailCli("--threads needs --frames");
  int32_t lastTime = 0;
  if (animation && !FrameStartTime(options.frameCount - 1, options.effect.timing, lastTime)) {
    FailCli("--frames: the last frame lies beyond the host's time range at this frame rate");
  }
  return options;
}

// frame_0000.png ...: at least four digits, more when the count needs them.
std::string FrameFileName(int32_t frame, int32_t frameCount) {
  const int digits = std::max(kMinFrameNumberDigits, static_cast<int>(std::to_string(frameCount - 1).size()));
  char name[64];
  std::snprintf(name, sizeof(name), "frame_%0*d.png", digits, frame);
  return name;
}

// After the render, which may have changed values; true when none was asked for.
bool SaveRequestedProject(EffectSession& session, const RenderOptions& options, std::string& error) {
  return options.saveProjectPath.empty() || SaveProject(*session.host, options.saveProjectPath, error);
}

void RenderOneImage(EffectSession& session, const RenderOptions& options) {
  OwnedFrame output = MakeFrame(session.input.width, session.input.height, options.effect.depth);
  const HostError result = RenderFrame(*session.host, FrameView(session.input), FrameView(output), session.time);
  if (result != kHostErrorNone) FailCli(JoinText({"the plug-in failed to render (error ", std::to_string(result), ")"}));
  std::string error;
  if (!WritePngFile(options.outputPath, ImageFromFrame(FrameView(output)), error)) FailCli(error);
  if (!SaveRequestedProject(session, options, error)) {
    RemovePartlyWrittenFile(options.outputPath);
    FailCli(error);
  }
}

void RenderFrames(EffectSession& session, const RenderOptions& options, const CliEnvironment& environment) {
  OutputDirectory directory;
  OpenOutputDirectory(directory, options.outputPath);
  ProgressBar progress;
  StartProgress(progress, environment.showProgress ? environment.err : nullptr, options.frameCount);

  const HostFrame input = FrameView(session.input);
  AnimationJob job;
  job.input = &input;
  job.depth = options.effect.depth;
  job.timing = options.effect.timing;
  job.frameCount = options.frameCount;
  job.threads = options.threads > 0 ? options.threads : DefaultRenderThreads(options.frameCount);
  const AnimationFrameSink writeFrame = [&](int32_t frame, const HostFrame& output, std::string& error) {
    const std::string path = OutputFilePath(directory, FrameFileName(frame, options.frameCount));
    if (!WritePngFile(path, ImageFromFrame(output), error)) return false;
    RecordWrittenFile(directory, path);
    AdvanceProgress(progress);
    return true;
  };
  std::string error;
  const bool rendered = RenderAnimation(*session.host, job, writeFrame, error);
  FinishProgress(progress);
  if (!rendered || !SaveRequestedProject(session, options, error)) {
    RemoveWrittenFiles(directory);
    FailCli(error);
  }
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  const RenderOptions options = ParseRenderOptions(args);
  EffectSession session = OpenEffectSession(environment, options.effect);
  if (options.frameCount > 0) {
    RenderFrames(session, options, environment);
  } else {
    RenderOneImage(session, options);
  }
  return 0;
}
