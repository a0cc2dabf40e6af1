#include "render/render_driver.h"

#include <cstring>

namespace {

// Bytes per pixel from the frame's own layout: 16 or more is 32-bit float,
// 8 or more 16-bit, otherwise 8-bit.
int32_t FramePixelBytes(const HostFrame& frame) {
  const int32_t perPixel = frame.width > 0 ? frame.rowBytes / frame.width : 0;
  if (perPixel >= 16) return 16;
  if (perPixel >= 8) return 8;
  return 4;
}

}  // namespace

// For now the output is a transparent frame: every channel 0 at its depth.
HostError Render(HostInData*, HostOutData*, HostParamDef*[], HostFrame* output, const HostFrame*) {
  if (output == nullptr || output->pixels == nullptr || output->width <= 0 || output->height <= 0) {
    return kHostErrorNone;
  }
  const size_t rowLength = static_cast<size_t>(output->width) * static_cast<size_t>(FramePixelBytes(*output));
  auto* row = static_cast<uint8_t*>(output->pixels);
  for (int32_t y = 0; y < output->height; ++y, row += output->rowBytes) std::memset(row, 0, rowLength);
  return kHostErrorNone;
}
