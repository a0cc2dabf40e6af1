// Element `index` of a vector indexed by one of the int32 numbers the stages
// count with (chain, node, edge, component and pixel numbers), which are never
// negative where they index: the conversion to size_t, written once.
#pragma once

#include <cstddef>
#include <cstdint>

template <typename Items>
constexpr decltype(auto) At(Items&& items, int64_t index) {
  return items[static_cast<size_t>(index)];
}
