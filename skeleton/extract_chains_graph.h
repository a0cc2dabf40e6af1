// Merge by Shape: one chain per connected piece of the skeleton.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/points.h"

// In result order: simple chains reused for components that hold exactly one
// of them (oriented toward the start point), pixel traces of components
// without a junction, retracing walks of components with junctions (in the
// order the components are reached), then closed traces of rings that have
// no node. seeds are start hints in priority order; simpleChains are the
// chains ExtractChainsSimple produced from the same mask.
std::vector<ChainRecord> ExtractChainsGraph(const ByteMask& mask, float minLength, float startX, float startY,
                                            uint8_t smart, float bias, uint8_t directionalStart,
                                            const std::vector<FloatPoint>& seeds,
                                            const std::vector<ChainRecord>& simpleChains);

// Unit vector from the centroid of the set pixels toward (startX, startY);
// (-1, 0) when the two lie within 0.001 pixel of each other.
FloatPoint ComputeWritingDirection(const ByteMask& mask, float startX, float startY);
