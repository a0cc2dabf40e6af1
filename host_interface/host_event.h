// The event record of the custom user interface (`kCommandEvent`) and the
// user-changed-parameter record (`kCommandUserChangedParam`).
#pragma once

#include <cstdint>

#include "host_interface/host_errors.h"

constexpr int32_t kWindowComp = 0;
constexpr int32_t kWindowLayer = 1;

constexpr int32_t kEventClick = 2;
constexpr int32_t kEventDraw = 4;

constexpr int32_t kEventInFlagDontDraw = 1;
constexpr int32_t kEventOutFlagHandled = 1;
constexpr int32_t kEventOutFlagRedrawNow = 8;

constexpr int32_t kModifierShift = 0x200;

struct HostFixedPoint {  // 16.16 fixed point
  int32_t x;
  int32_t y;
};

struct HostPoint32 {
  int32_t x;
  int32_t y;
};

// The host keeps more behind this; the effect reads only the window type.
struct HostEventContext {
  int32_t windowType;
};
using HostContextHandle = HostEventContext**;

struct HostEventCallbacks {
  void* refcon;
  HostError (*layerToComp)(void* refcon, HostContextHandle context, int32_t time, uint32_t timeScale,
                           HostFixedPoint* point);
  HostError (*compToLayer)(void* refcon, HostContextHandle context, int32_t time, uint32_t timeScale,
                           HostFixedPoint* point);
  HostError (*sourceToFrame)(void* refcon, HostContextHandle context, HostFixedPoint* point);
  HostError (*frameToSource)(void* refcon, HostContextHandle context, HostFixedPoint* point);
};

struct HostClickData {
  HostPoint32 windowPoint;
  int32_t modifiers;
};

struct HostEventRecord {
  HostContextHandle context;
  int32_t eventType;
  HostClickData click;
  int32_t inFlags;
  int32_t outFlags;
  HostEventCallbacks callbacks;
};

// Extra record of the user-changed parameter (`kCommandUserChangedParam`).
struct HostUserChangedParamRecord {
  int32_t paramIndex;
};
