// The desktop stand-in of an editing session: a prompt that could not be
// shown fails loudly, the host reads only the records it expects from a
// directory of its own, and a stop signal during an export leaves nothing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "host/cli/desktop_standin.h"
#include "host/desktop/desktop_records.h"
#include "tests/host/cli/cli_process.h"
#include "tests/host/cli/cli_run.h"
#include "tests/scratch_directory.h"

namespace fs = std::filesystem;

namespace {

// The longest value of an environment variable the system passes to a
// program (one string of at most 32 pages, "NAME=" and the NUL included).
constexpr size_t kLongestPathValue = 32 * 4096 - sizeof("PATH=");

// A descriptor limit that leaves the dialog no room beside the standard
// streams: one free. The sanitizers' own checks need a pipe, so under them
// three are left free, still far too few for a dialog.
#ifdef __SANITIZE_ADDRESS__
constexpr const char* kFewDescriptors = "ulimit -n 6; ";
#else
constexpr const char* kFewDescriptors = "ulimit -n 4; ";
#endif

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Runs the shell `script` with standard input, output and error from and to
// the files named, and no other descriptor open; returns its wait status.
int RunShell(const std::string& script, const std::string& in, const std::string& out, const std::string& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  const char* argv[] = {"/bin/sh", "-c", script.c_str(), nullptr};
  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return -1;
  return WaitCli(CliProcess{pid});
}

}  // namespace

// Whatever keeps the stand-in from starting, the press never passes for a
// cancel: it fails the session, or the prompt is answered after all.
TEST(SessionDesktop, APromptThatCannotBeShownIsNeverACancel) {
  const ScratchDirectory scratch("session-desktop-failed");
  const std::string dir = scratch.Path();
  const std::string target = dir + "/chains.json";
  const std::string longTarget = dir + "/" + std::string(140 * 1024, 'n') + ".json";  // too long for the environment
  // A PATH as long as a program can be given: too long once the stand-in's
  // folder is put in front of it.
  const std::string path = std::getenv("PATH");
  std::ofstream(dir + "/path.txt") << path << ":/" << std::string(kLongestPathValue - path.size() - 2, 'x');
  struct Case {
    const char* name;
    std::string shellPrefix;  // shell commands run before the program, in its shell
    std::string answer;
    int code;
    std::vector<std::string> inErr;  // parts of standard error
    std::string pressLine;           // the start of standard output's press line; empty: none
  };
  const Case cases[] = {
      {"too few file descriptors", kFewDescriptors, target, 1,
       {"spindrel: line 3: press: cannot press: only ", " file descriptors a dialog needs are free (ulimit -n)\n"},
       ""},
      // The program starts, but with the stand-in's folder in front of it
      // PATH is too long to start any program.
      {"an environment too large for the stand-in", "export PATH=\"$(cat '" + dir + "/path.txt')\"; ", target, 1,
       {"Spindrel: Export JSON: The JSON file could not be written. No file was created or replaced.\n",
        "spindrel: line 3: press: prompt \"Save Spindrel JSON\" -> failed (the desktop stand-in could not be "
        "started)\n"},
       ""},
      // The answer reaches the prompt, and the effect refuses a path it cannot keep.
      {"an answer too long for the environment", "", longTarget, 0, {},
       "press: prompt \"Save Spindrel JSON\" -> " + longTarget +
           "; alert \"Spindrel: Export JSON\": \"The JSON file could not be written.\\n\\nNo file was created or "
           "replaced.\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(dir + "/actions.txt") << "render " << dir << "/frame.png\nanswer " << c.answer
                                        << "\npress Export JSON\n";
    const int status = RunShell(c.shellPrefix + "exec '" + SPINDREL_CLI_PATH + "' session '" + SamplePath() + "'",
                                dir + "/actions.txt", dir + "/out.txt", dir + "/err.txt");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.code) << status;
    const std::string out = ReadText(dir + "/out.txt");
    const std::string err = ReadText(dir + "/err.txt");
    for (const std::string& part : c.inErr) EXPECT_TRUE(Contains(err, part)) << err;
    EXPECT_EQ(err.empty(), c.inErr.empty()) << err;
    const std::vector<std::string> lines = Lines(out);
    ASSERT_EQ(lines.size(), c.pressLine.empty() ? 2u : 3u) << out.substr(0, 300);
    EXPECT_EQ(lines.back(), c.pressLine.empty() ? lines[1] : c.pressLine);
    EXPECT_FALSE(fs::exists(target));
  }
}

// The stand-in's files lie in a directory only this user can enter, gone
// with the stand-in, and a record that no dialog of the effect writes is
// refused rather than reported.
TEST(SessionDesktop, TheHostReadsOnlyTheRecordsItExpectsFromADirectoryOfItsOwn) {
  std::unique_ptr<DesktopStandIn> desktop = OpenDesktopStandIn(BuiltProgramDirectory());
  const std::string directory = desktop->directory;
  EXPECT_EQ(fs::status(directory).permissions() & fs::perms::all, fs::perms::owner_all);
  const std::pair<std::string, bool> cases[] = {
      {"alert\tSpindrel\tJSON Exported Successfully!", true},
      {"prompt\tSave Spindrel SVG\t/given.svg", true},
      {"prompt\tSave Spindrel SVG\t/elsewhere.svg", false},  // not the answer given
      {"alert\tSpindrel\tSaved to /elsewhere.svg", false},
      {"alert\tSpindrel: Export JSON\tNo path data cached.", false},
      {"note\tanything", false},
  };
  for (const auto& [record, expected] : cases) {
    SCOPED_TRACE(record);
    AnswerPromptsWith(*desktop, "/given.svg");
    std::ofstream(directory + "/" + kDesktopEventsFile) << record << "\n";
    bool accepted = true;
    try {
      EXPECT_EQ(TakeDesktopEvents(*desktop).size(), 1u);
    } catch (const CliFailure& failure) {
      accepted = false;
      EXPECT_EQ(failure.message.rfind("the host's desktop stand-in reported what no dialog of the effect shows: ", 0),
                0u);
    }
    EXPECT_EQ(accepted, expected);
  }
  desktop.reset();
  EXPECT_FALSE(fs::exists(directory));
}

// SIGINT and SIGTERM during a stream of exports: the press in progress ends
// first, so the export's file is either in place or was never made, and the
// stand-in's private directory goes too.
TEST(SessionDesktop, StopSignalsDuringExportsLeaveNoStrayFile) {
  const ScratchDirectory scratch("session-desktop-stop");
  const ScratchDirectory temporary("session-desktop-tmpdir");  // the session's TMPDIR
  const std::string dir = scratch.Path();
  const std::string target = dir + "/out/chains.json";
  fs::create_directories(dir + "/out");
  {
    std::ofstream actions(dir + "/actions.txt");
    actions << "render " << dir << "/frame.png\n";
    for (int i = 0; i < 300; ++i) actions << "answer " << target << "\npress Export JSON\n";
  }
  const char* savedTmpdir = std::getenv("TMPDIR");
  const std::string saved = savedTmpdir != nullptr ? savedTmpdir : "";
  setenv("TMPDIR", temporary.Path().c_str(), 1);
  std::mt19937 random(std::random_device{}());
  for (int run = 0; run < 20; ++run) {
    SCOPED_TRACE(run);
    const int stop = run % 2 == 0 ? SIGTERM : SIGINT;
    fs::remove(target);
    const CliProcess process =
        StartCli({"session", SamplePath(), "--actions", dir + "/actions.txt"}, -1, dir + "/err.txt");
    ASSERT_GT(process.pid, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline && !fs::exists(target)) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 8000));
    kill(process.pid, stop);
    const int status = WaitCli(process);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == stop) << status << ": " << ReadText(dir + "/err.txt");
    std::vector<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir + "/out")) {
      if (entry.path() != target) left.push_back(entry.path().filename().string());
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(temporary.path)) {
      left.push_back(entry.path().string());
      fs::remove_all(entry.path());  // each run is judged on its own
    }
    EXPECT_EQ(left, std::vector<std::string>());
  }
  if (savedTmpdir != nullptr) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
}
