// Coordinates of the chain overlay: cache pixels (the analysed, possibly
// downsampled layer), full-resolution layer pixels, and the window, reached
// through the host's 16.16 fixed-point conversion callbacks.
//
// Contract: fixed-point conversions never overflow. Values beyond the 32-bit
// range saturate; a non-finite value has no fixed-point form (nullopt).
#pragma once

#include <cstdint>
#include <optional>

#include "host_interface/host_event.h"
#include "host_interface/host_records.h"
#include "skeleton/points.h"

// Cache pixels to layer pixels: denominator / numerator per axis, 1 when the
// numerator is not positive. The click goes back with the inverse factors.
FloatPoint DrawFactors(const HostInData& in);

// A layer-space point in window pixels: to 16.16, through layer-to-composition
// (composition window only, at the input record's time) and source-to-frame,
// and back. The callbacks' results are ignored. Nullopt for a non-finite point.
std::optional<FloatPoint> LayerPointToFrame(int32_t windowType, const HostEventRecord& event, const HostInData& in,
                                            float x, float y);

// The click's window point in cache pixels: to 16.16, through frame-to-source
// and (composition window only) composition-to-layer, then scaled by the
// numerator / denominator per axis in double.
FloatPoint ClickPointInCache(int32_t windowType, const HostEventRecord& event, const HostInData& in);
