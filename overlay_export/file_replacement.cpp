#include "overlay_export/file_replacement.h"

#include <cerrno>
#include <cstdio>

#include "overlay_export/platform_files.h"

namespace {

// Names tried beside the target; a name already taken is skipped, never
// overwritten.
constexpr int kTemporaryNameAttempts = 100;

// ".Spindrel-PID-N.tmp" in the target's directory: short whatever the
// target's name, so it fits wherever the target does.
std::string TemporaryPathBeside(const std::string& target, int attempt) {
  return target.substr(0, DirectoryPartLength(target)) + ".Spindrel-" + std::to_string(CurrentProcessNumber()) +
         "-" + std::to_string(attempt) + ".tmp";
}

}  // namespace

FileWriteResult ReplaceFileContents(const std::string& path, const std::string& contents) {
  if (InspectReplaceTarget(path.c_str()) == ReplaceTarget::kRefused) return FileWriteResult::kRefused;
  std::string temporary;
  FILE* file = nullptr;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && file == nullptr; ++attempt) {
    temporary = TemporaryPathBeside(path, attempt);
    errno = 0;
    file = CreateNewTextFile(temporary.c_str());
    if (file == nullptr && errno != EEXIST) break;
  }
  if (file == nullptr) return FileWriteResult::kNotOpened;

  const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
  const bool closed = CloseWrittenFile(file);
  // Looked at again: something else may have taken the target's place while
  // the file was written.
  if (written && closed && InspectReplaceTarget(path.c_str()) != ReplaceTarget::kRefused &&
      MoveFileIntoPlace(temporary.c_str(), path.c_str())) {
    return FileWriteResult::kWritten;
  }
  std::remove(temporary.c_str());
  return FileWriteResult::kFailed;
}
