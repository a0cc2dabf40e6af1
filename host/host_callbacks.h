// The callbacks and suite tables the reference host hands to the effect.
// They reach the open host through ActiveReferenceHost.
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"
#include "host_interface/host_param_def.h"
#include "host_interface/host_records.h"

struct ReferenceHost;
struct UndoGroupRecord;

const HostUtilityCallbacks& ReferenceUtilityCallbacks();
const HostBasicSuite& ReferenceBasicSuite();

// Marks `host` as the open host; false when another one is open.
bool ActivateReferenceHost(ReferenceHost* host);
void DeactivateReferenceHost(ReferenceHost* host);

// What a checkout made on this thread during a command sees: the command's
// own parameter array and input layer.
struct CommandContext {
  HostParamDef** params = nullptr;
  int32_t paramCount = 0;
  const HostFrame* input = nullptr;
  UndoGroupRecord* undoGroups = nullptr;  // where a press records its undo groups
};

// Sets the calling thread's context and returns the previous one.
const CommandContext* SwapThreadCommandContext(const CommandContext* context);
