#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "host/cli/memory_limit.h"

namespace {

void Lower(MemoryLimit& limit, uint64_t bytes, const char* source) {
  if (bytes > 0 && (limit.bytes == 0 || bytes < limit.bytes)) {
    limit.bytes = bytes;
    limit.source = source;
  }
}

uint64_t ResourceLimit(int resource) {
  rlimit value{};
  if (getrlimit(resource, &value) != 0 || value.rlim_cur == RLIM_INFINITY) return 0;
  return static_cast<uint64_t>(value.rlim_cur);
}

// cgroup v2 as a container sees it; "max" or no file: no limit.
uint64_t ControlGroupLimit() {
  std::ifstream file("/sys/fs/cgroup/memory.max");
  uint64_t bytes = 0;
  return file >> bytes ? bytes : 0;
}

}  // namespace

MemoryLimit RunMemoryLimit() {
  MemoryLimit limit;
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages > 0 && pageSize > 0) {
    Lower(limit, static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize), "the machine's physical memory");
  }
  Lower(limit, ResourceLimit(RLIMIT_AS), "the process's address-space limit (ulimit -v)");
  Lower(limit, ResourceLimit(RLIMIT_DATA), "the process's data limit (ulimit -d)");
  Lower(limit, ControlGroupLimit(), "the control group's memory limit");
  return limit;
}
