// A parameter array as the host hands it to a command: one zeroed record per
// parameter id, with setters for the value blocks the render reads.
#pragma once

#include <cstring>
#include <vector>

#include "host_interface/host_param_def.h"
#include "shell/param_ids.h"

namespace pipeline_test {

// HostParamDef holds a union and has no default constructor; the host hands
// out zero-filled records.
union ZeroedParamDef {
  HostParamDef def;
  ZeroedParamDef() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }
};

struct ParamArrayFixture {
  std::vector<ZeroedParamDef> slots;
  std::vector<HostParamDef*> pointers;

  ParamArrayFixture() : slots(kParamCountWithInput), pointers(kParamCountWithInput) {
    for (size_t i = 0; i < slots.size(); ++i) pointers[i] = &slots[i].def;
  }
  ParamArrayFixture(const ParamArrayFixture&) = delete;
  ParamArrayFixture& operator=(const ParamArrayFixture&) = delete;

  HostParamDef** Array() { return pointers.data(); }

  void Slider(int32_t id, int32_t v) { pointers[id]->u.slider.value = v; }
  void Checkbox(int32_t id, bool on) { pointers[id]->u.checkbox.value = on ? 1 : 0; }
  void Popup(int32_t id, int32_t v) { pointers[id]->u.popup.value = v; }
  void FloatSlider(int32_t id, double v) { pointers[id]->u.floatSlider.value = v; }
  void Angle(int32_t id, int32_t fixed) { pointers[id]->u.angle.value = fixed; }
  void Point(int32_t id, int32_t xFixed, int32_t yFixed) {
    pointers[id]->u.point.xValue = xFixed;
    pointers[id]->u.point.yValue = yFixed;
  }
  void Color(int32_t id, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    pointers[id]->u.color.value = HostPixel8{a, r, g, b};
  }
};

}  // namespace pipeline_test
