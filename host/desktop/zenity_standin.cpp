// The reference host's desktop stand-in, installed as "zenity" in a
// directory that the host puts first on PATH while the effect may ask for a
// save path or show an alert. It plays the user at the desktop:
//  - a save prompt is answered with the path in SPINDREL_DESKTOP_ANSWER
//    (printed with a newline, exit 0), or cancelled when that is empty or
//    unset (exit 1);
//  - an alert is dismissed at once (exit 0).
// Each call appends one line to the file named by SPINDREL_DESKTOP_LOG:
//   prompt<TAB>TITLE<TAB>ANSWER   alert<TAB>CAPTION<TAB>TEXT   refused<TAB>ARGUMENTS
// with newlines inside texts written as "\n". It accepts exactly the command
// lines the effect's Linux desktop operations use and refuses anything else
// (exit 255), so a wrong command line fails the host's tests.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "overlay_export/export_texts.h"

namespace {

constexpr SavePrompt kPrompts[] = {SavePrompt::kExportJson, SavePrompt::kExportSvg};
constexpr AlertMessage kAlerts[] = {AlertMessage::kNoDataExportJson, AlertMessage::kNoDataExportSvg,
                                    AlertMessage::kNoDataShapeLayer, AlertMessage::kExportedJson,
                                    AlertMessage::kExportedSvg,      AlertMessage::kExportJsonFailed,
                                    AlertMessage::kExportSvgFailed};

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

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

bool AppendLog(const std::string& line) {
  const char* logPath = std::getenv("SPINDREL_DESKTOP_LOG");
  if (logPath == nullptr || logPath[0] == '\0') return false;
  FILE* log = std::fopen(logPath, "a");
  if (log == nullptr) return false;
  const bool written = std::fputs((line + "\n").c_str(), log) >= 0;
  return std::fclose(log) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  for (SavePrompt prompt : kPrompts) {
    const SavePromptFields& fields = SavePromptFieldsFor(prompt);
    const bool json = prompt == SavePrompt::kExportJson;
    if (arguments != SaveCommandLine(fields, json ? "JSON file" : "SVG file", json ? "*.json" : "*.svg")) continue;
    const char* answer = std::getenv("SPINDREL_DESKTOP_ANSWER");
    const std::string path = answer != nullptr ? answer : "";
    if (!AppendLog(std::string("prompt\t") + fields.title + "\t" + Escaped(path))) return 255;
    if (path.empty()) return 1;
    std::printf("%s\n", path.c_str());
    return std::fflush(stdout) == 0 ? 0 : 255;
  }
  for (AlertMessage message : kAlerts) {
    const AlertText alert = AlertTextFor(message);
    if (arguments != AlertCommandLine(alert)) continue;
    return AppendLog(std::string("alert\t") + alert.caption + "\t" + Escaped(alert.text)) ? 0 : 255;
  }
  std::string joined;
  for (const std::string& argument : arguments) {
    if (!joined.empty()) joined += ' ';
    joined += Escaped(argument);
  }
  AppendLog("refused\t" + joined);
  std::fprintf(stderr, "zenity (Spindrel desktop stand-in): refused: %s\n", joined.c_str());
  return 255;
}
