// The parameter and key text of --set, --key and --fps: each line of the
// input is applied as all three. Whatever the text, it is refused with one
// line or leaves every parameter inside what the host accepts.
#include <string_view>

#include "fuzz/fuzz_host.h"
#include "host/frame_timing.h"
#include "host/param_key_text.h"
#include "host/param_value_text.h"

namespace {

void CheckValue(const HostParamEntry& entry, const HostParamValue& value) {
  const HostParamValue& def = entry.def.u;
  bool inside = true;
  switch (entry.def.paramType) {
    case kParamTypeSlider: inside = value.slider.value >= def.slider.validMin && value.slider.value <= def.slider.validMax; break;
    case kParamTypeFloatSlider:
      inside = value.floatSlider.value >= def.floatSlider.validMin && value.floatSlider.value <= def.floatSlider.validMax;
      break;
    case kParamTypeCheckbox: inside = value.checkbox.value == 0 || value.checkbox.value == 1; break;
    case kParamTypePopup: inside = value.popup.value >= 1 && value.popup.value <= def.popup.numChoices; break;
    default: break;
  }
  if (!inside) FuzzFinding("a value outside its range was taken: " + entry.label);
}

void CheckRefusal(bool accepted, const std::string& error) {
  if (!accepted && (error.empty() || error.find('\n') != std::string::npos || error.size() > 600)) {
    FuzzFinding("a refusal without one short line: " + error.substr(0, 600));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReferenceHost& host = ResetFuzzHost();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  FrameTiming timing;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    std::string error;
    FrameTiming parsed;
    const bool rate = ParseFrameRate(line, parsed, error);
    CheckRefusal(rate, error);
    if (rate) {
      if (parsed.timeScale == 0 || parsed.timeStep <= 0) FuzzFinding("a rate without time units");
      timing = parsed;
    }
    error.clear();
    CheckRefusal(ApplyParamAssignment(host.instance, line, error), error);
    error.clear();
    CheckRefusal(ApplyParamKeyframes(host.instance, line, timing, error), error);
  }
  for (int32_t time : {-3000, 0, 1500, 3000, 90000}) {
    const std::vector<HostParamDef> values = SnapshotParamValues(host.instance, 64, 48, time);
    for (int32_t id = 1; id < static_cast<int32_t>(values.size()); ++id) {
      CheckValue(ParamEntryById(host.instance, id), values[static_cast<size_t>(id)].u);
    }
  }
  return 0;
}
