#include "overlay_export/export_texts.h"

namespace {

// sizeof keeps the NULs inside the literals and the one the literal adds.
constexpr char kJsonTypes[] = "JSON file\0*.json\0All files\0*.*\0";
constexpr char kSvgTypes[] = "SVG file\0*.svg\0All files\0*.*\0";

constexpr SavePromptFields kJsonPrompt{"Save Spindrel JSON", "Spindrel_paths.json", kJsonTypes,
                                       sizeof kJsonTypes, "json"};
constexpr SavePromptFields kSvgPrompt{"Save Spindrel SVG", "Spindrel_paths.svg", kSvgTypes, sizeof kSvgTypes,
                                      "svg"};

}  // namespace

const SavePromptFields& SavePromptFieldsFor(SavePrompt prompt) {
  return prompt == SavePrompt::kExportSvg ? kSvgPrompt : kJsonPrompt;
}

AlertText AlertTextFor(AlertMessage message) {
  switch (message) {
    case AlertMessage::kNoDataExportJson:
      return {"No path data cached.\n\nPreview at least one frame first.", "Spindrel: Export JSON"};
    case AlertMessage::kNoDataExportSvg:
      return {"No path data cached.\n\nPreview at least one frame with the Spindrel effect active first.",
              "Spindrel: Export SVG"};
    case AlertMessage::kNoDataShapeLayer:
      return {"No path data cached.\n\nPreview at least one frame with the Spindrel effect active first.",
              "Spindrel: Create Shape Layer"};
    case AlertMessage::kExportedJson:
      return {"JSON Exported Successfully!", "Spindrel"};
    case AlertMessage::kExportedSvg:
      return {"SVG Exported Successfully!", "Spindrel"};
    case AlertMessage::kExportJsonFailed:
      return {"The JSON file could not be written.\n\nNo file was created or replaced.", "Spindrel: Export JSON"};
    case AlertMessage::kExportSvgFailed:
      return {"The SVG file could not be written.\n\nNo file was created or replaced.", "Spindrel: Export SVG"};
  }
  return {"", "Spindrel"};
}
