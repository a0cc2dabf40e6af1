// Builds a text from pieces (GCC 12 warns falsely on "literal" + std::string
// temporaries, so the host code joins texts with this instead).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

inline std::string JoinText(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts) text += part;
  return text;
}
