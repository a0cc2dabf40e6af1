#include "overlay_export/chain_overlay.h"

#include <optional>

#include "model/param_ids.h"
#include "overlay_export/chain_overlay_coordinates.h"
#include "overlay_export/chain_overlay_hit_test.h"
#include "overlay_export/chain_selection.h"
#include "overlay_export/suite_handler.h"
#include "render/analysis/chain_cache.h"
#include "skeleton/index_at.h"

namespace {

// What one draw event strokes with: the suites, the window's surface and the pen.
struct OverlayCanvas {
  const HostSupplierSuite1* supplierSuite = nullptr;
  const HostPathSuite1* pathSuite = nullptr;
  const HostSurfaceSuite2* surfaceSuite = nullptr;
  HostDrawSupplier supplier = nullptr;
  HostDrawSurface surface = nullptr;
  HostDrawPen pen = nullptr;
};

// A pen or path of the supplier suite, released when the scope ends.
struct ScopedDrawObject {
  ScopedDrawObject(const HostSupplierSuite1& suite, HostDrawObject object) : suite(suite), object(object) {}
  ~ScopedDrawObject() { suite.releaseObject(object); }
  ScopedDrawObject(const ScopedDrawObject&) = delete;
  ScopedDrawObject& operator=(const ScopedDrawObject&) = delete;

  const HostSupplierSuite1& suite;
  const HostDrawObject object;
};

// Strokes one chain of cache pixels; a chain with a point that has no window
// position is left out whole.
void StrokeChain(const OverlayCanvas& canvas, const std::vector<IntPoint>& points, FloatPoint factors,
                 int32_t windowType, const HostEventRecord& event, const HostInData& in) {
  HostDrawPath path = nullptr;
  canvas.supplierSuite->newPath(canvas.supplier, &path);
  if (path == nullptr) return;
  const ScopedDrawObject release(*canvas.supplierSuite, reinterpret_cast<HostDrawObject>(path));
  bool complete = true;
  for (size_t k = 0; k < points.size() && complete; ++k) {
    const std::optional<FloatPoint> mapped =
        LayerPointToFrame(windowType, event, in, static_cast<float>(points[k].x) * factors.x,
                          static_cast<float>(points[k].y) * factors.y);
    if (!mapped) {
      complete = false;
    } else if (k == 0) {
      canvas.pathSuite->moveTo(path, mapped->x, mapped->y);
    } else {
      canvas.pathSuite->lineTo(path, mapped->x, mapped->y);
    }
  }
  if (complete) canvas.surfaceSuite->strokePath(canvas.surface, canvas.pen, path);
}

HostError DrawSelectedChains(const HostInData& in, HostEventRecord& event, int32_t windowType) {
  if ((event.inFlags & kEventInFlagDontDraw) != 0) return kHostErrorNone;
  const std::vector<int32_t> ids = CopySelectedChainIds();
  if (ids.empty()) return kHostErrorNone;

  SuiteHandler suites(in.basicSuite);
  HostDrawRef drawRef = nullptr;
  AcquireCustomUISuite(suites)->getDrawingReference(event.context, &drawRef);
  if (drawRef == nullptr) return kHostErrorNone;
  OverlayCanvas canvas;
  const HostDrawSuite1* drawSuite = AcquireDrawSuite(suites);
  drawSuite->getSupplier(drawRef, &canvas.supplier);
  drawSuite->getSurface(drawRef, &canvas.surface);
  if (canvas.supplier == nullptr || canvas.surface == nullptr) return kHostErrorNone;
  // Every suite is in hand before the pen exists, so a missing one cannot strand it.
  canvas.supplierSuite = AcquireSupplierSuite(suites);
  canvas.pathSuite = AcquirePathSuite(suites);
  canvas.surfaceSuite = AcquireSurfaceSuite(suites);
  canvas.supplierSuite->newPen(canvas.supplier, &OverlayPenColor, OverlayPenSize, &canvas.pen);
  if (canvas.pen == nullptr) return kHostErrorNone;
  {
    const ScopedDrawObject release(*canvas.supplierSuite, reinterpret_cast<HostDrawObject>(canvas.pen));
    const FloatPoint factors = DrawFactors(in);
    // Held while stroking: the points are read in place.
    std::lock_guard<std::mutex> lock(ChainCacheMutex);
    if (ProcessChainCache.valid) {
      const auto& chains = ProcessChainCache.chains;
      for (const int32_t id : ids) {
        if (id < 0 || static_cast<size_t>(id) >= chains.size()) continue;
        const std::vector<IntPoint>& points = At(chains, id);
        if (points.size() >= 2) StrokeChain(canvas, points, factors, windowType, event, in);
      }
    }
  }
  event.outFlags = kEventOutFlagHandled;
  return kHostErrorNone;
}

HostError PickChainAtClick(const HostInData& in, HostParamDef* params[], HostEventRecord& event,
                           int32_t windowType) {
  const FloatPoint click = ClickPointInCache(windowType, event, in);
  int32_t hit = -1;
  {
    std::lock_guard<std::mutex> lock(ChainCacheMutex);
    if (ProcessChainCache.valid) hit = FindChainAtPoint(ProcessChainCache.chains, click);
  }
  {
    std::lock_guard<std::mutex> lock(ChainSelectionMutex);
    ApplyClickToSelection(ProcessChainSelection, hit, (event.click.modifiers & kSelectAddModifier) != 0);
  }
  if (params != nullptr && params[PARAM_CHAIN_SELECTION] != nullptr) {
    params[PARAM_CHAIN_SELECTION]->changeFlags |= kParamChangeFlagChangedValue;
  }
  event.outFlags = kEventOutFlagHandled | kEventOutFlagRedrawNow;
  return kHostErrorNone;
}

}  // namespace

HostError HandleCustomUIEvent(HostInData* in, HostOutData*, HostParamDef* params[], HostFrame*,
                              HostEventRecord* event) {
  if (in == nullptr || event == nullptr || event->context == nullptr || *event->context == nullptr) {
    return kHostErrorNone;
  }
  const int32_t windowType = (*event->context)->windowType;
  if (windowType != kWindowComp && windowType != kWindowLayer) return kHostErrorNone;
  switch (event->eventType) {
    case kEventClick:
      return PickChainAtClick(*in, params, *event, windowType);
    case kEventDraw:
      return DrawSelectedChains(*in, *event, windowType);
    default:
      return kHostErrorNone;
  }
}
