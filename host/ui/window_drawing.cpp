#include "host/ui/window_drawing.h"

#include <string>
#include <utility>

#include "host/active_host.h"
#include "host/reference_host_state.h"

namespace {

void RegisterParts(DrawingServices& services, WindowDrawing* drawing) {
  services.parts[&drawing->drawRef] = {drawing, DrawRole::kDrawRef};
  services.parts[&drawing->supplier] = {drawing, DrawRole::kSupplier};
  services.parts[&drawing->surface] = {drawing, DrawRole::kSurface};
}

void Log(std::string entry) {
  if (ReferenceHost* host = ActiveReferenceHost()) {
    RecordSuiteCall(host->suites, &SuiteServices::drawCalls, std::move(entry));
  }
}

std::string PointText(float x, float y) {
  std::string text = std::to_string(x);
  text += ' ';
  return text += std::to_string(y);
}

DrawingServices* Services() {
  ReferenceHost* host = ActiveReferenceHost();
  return host != nullptr ? &host->drawing : nullptr;
}

// The drawing `object` is a part of in the given role; null (and a misuse
// counted) when it is not one. Caller holds the lock.
WindowDrawing* PartOwner(DrawingServices& services, const void* object, DrawRole role) {
  const auto found = services.parts.find(object);
  if (found == services.parts.end() || found->second.second != role) {
    ++services.stats.misuses;
    return nullptr;
  }
  return found->second.first;
}

template <typename Object>
Object* LiveObject(DrawingServices& services, std::unordered_map<const void*, std::unique_ptr<Object>>& objects,
                   const void* object) {
  const auto found = objects.find(object);
  if (found == objects.end()) {
    ++services.stats.misuses;
    return nullptr;
  }
  return found->second.get();
}

HostError GetDrawingReference(HostContextHandle context, HostDrawRef* drawRef) {
  if (drawRef == nullptr) return kHostErrorInvalidIndex;
  *drawRef = nullptr;
  DrawingServices* services = Services();
  if (services == nullptr) return kHostErrorInvalidIndex;
  std::lock_guard<std::mutex> lock(services->mutex);
  WindowDrawing* drawing = &services->scratch;
  const auto issued = services->contexts.find(context);
  if (issued != services->contexts.end()) drawing = issued->second;
  if (drawing == nullptr) return kHostErrorInvalidIndex;  // an event that does not draw
  *drawRef = reinterpret_cast<HostDrawRef>(&drawing->drawRef);
  return kHostErrorNone;
}

template <typename Handle>
HostError GetDrawPart(HostDrawRef drawRef, Handle* part, char WindowDrawing::*member) {
  if (part == nullptr) return kHostErrorInvalidIndex;
  *part = nullptr;
  DrawingServices* services = Services();
  if (services == nullptr) return kHostErrorInvalidIndex;
  std::lock_guard<std::mutex> lock(services->mutex);
  WindowDrawing* drawing = PartOwner(*services, drawRef, DrawRole::kDrawRef);
  if (drawing == nullptr) return kHostErrorInvalidIndex;
  *part = reinterpret_cast<Handle>(&(drawing->*member));
  return kHostErrorNone;
}

HostError GetSupplier(HostDrawRef drawRef, HostDrawSupplier* supplier) {
  return GetDrawPart(drawRef, supplier, &WindowDrawing::supplier);
}

HostError GetSurface(HostDrawRef drawRef, HostDrawSurface* surface) {
  return GetDrawPart(drawRef, surface, &WindowDrawing::surface);
}

HostError NewPen(HostDrawSupplier supplier, const HostColorRGBA* color, float size, HostDrawPen* pen) {
  std::string entry = "pen ";
  entry += std::to_string(size);
  if (color != nullptr) {
    for (float channel : {color->red, color->green, color->blue, color->alpha}) {
      entry += ' ';
      entry += std::to_string(channel);
    }
  }
  Log(std::move(entry));
  if (pen == nullptr) return kHostErrorInvalidIndex;
  *pen = nullptr;
  DrawingServices* services = Services();
  if (services == nullptr || color == nullptr) return kHostErrorInvalidIndex;
  std::lock_guard<std::mutex> lock(services->mutex);
  WindowDrawing* drawing = PartOwner(*services, supplier, DrawRole::kSupplier);
  if (drawing == nullptr) return kHostErrorInvalidIndex;
  auto made = std::make_unique<DrawPen>(DrawPen{*color, size, drawing});
  *pen = reinterpret_cast<HostDrawPen>(made.get());
  services->pens.emplace(made.get(), std::move(made));
  ++services->stats.pens;
  return kHostErrorNone;
}

HostError NewPath(HostDrawSupplier supplier, HostDrawPath* path) {
  Log("path");
  if (path == nullptr) return kHostErrorInvalidIndex;
  *path = nullptr;
  DrawingServices* services = Services();
  if (services == nullptr) return kHostErrorInvalidIndex;
  std::lock_guard<std::mutex> lock(services->mutex);
  WindowDrawing* drawing = PartOwner(*services, supplier, DrawRole::kSupplier);
  if (drawing == nullptr) return kHostErrorInvalidIndex;
  auto made = std::make_unique<DrawPath>();
  made->owner = drawing;
  *path = reinterpret_cast<HostDrawPath>(made.get());
  services->paths.emplace(made.get(), std::move(made));
  ++services->stats.paths;
  return kHostErrorNone;
}

HostError ReleaseObject(HostDrawObject object) {
  DrawingServices* services = Services();
  if (services == nullptr) return kHostErrorInvalidIndex;
  const void* address = object;
  const char* entry = nullptr;
  {
    std::lock_guard<std::mutex> lock(services->mutex);
    if (services->pens.erase(address) != 0) {
      entry = "release pen";
    } else if (services->paths.erase(address) != 0) {
      entry = "release path";
    }
    ++(entry != nullptr ? services->stats.released : services->stats.misuses);
  }
  Log(entry != nullptr ? entry : "release unknown object");
  return entry != nullptr ? kHostErrorNone : kHostErrorInvalidIndex;
}

HostError StrokePath(HostDrawSurface surface, HostDrawPen pen, HostDrawPath path) {
  Log("stroke");
  DrawingServices* services = Services();
  if (services == nullptr) return kHostErrorInvalidIndex;
  std::lock_guard<std::mutex> lock(services->mutex);
  WindowDrawing* drawing = PartOwner(*services, surface, DrawRole::kSurface);
  const DrawPen* penObject = LiveObject(*services, services->pens, pen);
  const DrawPath* pathObject = LiveObject(*services, services->paths, path);
  if (drawing == nullptr || penObject == nullptr || pathObject == nullptr) return kHostErrorInvalidIndex;
  if (drawing->keepStrokes) drawing->strokes.push_back({penObject->color, penObject->size, pathObject->subpaths});
  return kHostErrorNone;
}

// A line-to without a current point starts a piece there, as a move-to would.
HostError AddPathPoint(HostDrawPath path, float x, float y, bool startsPiece) {
  DrawingServices* services = Services();
  if (services == nullptr) return kHostErrorInvalidIndex;
  std::lock_guard<std::mutex> lock(services->mutex);
  DrawPath* pathObject = LiveObject(*services, services->paths, path);
  if (pathObject == nullptr) return kHostErrorInvalidIndex;
  if (startsPiece || pathObject->subpaths.empty()) pathObject->subpaths.emplace_back();
  pathObject->subpaths.back().push_back({x, y});
  return kHostErrorNone;
}

HostError MoveTo(HostDrawPath path, float x, float y) {
  std::string entry = "move ";
  Log(entry += PointText(x, y));
  return AddPathPoint(path, x, y, true);
}

HostError LineTo(HostDrawPath path, float x, float y) {
  std::string entry = "line ";
  Log(entry += PointText(x, y));
  return AddPathPoint(path, x, y, false);
}

HostSupplierSuite1 MakeSupplierSuite() {
  HostSupplierSuite1 suite{};
  suite.newPen = NewPen;
  suite.newPath = NewPath;
  suite.releaseObject = ReleaseObject;
  return suite;
}

HostSurfaceSuite2 MakeSurfaceSuite() {
  HostSurfaceSuite2 suite{};
  suite.strokePath = StrokePath;
  return suite;
}

const HostCustomUISuite1 kCustomUISuite = {GetDrawingReference};
const HostDrawSuite1 kDrawSuite = {GetSupplier, GetSurface};
const HostSupplierSuite1 kSupplierSuite = MakeSupplierSuite();
const HostSurfaceSuite2 kSurfaceSuite = MakeSurfaceSuite();
const HostPathSuite1 kPathSuite = {MoveTo, LineTo};

}  // namespace

DrawingServices::DrawingServices() {
  scratch.keepStrokes = false;
  RegisterParts(*this, &scratch);
}

void OpenEventDrawing(DrawingServices& services, HostContextHandle context, WindowDrawing* drawing) {
  std::lock_guard<std::mutex> lock(services.mutex);
  services.contexts[context] = drawing;
  if (drawing != nullptr) RegisterParts(services, drawing);
}

void CloseEventDrawing(DrawingServices& services, HostContextHandle context, WindowDrawing* drawing) {
  std::lock_guard<std::mutex> lock(services.mutex);
  services.contexts.erase(context);
  if (drawing == nullptr) return;
  services.parts.erase(&drawing->drawRef);
  services.parts.erase(&drawing->supplier);
  services.parts.erase(&drawing->surface);
  const auto dropOwned = [&](auto& objects) {
    for (auto it = objects.begin(); it != objects.end();) {
      if (it->second->owner == drawing) {
        ++services.stats.leaked;
        it = objects.erase(it);
      } else {
        ++it;
      }
    }
  };
  dropOwned(services.pens);
  dropOwned(services.paths);
}

DrawingStats ReadDrawingStats(const DrawingServices& services) {
  std::lock_guard<std::mutex> lock(services.mutex);
  return services.stats;
}

const HostCustomUISuite1& ReferenceCustomUISuite() { return kCustomUISuite; }
const HostDrawSuite1& ReferenceDrawSuite() { return kDrawSuite; }
const HostSupplierSuite1& ReferenceSupplierSuite() { return kSupplierSuite; }
const HostSurfaceSuite2& ReferenceSurfaceSuite() { return kSurfaceSuite; }
const HostPathSuite1& ReferencePathSuite() { return kPathSuite; }
