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
std::string ReportLine(const std::string& record) {
  const size_t first = record.find('\t');
  const std::string kind = record.substr(0, first);
  if (first == std::string::npos) return "refused: " + record;
  const std::string rest = record.substr(first + 1);
  const size_t second = rest.find('\t');
  if (kind == "prompt" && second != std::string::npos) {
    const std::string answer = rest.substr(second + 1);
    return JoinText({"prompt: ", rest.substr(0, second), " -> ", answer.empty() ? "cancelled" : answer});
  }
  if (kind == "alert" && second != std::string::npos)
    return JoinText({"alert: ", rest.substr(0, second), ": ", rest.substr(second + 1)});
  return JoinText({"refused: ", rest});
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

std::vector<std::string> PressWithDesktop(DesktopStandIn& desktop, ReferenceHost& host, int32_t paramId,
                                          const std::string& answer) {
  setenv(kAnswerVariable, answer.c_str(), 1);
  std::error_code ignored;
  std::filesystem::remove(desktop.logPath, ignored);
  const HostError error = PressButton(host, paramId);
  if (error != kHostErrorNone) FailCli(JoinText({"the effect answered the button with error ", std::to_string(error)}));
  std::vector<std::string> lines;
  std::ifstream log(desktop.logPath);
  for (std::string record; std::getline(log, record);) lines.push_back(ReportLine(record));
  return lines;
}
