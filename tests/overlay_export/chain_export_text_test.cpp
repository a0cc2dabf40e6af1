// The JSON and SVG export texts, whole, against texts written by hand.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "overlay_export/chain_export_text.h"
#include "overlay_export/number_text.h"

namespace {

ChainRecord Record(std::vector<IntPoint> points, bool closed = false) {
  ChainRecord r;
  r.points = std::move(points);
  r.closed = closed;
  return r;
}

const std::string kSvgHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 40 30\" width=\"40\" height=\"30\">\n"
    "  <rect width=\"100%\" height=\"100%\" fill=\"none\"/>\n";

std::string SvgPath(const std::string& d, const char* colour, int width = 3) {
  return "  <path d=\"" + d + "\" fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"" + std::to_string(width) +
         "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
}

TEST(ChainExportText, WholeFiles) {
  ChainRecord withFloats = Record({{1, 2}, {3, 4}});
  withFloats.fpoints = {{1.25f, 2.5f}, {-3.125f, 4.0f}};
  ChainRecord mismatched = Record({{7, -8}, {9, 10}});
  mismatched.fpoints = {{1.0f, 1.0f}};  // one entry for two points: not used
  ChainRecord fitted = Record({{0, 0}, {10, 0}});
  fitted.fpoints = {{0.5f, 0.5f}, {10.5f, 0.5f}};
  fitted.inT = {{0.0f, 0.0f}, {-2.0f, 1.0f}};
  fitted.outT = {{3.0f, -1.5f}, {0.0f, 0.0f}};
  ChainRecord halfFitted = Record({{5, 5}, {6, 6}});
  halfFitted.inT = {{1.0f, 1.0f}, {1.0f, 1.0f}};  // no outT: no tangents

  struct Case {
    const char* name;
    std::vector<ChainRecord> records;
    int32_t width, height;
    std::string json, svg;
  };
  const Case cases[] = {
      {"no records", {}, 40, 30, "{\"width\":40,\"height\":30,\"paths\":[]}", kSvgHeader + "</svg>\n"},
      {"an empty record between two takes no separator and keeps its palette place",
       {Record({{1, 2}, {3, 4}}), Record({}), Record({{5, 6}, {7, 8}, {9, 10}})},
       40, 30,
       "{\"width\":40,\"height\":30,\"paths\":[{\"closed\":false,\"points\":[[1,2],[3,4]]},"
       "{\"closed\":false,\"points\":[[5,6],[7,8],[9,10]]}]}",
       kSvgHeader + SvgPath("M1.00 2.00 L3.00 4.00", "#FF5050") +
           SvgPath("M5.00 6.00 L7.00 8.00 L9.00 10.00", "#3C3CDC") + "</svg>\n"},
      {"a single point is a JSON path but no SVG path",
       {Record({{-4, -5}}, true)},
       40, 30, "{\"width\":40,\"height\":30,\"paths\":[{\"closed\":true,\"points\":[[-4,-5]]}]}",
       kSvgHeader + "</svg>\n"},
      {"sub-pixel points, and a count mismatch falls back to the integers",
       {withFloats, mismatched},
       40, 30,
       "{\"width\":40,\"height\":30,\"paths\":[{\"closed\":false,\"points\":[[1.25,2.50],[-3.12,4.00]]},"
       "{\"closed\":false,\"points\":[[7,-8],[9,10]]}]}",
       kSvgHeader + SvgPath("M1.25 2.50 L-3.12 4.00", "#FF5050") + SvgPath("M7.00 -8.00 L9.00 10.00", "#3CDC3C") +
           "</svg>\n"},
      {"tangents, closed with a straight Z",
       {Record({{1, 1}, {2, 1}, {2, 2}}, true), fitted, halfFitted},
       40, 30,
       "{\"width\":40,\"height\":30,\"paths\":[{\"closed\":true,\"points\":[[1,1],[2,1],[2,2]]},"
       "{\"closed\":false,\"points\":[[0.50,0.50],[10.50,0.50]],\"inT\":[[0.000,0.000],[-2.000,1.000]],"
       "\"outT\":[[3.000,-1.500],[0.000,0.000]]},{\"closed\":false,\"points\":[[5,5],[6,6]]}]}",
       kSvgHeader + SvgPath("M1.00 1.00 L2.00 1.00 L2.00 2.00 Z", "#FF5050") +
           SvgPath("M0.50 0.50 C3.50 -1.00 8.50 1.50 10.50 0.50", "#3CDC3C") +
           SvgPath("M5.00 5.00 L6.00 6.00", "#3C3CDC") + "</svg>\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PathsJsonText(c.records, c.width, c.height), c.json);
    EXPECT_EQ(PathsSvgText(c.records, c.width, c.height, 3), c.svg);
  }
}

TEST(ChainExportText, PaletteCountsEveryRecordAndWraps) {
  std::vector<ChainRecord> records(14, Record({{0, 0}}));  // single points: no SVG path
  records[12] = Record({{0, 0}, {1, 1}});
  records[13] = Record({{2, 2}, {3, 3}});
  const std::string svg = PathsSvgText(records, 0, 0, -1);
  EXPECT_EQ(svg,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 0 0\" width=\"0\" height=\"0\">\n"
            "  <rect width=\"100%\" height=\"100%\" fill=\"none\"/>\n" +
                SvgPath("M0.00 0.00 L1.00 1.00", "#FF5050", -1) + SvgPath("M2.00 2.00 L3.00 3.00", "#3CDC3C", -1) +
                "</svg>\n");
  std::vector<ChainRecord> twelve;
  for (int i = 0; i < 12; ++i) twelve.push_back(Record({{i, 0}, {i, 1}}));
  const std::string all = PathsSvgText(twelve, 1, 1, 1);
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    char path[96];
    std::snprintf(path, sizeof path, "M%d.00 0.00 L%d.00 1.00\" fill=\"none\" stroke=\"%s\"", i, i,
                  kSvgPathPalette[i]);
    EXPECT_NE(all.find(path), std::string::npos);
  }
}

// The same bytes on every platform, rounded from the exact binary value.
TEST(ChainExportText, NumbersRoundTheExactValue) {
  const struct {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {0.125, 2, "0.12"},   {0.375, 2, "0.38"},  {2.675f, 2, "2.67"},  {-0.001, 2, "-0.00"},
      {-0.0, 2, "-0.00"},   {0.0005f, 3, "0.001"}, {-1.0005, 3, "-1.000"}, {1e30, 2, "1000000000000000019884624838656.00"},
      {std::numeric_limits<double>::infinity(), 2, "inf"}, {-std::numeric_limits<double>::infinity(), 3, "-inf"},
  };
  for (const auto& c : cases) {
    std::string text;
    AppendFixed(text, c.value, c.decimals);
    EXPECT_EQ(text, c.text) << c.value;
  }
}

#ifndef _WIN32
// The same bytes as glibc's printf in the C locale, for the values the files
// meet.
TEST(ChainExportText, NumbersMatchPrintfInTheCLocale) {
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  std::vector<double> values = {0.0, -0.0, 0.125, 0.375, 2.675f, -0.001, 0.0005f, 1e30, -3.4e38f, 12345.678f,
                                std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                std::nan(""), -std::nan("")};
  std::mt19937 random(7);
  std::uniform_real_distribution<float> coordinate(-5000.0f, 5000.0f);
  for (int i = 0; i < 20000; ++i) values.push_back(coordinate(random));
  for (double value : values) {
    for (int decimals : {2, 3}) {
      char expected[512];
      std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
      std::string actual;
      AppendFixed(actual, value, decimals);
      ASSERT_EQ(actual, expected) << "value " << value << " with " << decimals << " decimals";
    }
  }
  for (int64_t value : {int64_t{0}, int64_t{-1}, int64_t{INT32_MIN}, int64_t{INT32_MAX}}) {
    std::string actual;
    AppendInteger(actual, value);
    EXPECT_EQ(actual, std::to_string(value));
  }
}
#endif

// A host running with a decimal comma still gets decimal points.
TEST(ChainExportText, DecimalPointUnderACommaLocale) {
  ChainRecord r = Record({{1, 2}, {3, 4}});
  r.fpoints = {{1.5f, -2.25f}, {3.0f, 4.75f}};
  r.inT = r.fpoints;
  r.outT = r.fpoints;
  const std::vector<ChainRecord> records = {r};
  const std::string json = PathsJsonText(records, 8, 9);
  const std::string svg = PathsSvgText(records, 8, 9, 2);
  const char* const commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"};
  const char* found = nullptr;
  for (const char* name : commaLocales) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      found = name;
      break;
    }
  }
  if (found == nullptr) {
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no comma locale on this machine (scripts/ensure-packages.sh generates de_DE.UTF-8)";
  }
  char printed[16];
  std::snprintf(printed, sizeof printed, "%.2f", 1.5);
  const std::string localeText = printed;
  EXPECT_EQ(PathsJsonText(records, 8, 9), json);
  EXPECT_EQ(PathsSvgText(records, 8, 9, 2), svg);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(localeText, "1,50") << found << " is not a comma locale";
  EXPECT_NE(json.find("[1.50,-2.25]"), std::string::npos);
  EXPECT_NE(svg.find("M1.50 -2.25"), std::string::npos);
}

}  // namespace
