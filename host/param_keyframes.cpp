#include "host/param_keyframes.h"

#include <cmath>

namespace {

int32_t RoundBetween(int32_t from, int32_t to, double fraction) {
  return static_cast<int32_t>(std::lround(from + (static_cast<double>(to) - from) * fraction));
}

uint8_t RoundByteBetween(uint8_t from, uint8_t to, double fraction) {
  return static_cast<uint8_t>(RoundBetween(from, to, fraction));
}

}  // namespace

bool ParamCanAnimate(const HostParamDef& def) {
  if ((def.flags & kParamFlagCannotTimeVary) != 0) return false;
  switch (def.paramType) {
    case kParamTypeSlider:
    case kParamTypeFloatSlider:
    case kParamTypeAngle:
    case kParamTypeCheckbox:
    case kParamTypeColor:
    case kParamTypePoint:
    case kParamTypePopup:
      return true;
    default:
      return false;
  }
}

HostParamValue ParamValueAtTime(int32_t kind, const std::vector<ParamKeyframe>& keys, int32_t time,
                                const HostParamValue& current) {
  HostParamValue result = current;
  // The segment [keys[index], keys[index + 1]) holding `time`; at or past the
  // last key, or before the first, the nearest key holds.
  size_t index = 0;
  while (index + 1 < keys.size() && keys[index + 1].time <= time) ++index;
  const HostParamValue& from = keys[index].value;
  const bool between = index + 1 < keys.size() && time > keys[index].time;
  const HostParamValue& to = between ? keys[index + 1].value : from;
  const double fraction =
      between ? static_cast<double>(static_cast<int64_t>(time) - keys[index].time) /
                    static_cast<double>(static_cast<int64_t>(keys[index + 1].time) - keys[index].time)
              : 0.0;
  switch (kind) {
    case kParamTypeSlider:
      result.slider.value = RoundBetween(from.slider.value, to.slider.value, fraction);
      break;
    case kParamTypeFloatSlider:
      result.floatSlider.value =
          from.floatSlider.value + (to.floatSlider.value - from.floatSlider.value) * fraction;
      break;
    case kParamTypeAngle:
      result.angle.value = RoundBetween(from.angle.value, to.angle.value, fraction);
      break;
    case kParamTypePoint:
      result.point.xValue = RoundBetween(from.point.xValue, to.point.xValue, fraction);
      result.point.yValue = RoundBetween(from.point.yValue, to.point.yValue, fraction);
      break;
    case kParamTypeColor:
      result.color.value.alpha = RoundByteBetween(from.color.value.alpha, to.color.value.alpha, fraction);
      result.color.value.red = RoundByteBetween(from.color.value.red, to.color.value.red, fraction);
      result.color.value.green = RoundByteBetween(from.color.value.green, to.color.value.green, fraction);
      result.color.value.blue = RoundByteBetween(from.color.value.blue, to.color.value.blue, fraction);
      break;
    case kParamTypeCheckbox:
      result.checkbox.value = from.checkbox.value;
      break;
    case kParamTypePopup:
      result.popup.value = from.popup.value;
      break;
    default:
      break;
  }
  return result;
}

bool SameParamValue(int32_t kind, const HostParamValue& a, const HostParamValue& b) {
  switch (kind) {
    case kParamTypeSlider: return a.slider.value == b.slider.value;
    case kParamTypeFloatSlider: return a.floatSlider.value == b.floatSlider.value;
    case kParamTypeAngle: return a.angle.value == b.angle.value;
    case kParamTypePoint: return a.point.xValue == b.point.xValue && a.point.yValue == b.point.yValue;
    case kParamTypeColor:
      return a.color.value.alpha == b.color.value.alpha && a.color.value.red == b.color.value.red &&
             a.color.value.green == b.color.value.green && a.color.value.blue == b.color.value.blue;
    case kParamTypeCheckbox: return a.checkbox.value == b.checkbox.value;
    case kParamTypePopup: return a.popup.value == b.popup.value;
    default: return true;
  }
}
