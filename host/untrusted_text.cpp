#include "host/untrusted_text.h"

#include <nlohmann/json.hpp>

#include "host/text_join.h"

namespace {

std::string Counted(size_t count, const char* one, const char* many) {
  return JoinText({std::to_string(count), " ", count == 1 ? one : many});
}

}  // namespace

std::string QuotedExcerpt(std::string_view text) {
  size_t cut = std::min(text.size(), kExcerptBytes);
  // Back up to the start of a UTF-8 character.
  while (cut < text.size() && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  std::string quoted = "\"";
  for (char c : text.substr(0, cut)) quoted += IsControlByte(c) ? '?' : c;
  quoted += '"';
  if (cut < text.size()) quoted += JoinText({"... (", std::to_string(text.size()), " bytes)"});
  return quoted;
}

std::string DescribeJsonValue(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::null: return "null";
    case nlohmann::json::value_t::boolean: return value.get<bool>() ? "true" : "false";
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
    case nlohmann::json::value_t::number_float: return JoinText({"the number ", value.dump()});
    case nlohmann::json::value_t::string: return JoinText({"the text ", QuotedExcerpt(value.get_ref<const std::string&>())});
    case nlohmann::json::value_t::array: return JoinText({"an array of ", Counted(value.size(), "element", "elements")});
    case nlohmann::json::value_t::object: return JoinText({"an object with ", Counted(value.size(), "member", "members")});
    default: return "binary data";
  }
}

bool IsControlByte(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

std::string EscapedControlBytes(std::string_view text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string escaped;
  for (char c : text) {
    if (IsControlByte(c)) {
      const auto byte = static_cast<unsigned char>(c);
      escaped += {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
    } else {
      escaped += c;
    }
  }
  return escaped;
}
