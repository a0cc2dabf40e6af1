// Multi-Stroke rings: two polylines at ± offset from a chain's visible path,
// drawn straight into the output frame.
#pragma once

#include <vector>

#include "host_interface/host_frame.h"
#include "model/render_settings.h"
#include "skeleton/points.h"

struct RingShape {
  float offset = 0.0f;  // distance of each ring line from the path
  float radius = 0.0f;  // half the ring line's width, at least 0.5
};

RingShape RingShapeFor(const RenderSettings& settings);

// Draws the left and right offset polylines of `path` (mitred, the mitre at
// most 4 × offset) with capsules of `radius`, then the caps: round discs at
// the four ends, or flat bars across each end.
void DrawOffsetOutline(const std::vector<FloatPoint>& path, float offset, const HostFrame& output, float radius,
                       HostPixel8 colour, bool roundCaps);
