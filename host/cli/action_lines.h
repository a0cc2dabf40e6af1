// Reading a session's actions one line at a time with bounded memory: a
// stream without newlines (--actions /dev/zero) must not grow a line
// without end. A line longer than the cap is skipped to its end, never kept.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

// Far above any real action line (a label, a value or a path), and above
// the 128 KiB a program's argument or environment string may hold, so that
// an answer too long to hand the desktop still reaches the press and is
// refused there.
constexpr size_t kMaxActionLineBytes = size_t{1} << 20;

enum class ActionLineRead { kLine, kTooLong, kEnd };

// The next line without its newline. kTooLong when it holds more than
// kMaxActionLineBytes bytes: `line` is then empty, and the rest of that line
// is passed over by SkipRestOfLine. `buffer` is the reader's, kept between
// calls.
ActionLineRead ReadActionLine(std::istream& in, std::vector<char>& buffer, std::string& line);
// Reads up to the next newline without keeping anything; a stream without
// one is read to its end.
void SkipRestOfLine(std::istream& in);
