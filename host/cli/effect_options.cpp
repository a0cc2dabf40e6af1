#include "host/cli/effect_options.h"

#include <algorithm>
#include <array>

#include "host/cli/memory_limit.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"
#include "host/project_file.h"
#include "host/text_join.h"
#include "model/param_ids.h"

namespace {

// The merge and reverse slots: the chain-editing buttons write chain numbers
// into them unlimited, past the sliders' 99 for chains after the 99th, and
// a project keeps what they wrote.
constexpr std::array<int32_t, 3 * kMergeSlotCount> kChainNumberSliders = [] {
  std::array<int32_t, 3 * kMergeSlotCount> ids{};
  for (int32_t i = 0; i < 3 * kMergeSlotCount; ++i) ids[static_cast<size_t>(i)] = PARAM_SLOT1_CHAIN_A + i;
  return ids;
}();
static_assert(kChainNumberSliders.back() == PARAM_REV_SLOT5);

RgbaImage ReadImageOrFail(const std::string& path, uint64_t pixels) {
  RgbaImage image;
  std::string error;
  if (!ReadPngFile(path, image, error, pixels)) FailCli(error);
  return image;
}

uint64_t PixelsOf(const PngHeader& header) {
  return static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.height);
}

PngHeader ReadHeaderOrFail(const std::string& path) {
  PngHeader header;
  std::string error;
  if (!ReadPngHeader(path, header, error)) FailCli(error);
  return header;
}

uint64_t ReducedPixels(const PngHeader& header, int32_t downsample) {
  const auto factor = static_cast<uint64_t>(downsample);
  const auto side = [&](int32_t length) { return (static_cast<uint64_t>(length) + factor - 1) / factor; };
  return side(header.width) * side(header.height);
}

// The frames a session keeps beside the render's and the larger of its windows.
void AddSessionWindows(RunMemoryPlan& plan, const PlannedWindows& windows, const PngHeader& input,
                       const PngHeader& map) {
  const uint64_t layer = ReducedPixels(input, windows.downsample);
  plan.heldFramePixels = 2 * layer + (plan.mapPixels > 0 ? ReducedPixels(map, windows.downsample) : 0);
  const uint64_t composition = windows.compWidth > 0 ? static_cast<uint64_t>(windows.compWidth) *
                                                           static_cast<uint64_t>(windows.compHeight)
                                                     : plan.inputPixels;
  plan.windowPixels = std::max(composition, plan.inputPixels);
}

// How many renders at once fit; fails with the figures when too few do.
int32_t CheckRunMemory(const EffectOptions& options, const RunMemoryPlan& plan, const PngHeader& input,
                       const PlannedRun& run) {
  const MemoryLimit limit = RunMemoryLimit();
  const int32_t fit = RendersThatFit(plan, limit.bytes);
  if (fit == plan.renders || (run.fewerWillDo && fit > 0)) return fit;
  const std::string renders =
      plan.renders == 1 ? std::string() : JoinText({" on ", std::to_string(plan.renders), " threads"});
  const bool wideComposition = run.windows && run.windows->compWidth > 0;
  const std::string composition =
      wideComposition ? JoinText({" with a ", std::to_string(run.windows->compWidth), " x ",
                                  std::to_string(run.windows->compHeight), " composition window"})
                      : std::string();
  std::string hint = fit > 0 ? JoinText({"--threads ", std::to_string(fit), " or less would fit"})
                             : JoinText({"a smaller ", wideComposition ? "--comp-size, a smaller " : "",
                                         "image or a lower --depth needs less"});
  FailCli(JoinText({run.windows ? "a session on " : "rendering ", options.inputPath, " (", std::to_string(input.width),
                    " x ", std::to_string(input.height), " pixels) at ", std::to_string(options.depth), " bits",
                    renders, composition, " needs about ", ByteCountText(EstimateRunBytes(plan)), ", more than the ",
                    ByteCountText(limit.bytes), " of ", limit.source, "; ", hint}));
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

std::vector<GuardedInput> GuardedEffectInputs(const EffectOptions& options) {
  std::vector<GuardedInput> inputs;
  AddGuardedInput(inputs, "the input image", options.inputPath);
  AddGuardedInput(inputs, "the --map image", options.mapPath);
  AddGuardedInput(inputs, "the --project file", options.projectPath, true);
  return inputs;
}

RunMemoryPlan PlanRunMemory(const PngHeader& input, const PngHeader& map, int32_t depth, const PlannedRun& run) {
  RunMemoryPlan plan{PixelsOf(input), PixelsOf(map), depth, run.renders, run.outputFiles};
  if (run.windows) AddSessionWindows(plan, *run.windows, input, map);
  return plan;
}

EffectInputs CheckEffectInputs(const EffectOptions& options, const PlannedRun& run) {
  const PngHeader input = ReadHeaderOrFail(options.inputPath);
  const PngHeader map = options.mapPath.empty() ? PngHeader{} : ReadHeaderOrFail(options.mapPath);
  const RunMemoryPlan plan = PlanRunMemory(input, map, options.depth, run);
  return EffectInputs{CheckRunMemory(options, plan, input, run), plan.inputPixels, plan.mapPixels};
}

EffectSession OpenEffectSession(const CliEnvironment& environment, const EffectOptions& options,
                                const EffectInputs& inputs) {
  EffectSession session;
  if (!SecondsToTime(options.timeSeconds, options.timing, session.time)) {
    FailCli("--time lies beyond the host's time range");
  }
  session.renders = inputs.renders;
  session.input = FrameFromImage(ReadImageOrFail(options.inputPath, inputs.inputPixels), options.depth);
  if (!options.mapPath.empty()) {
    session.map = FrameFromImage(ReadImageOrFail(options.mapPath, inputs.mapPixels), options.depth);
  }

  session.host = OpenEffect(environment);
  ReferenceHost& host = *session.host;
  host.timeScale = options.timing.timeScale;
  host.timeStep = options.timing.timeStep;
  std::string error;
  if (!options.projectPath.empty() && !LoadProject(host, options.projectPath, error, kChainNumberSliders)) {
    FailCli(error);
  }
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
