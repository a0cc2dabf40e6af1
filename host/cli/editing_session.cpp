#include "host/cli/editing_session.h"

#include <cmath>

#include "host/frame_resample.h"
#include "host/raster/window_raster.h"
#include "host/text_join.h"
#include "host_interface/host_fixed_point.h"
#include "model/param_ids.h"
#include "model/read_render_settings.h"
#include "render/render_command.h"

namespace {

// The chains the render at the current values and time will trace, found
// by the same stage functions in this process; any change the stages flag
// is dropped, so the render still sees the values as they are.
std::vector<std::vector<IntPoint>> AnalyseChains(EditingSession& session) {
  const HostFrame input = FrameView(session.layer);
  std::vector<std::vector<IntPoint>> chains;
  const auto analyse = [&](HostInData& in, HostParamDef* params[]) {
    const RenderSettings settings = ReadRenderSettings(params);
    const RenderAnalysis analysis = RunAnalysisStages(in, params, params[PARAM_INPUT]->u.layer, settings, false);
    for (const ChainRecord& chain : analysis.chains) chains.push_back(chain.points);
    return kHostErrorNone;
  };
  RunWithCommandParams(*session.effect.host, &input, session.effect.time, analyse, {.changed = ChangedParams::kDrop});
  return chains;
}

// A point the overlay drew, back in the pixels of the analysed layer.
bool CachePixel(const EditingSession& session, int32_t windowType, DrawPoint point, IntPoint& pixel) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return false;
  HostFixedPoint fixed{RoundToFixedSaturated(point.x), RoundToFixedSaturated(point.y)};
  if (windowType == kWindowComp) fixed = TransformBack(session.effect.host->windows.layerInComp, fixed);
  const double x = std::round(FixedToDouble(fixed.x) / session.downsample);
  const double y = std::round(FixedToDouble(fixed.y) / session.downsample);
  pixel = {static_cast<int32_t>(x), static_cast<int32_t>(y)};
  return true;
}

int32_t ChainNumberOfStroke(const EditingSession& session, int32_t windowType, const DrawStroke& stroke) {
  std::vector<IntPoint> points;
  for (const std::vector<DrawPoint>& piece : stroke.subpaths) {
    for (const DrawPoint& point : piece) {
      IntPoint pixel{};
      if (!CachePixel(session, windowType, point, pixel)) return 0;
      points.push_back(pixel);
    }
  }
  for (size_t i = 0; i < session.chains.size(); ++i) {
    const std::vector<IntPoint>& chain = session.chains[i];
    const bool same = chain.size() == points.size() &&
                      std::equal(chain.begin(), chain.end(), points.begin(), [](IntPoint a, IntPoint b) {
                        return a.x == b.x && a.y == b.y;
                      });
    if (same) return static_cast<int32_t>(i + 1);
  }
  return 0;
}

DisplayList DrawWindowOverlay(EditingSession& session, int32_t windowType) {
  DisplayList strokes;
  const WindowEventReply reply = SendWindowDraw(*session.effect.host, windowType, session.effect.time, strokes);
  if (reply.error != kHostErrorNone) {
    FailCli(JoinText({"the plug-in failed to draw the window (error ", std::to_string(reply.error), ")"}));
  }
  return strokes;
}

}  // namespace

void OpenEditingSession(EditingSession& session, const CliEnvironment& environment, const EffectOptions& options,
                        int32_t downsample, const WindowLayout& layout) {
  session.environment = &environment;
  session.options = options;
  session.downsample = downsample;
  // The frames the session keeps and the windows it draws count with the render.
  const PlannedRun run{.windows = PlannedWindows{downsample, layout.compWidth, layout.compHeight}};
  session.effect = OpenEffectSession(environment, options, CheckEffectInputs(options, run));
  ReferenceHost& host = *session.effect.host;
  host.windows = layout;
  if (host.windows.compWidth <= 0 || host.windows.compHeight <= 0) {
    host.windows.compWidth = session.effect.input.width;
    host.windows.compHeight = session.effect.input.height;
  }
  host.downsampleX = {1, static_cast<uint32_t>(downsample)};
  host.downsampleY = {1, static_cast<uint32_t>(downsample)};
  SetLayerSize(host.instance, session.effect.input.width, session.effect.input.height);
  session.layer = DownsampleFrame(session.effect.input, downsample);
  if (!options.mapPath.empty()) {
    session.mapLayer = DownsampleFrame(session.effect.map, downsample);
    const HostFrame mapView = FrameView(session.mapLayer);
    SetMapLayer(host, &mapView);
  }
}

void MarkSessionChanged(EditingSession& session) { session.frameCurrent = false; }

const OwnedFrame& CurrentFrame(EditingSession& session) {
  if (session.frameCurrent) return session.frame;
  std::vector<std::vector<IntPoint>> chains = AnalyseChains(session);
  OwnedFrame frame = MakeFrame(session.layer.width, session.layer.height, session.layer.depth);
  const HostError result =
      RenderFrame(*session.effect.host, FrameView(session.layer), FrameView(frame), session.effect.time);
  if (result != kHostErrorNone) {
    FailCli(JoinText({"the plug-in failed to render (error ", std::to_string(result), ")"}));
  }
  session.frame = std::move(frame);
  session.chains = std::move(chains);
  session.frameCurrent = true;
  return session.frame;
}

std::vector<int32_t> SelectionShown(EditingSession& session, int32_t windowType) {
  std::vector<int32_t> numbers;
  for (const DrawStroke& stroke : DrawWindowOverlay(session, windowType)) {
    numbers.push_back(ChainNumberOfStroke(session, windowType, stroke));
  }
  return numbers;
}

RgbaImage WindowImage(EditingSession& session, int32_t windowType) {
  CurrentFrame(session);
  const RgbaImage frame = ImageFromFrame(FrameView(session.frame));
  const ReferenceHost& host = *session.effect.host;
  RgbaImage window = windowType == kWindowComp
                         ? PlaceLayerImage(frame, session.downsample, host.windows.layerInComp, host.windows.compWidth,
                                           host.windows.compHeight)
                         : PlaceLayerImage(frame, session.downsample, PlaneTransform{}, session.effect.input.width,
                                           session.effect.input.height);
  StrokeDisplayList(window, DrawWindowOverlay(session, windowType));
  return window;
}
