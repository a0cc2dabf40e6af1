// The desktop operations on Linux: zenity, else kdialog, with fixed argument
// vectors. Without a desktop (neither tool found, or the tool cannot show
// itself) a save prompt counts as cancelled and an alert goes to standard
// error as one line "CAPTION: TEXT". A tool that is there but cannot be
// started (no descriptors or processes left, an environment too large) has
// not shown the prompt: that is no cancel.
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

// What a tool that ran answered: 0 with the path, anything else cancelled
// (or the tool could not show itself: no display).
SaveAnswer AnswerOfTool(const DialogToolRun& run) {
  SaveAnswer answer;
  if (run.exitStatus != 0) return answer;
  answer.path = run.output;
  if (!answer.path.empty() && answer.path.back() == '\n') answer.path.pop_back();
  if (!answer.path.empty()) answer.kind = SaveAnswerKind::kChosen;
  return answer;
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

SaveAnswer AskSavePath(SavePrompt prompt) {
  const SavePromptFields& fields = SavePromptFieldsFor(prompt);
  const DialogToolRun zenity = RunDialogTool(ZenitySaveArguments(fields));
  if (zenity.start == DialogToolStart::kStarted) return AnswerOfTool(zenity);
  const DialogToolRun kdialog = RunDialogTool(KdialogSaveArguments(fields));
  if (kdialog.start == DialogToolStart::kStarted) return AnswerOfTool(kdialog);
  // Neither installed: no desktop, as when nobody is there to answer. A tool
  // that is there and could not be started never asked the user.
  const bool neitherThere =
      zenity.start == DialogToolStart::kNotFound && kdialog.start == DialogToolStart::kNotFound;
  return {neitherThere ? SaveAnswerKind::kCancelled : SaveAnswerKind::kNotShown, ""};
}

void ShowAlert(AlertMessage message) {
  const AlertText alert = AlertTextFor(message);
  DialogToolRun run = RunDialogTool(
      {"zenity", "--info", std::string("--title=") + alert.caption, std::string("--text=") + alert.text,
       "--no-markup"});
  if (run.start != DialogToolStart::kStarted)
    run = RunDialogTool({"kdialog", "--title", alert.caption, "--msgbox", alert.text});
  // Dismissed answers 0; anything else may mean nobody saw it.
  if (run.exitStatus != 0) WriteAlertLine(alert);
}

std::string TempFilePath(const char* fileName) {
  const char* directory = std::getenv("TMPDIR");
  if (directory == nullptr || directory[0] == '\0') directory = "/tmp";
  return std::string(directory) + "/" + fileName;
}
