// What a deliverable plug-in DLL must look like from the outside: a 64-bit
// DLL with exactly one export (the named entry point), only system DLLs
// imported, the required functions among its imports, and exactly one plug-in resource of the given type, id and
// language holding exactly the expected bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/tools/pe_image_reader.h"

struct PluginDllExpectation {
  std::string entryPointName;
  std::string resourceType;
  uint16_t resourceId = 0;
  uint16_t resourceLanguage = 0;
  std::vector<uint8_t> resourceBytes;
  // Functions the DLL must import by name from the DLL given, statically
  // (not loaded at run time), such as the desktop operations.
  std::vector<PeImportedFunction> requiredImports;
};

// The expectation built from the effect's own constants and the resource
// bytes the build generated.
PluginDllExpectation SpindrelDllExpectation(std::vector<uint8_t> generatedResourceBytes);

// Every way in which `dll` misses the expectation, one line each; empty when
// it meets it. A file that is not a readable PE32+ image gives one line.
std::vector<std::string> CheckPluginDll(const std::vector<uint8_t>& dll, const PluginDllExpectation& expected);

// True for DLLs that every Windows x64 installation provides.
bool IsSystemDll(const std::string& name);
