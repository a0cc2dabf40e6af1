// Replacing a file on Windows: the new contents go into a file created
// exclusively, which MoveFileExA then puts over the target in one step.
#include "overlay_export/platform_files.h"

#include <windows.h>

#include <fcntl.h>
#include <cerrno>
#include <io.h>

namespace {

// "\\.\NAME": the device namespace (pipes, consoles, volumes), where no
// file is ever replaced and even opening a name may act on a device.
bool IsDeviceNamespace(const char* path) {
  const auto slash = [](char c) { return c == '\\' || c == '/'; };
  return slash(path[0]) && slash(path[1]) && path[2] == '.' && slash(path[3]);
}

// What MoveFileExA would put a new file in place of, or break a link of.
constexpr DWORD kRefusedAttributes =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE;

}  // namespace

ReplaceTarget InspectReplaceTarget(const char* path) {
  if (IsDeviceNamespace(path)) return ReplaceTarget::kRefused;
  // The name itself, not what a link or junction names; a device name such
  // as NUL opens the device, which GetFileType tells apart from a disk file.
  const HANDLE handle =
      CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReplaceTarget::kMissing
                                                                           : ReplaceTarget::kRefused;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  const bool replaceable = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) != 0 &&
                           (info.dwFileAttributes & kRefusedAttributes) == 0 && info.nNumberOfLinks <= 1;
  CloseHandle(handle);
  return replaceable ? ReplaceTarget::kReplaceable : ReplaceTarget::kRefused;
}

FILE* CreateNewTextFile(const char* path) {
  HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST : EACCES;
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
  if (descriptor == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  FILE* file = _fdopen(descriptor, "wt");
  if (file == nullptr) _close(descriptor);  // also closes the handle
  return file;
}

bool CloseWrittenFile(FILE* file) {
  const bool flushed = std::fflush(file) == 0 && std::ferror(file) == 0 && _commit(_fileno(file)) == 0;
  const bool closed = std::fclose(file) == 0;
  return flushed && closed;
}

bool MoveFileIntoPlace(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

size_t DirectoryPartLength(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos) return separator + 1;
  // "C:name" is a name in drive C's current directory; any other colon
  // belongs to the name (a stream of a file).
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

uint32_t CurrentProcessNumber() { return static_cast<uint32_t>(GetCurrentProcessId()); }
