// What a run of `render` or `analyse` needs in memory at its peak, checked
// against the run's memory limit (memory_limit.h) before any pixel is read,
// so a run that cannot fit is refused up front instead of failing late.
//
// Per pixel of the input: its decoded 8-bit image and its frame at the
// chosen depth; per pixel of the Map Layer: its frame. Per render running at
// once: the output frame, the render's own buffers (masks, labels, distance
// field, stroke planes, and the chains of a dense skeleton smoothed four
// times: kRenderWorkBytesPerPixel, from measured peaks; a test holds a heavy
// render's peak between half the estimate and all of it), and the 8-bit
// image and PNG file of the frame written. Per output file, the writer's record of
// it. An editing session also keeps frames beside the render's (its layer
// and Map Layer at 1/N, the last frame) and draws windows: per pixel of the
// larger window, its RGBA image, Cairo's surface for the overlay's strokes
// and the window's PNG file. Plus the process itself. Sizes in 64 bits.
#pragma once

#include <cstdint>
#include <string>

constexpr uint64_t kRenderWorkBytesPerPixel = 64;
constexpr uint64_t kProcessBaseBytes = uint64_t{64} << 20;
constexpr uint64_t kBytesPerOutput = 256;
constexpr uint64_t kWindowBytesPerPixel = 12;

struct RunMemoryPlan {
  uint64_t inputPixels = 0;
  uint64_t mapPixels = 0;  // 0 without a Map Layer
  int32_t depth = 8;
  int32_t renders = 1;  // at once
  uint64_t outputs = 1;  // files written
  uint64_t heldFramePixels = 0;  // frames at the chosen depth a session keeps
  uint64_t windowPixels = 0;     // of the larger window a session draws; 0 without windows
};

uint64_t EstimateRunBytes(const RunMemoryPlan& plan);

// The most renders at once, up to plan.renders, that fit in `limitBytes`
// (0 when not even one does; plan.renders when the limit is unknown, 0).
int32_t RendersThatFit(const RunMemoryPlan& plan, uint64_t limitBytes);

// "512 MB", "43.2 GB" (powers of 1000).
std::string ByteCountText(uint64_t bytes);
