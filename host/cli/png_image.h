// PNG files in and out, as 8-bit straight RGBA images.
#pragma once

#include <string>

#include "host/frame_buffer.h"

// Any PNG (grey, palette, 16-bit, with or without alpha) is converted to
// 8-bit RGBA. False with a reason for unreadable or non-PNG files.
bool ReadPngFile(const std::string& path, RgbaImage& image, std::string& error);
// Writes an 8-bit RGBA PNG; a partly written file is removed.
bool WritePngFile(const std::string& path, const RgbaImage& image, std::string& error);
