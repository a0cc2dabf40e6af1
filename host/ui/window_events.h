// The composition and layer windows: click and draw events (`kCommandEvent`)
// sent the way the host sends them, with an event context of the window's
// type and the four coordinate callbacks.
//
// The callbacks map for real: the layer sits in the composition by the
// host's placement (layer to composition forward, composition to layer
// back, both taking the command's time and time scale), and each window
// shows its plane at 100% from its origin, so source to frame and frame to
// source leave a point as it is. All work on 16.16 fixed-point points (see
// plane_transform.h). The layer window shows the layer unplaced.
#pragma once

#include <cstdint>

#include "host/ui/plane_transform.h"
#include "host/ui/window_drawing.h"
#include "host_interface/host_event.h"

struct ReferenceHost;

struct WindowLayout {
  PlaneTransform layerInComp;  // where the layer sits in the composition
  int32_t compWidth = 0;       // the composition's size; 0 takes the layer's
  int32_t compHeight = 0;
};

// The host side of one event's context. The effect gets the address of
// `self` as its context handle and reads the window type through it; the
// callbacks get the whole record as their refcon.
struct WindowEventContext {
  HostEventContext context;
  HostEventContext* self = nullptr;
  PlaneTransform layerInComp;
};

struct WindowEventReply {
  HostError error = kHostErrorNone;
  int32_t outFlags = 0;
};

// The callbacks as the host hands them out; refcon is a WindowEventContext.
HostEventCallbacks WindowEventCallbacks(WindowEventContext& context);

// A click at a window pixel with the host's modifier bits.
WindowEventReply SendWindowClick(ReferenceHost& host, int32_t windowType, HostPoint32 windowPoint, int32_t modifiers,
                                 int32_t time);
// A draw event; what the effect strokes is appended to `strokes`.
WindowEventReply SendWindowDraw(ReferenceHost& host, int32_t windowType, int32_t time, DisplayList& strokes,
                                int32_t inFlags = 0);
