// The host's drawing suites (custom UI drawing reference, DRAWBOT draw,
// supplier, surface and path): what the effect strokes during a draw event
// becomes a display list of strokes in window pixels.
//
// Every object the suites hand out is registered while it lives, so an
// object that was released, never handed out, or is of the wrong kind is
// refused (counted as a misuse) instead of being followed. A draw event owns
// a WindowDrawing; pens and paths the effect did not release by the end of
// the event are freed then and counted as leaked. An event whose context the
// host did not issue draws on a scratch drawing that keeps no strokes.
//
// The display list is plain data, so this part builds on every platform;
// turning it into pixels is the window rasteriser's job (Linux only).
// Every call is also written to SuiteServices::drawCalls, as text.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "host_interface/host_suites.h"

struct DrawPoint {
  float x;
  float y;
};

// One stroke: the pen's colour and size and the path's pieces, each a
// move-to followed by line-tos.
struct DrawStroke {
  HostColorRGBA color{};
  float size = 0.0f;
  std::vector<std::vector<DrawPoint>> subpaths;
};
using DisplayList = std::vector<DrawStroke>;

// What one draw event draws on. Its three members give the addresses of its
// drawing reference, supplier and surface.
struct WindowDrawing {
  char drawRef = 0;
  char supplier = 0;
  char surface = 0;
  bool keepStrokes = true;
  DisplayList strokes;
};

struct DrawPen {
  HostColorRGBA color{};
  float size = 0.0f;
  WindowDrawing* owner = nullptr;
};

struct DrawPath {
  std::vector<std::vector<DrawPoint>> subpaths;
  WindowDrawing* owner = nullptr;
};

struct DrawingStats {
  int64_t pens = 0;       // made
  int64_t paths = 0;      // made
  int64_t released = 0;   // pens and paths released by the effect
  int64_t leaked = 0;     // left at the end of their event
  int64_t misuses = 0;    // calls with an object that is not live or of the wrong kind
};

enum class DrawRole : uint8_t { kDrawRef, kSupplier, kSurface };

struct DrawingServices {
  DrawingServices();
  DrawingServices(const DrawingServices&) = delete;
  DrawingServices& operator=(const DrawingServices&) = delete;

  mutable std::mutex mutex;  // guards every field
  std::unordered_map<const void*, std::pair<WindowDrawing*, DrawRole>> parts;
  std::unordered_map<const void*, std::unique_ptr<DrawPen>> pens;
  std::unordered_map<const void*, std::unique_ptr<DrawPath>> paths;
  // Event contexts the host issued, with the drawing of their event (null
  // for events that draw nothing, such as clicks).
  std::unordered_map<const void*, WindowDrawing*> contexts;
  WindowDrawing scratch;
  DrawingStats stats;
};

// Registers `drawing` and `context` for one event; Close frees what the
// effect left behind and unregisters both.
void OpenEventDrawing(DrawingServices& services, HostContextHandle context, WindowDrawing* drawing);
void CloseEventDrawing(DrawingServices& services, HostContextHandle context, WindowDrawing* drawing);

DrawingStats ReadDrawingStats(const DrawingServices& services);

const HostCustomUISuite1& ReferenceCustomUISuite();
const HostDrawSuite1& ReferenceDrawSuite();
const HostSupplierSuite1& ReferenceSupplierSuite();
const HostSurfaceSuite2& ReferenceSurfaceSuite();
const HostPathSuite1& ReferencePathSuite();
