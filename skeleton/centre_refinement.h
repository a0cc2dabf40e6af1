// Moves chain points across the stroke onto the ridge of the distance field.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/chain_record.h"
#include "skeleton/distance_field.h"

constexpr float kRecenterStep = 0.3125f;

// Writes each chain's fpoints; points stay as they are. A field that does not
// match width x height, or a mask smaller than 2 x 2, leaves every chain alone.
void RefineChainCenters(std::vector<ChainRecord>& chains, const DistanceField& field, int32_t width,
                        int32_t height);

// Bilinear field value at (x, y), with x in [0, width - 1] and y in [0, height - 1];
// width and height must both be at least 2.
float SampleFieldBilinear(const DistanceField& field, int32_t width, int32_t height, float x, float y);
