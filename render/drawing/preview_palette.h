// The twelve colours of the chain preview; chain at position c takes
// PreviewPalette[c % 12].
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/drawing/chain_labels.h"

inline constexpr uint32_t PreviewPalette[12] = {
    PackColor(80, 80, 255),   PackColor(60, 220, 255),  PackColor(220, 60, 60),
    PackColor(255, 200, 40),  PackColor(200, 60, 255),  PackColor(60, 220, 220),
    PackColor(255, 140, 40),  PackColor(180, 100, 255), PackColor(100, 255, 180),
    PackColor(255, 100, 150), PackColor(100, 180, 255), PackColor(200, 255, 100),
};

inline uint32_t PreviewColorAt(size_t position) { return PreviewPalette[position % 12]; }
