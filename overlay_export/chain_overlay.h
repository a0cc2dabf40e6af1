// The custom user interface in the composition and layer windows (the event
// command, `kCommandEvent`): a draw event strokes the selected chains of the chain cache with one orange
// pen; a click picks the nearest cached chain into the chain selection.
//
// Contract: returns 0 on every path of its own (a missing host suite is
// raised and answered by the entry point). ChainSelectionMutex and
// ChainCacheMutex are never held together; the draw keeps the cache locked
// while it strokes. Out-flags are written only when an event was handled:
// 1 after a draw, 9 (handled and redraw now) after every click.
#pragma once

#include "host_interface/host_event.h"
#include "host_interface/host_records.h"
#include "host_interface/host_suites.h"

constexpr int32_t kSelectAddModifier = kModifierShift;
// The one pen the selected chains are stroked with: orange, slightly
// translucent, 3 pixels wide.
constexpr HostColorRGBA OverlayPenColor = {1.0f, 0.5f, 0.0f, 0.9f};
constexpr float OverlayPenSize = 3.0f;

HostError HandleCustomUIEvent(HostInData* in, HostOutData* out, HostParamDef* params[], HostFrame* output,
                              HostEventRecord* event);
