// Result codes exchanged with the host.
#pragma once

#include <cstdint>

using HostError = int32_t;

constexpr HostError kHostErrorNone = 0;
constexpr HostError kHostErrorOutOfMemory = 4;   // a host handle could not be allocated
constexpr HostError kHostErrorInternal = 512;    // anything that escaped a command handler
constexpr HostError kHostErrorInvalidIndex = 513;  // the host's answer to a parameter index it cannot use
constexpr HostError kHostErrorMissingSuite = 516;  // raised inside; reaches the host as 512
