#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/plugin_module.h"
#include "host/program_location.h"
#include "host_interface/host_entry_point.h"
#include "tests/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

// A copy of the module in a directory `name` of a scratch directory,
// removed afterwards.
struct ModuleCopy {
  ScratchDirectory scratch{"loader"};
  fs::path directory;
  fs::path file;
  explicit ModuleCopy(const fs::path& name) : directory(scratch.path / name) {
    fs::create_directories(directory);
    fs::copy_file(SPINDREL_MODULE_PATH, file = directory / PluginModuleFileName());
  }
  std::string Utf8(const fs::path& path) const {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  }
};

TEST(PluginModuleLoader, ResolvesOnlyTheEntryPoint) {
  std::string error;
  PluginModule module = LoadPluginModule(SPINDREL_MODULE_PATH, error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_NE(ResolveModuleSymbol(module, kEntryPointName), nullptr);
  for (const char* hidden : {"entrypointfunc",
                             "_Z15DispatchCommandiP10HostInDataP11HostOutDataPP12HostParamDefP9HostFramePv",
                             "_Z11ParamsSetupP10HostInDataP11HostOutDataPP12HostParamDefP9HostFrame"}) {
    EXPECT_EQ(ResolveModuleSymbol(module, hidden), nullptr) << hidden;
  }
  UnloadPluginModule(module);
  EXPECT_EQ(fs::path(SPINDREL_MODULE_PATH).filename().string(), PluginModuleFileName());
}

// A headless host cannot answer a message box about a bad image: errors come back at once.
TEST(PluginModuleLoader, ReportsMissingAndDamagedFilesAsErrors) {
  ModuleCopy scratch("damaged");
  std::ofstream(scratch.file, std::ios::binary | std::ios::trunc) << "MZ this is not a module";
  for (const std::string& path : {scratch.Utf8(scratch.file), scratch.Utf8(scratch.directory / "x"), std::string()}) {
    std::string error;
    EXPECT_EQ(LoadPluginModule(path, error), nullptr) << path;
    EXPECT_FALSE(error.empty()) << path;
  }
}

// A bare name means the file in the current directory, even while a namesake is loaded; paths may be non-ASCII.
TEST(PluginModuleLoader, LoadsBareNamesAndNonAsciiPaths) {
  ModuleCopy scratch(fs::path(u8"\u00e9t\u00e9 \u00fcber"));
  std::string error;
  PluginModule original = LoadPluginModule(SPINDREL_MODULE_PATH, error);
  ASSERT_NE(original, nullptr) << error;
  const fs::path saved = fs::current_path();
  fs::current_path(scratch.directory);
  PluginModule copy = LoadPluginModule(PluginModuleFileName(), error);
  fs::current_path(saved);
  ASSERT_NE(copy, nullptr) << error;
  EXPECT_NE(ResolveModuleSymbol(copy, kEntryPointName), ResolveModuleSymbol(original, kEntryPointName));
  UnloadPluginModule(copy);
  PluginModule byPath = LoadPluginModule(scratch.Utf8(scratch.file), error);
  ASSERT_NE(byPath, nullptr) << error;
  EXPECT_NE(ResolveModuleSymbol(byPath, kEntryPointName), nullptr);
  UnloadPluginModule(byPath);
  UnloadPluginModule(original);
}

// The running program's folder comes from the system: the tests lie beside
// the module they were built with.
TEST(ProgramLocation, IsTheFolderOfTheRunningExecutable) {
  std::string error;
  const std::string directory = RunningProgramDirectory(error);
  ASSERT_FALSE(directory.empty()) << error;
  EXPECT_TRUE(fs::path(directory).is_absolute()) << directory;
  EXPECT_TRUE(fs::equivalent(directory, fs::path(SPINDREL_MODULE_PATH).parent_path())) << directory;
}

}  // namespace
