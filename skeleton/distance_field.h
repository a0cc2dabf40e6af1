// Exact Euclidean distance of every ink pixel to the nearest background pixel.
#pragma once

#include <vector>

#include "skeleton/byte_mask.h"

// Row-major floats of the mask it was computed from; it carries no size.
using DistanceField = std::vector<float>;

void DistanceTransform(const ByteMask& mask, DistanceField& field);
