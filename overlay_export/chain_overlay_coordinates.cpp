#include "overlay_export/chain_overlay_coordinates.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kFixedOne = 65536.0;

int32_t SaturateToInt32(double value) {
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  if (value >= kMax) return std::numeric_limits<int32_t>::max();
  if (value <= kMin) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace

std::optional<int32_t> FloatToFixed(double value) {
  if (!std::isfinite(value)) return std::nullopt;
  const double scaled = value * kFixedOne;
  return SaturateToInt32(std::trunc(scaled >= 0.0 ? scaled + 0.5 : scaled - 0.5));
}

int32_t IntToFixed(int32_t value) { return SaturateToInt32(static_cast<double>(value) * kFixedOne); }

FloatPoint DrawFactors(const HostInData& in) {
  const auto factor = [](HostRatio ratio) {
    return ratio.num > 0 ? static_cast<float>(ratio.den) / static_cast<float>(ratio.num) : 1.0f;
  };
  return {factor(in.downsampleX), factor(in.downsampleY)};
}

std::optional<FloatPoint> LayerPointToFrame(int32_t windowType, const HostEventRecord& event, const HostInData& in,
                                            float x, float y) {
  const std::optional<int32_t> fixedX = FloatToFixed(x);
  const std::optional<int32_t> fixedY = FloatToFixed(y);
  if (!fixedX || !fixedY) return std::nullopt;
  HostFixedPoint point{*fixedX, *fixedY};
  const HostEventCallbacks& callbacks = event.callbacks;
  if (windowType == kWindowComp && callbacks.layerToComp != nullptr) {
    callbacks.layerToComp(callbacks.refcon, event.context, in.currentTime, in.timeScale, &point);
  }
  if (callbacks.sourceToFrame != nullptr) callbacks.sourceToFrame(callbacks.refcon, event.context, &point);
  return FloatPoint{static_cast<float>(point.x / kFixedOne), static_cast<float>(point.y / kFixedOne)};
}

FloatPoint ClickPointInCache(int32_t windowType, const HostEventRecord& event, const HostInData& in) {
  HostFixedPoint point{IntToFixed(event.click.windowPoint.x), IntToFixed(event.click.windowPoint.y)};
  const HostEventCallbacks& callbacks = event.callbacks;
  if (callbacks.frameToSource != nullptr) callbacks.frameToSource(callbacks.refcon, event.context, &point);
  if (windowType == kWindowComp && callbacks.compToLayer != nullptr) {
    callbacks.compToLayer(callbacks.refcon, event.context, in.currentTime, in.timeScale, &point);
  }
  const auto factor = [](HostRatio ratio) {
    return ratio.num > 0 ? static_cast<double>(ratio.num) / static_cast<double>(ratio.den) : 1.0;
  };
  return {static_cast<float>(point.x / kFixedOne * factor(in.downsampleX)),
          static_cast<float>(point.y / kFixedOne * factor(in.downsampleY))};
}
