// A directory that a command fills with several files: made when missing,
// and on failure left as it was found (the files written so far removed,
// the directory too when the command made it).
#pragma once

#include <mutex>
#include <string>
#include <vector>

struct OutputDirectory {
  std::string path;
  bool created = false;
  std::mutex mutex;  // guards written: files may be written on several threads
  std::vector<std::string> written;
};

// Fails with one line when `path` exists but is not a directory or cannot be made.
void OpenOutputDirectory(OutputDirectory& directory, const std::string& path);
std::string OutputFilePath(const OutputDirectory& directory, const std::string& name);
void RecordWrittenFile(OutputDirectory& directory, const std::string& filePath);
void RemoveWrittenFiles(OutputDirectory& directory);

// Removes a file a failed write left behind; never a directory standing in
// its way.
void RemovePartlyWrittenFile(const std::string& path);
