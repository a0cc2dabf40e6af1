// The words of the save prompts and alerts as Windows shows them; the Linux
// dialogs show the same. macOS has texts of its own (platform/macos).
#pragma once

#include "overlay_export/platform_operations.h"

struct SavePromptFields {
  const char* title;
  const char* defaultFileName;
  // Description and pattern pairs, each text ending with a NUL, the list
  // ending with an extra NUL (the Windows filter list).
  const char* fileTypes;
  unsigned fileTypesSize;  // bytes of fileTypes including every NUL
  const char* defaultExtension;  // without the dot
};

struct AlertText {
  const char* text;
  const char* caption;
};

// Every prompt and every message, for those that must know them all (the
// reference host's desktop stand-in accepts exactly these).
inline constexpr SavePrompt kEverySavePrompt[] = {SavePrompt::kExportJson, SavePrompt::kExportSvg};
inline constexpr AlertMessage kEveryAlertMessage[] = {
    AlertMessage::kNoDataExportJson, AlertMessage::kNoDataExportSvg,  AlertMessage::kNoDataShapeLayer,
    AlertMessage::kExportedJson,     AlertMessage::kExportedSvg,      AlertMessage::kExportJsonFailed,
    AlertMessage::kExportSvgFailed};

const SavePromptFields& SavePromptFieldsFor(SavePrompt prompt);
AlertText AlertTextFor(AlertMessage message);
