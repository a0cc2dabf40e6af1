// PNG files in and out, as 8-bit straight RGBA images.
//
// Reading checks what a file declares before allocating anything for its
// pixels: a PNG signature and header, at most kMaxFrameSide pixels a side,
// at most `maxPixels` pixels when the caller gives a limit, and enough bytes
// for that size (deflate packs at most about 1032 bytes into one, so a file
// far shorter than its pixels' bytes / 1032 is damaged or a decompression
// bomb). Sizes are computed in 64 bits.
#pragma once

#include <cstdint>
#include <string>

#include "host/frame_buffer.h"

struct PngHeader {
  int32_t width = 0;
  int32_t height = 0;
  uint64_t fileBytes = 0;
};

// The header of a PNG file, checked as above.
bool ReadPngHeader(const std::string& path, PngHeader& header, std::string& error);

// Any PNG (grey, palette, 16-bit, with or without alpha) is converted to
// 8-bit RGBA. False with a reason that names the file for unreadable,
// damaged, oversized or non-PNG files. `maxPixels` 0: no limit but the
// host's largest frame.
bool ReadPngFile(const std::string& path, RgbaImage& image, std::string& error, uint64_t maxPixels = 0);
// The same from bytes in memory; `name` stands for the file in messages.
bool DecodePng(const uint8_t* data, size_t size, const std::string& name, RgbaImage& image, std::string& error,
               uint64_t maxPixels = 0);

// The PNG file of an image, in memory: rows unfiltered, deflated run-length
// only (fast, and small for strokes on a flat background).
bool EncodePng(const RgbaImage& image, std::string& bytes, std::string& error);
// The same for a frame of any depth, read as ImageFromFrame reads it, row by
// row without an image of the whole frame.
bool EncodeFramePng(const HostFrame& frame, std::string& bytes, std::string& error);
// Writes an 8-bit RGBA PNG through the safe output writer (safe_output.h).
bool WritePngFile(const std::string& path, const RgbaImage& image, std::string& error);
