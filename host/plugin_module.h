// Loading the plug-in module at run time. One realisation per platform
// (platform/linux, platform/windows).
#pragma once

#include <string>

struct PluginModuleObject;
using PluginModule = PluginModuleObject*;

// Null on failure, with a reason in `error`.
PluginModule LoadPluginModule(const std::string& path, std::string& error);
// Null when the module does not export `name`.
void* ResolveModuleSymbol(PluginModule module, const char* name);
void UnloadPluginModule(PluginModule module);

// File name of the plug-in module on this platform ("Spindrel.so", "Spindrel.dll").
std::string PluginModuleFileName();
