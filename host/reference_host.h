// The reference host: loads the plug-in module, plays the host for one
// effect instance and drives it with commands.
//
// The effect's handle callbacks and the basic suite carry no context
// pointer, so the open host is reachable process-wide (ActiveReferenceHost);
// only one host can be open at a time. Renders may run on several threads at
// once: each gets its own parameter array, and the shared state below is
// guarded by the mutexes of its parts.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/effect_instance.h"
#include "host/handle_store.h"
#include "host/plugin_module.h"
#include "host/suite_services.h"
#include "host/undo_history.h"
#include "host/window_drawing.h"
#include "host/window_events.h"
#include "host_interface/host_entry_point.h"
#include "host_interface/host_event.h"

struct ReferenceHost {
  ReferenceHost() = default;
  ReferenceHost(const ReferenceHost&) = delete;
  ReferenceHost& operator=(const ReferenceHost&) = delete;
  // Disposes the effect's data handles through the effect, then unloads it.
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

// Null with a reason when the module cannot be loaded, lacks the entry
// point, or another host is open.
std::unique_ptr<ReferenceHost> OpenReferenceHost(const std::string& modulePath, std::string& error);
ReferenceHost* ActiveReferenceHost();

HostInData MakeInData(ReferenceHost& host, int32_t time);
// Calls the entry point with the host's records. Checkouts made during the
// call see `params` and `input` (null outside renders).
// `undoGroups`, when given, records the undo groups the effect opens.
HostError CallEntryPoint(ReferenceHost& host, int32_t command, HostInData& in, HostOutData& out,
                         HostParamDef* params[], HostFrame* output, void* extra, const HostFrame* input,
                         UndoGroupRecord* undoGroups = nullptr);

struct HeldParamChange;  // command_params.h

// Builds the parameter array a command at `time` gets (see CommandParams),
// calls `call` with it and the input record, checkouts answering from it,
// then takes over the values flagged as changed, or appends them to `held`
// when one is given (to be taken over later). RenderFrame is this around
// the entry point; the host's own tools run the effect's stages this way.
// With `takeOverChanges` false every change is dropped: the host's own
// look at what a command would do leaves the effect's values as they were.
HostError RunWithCommandParams(ReferenceHost& host, const HostFrame* input, int32_t time,
                               const std::function<HostError(HostInData& in, HostParamDef* params[])>& call,
                               bool takeOverChanges = true, std::vector<HeldParamChange>* held = nullptr);

HostError RunAbout(ReferenceHost& host, std::string& aboutText);
HostError RunGlobalSetup(ReferenceHost& host);
// Parameter setup; on success every data parameter gets a copy of its
// default blob as its current value.
HostError RunParamsSetup(ReferenceHost& host);
HostError SetUpEffect(ReferenceHost& host);  // global setup, then parameter setup

// Renders `input` into `output` (same size) at `time`. Values the effect
// flags as changed are taken over afterwards, or held in `held`. Without
// downsampling the input's size becomes the layer's size.
HostError RenderFrame(ReferenceHost& host, const HostFrame& input, const HostFrame& output, int32_t time,
                      std::vector<HeldParamChange>* held = nullptr);
bool IsDownsampled(const ReferenceHost& host);

struct ButtonPressReport {
  std::vector<int32_t> changed;  // ids taken over, ascending
  bool undoGroupOpened = false;
  std::string undoName;  // the group's name, or the pressed parameter's label
};
// Command 13 for parameter `paramId`; changed values are taken over, as one
// undo step when there are any.
HostError PressButton(ReferenceHost& host, int32_t paramId, int32_t time = 0, ButtonPressReport* report = nullptr);
HostError SendEvent(ReferenceHost& host, HostEventRecord& event, int32_t time = 0);

// The layer Map Layer checkouts return; null for none. The frame must
// outlive every render.
void SetMapLayer(ReferenceHost& host, const HostFrame* frame);
