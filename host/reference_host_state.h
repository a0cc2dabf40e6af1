// What the open reference host keeps: the loaded module, the effect
// instance with its parameters, the host's memory blocks, suites, windows
// and undo history.
//
// Types only: every part of the host includes this, and it calls none of
// them. Renders may run on several threads at once; each part is guarded by
// its own mutex. OpenReferenceHost (reference_host.h) makes one and the
// destructor, defined there too, disposes the effect's data handles through
// the effect before the module is unloaded.
#pragma once

#include <cstdint>

#include "host/effect_instance.h"
#include "host/handle_store.h"
#include "host/plugin_module.h"
#include "host/suite_services.h"
#include "host/undo_history.h"
#include "host/ui/window_drawing.h"
#include "host/ui/window_events.h"
#include "host_interface/host_entry_point.h"

struct ReferenceHost {
  ReferenceHost() = default;
  ReferenceHost(const ReferenceHost&) = delete;
  ReferenceHost& operator=(const ReferenceHost&) = delete;
  ~ReferenceHost();

  PluginModule module = nullptr;
  HostEntryPointFunc entryPoint = nullptr;
  HandleStore handles;
  SuiteServices suites;
  HostEffectInstance instance;

  // Time units per second and the length of one frame in them; every
  // command's input record carries both. Set them before renders start.
  int32_t timeStep = 1;
  uint32_t timeScale = 30;
  // Renders at 1/N hand the effect frames of the reduced size with these
  // ratios; point parameters are then scaled by them, and the layer keeps
  // its full size (SetLayerSize) for point defaults.
  HostRatio downsampleX = {1, 1};
  HostRatio downsampleY = {1, 1};
  WindowLayout windows;  // set before events start; each event copies it
  DrawingServices drawing;
  UndoHistory undo;

  // What global setup and parameter setup reported.
  uint32_t effectVersion = 0;
  int32_t outFlags = 0;
  int32_t outFlags2 = 0;
  int32_t numParams = 0;
  bool parametersReady = false;  // parameter setup succeeded and data values exist
};

// Whether renders hand the effect frames at a reduced size.
inline bool IsDownsampled(const ReferenceHost& host) {
  const auto isOne = [](HostRatio ratio) { return ratio.num > 0 && static_cast<uint32_t>(ratio.num) == ratio.den; };
  return !isOne(host.downsampleX) || !isOne(host.downsampleY);
}
