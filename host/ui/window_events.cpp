#include "host/ui/window_events.h"

#include "host/reference_host.h"

namespace {

WindowEventContext* ContextOf(void* refcon) { return static_cast<WindowEventContext*>(refcon); }

HostError LayerToComp(void* refcon, HostContextHandle, int32_t, uint32_t timeScale, HostFixedPoint* point) {
  if (refcon == nullptr || point == nullptr || timeScale == 0) return kHostErrorInvalidIndex;
  *point = TransformForward(ContextOf(refcon)->layerInComp, *point);
  return kHostErrorNone;
}

HostError CompToLayer(void* refcon, HostContextHandle, int32_t, uint32_t timeScale, HostFixedPoint* point) {
  if (refcon == nullptr || point == nullptr || timeScale == 0) return kHostErrorInvalidIndex;
  *point = TransformBack(ContextOf(refcon)->layerInComp, *point);
  return kHostErrorNone;
}

// The windows show their plane at 100% from its origin.
HostError SourceToFrame(void* refcon, HostContextHandle, HostFixedPoint* point) {
  return refcon == nullptr || point == nullptr ? kHostErrorInvalidIndex : kHostErrorNone;
}

HostError FrameToSource(void* refcon, HostContextHandle, HostFixedPoint* point) {
  return refcon == nullptr || point == nullptr ? kHostErrorInvalidIndex : kHostErrorNone;
}

// Keeps the context and drawing registered for exactly one event.
struct OpenEvent {
  OpenEvent(ReferenceHost& host, int32_t windowType, WindowDrawing* drawing) : host(host), drawing(drawing) {
    context.context.windowType = windowType;
    context.self = &context.context;
    // The layer window shows the layer unplaced.
    if (windowType == kWindowComp) context.layerInComp = host.windows.layerInComp;
    OpenEventDrawing(host.drawing, &context.self, drawing);
  }
  ~OpenEvent() { CloseEventDrawing(host.drawing, &context.self, drawing); }
  OpenEvent(const OpenEvent&) = delete;
  OpenEvent& operator=(const OpenEvent&) = delete;

  HostEventRecord Record(int32_t eventType) {
    HostEventRecord event{};
    event.context = &context.self;
    event.eventType = eventType;
    event.callbacks = WindowEventCallbacks(context);
    return event;
  }

  ReferenceHost& host;
  WindowDrawing* drawing;
  WindowEventContext context{};
};

}  // namespace

HostEventCallbacks WindowEventCallbacks(WindowEventContext& context) {
  return {&context, LayerToComp, CompToLayer, SourceToFrame, FrameToSource};
}

WindowEventReply SendWindowClick(ReferenceHost& host, int32_t windowType, HostPoint32 windowPoint, int32_t modifiers,
                                 int32_t time) {
  OpenEvent open(host, windowType, nullptr);
  HostEventRecord event = open.Record(kEventClick);
  event.click.windowPoint = windowPoint;
  event.click.modifiers = modifiers;
  WindowEventReply reply;
  reply.error = SendEvent(host, event, time);
  reply.outFlags = event.outFlags;
  return reply;
}

WindowEventReply SendWindowDraw(ReferenceHost& host, int32_t windowType, int32_t time, DisplayList& strokes,
                                int32_t inFlags) {
  WindowDrawing drawing;
  WindowEventReply reply;
  {
    OpenEvent open(host, windowType, &drawing);
    HostEventRecord event = open.Record(kEventDraw);
    event.inFlags = inFlags;
    reply.error = SendEvent(host, event, time);
    reply.outFlags = event.outFlags;
  }
  for (DrawStroke& stroke : drawing.strokes) strokes.push_back(std::move(stroke));
  return reply;
}
