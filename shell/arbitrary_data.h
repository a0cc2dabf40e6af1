// The arbitrary-data callback (`kCommandArbitraryCallback`) for the Chain Selection and Draw
// Order blobs. The host owns every handle; the effect only fills them.
#pragma once

#include <cstdint>

#include "host_interface/host_arbitrary_data.h"
#include "host_interface/host_frame.h"
#include "host_interface/host_records.h"

// A flatten into a smaller buffer, an unflatten of shorter data, or a record
// missing a pointer the selector needs is refused with this code; nothing is
// read or written past the host's buffers and no handle is created.
constexpr HostError kArbRefused = kHostErrorInternal;

// Bytes of the block a callback for this parameter concerns: 264 for the Draw
// Order parameter, 268 (Chain Selection) for every other id.
uint32_t ArbBlockSize(int32_t paramId);

// Allocates and initialises a fresh blob (version 1, everything else 0). The
// stored handle is null and the result 4 when allocation fails.
HostError ArbDataNew(const HostInData* in, int32_t paramId, HostHandle* destination);

// Allocates a new blob holding a copy of source (0, 4, or kArbRefused when
// source cannot be locked).
HostError ArbDataCopy(const HostInData* in, int32_t paramId, HostHandle source, HostHandle* destination);

HostError HandleArbitraryData(HostInData* in, HostOutData* out, HostParamDef* params[], HostFrame* output,
                              HostArbCallbackRecord* record);
