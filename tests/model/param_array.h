// A parameter array as the host hands it to a command: one zeroed record per
// parameter id, the input layer included, and setters for the kinds of value.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_frame.h"
#include "host_interface/host_param_def.h"
#include "model/param_ids.h"

namespace test_params {

// Zeroed records, as hosts hand them out.
struct ParamArray {
  std::vector<HostParamDef> defs = std::vector<HostParamDef>(kParamCountWithInput, HostParamDef{});
  std::vector<HostParamDef*> pointers;

  ParamArray() {
    for (HostParamDef& def : defs) pointers.push_back(&def);
  }
  ParamArray(const ParamArray&) = delete;  // the pointers point into this object
  HostParamDef** Array() { return pointers.data(); }
  HostParamDef& operator[](int32_t id) { return *pointers[id]; }
  void Slider(int32_t id, int32_t v) { pointers[id]->u.slider.value = v; }
  void Point(int32_t id, int32_t xFixed, int32_t yFixed) {
    pointers[id]->u.point.xValue = xFixed;
    pointers[id]->u.point.yValue = yFixed;
  }
  void Color(int32_t id, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    pointers[id]->u.color.value = HostPixel8{a, r, g, b};
  }
};

}  // namespace test_params
