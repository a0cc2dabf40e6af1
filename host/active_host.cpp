#include "host/active_host.h"

#include <atomic>

namespace {

std::atomic<ReferenceHost*> g_activeHost{nullptr};

}  // namespace

bool ActivateReferenceHost(ReferenceHost* host) {
  ReferenceHost* expected = nullptr;
  return g_activeHost.compare_exchange_strong(expected, host);
}

void DeactivateReferenceHost(ReferenceHost* host) {
  ReferenceHost* expected = host;
  g_activeHost.compare_exchange_strong(expected, nullptr);
}

ReferenceHost* ActiveReferenceHost() { return g_activeHost.load(); }
