// PNG inputs checked before anything is allocated for their pixels, and runs
// checked against the memory they may use.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "host/cli/effect_options.h"
#include "host/cli/memory_limit.h"
#include "host/cli/run_memory.h"
#include "host/host_error_text.h"
#include "tests/host/cli/cli_process.h"
#include "tests/host/cli/cli_run.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/scratch_directory.h"

namespace {

void AppendChunk(std::string& png, const char* type, const std::string& data) {
  const auto be32 = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) png += static_cast<char>((v >> shift) & 0xFF);
  };
  be32(static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  png += body;
  be32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()))));
}

// A PNG declaring `width` x `height` (bit depth, colour type) whose image data
// is `rows` rows of zero bytes, `rowBytes` each after the filter byte, deflated.
std::string ZeroPng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType, uint32_t rows,
                    uint32_t rowBytes) {
  std::string header;
  for (uint32_t v : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) header += static_cast<char>((v >> shift) & 0xFF);
  }
  header += std::string{static_cast<char>(bitDepth), static_cast<char>(colourType), 0, 0, 0};
  z_stream stream{};
  deflateInit(&stream, 9);
  const std::string row(rowBytes + 1, '\0');
  std::string idat;
  char out[65536];
  for (uint32_t y = 0; y <= rows; ++y) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.data()));
    stream.avail_in = y < rows ? static_cast<uInt>(row.size()) : 0;
    do {
      stream.next_out = reinterpret_cast<Bytef*>(out);
      stream.avail_out = sizeof(out);
      deflate(&stream, y < rows ? Z_NO_FLUSH : Z_FINISH);
      idat.append(out, sizeof(out) - stream.avail_out);
    } while (stream.avail_out == 0);
  }
  deflateEnd(&stream);
  std::string png = "\x89PNG\r\n\x1a\n";
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", idat);
  AppendChunk(png, "IEND", "");
  return png;
}

std::string WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

bool UnderSanitizer() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return true;
#endif
#endif
  return false;
}

}  // namespace

// What a file declares is checked first: no pixel buffer, no seconds of work.
TEST(InputLimits, PngSizesAreCheckedBeforeAnythingIsAllocated) {
  const ScratchDirectory scratch("limits-png");
  const std::string dir = scratch.Path();
  const std::string output = dir + "/out.png";
  struct Case {
    std::string name;
    std::string bytes;
    std::string message;
  };
  const std::string tooShort = ZeroPng(29999, 29999, 8, 6, 1, 4);
  const std::vector<Case> cases = {
      {"bomb.png", ZeroPng(32767, 32767, 8, 6, 1, 4),
       "declares 32767 x 32767 pixels; the host's largest frame is 30000 x 30000 pixels"},
      {"wrap.png", ZeroPng(100000, 100000, 8, 6, 1, 4),
       "declares 100000 x 100000 pixels; the host's largest frame is 30000 x 30000 pixels"},
      {"short.png", tooShort,
       "declares 29999 x 29999 pixels but holds only " + std::to_string(tooShort.size()) +
           " bytes, far too few for that many; the file is damaged"},
      {"zero.png", ZeroPng(0, 10, 8, 6, 0, 0), "is damaged: its PNG header declares 0 x 10 pixels"},
      {"truncated.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16), "is damaged: its PNG header is missing"},
      {"rows.png", ZeroPng(64, 64, 8, 6, 3, 256), "cannot read"},  // the image data ends early
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const std::string input = WriteFile(dir + "/" + test.name, test.bytes);
    const auto started = std::chrono::steady_clock::now();
    const CliRun run = RunCli({"render", input, "-o", output});
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(IsOneErrorLine(run.err)) << run.err;
    EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
    RgbaImage image;
    std::string error;
    EXPECT_FALSE(DecodePng(reinterpret_cast<const uint8_t*>(test.bytes.data()), test.bytes.size(), test.name, image,
                           error));
    EXPECT_NE(error.find(test.message), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(output));
  }
}

// A genuine frame of the host's largest size at 32 bits needs more than this
// machine holds: refused up front with the figures, no pixel read.
TEST(InputLimits, ARunThatCannotFitInMemoryIsRefusedUpFront) {
  const ScratchDirectory scratch("limits-memory");
  const std::string dir = scratch.Path();
  const std::string input = WriteFile(dir + "/large.png", ZeroPng(30000, 30000, 1, 0, 30000, 3750));
  const RunMemoryPlan plan{uint64_t{30000} * 30000, 0, 32, 1};
  const MemoryLimit limit = RunMemoryLimit();
  if (limit.bytes == 0 || EstimateRunBytes(plan) <= limit.bytes) GTEST_SKIP() << "this machine holds such a run";
  const auto started = std::chrono::steady_clock::now();
  const CliRun run = RunCli({"render", input, "-o", dir + "/out.png", "--depth", "32"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_EQ(run.err, "spindrel: error: rendering " + input + " (30000 x 30000 pixels) at 32 bits needs about " +
                         ByteCountText(EstimateRunBytes(plan)) + ", more than the " + ByteCountText(limit.bytes) +
                         " of " + limit.source + "; a smaller image or a lower --depth needs less\n");
}

TEST(InputLimits, TheEstimateGrowsWithDepthMapAndRendersAndDecidesTheThreads) {
  const uint64_t pixels = 1000 * 1000;
  EXPECT_EQ(EstimateRunBytes({pixels, 0, 8, 1, 1}),
            kProcessBaseBytes + kBytesPerOutput + pixels * (4 + 4) + pixels * (4 + 64 + 4 + 4));
  EXPECT_EQ(EstimateRunBytes({pixels, 0, 8, 1, 1001}) - EstimateRunBytes({pixels, 0, 8, 1, 1}), 1000 * kBytesPerOutput);
  EXPECT_EQ(EstimateRunBytes({pixels, pixels, 32, 3}) - EstimateRunBytes({pixels, 0, 32, 1}),
            pixels * 16 + 2 * pixels * (16 + 64 + 4 + 4));
  const RunMemoryPlan eight{pixels, 0, 8, 8};
  for (int32_t fit : {0, 1, 5, 8}) {
    RunMemoryPlan exact = eight;
    exact.renders = std::max(fit, 1);
    const uint64_t limit = fit == 0 ? EstimateRunBytes(exact) - 1 : EstimateRunBytes(exact);
    EXPECT_EQ(RendersThatFit(eight, limit), fit) << fit;
    if (fit > 0) {
      EXPECT_EQ(RendersThatFit(eight, limit + 1000), fit);
    }
  }
  EXPECT_EQ(RendersThatFit(eight, 0), 8);  // no limit known
  EXPECT_EQ(ByteCountText(999), "1 MB");
  EXPECT_EQ(ByteCountText(43200000000), "43.2 GB");
}

// The estimate a render makes of itself against the peak it reaches: dense
// text at 32 bits with Bezier fitting subdivided four times, which needs the
// most. The estimate must hold the peak and be at most twice it.
TEST(InputLimits, TheMemoryEstimateHoldsTheMeasuredPeakAndIsAtMostTwiceIt) {
  if (UnderSanitizer()) GTEST_SKIP() << "a sanitizer inflates memory";
  const ScratchDirectory scratch("limits-peak");
  const std::string input = scratch.File("text.png");
  std::string error;
  ASSERT_TRUE(WritePngFile(input, TextInkImage(2000, 2000, 3, 16), error)) << error;
  PngHeader header;
  ASSERT_TRUE(ReadPngHeader(input, header, error)) << error;
  const uint64_t estimate = EstimateRunBytes(PlanRunMemory(header, PngHeader{}, 32, PlannedRun{}));
  // A child's peak starts from this process's peak, which the system resets to what it holds now.
  std::ofstream("/proc/self/clear_refs") << "5";
  const CliProcess process = StartCli({"render", input, "-o", scratch.File("out.png"), "--depth", "32", "--set",
                                       "Use Bezier Fit=on", "--set", "Subdivide (smoothness)=4"},
                                      -1, scratch.File("err"));
  rusage usage{};
  const int status = WaitCli(process, &usage);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << ReadText(scratch.File("err"));
  const uint64_t peak = static_cast<uint64_t>(usage.ru_maxrss) * 1024;
  EXPECT_LE(peak, estimate);
  EXPECT_LE(estimate, 2 * peak);
}

// Under an address-space limit the run takes as many threads as fit, or is
// refused when --threads asks for more.
TEST(InputLimits, ThreadsFollowTheProcessMemoryLimit) {
  if (UnderSanitizer()) GTEST_SKIP() << "a sanitizer needs far more address space";
  const ScratchDirectory scratch("limits-threads");
  const std::string dir = scratch.Path();
  const std::string input = dir + "/in.png";
  std::string error;
  ASSERT_TRUE(WritePngFile(input, TextInkImage(2000, 1500, 3), error)) << error;
  const uint64_t limitBytes = uint64_t{900} << 20;
  const RunMemoryPlan plan{2000 * 1500, 0, 8, 8, 9};
  const int32_t fit = RendersThatFit(plan, limitBytes);
  ASSERT_TRUE(fit > 1 && fit < 8) << fit;
  const auto limited = [&](const std::string& arguments) {
    const std::string command = "ulimit -v " + std::to_string(limitBytes >> 10) + " && \"" SPINDREL_CLI_PATH "\" " +
                                arguments + " 2> \"" + dir + "/err\"";
    const int status = std::system(command.c_str());
    return std::make_pair(status, ReadText(dir + "/err"));
  };
  const auto [tooMany, tooManyError] =
      limited("render \"" + input + "\" -o \"" + dir + "/frames\" --frames 8 --fps 8 --threads 8");
  EXPECT_NE(tooMany, 0);
  EXPECT_NE(tooManyError.find("on 8 threads needs about"), std::string::npos) << tooManyError;
  EXPECT_NE(tooManyError.find("of the process's address-space limit (ulimit -v); --threads " + std::to_string(fit) +
                              " or less would fit"),
            std::string::npos)
      << tooManyError;
  const auto [chosen, chosenError] = limited("render \"" + input + "\" -o \"" + dir + "/frames\" --frames 8 --fps 8");
  EXPECT_EQ(chosen, 0) << chosenError;
  EXPECT_TRUE(std::filesystem::exists(dir + "/frames/frame_0007.png"));
}

// A session's windows count with its render: a composition window the
// process cannot hold is refused up front, before any action runs.
TEST(InputLimits, ASessionWhoseWindowsCannotFitIsRefusedUpFront) {
  if (UnderSanitizer()) GTEST_SKIP() << "a sanitizer needs far more address space";
  const uint64_t limitBytes = uint64_t{4} << 30;
  const MemoryLimit own = RunMemoryLimit();
  if (own.bytes != 0 && own.bytes <= limitBytes) GTEST_SKIP() << "this process is held below the test's limit";
  const ScratchDirectory scratch("limits-windows");
  const std::string dir = scratch.Path();
  RunMemoryPlan plan{720 * 220, 0, 8, 1, 1};
  plan.heldFramePixels = 2 * plan.inputPixels;  // the layer and the last frame
  plan.windowPixels = uint64_t{30000} * 30000;
  const std::string command = "ulimit -v " + std::to_string(limitBytes >> 10) + " && echo \"window " + dir +
                              "/window.png\" | \"" SPINDREL_CLI_PATH "\" session \"" + SamplePath() +
                              "\" --comp-size 30000x30000 > \"" + dir + "/out\" 2> \"" + dir + "/err\"";
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadText(dir + "/err"), "spindrel: error: a session on " + SamplePath() +
                                        " (720 x 220 pixels) at 8 bits with a 30000 x 30000 composition window "
                                        "needs about " + ByteCountText(EstimateRunBytes(plan)) + ", more than the " +
                                        ByteCountText(limitBytes) +
                                        " of the process's address-space limit (ulimit -v); a smaller --comp-size, "
                                        "a smaller image or a lower --depth needs less\n");
  EXPECT_EQ(ReadText(dir + "/out"), "");
  EXPECT_FALSE(std::filesystem::exists(dir + "/window.png"));
}

// Renders a frame under an address-space limit too small for it and exits 0
// when the host saw error 512; prints its message.
[[noreturn]] void RenderUnderAddressLimit() {
  auto host = OpenSetUpHost();
  OwnedFrame input = FrameFromImage(TextInkImage(3000, 3000, 3), 8);
  OwnedFrame output = MakeFrame(3000, 3000, 8);
  std::ifstream statm("/proc/self/statm");
  uint64_t pages = 0;
  statm >> pages;
  const rlimit limit{static_cast<rlim_t>(pages * 4096 + (uint64_t{40} << 20)), RLIM_INFINITY};
  setrlimit(RLIMIT_AS, &limit);
  const HostError result = RenderFrame(*host, FrameView(input), FrameView(output), 0);
  std::fprintf(stderr, "%s\n", DescribeRenderFailure(result, "the image").c_str());
  std::exit(result == kHostErrorInternal ? 0 : 1);
}

// The effect answers running out of memory with error 512 like any failure,
// so the message names memory among the causes.
TEST(InputLimits, ARenderThatRunsOutOfMemoryNamesMemoryAmongTheCauses) {
  if (UnderSanitizer()) GTEST_SKIP() << "a sanitizer cannot run under an address-space limit";
  EXPECT_EXIT(RenderUnderAddressLimit(), ::testing::ExitedWithCode(0),
              "the plug-in failed to render the image \\(error 512, its answer to any failure inside it, running "
              "out of memory among them; if memory ran short, a smaller image, a lower depth or fewer threads need "
              "less\\)");
}
