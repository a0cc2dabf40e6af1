// Reads PNG files from bytes: refused with a reason, or read into an image
// of the declared size that writes and reads back to the same pixels.
#include "host/cli/png_image.h"

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Mutations rarely keep chunk checksums right, and the reader refuses a bad
// one at once: the checksums are made right first, so that inputs reach the
// decoding.
std::vector<uint8_t> WithChunkChecksums(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  for (size_t at = 8; at + 12 <= bytes.size();) {
    const uint64_t length = (uint64_t{bytes[at]} << 24) | (uint64_t{bytes[at + 1]} << 16) |
                            (uint64_t{bytes[at + 2]} << 8) | uint64_t{bytes[at + 3]};
    if (length > bytes.size() - at - 12) break;
    const uLong crc = crc32(0, &bytes[at + 4], static_cast<uInt>(length + 4));
    for (int i = 0; i < 4; ++i) bytes[at + 8 + length + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    at += 12 + static_cast<size_t>(length);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes = WithChunkChecksums(data, size);
  RgbaImage image;
  std::string error;
  // A limit like the one a run's memory check gives.
  if (!DecodePng(bytes.data(), bytes.size(), "input.png", image, error, uint64_t{1} << 22)) {
    if (error.empty()) std::abort();
    return 0;
  }
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4) {
    std::abort();
  }
  std::string written;
  RgbaImage again;
  if (!EncodePng(image, written, error) ||
      !DecodePng(reinterpret_cast<const uint8_t*>(written.data()), written.size(), "again.png", again, error) ||
      again.pixels != image.pixels) {
    std::fprintf(stderr, "fuzz finding: an image read does not write and read back: %s\n", error.c_str());
    std::abort();
  }
  return 0;
}
