#include "overlay_export/chain_export_writers.h"

#include <string>

#include "overlay_export/chain_export_text.h"
#include "overlay_export/export_texts.h"
#include "overlay_export/platform_operations.h"

namespace {

FileWriteResult WriteExportFile(const char* path, const char* defaultName, const std::string& contents) {
  std::string target;
  if (path == nullptr || path[0] == '\0') {
    target = TempFilePath(defaultName);
    if (target.empty()) return FileWriteResult::kNotOpened;
  } else {
    target = path;
  }
  if (target.size() > kMaxWriterPathLength) return FileWriteResult::kFailed;
  return ReplaceFileContents(target, contents);
}

}  // namespace

FileWriteResult WriteChainsJson(const std::vector<ChainRecord>& records, int32_t width, int32_t height,
                                const char* path) {
  return WriteExportFile(path, SavePromptFieldsFor(SavePrompt::kExportJson).defaultFileName, PathsJsonText(records, width, height));
}

FileWriteResult WriteChainsSvg(const std::vector<ChainRecord>& records, int32_t width, int32_t height,
                               int32_t strokeWidth, const char* path) {
  return WriteExportFile(path, SavePromptFieldsFor(SavePrompt::kExportSvg).defaultFileName, PathsSvgText(records, width, height, strokeWidth));
}
