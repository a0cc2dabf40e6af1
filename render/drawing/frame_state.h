// What the drawing stages receive besides the settings: the frames and the
// analysis of one render, by pointer. Valid for the rest of the render.
#pragma once

#include <cstdint>
#include <vector>

#include "host_interface/host_frame.h"
#include "skeleton/byte_mask.h"
#include "skeleton/chain_record.h"
#include "skeleton/distance_field.h"

// Frame-level data the drawing stages read; valid for the rest of the render.
struct RenderFrameState {
  const HostFrame* source = nullptr;  // the input layer, also when a Map Layer was analysed
  HostFrame* output = nullptr;
  const std::vector<ChainRecord>* chains = nullptr;  // final order; position = number - 1
  const std::vector<int32_t>* labels = nullptr;      // position + 1
  const DistanceField* field = nullptr;              // of the closed mask: maskWidth x maskHeight
  const ByteMask* skeleton = nullptr;                // the skeleton that was traced
  int32_t maskWidth = 0;
  int32_t maskHeight = 0;
};
