// Export JSON and Export SVG end to end: pressed through the plug-in module
// in the reference host, with the host's desktop stand-in first on PATH
// answering the Linux save prompt and recording every alert.
#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/cli/desktop_standin.h"
#include "host/cli/png_image.h"
#include "host/desktop/desktop_records.h"
#include "host/frame_buffer.h"
#include "host/param_value_text.h"
#include "model/param_ids.h"
#include "tests/host/cli/cli_run.h"
#include "tests/host/glyph_chains.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) { return ReadText(path.string()); }

class ExportPresses : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "out");
    desktop_ = OpenDesktopStandIn(BuiltProgramDirectory());
    host_ = OpenSetUpHost();
    ASSERT_NE(host_, nullptr);
  }
  void TearDown() override {
    host_.reset();
    desktop_.reset();
  }

  void SetParam(int32_t id, const char* text) {
    const HostParamEntry& entry = ParamEntryById(host_->instance, id);
    HostParamValue value;
    std::string error;
    ASSERT_TRUE(ParseParamValue(entry, text, value, error)) << error;
    StoreParamValue(host_->instance, id, value);
  }
  void Render(const RgbaImage& image) {
    input_ = FrameFromImage(image, 8);
    OwnedFrame output = MakeFrame(image.width, image.height, 8);
    ASSERT_EQ(RenderFrame(*host_, FrameView(input_), FrameView(output), 0), kHostErrorNone);
  }
  // The chains the last render published, found again by the same stages.
  std::vector<ChainRecord> RenderedChains() {
    return AnalysedChains(*host_, FrameView(input_));
  }
  // Presses the button with the prompt answered by `answer` (empty: cancel)
  // and returns the stand-in's records of what the desktop saw.
  std::string Press(int32_t paramId, const std::string& answer = "") {
    AnswerPromptsWith(*desktop_, answer);
    EXPECT_EQ(PressButton(*host_, paramId), kHostErrorNone);
    return ReadBytes(fs::path(desktop_->directory) / kDesktopEventsFile);
  }

  const ScratchDirectory scratch_{"export"};
  const fs::path dir_ = scratch_.path;
  std::unique_ptr<DesktopStandIn> desktop_;
  std::unique_ptr<ReferenceHost> host_;
  OwnedFrame input_;
};

const char kJsonNoData[] =
    "alert\tSpindrel: Export JSON\tNo path data cached.\\n\\nPreview at least one frame first.\n";
const char kSvgNoData[] =
    "alert\tSpindrel: Export SVG\tNo path data cached.\\n\\nPreview at least one frame with the Spindrel effect "
    "active first.\n";

TEST_F(ExportPresses, AlertsPromptsAndFiles) {
  EXPECT_EQ(Press(PARAM_EXPORT_PATHS, (dir_ / "out" / "a.json").string()), kJsonNoData);
  EXPECT_EQ(Press(PARAM_EXPORT_SVG, (dir_ / "out" / "a.svg").string()), kSvgNoData);
  Render(RgbaImage{64, 48, std::vector<uint8_t>(64 * 48 * 4, 0)});  // no ink: a valid cache without chains
  EXPECT_EQ(Press(PARAM_EXPORT_PATHS, (dir_ / "out" / "a.json").string()), kJsonNoData);
  EXPECT_EQ(Press(PARAM_EXPORT_SVG, (dir_ / "out" / "a.svg").string()), kSvgNoData);

  SetParam(PARAM_LINE_WIDTH, "3");
  Render(TextInkImage(160, 64, 11));
  SetParam(PARAM_LINE_WIDTH, "7");  // the file keeps the width of the render
  const std::vector<ChainRecord> chains = RenderedChains();
  ASSERT_GE(chains.size(), 2u);

  // Cancel: nothing written, nothing said.
  EXPECT_EQ(Press(PARAM_EXPORT_PATHS), "prompt\tSave Spindrel JSON\t\n");
  EXPECT_EQ(Press(PARAM_EXPORT_SVG), "prompt\tSave Spindrel SVG\t\n");
  EXPECT_TRUE(fs::is_empty(dir_ / "out"));

  const fs::path json = dir_ / "out" / "chains.json";
  const fs::path svg = dir_ / "out" / "chains.svg";
  std::ofstream(svg) << "an older export";
  EXPECT_EQ(Press(PARAM_EXPORT_PATHS, json.string()),
            "prompt\tSave Spindrel JSON\t" + json.string() + "\nalert\tSpindrel\tJSON Exported Successfully!\n");
  EXPECT_EQ(Press(PARAM_EXPORT_SVG, svg.string()),
            "prompt\tSave Spindrel SVG\t" + svg.string() + "\nalert\tSpindrel\tSVG Exported Successfully!\n");

  // The JSON gives back the cached chains: integer points, open, no tangents.
  const nlohmann::json parsed = nlohmann::json::parse(ReadBytes(json));
  EXPECT_EQ(parsed["width"], 160);
  EXPECT_EQ(parsed["height"], 64);
  ASSERT_EQ(parsed["paths"].size(), chains.size());
  for (size_t i = 0; i < chains.size(); ++i) {
    SCOPED_TRACE(i);
    const nlohmann::json& path = parsed["paths"][i];
    EXPECT_EQ(path.size(), 2u);  // closed and points only
    EXPECT_EQ(path["closed"], false);
    ASSERT_EQ(path["points"].size(), chains[i].points.size());
    for (size_t k = 0; k < chains[i].points.size(); ++k) {
      EXPECT_EQ(path["points"][k][0].get<int>(), chains[i].points[k].x);
      EXPECT_EQ(path["points"][k][1].get<int>(), chains[i].points[k].y);
    }
  }
  const std::string svgText = ReadBytes(svg);
  EXPECT_EQ(svgText.find("stroke-width=\"7\""), std::string::npos);
  EXPECT_NE(svgText.find("stroke-width=\"3\""), std::string::npos);
  EXPECT_EQ(svgText.find("older"), std::string::npos);
}

// Root may write anywhere: for one press this thread gives up the capability
// that lets it ignore permission bits (the dialog tool it starts gets it back
// when it runs as root). Nothing changes for any other user.
struct WithoutPermissionOverride {
  WithoutPermissionOverride() {
    syscall(SYS_capget, &header, saved);
    __user_cap_data_struct dropped[2] = {saved[0], saved[1]};
    dropped[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
    syscall(SYS_capset, &header, dropped);
  }
  ~WithoutPermissionOverride() { syscall(SYS_capset, &header, saved); }
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved[2]{};
};

// Everything that goes wrong after the prompt is reported, and leaves every
// path as it was; only a regular file of one link that its permission bits
// let the user write is replaced, also when the user is root.
TEST_F(ExportPresses, EveryFailureAfterThePromptIsReportedAndReplacesNothing) {
  Render(TextInkImage(96, 48, 4));
  const fs::path out = dir_ / "out";
  const fs::path locked = dir_ / "locked";
  fs::create_directories(out / "taken.json");
  fs::create_directories(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  std::ofstream(out / "file.json") << "the file a link names";
  fs::create_symlink("file.json", out / "link.json");
  fs::create_symlink("nowhere.json", out / "dangling.json");
  ASSERT_EQ(mkfifo((out / "fifo.json").c_str(), 0644), 0);
  const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", (out / "socket.json").c_str());
  ASSERT_EQ(bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const bool device = mknod((out / "device.json").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  std::ofstream(out / "readonly.json") << "read-only";
  fs::permissions(out / "readonly.json", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::ofstream(out / "linked.json") << "one file under two names";
  fs::create_hard_link(out / "linked.json", out / "hardlink.json");
  std::string longPath = out.string();
  while (longPath.size() < 1030) longPath += "/.";
  longPath += "/long.json";

  std::vector<std::string> refused = {(out / "taken.json").string(),    longPath,
                                      (dir_ / "missing" / "x.json").string(), (locked / "x.json").string(),
                                      (out / "link.json").string(),     (out / "dangling.json").string(),
                                      (out / "fifo.json").string(),     (out / "socket.json").string(),
                                      (out / "readonly.json").string(), (out / "hardlink.json").string()};
  if (device) refused.push_back((out / "device.json").string());
  const char kJsonFailed[] =
      "alert\tSpindrel: Export JSON\tThe JSON file could not be written.\\n\\nNo file was created or replaced.\n";
  const auto before = Snapshot(dir_.string());
  for (const std::string& path : refused) {
    SCOPED_TRACE(path);
    std::string shown;
    {
      const WithoutPermissionOverride unprivileged;
      shown = Press(PARAM_EXPORT_PATHS, path);
    }
    EXPECT_EQ(shown, "prompt\tSave Spindrel JSON\t" + path + "\n" + kJsonFailed);
    auto after = Snapshot(dir_.string());
    after.erase("desktop.log");
    EXPECT_EQ(after, before);
  }
  close(socketFd);

  // The temporary beside the file fits whatever the name's length.
  for (const size_t length : {250u, 255u}) {
    const fs::path named = out / (std::string(length - 5, 'n') + ".json");
    EXPECT_EQ(Press(PARAM_EXPORT_PATHS, named.string()),
              "prompt\tSave Spindrel JSON\t" + named.string() + "\nalert\tSpindrel\tJSON Exported Successfully!\n");
    EXPECT_EQ(ReadBytes(named).rfind("{\"width\":96,", 0), 0u);
  }
}

// The SVG of a real render, drawn by librsvg: its strokes lie on the chains.
TEST_F(ExportPresses, SvgStrokesLandOnTheChains) {
  if (std::system("command -v rsvg-convert >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "rsvg-convert not installed (package librsvg2-bin; scripts/ensure-packages.sh installs it)";
  SetParam(PARAM_LINE_WIDTH, "2");
  Render(TextInkImage(200, 80, 5));
  const std::vector<ChainRecord> chains = RenderedChains();
  ASSERT_FALSE(chains.empty());
  const fs::path svg = dir_ / "out" / "chains.svg";
  const fs::path png = dir_ / "chains.png";
  ASSERT_NE(Press(PARAM_EXPORT_SVG, svg.string()).find("SVG Exported Successfully!"), std::string::npos);
  ASSERT_EQ(std::system(("rsvg-convert -o '" + png.string() + "' '" + svg.string() + "'").c_str()), 0);
  RgbaImage image;
  std::string error;
  ASSERT_TRUE(ReadPngFile(png.string(), image, error)) << error;
  ASSERT_EQ(image.width, 200);
  ASSERT_EQ(image.height, 80);
  auto alphaAt = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
    return int{image.pixels[(static_cast<size_t>(y) * image.width + x) * 4 + 3]};
  };

  // Every chain point is a pixel corner inside a round stroke of width 2:
  // the four pixels around it are mostly covered.
  for (const ChainRecord& chain : chains) {
    if (chain.points.size() < 2) continue;
    for (const IntPoint& p : chain.points) {
      const int darkest = std::max({alphaAt(p.x - 1, p.y - 1), alphaAt(p.x, p.y - 1), alphaAt(p.x - 1, p.y),
                                    alphaAt(p.x, p.y)});
      EXPECT_GE(darkest, 128) << "chain point " << p.x << "," << p.y;
    }
  }
  // Nothing is painted farther than the stroke's half width (plus
  // anti-aliasing) from a chain segment.
  int painted = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (alphaAt(x, y) == 0) continue;
      ++painted;
      const double cx = x + 0.5, cy = y + 0.5;
      double nearest = 1e9;
      for (const ChainRecord& chain : chains) {
        for (size_t k = 0; k + 1 < chain.points.size(); ++k) {
          const double ax = chain.points[k].x, ay = chain.points[k].y;
          const double dx = chain.points[k + 1].x - ax, dy = chain.points[k + 1].y - ay;
          const double length2 = dx * dx + dy * dy;
          double t = length2 > 0 ? ((cx - ax) * dx + (cy - ay) * dy) / length2 : 0.0;
          t = std::clamp(t, 0.0, 1.0);
          nearest = std::min(nearest, std::hypot(cx - ax - t * dx, cy - ay - t * dy));
        }
      }
      EXPECT_LE(nearest, 1.0 + 0.75) << "painted pixel " << x << "," << y;
    }
  }
  EXPECT_GT(painted, 100);
  // The first chain is stroked in the first palette colour, #FF5050.
  const IntPoint p = chains[0].points[chains[0].points.size() / 2];
  const uint8_t* px = &image.pixels[(static_cast<size_t>(p.y) * image.width + p.x) * 4];
  if (px[3] == 255) {
    EXPECT_EQ(px[0], 0xFF);
    EXPECT_EQ(px[1], 0x50);
    EXPECT_EQ(px[2], 0x50);
  }
}

}  // namespace
