// Replacing a file on Windows: the new contents go into a file created
// exclusively, which MoveFileExA then puts over the target in one step.
#include "overlay_export/platform_files.h"

#include <windows.h>

#include <fcntl.h>
#include <cerrno>
#include <io.h>

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
