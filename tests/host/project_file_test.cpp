#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "host/arb_data_calls.h"
#include "host/param_value_text.h"
#include "host/project_file.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/scratch_directory.h"

using nlohmann::json;

TEST(ProjectFile, SavedValuesAndBlobsSurviveAReloadByteForByte) {
  const ScratchDirectory scratch("project-roundtrip");
  const std::string path = scratch.File("project.json");
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
  const std::string ids = " (ids run from 1 to " + std::to_string(kParamCount) + ")";
  const std::pair<json, std::string> bad[] = {
      {withChanges({{"id", 999}, {"value", 1}}), "the effect has no parameter 999" + ids},
      {withChanges({{"id", 18446744073709551615u}, {"value", 1}}),
       "the effect has no parameter 18446744073709551615" + ids},
      {withChanges({{"id", -5}, {"value", 1}}), "the effect has no parameter -5" + ids},
      {withChanges({{"id", 2}, {"label", "Threshold!"}, {"value", 1}}),
       "parameter 2 (Threshold) is labelled the text \"Threshold!\" in the project"},
      {withChanges({{"id", 2}, {"label", "Threshold"}, {"value", 256}}),
       "parameter 2 (Threshold): unusable value the number 256; expected an integer from 0 to 255"},
      {withChanges({{"id", 2}, {"label", "Threshold"}, {"value", "12"}}),
       "parameter 2 (Threshold): unusable value the text \"12\"; expected an integer from 0 to 255"},
      {withChanges({{"id", 123}, {"label", "Chain Selection"}, {"data", "00ff"}}),
       "parameter 123 (Chain Selection): the data holds 2 bytes, but the effect's block is 268 bytes (536 hex digits)"},
      {withChanges({{"id", 124}, {"data", std::string(530, '0')}}),
       "parameter 124 (Draw Order): the data holds 265 bytes, but the effect's block is 264 bytes (528 hex digits)"},
      {withChanges({{"id", 123}, {"label", "Chain Selection"}, {"data", "zz"}}),
       "parameter 123 (Chain Selection): \"data\" is not a hex string (the text \"zz\")"},
      {withChanges({{"id", 41}, {"label", "Start Point"}, {"value", {1}}}),
       "parameter 41 (Start Point): unusable value an array of 1 element; expected [x, y] in pixels (multiples of "
       "1/65536) or \"default\""},
      {json{{"format", "something else"}}, "not a Spindrel project"},
      {json{{"format", 5}}, "not a Spindrel project"},
      {json{{"format", "spindrel-project"}, {"version", 2}, {"parameters", json::array()}},
       "unsupported project version the number 2; this host reads version 1"},
      {json{{"format", "spindrel-project"}, {"version", "1"}, {"parameters", json::array()}},
       "unsupported project version the text \"1\"; this host reads version 1"},
      {json::array({1, 2}), "not a Spindrel project"},
  };
  for (const auto& [project, message] : bad) {
    std::string error;
    bool loaded = true;
    EXPECT_NO_THROW(loaded = ProjectFromJson(*host, project, error)) << project.dump();
    EXPECT_FALSE(loaded) << project.dump();
    EXPECT_EQ(error, message);
    EXPECT_EQ(ProjectToJson(*host), good);
  }
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  std::string error;
  EXPECT_TRUE(ProjectFromJson(*host, withChanges({{"id", 3}, {"value", 2}}), error)) << error;
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_THRESHOLD).slider.value, 5);
}

// Files are read and refused with the system's reason or the place of the
// error; a value nested 100000 deep is described, not echoed.
TEST(ProjectFile, UnreadableMalformedOrHostileFilesAreReported) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const ScratchDirectory scratch("project-files");
  const std::string dir = scratch.Path() + "/";
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string header = "{\"format\": \"spindrel-project\", \"version\": 1, \"parameters\": [";
  const std::pair<std::string, std::string> files[] = {
      {"broken", "{ \"format\": \n"},
      {"deep_value", header + "{\"id\": 3, \"value\": " + deep + "}]}"},
      {"deep_label", header + "{\"id\": 3, \"label\": " + deep + ", \"value\": 1}]}"},
      {"deep_version", "{\"format\": \"spindrel-project\", \"version\": " + std::string(50000, '[') + "{\"a\": 1}" +
                           std::string(50000, ']') + "}"},
      {"long_label", header + "{\"id\": 2, \"label\": \"" + std::string(100000, 'x') + "\", \"value\": 1}]}"},
      {"huge", std::string(17 << 20, ' ')},
  };
  const std::pair<std::string, std::string> cases[] = {
      {dir + "does_not_exist.json", "cannot read " + dir + "does_not_exist.json: No such file or directory"},
#ifdef _WIN32
      {dir, "cannot read " + dir + ": Permission denied"},  // Windows will not open a directory as a file
#else
      {dir, "cannot read " + dir + ": Is a directory"},
#endif
      {dir + "broken", dir + "broken is not valid JSON (line 2, column 1)"},
      {dir + "deep_value", dir + "deep_value: parameter 3 (Channel): unusable value an array of 1 element; expected "
                                 "an integer from 1 to 5"},
      {dir + "deep_label", dir + "deep_label: parameter 3 (Channel) is labelled an array of 1 element in the project"},
      {dir + "deep_version",
       dir + "deep_version: unsupported project version an array of 1 element; this host reads version 1"},
      {dir + "long_label", dir + "long_label: parameter 2 (Threshold) is labelled the text "
                                 "\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\"... (100000 bytes) in the project"},
      {dir + "huge", "cannot read " + dir + "huge: it is larger than 16 MB, too large for a project"},
  };
  for (const auto& [name, text] : files) std::ofstream(dir + name, std::ios::binary) << text;
  for (const auto& [path, message] : cases) {
    std::string error;
    bool loaded = true;
    EXPECT_NO_THROW(loaded = LoadProject(*host, path, error));
    EXPECT_FALSE(loaded) << path;
    EXPECT_EQ(error, message);
  }
}
