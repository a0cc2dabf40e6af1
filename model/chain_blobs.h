// The saved data of the two hidden arbitrary-data parameters. Both are
// flattened byte for byte as they lie in memory (little-endian), so their
// layouts must never change.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little, "saved blobs are little-endian memory images");

constexpr uint32_t kChainBlobVersion = 1;
constexpr uint32_t kMaxBlobChainIds = 64;
constexpr uint32_t kMaxDrawOrderEntries = 128;

struct ChainSelectionBlob {
  uint32_t version;
  uint32_t count;  // ids in use, at most kMaxBlobChainIds in data the effect wrote
  int32_t chainIds[kMaxBlobChainIds];
  uint8_t mergePending;  // nonzero: the next render merges the listed chains
  uint8_t reserved[3];   // carried unchanged by copy, flatten and unflatten
};

// The largest chain number (index + 1) or position a Draw Order byte holds.
constexpr int32_t kMaxDrawOrderNumber = 255;

struct DrawOrderBlob {
  uint32_t version;
  uint32_t count;  // entries in use, at most kMaxDrawOrderEntries in data the effect wrote
  uint8_t targetPosition[kMaxDrawOrderEntries];  // 1-based draw position
  uint8_t chainPlusOne[kMaxDrawOrderEntries];    // chain index + 1
};

static_assert(sizeof(ChainSelectionBlob) == 268);
static_assert(offsetof(ChainSelectionBlob, count) == 4);
static_assert(offsetof(ChainSelectionBlob, chainIds) == 8);
static_assert(offsetof(ChainSelectionBlob, mergePending) == 264);
static_assert(offsetof(ChainSelectionBlob, reserved) == 265);
static_assert(sizeof(DrawOrderBlob) == 264);
static_assert(offsetof(DrawOrderBlob, count) == 4);
static_assert(offsetof(DrawOrderBlob, targetPosition) == 8);
static_assert(offsetof(DrawOrderBlob, chainPlusOne) == 136);
