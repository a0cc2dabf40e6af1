// The files `spindrel analyse` writes from what the render's analysis stages
// produced.
//
// Masks: 8-bit RGBA PNGs, opaque, 255 for a set pixel and 0 elsewhere.
//
// distance_field.pfm: a greyscale Portable Float Map. A text header
// "Pf\n<width> <height>\n-1.0\n" (the negative scale means little-endian),
// then width x height 32-bit IEEE floats, rows from the bottom row of the
// image up to the top, as the format has it.
//
// chains.json: {"width": W, "height": H, "chains": [...]}, the analysed
// layer's size and every final chain in draw order, one per line:
// {"label": N, "closed": false, "points": [[x, y], ...], "fpoints": [[x, y], ...]}.
// label is the chain's number (position + 1), points its integer pixels,
// fpoints its sub-pixel positions (exact float values), present only when
// there is one per point.
#pragma once

#include <string>
#include <vector>

#include "host/frame_buffer.h"
#include "render/analysis/analysis_stages.h"

RgbaImage MaskImage(const ByteMask& mask);

// False when there is no image (a side of 0, or not width x height values).
bool FloatImagePfm(int32_t width, int32_t height, const std::vector<float>& values, std::string& bytes);

std::string ChainsJsonText(const RenderAnalysis& analysis);
