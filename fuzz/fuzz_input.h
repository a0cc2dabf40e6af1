// Reads a fuzz input as a sequence of choices: bytes from the front, numbers
// and flags from the back, each taking only the bytes it needs and reading
// zeros once the input runs out, so every input, however short, means one
// thing. Header-only and free of the fuzzer runtime: the normal test suite
// replays kept inputs through the same targets.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <vector>

struct FuzzInput {
  const uint8_t* data;
  size_t size;

  std::vector<uint8_t> TakeBytes(size_t count) {
    count = std::min(count, size);
    std::vector<uint8_t> bytes(data, data + count);
    data += count;
    size -= count;
    return bytes;
  }

  // A number in [low, high], built from as few bytes as the range needs.
  template <typename T>
  T TakeInRange(T low, T high) {
    static_assert(std::is_integral_v<T>);
    if (high <= low) return low;
    const uint64_t range = static_cast<uint64_t>(high) - static_cast<uint64_t>(low);
    uint64_t value = 0;
    for (uint64_t left = range; left != 0 && size != 0; left >>= 8) {
      value = (value << 8) | data[--size];
    }
    if (range != UINT64_MAX) value %= range + 1;
    return static_cast<T>(static_cast<uint64_t>(low) + value);
  }

  template <typename T>
  T Take() {
    return TakeInRange<T>(std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
  }

  bool TakeBool() { return (TakeInRange<uint8_t>(0, 255) & 1) != 0; }

  double TakeReal(double low, double high) {
    if (!(high > low)) return low;
    const double fraction = static_cast<double>(Take<uint32_t>()) / 4294967295.0;
    return std::min(high, low + (high - low) * fraction);
  }
};
