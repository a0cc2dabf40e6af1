#include "host/cli/desktop_standin.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/cli/cli_support.h"
#include "host/cli/stop_cleanup.h"
#include "host/desktop/desktop_records.h"
#include "host/text_join.h"
#include "host/untrusted_text.h"
#include "overlay_export/export_texts.h"

namespace {

std::string FileIn(const DesktopStandIn& desktop, const char* name) {
  return JoinText({desktop.directory, "/", name});
}

// The record's event when it is one the stand-in may write now.
bool ExpectedEvent(const DesktopStandIn& desktop, const std::string& record, DesktopEvent& event) {
  for (SavePrompt prompt : kEverySavePrompt) {
    const char* title = SavePromptFieldsFor(prompt).title;
    if (record != PromptRecord(title, desktop.answer)) continue;
    event = {DesktopEvent::Kind::kPrompt, title, RecordText(desktop.answer)};
    return true;
  }
  for (AlertMessage message : kEveryAlertMessage) {
    const AlertText alert = AlertTextFor(message);
    if (record != AlertRecord(alert.caption, alert.text)) continue;
    event = {DesktopEvent::Kind::kAlert, alert.caption, RecordText(alert.text)};
    return true;
  }
  if (record.rfind(kRefusedRecordStart, 0) != 0) return false;
  event = {DesktopEvent::Kind::kRefused, "", record.substr(kRefusedRecordStart.size())};
  return true;
}

}  // namespace

DesktopStandIn::~DesktopStandIn() {
  setenv("PATH", savedPath.c_str(), 1);
  unsetenv(kDesktopDirectoryVariable);
  if (!directory.empty()) RemoveScratchDirectory(directory);
}

std::unique_ptr<DesktopStandIn> OpenDesktopStandIn(const std::string& programDirectory) {
  const std::string tools = JoinText({programDirectory, "/desktop"});
  if (access(JoinText({tools, "/zenity"}).c_str(), X_OK) != 0)
    FailCli(JoinText({"the host's desktop stand-in ", tools, "/zenity is missing (build the project)"}));
  auto desktop = std::make_unique<DesktopStandIn>();
  const char* path = std::getenv("PATH");
  desktop->savedPath = path != nullptr ? path : "";
  std::string error;
  desktop->directory = MakeScratchDirectory("desktop", error);
  if (desktop->directory.empty()) FailCli(JoinText({"cannot open the host's desktop stand-in: ", error}));
  setenv("PATH", JoinText({tools, ":", desktop->savedPath}).c_str(), 1);
  setenv(kDesktopDirectoryVariable, desktop->directory.c_str(), 1);
  return desktop;
}

void AnswerPromptsWith(DesktopStandIn& desktop, const std::string& answer) {
  std::error_code ignored;
  std::filesystem::remove(FileIn(desktop, kDesktopEventsFile), ignored);
  std::ofstream file(FileIn(desktop, kDesktopAnswerFile), std::ios::binary | std::ios::trunc);
  file << answer;
  file.close();
  if (!file) FailCli(JoinText({"cannot give the host's desktop stand-in its answer in ", desktop.directory}));
  desktop.answer = answer;
}

std::vector<DesktopEvent> TakeDesktopEvents(DesktopStandIn& desktop) {
  std::vector<std::string> records;
  {
    std::ifstream events(FileIn(desktop, kDesktopEventsFile), std::ios::binary);
    for (std::string record; std::getline(events, record);) records.push_back(record);
  }
  std::error_code ignored;
  std::filesystem::remove(FileIn(desktop, kDesktopEventsFile), ignored);
  std::vector<DesktopEvent> events;
  for (const std::string& record : records) {
    DesktopEvent event;
    if (!ExpectedEvent(desktop, record, event))
      FailCli(JoinText({"the host's desktop stand-in reported what no dialog of the effect shows: ",
                        QuotedExcerpt(record)}));
    events.push_back(std::move(event));
  }
  return events;
}
