// What render and analyse share: the input image, the effect's values
// (project, --set, --key), the Map Layer image and the time to look at.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/cli/cli_support.h"
#include "host/cli/input_guard.h"
#include "host/cli/png_image.h"
#include "host/cli/run_memory.h"
#include "host/frame_buffer.h"
#include "host/frame_timing.h"

struct EffectOptions {
  std::string inputPath;
  int32_t depth = 8;
  std::vector<std::string> assignments;  // "LABEL=VALUE", applied in order
  std::vector<std::string> keys;         // "LABEL=V0@T0,...", applied after the assignments
  std::string projectPath;               // values loaded before the assignments
  std::string mapPath;                   // the layer Map Layer checkouts return
  FrameTiming timing;                    // from --fps, 30 when not given
  bool fpsGiven = false;
  bool timeGiven = false;
  double timeSeconds = 0.0;  // --time
};

// Takes args[index] (and its value, advancing index) when it is a shared
// option or the input path; false for anything else.
bool TakeEffectOption(const std::vector<std::string>& args, size_t& index, EffectOptions& options);

// The files the options read, which no output of the run may be: the input
// image, and the Map Layer image and the project when given.
std::vector<GuardedInput> GuardedEffectInputs(const EffectOptions& options);

// What the inputs' headers and the run's memory allow (run_memory.h).
struct EffectInputs {
  int32_t renders = 1;  // that may run at once
  uint64_t inputPixels = 0;
  uint64_t mapPixels = 0;
};

// An editing session's draft factor and composition window, for the frames
// it keeps and the windows it draws.
struct PlannedWindows {
  int32_t downsample = 1;
  int32_t compWidth = 0;  // 0: the layer's size
  int32_t compHeight = 0;
};

// What a command means to do with the inputs, for the memory it needs.
struct PlannedRun {
  int32_t renders = 1;        // at once
  bool fewerWillDo = false;   // fewer renders at once, as many as fit, are fine too
  uint64_t outputFiles = 1;   // written in the run
  std::optional<PlannedWindows> windows = std::nullopt;  // a session's; render and analyse draw none
};

// What the run needs in memory for an input and a map (an empty header
// for none) of these sizes at `depth`.
RunMemoryPlan PlanRunMemory(const PngHeader& input, const PngHeader& map, int32_t depth, const PlannedRun& run);

// Reads the headers of the input and the map and checks that the run fits
// in the run's memory. Fails with one line. Cheap: commands call it before
// anything else.
EffectInputs CheckEffectInputs(const EffectOptions& options, const PlannedRun& run = {});

// The effect with every value applied and its layers read, ready to render.
struct EffectSession {
  int32_t renders = 1;  // that may run at once (see CheckEffectInputs)
  std::unique_ptr<ReferenceHost> host;
  OwnedFrame input;
  OwnedFrame map;   // empty without --map
  int32_t time = 0;  // --time in host units
};

// Reads the images checked by CheckEffectInputs, loads the module, applies
// the project, the assignments and the keys, and sets the Map Layer and the
// host's time scale; fails with one line before anything is written.
EffectSession OpenEffectSession(const CliEnvironment& environment, const EffectOptions& options,
                                const EffectInputs& inputs);
