// What the reference host and its desktop stand-in (zenity_standin.cpp)
// exchange. The host makes a private directory for it (mode 0700) and names
// it in SPINDREL_DESKTOP_DIR; nothing else travels in the environment, so an
// answer of any length reaches the stand-in. In that directory:
//   answer  the path the next save prompt is answered with, written by the
//           host (empty or missing: the user cancels);
//   events  one line per dialog the stand-in played, appended by it:
//           prompt<TAB>TITLE<TAB>ANSWER   alert<TAB>CAPTION<TAB>TEXT
//           refused<TAB>ARGUMENTS
//           with each newline inside a text written as "\n".
#pragma once

#include <string>
#include <string_view>

inline constexpr char kDesktopDirectoryVariable[] = "SPINDREL_DESKTOP_DIR";
inline constexpr char kDesktopAnswerFile[] = "answer";
inline constexpr char kDesktopEventsFile[] = "events";

// A text as it stands in a record: on one line.
inline std::string RecordText(std::string_view text) {
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

inline std::string PromptRecord(std::string_view title, std::string_view answer) {
  return "prompt\t" + RecordText(title) + "\t" + RecordText(answer);
}

inline std::string AlertRecord(std::string_view caption, std::string_view text) {
  return "alert\t" + RecordText(caption) + "\t" + RecordText(text);
}

inline constexpr std::string_view kRefusedRecordStart = "refused\t";
