// Following the one-pixel skeleton from a start pixel into one chain.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/points.h"
#include "skeleton/turn_prediction.h"

// Walks from (x0, y0), always to the free skeleton neighbour that best keeps
// the smoothed heading (with smart on, blended by bias with the direction the
// recent turns predict), until no free neighbour is left. Every pixel put into
// the chain is marked in visited (one byte per mask cell, shared by all traces
// of one extraction). A start outside the mask, or a visited grid smaller than
// the mask, gives an empty chain and marks nothing.
ChainRecord TraceChainFrom(const ByteMask& mask, int32_t x0, int32_t y0, std::vector<uint8_t>& visited,
                           JunctionTracing tracing);
