// Unflattens damaged Chain Selection and Draw Order blocks through the
// effect's arbitrary-data callback, works them through every selector, and
// renders with them as the saved data (the render reads their counts and
// entries, and a pending merge rewrites the selection).
#include <vector>

#include "bench/synthetic_text.h"
#include "fuzz/fuzz_host.h"
#include "fuzz/fuzz_input.h"
#include "host/arb_data_calls.h"
#include "host/frame_buffer.h"
#include "host/param_value_text.h"
#include "model/param_ids.h"

namespace {

constexpr uint32_t kSelectionBytes = 268;
constexpr uint32_t kDrawOrderBytes = 264;

// Every selector on one block; false when the effect refused the bytes.
bool WorkBlock(ReferenceHost& host, int32_t paramId, const std::vector<uint8_t>& bytes, uint32_t size) {
  HostHandle block = nullptr;
  if (ArbUnflatten(host, paramId, bytes, block) != kHostErrorNone || block == nullptr) {
    if (bytes.size() >= size) FuzzFinding("a block of full length was refused");
    return false;
  }
  if (bytes.size() < size) FuzzFinding("a short block was taken");
  std::vector<uint8_t> flat;
  if (ArbFlatten(host, paramId, block, flat) != kHostErrorNone || flat.size() != size ||
      !std::equal(flat.begin(), flat.end(), bytes.begin())) {
    FuzzFinding("a block does not flatten to the bytes it was made from");
  }
  HostHandle copy = nullptr;
  HostHandle halfway = nullptr;
  int32_t same = -1;
  ArbCopy(host, paramId, block, copy);
  ArbInterpolate(host, paramId, block, copy, 0.5, halfway);
  ArbCompare(host, paramId, halfway, block, same);
  if (same != 0) FuzzFinding("a copy compares unequal");
  for (HostHandle handle : {block, copy, halfway}) ArbDispose(host, paramId, handle);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  ReferenceHost& host = ResetFuzzHost();
  const int64_t live = ReadHandleStats(host.handles).live;
  const std::vector<uint8_t> selection = input.TakeBytes(input.TakeInRange<size_t>(0, 300));
  const std::vector<uint8_t> order = input.TakeBytes(input.TakeInRange<size_t>(0, 300));
  const bool selectionTaken = WorkBlock(host, PARAM_CHAIN_SELECTION, selection, kSelectionBytes);
  const bool orderTaken = WorkBlock(host, PARAM_DRAW_ORDER, order, kDrawOrderBytes);
  if (selectionTaken) ReplaceCurrentData(host, PARAM_CHAIN_SELECTION, selection);
  if (orderTaken) ReplaceCurrentData(host, PARAM_DRAW_ORDER, order);

  // The slots the render applies before and beside the blocks.
  std::string error;
  for (int32_t slot : {PARAM_SLOT1_CHAIN_A, PARAM_SLOT1_CHAIN_B, PARAM_REV_SLOT1}) {
    const std::string value = std::to_string(input.TakeInRange(0, 9));
    ApplyParamAssignment(host.instance, std::to_string(slot) + "=" + value, error);
  }
  ApplyParamAssignment(host.instance, input.TakeBool() ? "Merge by Shape (retrace)=on" : "Preview Chains=on", error);
  const ByteMask mask = synthetic_text::MakeTextMask(48, 32, input.Take<uint32_t>());
  RgbaImage image{48, 32, std::vector<uint8_t>(48 * 32 * 4, 0)};
  for (size_t i = 0; i < mask.cells.size(); ++i) {
    if (mask.cells[i] != 0) std::fill_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(i * 4), 4, uint8_t{255});
  }
  OwnedFrame frame = FrameFromImage(image, 8);
  OwnedFrame output = MakeFrame(48, 32, 8);
  if (RenderFrame(host, FrameView(frame), FrameView(output), 0) != kHostErrorNone) FuzzFinding("the render failed");
  CheckHandleUse(host);
  if (ReadHandleStats(host.handles).live != live) FuzzFinding("handles leaked");
  return 0;
}
