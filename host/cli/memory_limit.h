// How much memory one run of the command line may use: the machine's
// physical memory, or less when the process is held to a lower limit (its
// address-space or data limit, its control group's memory limit). One
// realisation per platform that builds the command line
// (platform/linux/cli_memory_limit.cpp).
#pragma once

#include <cstdint>
#include <string>

struct MemoryLimit {
  uint64_t bytes = 0;  // 0: unknown
  std::string source;  // what sets it, for messages: "the machine's physical memory"
};

MemoryLimit RunMemoryLimit();
