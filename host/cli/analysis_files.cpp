#include "host/cli/analysis_files.h"

#include <algorithm>
#include <cstring>

#include <nlohmann/json.hpp>

#include "host/text_join.h"

namespace {

nlohmann::json PointList(const std::vector<IntPoint>& points) {
  nlohmann::json list = nlohmann::json::array();
  for (const IntPoint& p : points) list.push_back({p.x, p.y});
  return list;
}

nlohmann::json PointList(const std::vector<FloatPoint>& points) {
  nlohmann::json list = nlohmann::json::array();
  for (const FloatPoint& p : points) list.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
  return list;
}

}  // namespace

RgbaImage MaskImage(const ByteMask& mask) {
  RgbaImage image;
  image.width = mask.width;
  image.height = mask.height;
  image.pixels.resize(mask.cells.size() * 4);
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    const uint8_t grey = mask.cells[i] != 0 ? 255 : 0;
    uint8_t* pixel = &image.pixels[i * 4];
    pixel[0] = grey;
    pixel[1] = grey;
    pixel[2] = grey;
    pixel[3] = 255;
  }
  return image;
}

bool FloatImagePfm(int32_t width, int32_t height, const std::vector<float>& values, std::string& bytes) {
  const size_t count = static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0));
  if (width <= 0 || height <= 0 || values.size() != count) return false;
  bytes = JoinText({"Pf\n", std::to_string(width), " ", std::to_string(height), "\n-1.0\n"});
  const size_t header = bytes.size();
  bytes.resize(header + count * 4);
  size_t at = header;
  for (int32_t y = height - 1; y >= 0; --y) {
    for (int32_t x = 0; x < width; ++x) {
      uint32_t bits = 0;
      std::memcpy(&bits, &values[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)], 4);
      for (int shift = 0; shift < 32; shift += 8) bytes[at++] = static_cast<char>((bits >> shift) & 0xFF);
    }
  }
  return true;
}

std::string ChainsJsonText(const RenderAnalysis& analysis) {
  std::string text = JoinText({"{\n\"width\": ", std::to_string(analysis.maskWidth), ",\n\"height\": ",
                               std::to_string(analysis.maskHeight), ",\n\"chains\": ["});
  for (size_t i = 0; i < analysis.chains.size(); ++i) {
    const ChainRecord& chain = analysis.chains[i];
    nlohmann::ordered_json entry;
    entry["label"] = i < analysis.labels.size() ? analysis.labels[i] : static_cast<int32_t>(i + 1);
    entry["closed"] = chain.closed != 0;
    entry["points"] = PointList(chain.points);
    if (chain.fpoints.size() == chain.points.size()) entry["fpoints"] = PointList(chain.fpoints);
    text += i == 0 ? "\n" : ",\n";
    text += entry.dump();
  }
  text += analysis.chains.empty() ? "]\n}\n" : "\n]\n}\n";
  return text;
}
