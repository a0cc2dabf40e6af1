#include "host/cli/action_lines.h"

#include <limits>

ActionLineRead ReadActionLine(std::istream& in, std::vector<char>& buffer, std::string& line) {
  line.clear();
  buffer.resize(kMaxActionLineBytes + 1);
  in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  const auto got = static_cast<size_t>(in.gcount());
  if (!in.fail()) {
    // gcount counts the newline when there was one; the last line may have none.
    line.assign(buffer.data(), in.eof() ? got : got - 1);
    return ActionLineRead::kLine;
  }
  if (got < kMaxActionLineBytes || in.bad()) return ActionLineRead::kEnd;
  // The buffer is full and the line goes on.
  in.clear();
  return ActionLineRead::kTooLong;
}

void SkipRestOfLine(std::istream& in) { in.ignore(std::numeric_limits<std::streamsize>::max(), '\n'); }
