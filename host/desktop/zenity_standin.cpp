// The reference host's desktop stand-in, installed as "zenity" in a
// directory that the host puts first on PATH while the effect may ask for a
// save path or show an alert. It plays the user at the desktop:
//  - a save prompt is answered with the path in the host's answer file
//    (printed with a newline, exit 0), or cancelled when that is empty or
//    missing (exit 1);
//  - an alert is dismissed at once (exit 0).
// Each call appends one record to the host's events file (desktop_records.h
// tells where both files are). It accepts exactly the command lines the
// effect's Linux desktop operations use and refuses anything else (exit
// 255), so a wrong command line fails the host's tests.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/desktop/desktop_records.h"
#include "overlay_export/export_texts.h"

namespace {

std::vector<std::string> SaveCommandLine(const SavePromptFields& f, const char* typeName, const char* pattern) {
  return {"--file-selection",
          "--save",
          "--confirm-overwrite",
          std::string("--title=") + f.title,
          std::string("--filename=") + f.defaultFileName,
          std::string("--file-filter=") + typeName + " | " + pattern,
          "--file-filter=All files | *.*"};
}

std::vector<std::string> AlertCommandLine(const AlertText& alert) {
  return {"--info", std::string("--title=") + alert.caption, std::string("--text=") + alert.text, "--no-markup"};
}

// A file of the host's directory; empty when the host named none.
std::string HostFile(const char* name) {
  const char* directory = std::getenv(kDesktopDirectoryVariable);
  if (directory == nullptr || directory[0] == '\0') return {};
  return std::string(directory) + "/" + name;
}

std::string ReadAnswer() {
  const std::string path = HostFile(kDesktopAnswerFile);
  if (path.empty()) return {};
  std::ifstream file(path, std::ios::binary);
  std::ostringstream answer;
  answer << file.rdbuf();
  return answer.str();
}

bool AppendRecord(const std::string& record) {
  const std::string path = HostFile(kDesktopEventsFile);
  if (path.empty()) return false;
  FILE* events = std::fopen(path.c_str(), "a");
  if (events == nullptr) return false;
  const bool written = std::fputs((record + "\n").c_str(), events) >= 0;
  return std::fclose(events) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  for (SavePrompt prompt : kEverySavePrompt) {
    const SavePromptFields& fields = SavePromptFieldsFor(prompt);
    const bool json = prompt == SavePrompt::kExportJson;
    if (arguments != SaveCommandLine(fields, json ? "JSON file" : "SVG file", json ? "*.json" : "*.svg")) continue;
    const std::string path = ReadAnswer();
    if (!AppendRecord(PromptRecord(fields.title, path))) return 255;
    if (path.empty()) return 1;
    std::printf("%s\n", path.c_str());
    return std::fflush(stdout) == 0 ? 0 : 255;
  }
  for (AlertMessage message : kEveryAlertMessage) {
    const AlertText alert = AlertTextFor(message);
    if (arguments != AlertCommandLine(alert)) continue;
    return AppendRecord(AlertRecord(alert.caption, alert.text)) ? 0 : 255;
  }
  std::string joined;
  for (const std::string& argument : arguments) {
    if (!joined.empty()) joined += ' ';
    joined += RecordText(argument);
  }
  AppendRecord(std::string(kRefusedRecordStart) + joined);
  std::fprintf(stderr, "zenity (Spindrel desktop stand-in): refused: %s\n", joined.c_str());
  return 255;
}
