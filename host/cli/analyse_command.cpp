// spindrel analyse: what the render's analysis stages made of one input, as
// files (see analysis_files.h), to see why a letter traced the way it did.
// The stages run here, in this process, with the parameter array the host
// builds for a render at the chosen time: the same functions as the render.
#include <iterator>

#include "host/cli/analysis_files.h"
#include "host/cli/cli_support.h"
#include "host/cli/effect_options.h"
#include "host/cli/png_image.h"
#include "host/cli/safe_output.h"
#include "host/text_join.h"
#include "model/param_ids.h"
#include "model/read_render_settings.h"
#include "render/render_command.h"

namespace {

struct AnalyseOptions {
  EffectOptions effect;
  std::string outputPath;  // the directory
};

AnalyseOptions ParseAnalyseOptions(const std::vector<std::string>& args) {
  AnalyseOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-o" || arg == "--output") {
      options.outputPath = TakeOptionValue(args, i);
    } else if (!TakeEffectOption(args, i, options.effect)) {
      FailCli(JoinText({"unknown option \"", arg, "\""}));
    }
  }
  if (options.effect.inputPath.empty()) FailCli("analyse needs an input PNG");
  if (options.outputPath.empty()) FailCli("analyse needs -o DIR/");
  return options;
}

RenderAnalysis RunAnalysis(EffectSession& session) {
  const HostFrame input = FrameView(session.input);
  RenderAnalysis analysis;
  RunWithCommandParams(*session.host, &input, session.time, [&](HostInData& in, HostParamDef* params[]) {
    const RenderSettings settings = ReadRenderSettings(params);
    analysis = RunAnalysisStages(in, params, params[PARAM_INPUT]->u.layer, settings, true);
    return kHostErrorNone;
  });
  return analysis;
}

// The files in the order written; each is added to the batch before the
// analysis runs, so a refused name stops the command before any work.
constexpr const char* kAnalysisFileNames[] = {"sampled_mask.png", "closed_mask.png", "skeleton.png",
                                              "distance_field.pfm", "chains.json"};

std::string AnalysisFileBytes(size_t file, const RenderAnalysis& analysis) {
  std::string bytes;
  std::string error;
  const ByteMask* masks[] = {&analysis.sampledMask, &analysis.closedMask, &analysis.skeleton};
  if (file < 3) {
    if (!EncodePng(MaskImage(*masks[file]), bytes, error)) FailCli(JoinText({"cannot make ", kAnalysisFileNames[file], ": ", error}));
  } else if (file == 3) {
    if (!FloatImagePfm(analysis.maskWidth, analysis.maskHeight, analysis.field.values, bytes)) {
      FailCli("the analysis made no distance field to write");
    }
  } else {
    bytes = ChainsJsonText(analysis);
  }
  return bytes;
}

}  // namespace

int AnalyseCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  const AnalyseOptions options = ParseAnalyseOptions(args);
  const EffectInputs inputs = CheckEffectInputs(options.effect, {.outputFiles = std::size(kAnalysisFileNames)});
  OutputBatch batch;
  batch.inputs = GuardedEffectInputs(options.effect);
  std::string error;
  if (!PrepareOutputDirectory(batch, options.outputPath, error)) FailCli(error);
  for (const char* name : kAnalysisFileNames) {
    size_t index = 0;
    if (!AddOutput(batch, OutputFilePath(options.outputPath, name), index, error)) FailCli(error);
  }
  EffectSession session = OpenEffectSession(environment, options.effect, inputs);
  const RenderAnalysis analysis = RunAnalysis(session);
  for (size_t file = 0; file < std::size(kAnalysisFileNames); ++file) {
    if (!WriteOutput(batch, file, AnalysisFileBytes(file, analysis), error)) FailCli(error);
  }
  if (!CommitOutputs(batch, error)) FailCli(error);
  return 0;
}
