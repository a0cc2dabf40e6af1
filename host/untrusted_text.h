// Untrusted input named in a message is never echoed whole: a text is cut to
// a few dozen characters, and a JSON value is described by its kind (a
// number or a short text as written; an array or object by its size, never
// by its contents, so any depth of nesting costs nothing).
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

constexpr size_t kExcerptBytes = 40;

// `text` in double quotes, at most kExcerptBytes of it (never splitting a
// UTF-8 character), control characters shown as '?', and "..." plus the
// full length when it was cut.
std::string QuotedExcerpt(std::string_view text);

// For example: the number 256, the text "abc", true, null, an array of 3
// elements, an object with 2 members.
std::string DescribeJsonValue(const nlohmann::json& value);

// 0x00-0x1F and 0x7F: bytes that do not show as themselves where a text is
// printed, or, a NUL, end it.
bool IsControlByte(char c);
// `text` with each control byte written \xHH (NUL as \x00).
std::string EscapedControlBytes(std::string_view text);
