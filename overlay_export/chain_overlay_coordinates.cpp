#include "overlay_export/chain_overlay_coordinates.h"

#include "host_interface/host_fixed_point.h"

FloatPoint DrawFactors(const HostInData& in) {
  const auto factor = [](HostRatio ratio) {
    return ratio.num > 0 ? static_cast<float>(ratio.den) / static_cast<float>(ratio.num) : 1.0f;
  };
  return {factor(in.downsampleX), factor(in.downsampleY)};
}

std::optional<FloatPoint> LayerPointToFrame(int32_t windowType, const HostEventRecord& event, const HostInData& in,
                                            float x, float y) {
  const std::optional<int32_t> fixedX = RoundFiniteToFixedSaturated(x);
  const std::optional<int32_t> fixedY = RoundFiniteToFixedSaturated(y);
  if (!fixedX || !fixedY) return std::nullopt;
  HostFixedPoint point{*fixedX, *fixedY};
  const HostEventCallbacks& callbacks = event.callbacks;
  if (windowType == kWindowComp && callbacks.layerToComp != nullptr) {
    callbacks.layerToComp(callbacks.refcon, event.context, in.currentTime, in.timeScale, &point);
  }
  if (callbacks.sourceToFrame != nullptr) callbacks.sourceToFrame(callbacks.refcon, event.context, &point);
  return FloatPoint{static_cast<float>(FixedToDouble(point.x)), static_cast<float>(FixedToDouble(point.y))};
}

FloatPoint ClickPointInCache(int32_t windowType, const HostEventRecord& event, const HostInData& in) {
  HostFixedPoint point{WholeToFixedSaturated(event.click.windowPoint.x),
                       WholeToFixedSaturated(event.click.windowPoint.y)};
  const HostEventCallbacks& callbacks = event.callbacks;
  if (callbacks.frameToSource != nullptr) callbacks.frameToSource(callbacks.refcon, event.context, &point);
  if (windowType == kWindowComp && callbacks.compToLayer != nullptr) {
    callbacks.compToLayer(callbacks.refcon, event.context, in.currentTime, in.timeScale, &point);
  }
  const auto factor = [](HostRatio ratio) {
    return ratio.num > 0 ? static_cast<double>(ratio.num) / static_cast<double>(ratio.den) : 1.0;
  };
  return {static_cast<float>(FixedToDouble(point.x) * factor(in.downsampleX)),
          static_cast<float>(FixedToDouble(point.y) * factor(in.downsampleY))};
}
