// Frames at draft resolution and back: what a host renders at 1/N, and how
// its windows show such a frame at full size, placed in the composition.
#pragma once

#include <cstdint>

#include "host/frame_buffer.h"
#include "host/ui/plane_transform.h"

constexpr int32_t kMaxDownsample = 64;

// The frame sampled at 1/factor, as a host samples a layer for a draft
// preview: pixel (x, y) of the result is pixel (x * factor, y * factor) of
// `frame`, so the result has ceil(width / factor) x ceil(height / factor)
// pixels of the same depth. Factor 1 copies.
OwnedFrame DownsampleFrame(const OwnedFrame& frame, int32_t factor);

// A width x height window showing `image`, an image of the layer at
// 1/pixelScale, scaled back up and placed by `placement` (layer pixels to
// window pixels), nearest pixel: each window pixel shows the image pixel
// under its centre, transparent black where the layer does not reach.
RgbaImage PlaceLayerImage(const RgbaImage& image, int32_t pixelScale, const PlaneTransform& placement, int32_t width,
                          int32_t height);
