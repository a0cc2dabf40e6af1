#include "host/raster/window_raster.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr double kCoordinateLimit = 1e6;

bool PieceIsFinite(const std::vector<DrawPoint>& piece) {
  return std::all_of(piece.begin(), piece.end(),
                     [](const DrawPoint& point) { return std::isfinite(point.x) && std::isfinite(point.y); });
}

double Clamped(float value) { return std::clamp(static_cast<double>(value), -kCoordinateLimit, kCoordinateLimit); }

double Channel(float value) { return std::isfinite(value) ? std::clamp(static_cast<double>(value), 0.0, 1.0) : 0.0; }

void StrokeOne(cairo_t* cairo, const DrawStroke& stroke) {
  if (!std::isfinite(stroke.size) || !(stroke.size > 0.0f)) return;
  cairo_new_path(cairo);
  bool any = false;
  for (const std::vector<DrawPoint>& piece : stroke.subpaths) {
    if (piece.empty() || !PieceIsFinite(piece)) continue;
    cairo_move_to(cairo, Clamped(piece[0].x), Clamped(piece[0].y));
    // A lone point still draws its round cap.
    if (piece.size() == 1) cairo_line_to(cairo, Clamped(piece[0].x), Clamped(piece[0].y));
    for (size_t i = 1; i < piece.size(); ++i) cairo_line_to(cairo, Clamped(piece[i].x), Clamped(piece[i].y));
    any = true;
  }
  if (!any) return;
  cairo_set_source_rgba(cairo, Channel(stroke.color.red), Channel(stroke.color.green), Channel(stroke.color.blue),
                        Channel(stroke.color.alpha));
  cairo_set_line_width(cairo, stroke.size);
  cairo_stroke(cairo);
}

uint8_t ToByte(double value) { return static_cast<uint8_t>(std::clamp(value * 255.0 + 0.5, 0.0, 255.0)); }

// Premultiplied ARGB of the overlay over straight RGBA of the image.
void CompositeOver(const uint32_t overlay, uint8_t* pixel) {
  const double sourceAlpha = ((overlay >> 24) & 0xff) / 255.0;
  if (sourceAlpha <= 0.0) return;
  const double source[3] = {((overlay >> 16) & 0xff) / 255.0, ((overlay >> 8) & 0xff) / 255.0,
                            (overlay & 0xff) / 255.0};
  const double destinationAlpha = pixel[3] / 255.0;
  const double keep = destinationAlpha * (1.0 - sourceAlpha);
  const double alpha = sourceAlpha + keep;
  for (int c = 0; c < 3; ++c) pixel[c] = ToByte((source[c] + pixel[c] / 255.0 * keep) / alpha);
  pixel[3] = ToByte(alpha);
}

}  // namespace

void StrokeDisplayList(RgbaImage& image, const DisplayList& strokes) {
  if (strokes.empty() || image.width <= 0 || image.height <= 0) return;
  const std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height), cairo_surface_destroy);
  {
    // The strokes are finished when the context goes, before the pixels are read.
    const std::unique_ptr<cairo_t, decltype(&cairo_destroy)> cairo(cairo_create(surface.get()), cairo_destroy);
    cairo_translate(cairo.get(), 0.5, 0.5);
    cairo_set_line_join(cairo.get(), CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cairo.get(), CAIRO_LINE_CAP_ROUND);
    for (const DrawStroke& stroke : strokes) StrokeOne(cairo.get(), stroke);
  }
  cairo_surface_flush(surface.get());
  if (cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS) {
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int32_t y = 0; y < image.height; ++y) {
      for (int32_t x = 0; x < image.width; ++x) {
        uint32_t overlay = 0;
        std::memcpy(&overlay, data + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 4, 4);
        CompositeOver(overlay, image.pixels.data() + (static_cast<size_t>(y) * image.width + x) * 4);
      }
    }
  }
}
