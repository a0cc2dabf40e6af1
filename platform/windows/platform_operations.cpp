// The desktop operations on Windows: the common save dialog, a message box
// and the temporary directory, all through the ANSI functions.
#include "overlay_export/platform_operations.h"

#include <windows.h>
// commdlg.h needs windows.h before it.
#include <commdlg.h>

#include <cstring>

#include "overlay_export/export_texts.h"

static_assert(sizeof(OPENFILENAMEA) == 152, "the save dialog description has its x64 size");

namespace {

constexpr DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
static_assert(kSaveDialogFlags == 0x80A);
constexpr UINT kAlertType = MB_OK | MB_ICONINFORMATION;
static_assert(kAlertType == 0x40);
constexpr DWORD kDialogPathSize = 260;

}  // namespace

SaveAnswer AskSavePath(SavePrompt prompt) {
  const SavePromptFields& fields = SavePromptFieldsFor(prompt);
  char file[kDialogPathSize] = {};
  std::strncpy(file, fields.defaultFileName, kDialogPathSize - 1);

  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = fields.fileTypes;
  dialog.nFilterIndex = 0;
  dialog.lpstrFile = file;
  dialog.nMaxFile = kDialogPathSize;
  dialog.lpstrTitle = fields.title;
  dialog.Flags = kSaveDialogFlags;
  dialog.lpstrDefExt = fields.defaultExtension;
  if (!GetSaveFileNameA(&dialog)) {
    // Zero is a cancel only when the dialog reports no error of its own (it
    // could not be created, or the chosen name does not fit the buffer).
    return {CommDlgExtendedError() != 0 ? SaveAnswerKind::kNotShown : SaveAnswerKind::kCancelled, ""};
  }
  file[kDialogPathSize - 1] = '\0';
  if (file[0] == '\0') return {};
  return {SaveAnswerKind::kChosen, file};
}

void ShowAlert(AlertMessage message) {
  const AlertText alert = AlertTextFor(message);
  MessageBoxA(nullptr, alert.text, alert.caption, kAlertType);
}

std::string TempFilePath(const char* fileName) {
  char directory[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(MAX_PATH + 1, directory);
  // Zero is a failure; a larger value is the size the path would need.
  if (length == 0 || length > MAX_PATH) return {};
  return std::string(directory, length) + fileName;
}
