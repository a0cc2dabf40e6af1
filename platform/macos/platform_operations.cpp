// The desktop operations on macOS, without window-system code of our own:
// the prompt and the alerts run the osascript tool through a pipe, and the
// temporary directory comes from TMPDIR.
//
// Every command line is a fixed text chosen by the message; nothing the user
// typed or chose ever goes into one, so the shell interprets no user text.
#include "overlay_export/platform_operations.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kAnswerSize = 1024;

const char* PromptCommandLine(SavePrompt prompt) {
  switch (prompt) {
    case SavePrompt::kExportSvg:
      return "osascript -e 'POSIX path of (choose file name with prompt \"Save Spindrel SVG\" default name "
             "\"Spindrel_paths.svg\" default location (path to desktop))' 2>/dev/null";
    case SavePrompt::kExportJson:
      break;
  }
  return "osascript -e 'POSIX path of (choose file name with prompt \"Save Spindrel JSON\" default name "
         "\"Spindrel_paths.json\" default location (path to desktop))' 2>/dev/null";
}

const char* AlertCommandLine(AlertMessage message) {
  switch (message) {
    case AlertMessage::kNoDataExportJson:
      return "osascript -e 'display alert \"Spindrel\" message \"No path data cached. Preview at least one "
             "frame first.\"' 2>/dev/null";
    case AlertMessage::kNoDataExportSvg:
    case AlertMessage::kNoDataShapeLayer:
      return "osascript -e 'display alert \"Spindrel\" message \"No path data cached. Preview at least one "
             "frame with the Spindrel effect active first.\"' 2>/dev/null";
    case AlertMessage::kExportedJson:
      return "osascript -e 'display alert \"Spindrel\" message \"JSON Exported Successfully!\"' 2>/dev/null";
    case AlertMessage::kExportedSvg:
      return "osascript -e 'display alert \"Spindrel\" message \"SVG Exported Successfully!\"' 2>/dev/null";
    case AlertMessage::kExportJsonFailed:
      return "osascript -e 'display alert \"Spindrel\" message \"The JSON file could not be written. No file "
             "was created or replaced.\"' 2>/dev/null";
    case AlertMessage::kExportSvgFailed:
      return "osascript -e 'display alert \"Spindrel\" message \"The SVG file could not be written. No file "
             "was created or replaced.\"' 2>/dev/null";
  }
  return nullptr;
}

}  // namespace

SaveAnswer AskSavePath(SavePrompt prompt) {
  FILE* pipe = popen(PromptCommandLine(prompt), "r");
  // No pipe or no process for the tool: the prompt was never shown.
  if (pipe == nullptr) return {SaveAnswerKind::kNotShown, ""};
  // The whole first line, however long: a path that the commands cannot keep
  // must reach them whole so that they refuse it instead of writing a
  // shortened one somewhere else.
  std::string path;
  char answer[kAnswerSize] = {};
  while (std::fgets(answer, kAnswerSize, pipe) != nullptr) {
    path += answer;
    if (!path.empty() && path.back() == '\n') {
      path.pop_back();  // one newline only: a name ending in spaces keeps them
      break;
    }
  }
  pclose(pipe);  // waits for the tool to end
  if (path.empty()) return {};  // cancelled, or the tool failed
  return {SaveAnswerKind::kChosen, path};
}

void ShowAlert(AlertMessage message) {
  const char* commandLine = AlertCommandLine(message);
  if (commandLine == nullptr) return;
  // Closing the pipe waits until the user has dismissed the alert.
  if (FILE* pipe = popen(commandLine, "r")) pclose(pipe);
}

std::string TempFilePath(const char* fileName) {
  const char* directory = std::getenv("TMPDIR");
  if (directory == nullptr || directory[0] == '\0') directory = "/tmp";
  // A trailing slash stays: "/var/folders/x/T/" gives ".../T//name".
  return std::string(directory) + "/" + fileName;
}
