// spindrel render: renders one PNG, or the frames of an animation, through
// the plug-in.
#include <algorithm>

#include "host/animation_render.h"
#include "host/cli/cli_support.h"
#include "host/cli/effect_options.h"
#include "host/cli/safe_output.h"
#include "host/cli/png_image.h"
#include "host/cli/progress_bar.h"
#include "host/host_error_text.h"
#include "host/project_file.h"
#include "host/text_join.h"

namespace {

constexpr int kMinFrameNumberDigits = 4;

struct RenderOptions {
  EffectOptions effect;
  std::string outputPath;       // the image, or the directory of the frames
  std::string saveProjectPath;  // values saved after a successful render, with its outputs
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
  const size_t digits = std::max<size_t>(kMinFrameNumberDigits, std::to_string(frameCount - 1).size());
  std::string number = std::to_string(frame);
  if (number.size() < digits) number.insert(0, digits - number.size(), '0');
  return JoinText({"frame_", number, ".png"});
}


// Added before the first frame, so that a target that cannot be written
// stops the run before any work; written after the last frame, which may
// have changed values.
void AddProjectOutput(OutputBatch& batch, const RenderOptions& options, size_t& index) {
  std::string error;
  if (!options.saveProjectPath.empty() && !AddOutput(batch, options.saveProjectPath, index, error, true)) {
    FailCli(JoinText({"--save-project: ", error}));
  }
}

void WriteProjectOutput(OutputBatch& batch, EffectSession& session, const RenderOptions& options, size_t index) {
  std::string error;
  if (!options.saveProjectPath.empty() && !WriteOutput(batch, index, ProjectText(*session.host), error)) {
    FailCli(error);
  }
}

std::string EncodeFrame(const HostFrame& frame, const std::string& path) {
  std::string bytes;
  std::string error;
  if (!EncodeFramePng(frame, bytes, error)) FailCli(JoinText({"cannot write ", path, ": ", error}));
  return bytes;
}

void RenderOneImage(const RenderOptions& options, const CliEnvironment& environment) {
  const EffectInputs inputs =
      CheckEffectInputs(options.effect, {.outputFiles = options.saveProjectPath.empty() ? 1u : 2u});
  OutputBatch batch;
  batch.inputs = GuardedEffectInputs(options.effect);
  std::string error;
  size_t imageIndex = 0;
  size_t projectIndex = 0;
  if (!AddOutput(batch, options.outputPath, imageIndex, error)) FailCli(error);
  AddProjectOutput(batch, options, projectIndex);
  EffectSession session = OpenEffectSession(environment, options.effect, inputs);
  OwnedFrame output = MakeFrame(session.input.width, session.input.height, options.effect.depth);
  const HostError result = RenderFrame(*session.host, FrameView(session.input), FrameView(output), session.time);
  if (result != kHostErrorNone) FailCli(DescribeRenderFailure(result, "the image"));
  if (!WriteOutput(batch, imageIndex, EncodeFrame(FrameView(output), options.outputPath), error)) FailCli(error);
  WriteProjectOutput(batch, session, options, projectIndex);
  if (!CommitOutputs(batch, error)) FailCli(error);
}

void RenderFrames(const RenderOptions& options, const CliEnvironment& environment) {
  // Without --threads, as many threads as the memory holds.
  const int32_t threads = options.threads > 0 ? options.threads : DefaultRenderThreads(options.frameCount);
  const EffectInputs inputs =
      CheckEffectInputs(options.effect, {.renders = std::min(threads, options.frameCount),
                                         .fewerWillDo = options.threads == 0,
                                         .outputFiles = static_cast<uint64_t>(options.frameCount) + 1});
  OutputBatch batch;
  batch.inputs = GuardedEffectInputs(options.effect);
  std::string error;
  if (!PrepareOutputDirectory(batch, options.outputPath, error)) FailCli(error);
  for (int32_t frame = 0; frame < options.frameCount; ++frame) {
    size_t index = 0;
    const std::string path = OutputFilePath(options.outputPath, FrameFileName(frame, options.frameCount));
    if (!AddOutput(batch, path, index, error)) FailCli(error);
  }
  size_t projectIndex = 0;
  AddProjectOutput(batch, options, projectIndex);
  EffectSession session = OpenEffectSession(environment, options.effect, inputs);

  ProgressBar progress;
  StartProgress(progress, environment.streams.showProgress ? environment.streams.err : nullptr, options.frameCount);
  const HostFrame input = FrameView(session.input);
  AnimationJob job;
  job.input = &input;
  job.depth = options.effect.depth;
  job.timing = options.effect.timing;
  job.frameCount = options.frameCount;
  job.threads = session.renders;
  // Frames are written as temporaries; they replace the previous run's only
  // once every frame is done.
  const AnimationFrameSink writeFrame = [&](int32_t frame, const HostFrame& output, std::string& reason) {
    std::string bytes;
    if (!EncodeFramePng(output, bytes, reason) ||
        !WriteOutput(batch, static_cast<size_t>(frame), bytes, reason)) {
      return false;
    }
    AdvanceProgress(progress);
    return true;
  };
  const bool rendered = RenderAnimation(*session.host, job, writeFrame, error);
  FinishProgress(progress);
  if (!rendered) FailCli(error);
  WriteProjectOutput(batch, session, options, projectIndex);
  if (!CommitOutputs(batch, error)) FailCli(error);
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  const RenderOptions options = ParseRenderOptions(args);
  if (options.frameCount > 0) {
    RenderFrames(options, environment);
  } else {
    RenderOneImage(options, environment);
  }
  return 0;
}
