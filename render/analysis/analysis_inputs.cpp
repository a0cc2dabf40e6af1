#include "render/analysis/analysis_inputs.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {

// The fields of RenderSettings that the stages from the closing to the
// shaping read (clean-up, extraction, orientation and sort, merge and reverse
// slots, shaping) and the pending selection merge (Auto-Flip).
constexpr auto kAnalysisFields = std::make_tuple(
    &RenderSettings::smoothIterations, &RenderSettings::gapClose, &RenderSettings::minChainLength,
    &RenderSettings::minShapeArea, &RenderSettings::spurPrune, &RenderSettings::useBezierFit,
    &RenderSettings::fitTolerance, &RenderSettings::subdivide, &RenderSettings::smartJunctionTracing,
    &RenderSettings::junctionBias, &RenderSettings::startX, &RenderSettings::startY, &RenderSettings::autoFlip,
    &RenderSettings::mergeByShape, &RenderSettings::directionalStart, &RenderSettings::mergeSlots,
    &RenderSettings::reverseSlots);

template <typename Value>
void AppendBytes(std::vector<uint8_t>& bytes, const Value& value) {
  const size_t at = bytes.size();
  bytes.resize(at + sizeof value);
  std::memcpy(&bytes[at], &value, sizeof value);
}

uint64_t HashBytes(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 0x9E3779B97F4A7C15ull ^ bytes.size();
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, &bytes[i], sizeof word);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 32;
  }
  for (; i < bytes.size(); ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
  return hash;
}

// Eight cells of 0 or 1 as the bits of one byte.
uint8_t PackEightCells(const uint8_t* cells) {
  uint64_t word;
  std::memcpy(&word, cells, sizeof word);
  // Each cell's low bit lands in its own bit of the top byte (little-endian order of the cells).
  return static_cast<uint8_t>((word * 0x0102040810204080ull) >> 56);
}

}  // namespace

RenderSettings AnalysisSettingsOf(const RenderSettings& settings) {
  RenderSettings analysis;
  std::apply(
      [&](auto... field) { (std::memcpy(&(analysis.*field), &(settings.*field), sizeof(settings.*field)), ...); },
      kAnalysisFields);
  return analysis;
}

AnalysisKey MakeAnalysisKey(const ByteMask& sampled, const RenderSettings& settings, const DrawOrderBlob& drawOrder,
                            HostRatio downsampleX, HostRatio downsampleY) {
  AnalysisKey key;
  const size_t cellCount = sampled.cells.size();
  key.bytes.reserve(1024 + cellCount / 8 + 1);
  AppendBytes(key.bytes, sampled.width);
  AppendBytes(key.bytes, sampled.height);
  std::apply([&](auto... field) { (AppendBytes(key.bytes, settings.*field), ...); }, kAnalysisFields);
  const uint32_t entries = std::min(drawOrder.count, kMaxDrawOrderEntries);
  AppendBytes(key.bytes, entries);
  key.bytes.insert(key.bytes.end(), drawOrder.targetPosition, drawOrder.targetPosition + entries);
  key.bytes.insert(key.bytes.end(), drawOrder.chainPlusOne, drawOrder.chainPlusOne + entries);
  AppendBytes(key.bytes, downsampleX);
  AppendBytes(key.bytes, downsampleY);

  const size_t at = key.bytes.size();
  key.bytes.resize(at + (cellCount + 7) / 8, 0);
  uint8_t* bits = &key.bytes[at];
  size_t i = 0;
  for (; i + 8 <= cellCount; i += 8) bits[i / 8] = PackEightCells(&sampled.cells[i]);
  for (; i < cellCount; ++i) bits[i / 8] |= static_cast<uint8_t>((sampled.cells[i] & 1u) << (i % 8));
  key.hash = HashBytes(key.bytes);
  return key;
}
