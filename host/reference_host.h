// The reference host: loads the plug-in module, plays the host for one
// effect instance and drives it with commands. Start reading here.
//
// What the open host keeps is ReferenceHost (reference_host_state.h); only
// one host can be open at a time (active_host.h). Renders may run on several
// threads at once: each gets its own parameter array (command_params.h),
// and the shared state is guarded by the mutexes of its parts. Every
// command goes through CallEntryPoint (entry_point_call.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/command_params.h"
#include "host/reference_host_state.h"
#include "host_interface/host_event.h"

// Null with a reason when the module cannot be loaded, lacks the entry
// point, or another host is open.
std::unique_ptr<ReferenceHost> OpenReferenceHost(const std::string& modulePath, std::string& error);

HostError RunAbout(ReferenceHost& host, std::string& aboutText);
HostError RunGlobalSetup(ReferenceHost& host);
// Parameter setup; on success every data parameter gets a copy of its
// default blob as its current value.
HostError RunParamsSetup(ReferenceHost& host);
HostError SetUpEffect(ReferenceHost& host);  // global setup, then parameter setup

// Renders `input` into `output` (same size) at `time`. Values the effect
// flags as changed are taken over afterwards, or held in `held` when it is
// given. Without downsampling the input's size becomes the layer's size.
HostError RenderFrame(ReferenceHost& host, const HostFrame& input, const HostFrame& output, int32_t time,
                      HeldParamChanges* held = nullptr);

struct ButtonPressReport {
  std::vector<int32_t> changed;  // ids taken over, ascending
  bool undoGroupOpened = false;
  std::string undoName;  // the group's name, or the pressed parameter's label
  bool undoRecorded = false;  // false also when what was taken over equals what was there
};
// User-changed parameter (`kCommandUserChangedParam`) for `paramId`; changed values are taken over, as one
// undo step when any of them differs from before.
HostError PressButton(ReferenceHost& host, int32_t paramId, int32_t time = 0, ButtonPressReport* report = nullptr);
HostError SendEvent(ReferenceHost& host, HostEventRecord& event, int32_t time = 0);

// The layer Map Layer checkouts return; null for none. The frame must
// outlive every render.
void SetMapLayer(ReferenceHost& host, const HostFrame* frame);
