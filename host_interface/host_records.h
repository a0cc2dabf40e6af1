// The input and output records of every command, the host's utility
// callbacks and the basic suite.
#pragma once

#include <cstdint>

#include "host_interface/host_errors.h"
#include "host_interface/host_param_def.h"

// Identifies one effect instance to the host's callbacks. Opaque: the effect
// only hands it back, and what stands behind it is the host's own.
struct HostEffectRefOpaque;
using HostEffectRef = HostEffectRefOpaque*;

struct HostRatio {
  int32_t num;
  uint32_t den;
};

// Events the custom user interface wants (HostCustomUIInfo::events).
constexpr int32_t kCustomUIEventsComp = 1;
constexpr int32_t kCustomUIEventsLayer = 2;

struct HostCustomUIInfo {
  int32_t events;
  int32_t compWidth;
  int32_t compHeight;
  int32_t compAlignment;
  int32_t layerWidth;
  int32_t layerHeight;
  int32_t layerAlignment;
  int32_t previewWidth;
  int32_t previewHeight;
  int32_t previewAlignment;
};

struct HostUtilityCallbacks {
  // Appends (index -1) or inserts a parameter definition.
  HostError (*addParam)(HostEffectRef effect, int32_t index, const HostParamDef* def);
  // Fills *param with the value of parameter `index` at the given time.
  HostError (*checkoutParam)(HostEffectRef effect, int32_t index, int32_t time, int32_t timeStep,
                             uint32_t timeScale, HostParamDef* param);
  HostError (*checkinParam)(HostEffectRef effect, HostParamDef* param);
  HostError (*registerCustomUI)(HostEffectRef effect, const HostCustomUIInfo* info);

  // Host memory blocks. newHandle returns null on failure; lockHandle returns
  // the block's address (null for a null handle).
  HostHandle (*newHandle)(uint64_t size);
  void* (*lockHandle)(HostHandle handle);
  void (*unlockHandle)(HostHandle handle);
  void (*disposeHandle)(HostHandle handle);

  // Copies a zero-terminated string into a host buffer (the return message).
  HostError (*ansiCopy)(const char* source, char* destination);
};

// Suites are function tables handed out by name and version.
struct HostBasicSuite {
  HostError (*acquireSuite)(const char* name, int32_t version, const void** suite);
  HostError (*releaseSuite)(const char* name, int32_t version);
};

struct HostInData {
  int32_t currentTime;
  int32_t timeStep;
  uint32_t timeScale;
  HostRatio downsampleX;
  HostRatio downsampleY;
  HostEffectRef effectRef;
  const HostUtilityCallbacks* utils;
  const HostBasicSuite* basicSuite;
};

constexpr int32_t kReturnMessageSize = 256;

struct HostOutData {
  uint32_t version;
  int32_t outFlags;
  int32_t outFlags2;
  int32_t numParams;
  char returnMessage[kReturnMessageSize];
};
