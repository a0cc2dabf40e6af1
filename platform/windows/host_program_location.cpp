#include <windows.h>

#include <string>

#include "host/program_location.h"

std::string RunningProgramDirectory(std::string& error) {
  // The file this process was started from, as a wide path (long paths too).
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      error = "cannot find the running program's file (error " + std::to_string(GetLastError()) + ")";
      return {};
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t separator = path.find_last_of(L"\\/");
  if (separator == std::wstring::npos) {
    error = "the running program's file has no folder";
    return {};
  }
  // A program at the root of a drive keeps the root: "C:" alone is the
  // drive's current folder.
  const bool driveRoot = separator == 2 && path[1] == L':';
  path.resize(driveRoot ? separator + 1 : separator);
  // The host's paths are UTF-8, as LoadPluginModule takes them.
  const int size = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string directory(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size <= 0 || WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), directory.data(),
                                       size, nullptr, nullptr) != size) {
    error = "the running program's folder cannot be written as UTF-8";
    return {};
  }
  return directory;
}
