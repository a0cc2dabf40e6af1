// What the host learns about the effect before and at global setup. Global
// setup and the plug-in resource both read these, so they cannot disagree.
#pragma once

#include <cstdint>

constexpr char kEffectName[] = "Spindrel";
constexpr char kEffectCategory[] = "Wrenlets";
constexpr char kEffectMatchName[] = "Mosk Spindrel";
constexpr char kEffectEntryPointName[] = "EntryPointFunc";

constexpr uint32_t kEffectMajorVersion = 1;
constexpr uint32_t kEffectMinorVersion = 0;
constexpr uint32_t kEffectFixVersion = 4;
constexpr uint32_t kEffectStageVersion = 0;  // development
constexpr uint32_t kEffectBuildVersion = 1;

// The host's packed version layout.
constexpr uint32_t kEffectVersion = (kEffectMajorVersion << 19) | (kEffectMinorVersion << 15) |
                                    (kEffectFixVersion << 11) | (kEffectStageVersion << 9) |
                                    kEffectBuildVersion;
static_assert(kEffectVersion == 0x82001);

constexpr int32_t kEffectOutFlags = 0x6008440;
constexpr int32_t kEffectOutFlags2 = 0x8000000;

// Host interface version the resource declares (major, minor).
constexpr uint16_t kHostInterfaceMajor = 13;
constexpr uint16_t kHostInterfaceMinor = 28;

// Resource type, id and language of the Windows build.
constexpr char kPluginResourceType[] = "PIPL";
constexpr uint16_t kPluginResourceId = 16000;
constexpr uint16_t kPluginResourceLanguage = 1033;
