#include "host/cli/png_image.h"

#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <functional>
#include <memory>
#include <system_error>
#include <vector>

#include "host/cli/safe_output.h"
#include "host/text_join.h"

namespace {

constexpr size_t kSignatureBytes = 8;
// Signature, IHDR length and type, width, height, bit depth, colour type.
constexpr size_t kHeaderBytes = 26;
// Deflate spends at least two bits on a run of 258 bytes: 1032 to 1 at best.
// A little more allows for the compressor's block headers.
constexpr uint64_t kMaxDeflateRatio = 1100;

uint32_t BigEndian32(const uint8_t* bytes) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | uint32_t{bytes[3]};
}

int ChannelsOfColourType(uint8_t colourType) {
  switch (colourType) {
    case 0: return 1;  // grey
    case 2: return 3;  // RGB
    case 3: return 1;  // palette index
    case 4: return 2;  // grey and alpha
    case 6: return 4;  // RGBA
    default: return 0;
  }
}

std::string PixelsText(uint64_t width, uint64_t height) {
  return JoinText({std::to_string(width), " x ", std::to_string(height), " pixels"});
}

// Checks the first kHeaderBytes of a PNG of `totalBytes` bytes.
bool CheckPngHeader(const uint8_t* bytes, size_t available, uint64_t totalBytes, const std::string& name,
                    uint64_t maxPixels, PngHeader& header, std::string& error) {
  if (available < kSignatureBytes || png_sig_cmp(bytes, 0, kSignatureBytes) != 0) {
    error = JoinText({name, " is not a PNG file"});
    return false;
  }
  if (available < kHeaderBytes || BigEndian32(bytes + 12) != 0x49484452u) {  // "IHDR"
    error = JoinText({name, " is damaged: its PNG header is missing"});
    return false;
  }
  const uint64_t width = BigEndian32(bytes + 16);
  const uint64_t height = BigEndian32(bytes + 20);
  const uint64_t bitDepth = bytes[24];
  const int channels = ChannelsOfColourType(bytes[25]);
  if (width == 0 || height == 0 || channels == 0 || bitDepth == 0 || bitDepth > 16) {
    error = JoinText({name, " is damaged: its PNG header declares ", PixelsText(width, height), ", bit depth ",
                      std::to_string(bitDepth), " and colour type ", std::to_string(bytes[25])});
    return false;
  }
  const uint64_t side = static_cast<uint64_t>(kMaxFrameSide);
  if (width > side || height > side) {
    error = JoinText({name, " declares ", PixelsText(width, height), "; the host's largest frame is ",
                      PixelsText(side, side)});
    return false;
  }
  if (maxPixels > 0 && width * height > maxPixels) {
    error = JoinText({name, " declares ", PixelsText(width, height), ", more than the ", std::to_string(maxPixels),
                      " pixels allowed here"});
    return false;
  }
  const uint64_t pixelBytes = (width * height * bitDepth * static_cast<uint64_t>(channels) + 7) / 8;
  if (pixelBytes / kMaxDeflateRatio > totalBytes) {
    error = JoinText({name, " declares ", PixelsText(width, height), " but holds only ", std::to_string(totalBytes),
                      " bytes, far too few for that many; the file is damaged"});
    return false;
  }
  header.width = static_cast<int32_t>(width);
  header.height = static_cast<int32_t>(height);
  header.fileBytes = totalBytes;
  return true;
}

// Decodes a PNG whose header was checked and whose reading has begun.
bool FinishPngRead(png_image& png, const PngHeader& header, const std::string& name, RgbaImage& image,
                   std::string& error) {
  if (png.width != static_cast<png_uint_32>(header.width) || png.height != static_cast<png_uint_32>(header.height)) {
    error = JoinText({name, " changed while it was read"});
    png_image_free(&png);
    return false;
  }
  // libpng would take 16-bit data without colour information as linear and
  // brighten it into 8-bit sRGB; like 8-bit data it is sRGB already.
  png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  png.format = PNG_FORMAT_RGBA;
  RgbaImage result;
  result.width = header.width;
  result.height = header.height;
  result.pixels.resize(static_cast<size_t>(static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.height) * 4));
  if (png_image_finish_read(&png, nullptr, result.pixels.data(), 0, nullptr) == 0) {
    error = JoinText({"cannot read ", name, ": ", png.message});
    png_image_free(&png);
    return false;
  }
  image = std::move(result);
  return true;
}

struct PngOutput {
  std::string* bytes;
  bool failed;
};

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
  try {
    output->bytes->append(reinterpret_cast<const char*>(data), length);
  } catch (...) {
    output->failed = true;  // no exception may cross the library; reported when it returns
  }
}

void FlushNothing(png_structp) {}

// Rows of 8-bit RGBA, one at a time; the pointer stays valid until the next call.
using PngRowSource = std::function<const uint8_t*(int32_t y)>;

// The encoding proper. Rows go unfiltered and deflated run-length only:
// several times faster than the usual settings and, for strokes on a flat
// background, smaller too. libpng reports errors by a long jump back here,
// so this frame holds nothing that needs destroying.
bool EncodeRows(png_structp png, png_infop info, int32_t width, int32_t height, const PngRowSource& rowAt,
                PngOutput& output) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_write_fn(png, &output, AppendPngBytes, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 1);
  png_set_compression_strategy(png, Z_RLE);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; ++y) png_write_row(png, const_cast<png_bytep>(rowAt(y)));
  png_write_end(png, info);
  return true;
}

bool EncodeRowsToBytes(int32_t width, int32_t height, const PngRowSource& rowAt, std::string& bytes,
                       std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    error = "there is not enough memory for the PNG encoder";
    return false;
  }
  PngOutput output{&bytes, false};
  try {
    bytes.clear();
    // Frames of strokes shrink to well under an eighth of their pixels' bytes.
    bytes.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) / 2 + 1024);
  } catch (...) {
    output.failed = true;
  }
  const bool written = !output.failed && EncodeRows(png, info, width, height, rowAt, output);
  png_destroy_write_struct(&png, &info);
  if (!written || output.failed) {
    error = output.failed ? "there is not enough memory for the PNG data" : "the PNG encoder failed";
    return false;
  }
  return true;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` and checks its header; the file is left at its start.
bool OpenPngFile(const std::string& path, uint64_t maxPixels, OpenFile& file, PngHeader& header, std::string& error) {
  file.reset(std::fopen(path.c_str(), "rb"));
  uint8_t bytes[kHeaderBytes] = {};
  size_t got = 0;
  long size = -1;
  if (file != nullptr) {
    got = std::fread(bytes, 1, sizeof(bytes), file.get());
    if (!std::ferror(file.get()) && std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
  }
  if (file == nullptr || size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    error = JoinText({"cannot read ", path, ": ", std::generic_category().message(errno)});
    return false;
  }
  return CheckPngHeader(bytes, got, static_cast<uint64_t>(size), path, maxPixels, header, error);
}

}  // namespace

bool ReadPngHeader(const std::string& path, PngHeader& header, std::string& error) {
  OpenFile file;
  return OpenPngFile(path, 0, file, header, error);
}

bool ReadPngFile(const std::string& path, RgbaImage& image, std::string& error, uint64_t maxPixels) {
  OpenFile file;
  PngHeader header;
  if (!OpenPngFile(path, maxPixels, file, header, error)) return false;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_stdio(&png, file.get()) == 0) {
    error = JoinText({"cannot read ", path, ": ", png.message});
    png_image_free(&png);
    return false;
  }
  return FinishPngRead(png, header, path, image, error);
}

bool DecodePng(const uint8_t* data, size_t size, const std::string& name, RgbaImage& image, std::string& error,
               uint64_t maxPixels) {
  PngHeader header;
  if (!CheckPngHeader(data, size, size, name, maxPixels, header, error)) return false;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&png, data, size) == 0) {
    error = JoinText({"cannot read ", name, ": ", png.message});
    png_image_free(&png);
    return false;
  }
  return FinishPngRead(png, header, name, image, error);
}

bool EncodePng(const RgbaImage& image, std::string& bytes, std::string& error) {
  const uint64_t expected = static_cast<uint64_t>(image.width) * static_cast<uint64_t>(image.height) * 4;
  if (image.width <= 0 || image.height <= 0 || image.pixels.size() != expected) {
    error = "there is no image to write";
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(image.width) * 4;
  return EncodeRowsToBytes(
      image.width, image.height, [&](int32_t y) { return &image.pixels[static_cast<size_t>(y) * rowBytes]; }, bytes,
      error);
}

bool EncodeFramePng(const HostFrame& frame, std::string& bytes, std::string& error) {
  if (frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0) {
    error = "there is no image to write";
    return false;
  }
  std::vector<uint8_t> row(static_cast<size_t>(frame.width) * 4);
  return EncodeRowsToBytes(
      frame.width, frame.height,
      [&](int32_t y) {
        ImageRowFromFrame(frame, y, row.data());
        return row.data();
      },
      bytes, error);
}

bool WritePngFile(const std::string& path, const RgbaImage& image, std::string& error) {
  std::string bytes;
  if (!EncodePng(image, bytes, error)) {
    error = JoinText({"cannot write ", path, ": ", error});
    return false;
  }
  return WriteFileSafely(path, bytes, error);
}
