#include "host/allocation_failures.h"

#include <atomic>
#include <new>

namespace {

std::atomic<int64_t> g_failures{0};

void CountAndFail() {
  ++g_failures;
  throw std::bad_alloc();
}

}  // namespace

void CountAllocationFailures() { std::set_new_handler(CountAndFail); }

int64_t AllocationFailureCount() { return g_failures.load(); }
