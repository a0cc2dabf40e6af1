#include "render/drawing/draw_primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "render/drawing/pixel_access.h"
#include "render/drawing/value_noise.h"
#include "skeleton/index_at.h"

namespace {

constexpr float kInv255 = 0.003921569f;

// Calls visit(x, y) for every pixel of the disc that lies inside the frame.
template <typename Visit>
void ForEachDiscPixel(const HostFrame& frame, int32_t cx, int32_t cy, int32_t radius, Visit visit) {
  if (radius < 0) return;
  const int64_t r = radius;
  const int64_t rSquared = r * r;
  const int64_t jFirst = std::max<int64_t>(-r, -static_cast<int64_t>(cy));
  const int64_t jLast = std::min<int64_t>(r, static_cast<int64_t>(frame.height) - 1 - cy);
  const int64_t iFirst = std::max<int64_t>(-r, -static_cast<int64_t>(cx));
  const int64_t iLast = std::min<int64_t>(r, static_cast<int64_t>(frame.width) - 1 - cx);
  for (int64_t j = jFirst; j <= jLast; ++j) {
    for (int64_t i = iFirst; i <= iLast; ++i) {
      if (i * i + j * j <= rSquared) {
        visit(static_cast<int32_t>(cx + i), static_cast<int32_t>(cy + j));
      }
    }
  }
}

// An edge of the capsule's pixel box as an integer. Edges far outside any
// frame (or infinite) saturate and NaN counts as far to the left, so the box
// clips instead of overflowing the integer conversion.
int64_t BoxEdge(float edge) {
  constexpr float kFar = 1e15f;
  if (!(edge > -kFar)) return static_cast<int64_t>(-kFar);
  return static_cast<int64_t>(std::min(edge, kFar));
}

// A capsule's geometry, as its pixels need it.
struct CapsuleShape {
  float x0, y0;     // start point
  float x1, y1;     // end point
  float dx, dy;     // end point minus start point
  float inverse;    // 1 / (dx² + dy²), or 0 for a capsule of zero length
  float length;
  float r0, r1;
  float fade;
  float roughAmount;
  float roughScale;
};

struct CapsuleBox {
  int32_t left, right, top, bottom;  // inclusive, inside the frame
};

// Coordinates and radii up to this size are computed in float to well within
// a tenth of a pixel, so a row's pixels beyond a pixel of margin around the
// exact shape can never get coverage.
constexpr float kRowSpanLimit = 1e5f;

// The columns of row y that may get coverage, when the capsule allows a
// bound: those whose centre lies within `reach` of the segment (the largest
// radius the pixels can see, plus half a pixel of antialiasing and one pixel
// of margin). The set is convex, so it is the hull of the rows of the two end
// discs and of the band along the segment.
bool CapsuleRowSpan(const CapsuleShape& c, double reach, int32_t y, int32_t& left, int32_t& right) {
  const double py = static_cast<double>(y) + 0.5;
  double lo = std::numeric_limits<double>::infinity();
  double hi = -lo;
  const auto disc = [&](double cx, double cy) {
    const double w2 = reach * reach - (py - cy) * (py - cy);
    if (w2 <= 0.0) return;
    const double w = std::sqrt(w2);
    lo = std::min(lo, cx - w);
    hi = std::max(hi, cx + w);
  };
  const double x0 = c.x0, y0 = c.y0, x1 = c.x1, y1 = c.y1;
  disc(x0, y0);
  disc(x1, y1);
  const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
  if (len2 > 0.0) {
    // Across: |(px - x0) dy - (py - y0) dx| < reach × len; along: 0 <= (px - x0) dx + (py - y0) dy <= len².
    const double across = reach * std::sqrt(len2);
    const double rowAcross = (py - y0) * dx;
    const double rowAlong = (py - y0) * dy;
    double a = -std::numeric_limits<double>::infinity();
    double b = -a;
    bool empty = false;
    if (dy != 0.0) {
      const double u = x0 + (rowAcross - across) / dy, v = x0 + (rowAcross + across) / dy;
      a = std::max(a, std::min(u, v));
      b = std::min(b, std::max(u, v));
    } else {
      empty = std::fabs(rowAcross) >= across;
    }
    if (dx != 0.0) {
      const double u = x0 - rowAlong / dx, v = x0 + (len2 - rowAlong) / dx;
      a = std::max(a, std::min(u, v));
      b = std::min(b, std::max(u, v));
    } else {
      empty = empty || rowAlong < 0.0 || rowAlong > len2;
    }
    if (!empty && a < b) {
      lo = std::min(lo, a);
      hi = std::max(hi, b);
    }
  }
  if (!(lo < hi)) return false;
  // A pixel's centre x + 0.5 lies in (lo, hi).
  left = std::max(left, static_cast<int32_t>(std::floor(lo - 0.5)));
  right = std::min(right, static_cast<int32_t>(std::ceil(hi - 0.5)));
  return left <= right;
}

// The largest distance from the segment at which a pixel centre can get
// coverage, with a pixel of margin; negative when the capsule allows no
// bound (non-finite or very large input) and every box pixel is evaluated.
double CapsuleReach(const CapsuleShape& c) {
  for (float v : {c.x0, c.y0, c.x1, c.y1, c.r0, c.r1, c.roughAmount}) {
    if (!(std::fabs(v) <= kRowSpanLimit)) return -1.0;
  }
  const double rough = c.roughAmount > 0.0f ? c.roughAmount : 0.0;
  return std::max(0.0, std::max<double>(c.r0, c.r1) + rough) + 1.5;
}

// The coverage of pixel (x, y), evaluated at its centre; 0 or less (or NaN)
// leaves the pixel alone.
inline float CapsuleCoverage(const CapsuleShape& c, int32_t x, int32_t y) {
  const float px = static_cast<float>(x) + 0.5f;
  const float py = static_cast<float>(y) + 0.5f;
  const float t = std::clamp(((px - c.x0) * c.dx + (py - c.y0) * c.dy) * c.inverse, 0.0f, 1.0f);
  const float ex = px - (c.x0 + t * c.dx);
  const float ey = py - (c.y0 + t * c.dy);
  const float dist = std::sqrt(ex * ex + ey * ey);

  float radius = c.r0 + (c.r1 - c.r0) * t;
  if (c.roughAmount > 0.0f) {
    radius = std::max(0.0f, radius + ValueNoise2D(px * c.roughScale, py * c.roughScale) * c.roughAmount);
  }
  float coverage = radius + 0.5f - dist;
  if (!(coverage > 0.0f)) return 0.0f;  // also NaN from non-finite input
  coverage = std::min(coverage, 1.0f);
  if (c.fade > 0.0f && c.length > 0.0f) {
    const float rest = (1.0f - t) * c.length;
    if (rest < c.fade) coverage = coverage * rest / c.fade;
  }
  return coverage;
}

// Into the layer: each pixel keeps its highest coverage and the colour that
// wrote it. Coverage never rises above 1, nor above the source alpha for a
// source colour, so a pixel already there is not evaluated again (this saves
// the noise of rough strokes where pieces overlap), and neither is a tile
// whose pixels are all at 1.
void DrawCapsuleIntoLayer(const CapsuleShape& shape, const CapsuleBox& box, const HostFrame& source,
                          bool useSource, uint32_t colourIndex, StrokeLayer& layer) {
  const bool rough = shape.roughAmount > 0.0f;
  const double reach = CapsuleReach(shape);
  for (int32_t y = box.top; y <= box.bottom; ++y) {
    int32_t left = box.left;
    int32_t right = box.right;
    if (reach >= 0.0 && !CapsuleRowSpan(shape, reach, y, left, right)) continue;
    for (int32_t spanLeft = left; spanLeft <= right;) {
      const int32_t spanRight = std::min(right, (spanLeft | (kStrokeTileSize - 1)));
      const size_t tile = StrokeTileIndex(layer, spanLeft, y);
      int32_t slot = layer.tileSlot[tile];
      if (slot >= 0 && !useSource && At(layer.fullPixels, slot) == kStrokeTilePixels) {
        spanLeft = spanRight + 1;
        continue;
      }
      for (int32_t x = spanLeft; x <= spanRight; ++x) {
        RgbaFloat s;
        bool sourceRead = false;
        if (rough && slot >= 0) {
          const float have = StrokeSlotPixels(layer, slot)[StrokeTileOffset(x, y)].coverage;
          if (useSource) {
            s = GetSourcePixelFloat(source, x, y);
            sourceRead = true;
            if (have >= s.alpha) continue;
          } else if (have >= 1.0f) {
            continue;
          }
        }
        const float coverage = CapsuleCoverage(shape, x, y);
        if (!(coverage > 0.0f)) continue;
        float value = coverage;
        if (useSource) {
          if (!sourceRead) s = GetSourcePixelFloat(source, x, y);
          value = s.alpha * coverage;
        }
        if (slot < 0) {
          if (!(value > 0.0f)) continue;  // an untouched pixel holds 0
          slot = StrokeTileSlot(layer, tile);
        }
        StrokeLayerPixel& p = StrokeSlotPixels(layer, slot)[StrokeTileOffset(x, y)];
        if (value > p.coverage) {
          if (value >= 1.0f && p.coverage < 1.0f) ++At(layer.fullPixels, slot);
          p.coverage = value;
          p.colour = colourIndex;
        }
      }
      spanLeft = spanRight + 1;
    }
  }
}

void FillDiscFloat(const HostFrame& frame, int32_t cx, int32_t cy, int32_t radius, float red,
                   float green, float blue) {
  ForEachDiscPixel(frame, cx, cy, radius, [&](int32_t x, int32_t y) {
    SetPixelFloat(frame, x, y, red, green, blue, 1.0f);
  });
}

}  // namespace

void DrawCapsule(const HostFrame& destination, const HostFrame& source, const Capsule& capsule, StrokeLayer* layer) {
  const float x0 = capsule.from.x, y0 = capsule.from.y, x1 = capsule.to.x, y1 = capsule.to.y;
  const float r0 = capsule.fromRadius, r1 = capsule.toRadius;
  const HostPixel8 colour = capsule.colour;
  const bool useSource = capsule.useSource;
  const int32_t width = destination.width;
  const int32_t height = destination.height;
  const float margin = std::max(r0, r1) + 0.5f;
  const int64_t boxLeft = std::max<int64_t>(BoxEdge(std::floor(std::min(x0, x1) - margin)) - 1, 0);
  const int64_t boxRight = std::min<int64_t>(BoxEdge(std::ceil(std::max(x0, x1) + margin)) + 1, width - 1);
  const int64_t boxTop = std::max<int64_t>(BoxEdge(std::floor(std::min(y0, y1) - margin)) - 1, 0);
  const int64_t boxBottom = std::min<int64_t>(BoxEdge(std::ceil(std::max(y0, y1) + margin)) + 1, height - 1);
  if (boxLeft > boxRight || boxTop > boxBottom) return;
  if (layer != nullptr && (layer->width != width || layer->height != height)) {
    throw std::logic_error("stroke layer not sized for the frame it belongs to");
  }

  CapsuleShape shape;
  shape.x0 = x0;
  shape.y0 = y0;
  shape.x1 = x1;
  shape.y1 = y1;
  shape.dx = x1 - x0;
  shape.dy = y1 - y0;
  const float lengthSquared = shape.dx * shape.dx + shape.dy * shape.dy;
  shape.inverse = lengthSquared > 1e-9f ? 1.0f / lengthSquared : 0.0f;
  shape.length = std::sqrt(lengthSquared);
  shape.r0 = r0;
  shape.r1 = r1;
  shape.fade = capsule.fade;
  shape.roughAmount = capsule.roughAmount;
  shape.roughScale = capsule.roughScale;
  const CapsuleBox box{static_cast<int32_t>(boxLeft), static_cast<int32_t>(boxRight), static_cast<int32_t>(boxTop),
                       static_cast<int32_t>(boxBottom)};

  const float colourRed = colour.red * kInv255;
  const float colourGreen = colour.green * kInv255;
  const float colourBlue = colour.blue * kInv255;
  const float colourAlpha = colour.alpha * kInv255;
  if (layer != nullptr) {
    const uint32_t colourIndex =
        useSource ? kSourceColour : StrokeColourIndex(*layer, {colourRed, colourGreen, colourBlue, colourAlpha});
    DrawCapsuleIntoLayer(shape, box, source, useSource, colourIndex, *layer);
    return;
  }

  for (int32_t y = box.top; y <= box.bottom; ++y) {
    for (int32_t x = box.left; x <= box.right; ++x) {
      const float coverage = CapsuleCoverage(shape, x, y);
      if (!(coverage > 0.0f)) continue;
      if (useSource) {
        const RgbaFloat sourcePixel = GetSourcePixelFloat(source, x, y);
        const float alpha = sourcePixel.alpha * coverage;
        if (alpha > GetPixelFloat(destination, x, y).alpha) {
          SetPixelFloat(destination, x, y, sourcePixel.red, sourcePixel.green, sourcePixel.blue, alpha);
        }
      } else {
        BlendPixel(destination, x, y, colourRed, colourGreen, colourBlue, colour.alpha * coverage * kInv255);
      }
    }
  }
}

void DrawThickLine(const HostFrame& frame, IntPoint from, IntPoint to, int32_t radius, uint32_t packedColour) {
  const int32_t x0 = from.x, y0 = from.y, x1 = to.x, y1 = to.y;
  const HostPixel8 colour = UnpackColor(packedColour);
  const float red = colour.red / 255.0f;
  const float green = colour.green / 255.0f;
  const float blue = colour.blue / 255.0f;
  const int64_t dx = std::llabs(static_cast<int64_t>(x1) - x0);
  const int64_t dy = -std::llabs(static_cast<int64_t>(y1) - y0);
  const int32_t sx = x0 < x1 ? 1 : -1;
  const int32_t sy = y0 < y1 ? 1 : -1;
  int64_t err = dx + dy;
  int32_t x = x0;
  int32_t y = y0;
  for (;;) {
    FillDiscFloat(frame, x, y, radius, red, green, blue);
    if (x == x1 && y == y1) break;
    const int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void FillDiscRgb(const HostFrame& frame, int32_t cx, int32_t cy, int32_t radius, HostPixel8 colour) {
  FillDiscFloat(frame, cx, cy, radius, colour.red / 255.0f, colour.green / 255.0f,
                colour.blue / 255.0f);
}

void CopyDisc(const HostFrame& destination, const HostFrame& source, int32_t cx, int32_t cy,
              int32_t radius) {
  ForEachDiscPixel(destination, cx, cy, radius,
                   [&](int32_t x, int32_t y) { CopyPixel(destination, source, x, y); });
}
