// The desktop operations on Linux: zenity, else kdialog, with fixed argument
// vectors. Without a desktop (neither tool found, or the tool cannot show
// itself) a save prompt counts as cancelled and an alert goes to standard
// error as one line "CAPTION: TEXT".
#include "overlay_export/platform_operations.h"

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "overlay_export/export_texts.h"
#include "platform/linux/dialog_tool.h"

namespace {

// The description and pattern pairs of a Windows filter list.
std::vector<std::pair<std::string, std::string>> FileTypePairs(const SavePromptFields& fields) {
  std::vector<std::pair<std::string, std::string>> pairs;
  const char* next = fields.fileTypes;
  while (*next != '\0') {
    std::string description = next;
    next += description.size() + 1;
    std::string pattern = next;
    next += pattern.size() + 1;
    pairs.emplace_back(std::move(description), std::move(pattern));
  }
  return pairs;
}

std::vector<std::string> ZenitySaveArguments(const SavePromptFields& fields) {
  std::vector<std::string> arguments = {"zenity", "--file-selection", "--save", "--confirm-overwrite",
                                        std::string("--title=") + fields.title,
                                        std::string("--filename=") + fields.defaultFileName};
  for (const auto& [description, pattern] : FileTypePairs(fields))
    arguments.push_back("--file-filter=" + description + " | " + pattern);
  return arguments;
}

std::vector<std::string> KdialogSaveArguments(const SavePromptFields& fields) {
  std::string filter;
  for (const auto& [description, pattern] : FileTypePairs(fields)) {
    if (!filter.empty()) filter += "\n";
    filter += pattern + "|" + description;
  }
  return {"kdialog", "--title", fields.title, "--getsavefilename", fields.defaultFileName, filter};
}

// The chosen path, or empty for cancel. A tool that cannot be found lets the
// next one try; one that ran and did not answer 0 was cancelled or could
// not show itself.
std::string PathAnswer(const DialogToolRun& run) {
  if (run.exitStatus != 0) return {};
  std::string path = run.output;
  if (!path.empty() && path.back() == '\n') path.pop_back();
  return path;
}

void WriteAlertLine(const AlertText& alert) {
  std::string line = std::string(alert.caption) + ": ";
  // Blank lines between sentences become one space.
  for (const char* c = alert.text; *c != '\0'; ++c) {
    if (*c != '\n') {
      line += *c;
    } else if (line.back() != ' ') {
      line += ' ';
    }
  }
  line += '\n';
  // One write, so that lines of concurrent writers do not interleave.
  [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace

std::string AskSavePath(SavePrompt prompt) {
  const SavePromptFields& fields = SavePromptFieldsFor(prompt);
  const DialogToolRun zenity = RunDialogTool(ZenitySaveArguments(fields));
  if (zenity.started) return PathAnswer(zenity);
  return PathAnswer(RunDialogTool(KdialogSaveArguments(fields)));
}

void ShowAlert(AlertMessage message) {
  const AlertText alert = AlertTextFor(message);
  DialogToolRun run = RunDialogTool(
      {"zenity", "--info", std::string("--title=") + alert.caption, std::string("--text=") + alert.text,
       "--no-markup"});
  if (!run.started) run = RunDialogTool({"kdialog", "--title", alert.caption, "--msgbox", alert.text});
  // Dismissed answers 0; anything else may mean nobody saw it.
  if (run.exitStatus != 0) WriteAlertLine(alert);
}

std::string TempFilePath(const char* fileName) {
  const char* directory = std::getenv("TMPDIR");
  if (directory == nullptr || directory[0] == '\0') directory = "/tmp";
  return std::string(directory) + "/" + fileName;
}
