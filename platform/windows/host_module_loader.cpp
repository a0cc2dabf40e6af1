#include <windows.h>

#include <string>

#include "host/plugin_module.h"

namespace {

// Paths arrive as UTF-8; text that is not valid UTF-8 is taken in the ANSI
// code page, as LoadLibraryA would.
std::wstring WidePath(const std::string& path) {
  for (const UINT codePage : {UINT{CP_UTF8}, UINT{CP_ACP}}) {
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(path.size());
    const int length = MultiByteToWideChar(codePage, flags, path.data(), size, nullptr, 0);
    if (length <= 0) continue;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, path.data(), size, wide.data(), length);
    return wide;
  }
  return {};
}

// A bare name would be searched for along the DLL search path and would
// match a module of that name loaded from elsewhere: the host loads exactly
// the file it is given.
std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return {};
  full.resize(length);
  return full;
}

}  // namespace

PluginModule LoadPluginModule(const std::string& path, std::string& error) {
  const std::wstring full = path.empty() ? std::wstring() : FullPath(WidePath(path));
  if (full.empty()) {
    error = "cannot load \"" + path + "\": not a file path";
    return nullptr;
  }
  // A damaged file must fail the call, not open a message box that waits for
  // a click nobody gives.
  DWORD previousMode = 0;
  const BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  HMODULE module = LoadLibraryW(full.c_str());
  const DWORD code = GetLastError();
  if (modeSet) SetThreadErrorMode(previousMode, nullptr);
  if (module == nullptr) {
    error = "cannot load " + path + " (error " + std::to_string(code) + ")";
    return nullptr;
  }
  return reinterpret_cast<PluginModule>(module);
}

void* ResolveModuleSymbol(PluginModule module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

void UnloadPluginModule(PluginModule module) {
  if (module != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

std::string PluginModuleFileName() { return "Spindrel.dll"; }
