#include "host/cli/output_directory.h"

#include <filesystem>
#include <system_error>

#include "host/cli/cli_support.h"
#include "host/text_join.h"

void OpenOutputDirectory(OutputDirectory& directory, const std::string& path) {
  directory.path = path;
  const std::filesystem::path where(path);
  std::error_code error;
  if (std::filesystem::exists(where, error)) {
    if (!std::filesystem::is_directory(where, error)) FailCli(JoinText({path, " exists and is not a directory"}));
    return;
  }
  std::filesystem::create_directories(where, error);
  if (error || !std::filesystem::is_directory(where, error)) FailCli(JoinText({"cannot make the directory ", path}));
  directory.created = true;
}

std::string OutputFilePath(const OutputDirectory& directory, const std::string& name) {
  if (!directory.path.empty() && (directory.path.back() == '/' || directory.path.back() == '\\')) {
    return directory.path + name;
  }
  return JoinText({directory.path, "/", name});
}

void RecordWrittenFile(OutputDirectory& directory, const std::string& filePath) {
  std::lock_guard<std::mutex> lock(directory.mutex);
  directory.written.push_back(filePath);
}

void RemoveWrittenFiles(OutputDirectory& directory) {
  std::lock_guard<std::mutex> lock(directory.mutex);
  std::error_code ignored;
  for (const std::string& file : directory.written) std::filesystem::remove(std::filesystem::path(file), ignored);
  directory.written.clear();
  // Removes the directory only when nothing else landed in it.
  if (directory.created) std::filesystem::remove(std::filesystem::path(directory.path), ignored);
}

void RemovePartlyWrittenFile(const std::string& path) {
  std::error_code ignored;
  if (std::filesystem::is_regular_file(std::filesystem::path(path), ignored)) {
    std::filesystem::remove(std::filesystem::path(path), ignored);
  }
}
