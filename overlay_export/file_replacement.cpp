#include "overlay_export/file_replacement.h"

#include <cerrno>
#include <cstdio>

#include "overlay_export/platform_files.h"

namespace {

// Names tried beside the target; a name already taken is skipped, never
// overwritten.
constexpr int kTemporaryNameAttempts = 100;

}  // namespace

FileWriteResult ReplaceFileContents(const std::string& path, const std::string& contents) {
  std::string temporary;
  FILE* file = nullptr;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && file == nullptr; ++attempt) {
    temporary = path + ".part" + std::to_string(attempt);
    errno = 0;
    file = CreateNewTextFile(temporary.c_str());
    if (file == nullptr && errno != EEXIST) break;
  }
  if (file == nullptr) return FileWriteResult::kNotOpened;

  const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  const bool closed = CloseWrittenFile(file);
  if (written && closed && MoveFileIntoPlace(temporary.c_str(), path.c_str())) return FileWriteResult::kWritten;
  std::remove(temporary.c_str());
  return FileWriteResult::kFailed;
}
