// Draws what the effect stroked through the drawing suites onto a window's
// image: each stroke with its pen's colour (straight RGBA, 0 to 1) and size
// in pixels, anti-aliased, with round joins and round caps, composited over
// the image. A point names the pixel it lies in (point (3, 4) is the centre
// of pixel 3, 4). Pixels no stroke touches keep their exact bytes.
//
// Rasterised with Cairo, so this part exists only where Cairo is built (the
// Linux build); the display list it reads is built on every platform.
// Pieces with a non-finite point, and strokes whose size is not a positive
// finite number, are skipped; coordinates are clamped to +-1e6 pixels.
#pragma once

#include "host/frame_buffer.h"
#include "host/ui/window_drawing.h"

void StrokeDisplayList(RgbaImage& image, const DisplayList& strokes);
