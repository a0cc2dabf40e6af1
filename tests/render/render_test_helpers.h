// Frames that own their pixels, chains from points and the state the drawing passes read.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "host_interface/host_frame.h"
#include "model/render_settings.h"
#include "render/analysis/chain_ordering.h"
#include "render/drawing/frame_state.h"
#include "render/drawing/pixel_access.h"

struct TestFrame {
  std::vector<uint64_t> storage;  // 8-byte words keep float pixels aligned
  HostFrame frame;
};

inline const PixelDepth kAllDepths[] = {PixelDepth::k8Bit, PixelDepth::k16Bit, PixelDepth::k32BitFloat};

// Zero-filled; `padding` extra bytes per row test the row-bytes rule.
inline TestFrame MakeTestFrame(int32_t width, int32_t height, PixelDepth depth = PixelDepth::k8Bit,
                               int32_t padding = 0) {
  const int32_t pixelBytes = depth == PixelDepth::k32BitFloat ? 16 : depth == PixelDepth::k16Bit ? 8 : 4;
  TestFrame f;
  f.frame.rowBytes = width * pixelBytes + padding;
  f.storage.assign((static_cast<size_t>(f.frame.rowBytes) * height + 7) / 8 + 1, 0);
  f.frame.pixels = f.storage.data();
  f.frame.width = width;
  f.frame.height = height;
  return f;
}

// Sets every pixel of [x0, x1) x [y0, y1).
inline void FillRect(const HostFrame& frame, int32_t x0, int32_t y0, int32_t x1, int32_t y1, RgbaFloat c) {
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = x0; x < x1; ++x) SetPixelFloat(frame, x, y, c.red, c.green, c.blue, c.alpha);
  }
}

inline void FillFrame(const HostFrame& frame, RgbaFloat c) { FillRect(frame, 0, 0, frame.width, frame.height, c); }

inline bool NearPixel(RgbaFloat a, RgbaFloat b, float tolerance) {
  return std::fabs(a.red - b.red) <= tolerance && std::fabs(a.green - b.green) <= tolerance &&
         std::fabs(a.blue - b.blue) <= tolerance && std::fabs(a.alpha - b.alpha) <= tolerance;
}

inline bool SamePixel(RgbaFloat a, RgbaFloat b) { return NearPixel(a, b, 0.0f); }

inline ChainRecord ChainThrough(std::initializer_list<IntPoint> points, bool closed = false) {
  ChainRecord chain;
  chain.points = points;
  chain.closed = closed ? 1 : 0;
  return chain;
}

// Points x0, x0 + step, ... x0 + length on row y.
inline ChainRecord StraightChain(int32_t x0, int32_t y, int32_t length, int32_t step = 1) {
  ChainRecord chain;
  for (int32_t x = x0; x <= x0 + length; x += step) chain.points.push_back({x, y});
  return chain;
}

// What a drawing pass reads besides its frames; the mask is the skeleton's size, else the output's.
struct DrawScene {
  std::vector<ChainRecord> chains;
  std::vector<int32_t> labels;
  DistanceField field;
  ByteMask skeleton;

  RenderFrameState State(const HostFrame& output, const HostFrame* source = nullptr) {
    labels = ChainLabels(chains.size());
    const bool hasMask = skeleton.width != 0;
    return {.source = source, .output = const_cast<HostFrame*>(&output), .chains = &chains, .labels = &labels,
            .field = &field, .skeleton = &skeleton, .maskWidth = hasMask ? skeleton.width : output.width,
            .maskHeight = hasMask ? skeleton.height : output.height};
  }
};
