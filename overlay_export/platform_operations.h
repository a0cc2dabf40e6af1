// What the export commands and Create Shape Layer ask of the desktop: a save
// prompt, a modal alert and the temporary directory. One realisation per
// platform (platform/windows, platform/macos, platform/linux).
//
// Callers name what they want to say, not the words: each platform picks
// its own text and caption for a message (macOS shows different texts from
// Windows; see overlay_export/export_texts.h for the Windows ones). Every
// operation blocks the calling thread until the user has answered; none of
// them may be called while a chain cache or selection lock is held.
#pragma once

#include <string>

enum class SavePrompt {
  kExportJson,
  kExportSvg,
};

enum class AlertMessage {
  kNoDataExportJson,   // Export JSON pressed before any chains were rendered
  kNoDataExportSvg,    // Export SVG pressed before any chains were rendered
  kNoDataShapeLayer,   // Create Shape Layer pressed before any chains were rendered
  kExportedJson,       // the JSON file was written completely
  kExportedSvg,        // the SVG file was written completely
  kExportJsonFailed,   // the JSON file could not be written completely
  kExportSvgFailed,    // the SVG file could not be written completely
};

// What became of a save prompt.
enum class SaveAnswerKind {
  kChosen,     // the user chose `path` (never empty)
  kCancelled,  // the user cancelled, or there is no desktop to ask on
  kNotShown,   // the desktop is there but the prompt could not be shown
};

struct SaveAnswer {
  SaveAnswerKind kind = SaveAnswerKind::kCancelled;
  std::string path;
};

// Asks the user where to save. The prompt lets the user type a new name and
// confirms before an existing file is replaced.
SaveAnswer AskSavePath(SavePrompt prompt);

// Shows the message with one OK button and returns once it was dismissed.
void ShowAlert(AlertMessage message);

// The path of `fileName` in the temporary directory, where the writers put
// their files when they are given no path.
std::string TempFilePath(const char* fileName);
