#include "host/cli/png_image.h"

#include <png.h>

#include <fstream>

#include "host/cli/output_directory.h"
#include "host/text_join.h"

namespace {

constexpr size_t kSignatureBytes = 8;

}  // namespace

bool ReadPngFile(const std::string& path, RgbaImage& image, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = JoinText({"cannot read ", path});
    return false;
  }
  unsigned char signature[kSignatureBytes] = {};
  file.read(reinterpret_cast<char*>(signature), kSignatureBytes);
  if (file.gcount() != static_cast<std::streamsize>(kSignatureBytes) || png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
    error = JoinText({path, " is not a PNG file"});
    return false;
  }
  file.close();

  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
    error = JoinText({"cannot read ", path, ": ", png.message});
    png_image_free(&png);
    return false;
  }
  // libpng would take 16-bit data without colour information as linear and
  // brighten it into 8-bit sRGB; like 8-bit data it is sRGB already.
  png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  png.format = PNG_FORMAT_RGBA;
  RgbaImage result;
  result.width = static_cast<int32_t>(png.width);
  result.height = static_cast<int32_t>(png.height);
  result.pixels.resize(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, result.pixels.data(), 0, nullptr) == 0) {
    error = JoinText({"cannot read ", path, ": ", png.message});
    png_image_free(&png);
    return false;
  }
  image = std::move(result);
  return true;
}

bool WritePngFile(const std::string& path, const RgbaImage& image, std::string& error) {
  const size_t expected = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4;
  if (image.width <= 0 || image.height <= 0 || image.pixels.size() != expected) {
    error = JoinText({"no image to write to ", path});
    return false;
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) == 0) {
    error = JoinText({"cannot write ", path, ": ", png.message});
    png_image_free(&png);
    RemovePartlyWrittenFile(path);
    return false;
  }
  return true;
}
