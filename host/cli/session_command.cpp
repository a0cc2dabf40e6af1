// spindrel session: one process for a whole editing session. Actions come
// one per line from standard input or --actions FILE and run in order; each
// prints one line: "NAME: result" on standard output, or, when it fails,
// "spindrel: line N: NAME: reason" on standard error. A failed line changes
// nothing and the session goes on with the next one, as typing at the host
// would; the exit status is then 1. Blank lines and lines starting with '#'
// are skipped. At the end --save-project saves the values the session left.
//
// When a result cannot be written to standard output, nothing more can be
// reported: the session says so on standard error and stops, acting on no
// further line, saving no project, and exits with 1.
#include <fstream>

#include "host/cli/action_lines.h"
#include "host/cli/cli_support.h"
#include "host/cli/editing_session.h"
#include "host/cli/session_actions.h"
#include "host/frame_buffer.h"
#include "host/frame_resample.h"
#include "host/param_value_text.h"
#include "host/cli/safe_output.h"
#include "host/project_file.h"
#include "host/text_join.h"

namespace {

struct SessionOptions {
  EffectOptions effect;
  std::string actionsPath;
  std::string saveProjectPath;
  int32_t downsample = 1;
  WindowLayout layout;
};

// "A,B" as two finite numbers.
bool ParseNumberPair(const std::string& text, double& first, double& second) {
  const size_t comma = text.find(',');
  return comma != std::string::npos && ParseDouble(std::string_view(text).substr(0, comma), first) &&
         ParseDouble(std::string_view(text).substr(comma + 1), second);
}

// "A,B", or "A" alone for both.
bool ParseOneOrTwoNumbers(const std::string& text, double& first, double& second) {
  if (text.find(',') != std::string::npos) return ParseNumberPair(text, first, second);
  if (!ParseDouble(text, first)) return false;
  second = first;
  return true;
}

void ParseCompSize(const std::string& text, WindowLayout& layout) {
  const size_t x = text.find('x');
  if (x == std::string::npos) FailCli(JoinText({"--comp-size: \"", text, "\" is not WIDTHxHEIGHT"}));
  layout.compWidth = ParseIntOption("--comp-size", text.substr(0, x));
  layout.compHeight = ParseIntOption("--comp-size", text.substr(x + 1));
  if (layout.compWidth < 1 || layout.compHeight < 1) FailCli("--comp-size must be at least 1x1");
  if (layout.compWidth > kMaxFrameSide || layout.compHeight > kMaxFrameSide) {
    FailCli(JoinText({"--comp-size ", text, " is larger than the host's largest frame, ", std::to_string(kMaxFrameSide),
                      " x ", std::to_string(kMaxFrameSide), " pixels"}));
  }
}

SessionOptions ParseSessionOptions(const std::vector<std::string>& args) {
  SessionOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    PlaneTransform& placement = options.layout.layerInComp;
    if (arg == "--actions") {
      options.actionsPath = TakeOptionValue(args, i);
    } else if (arg == "--save-project") {
      options.saveProjectPath = TakeOptionValue(args, i);
    } else if (arg == "--downsample") {
      options.downsample = ParseIntOption(arg, TakeOptionValue(args, i));
      if (options.downsample < 1 || options.downsample > kMaxDownsample) {
        FailCli(JoinText({"--downsample must be 1 to ", std::to_string(kMaxDownsample), ", got ", args[i]}));
      }
    } else if (arg == "--comp-size") {
      ParseCompSize(TakeOptionValue(args, i), options.layout);
    } else if (arg == "--layer-offset") {
      if (!ParseNumberPair(TakeOptionValue(args, i), placement.offsetX, placement.offsetY)) {
        FailCli(JoinText({"--layer-offset: \"", args[i], "\" is not X,Y in pixels"}));
      }
    } else if (arg == "--layer-scale") {
      if (!ParseOneOrTwoNumbers(TakeOptionValue(args, i), placement.scaleX, placement.scaleY) ||
          !IsUsableTransform(placement)) {
        FailCli(JoinText({"--layer-scale: \"", args[i], "\" is not a scale above 0 (S or SX,SY)"}));
      }
    } else if (!TakeEffectOption(args, i, options.effect)) {
      FailCli(JoinText({"unknown option \"", arg, "\""}));
    }
  }
  if (options.effect.inputPath.empty()) FailCli("session needs an input PNG");
  return options;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

std::string LinePrefix(int64_t lineNumber) { return JoinText({"spindrel: line ", std::to_string(lineNumber), ": "}); }

enum class LineOutcome { kDone, kFailed, kOutputLost };

// One line. A failure's reason is on err; when the result could not be
// written, `reason` says why (empty when the system gave no reason).
LineOutcome RunActionLine(EditingSession& session, std::string_view line, int64_t lineNumber,
                          const CliEnvironment& env, std::string& reason) {
  const size_t blank = line.find_first_of(" \t");
  const std::string_view name = line.substr(0, blank);
  const std::string_view argument = blank == std::string_view::npos ? std::string_view() : Trimmed(line.substr(blank));
  const std::string where = LinePrefix(lineNumber);
  const SessionAction* action = FindSessionAction(name);
  if (action == nullptr) {
    *env.streams.err << where << "unknown action \"" << name << "\" (help lists them)\n" << std::flush;
    return LineOutcome::kFailed;
  }
  std::string result;
  try {
    result = action->run(session, argument);
  } catch (const CliFailure& failure) {
    *env.streams.err << where << name << ": " << failure.message << "\n" << std::flush;
    return LineOutcome::kFailed;
  } catch (const std::exception& exception) {
    *env.streams.err << where << name << ": " << exception.what() << "\n" << std::flush;
    return LineOutcome::kFailed;
  }
  const bool written = TryWriteAnswer(*env.streams.out, JoinText({name, ": ", result, "\n"}), reason);
  return written ? LineOutcome::kDone : LineOutcome::kOutputLost;
}

}  // namespace

int SessionCommand(const std::vector<std::string>& args, const CliEnvironment& environment) {
  const SessionOptions options = ParseSessionOptions(args);
  std::ifstream actionsFile;
  std::istream* actions = environment.streams.in;
  if (!options.actionsPath.empty()) {
    actionsFile.open(options.actionsPath);
    if (!actionsFile) FailCli(JoinText({"cannot read the actions in ", options.actionsPath}));
    actions = &actionsFile;
  }
  if (actions == nullptr) FailCli("session reads its actions from standard input or --actions FILE");
  std::vector<GuardedInput> inputs = GuardedEffectInputs(options.effect);
  AddGuardedInput(inputs, "the --actions file", options.actionsPath);
  // Checked before the first action; written when the session ends.
  OutputBatch projectBatch;
  projectBatch.inputs = inputs;
  size_t projectIndex = 0;
  std::string error;
  if (!options.saveProjectPath.empty() && !AddOutput(projectBatch, options.saveProjectPath, projectIndex, error, true)) {
    FailCli(JoinText({"--save-project: ", error}));
  }

  EditingSession session;
  OpenEditingSession(session, environment, options.effect, options.downsample, options.layout);
  session.inputs = std::move(inputs);
  std::ostream& err = *environment.streams.err;
  bool allSucceeded = true;
  int64_t lineNumber = 0;
  std::string line;
  std::vector<char> lineBuffer;
  for (ActionLineRead read; (read = ReadActionLine(*actions, lineBuffer, line)) != ActionLineRead::kEnd;) {
    ++lineNumber;
    if (read == ActionLineRead::kTooLong) {
      err << LinePrefix(lineNumber) << "longer than " << kMaxActionLineBytes
          << " bytes, the most an action line may hold; skipped\n" << std::flush;
      SkipRestOfLine(*actions);
      allSucceeded = false;
      continue;
    }
    const std::string_view action = Trimmed(line);
    if (action.empty() || action.front() == '#') continue;
    std::string reason;
    const LineOutcome outcome = RunActionLine(session, action, lineNumber, environment, reason);
    if (outcome == LineOutcome::kOutputLost) {
      err << LinePrefix(lineNumber) << "standard output could not be written"
          << (reason.empty() ? std::string() : JoinText({" (", reason, ")"})) << "; the session stops\n" << std::flush;
      return 1;
    }
    if (outcome == LineOutcome::kFailed) allSucceeded = false;
  }
  if (actions->bad()) FailCli("reading the actions failed");
  if (!options.saveProjectPath.empty() &&
      (!WriteOutput(projectBatch, projectIndex, ProjectText(*session.effect.host), error) ||
       !CommitOutputs(projectBatch, error))) {
    FailCli(error);
  }
  return allSucceeded ? 0 : 1;
}
