#include "render/drawing/chain_preview.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/drawing/chain_labels.h"
#include "render/drawing/draw_primitives.h"
#include "render/drawing/preview_palette.h"

namespace {

constexpr int32_t kLabelOffsetX = 8;
constexpr int32_t kLabelOffsetY = -16;
constexpr int32_t kLabelScale = 2;
constexpr int32_t kCountX = 8;
constexpr int32_t kCountY = 8;
constexpr int32_t kCountScale = 3;

// Radius of the line from a to b: the stroke's own radius, or with Match
// Original Width the scaled distance-field value at the segment's midpoint.
int32_t SegmentRadius(const RenderSettings& settings, const RenderFrameState& state, IntPoint a,
                      IntPoint b) {
  if (!settings.matchOriginalWidth || state.field == nullptr || state.field->Empty()) {
    return settings.lineRadius;
  }
  const DistanceField& field = *state.field;
  // Integer division truncates toward zero, as the midpoint rule wants.
  const int64_t mx = (static_cast<int64_t>(a.x) + b.x) / 2;
  const int64_t my = (static_cast<int64_t>(a.y) + b.y) / 2;
  if (mx < 0 || my < 0 || mx >= field.width || my >= field.height) return settings.lineRadius;
  const size_t index = GridIndex(field.width, static_cast<int32_t>(mx), static_cast<int32_t>(my));
  // A field whose values do not cover its size is treated like a point outside it.
  if (index >= field.values.size()) return settings.lineRadius;
  return static_cast<int32_t>(settings.widthScale * field.values[index] + 0.5f);
}

void DrawLines(const RenderSettings& settings, const RenderFrameState& state,
               const std::vector<ChainRecord>& chains) {
  for (size_t c = 0; c < chains.size(); ++c) {
    const std::vector<IntPoint>& points = chains[c].points;
    const uint32_t colour = PreviewColorAt(c);
    for (size_t k = 1; k < points.size(); ++k) {
      const IntPoint a = points[k - 1];
      const IntPoint b = points[k];
      DrawThickLine(*state.output, a, b, SegmentRadius(settings, state, a, b), colour);
    }
  }
}

int32_t ChainLabel(const RenderFrameState& state, size_t position) {
  if (state.labels != nullptr && position < state.labels->size()) return (*state.labels)[position];
  return static_cast<int32_t>(position + 1);
}

void DrawStartDotsAndNumbers(const RenderSettings& settings, const RenderFrameState& state,
                             const std::vector<ChainRecord>& chains) {
  for (size_t c = 0; c < chains.size(); ++c) {
    if (chains[c].points.empty()) continue;
    const IntPoint first = chains[c].points.front();
    if (c == 0) {
      FillDiscRgb(*state.output, first.x, first.y, settings.lineRadius + 2, UnpackColor(kLabelFillColor));
    } else {
      FillDiscRgb(*state.output, first.x, first.y, settings.lineRadius + 1, UnpackColor(PreviewColorAt(c)));
    }
    DrawChainLabel(*state.output, first.x + kLabelOffsetX, first.y + kLabelOffsetY, ChainLabel(state, c),
                   kLabelScale);
  }
}

}  // namespace

bool DrawChainPreview(const RenderSettings& settings, const RenderFrameState& state) {
  if (!settings.previewChains || state.output == nullptr || state.output->pixels == nullptr ||
      state.chains == nullptr) {
    return false;
  }
  const std::vector<ChainRecord>& chains = *state.chains;
  if (chains.empty()) return false;
  DrawLines(settings, state, chains);
  DrawStartDotsAndNumbers(settings, state, chains);
  DrawChainLabel(*state.output, kCountX, kCountY, static_cast<int32_t>(chains.size()), kCountScale);
  return true;
}
