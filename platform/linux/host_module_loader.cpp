#include <dlfcn.h>

#include "host/plugin_module.h"

PluginModule LoadPluginModule(const std::string& path, std::string& error) {
  // A path without a slash would be searched on the library path; the host
  // loads exactly the file it is given.
  const std::string exact = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = dlopen(exact.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "cannot load " + path;
    return nullptr;
  }
  return static_cast<PluginModule>(handle);
}

void* ResolveModuleSymbol(PluginModule module, const char* name) {
  return module != nullptr ? dlsym(module, name) : nullptr;
}

void UnloadPluginModule(PluginModule module) {
  if (module != nullptr) dlclose(module);
}

std::string PluginModuleFileName() { return "Spindrel.so"; }
