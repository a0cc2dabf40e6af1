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
