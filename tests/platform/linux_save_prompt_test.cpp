// The Linux save prompt tells a user's cancel from a dialog tool that is
// installed and could not be started.
#ifdef __linux__

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "overlay_export/platform_operations.h"
#include "tests/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

TEST(LinuxSavePrompt, AToolThatCannotStartIsNoCancel) {
  const ScratchDirectory scratch("linux-prompt");
  struct Tool {
    const char* name;
    const char* script;
    fs::perms permissions;
  };
  const Tool notExecutable = {"zenity", "#!/bin/sh\necho /z.json\n", fs::perms::owner_read | fs::perms::owner_write};
  const Tool kdialog = {"kdialog", "#!/bin/sh\necho /k.json\n", fs::perms::owner_all};
  struct Case {
    const char* name;
    std::vector<Tool> tools;
    SaveAnswerKind kind;
    std::string path;
  };
  const Case cases[] = {
      {"zenity cannot be executed", {notExecutable}, SaveAnswerKind::kNotShown, ""},
      {"then kdialog answers", {notExecutable, kdialog}, SaveAnswerKind::kChosen, "/k.json"},
      {"no tool: no desktop", {}, SaveAnswerKind::kCancelled, ""},
  };
  const std::string savedPath = std::getenv("PATH");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path bin = scratch.path / c.name;
    fs::create_directories(bin);
    for (const Tool& tool : c.tools) {
      std::ofstream(bin / tool.name) << tool.script;
      fs::permissions(bin / tool.name, tool.permissions);
    }
    setenv("PATH", bin.c_str(), 1);
    const SaveAnswer answer = AskSavePath(SavePrompt::kExportJson);
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_EQ(answer.kind, c.kind);
    EXPECT_EQ(answer.path, c.path);
  }
}

}  // namespace

#endif  // __linux__
