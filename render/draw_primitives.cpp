#include "render/draw_primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "render/pixel_access.h"
#include "render/value_noise.h"

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

void FillDiscFloat(const HostFrame& frame, int32_t cx, int32_t cy, int32_t radius, float red,
                   float green, float blue) {
  ForEachDiscPixel(frame, cx, cy, radius, [&](int32_t x, int32_t y) {
    SetPixelFloat(frame, x, y, red, green, blue, 1.0f);
  });
}

}  // namespace

void DrawCapsuleSegment(const HostFrame& destination, const HostFrame& source, float x0, float y0,
                        float x1, float y1, float r0, float r1, HostPixel8 colour, bool useSource,
                        float fade, float roughAmount, float roughScale, StrokeLayer* layer) {
  const int32_t width = destination.width;
  const int32_t height = destination.height;
  const float margin = std::max(r0, r1) + 0.5f;
  const int64_t boxLeft = std::max<int64_t>(BoxEdge(std::floor(std::min(x0, x1) - margin)) - 1, 0);
  const int64_t boxRight = std::min<int64_t>(BoxEdge(std::ceil(std::max(x0, x1) + margin)) + 1, width - 1);
  const int64_t boxTop = std::max<int64_t>(BoxEdge(std::floor(std::min(y0, y1) - margin)) - 1, 0);
  const int64_t boxBottom = std::min<int64_t>(BoxEdge(std::ceil(std::max(y0, y1) + margin)) + 1, height - 1);
  if (boxLeft > boxRight || boxTop > boxBottom) return;
  const int32_t xFirst = static_cast<int32_t>(boxLeft);
  const int32_t xLast = static_cast<int32_t>(boxRight);
  const int32_t yFirst = static_cast<int32_t>(boxTop);
  const int32_t yLast = static_cast<int32_t>(boxBottom);
  if (layer != nullptr &&
      layer->coverage.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    throw std::logic_error("stroke layer smaller than the frame it belongs to");
  }

  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float lengthSquared = dx * dx + dy * dy;
  const float inverse = lengthSquared > 1e-9f ? 1.0f / lengthSquared : 0.0f;
  const float length = std::sqrt(lengthSquared);

  const float colourRed = colour.red * kInv255;
  const float colourGreen = colour.green * kInv255;
  const float colourBlue = colour.blue * kInv255;
  const float colourAlpha = colour.alpha * kInv255;

  for (int32_t y = yFirst; y <= yLast; ++y) {
    const float py = static_cast<float>(y) + 0.5f;
    for (int32_t x = xFirst; x <= xLast; ++x) {
      const float px = static_cast<float>(x) + 0.5f;
      const float t = std::clamp(((px - x0) * dx + (py - y0) * dy) * inverse, 0.0f, 1.0f);
      const float ex = px - (x0 + t * dx);
      const float ey = py - (y0 + t * dy);
      const float dist = std::sqrt(ex * ex + ey * ey);

      float radius = r0 + (r1 - r0) * t;
      if (roughAmount > 0.0f) {
        radius = std::max(0.0f, radius + ValueNoise2D(px * roughScale, py * roughScale) * roughAmount);
      }
      float coverage = radius + 0.5f - dist;
      if (!(coverage > 0.0f)) continue;  // also skips NaN from non-finite input
      coverage = std::min(coverage, 1.0f);
      if (fade > 0.0f && length > 0.0f) {
        const float rest = (1.0f - t) * length;
        if (rest < fade) {
          coverage = coverage * rest / fade;
          if (!(coverage > 0.0f)) continue;
        }
      }

      if (layer != nullptr) {
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
        if (useSource) {
          const RgbaFloat s = GetSourcePixelFloat(source, x, y);
          const float a = s.alpha * coverage;
          if (a > layer->coverage[i]) {
            layer->coverage[i] = a;
            layer->red[i] = s.red;
            layer->green[i] = s.green;
            layer->blue[i] = s.blue;
            layer->alpha[i] = 1.0f;
          }
        } else if (coverage > layer->coverage[i]) {
          layer->coverage[i] = coverage;
          layer->red[i] = colourRed;
          layer->green[i] = colourGreen;
          layer->blue[i] = colourBlue;
          layer->alpha[i] = colourAlpha;
        }
      } else if (useSource) {
        const RgbaFloat s = GetSourcePixelFloat(source, x, y);
        const float a = s.alpha * coverage;
        if (a > GetPixelFloat(destination, x, y).alpha) {
          SetPixelFloat(destination, x, y, s.red, s.green, s.blue, a);
        }
      } else {
        BlendPixel(destination, x, y, colourRed, colourGreen, colourBlue,
                   colour.alpha * coverage * kInv255);
      }
    }
  }
}

void DrawThickLine(const HostFrame& frame, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                   int32_t radius, uint32_t packedColour) {
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
