#include "render/analysis/layer_sampling.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "model/frame_depth.h"

namespace {

constexpr float kLumaRed = 0.2989f;
constexpr float kLumaGreen = 0.587f;
constexpr float kLumaBlue = 0.114f;
constexpr float kInv255 = 0.003921569f;
constexpr float kInv32768 = 3.0517578125e-05f;

enum class Channel { kLuminance, kRed, kGreen, kBlue, kAlpha };

// Channel c (0 alpha, 1 red, 2 green, 3 blue: the memory order) of pixel x
// of a row, as the float GetPixelFloat gives.
static_assert(offsetof(HostPixel8, blue) == 3 && offsetof(HostPixel16, blue) == 6 &&
              offsetof(HostPixelFloat, blue) == 12);
struct Read8 {
  static constexpr size_t kPixelBytes = sizeof(HostPixel8);
  static float At(const unsigned char* row, int32_t x, int32_t c) { return row[4 * x + c] * kInv255; }
};
struct Read16 {
  static constexpr size_t kPixelBytes = sizeof(HostPixel16);
  static float At(const unsigned char* row, int32_t x, int32_t c) {
    uint16_t v;
    std::memcpy(&v, row + 8 * x + 2 * c, sizeof v);
    return v * kInv32768;
  }
};
struct ReadFloat {
  static constexpr size_t kPixelBytes = sizeof(HostPixelFloat);
  static float At(const unsigned char* row, int32_t x, int32_t c) {
    float v;
    std::memcpy(&v, row + 16 * x + 4 * c, sizeof v);
    return v;
  }
};

// One row of the layer against the threshold. The channel and inversion are
// template arguments so that the loop carries no branches and vectorises;
// every pixel is computed exactly as the plain rule says.
template <typename Read, Channel kChannel, bool kInvert>
void SampleRow(const unsigned char* __restrict row, int32_t width, float limit, uint8_t* __restrict out) {
  for (int32_t x = 0; x < width; ++x) {
    const float alpha = Read::At(row, x, 0);
    float v;
    if constexpr (kChannel == Channel::kRed) {
      v = Read::At(row, x, 1);
    } else if constexpr (kChannel == Channel::kGreen) {
      v = Read::At(row, x, 2);
    } else if constexpr (kChannel == Channel::kBlue) {
      v = Read::At(row, x, 3);
    } else if constexpr (kChannel == Channel::kAlpha) {
      v = alpha;
    } else {
      v = Read::At(row, x, 2) * kLumaGreen + Read::At(row, x, 1) * kLumaRed + Read::At(row, x, 3) * kLumaBlue;
    }
    if constexpr (kInvert) v = 1.0f - v;
    // After the inversion, so transparent pixels stay background even when inverted.
    if constexpr (kChannel != Channel::kAlpha) v = alpha * v;
    out[x] = v * 255.0f >= limit ? 1 : 0;
  }
}

// Layers are mostly runs of one colour (transparent background, solid ink):
// a chunk of pixels with identical bytes gets the first pixel's result.
constexpr int32_t kUniformChunk = 16;

template <typename Read, Channel kChannel, bool kInvert>
void SampleRows(const HostFrame& layer, ByteMask& mask, float limit) {
  const unsigned char* pixels = static_cast<const unsigned char*>(layer.pixels);
  const size_t pixelBytes = Read::kPixelBytes;
  for (int32_t y = 0; y < mask.height; ++y) {
    const unsigned char* row = pixels + static_cast<int64_t>(layer.rowBytes) * y;
    uint8_t* out = mask.Row(y);
    int32_t x = 0;
    for (; x + kUniformChunk <= mask.width; x += kUniformChunk) {
      const unsigned char* chunk = row + static_cast<size_t>(x) * pixelBytes;
      if (std::memcmp(chunk + pixelBytes, chunk, (kUniformChunk - 1) * pixelBytes) == 0) {
        SampleRow<Read, kChannel, kInvert>(chunk, 1, limit, out + x);
        std::memset(out + x + 1, out[x], kUniformChunk - 1);
      } else {
        SampleRow<Read, kChannel, kInvert>(chunk, kUniformChunk, limit, out + x);
      }
    }
    SampleRow<Read, kChannel, kInvert>(row + static_cast<size_t>(x) * pixelBytes, mask.width - x, limit, out + x);
  }
}

template <typename Read, Channel kChannel>
void SampleRowsInverted(const HostFrame& layer, ByteMask& mask, bool invertInput, float limit) {
  if (invertInput) {
    SampleRows<Read, kChannel, true>(layer, mask, limit);
  } else {
    SampleRows<Read, kChannel, false>(layer, mask, limit);
  }
}

template <typename Read>
void SampleDepth(const HostFrame& layer, ByteMask& mask, int32_t channel, bool invertInput, float limit) {
  switch (channel) {
    case 2: return SampleRowsInverted<Read, Channel::kRed>(layer, mask, invertInput, limit);
    case 3: return SampleRowsInverted<Read, Channel::kGreen>(layer, mask, invertInput, limit);
    case 4: return SampleRowsInverted<Read, Channel::kBlue>(layer, mask, invertInput, limit);
    case 5: return SampleRowsInverted<Read, Channel::kAlpha>(layer, mask, invertInput, limit);
    default: return SampleRowsInverted<Read, Channel::kLuminance>(layer, mask, invertInput, limit);
  }
}

}  // namespace

ByteMask SampleLayerMask(const HostFrame& layer, int32_t channel, bool invertInput, int32_t threshold) {
  ByteMask mask = EmptyMask(layer.width, layer.height);
  if (layer.pixels == nullptr || mask.cells.empty()) return mask;
  const float limit = static_cast<float>(threshold);
  switch (FramePixelDepth(layer)) {
    case PixelDepth::k32BitFloat: SampleDepth<ReadFloat>(layer, mask, channel, invertInput, limit); break;
    case PixelDepth::k16Bit: SampleDepth<Read16>(layer, mask, channel, invertInput, limit); break;
    case PixelDepth::k8Bit: SampleDepth<Read8>(layer, mask, channel, invertInput, limit); break;
  }
  return mask;
}
