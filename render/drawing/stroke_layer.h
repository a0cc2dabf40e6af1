// The layer that collects the stroke before a single composite, so that
// overlapping pieces never blend into each other: per pixel of the output
// frame the highest coverage written so far and the colour of the piece that
// wrote it.
//
// Strokes cover a small part of a frame, so the layer is kept in square tiles
// that exist only where something was written; an untouched pixel has
// coverage 0. A pixel stores its coverage and an index into the layer's
// colour table, or kSourceColour for a piece that paints the source layer:
// such a pixel takes the source's red, green and blue at its own position and
// alpha 1 when it is composited.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "host_interface/host_frame.h"
#include "render/drawing/pixel_access.h"

constexpr int32_t kStrokeTileShift = 3;
constexpr int32_t kStrokeTileSize = 1 << kStrokeTileShift;  // pixels per tile side
constexpr size_t kStrokeTilePixels = static_cast<size_t>(kStrokeTileSize) * kStrokeTileSize;
constexpr uint32_t kSourceColour = 0xFFFFFFFFu;

struct StrokeLayerPixel {
  float coverage;  // with a source colour: source alpha × coverage
  uint32_t colour;
};

struct StrokeLayer {
  int32_t width = 0;
  int32_t height = 0;
  int32_t tilesAcross = 0;
  std::vector<int32_t> tileSlot;           // per tile, row by row: its slot in `pixels`, or -1
  std::vector<int32_t> tileOfSlot;         // per slot: the tile it holds
  std::vector<uint8_t> fullPixels;         // per slot: pixels at coverage 1 or more
  std::vector<StrokeLayerPixel> pixels;    // kStrokeTilePixels per slot, rows of kStrokeTileSize
  std::vector<RgbaFloat> colours;          // red, green, blue and alpha of the pieces
};

// Empties the layer and sizes it for a width × height frame.
void ResetStrokeLayer(StrokeLayer& layer, int32_t width, int32_t height);

// The tile holding (x, y), which must lie inside the layer.
inline size_t StrokeTileIndex(const StrokeLayer& layer, int32_t x, int32_t y) {
  return static_cast<size_t>(y >> kStrokeTileShift) * static_cast<size_t>(layer.tilesAcross) +
         static_cast<size_t>(x >> kStrokeTileShift);
}

// The slot of a tile, created (all pixels zero) when the tile does not exist yet.
inline int32_t StrokeTileSlot(StrokeLayer& layer, size_t tile) {
  int32_t slot = layer.tileSlot[tile];
  if (slot < 0) {
    slot = static_cast<int32_t>(layer.tileOfSlot.size());
    layer.tileOfSlot.push_back(static_cast<int32_t>(tile));
    layer.fullPixels.push_back(0);
    layer.pixels.resize(layer.pixels.size() + kStrokeTilePixels, StrokeLayerPixel{0.0f, 0});
    layer.tileSlot[tile] = slot;
  }
  return slot;
}

inline StrokeLayerPixel* StrokeSlotPixels(StrokeLayer& layer, int32_t slot) {
  return &layer.pixels[static_cast<size_t>(slot) * kStrokeTilePixels];
}

// The pixels of the tile holding (x, y), created when needed.
inline StrokeLayerPixel* StrokeTileAt(StrokeLayer& layer, int32_t x, int32_t y) {
  return StrokeSlotPixels(layer, StrokeTileSlot(layer, StrokeTileIndex(layer, x, y)));
}

inline size_t StrokeTileOffset(int32_t x, int32_t y) {
  return static_cast<size_t>(y & (kStrokeTileSize - 1)) * kStrokeTileSize +
         static_cast<size_t>(x & (kStrokeTileSize - 1));
}

// The colour index for a piece colour: the last one when it is the same.
inline uint32_t StrokeColourIndex(StrokeLayer& layer, const RgbaFloat& colour) {
  if (layer.colours.empty() || std::memcmp(&layer.colours.back(), &colour, sizeof colour) != 0) {
    layer.colours.push_back(colour);
  }
  return static_cast<uint32_t>(layer.colours.size() - 1);
}

// Coverage at (x, y); 0 where nothing was written.
float StrokeLayerCoverage(const StrokeLayer& layer, int32_t x, int32_t y);
// The colour that wrote the coverage at (x, y): red, green, blue and alpha as
// they will be composited (the source's pixel for a source colour).
RgbaFloat StrokeLayerColour(const StrokeLayer& layer, const HostFrame& source, int32_t x, int32_t y);

// Coverage at or below this is not composited.
constexpr float kLayerCoverageMin = 0.003f;

// Blends every layer pixel with coverage above kLayerCoverageMin over the
// frame, at opacity min(1, coverage) × alpha; source colours are read from
// `source` (which must not be `frame`). The layer must have the frame's size.
void CompositeStrokeLayer(const StrokeLayer& layer, const HostFrame& frame, const HostFrame& source);
