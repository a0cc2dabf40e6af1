#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/plugin_module.h"
#include "host_interface/host_entry_point.h"

namespace {

namespace fs = std::filesystem;

// A scratch directory for copies of the module, removed afterwards.
struct ScratchDirectory {
  fs::path path;
  explicit ScratchDirectory(const fs::path& name) : path(fs::temp_directory_path() / name) {
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

struct CurrentDirectoryGuard {
  fs::path saved = fs::current_path();
  ~CurrentDirectoryGuard() { fs::current_path(saved); }
};

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TEST(PluginModuleLoader, LoadsTheBuiltModuleAndResolvesOnlyItsEntryPoint) {
  std::string error;
  PluginModule module = LoadPluginModule(SPINDREL_MODULE_PATH, error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_NE(ResolveModuleSymbol(module, kEntryPointName), nullptr);
  EXPECT_EQ(ResolveModuleSymbol(module, "DispatchCommand"), nullptr);
  EXPECT_EQ(ResolveModuleSymbol(module, "entrypointfunc"), nullptr);
  UnloadPluginModule(module);
  EXPECT_EQ(fs::path(SPINDREL_MODULE_PATH).filename().string(), PluginModuleFileName());
}

// A damaged or missing file must come back as an error at once: a headless
// host cannot answer a message box about a bad image.
TEST(PluginModuleLoader, ReportsMissingAndDamagedFilesAsErrors) {
  ScratchDirectory scratch("spindrel_loader_damaged");
  const fs::path damaged = scratch.path / PluginModuleFileName();
  std::ofstream(damaged, std::ios::binary) << "MZ this is not a module";
  std::string error;
  EXPECT_EQ(LoadPluginModule(Utf8(damaged), error), nullptr);
  EXPECT_FALSE(error.empty());

  error.clear();
  EXPECT_EQ(LoadPluginModule(Utf8(scratch.path / "absent_module"), error), nullptr);
  EXPECT_FALSE(error.empty());

  error.clear();
  EXPECT_EQ(LoadPluginModule("", error), nullptr);
  EXPECT_FALSE(error.empty());
}

// A bare file name means the file in the current directory, even while a
// module of the same name is loaded from elsewhere.
TEST(PluginModuleLoader, BareNameLoadsTheFileInTheCurrentDirectory) {
  ScratchDirectory scratch("spindrel_loader_bare");
  fs::copy_file(SPINDREL_MODULE_PATH, scratch.path / PluginModuleFileName());
  std::string error;
  PluginModule original = LoadPluginModule(SPINDREL_MODULE_PATH, error);
  ASSERT_NE(original, nullptr) << error;
  PluginModule copy = nullptr;
  {
    CurrentDirectoryGuard guard;
    fs::current_path(scratch.path);
    copy = LoadPluginModule(PluginModuleFileName(), error);
  }
  ASSERT_NE(copy, nullptr) << error;
  EXPECT_NE(copy, original);
  EXPECT_NE(ResolveModuleSymbol(copy, kEntryPointName), ResolveModuleSymbol(original, kEntryPointName));
  UnloadPluginModule(copy);
  UnloadPluginModule(original);
}

TEST(PluginModuleLoader, LoadsFromADirectoryWithNonAsciiName) {
  ScratchDirectory scratch(fs::path(u8"spindrel_loader_\u00e9t\u00e9 \u00fcber"));
  const fs::path copy = scratch.path / PluginModuleFileName();
  fs::copy_file(SPINDREL_MODULE_PATH, copy);
  std::string error;
  PluginModule module = LoadPluginModule(Utf8(copy), error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_NE(ResolveModuleSymbol(module, kEntryPointName), nullptr);
  UnloadPluginModule(module);
}

}  // namespace
