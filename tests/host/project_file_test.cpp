#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "host/arb_data_calls.h"
#include "host/param_value_text.h"
#include "host/project_file.h"
#include "shell/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed * 31 + i * 7);
  return bytes;
}

std::string TempPath(const char* name) { return (::testing::TempDir() + name); }

}  // namespace

TEST(ProjectFile, SavedValuesAndBlobsSurviveAReloadByteForByte) {
  const std::string path = TempPath("spindrel_project_roundtrip.json");
  const std::vector<uint8_t> selection = Pattern(268, 1);
  const std::vector<uint8_t> order = Pattern(264, 2);
  std::vector<HostParamDef> saved;
  {
    auto host = OpenSetUpHost();
    ASSERT_NE(host, nullptr);
    std::string error;
    for (const char* assignment : {"Threshold=17", "Reveal Progress (%)=33.3333333333", "Nib Angle=12.34567",
                                   "Line Color=#102030", "WP 3 Position=-5.25,1000.125", "Line Cap=Flat",
                                   "Invert Input=on"}) {
      ASSERT_TRUE(ApplyParamAssignment(host->instance, assignment, error)) << error;
    }
    ASSERT_EQ(ReplaceCurrentData(*host, PARAM_CHAIN_SELECTION, selection), kHostErrorNone);
    ASSERT_EQ(ReplaceCurrentData(*host, PARAM_DRAW_ORDER, order), kHostErrorNone);
    ASSERT_TRUE(SaveProject(*host, path, error)) << error;
    saved = SnapshotParamValues(host->instance);
  }
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  std::string error;
  ASSERT_TRUE(LoadProject(*host, path, error)) << error;
  const std::vector<HostParamDef> loaded = SnapshotParamValues(host->instance);
  for (int32_t id = 1; id <= 130; ++id) {
    const HostParamDef& a = saved[static_cast<size_t>(id)];
    const HostParamDef& b = loaded[static_cast<size_t>(id)];
    SCOPED_TRACE(id);
    switch (a.paramType) {
      case kParamTypeSlider: EXPECT_EQ(a.u.slider.value, b.u.slider.value); break;
      case kParamTypeFloatSlider: EXPECT_EQ(a.u.floatSlider.value, b.u.floatSlider.value); break;
      case kParamTypeAngle: EXPECT_EQ(a.u.angle.value, b.u.angle.value); break;
      case kParamTypeCheckbox: EXPECT_EQ(a.u.checkbox.value, b.u.checkbox.value); break;
      case kParamTypePopup: EXPECT_EQ(a.u.popup.value, b.u.popup.value); break;
      case kParamTypePoint:
        EXPECT_EQ(a.u.point.xValue, b.u.point.xValue);
        EXPECT_EQ(a.u.point.yValue, b.u.point.yValue);
        EXPECT_EQ(PointAtDefault(host->instance, id), id != PARAM_WP3_POSITION);
        break;
      case kParamTypeColor: EXPECT_EQ(std::memcmp(&a.u.color.value, &b.u.color.value, 4), 0); break;
      default: break;
    }
  }
  std::vector<uint8_t> bytes;
  ASSERT_EQ(FlattenCurrentData(*host, PARAM_CHAIN_SELECTION, bytes), kHostErrorNone);
  EXPECT_EQ(bytes, selection);
  ASSERT_EQ(FlattenCurrentData(*host, PARAM_DRAW_ORDER, bytes), kHostErrorNone);
  EXPECT_EQ(bytes, order);
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  std::remove(path.c_str());
}

TEST(ProjectFile, AnyBadEntryLeavesEveryValueAsItWas) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const nlohmann::json good = ProjectToJson(*host);
  std::vector<uint8_t> before;
  ASSERT_EQ(FlattenCurrentData(*host, PARAM_DRAW_ORDER, before), kHostErrorNone);

  auto withChanges = [&](const nlohmann::json& extra) {
    nlohmann::json project = good;
    project["parameters"].push_back(nlohmann::json::object({{"id", 2}, {"label", "Threshold"}, {"value", 5}}));
    project["parameters"].push_back(
        nlohmann::json::object({{"id", 124}, {"label", "Draw Order"}, {"data", std::string(528, 'f')}}));
    project["parameters"].push_back(extra);
    return project;
  };
  const nlohmann::json bad[] = {
      withChanges({{"id", 999}, {"value", 1}}),
      withChanges({{"id", 2}, {"label", "Threshold!"}, {"value", 1}}),
      withChanges({{"id", 2}, {"label", "Threshold"}, {"value", 256}}),
      withChanges({{"id", 2}, {"label", "Threshold"}, {"value", "12"}}),
      withChanges({{"id", 123}, {"label", "Chain Selection"}, {"data", "00ff"}}),  // shorter than the block
      withChanges({{"id", 123}, {"label", "Chain Selection"}, {"data", "zz"}}),
      withChanges({{"id", 41}, {"label", "Start Point"}, {"value", {1}}}),
      nlohmann::json{{"format", "something else"}},
      nlohmann::json{{"format", "spindrel-project"}, {"version", 2}, {"parameters", nlohmann::json::array()}},
  };
  for (const nlohmann::json& project : bad) {
    std::string error;
    EXPECT_FALSE(ProjectFromJson(*host, project, error)) << project.dump();
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadParamValue(host->instance, PARAM_THRESHOLD).slider.value, 128);
    std::vector<uint8_t> after;
    ASSERT_EQ(FlattenCurrentData(*host, PARAM_DRAW_ORDER, after), kHostErrorNone);
    EXPECT_EQ(after, before);
  }
  EXPECT_EQ(ReadHandleStats(host->handles).live, 4);
  std::string error;
  EXPECT_TRUE(ProjectFromJson(*host, withChanges({{"id", 3}, {"value", 2}}), error)) << error;
  EXPECT_EQ(ReadParamValue(host->instance, PARAM_THRESHOLD).slider.value, 5);
}

TEST(ProjectFile, UnreadableOrMalformedFilesAreReported) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  std::string error;
  EXPECT_FALSE(LoadProject(*host, TempPath("does_not_exist.json"), error));
  EXPECT_NE(error.find("cannot read"), std::string::npos);
  const std::string path = TempPath("spindrel_project_broken.json");
  std::ofstream(path) << "{ \"format\": ";
  EXPECT_FALSE(LoadProject(*host, path, error));
  EXPECT_NE(error.find("not valid JSON"), std::string::npos);
  std::remove(path.c_str());
  EXPECT_FALSE(SaveProject(*host, "/nonexistent-dir/p.json", error));
}

TEST(ProjectFile, WronglyTypedHeadersAndDirectoriesAreRefusedNotThrown) {
  auto host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const nlohmann::json bad[] = {
      nlohmann::json{{"format", 5}},
      nlohmann::json{{"format", "spindrel-project"}, {"version", "1"}, {"parameters", nlohmann::json::array()}},
      nlohmann::json::array({1, 2}),
  };
  for (const nlohmann::json& project : bad) {
    std::string error;
    bool loaded = true;
    EXPECT_NO_THROW(loaded = ProjectFromJson(*host, project, error)) << project.dump();
    EXPECT_FALSE(loaded) << project.dump();
    EXPECT_FALSE(error.empty());
  }
  std::string error;
  bool loaded = true;
  EXPECT_NO_THROW(loaded = LoadProject(*host, ::testing::TempDir(), error));
  EXPECT_FALSE(loaded);
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}
