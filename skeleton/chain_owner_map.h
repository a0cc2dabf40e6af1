// Which chain owns a pixel: a map from pixel key (y * width + x, in 64 bits
// so large frames cannot wrap) to chain index, held in one flat
// open-addressing table because the extraction fills it with every pixel of
// every chain's outline and then asks only a few hundred questions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ChainOwnerMap {
  std::vector<int64_t> keys;     // kNoKey marks a free slot
  std::vector<int32_t> owners;   // the chain index of each used slot
  size_t used = 0;

  static constexpr int64_t kNoKey = INT64_MIN;
};

// Records that chain owns the pixel with this key, replacing any earlier owner.
void SetChainOwner(ChainOwnerMap& map, int64_t key, int32_t chain);

// The chain owning the pixel, or -1 when none does.
int32_t FindChainOwner(const ChainOwnerMap& map, int64_t key);
