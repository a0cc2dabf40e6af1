// Scope guards for what the effect borrows from the host while a command
// runs: a locked memory handle and a checked-out parameter. Each gives back
// what it borrowed when the scope ends, on every path out (an early return,
// an exception from an allocation), so no caller pairs the calls by hand.
#pragma once

#include <cstdint>
#include <cstring>

#include "host_interface/host_records.h"

// Locks `handle` for the life of the scope. A null handle is neither locked
// nor unlocked. Every lock call is answered by one unlock, also a lock that
// gave no address: the caller then finds `data` null and skips its work.
struct ScopedHandleLock {
  ScopedHandleLock(const HostUtilityCallbacks& utils, HostHandle handle)
      : utils(utils), handle(handle), data(handle != nullptr ? utils.lockHandle(handle) : nullptr) {}
  ~ScopedHandleLock() {
    if (handle != nullptr) utils.unlockHandle(handle);
  }
  ScopedHandleLock(const ScopedHandleLock&) = delete;
  ScopedHandleLock& operator=(const ScopedHandleLock&) = delete;

  const HostUtilityCallbacks& utils;
  const HostHandle handle;
  void* const data;  // the block's address, null when the lock gave nothing
};

// Checks parameter `paramId` out at the command's current time and checks it
// back in when the scope ends, when (and only when) the checkout succeeded.
// Without utility callbacks nothing is checked out.
struct ScopedParamCheckout {
  ScopedParamCheckout(const HostInData& in, int32_t paramId) : in(in) {
    std::memset(&param, 0, sizeof param);
    checkedOut = in.utils != nullptr && in.utils->checkoutParam(in.effectRef, paramId, in.currentTime, in.timeStep,
                                                                in.timeScale, &param) == kHostErrorNone;
  }
  ~ScopedParamCheckout() {
    if (checkedOut) in.utils->checkinParam(in.effectRef, &param);
  }
  ScopedParamCheckout(const ScopedParamCheckout&) = delete;
  ScopedParamCheckout& operator=(const ScopedParamCheckout&) = delete;

  const HostInData& in;
  HostParamDef param;
  bool checkedOut = false;
};
