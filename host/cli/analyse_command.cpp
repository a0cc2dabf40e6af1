// spindrel analyse: what the render's analysis stages made of one input, as
// files (see analysis_files.h), to see why a letter traced the way it did.
// The stages run here, in this process, with the parameter array the host
// builds for a render at the chosen time: the same functions as the render.
#include <utility>

#include "host/cli/analysis_files.h"
#include "host/cli/cli_support.h"
#include "host/cli/effect_options.h"
#include "host/cli/output_directory.h"
#include "host/cli/png_image.h"
#include "host/text_join.h"
#include "render/render_settings_snapshot.h"
#include "shell/param_ids.h"

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

void WriteAnalysisFiles(OutputDirectory& directory, const RenderAnalysis& analysis) {
  std::string error;
  const auto written = [&](const std::string& path, bool ok) {
    if (!ok) {
      RemoveWrittenFiles(directory);
      FailCli(error);
    }
    RecordWrittenFile(directory, path);
  };
  const std::pair<const char*, const ByteMask*> masks[] = {
      {"sampled_mask.png", &analysis.sampledMask},
      {"closed_mask.png", &analysis.closedMask},
      {"skeleton.png", &analysis.skeleton},
  };
  for (const auto& [name, mask] : masks) {
    const std::string path = OutputFilePath(directory, name);
    written(path, WritePngFile(path, MaskImage(*mask), error));
  }
  const std::string fieldPath = OutputFilePath(directory, "distance_field.pfm");
  written(fieldPath,
          WriteFloatImagePfm(fieldPath, analysis.maskWidth, analysis.maskHeight, analysis.field, error));
  const std::string chainsPath = OutputFilePath(directory, "chains.json");
  written(chainsPath, WriteTextFile(chainsPath, ChainsJsonText(analysis), error));
}

}  // namespace

int AnalyseCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  const AnalyseOptions options = ParseAnalyseOptions(args);
  EffectSession session = OpenEffectSession(environment, options.effect);
  const RenderAnalysis analysis = RunAnalysis(session);
  OutputDirectory directory;
  OpenOutputDirectory(directory, options.outputPath);
  WriteAnalysisFiles(directory, analysis);
  return 0;
}
