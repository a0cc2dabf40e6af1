#include "overlay_export/number_text.h"

#include <charconv>

void AppendInteger(std::string& out, int64_t value) {
  char digits[24];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end.ptr);
}

void AppendFixed(std::string& out, double value, int decimals) {
  // The largest double has 309 integer digits.
  char digits[400];
  const std::to_chars_result end =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
  out.append(digits, end.ptr);
}
