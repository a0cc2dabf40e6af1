#include "host/cli/run_memory.h"

#include <cstdio>

#include "host/frame_buffer.h"

namespace {

constexpr uint64_t kImageBytesPerPixel = 4;  // 8-bit RGBA
// A PNG file holds at most about as many bytes as its 8-bit pixels.
constexpr uint64_t kPngBytesPerPixel = 4;

}  // namespace

uint64_t EstimateRunBytes(const RunMemoryPlan& plan) {
  const auto frameBytes = static_cast<uint64_t>(DepthPixelBytes(plan.depth));
  const uint64_t perRender = frameBytes + kRenderWorkBytesPerPixel + kImageBytesPerPixel + kPngBytesPerPixel;
  return kProcessBaseBytes + plan.outputs * kBytesPerOutput + plan.inputPixels * (kImageBytesPerPixel + frameBytes) +
         (plan.mapPixels + plan.heldFramePixels) * frameBytes + plan.windowPixels * kWindowBytesPerPixel +
         static_cast<uint64_t>(plan.renders) * plan.inputPixels * perRender;
}

int32_t RendersThatFit(const RunMemoryPlan& plan, uint64_t limitBytes) {
  if (limitBytes == 0) return plan.renders;
  int32_t renders = plan.renders;
  RunMemoryPlan trial = plan;
  for (; renders > 0; --renders) {
    trial.renders = renders;
    if (EstimateRunBytes(trial) <= limitBytes) break;
  }
  return renders;
}

std::string ByteCountText(uint64_t bytes) {
  char text[32];
  if (bytes >= 1000000000) {
    std::snprintf(text, sizeof(text), "%.1f GB", static_cast<double>(bytes) / 1e9);
  } else {
    std::snprintf(text, sizeof(text), "%llu MB", static_cast<unsigned long long>((bytes + 999999) / 1000000));
  }
  return text;
}
