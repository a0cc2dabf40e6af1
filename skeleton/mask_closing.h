// The 3x3 closing of the sampled mask: small holes fill and gaps of a pixel
// or two between strokes bridge before the distance field and thinning.
#pragma once

#include "skeleton/byte_mask.h"

// 3x3 dilation followed by 3x3 erosion. Both only write the interior, so every
// cell within two pixels of the edge ends up 0.
void CloseMask3x3(ByteMask& mask);
