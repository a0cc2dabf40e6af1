// Command numbers the host sends to the entry point.
#pragma once

#include <cstdint>

using HostCommand = int32_t;

constexpr HostCommand kCommandAbout = 0;
constexpr HostCommand kCommandGlobalSetup = 1;
constexpr HostCommand kCommandUnused2 = 2;
constexpr HostCommand kCommandGlobalSetdown = 3;
constexpr HostCommand kCommandParamsSetup = 4;
constexpr HostCommand kCommandSequenceSetup = 5;
constexpr HostCommand kCommandSequenceResetup = 6;
constexpr HostCommand kCommandSequenceFlatten = 7;
constexpr HostCommand kCommandSequenceSetdown = 8;
constexpr HostCommand kCommandDoDialog = 9;
constexpr HostCommand kCommandFrameSetup = 10;
constexpr HostCommand kCommandRender = 11;
constexpr HostCommand kCommandFrameSetdown = 12;
constexpr HostCommand kCommandUserChangedParam = 13;
constexpr HostCommand kCommandUpdateParamsUI = 14;
constexpr HostCommand kCommandEvent = 15;
constexpr HostCommand kCommandArbitraryCallback = 22;
constexpr HostCommand kCommandLast = 22;  // anything above is answered with success and ignored

// Output flags (global setup and render).
constexpr int32_t kOutFlagUseOutputExtent = 0x40;
constexpr int32_t kOutFlagPixelIndependent = 0x400;
constexpr int32_t kOutFlagCustomUI = 0x8000;
constexpr int32_t kOutFlagRefreshUI = 0x20000;
constexpr int32_t kOutFlagDeepColorAware = 0x2000000;
constexpr int32_t kOutFlagSendUpdateParamsUI = 0x4000000;

// Output flags 2.
constexpr int32_t kOutFlag2SupportsThreadedRendering = 0x8000000;
