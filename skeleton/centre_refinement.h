// Moves chain points across the stroke onto the ridge of the distance field.
#pragma once

#include <cstdint>
#include <vector>

#include "skeleton/chain_record.h"
#include "skeleton/distance_field.h"

constexpr float kRecenterStep = 0.3125f;

// Writes each chain's fpoints; points stay as they are. A field smaller than
// 2 x 2, or one whose values do not cover its size, leaves every chain alone.
void RefineChainCenters(std::vector<ChainRecord>& chains, const DistanceField& field);

// Bilinear field value at (x, y), with x in [0, width - 1] and y in [0, height - 1];
// the field must be at least 2 x 2.
float SampleFieldBilinear(const DistanceField& field, float x, float y);
