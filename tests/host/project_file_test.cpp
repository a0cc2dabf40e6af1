#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "host/arb_data_calls.h"
#include "host/param_value_text.h"
#include "host/project_file.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

using nlohmann::json;

TEST(ProjectFile, SavedValuesAndBlobsSurviveAReloadByteForByte) {
  const std::string path = ::testing::TempDir() + "spindrel_project_roundtrip.json";
  json saved;
  {
    auto host = OpenSetUpHost();
    ASSERT_NE(host, nullptr);
    std::string error;
    for (const char* assignment : {"Threshold=17", "Reveal Progress (%)=33.3333333333", "Nib Angle=12.34567",
                                   "Line Color=#102030", "WP 3 Position=-5.25,1000.125", "Line Cap=Flat",
                                   "Invert Input=on"}) {
      ASSERT_TRUE(ApplyParamAssignment(host->instance, assignment, error)) << error;
    }
    ASSERT_EQ(ReplaceCurrentData(*host, PARAM_CHAIN_SELECTION, PatternBytes(268, 1)), kHostErrorNone);
    ASSERT_EQ(ReplaceCurrentData(*host, PARAM_DRAW_ORDER, PatternBytes(264, 2)), kHostErrorNone);
    std::ofstream(path, std::ios::binary) << ProjectText(*host);
    saved = ProjectToJson(*host);
  }
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  std::string error;
  ASSERT_TRUE(LoadProject(*host, path, error)) << error;
  EXPECT_EQ(ProjectToJson(*host), saved);  // every value, which points are at their default, the blobs' bytes
  // Values a text form could round the same way on saving and on comparing.
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_REVEAL_PROGRESS).floatSlider.value, 33.3333333333);
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_NIB_ANGLE).angle.value, 809086);  // 12.34567 in 16.16
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_WP3_POSITION).point.yValue, 1000 * 65536 + 8192);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  std::remove(path.c_str());
}

// Each bad project comes with good entries before the bad one: none may be applied.
TEST(ProjectFile, AnyBadEntryOrHeaderLeavesEveryValueAsItWas) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const json good = ProjectToJson(*host);
  auto withChanges = [&](const json& extra) {
    json project = good;
    project["parameters"].push_back({{"id", 2}, {"label", "Threshold"}, {"value", 5}});
    project["parameters"].push_back({{"id", 124}, {"label", "Draw Order"}, {"data", std::string(528, 'f')}});
    project["parameters"].push_back(extra);
    return project;
  };
  const json bad[] = {
      withChanges({{"id", 999}, {"value", 1}}),
      withChanges({{"id", 2}, {"label", "Threshold!"}, {"value", 1}}),
      withChanges({{"id", 2}, {"label", "Threshold"}, {"value", 256}}),
      withChanges({{"id", 2}, {"label", "Threshold"}, {"value", "12"}}),
      withChanges({{"id", 123}, {"label", "Chain Selection"}, {"data", "00ff"}}),  // shorter than the block
      withChanges({{"id", 123}, {"label", "Chain Selection"}, {"data", "zz"}}),
      withChanges({{"id", 41}, {"label", "Start Point"}, {"value", {1}}}),
      json{{"format", "something else"}},
      json{{"format", 5}},
      json{{"format", "spindrel-project"}, {"version", 2}, {"parameters", json::array()}},
      json{{"format", "spindrel-project"}, {"version", "1"}, {"parameters", json::array()}},
      json::array({1, 2}),
  };
  for (const json& project : bad) {
    std::string error;
    bool loaded = true;
    EXPECT_NO_THROW(loaded = ProjectFromJson(*host, project, error)) << project.dump();
    EXPECT_FALSE(loaded) << project.dump();
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ProjectToJson(*host), good);
  }
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  std::string error;
  EXPECT_TRUE(ProjectFromJson(*host, withChanges({{"id", 3}, {"value", 2}}), error)) << error;
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_THRESHOLD).slider.value, 5);
}

TEST(ProjectFile, UnreadableOrMalformedFilesAreReported) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const std::string broken = ::testing::TempDir() + "spindrel_project_broken.json";
  std::ofstream(broken) << "{ \"format\": ";
  const std::pair<std::string, const char*> cases[] = {
      {::testing::TempDir() + "does_not_exist.json", "cannot read"},
      {::testing::TempDir(), "cannot read"},  // a directory
      {broken, "not valid JSON"},
  };
  for (const auto& [path, reason] : cases) {
    std::string error;
    bool loaded = true;
    EXPECT_NO_THROW(loaded = LoadProject(*host, path, error));
    EXPECT_FALSE(loaded) << path;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
  std::remove(broken.c_str());
}
