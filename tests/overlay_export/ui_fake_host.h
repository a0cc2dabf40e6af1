// The host side of events and button presses for in-process tests: the
// drawing and utility suites log what they are asked, any of them can be
// refused or made to hand out nothing, and a window maps layer pixels to
// window pixels through an offset (composition) and a zoom (view).
#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "host_interface/host_event.h"
#include "host_interface/host_suites.h"
#include "overlay_export/chain_selection.h"
#include "render/analysis/chain_cache.h"
#include "tests/render/fake_host.h"

namespace ui_fake {

struct Suites {
  std::vector<std::string> log;
  std::set<std::string> refused;  // suite names
  bool noDrawRef = false, noSupplier = false, noSurface = false, noPen = false, noPath = false;
  int32_t acquired = 0, released = 0;
};
inline Suites* gSuites = nullptr;  // suites carry no context

inline std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof(text), "%g", static_cast<double>(value));
  return text;
}
inline void Log(std::string entry) { gSuites->log.push_back(std::move(entry)); }

// Distinct dummy objects.
inline char gDrawRef, gSupplier, gSurface, gPen, gPath;

inline const HostCustomUISuite1 kCustomUI = {[](HostContextHandle, HostDrawRef* ref) {
  *ref = gSuites->noDrawRef ? nullptr : reinterpret_cast<HostDrawRef>(&gDrawRef);
  return kHostErrorNone;
}};
inline const HostDrawSuite1 kDraw = {
    [](HostDrawRef, HostDrawSupplier* supplier) {
      *supplier = gSuites->noSupplier ? nullptr : reinterpret_cast<HostDrawSupplier>(&gSupplier);
      return kHostErrorNone;
    },
    [](HostDrawRef, HostDrawSurface* surface) {
      *surface = gSuites->noSurface ? nullptr : reinterpret_cast<HostDrawSurface>(&gSurface);
      return kHostErrorNone;
    }};
inline HostSupplierSuite1 MakeSupplier() {
  HostSupplierSuite1 suite{};
  suite.newPen = [](HostDrawSupplier, const HostColorRGBA* color, float size, HostDrawPen* pen) {
    Log("pen " + Number(size) + " " + Number(color->red) + " " + Number(color->green) + " " + Number(color->blue) +
        " " + Number(color->alpha));
    *pen = gSuites->noPen ? nullptr : reinterpret_cast<HostDrawPen>(&gPen);
    return kHostErrorNone;
  };
  suite.newPath = [](HostDrawSupplier, HostDrawPath* path) {
    *path = gSuites->noPath ? nullptr : reinterpret_cast<HostDrawPath>(&gPath);
    return kHostErrorNone;
  };
  suite.releaseObject = [](HostDrawObject object) {
    Log(reinterpret_cast<char*>(object) == &gPen ? "release pen" : "release path");
    return kHostErrorNone;
  };
  return suite;
}
inline const HostSupplierSuite1 kSupplier = MakeSupplier();
inline HostSurfaceSuite2 MakeSurface() {
  HostSurfaceSuite2 suite{};
  suite.strokePath = [](HostDrawSurface, HostDrawPen, HostDrawPath) {
    Log("stroke");
    return kHostErrorNone;
  };
  return suite;
}
inline const HostSurfaceSuite2 kSurface = MakeSurface();
inline const HostPathSuite1 kPath = {
    [](HostDrawPath, float x, float y) {
      Log("move " + Number(x) + " " + Number(y));
      return kHostErrorNone;
    },
    [](HostDrawPath, float x, float y) {
      Log("line " + Number(x) + " " + Number(y));
      return kHostErrorNone;
    }};
inline HostUtilitySuite13 MakeUtility() {
  HostUtilitySuite13 suite{};
  suite.startUndoGroup = [](const char* name) {
    Log(std::string("begin ") + name);
    return kHostErrorNone;
  };
  suite.endUndoGroup = [] {
    Log("end");
    return kHostErrorNone;
  };
  return suite;
}
inline const HostUtilitySuite13 kUtility = MakeUtility();

inline HostError Acquire(const char* name, int32_t, const void** suite) {
  const std::string wanted = name;
  *suite = nullptr;
  if (gSuites->refused.count(wanted) != 0) return kHostErrorMissingSuite;
  if (wanted == kCustomUISuiteName) *suite = &kCustomUI;
  if (wanted == kDrawSuiteName) *suite = &kDraw;
  if (wanted == kSupplierSuiteName) *suite = &kSupplier;
  if (wanted == kSurfaceSuiteName) *suite = &kSurface;
  if (wanted == kPathSuiteName) *suite = &kPath;
  if (wanted == kUtilitySuiteName) *suite = &kUtility;
  if (*suite != nullptr) ++gSuites->acquired;
  return *suite != nullptr ? kHostErrorNone : kHostErrorMissingSuite;
}
inline HostError Release(const char*, int32_t) {
  ++gSuites->released;
  return kHostErrorNone;
}
inline const HostBasicSuite kBasicSuite = {Acquire, Release};

// Layer pixels to window pixels: plus `offset` into the composition (only in
// a composition window), then times `zoom`, all in 16.16.
struct Window {
  HostEventContext context{kWindowLayer};
  HostEventContext* contextPointer = &context;
  int32_t offsetX = 0, offsetY = 0;
  int32_t zoom = 1;
  std::vector<std::string> conversions;  // callbacks called, with the time they got
};

inline Window& WindowOf(void* refcon) { return *static_cast<Window*>(refcon); }

inline HostEventCallbacks WindowCallbacks(Window& window) {
  HostEventCallbacks callbacks{};
  callbacks.refcon = &window;
  callbacks.layerToComp = [](void* refcon, HostContextHandle, int32_t time, uint32_t scale, HostFixedPoint* p) {
    Window& w = WindowOf(refcon);
    w.conversions.push_back("layerToComp " + std::to_string(time) + "/" + std::to_string(scale));
    p->x += w.offsetX * 65536;
    p->y += w.offsetY * 65536;
    return kHostErrorNone;
  };
  callbacks.compToLayer = [](void* refcon, HostContextHandle, int32_t time, uint32_t scale, HostFixedPoint* p) {
    Window& w = WindowOf(refcon);
    w.conversions.push_back("compToLayer " + std::to_string(time) + "/" + std::to_string(scale));
    p->x -= w.offsetX * 65536;
    p->y -= w.offsetY * 65536;
    return kHostErrorNone;
  };
  callbacks.sourceToFrame = [](void* refcon, HostContextHandle, HostFixedPoint* p) {
    Window& w = WindowOf(refcon);
    w.conversions.push_back("sourceToFrame");
    p->x *= w.zoom;
    p->y *= w.zoom;
    return kHostErrorNone;
  };
  callbacks.frameToSource = [](void* refcon, HostContextHandle, HostFixedPoint* p) {
    Window& w = WindowOf(refcon);
    w.conversions.push_back("frameToSource");
    p->x /= w.zoom;
    p->y /= w.zoom;
    return kHostErrorNone;
  };
  return callbacks;
}

inline HostEventRecord DrawEvent(Window& window) {
  HostEventRecord event{};
  event.context = &window.contextPointer;
  event.eventType = kEventDraw;
  event.callbacks = WindowCallbacks(window);
  return event;
}

inline HostEventRecord ClickEvent(Window& window, int32_t x, int32_t y, int32_t modifiers = 0) {
  HostEventRecord event = DrawEvent(window);
  event.eventType = kEventClick;
  event.click = {{x, y}, modifiers};
  return event;
}

// fake_host::Host plus the suites; time 7 at 30 units per second, no downsampling.
struct Host : fake_host::Host {
  Suites suites;
  Host() {
    gSuites = &suites;
    in.basicSuite = &kBasicSuite;
    in.currentTime = 7;
    in.timeScale = 30;
    in.downsampleX = {1, 1};
    in.downsampleY = {1, 1};
  }
  ~Host() { gSuites = nullptr; }
};

// The process-wide caches of the in-process core, set as a render or clicks would.
inline void SetCachedChains(std::vector<std::vector<IntPoint>> chains, bool valid = true) {
  std::lock_guard<std::mutex> lock(ChainCacheMutex);
  ProcessChainCache = ChainCache{};
  ProcessChainCache.chains = std::move(chains);
  ProcessChainCache.valid = valid ? 1 : 0;
}

inline void SetSelection(const std::vector<int32_t>& ids) {
  std::lock_guard<std::mutex> lock(ChainSelectionMutex);
  ProcessChainSelection = ChainSelection{};
  for (int32_t id : ids) ProcessChainSelection.chainIds[ProcessChainSelection.count++] = id;
}

}  // namespace ui_fake
