// The macOS desktop operations against a stand-in osascript placed first on
// PATH: it records the arguments the shell gave it, prints a chosen answer
// and exits with a chosen status.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "overlay_export/platform_operations.h"
#include "tests/file_bytes.h"

namespace {

namespace fs = std::filesystem;

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class StandInOsascript : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("spindrel-osascript-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "bin");
    const fs::path tool = dir_ / "bin" / "osascript";
    WriteAll(tool, "#!/bin/sh\n"
                   "d='" + dir_.string() + "'\n"
                   "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$d/arguments\"; done\n"
                   "printf 'end\\n' >> \"$d/arguments\"\n"
                   "echo 'noise on standard error' >&2\n"
                   "sleep \"$(cat \"$d/delay\")\"\n"
                   "cat \"$d/answer\"\n"
                   "touch \"$d/finished\"\n"
                   "exit \"$(cat \"$d/status\")\"\n");
    fs::permissions(tool, fs::perms::owner_all);
    Answer("", 0);
    WriteAll(dir_ / "delay", "0");
    const char* path = std::getenv("PATH");
    savedPath_ = path != nullptr ? path : "";
    setenv("PATH", ((dir_ / "bin").string() + ":" + savedPath_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    fs::remove_all(dir_);
  }

  void Answer(const std::string& output, int status) {
    WriteAll(dir_ / "answer", output);
    WriteAll(dir_ / "status", std::to_string(status));
  }
  // The arguments of every run so far, each run ended by "end".
  std::string Arguments() { return ReadFileBytes(dir_ / "arguments"); }

  fs::path dir_;
  std::string savedPath_;
};

const char kJsonPromptArguments[] =
    "-e\nPOSIX path of (choose file name with prompt \"Save Spindrel JSON\" default name \"Spindrel_paths.json\" "
    "default location (path to desktop))\nend\n";
const char kSvgPromptArguments[] =
    "-e\nPOSIX path of (choose file name with prompt \"Save Spindrel SVG\" default name \"Spindrel_paths.svg\" "
    "default location (path to desktop))\nend\n";

TEST_F(StandInOsascript, SavePromptAnswers) {
  struct Case {
    const char* name;
    std::string output;
    int status;
    std::string expected;
  };
  const std::string longPath = "/Users/someone/" + std::string(2000, 'n') + ".json";
  const Case cases[] = {
      {"a chosen path loses its newline", "/Users/someone/Desktop/a.json\n", 0, "/Users/someone/Desktop/a.json"},
      {"trailing spaces stay", "/Users/someone/b.json  \n", 0, "/Users/someone/b.json  "},
      {"only one newline goes", "/Users/someone/c.json\n\n", 0, "/Users/someone/c.json"},
      {"only the first line counts", "/first.json\n/second.json\n", 0, "/first.json"},
      {"an answer without newline", "/d.json", 0, "/d.json"},
      {"cancel prints nothing", "", 1, ""},
      {"a path longer than the answer buffer comes back whole", longPath + "\n", 0, longPath},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ / "arguments");
    Answer(c.output, c.status);
    const SaveAnswer answer = AskSavePath(SavePrompt::kExportJson);
    EXPECT_EQ(answer.path, c.expected);
    EXPECT_EQ(answer.kind, c.expected.empty() ? SaveAnswerKind::kCancelled : SaveAnswerKind::kChosen);
    EXPECT_EQ(Arguments(), kJsonPromptArguments);
  }
  fs::remove(dir_ / "arguments");
  Answer("/Users/someone/e.svg\n", 0);
  EXPECT_EQ(AskSavePath(SavePrompt::kExportSvg).path, "/Users/someone/e.svg");
  EXPECT_EQ(Arguments(), kSvgPromptArguments);
}

TEST_F(StandInOsascript, EveryAlertIsItsFixedCommandLine) {
  const std::pair<AlertMessage, const char*> cases[] = {
      {AlertMessage::kNoDataExportJson, "No path data cached. Preview at least one frame first."},
      {AlertMessage::kNoDataExportSvg,
       "No path data cached. Preview at least one frame with the Spindrel effect active first."},
      {AlertMessage::kNoDataShapeLayer,
       "No path data cached. Preview at least one frame with the Spindrel effect active first."},
      {AlertMessage::kExportedJson, "JSON Exported Successfully!"},
      {AlertMessage::kExportedSvg, "SVG Exported Successfully!"},
      {AlertMessage::kExportJsonFailed, "The JSON file could not be written. No file was created or replaced."},
      {AlertMessage::kExportSvgFailed, "The SVG file could not be written. No file was created or replaced."},
  };
  // The alert returns only once the tool has ended, that is once the user
  // dismissed it.
  WriteAll(dir_ / "delay", "0.2");
  for (const auto& [message, text] : cases) {
    SCOPED_TRACE(text);
    fs::remove(dir_ / "arguments");
    fs::remove(dir_ / "finished");
    Answer("button returned:OK\n", 0);
    ShowAlert(message);
    EXPECT_TRUE(fs::exists(dir_ / "finished"));
    EXPECT_EQ(Arguments(), std::string("-e\ndisplay alert \"Spindrel\" message \"") + text + "\"\nend\n");
  }
}

TEST_F(StandInOsascript, AMissingToolCancelsAndShowsNothing) {
  setenv("PATH", (dir_ / "empty").string().c_str(), 1);
  EXPECT_EQ(AskSavePath(SavePrompt::kExportSvg).kind, SaveAnswerKind::kCancelled);
  ShowAlert(AlertMessage::kExportedSvg);
  EXPECT_FALSE(fs::exists(dir_ / "arguments"));
}

// With no descriptor left for the pipe, the prompt is never shown: that is
// no cancel.
TEST_F(StandInOsascript, APromptWithoutAPipeWasNotShown) {
  Answer("/Users/someone/a.json\n", 0);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  const int lowestFree = open("/dev/null", O_RDONLY);
  ASSERT_GE(lowestFree, 0);
  close(lowestFree);
  rlimit none = saved;
  none.rlim_cur = static_cast<rlim_t>(lowestFree);  // every number below it is taken
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
  const SaveAnswer answer = AskSavePath(SavePrompt::kExportJson);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_EQ(answer.kind, SaveAnswerKind::kNotShown);
  EXPECT_EQ(answer.path, "");
  EXPECT_FALSE(fs::exists(dir_ / "arguments"));
}

TEST(MacTempFilePath, FromTmpdirOrTmp) {
  const char* saved = std::getenv("TMPDIR");
  const std::string savedValue = saved != nullptr ? saved : "";
  unsetenv("TMPDIR");
  EXPECT_EQ(TempFilePath("Spindrel_paths.json"), "/tmp/Spindrel_paths.json");
  setenv("TMPDIR", "", 1);
  EXPECT_EQ(TempFilePath("Spindrel_paths.json"), "/tmp/Spindrel_paths.json");
  setenv("TMPDIR", "/var/folders/x/T/", 1);
  EXPECT_EQ(TempFilePath("Spindrel_paths.svg"), "/var/folders/x/T//Spindrel_paths.svg");
  setenv("TMPDIR", "/private/tmp", 1);
  EXPECT_EQ(TempFilePath("Spindrel_paths.svg"), "/private/tmp/Spindrel_paths.svg");
  if (saved != nullptr) {
    setenv("TMPDIR", savedValue.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
}

}  // namespace
