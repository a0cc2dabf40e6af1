// The one function a plug-in module exports, and its name.
#pragma once

#include <cstdint>

#include "host_interface/host_errors.h"
#include "host_interface/host_frame.h"
#include "host_interface/host_records.h"

constexpr char kEntryPointName[] = "EntryPointFunc";

using HostEntryPointFunc = HostError (*)(int32_t command, HostInData* in, HostOutData* out,
                                         HostParamDef* params[], HostFrame* output, void* extra);

#if defined(_WIN32)
#define SPINDREL_EXPORT __declspec(dllexport)
#else
#define SPINDREL_EXPORT __attribute__((visibility("default")))
#endif
