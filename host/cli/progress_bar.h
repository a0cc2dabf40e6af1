// A one-line progress bar redrawn in place, for frames finishing on several
// threads. Draws nothing without a stream.
#pragma once

#include <cstdint>
#include <mutex>
#include <ostream>

struct ProgressBar {
  std::ostream* stream = nullptr;
  int32_t total = 0;
  int32_t done = 0;
  std::mutex mutex;  // guards done and the stream
};

void StartProgress(ProgressBar& bar, std::ostream* stream, int32_t total);
void AdvanceProgress(ProgressBar& bar);
// Ends the line so that what follows starts on its own.
void FinishProgress(ProgressBar& bar);
