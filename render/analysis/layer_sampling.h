// Stages 2 and 3 of the analysis: the analysed layer's pixels against the
// threshold, one mask cell per pixel.
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"
#include "skeleton/byte_mask.h"

// One cell per pixel of the layer: 1 where the chosen channel (1 luminance,
// 2 red, 3 green, 4 blue, 5 alpha), optionally inverted and, except for the
// alpha channel, multiplied by alpha, reaches threshold / 255.
ByteMask SampleLayerMask(const HostFrame& layer, int32_t channel, bool invertInput, int32_t threshold);
