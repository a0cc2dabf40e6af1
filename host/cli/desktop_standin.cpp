#include "host/cli/desktop_standin.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "host/cli/cli_support.h"
#include "host/text_join.h"

namespace {

constexpr char kAnswerVariable[] = "SPINDREL_DESKTOP_ANSWER";
constexpr char kLogVariable[] = "SPINDREL_DESKTOP_LOG";

std::string LogPathForThisProcess() {
  static std::atomic<int> next{0};
  const std::string name = JoinText({"spindrel-desktop-", std::to_string(getpid()), "-",
                                     std::to_string(next.fetch_add(1)), ".log"});
  return (std::filesystem::temp_directory_path() / name).string();
}

// "prompt<TAB>TITLE<TAB>ANSWER" and the like, as the stand-in writes them.
DesktopEvent EventOfRecord(const std::string& record) {
  DesktopEvent event;
  const size_t first = record.find('\t');
  const size_t second = first == std::string::npos ? first : record.find('\t', first + 1);
  const std::string kind = record.substr(0, first);
  if (second != std::string::npos && (kind == "prompt" || kind == "alert")) {
    event.kind = kind == "prompt" ? DesktopEvent::Kind::kPrompt : DesktopEvent::Kind::kAlert;
    event.title = record.substr(first + 1, second - first - 1);
    event.text = record.substr(second + 1);
  } else {
    event.text = kind == "refused" ? record.substr(first + 1) : record;
  }
  return event;
}

}  // namespace

DesktopStandIn::~DesktopStandIn() {
  setenv("PATH", savedPath.c_str(), 1);
  unsetenv(kAnswerVariable);
  unsetenv(kLogVariable);
  std::error_code ignored;
  std::filesystem::remove(logPath, ignored);
}

std::unique_ptr<DesktopStandIn> OpenDesktopStandIn(const std::string& programDirectory) {
  const std::string directory = JoinText({programDirectory, "/desktop"});
  if (access(JoinText({directory, "/zenity"}).c_str(), X_OK) != 0)
    FailCli(JoinText({"the host's desktop stand-in ", directory, "/zenity is missing (build the project)"}));
  auto desktop = std::make_unique<DesktopStandIn>();
  const char* path = std::getenv("PATH");
  desktop->savedPath = path != nullptr ? path : "";
  desktop->logPath = LogPathForThisProcess();
  setenv("PATH", JoinText({directory, ":", desktop->savedPath}).c_str(), 1);
  setenv(kLogVariable, desktop->logPath.c_str(), 1);
  return desktop;
}

void AnswerPromptsWith(DesktopStandIn& desktop, const std::string& answer) {
  setenv(kAnswerVariable, answer.c_str(), 1);
  std::error_code ignored;
  std::filesystem::remove(desktop.logPath, ignored);
}

std::vector<DesktopEvent> TakeDesktopEvents(DesktopStandIn& desktop) {
  std::vector<DesktopEvent> events;
  {
    std::ifstream log(desktop.logPath);
    for (std::string record; std::getline(log, record);) events.push_back(EventOfRecord(record));
  }
  std::error_code ignored;
  std::filesystem::remove(desktop.logPath, ignored);
  return events;
}
