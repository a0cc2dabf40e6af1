// A frame owned through the host's frame buffer, with its view, for the
// render pipeline tests.
#pragma once

#include <cstdint>

#include "host/frame_buffer.h"

namespace pipeline_test {

struct TestFrame {
  OwnedFrame owned;
  HostFrame frame;
};

// All channels 0; depth is bits per channel (8, 16 or 32).
inline TestFrame NewFrame(int32_t width, int32_t height, int32_t depth) {
  TestFrame f;
  f.owned = MakeFrame(width, height, depth);
  f.frame = FrameView(f.owned);
  return f;
}

inline constexpr int32_t kDepths[] = {8, 16, 32};

}  // namespace pipeline_test
