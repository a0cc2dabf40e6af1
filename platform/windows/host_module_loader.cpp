#include <windows.h>

#include "host/plugin_module.h"

PluginModule LoadPluginModule(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
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
