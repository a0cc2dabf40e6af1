// Opens the built plug-in module in the reference host for one test; inputs the host tests share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/synthetic_text.h"
#include "host/frame_buffer.h"
#include "host/reference_host.h"

inline std::unique_ptr<ReferenceHost> OpenTestHost() {
  std::string error;
  std::unique_ptr<ReferenceHost> host = OpenReferenceHost(SPINDREL_MODULE_PATH, error);
  EXPECT_NE(host, nullptr) << error;
  return host;
}

// A host that has run global setup and parameter setup.
inline std::unique_ptr<ReferenceHost> OpenSetUpHost() {
  std::unique_ptr<ReferenceHost> host = OpenTestHost();
  if (host != nullptr) {
    EXPECT_EQ(SetUpEffect(*host), kHostErrorNone);
  }
  return host;
}

inline std::vector<uint8_t> PatternBytes(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 13);
  return bytes;
}

// Opaque white ink on a transparent background: values every depth holds
// exactly. Glyphs `glyphHeight` pixels high (0: an eighth of the height).
inline RgbaImage TextInkImage(int32_t width, int32_t height, uint32_t seed, int32_t glyphHeight = 0) {
  const ByteMask mask = synthetic_text::MakeTextMask(width, height, seed, glyphHeight);
  RgbaImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 4, 0)};
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    if (mask.cells[i] != 0) std::fill_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(i * 4), 4, uint8_t{255});
  }
  return image;
}
