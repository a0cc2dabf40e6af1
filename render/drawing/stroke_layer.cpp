#include "render/drawing/stroke_layer.h"

#include <algorithm>
#include <stdexcept>

namespace {

const StrokeLayerPixel* FindLayerPixel(const StrokeLayer& layer, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= layer.width || y >= layer.height) return nullptr;
  const size_t tile = static_cast<size_t>(y >> kStrokeTileShift) * static_cast<size_t>(layer.tilesAcross) +
                      static_cast<size_t>(x >> kStrokeTileShift);
  const int32_t slot = layer.tileSlot[tile];
  if (slot < 0) return nullptr;
  return &layer.pixels[static_cast<size_t>(slot) * kStrokeTilePixels + StrokeTileOffset(x, y)];
}

// The tile's pixels over the frame, with the frame's depth known.
template <PixelDepth kDepth>
void CompositeTile(const StrokeLayer& layer, const StrokeLayerPixel* pixels, int32_t left, int32_t top,
                   const HostFrame& frame, const HostFrame& source) {
  using Format = PixelFormat<kDepth>;
  const int32_t right = std::min(left + kStrokeTileSize, frame.width);
  const int32_t bottom = std::min(top + kStrokeTileSize, frame.height);
  for (int32_t y = top; y < bottom; ++y) {
    const StrokeLayerPixel* row = pixels + static_cast<size_t>(y - top) * kStrokeTileSize;
    unsigned char* out = FrameRow(frame, y);
    for (int32_t x = left; x < right; ++x) {
      const StrokeLayerPixel& p = row[x - left];
      if (!(p.coverage > kLayerCoverageMin)) continue;
      RgbaFloat colour;
      if (p.colour == kSourceColour) {
        colour = GetSourcePixelFloat(source, x, y);
        colour.alpha = 1.0f;
      } else {
        colour = layer.colours[p.colour];
      }
      unsigned char* at = out + static_cast<int64_t>(Format::kBytes) * x;
      const RgbaFloat blended =
          BlendOver(Format::Load(at), colour.red, colour.green, colour.blue, std::min(1.0f, p.coverage) * colour.alpha);
      Format::Store(at, blended.red, blended.green, blended.blue, blended.alpha);
    }
  }
}

template <PixelDepth kDepth>
void CompositeTiles(const StrokeLayer& layer, const HostFrame& frame, const HostFrame& source) {
  for (size_t slot = 0; slot < layer.tileOfSlot.size(); ++slot) {
    const int32_t tile = layer.tileOfSlot[slot];
    CompositeTile<kDepth>(layer, &layer.pixels[slot * kStrokeTilePixels], (tile % layer.tilesAcross) * kStrokeTileSize,
                          (tile / layer.tilesAcross) * kStrokeTileSize, frame, source);
  }
}

}  // namespace

void ResetStrokeLayer(StrokeLayer& layer, int32_t width, int32_t height) {
  layer.width = std::max(width, 0);
  layer.height = std::max(height, 0);
  layer.tilesAcross = (layer.width + kStrokeTileSize - 1) / kStrokeTileSize;
  const int32_t tilesDown = (layer.height + kStrokeTileSize - 1) / kStrokeTileSize;
  layer.tileSlot.assign(static_cast<size_t>(layer.tilesAcross) * static_cast<size_t>(tilesDown), -1);
  layer.tileOfSlot.clear();
  layer.fullPixels.clear();
  layer.pixels.clear();
  layer.colours.clear();
  // Room for every tile up front: only the pages of tiles that are used get
  // touched, and pointers into the pixels stay valid while tiles are added.
  layer.pixels.reserve(layer.tileSlot.size() * kStrokeTilePixels);
}

float StrokeLayerCoverage(const StrokeLayer& layer, int32_t x, int32_t y) {
  const StrokeLayerPixel* p = FindLayerPixel(layer, x, y);
  return p != nullptr ? p->coverage : 0.0f;
}

RgbaFloat StrokeLayerColour(const StrokeLayer& layer, const HostFrame& source, int32_t x, int32_t y) {
  const StrokeLayerPixel* p = FindLayerPixel(layer, x, y);
  if (p == nullptr || p->coverage == 0.0f) return {};
  if (p->colour != kSourceColour) return layer.colours[p->colour];
  RgbaFloat colour = GetSourcePixelFloat(source, x, y);
  colour.alpha = 1.0f;
  return colour;
}

void CompositeStrokeLayer(const StrokeLayer& layer, const HostFrame& frame, const HostFrame& source) {
  if (frame.width <= 0 || frame.height <= 0) return;
  if (layer.width != frame.width || layer.height != frame.height) {
    throw std::logic_error("stroke layer not sized for the frame it is composited on");
  }
  switch (FramePixelDepth(frame)) {
    case PixelDepth::k32BitFloat: return CompositeTiles<PixelDepth::k32BitFloat>(layer, frame, source);
    case PixelDepth::k16Bit: return CompositeTiles<PixelDepth::k16Bit>(layer, frame, source);
    case PixelDepth::k8Bit: return CompositeTiles<PixelDepth::k8Bit>(layer, frame, source);
  }
}
