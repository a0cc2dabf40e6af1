// Renders small random frames through the effect's entry point, at every
// depth, with every parameter at a random value the host would accept (its
// valid range; points and angles anywhere), a random Map Layer and time.
// The render must succeed and be repeatable.
#include <vector>

#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_input.h"
#include "host/effect_instance.h"
#include "host/frame_buffer.h"
#include "host_interface/host_fixed_point.h"
#include "model/param_ids.h"

namespace {

constexpr int32_t kMaxSide = 40;

OwnedFrame RandomFrame(FuzzInput& input, int32_t width, int32_t height, int32_t depth) {
  RgbaImage image{width, height, input.TakeBytes(static_cast<size_t>(width) * height * 4)};
  image.pixels.resize(static_cast<size_t>(width) * height * 4, 0);
  return FrameFromImage(image, depth);
}

void RandomValue(FuzzInput& input, const HostParamEntry& entry, HostParamValue& value) {
  const HostParamValue& def = entry.def.u;
  switch (entry.def.paramType) {
    case kParamTypeSlider:
      value.slider.value = input.TakeInRange(def.slider.validMin, def.slider.validMax);
      break;
    case kParamTypeFloatSlider:
      value.floatSlider.value = input.TakeReal(def.floatSlider.validMin, def.floatSlider.validMax);
      break;
    case kParamTypeCheckbox: value.checkbox.value = input.TakeBool() ? 1 : 0; break;
    case kParamTypePopup: value.popup.value = input.TakeInRange<int32_t>(1, def.popup.numChoices); break;
    case kParamTypeAngle: value.angle.value = input.Take<int32_t>(); break;
    case kParamTypeColor:
      value.color.value = {255, input.Take<uint8_t>(), input.Take<uint8_t>(),
                           input.Take<uint8_t>()};
      break;
    case kParamTypePoint:
      // Mostly near the frame, sometimes anywhere.
      if (input.TakeBool()) {
        value.point.xValue = input.Take<int32_t>();
        value.point.yValue = input.Take<int32_t>();
      } else {
        value.point.xValue = WholeToFixed(input.TakeInRange(-8 * kMaxSide, 8 * kMaxSide));
        value.point.yValue = WholeToFixed(input.TakeInRange(-8 * kMaxSide, 8 * kMaxSide));
      }
      break;
    default: break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  ReferenceHost& host = ResetFuzzHost();
  const int32_t width = input.TakeInRange(1, kMaxSide);
  const int32_t height = input.TakeInRange(1, kMaxSide);
  const int32_t depth = 8 << input.TakeInRange(0, 2);
  const int32_t time = input.TakeInRange(-100000, 100000);
  for (int32_t id = 1; id < ParamCount(host.instance); ++id) {
    if (!input.TakeBool()) continue;  // stays at its default
    HostParamValue value = ReadParamValue(host.instance, id);
    RandomValue(input, ParamEntryById(host.instance, id), value);
    StoreParamValue(host.instance, id, value);
  }
  OwnedFrame map;
  HostFrame mapView{};
  const bool withMap = input.TakeBool();
  if (withMap) {
    map = RandomFrame(input, input.TakeInRange(1, kMaxSide), input.TakeInRange(1, kMaxSide), depth);
    mapView = FrameView(map);
  }
  SetMapLayer(host, withMap ? &mapView : nullptr);
  OwnedFrame frame = RandomFrame(input, width, height, depth);
  // The first render may change what the next see (a pending merge it
  // carries out); after it, the same render gives the same frame.
  std::vector<uint8_t> frames[3];
  for (std::vector<uint8_t>& bytes : frames) {
    OwnedFrame output = MakeFrame(width, height, depth);
    const HostError result = RenderFrame(host, FrameView(frame), FrameView(output), time);
    if (result != kHostErrorNone) FuzzFinding("the render failed with error " + std::to_string(result));
    bytes = std::move(output.storage);
  }
  if (frames[1] != frames[2]) FuzzFinding("the same render gave two frames");
  SetMapLayer(host, nullptr);
  CheckHandleUse(host);
  return 0;
}
