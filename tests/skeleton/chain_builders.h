// Chains written as coordinate pairs, and read back the same way, for tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "skeleton/chain_record.h"

namespace chain_builders {

using PairList = std::vector<std::pair<int32_t, int32_t>>;

inline ChainRecord Chain(std::initializer_list<std::pair<int32_t, int32_t>> list) {
  ChainRecord chain;
  for (auto [x, y] : list) chain.points.push_back({x, y});
  return chain;
}

inline PairList Pairs(const ChainRecord& chain) {
  PairList pairs;
  for (IntPoint p : chain.points) pairs.emplace_back(p.x, p.y);
  return pairs;
}

}  // namespace chain_builders
