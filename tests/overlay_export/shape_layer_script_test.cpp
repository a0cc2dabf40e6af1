// The Create Shape Layer script: its data lines for small caches, its body's
// framing, the colour line in every locale, and the command's run through
// the Utility Suite, in-process and through the module.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "host/host_callbacks.h"
#include "host/param_value_text.h"
#include "model/param_ids.h"
#include "overlay_export/shape_layer_script.h"
#include "overlay_export/shape_layer_script_body.h"
#include "overlay_export/suite_handler.h"
#include "tests/comma_locale.h"
#include "tests/host/reference_host_fixture.h"

namespace {

ChainCache Cache(std::vector<std::vector<IntPoint>> chains, int32_t width, int32_t height, int32_t strokeWidth,
                 std::array<uint8_t, 3> color) {
  ChainCache cache;
  cache.chains = std::move(chains);
  cache.width = width;
  cache.height = height;
  cache.strokeWidth = strokeWidth;
  cache.strokeColor = color;
  cache.valid = 1;
  return cache;
}

void SetProcessCache(const ChainCache& cache) {
  std::lock_guard<std::mutex> lock(ChainCacheMutex);
  ProcessChainCache = cache;
}

std::string ColourLineInCLocale(std::array<uint8_t, 3> color, int32_t strokeWidth) {
  char line[128];
  std::snprintf(line, sizeof(line), "var strokeColor=[%.4f,%.4f,%.4f];\nvar strokeWidth=%d;\n", color[0] / 255.0f,
                color[1] / 255.0f, color[2] / 255.0f, strokeWidth);
  return line;
}

TEST(ShapeLayerScript, DataLinesCarryTheChainsWithPointsThenTheBody) {
  struct Case {
    const char* name;
    ChainCache cache;
    const char* head;
  };
  const Case cases[] = {
      {"negative points; a chain without points is left out",
       Cache({{{-3, 4}, {0, -12}}, {}, {{7, 7}}}, 320, 200, 7, {255, 128, 0}),
       "$.global.SpindrelSetup = function() {\n"
       "var data={paths:[{closed:false,points:[[-3,4],[0,-12],]},{closed:false,points:[[7,7],]},],"
       "width:320,height:200};\n"
       "var strokeColor=[1.0000,0.5020,0.0000];\nvar strokeWidth=7;\n"},
      {"integer extremes, odd colour bytes",
       Cache({{{INT32_MIN, INT32_MAX}}}, 1, 2147483647, 0, {1, 254, 17}),
       "$.global.SpindrelSetup = function() {\n"
       "var data={paths:[{closed:false,points:[[-2147483648,2147483647],]},],width:1,height:2147483647};\n"
       "var strokeColor=[0.0039,0.9961,0.0667];\nvar strokeWidth=0;\n"},
      {"only chains without points", Cache({{}, {}}, 5, 6, 100, {255, 255, 255}),
       "$.global.SpindrelSetup = function() {\n"
       "var data={paths:[],width:5,height:6};\n"
       "var strokeColor=[1.0000,1.0000,1.0000];\nvar strokeWidth=100;\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ShapeLayerScriptText(c.cache), std::string(c.head) + kShapeLayerScriptBody);
  }

  const std::string body = kShapeLayerScriptBody;
  ASSERT_FALSE(body.empty());
  EXPECT_EQ(body.front(), '\n');
  const std::string ending = "\n};\napp.scheduleTask('$.global.SpindrelSetup();', 20, false);\n";
  ASSERT_GE(body.size(), ending.size());
  EXPECT_EQ(body.substr(body.size() - ending.size()), ending);
  for (size_t i = 0; i < body.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(body[i]);
    ASSERT_TRUE(byte == '\n' || (byte >= 0x20 && byte < 0x7F)) << "byte " << int(byte) << " at " << i;
  }
}

// Every colour byte reads as printf writes it in the C locale, also while
// the process writes decimal commas.
TEST(ShapeLayerScript, ColourLineHasFourDecimalsAndAPointInEveryLocale) {
  std::vector<std::string> expected;
  for (int byte = 0; byte < 256; ++byte) {
    const std::array<uint8_t, 3> color{uint8_t(byte), uint8_t(255 - byte), uint8_t(byte / 3)};
    expected.push_back(ColourLineInCLocale(color, byte - 128));
  }
  ScopedCommaLocale commaLocale;
  SPINDREL_REQUIRE_COMMA_LOCALE(commaLocale);
  for (int byte = 0; byte < 256; ++byte) {
    const std::array<uint8_t, 3> color{uint8_t(byte), uint8_t(255 - byte), uint8_t(byte / 3)};
    const std::string script = ShapeLayerScriptText(Cache({{{1, 2}}}, 10, 10, byte - 128, color));
    ASSERT_NE(script.find("};\n" + expected[byte]), std::string::npos) << byte << ": " << expected[byte];
  }
}

// In-process: the command runs the script of its snapshot with exactly the
// suite call the host expects. (Without data it shows an alert on this
// desktop; tests/host/cli presses it through the desktop stand-in.)
TEST(ShapeLayerScript, CommandRunsTheScriptOfTheSnapshotThroughTheUtilitySuite) {
  auto host = OpenTestHost();
  ASSERT_NE(host, nullptr);
  const SuiteKey utility{kUtilitySuiteName, kUtilitySuiteVersion};

  const ChainCache cache = Cache({{{3, 4}, {5, 6}}, {}, {{-1, 0}}}, 48, 40, 4, {10, 20, 30});
  SetProcessCache(cache);
  HostInData in = MakeInData(*host, 0);
  EXPECT_EQ(BuildShapeLayerScript(&in), kHostErrorNone);
  EXPECT_EQ(ReadSuiteLog(host->suites, &SuiteServices::scripts), std::vector<std::string>{ShapeLayerScriptText(cache)});
  EXPECT_EQ(ReadSuiteLog(host->suites, &SuiteServices::scriptCalls),
            std::vector<std::string>{"plugin 0 encoding 1 result none error none"});
  EXPECT_TRUE(ReadSuiteLog(host->suites, &SuiteServices::undoEvents).empty());
  const auto counts = ReadSuiteCounts(host->suites);
  ASSERT_EQ(counts.size(), 1u);
  EXPECT_EQ(counts.at(utility).acquired, 1);
  EXPECT_EQ(counts.at(utility).released, 1);

  RefuseSuite(host->suites, {kUtilitySuiteName});
  EXPECT_THROW(BuildShapeLayerScript(&in), MissingSuiteException);
  EXPECT_EQ(ReadSuiteLog(host->suites, &SuiteServices::scripts).size(), 1u);
}

// Through the module: a render publishes the chains and the Line Color,
// the button runs their script, and a refused suite answers 512.
TEST(ShapeLayerScript, ButtonAfterARenderRunsItsScriptAndARefusedSuiteGives512) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  std::string error;
  for (const char* setting : {"Line Color=#FF8000", "Line Width=6"}) {
    ASSERT_TRUE(ApplyParamAssignment(host->instance, setting, error)) << error;
  }
  OwnedFrame input = FrameFromImage(TextInkImage(160, 60, 3), 8);
  OwnedFrame output = MakeFrame(input.width, input.height, 8);
  ASSERT_EQ(RenderFrame(*host, FrameView(input), FrameView(output), 0), kHostErrorNone);

  EXPECT_EQ(PressButton(*host, PARAM_CREATE_SHAPE_LAYER), kHostErrorNone);
  const std::vector<std::string> scripts = ReadSuiteLog(host->suites, &SuiteServices::scripts);
  ASSERT_EQ(scripts.size(), 1u);
  const std::string& script = scripts[0];
  EXPECT_EQ(script.rfind("$.global.SpindrelSetup = function() {\nvar data={paths:[{closed:false,points:[[", 0), 0u);
  const std::string tail = "],width:160,height:60};\nvar strokeColor=[1.0000,0.5020,0.0000];\nvar strokeWidth=6;\n" +
                           std::string(kShapeLayerScriptBody);
  ASSERT_GE(script.size(), tail.size());
  EXPECT_EQ(script.substr(script.size() - tail.size()), tail);

  RefuseSuite(host->suites, {kUtilitySuiteName});
  EXPECT_EQ(PressButton(*host, PARAM_CREATE_SHAPE_LAYER), kHostErrorInternal);
  EXPECT_EQ(ReadSuiteLog(host->suites, &SuiteServices::scripts).size(), 1u);
  for (const auto& [key, count] : ReadSuiteCounts(host->suites)) EXPECT_EQ(count.acquired, count.released) << key.first;
}

}  // namespace
