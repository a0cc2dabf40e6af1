// Create Shape Layer pressed through the plug-in module in the reference
// host, with the desktop stand-in first on PATH recording every alert.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/cli/desktop_standin.h"
#include "host/frame_buffer.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

TEST(ShapeLayerPress, NoDataAlertUntilARenderFindsChainsThenOneScriptAndNoAlert) {
  std::unique_ptr<DesktopStandIn> desktop =
      OpenDesktopStandIn(std::filesystem::path(SPINDREL_DESKTOP_DIR).parent_path().string());
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const std::vector<std::string> noData = {
      "alert: Spindrel: Create Shape Layer: No path data cached.\\n\\nPreview at least one frame with the Spindrel "
      "effect active first."};
  const auto press = [&] { return PressWithDesktop(*desktop, *host, PARAM_CREATE_SHAPE_LAYER, ""); };
  const auto render = [&](const RgbaImage& image) {
    OwnedFrame input = FrameFromImage(image, 8);
    OwnedFrame output = MakeFrame(image.width, image.height, 8);
    ASSERT_EQ(RenderFrame(*host, FrameView(input), FrameView(output), 0), kHostErrorNone);
  };

  EXPECT_EQ(press(), noData) << "before any render";
  render(RgbaImage{64, 48, std::vector<uint8_t>(64 * 48 * 4, 0)});
  EXPECT_EQ(press(), noData) << "after a render without chains";
  EXPECT_TRUE(ReadSuiteLog(host->suites, &SuiteServices::scripts).empty());
  EXPECT_TRUE(ReadSuiteCounts(host->suites).empty()) << "no suite is acquired without data";

  render(TextInkImage(160, 64, 5));
  EXPECT_TRUE(press().empty());
  EXPECT_EQ(ReadSuiteLog(host->suites, &SuiteServices::scripts).size(), 1u);
}

}  // namespace
