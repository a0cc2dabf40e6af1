// The safe output writer on its own and through every command that writes.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host/cli/safe_output.h"
#include "tests/host/cli/cli_process.h"
#include "tests/host/cli/cli_run.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/scratch_directory.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

size_t HiddenFileCount(const std::string& directory) {
  size_t count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(directory)) {
    count += entry.path().filename().string().front() == '.';
  }
  return count;
}

std::string WriteInput(const std::string& dir, int32_t width, int32_t height) {
  const std::string input = dir + "/in/input.png";
  fs::create_directories(dir + "/in");
  std::string error;
  EXPECT_TRUE(WritePngFile(input, TextInkImage(width, height, 3), error)) << error;
  return input;
}

// A file-size limit turns writes past `bytes` into EFBIG failures, as a full disk would.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previousHandler);
  }
  rlimit saved{};
  sighandler_t previousHandler = SIG_DFL;
};

struct RefusedRun {
  std::vector<std::string> args;
  std::string message;  // a part of the error line
};

// Each command line (a session without actions) fails with one error line
// and leaves everything under `dir` as it was.
void ExpectEachRefused(const std::string& dir, const std::vector<RefusedRun>& runs) {
  const auto before = Snapshot(dir);
  for (const RefusedRun& run : runs) {
    SCOPED_TRACE(run.args[3]);
    const CliRun result =
        run.args[0] == "session" ? RunSessionCli({run.args.begin() + 1, run.args.end()}, "") : RunCli(run.args);
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(IsOneErrorLine(result.err)) << result.err;
    EXPECT_NE(result.err.find(run.message), std::string::npos) << result.err;
    EXPECT_EQ(Snapshot(dir), before);
  }
}

}  // namespace

TEST(SafeOutput, RefusesEveryTargetButARegularFileAndLeavesItAsItWas) {
  const ScratchDirectory scratch("safe-refuse");
  const std::string dir = scratch.Path();
  const std::string input = WriteInput(dir, 48, 32);
  const std::string out = dir + "/out";
  fs::create_directories(out + "/dir.png");
  WriteText(out + "/file.png", "the previous image");
  fs::create_symlink("file.png", out + "/link.png");
  fs::create_symlink("nowhere.png", out + "/dangling.png");
  ASSERT_EQ(mkfifo((out + "/fifo.json").c_str(), 0644), 0);
  WriteText(out + "/readonly.png", "read-only");
  fs::permissions(out + "/readonly.png", fs::perms::owner_read | fs::perms::group_read);
  WriteText(out + "/linked.png", "one file under two names");
  fs::create_hard_link(out + "/linked.png", out + "/hardlink.png");

  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"-o", out + "/link.png"}, "link.png is a symbolic link; spindrel replaces only regular files"},
      {{"-o", out + "/dangling.png"}, "dangling.png is a symbolic link"},
      {{"-o", out + "/dir.png"}, "dir.png is a directory"},
      {{"-o", "/dev/null"}, "/dev/null is a device, pipe or socket; spindrel writes only regular files"},
      {{"-o", out + "/new.png", "--save-project", out + "/fifo.json"}, "--save-project: "},
      {{"-o", out + "/missing/new.png"}, "the directory " + out + "/missing does not exist"},
      {{"-o", out + "/file.png", "--save-project", out + "/file.png"}, "is given twice as an output"},
      {{"-o", out, "--frames", "2", "--fps", "5", "--save-project", out + "/link.png"}, "link.png is a symbolic link"},
      // Refused also when root runs it, whom the system lets write it.
      {{"-o", out + "/readonly.png"}, "readonly.png is read-only"},
      {{"-o", out + "/hardlink.png"}, "hardlink.png has 2 hard links; a new file would split them"},
      {{"-o", out + "/dir.png/", "--frames", "2", "--fps", "5"}, ""},  // a directory of frames is fine
  };
  for (const Case& test : cases) {
    std::vector<std::string> args = {"render", input};
    args.insert(args.end(), test.args.begin(), test.args.end());
    SCOPED_TRACE(args.back());
    const auto before = Snapshot(out);
    const CliRun run = RunCli(args);
    if (test.message.empty()) {
      EXPECT_EQ(run.code, 0) << run.err;
      fs::remove_all(out + "/dir.png");
      fs::create_directories(out + "/dir.png");
      continue;
    }
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(IsOneErrorLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
    EXPECT_EQ(Snapshot(out), before);
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(RunCli({"analyse", input, "-o", out + "/file.png"}).err,
            "spindrel: error: " + out + "/file.png exists and is not a directory\n");
}

// A control byte in an output path (here also a NUL, which a session line
// can hold and which would cut the name short) is refused with the byte
// shown escaped, before anything is written.
TEST(SafeOutput, OutputPathsWithControlBytesAreRefused) {
  const ScratchDirectory scratch("safe-control");
  const std::string dir = scratch.Path();
  const std::string input = WriteInput(dir, 48, 32);
  const std::string out = dir + "/out/";
  fs::create_directories(out);
  ASSERT_EQ(RunSessionCli({input}, "render " + out + "frame.png\n").err, "");
  const auto before = Snapshot(dir);

  ExpectEachRefused(dir, {
      {{"render", input, "-o", out + "a\x01.png"}, out + "a\\x01.png\" holds the control byte \\x01"},
      {{"render", input, "-o", out + "b.png", "--save-project", out + "p\x7f.json"}, "\\x7F"},
      {{"render", input, "-o", out + "c\n/", "--frames", "1", "--fps", "1"}, out + "c\\x0A/\""},
      {{"analyse", input, "-o", out + "d\t"}, out + "d\\x09\""},
  });

  using namespace std::string_literals;
  // The frame is rendered again as it was, so that the press has chains to export.
  const CliRun session = RunSessionCli({input}, "render " + out + "frame.png\nanswer " + out + "X\0.json\npress Export JSON\n"s + "render " + out +
                                                    "e\0.png\n"s + "window " + out + "f\x1b.png\nlayer-window " + out +
                                                    "g\x7f.png\nscript " + out + "h\x01.jsx\n");
  EXPECT_EQ(session.code, 1);
  EXPECT_EQ(Lines(session.out), (std::vector<std::string>{
                                    "render: " + out + "frame.png, 48x32 at 0 s",
                                    "press: prompt \"Save Spindrel JSON\" -> cancelled (no answer given)"}));
  const std::string reason = "\" holds the control byte ";
  EXPECT_EQ(Lines(session.err),
            (std::vector<std::string>{
                "spindrel: line 2: answer: the path \"" + out + "X\\x00.json" + reason + "\\x00; give a path without control bytes",
                "spindrel: line 4: render: the path \"" + out + "e\\x00.png" + reason + "\\x00; give a path without control bytes",
                "spindrel: line 5: window: the path \"" + out + "f\\x1B.png" + reason + "\\x1B; give a path without control bytes",
                "spindrel: line 6: layer-window: the path \"" + out + "g\\x7F.png" + reason + "\\x7F; give a path without control bytes",
                "spindrel: line 7: script: the path \"" + out + "h\\x01.jsx" + reason + "\\x01; give a path without control bytes",
            }));
  EXPECT_EQ(Snapshot(dir), before);
}

// No output is a file the run reads, whatever name it is given: the input
// image, the Map Layer image, the project or a session's actions.
TEST(SafeOutput, NoOutputIsAnInput) {
  const ScratchDirectory scratch("safe-inputs");
  const std::string dir = scratch.Path();
  const std::string input = WriteInput(dir, 48, 32);
  const std::string map = dir + "/in/map.png";
  const std::string project = dir + "/in/project.json";
  const std::string actions = dir + "/in/actions.txt";
  fs::copy_file(input, map);
  ASSERT_EQ(RunCli({"render", input, "-o", dir + "/in/first.png", "--save-project", project}).err, "");
  WriteText(actions, "render " + input + "\n");
  fs::create_symlink("input.png", dir + "/in/link.png");
  fs::create_hard_link(input, dir + "/in/hard.png");
  fs::create_directories(dir + "/frames");
  fs::copy_file(input, dir + "/frames/frame_0000.png");
  fs::create_directories(dir + "/analysis");
  fs::copy_file(input, dir + "/analysis/skeleton.png");
  const auto before = Snapshot(dir);

  const std::string image = "the input image ";
  ExpectEachRefused(dir, {
      {{"render", input, "-o", input}, input + " is the same file as " + image + input},
      {{"render", input, "-o", dir + "/in/../in/./input.png"}, image},
      {{"render", input, "-o", dir + "/in/link.png"}, image},
      {{"render", input, "-o", dir + "/in/hard.png"}, image},
      {{"render", input, "--map", map, "-o", map}, "is the same file as the --map image " + map},
      {{"render", input, "-o", project, "--project", project}, "the --project file"},
      {{"render", dir + "/frames/frame_0000.png", "-o", dir + "/frames", "--frames", "1", "--fps", "1"}, image},
      {{"analyse", dir + "/analysis/skeleton.png", "-o", dir + "/analysis"}, image},
      {{"session", input, "--save-project", dir + "/in/link.png"}, image},
      {{"session", input, "--actions", actions, "--save-project", actions}, "the --actions file"},
  });

  const CliRun session = RunSessionCli({input, "--map", map, "--project", project},
                                       "render " + input + "\nwindow " + dir + "/in/hard.png\nlayer-window " + map +
                                           "\nanswer " + project + "\nscript " + dir + "/in/link.png\n");
  EXPECT_EQ(session.out, "");
  const std::vector<std::string> errors = Lines(session.err);
  ASSERT_EQ(errors.size(), 5u) << session.err;
  EXPECT_EQ(errors[0], "spindrel: line 1: render: " + input + " is the same file as the input image " + input +
                           "; spindrel never writes over an input");
  EXPECT_NE(errors[1].find("window: " + dir + "/in/hard.png is the same file as the input image"), std::string::npos);
  EXPECT_NE(errors[2].find("layer-window: " + map + " is the same file as the --map image"), std::string::npos);
  EXPECT_NE(errors[3].find("answer: " + project + " is the same file as the --project file"), std::string::npos);
  EXPECT_NE(errors[4].find("script: " + dir + "/in/link.png is the same file as the input image"), std::string::npos);
  EXPECT_EQ(Snapshot(dir), before);

  // Saving the project over the one the run read is saving it, as a host does.
  EXPECT_EQ(RunCli({"render", input, "-o", dir + "/out.png", "--project", project, "--save-project", project}).err, "");
  EXPECT_EQ(RunSessionCli({input, "--project", project, "--save-project", project}, "").err, "");
}

TEST(SafeOutput, ABatchReplacesItsTargetsOnlyWhenCommittedAndKeepsTheirPermissions) {
  const ScratchDirectory scratch("safe-batch");
  const std::string dir = scratch.Path();
  const std::string kept = dir + "/kept.txt";
  WriteText(kept, "old");
  fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  std::string error;
  {
    OutputBatch dropped;  // made its directories and wrote, then dropped
    ASSERT_TRUE(PrepareOutputDirectory(dropped, dir + "/a/b/c/", error)) << error;
    size_t first = 0;
    size_t second = 0;
    ASSERT_TRUE(AddOutput(dropped, kept, first, error)) << error;
    ASSERT_TRUE(AddOutput(dropped, dir + "/a/b/c/new.txt", second, error)) << error;
    ASSERT_TRUE(WriteOutput(dropped, first, "never", error)) << error;
    EXPECT_EQ(HiddenFileCount(dir), 1u);
  }
  EXPECT_EQ(ReadText(kept), "old");
  EXPECT_FALSE(fs::exists(dir + "/a"));
  EXPECT_EQ(HiddenFileCount(dir), 0u);

  OutputBatch batch;
  size_t first = 0;
  size_t second = 0;
  ASSERT_TRUE(AddOutput(batch, kept, first, error)) << error;
  ASSERT_TRUE(AddOutput(batch, dir + "/new.txt", second, error)) << error;
  EXPECT_FALSE(AddOutput(batch, dir + "/./kept.txt", second, error));
  EXPECT_EQ(error, dir + "/./kept.txt is given twice as an output");
  ASSERT_TRUE(WriteOutput(batch, first, "new", error)) << error;
  ASSERT_TRUE(WriteOutput(batch, 1, "made", error)) << error;
  EXPECT_EQ(ReadText(kept), "old");
  EXPECT_FALSE(fs::exists(dir + "/new.txt"));
  ASSERT_TRUE(CommitOutputs(batch, error)) << error;
  EXPECT_EQ(ReadText(kept), "new");
  EXPECT_EQ(ReadText(dir + "/new.txt"), "made");
  EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(HiddenFileCount(dir), 0u);

  OutputBatch unfinished;  // one output never written: nothing moves
  ASSERT_TRUE(AddOutput(unfinished, kept, first, error)) << error;
  ASSERT_TRUE(AddOutput(unfinished, dir + "/other.txt", second, error)) << error;
  ASSERT_TRUE(WriteOutput(unfinished, second, "other", error)) << error;
  EXPECT_FALSE(CommitOutputs(unfinished, error));
  EXPECT_EQ(error, kept + " was not written");
  EXPECT_EQ(ReadText(kept), "new");
  EXPECT_FALSE(fs::exists(dir + "/other.txt"));
  EXPECT_EQ(HiddenFileCount(dir), 0u);
}

// Checking the targets of a long animation stays linear: 200000 frames are
// checked in well under the time limit, and a run that then fails (here on
// a missing project) leaves nothing.
TEST(SafeOutput, ManyFramesAreCheckedInBoundedTime) {
  const ScratchDirectory scratch("safe-many");
  const std::string dir = scratch.Path();
  const std::string input = WriteInput(dir, 8, 8);
  const auto started = std::chrono::steady_clock::now();
  const CliRun run = RunCli({"render", input, "-o", dir + "/frames", "--frames", "200000", "--fps", "1000",
                             "--project", dir + "/missing.json"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  EXPECT_EQ(run.err, "spindrel: error: cannot read " + dir + "/missing.json: No such file or directory\n");
  EXPECT_FALSE(fs::exists(dir + "/frames"));
}

// Writes that fail part-way (here past a file-size limit, as on a full disk)
// leave the previous run's frames, analysis and project as they were.
TEST(SafeOutput, FailedWritesLeaveThePreviousRunInPlace) {
  const ScratchDirectory scratch("safe-full");
  const std::string dir = scratch.Path();
  const std::string input = WriteInput(dir, 160, 96);
  const std::string frames = dir + "/frames/";
  const std::string project = dir + "/project.json";
  const std::string analysis = dir + "/analysis";
  const std::string key = "Reveal Progress (%)=0@0,100@1";
  ASSERT_EQ(RunCli({"render", input, "-o", frames, "--frames", "6", "--fps", "5", "--key", key, "--save-project",
                    project}).err, "");
  ASSERT_EQ(RunCli({"analyse", input, "-o", analysis}).err, "");
  uintmax_t smallest = UINTMAX_MAX;
  uintmax_t largest = 0;
  for (const auto& entry : fs::directory_iterator(frames)) {
    smallest = std::min(smallest, entry.file_size());
    largest = std::max(largest, entry.file_size());
  }
  ASSERT_LT(smallest * 2, largest);
  const auto before = Snapshot(dir);

  struct Case {
    std::vector<std::string> args;
    rlim_t limit;
  };
  const std::vector<Case> cases = {
      // The first frames fit, the later ones do not.
      {{"render", input, "-o", frames, "--frames", "6", "--fps", "5", "--key", key, "--set", "Line Color=#00FF00",
        "--threads", "1"}, (smallest + largest) / 2},
      // Every frame fits, the project does not.
      {{"render", input, "-o", frames, "--frames", "6", "--fps", "5", "--key", key, "--set", "Line Width=5",
        "--save-project", project}, largest + 16},
      {{"render", input, "-o", frames + "frame_0000.png", "--set", "Line Width=5", "--save-project", project},
       largest + 16},
      {{"analyse", input, "-o", analysis, "--set", "Threshold=10"}, 4096},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.args[3]);
    CliRun run;
    {
      const FileSizeLimit limit(test.limit);
      run = RunCli(test.args);
    }
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(IsOneErrorLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(": File too large"), std::string::npos) << run.err;
    EXPECT_EQ(Snapshot(dir), before);
  }
}

// SIGINT and SIGTERM stop a run at once and leave every path as it was: no
// temporary, no half-written frame, the directory it made gone again.
TEST(SafeOutput, StopSignalsLeaveNoPartialFile) {
  const ScratchDirectory scratch("safe-signal");
  const std::string dir = scratch.Path();
  const ScratchDirectory logs("safe-signal-log");  // outside `dir`, which must stay as it was
  const std::string errors = logs.File("render.err");
  const std::string input = WriteInput(dir, 640, 400);
  WriteText(dir + "/frames/frame_0000.png", "the previous run's frame");
  for (const int stop : {SIGTERM, SIGINT}) {
    for (const std::string& frames : {dir + "/frames", dir + "/new/frames"}) {
      SCOPED_TRACE(frames);
      const auto before = Snapshot(dir);
      const CliProcess process = StartCli({"render", input, "-o", frames, "--frames", "400", "--fps", "24",
                                           "--threads", "2", "--key", "Reveal Progress (%)=0@0,100@16"},
                                          -1, errors);
      ASSERT_GT(process.pid, 0);
      // Wait until frames are being written: their temporaries stay until the run ends.
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (std::chrono::steady_clock::now() < deadline &&
             !(fs::exists(frames) && HiddenFileCount(frames) >= 2)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      EXPECT_GE(HiddenFileCount(frames), 2u);
      kill(process.pid, stop);
      const int status = WaitCli(process);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == stop) << status;
      EXPECT_EQ(Snapshot(dir), before);
      EXPECT_NE(ReadText(errors).find("; no partly written file is left"), std::string::npos) << ReadText(errors);
      fs::remove(errors);
    }
  }
}

// A command whose answer cannot reach standard output fails.
TEST(SafeOutput, CommandsFailWhenStandardOutputCannotBeWritten) {
  const ScratchDirectory scratch("safe-stdout");
  const std::string errors = scratch.File("stdout.err");
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  for (const char* command : {"params", "about", "--help"}) {
    SCOPED_TRACE(command);
    const int status = WaitCli(StartCli({command}, full, errors));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(ReadText(errors), "spindrel: error: cannot write to standard output: No space left on device\n");
  }
  close(full);
  // A pipe whose reader is gone, with SIGPIPE ignored as many shells and tools leave it.
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  close(pipeEnds[0]);
  const sighandler_t previous = signal(SIGPIPE, SIG_IGN);
  const int status = WaitCli(StartCli({"params"}, pipeEnds[1], errors));
  signal(SIGPIPE, previous);
  close(pipeEnds[1]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_EQ(ReadText(errors), "spindrel: error: cannot write to standard output: Broken pipe\n");
  // In-process, a stream that refuses its text.
  std::ostringstream refused;
  refused.setstate(std::ios::badbit);
  std::ostringstream err;
  EXPECT_EQ(RunCommandLine({"about"}, BuiltProgramDirectory(), {.out = &refused, .err = &err}), 1);
  EXPECT_EQ(err.str(), "spindrel: error: cannot write to standard output\n");
}

// With SIGPIPE at its default too, a lost answer ends a command with 1 and
// one line. A session stops at the first: it acts on no later line and
// saves no project.
TEST(SafeOutput, LostAnswersEndCommandsAndSessionsWithOneLine) {
  const ScratchDirectory scratch("safe-lost");
  const std::string errors = scratch.File("lost.err");
  const std::string image = scratch.File("never.png");
  const std::string project = scratch.File("never.json");
  const std::string actions = scratch.File("actions.txt");
  WriteText(actions, "set Line Width=7\nrender " + image + "\n");
  const std::vector<std::string> session = {"session", SamplePath(), "--actions", actions, "--save-project", project};
  const sighandler_t previous = signal(SIGPIPE, SIG_DFL);
  for (const bool closedPipe : {false, true}) {
    const std::string reason = closedPipe ? "Broken pipe" : "No space left on device";
    for (const std::vector<std::string>& args : {std::vector<std::string>{"params"}, session}) {
      SCOPED_TRACE(args[0] + " into " + reason);
      int output = -1;
      if (closedPipe) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        close(ends[0]);
        output = ends[1];
      } else {
        output = open("/dev/full", O_WRONLY);
        ASSERT_GE(output, 0);
      }
      const int status = WaitCli(StartCli(args, output, errors));
      close(output);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
      EXPECT_EQ(ReadText(errors), args[0] == "params"
                                      ? "spindrel: error: cannot write to standard output: " + reason + "\n"
                                      : "spindrel: line 1: standard output could not be written (" + reason +
                                            "); the session stops\n");
      EXPECT_FALSE(fs::exists(image));
      EXPECT_FALSE(fs::exists(project));
    }
  }
  signal(SIGPIPE, previous);
}
