#include "overlay_export/shape_layer_script.h"

#include <string>

#include "overlay_export/number_text.h"
#include "overlay_export/platform_operations.h"
#include "overlay_export/shape_layer_script_body.h"
#include "overlay_export/suite_handler.h"

namespace {

constexpr int32_t kScriptPluginId = 0;
constexpr uint8_t kPlatformEncoding = 1;

void AppendPoints(std::string& script, const std::vector<IntPoint>& points) {
  script += "{closed:false,points:[";
  for (const IntPoint& point : points) {
    script += '[';
    AppendInteger(script, point.x);
    script += ',';
    AppendInteger(script, point.y);
    script += "],";
  }
  script += "]},";
}

void AppendColourLines(std::string& script, const ChainCache& snapshot) {
  script += "var strokeColor=[";
  for (size_t channel = 0; channel < snapshot.strokeColor.size(); ++channel) {
    if (channel > 0) script += ',';
    // Divided in float, printed as the double it widens to.
    AppendFixed(script, static_cast<double>(snapshot.strokeColor[channel] / 255.0f), 4);
  }
  script += "];\nvar strokeWidth=";
  AppendInteger(script, snapshot.strokeWidth);
  script += ";\n";
}

}  // namespace

std::string ShapeLayerScriptText(const ChainCache& snapshot) {
  std::string script = "$.global.SpindrelSetup = function() {\n";
  script += "var data={paths:[";
  for (const std::vector<IntPoint>& chain : snapshot.chains) {
    if (!chain.empty()) AppendPoints(script, chain);
  }
  script += "],width:";
  AppendInteger(script, snapshot.width);
  script += ",height:";
  AppendInteger(script, snapshot.height);
  script += "};\n";
  AppendColourLines(script, snapshot);
  script += kShapeLayerScriptBody;
  return script;
}

HostError BuildShapeLayerScript(HostInData* in) {
  const ChainCache snapshot = SnapshotChainCache();
  if (!snapshot.valid || snapshot.chains.empty()) {
    ShowAlert(AlertMessage::kNoDataShapeLayer);
    return kHostErrorNone;
  }
  const std::string script = ShapeLayerScriptText(snapshot);
  SuiteHandler suites(in != nullptr ? in->basicSuite : nullptr);
  AcquireUtilitySuite(suites)->executeScript(kScriptPluginId, script.c_str(), kPlatformEncoding, nullptr, nullptr);
  return kHostErrorNone;
}
