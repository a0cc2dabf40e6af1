// The chains of the last rendered frame, shared by the whole loaded plug-in:
// the render publishes them, the overlay, the buttons and the exports read them.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "skeleton/chain_record.h"
#include "skeleton/points.h"

struct ChainCache {
  std::vector<std::vector<IntPoint>> chains;  // integer points per chain, in render order
  int32_t width = 0;                          // size of the analysed layer
  int32_t height = 0;
  int32_t strokeWidth = 2;                                 // Line Width as set, not the radius
  std::array<uint8_t, 3> strokeColor{255, 255, 255};       // Line Color red, green, blue
  bool valid = false;                                      // once any frame was published
};

// Guards every field of ProcessChainCache; hold it only to copy or measure.
extern std::mutex ChainCacheMutex;
extern ChainCache ProcessChainCache;

// Replaces the whole cache with the integer points of the given chains and
// marks it valid; if copying fails the previous contents stay untouched. The
// caller sets the host's refresh flag itself.
void PublishChainCache(const std::vector<ChainRecord>& chains, int32_t width, int32_t height, int32_t strokeWidth,
                       std::array<uint8_t, 3> strokeColor);

// A copy of the whole cache, taken under the lock.
ChainCache SnapshotChainCache();

// The smallest squared end-to-end distance of cached chains a and b, or 1e30
// when nothing was published, an index is outside the cache or a chain is
// empty. Takes ChainCacheMutex for the whole computation.
float ChainEndGap(int32_t a, int32_t b);
