// The export writers on disk: exact bytes (text mode), the default path, and
// a failure at any point leaving the target as it was and nothing beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "overlay_export/chain_export_text.h"
#include "overlay_export/chain_export_writers.h"
#include "overlay_export/platform_operations.h"
#include "tests/file_bytes.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// What a text-mode file holds for `text` on this platform.
std::string TextFileBytes(const std::string& text) {
#ifdef _WIN32
  std::string bytes;
  for (char c : text) bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return bytes;
#else
  return text;
#endif
}

std::vector<std::string> DirectoryNames(const fs::path& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

uint32_t ProcessNumber() {
#ifdef _WIN32
  return static_cast<uint32_t>(GetCurrentProcessId());
#else
  return static_cast<uint32_t>(getpid());
#endif
}

std::vector<ChainRecord> SomeRecords() {
  ChainRecord a;
  a.points = {{1, 2}, {3, 4}, {-5, 6}};
  ChainRecord b;
  b.points = {{7, 8}, {9, 10}};
  b.closed = 1;
  return {a, ChainRecord{}, b};
}

class ExportWriters : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("spindrel-writers-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                        "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(ExportWriters, WriteExactBytesAndReplaceWholeFiles) {
  const std::vector<ChainRecord> records = SomeRecords();
  const fs::path json = dir_ / "paths.json";
  const fs::path svg = dir_ / "paths.svg";
  // A stale temporary name of ours is somebody's file: skipped, not overwritten.
  const std::string stale = ".Spindrel-" + std::to_string(ProcessNumber()) + "-0.tmp";
  std::ofstream(dir_ / stale) << "keep";
  std::ofstream(svg) << std::string(100000, 'x');  // longer than the new file

  EXPECT_EQ(WriteChainsJson(records, 12, 34, json.string().c_str()), FileWriteResult::kWritten);
  EXPECT_EQ(WriteChainsSvg(records, 12, 34, 5, svg.string().c_str()), FileWriteResult::kWritten);
  EXPECT_EQ(ReadFileBytes(json), PathsJsonText(records, 12, 34));  // one line: no newline to translate
  EXPECT_EQ(ReadFileBytes(svg), TextFileBytes(PathsSvgText(records, 12, 34, 5)));
  EXPECT_EQ(ReadFileBytes(dir_ / stale), "keep");
  EXPECT_EQ(DirectoryNames(dir_), (std::vector<std::string>{stale, "paths.json", "paths.svg"}));
}

TEST_F(ExportWriters, NoPathMeansTheTemporaryDirectory) {
#ifndef _WIN32
  setenv("TMPDIR", dir_.string().c_str(), 1);
#endif
  const std::vector<ChainRecord> records = SomeRecords();
  const fs::path json = TempFilePath("Spindrel_paths.json");
  const fs::path svg = TempFilePath("Spindrel_paths.svg");
  EXPECT_EQ(WriteChainsJson(records, 1, 2, nullptr), FileWriteResult::kWritten);
  EXPECT_EQ(WriteChainsSvg(records, 1, 2, 3, ""), FileWriteResult::kWritten);
  EXPECT_EQ(ReadFileBytes(json), PathsJsonText(records, 1, 2));
  EXPECT_EQ(ReadFileBytes(svg), TextFileBytes(PathsSvgText(records, 1, 2, 3)));
  fs::remove(json);
  fs::remove(svg);
#ifndef _WIN32
  unsetenv("TMPDIR");
#endif
}

TEST_F(ExportWriters, FailuresLeaveTheTargetAsItWas) {
  const std::vector<ChainRecord> records = SomeRecords();
  const fs::path old = dir_ / "old.svg";
  std::ofstream(old) << "the previous export";
  fs::create_directories(dir_ / "a directory.json");
  std::ofstream(dir_ / "read-only.json") << "read-only";
  fs::permissions(dir_ / "read-only.json", fs::perms::owner_read);
  std::ofstream(dir_ / "linked.json") << "one file under two names";
  fs::create_hard_link(dir_ / "linked.json", dir_ / "hard link.json");
  // A path longer than the writers keep is refused rather than shortened.
  std::string longPath = old.string();
  while (longPath.size() <= kMaxWriterPathLength) longPath.insert(dir_.string().size(), "/.");

  struct Case {
    std::string path;
    FileWriteResult result;
  };
  const std::vector<Case> cases = {
      {(dir_ / "missing" / "x.json").string(), FileWriteResult::kNotOpened},  // no directory to create the file in
      {(dir_ / "a directory.json").string(), FileWriteResult::kRefused},
      {(dir_ / "read-only.json").string(), FileWriteResult::kRefused},  // also when root runs it
      {(dir_ / "hard link.json").string(), FileWriteResult::kRefused},  // a new file would split the link
      {longPath, FileWriteResult::kFailed},
#ifdef _WIN32
      {"NUL", FileWriteResult::kRefused},  // a device, not a disk file
      {"\\\\.\\pipe\\spindrel", FileWriteResult::kRefused},
#endif
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.path);
    EXPECT_EQ(WriteChainsJson(records, 1, 1, test.path.c_str()), test.result);
  }

  EXPECT_EQ(ReadFileBytes(old), "the previous export");
  EXPECT_EQ(ReadFileBytes(dir_ / "read-only.json"), "read-only");
  EXPECT_EQ(ReadFileBytes(dir_ / "hard link.json"), "one file under two names");
  EXPECT_TRUE(fs::is_directory(dir_ / "a directory.json"));
  EXPECT_EQ(DirectoryNames(dir_),
            (std::vector<std::string>{"a directory.json", "hard link.json", "linked.json", "old.svg", "read-only.json"}));
  fs::permissions(dir_ / "read-only.json", fs::perms::owner_all);  // so that it can be removed on Windows
}

#ifndef _WIN32
// A full disk, played by a file size limit: the write fails part-way.
TEST_F(ExportWriters, AFailedWriteIsReportedAndReplacesNothing) {
  std::vector<ChainRecord> records(1);
  for (int i = 0; i < 5000; ++i) records[0].points.push_back({i, i});
  const fs::path target = dir_ / "big.svg";
  std::ofstream(target) << "the previous export";
  chmod(target.c_str(), 0640);

  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  void (*savedHandler)(int) = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const FileWriteResult result = WriteChainsSvg(records, 9000, 9000, 2, target.c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, savedHandler);

  EXPECT_EQ(result, FileWriteResult::kFailed);
  EXPECT_EQ(ReadFileBytes(target), "the previous export");
  EXPECT_EQ(DirectoryNames(dir_), (std::vector<std::string>{"big.svg"}));

  // Written in full, the new file keeps the permissions of the one it replaced.
  EXPECT_EQ(WriteChainsSvg(records, 9000, 9000, 2, target.c_str()), FileWriteResult::kWritten);
  struct stat written;
  ASSERT_EQ(stat(target.c_str(), &written), 0);
  EXPECT_EQ(written.st_mode & 07777, 0640u);
}
#endif

}  // namespace
