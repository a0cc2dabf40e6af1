// The arbitrary-data callback (`kCommandArbitraryCallback`): the host asks the effect to
// create, copy, flatten, unflatten, compare, interpolate and dispose the data
// blocks of its arbitrary-data parameters.
#pragma once

#include <cstdint>

#include "host_interface/host_param_def.h"

using ArbSelector = int32_t;

constexpr ArbSelector kArbNew = 0;
constexpr ArbSelector kArbDispose = 1;
constexpr ArbSelector kArbCopy = 2;
constexpr ArbSelector kArbFlatSize = 3;
constexpr ArbSelector kArbFlatten = 4;
constexpr ArbSelector kArbUnflatten = 5;
constexpr ArbSelector kArbInterpolate = 6;
constexpr ArbSelector kArbCompare = 7;

// Results of kArbCompare.
constexpr int32_t kArbCompareEqual = 0;
constexpr int32_t kArbCompareLess = 1;
constexpr int32_t kArbCompareMore = 2;
constexpr int32_t kArbCompareNotEqual = 3;

struct HostArbNewArgs {
  HostHandle* newHandle;
};

struct HostArbDisposeArgs {
  HostHandle handle;
};

struct HostArbCopyArgs {
  HostHandle source;
  HostHandle* destination;
};

struct HostArbFlatSizeArgs {
  HostHandle handle;
  uint32_t* flatSize;
};

struct HostArbFlattenArgs {
  HostHandle handle;
  uint32_t bufferSize;
  void* buffer;
};

struct HostArbUnflattenArgs {
  uint32_t flatSize;
  const void* flatData;
  HostHandle* destination;
};

struct HostArbInterpolateArgs {
  HostHandle left;
  HostHandle right;
  double t;
  HostHandle* destination;
};

struct HostArbCompareArgs {
  HostHandle a;
  HostHandle b;
  int32_t* result;
};

union HostArbArgs {
  HostArbNewArgs newData;
  HostArbDisposeArgs dispose;
  HostArbCopyArgs copy;
  HostArbFlatSizeArgs flatSize;
  HostArbFlattenArgs flatten;
  HostArbUnflattenArgs unflatten;
  HostArbInterpolateArgs interpolate;
  HostArbCompareArgs compare;
};

struct HostArbCallbackRecord {
  ArbSelector selector;
  int16_t paramId;
  HostArbArgs u;
};
