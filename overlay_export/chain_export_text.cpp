#include "overlay_export/chain_export_text.h"

#include "overlay_export/number_text.h"

const char* const kSvgPathPalette[12] = {"#FF5050", "#3CDC3C", "#3C3CDC", "#FFC828", "#C83CFF", "#3CDCDC",
                                         "#FF8C28", "#B464FF", "#64FFB4", "#FF6496", "#64B4FF", "#C8FF64"};

namespace {

bool HasFloatPoints(const ChainRecord& record) { return record.fpoints.size() == record.points.size(); }

bool HasTangents(const ChainRecord& record) {
  return record.inT.size() == record.points.size() && record.outT.size() == record.points.size();
}

// Point k of the record as floats: the sub-pixel point when the record has
// them, else the integer point.
FloatPoint PointAt(const ChainRecord& record, size_t k) {
  if (HasFloatPoints(record)) return record.fpoints[k];
  return {static_cast<float>(record.points[k].x), static_cast<float>(record.points[k].y)};
}

void AppendPair(std::string& out, FloatPoint p, int decimals, const char* separator) {
  AppendFixed(out, p.x, decimals);
  out += separator;
  AppendFixed(out, p.y, decimals);
}

void AppendJsonHandles(std::string& out, const std::vector<FloatPoint>& handles) {
  for (size_t k = 0; k < handles.size(); ++k) {
    if (k > 0) out += ',';
    out += '[';
    AppendPair(out, handles[k], 3, ",");
    out += ']';
  }
}

void AppendJsonRecord(std::string& out, const ChainRecord& record) {
  out += record.closed ? "{\"closed\":true,\"points\":[" : "{\"closed\":false,\"points\":[";
  const bool floats = HasFloatPoints(record);
  for (size_t k = 0; k < record.points.size(); ++k) {
    if (k > 0) out += ',';
    out += '[';
    if (floats) {
      AppendPair(out, record.fpoints[k], 2, ",");
    } else {
      AppendInteger(out, record.points[k].x);
      out += ',';
      AppendInteger(out, record.points[k].y);
    }
    out += ']';
  }
  out += ']';
  if (HasTangents(record)) {
    out += ",\"inT\":[";
    AppendJsonHandles(out, record.inT);
    out += "],\"outT\":[";
    AppendJsonHandles(out, record.outT);
    out += ']';
  }
  out += '}';
}

void AppendSvgPath(std::string& out, const ChainRecord& record, const char* colour, int32_t strokeWidth) {
  out += "  <path d=\"M";
  AppendPair(out, PointAt(record, 0), 2, " ");
  const bool tangents = HasTangents(record);
  for (size_t k = 1; k < record.points.size(); ++k) {
    const FloatPoint end = PointAt(record, k);
    if (tangents) {
      out += " C";
      AppendPair(out, Add(PointAt(record, k - 1), record.outT[k - 1]), 2, " ");
      out += ' ';
      AppendPair(out, Add(end, record.inT[k]), 2, " ");
      out += ' ';
    } else {
      out += " L";
    }
    AppendPair(out, end, 2, " ");
  }
  if (record.closed) out += " Z";
  out += "\" fill=\"none\" stroke=\"";
  out += colour;
  out += "\" stroke-width=\"";
  AppendInteger(out, strokeWidth);
  out += "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
}

}  // namespace

std::string PathsJsonText(const std::vector<ChainRecord>& records, int32_t width, int32_t height) {
  std::string out = "{\"width\":";
  AppendInteger(out, width);
  out += ",\"height\":";
  AppendInteger(out, height);
  out += ",\"paths\":[";
  bool wroteOne = false;
  for (const ChainRecord& record : records) {
    if (record.points.empty()) continue;
    if (wroteOne) out += ',';
    AppendJsonRecord(out, record);
    wroteOne = true;
  }
  out += "]}";
  return out;
}

std::string PathsSvgText(const std::vector<ChainRecord>& records, int32_t width, int32_t height,
                         int32_t strokeWidth) {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 ";
  AppendInteger(out, width);
  out += ' ';
  AppendInteger(out, height);
  out += "\" width=\"";
  AppendInteger(out, width);
  out += "\" height=\"";
  AppendInteger(out, height);
  out += "\">\n  <rect width=\"100%\" height=\"100%\" fill=\"none\"/>\n";
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].points.size() < 2) continue;  // still uses up palette position i
    AppendSvgPath(out, records[i], kSvgPathPalette[i % 12], strokeWidth);
  }
  out += "</svg>\n";
  return out;
}
