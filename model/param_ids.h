// Parameter ids: the position of each parameter in the order of definition,
// one constant per row of the parameter table (model/param_table.h). Id 0 is
// the input layer, which the host supplies. The same number indexes the
// parameter array of every command.
#pragma once

#include <cstdint>

#include "model/param_table.h"

// The positions, counted by the compiler: the input layer, then the table's rows.
enum class ParamPosition : int32_t {
  PARAM_INPUT,
#define SPINDREL_PARAM_POSITION(id, definition) id,
  SPINDREL_PARAM_TABLE(SPINDREL_PARAM_POSITION)
#undef SPINDREL_PARAM_POSITION
  kAfterLast
};

constexpr int32_t PARAM_INPUT = static_cast<int32_t>(ParamPosition::PARAM_INPUT);
#define SPINDREL_PARAM_ID(id, definition) constexpr int32_t id = static_cast<int32_t>(ParamPosition::id);
SPINDREL_PARAM_TABLE(SPINDREL_PARAM_ID)
#undef SPINDREL_PARAM_ID

// The parameters the effect defines (ids 1 to kParamCount), and the count the
// host is told, which includes the input layer.
constexpr int32_t kParamCountWithInput = static_cast<int32_t>(ParamPosition::kAfterLast);
constexpr int32_t kParamCount = kParamCountWithInput - 1;

// Merge slots (a Chain A and Chain B slider each) and reverse slots come in
// the same number; so do the width points (a position and a width each).
// Their parameters are laid out one after the other, so the n-th (0-based)
// has the id of the first plus n (reverse slots) or 2n (the pairs).
constexpr int32_t kMergeSlotCount = 5;
constexpr int32_t kWidthPointCount = 8;
static_assert(PARAM_SLOT1_CHAIN_A + 2 * kMergeSlotCount == PARAM_REV_SLOT1);
static_assert(PARAM_REV_SLOT1 + kMergeSlotCount == PARAM_MERGE_OPERATIONS_GROUP_END);
static_assert(PARAM_WP1_POSITION + 2 * kWidthPointCount == PARAM_WIDTH_POINTS_GROUP_END);
