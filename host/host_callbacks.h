// The callbacks and suite tables the reference host hands to the effect,
// and the input record that carries them into every command.
//
// The callbacks reach the open host through ActiveReferenceHost
// (active_host.h) and the running command through CurrentCommandContext
// (entry_point_call.h).
#pragma once

#include <cstdint>

#include "host_interface/host_records.h"

struct ReferenceHost;

const HostUtilityCallbacks& ReferenceUtilityCallbacks();
const HostBasicSuite& ReferenceBasicSuite();

// The input record of a command at `time`: the host's time scale, step and
// downsample ratios, the effect reference and the callback tables.
HostInData MakeInData(ReferenceHost& host, int32_t time);
