#include "host/cli/progress_bar.h"

#include <string>

namespace {

constexpr int32_t kBarWidth = 40;

void DrawLocked(ProgressBar& bar) {
  const int32_t filled = bar.total > 0 ? static_cast<int32_t>(static_cast<int64_t>(bar.done) * kBarWidth / bar.total) : 0;
  std::string line = "\r[";
  line.append(static_cast<size_t>(filled), '#');
  line.append(static_cast<size_t>(kBarWidth - filled), ' ');
  line += "] ";
  line += std::to_string(bar.done);
  line += '/';
  line += std::to_string(bar.total);
  line += " frames";
  *bar.stream << line << std::flush;
}

}  // namespace

void StartProgress(ProgressBar& bar, std::ostream* stream, int32_t total) {
  std::lock_guard<std::mutex> lock(bar.mutex);
  bar.stream = stream;
  bar.total = total;
  bar.done = 0;
  if (bar.stream != nullptr) DrawLocked(bar);
}

void AdvanceProgress(ProgressBar& bar) {
  std::lock_guard<std::mutex> lock(bar.mutex);
  ++bar.done;
  if (bar.stream != nullptr) DrawLocked(bar);
}

void FinishProgress(ProgressBar& bar) {
  std::lock_guard<std::mutex> lock(bar.mutex);
  if (bar.stream != nullptr) *bar.stream << '\n' << std::flush;
  bar.stream = nullptr;
}
