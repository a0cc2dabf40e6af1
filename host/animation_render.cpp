#include "host/animation_render.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "host/allocation_failures.h"
#include "host/command_params.h"
#include "host/frame_buffer.h"
#include "host/host_error_text.h"
#include "host/text_join.h"

namespace {

struct AnimationRun {
  std::atomic<int32_t> nextFrame{0};
  std::atomic<bool> failed{false};
  std::mutex errorMutex;
  std::string error;  // the first failure's reason
  std::mutex changesMutex;
  // Per parameter id, the value written by the latest frame that wrote it, and that frame.
  std::map<int32_t, std::pair<int32_t, HeldParamChange>> changes;
};

// Keeps each change when its frame is later than the one held for its parameter.
void KeepLatestChanges(ReferenceHost& host, AnimationRun& run, int32_t frame, std::vector<HeldParamChange>& changes) {
  std::vector<HeldParamChange> dropped;
  {
    std::lock_guard<std::mutex> lock(run.changesMutex);
    for (HeldParamChange& change : changes) {
      const auto held = run.changes.find(change.id);
      if (held == run.changes.end()) {
        run.changes.emplace(change.id, std::make_pair(frame, change));
      } else if (held->second.first < frame) {
        dropped.push_back(held->second.second);
        held->second = std::make_pair(frame, change);
      } else {
        dropped.push_back(change);
      }
    }
  }
  changes.clear();
  DiscardParamChanges(host, dropped);
}

std::vector<HeldParamChange> HeldChanges(AnimationRun& run) {
  std::vector<HeldParamChange> changes;
  for (auto& [id, held] : run.changes) changes.push_back(held.second);
  run.changes.clear();
  return changes;
}

void RecordFailure(AnimationRun& run, std::string reason) {
  std::lock_guard<std::mutex> lock(run.errorMutex);
  if (!run.failed.exchange(true)) run.error = std::move(reason);
}

void RenderFramesOfRun(ReferenceHost& host, const AnimationJob& job, const AnimationFrameSink& sink,
                       AnimationRun& run) {
  try {
    OwnedFrame output = MakeFrame(job.input->width, job.input->height, job.depth);
    const HostFrame view = FrameView(output);
    while (!run.failed.load()) {
      const int32_t frame = run.nextFrame.fetch_add(1);
      if (frame >= job.frameCount) return;
      int32_t time = 0;
      if (!FrameStartTime(frame, job.timing, time)) {
        RecordFailure(run, JoinText({"frame ", std::to_string(frame), " lies beyond the host's time range"}));
        return;
      }
      std::fill(output.storage.begin(), output.storage.end(), uint8_t{0});
      const int64_t failedAllocations = AllocationFailureCount();
      std::vector<HeldParamChange> changes;
      const HostError result = RenderFrame(host, *job.input, view, time, &changes);
      KeepLatestChanges(host, run, frame, changes);
      if (result != kHostErrorNone) {
        RecordFailure(run, DescribeRenderFailure(result, JoinText({"frame ", std::to_string(frame)}),
                                                 AllocationFailureCount() != failedAllocations));
        return;
      }
      std::string reason;
      if (!sink(frame, view, reason)) {
        RecordFailure(run, std::move(reason));
        return;
      }
    }
  } catch (const std::exception& exception) {
    RecordFailure(run, exception.what());
  }
}

}  // namespace

bool RenderAnimation(ReferenceHost& host, const AnimationJob& job, const AnimationFrameSink& sink,
                     std::string& error) {
  if (job.input == nullptr || job.frameCount <= 0) return true;
  host.timeScale = job.timing.timeScale;
  host.timeStep = job.timing.timeStep;
  AnimationRun run;
  const int32_t threads = std::clamp(job.threads, 1, job.frameCount);
  std::vector<std::thread> helpers;
  try {
    for (int32_t t = 1; t < threads; ++t) {
      helpers.emplace_back([&] { RenderFramesOfRun(host, job, sink, run); });
    }
  } catch (const std::system_error&) {
    // Fewer threads than asked for still render every frame.
  }
  RenderFramesOfRun(host, job, sink, run);
  for (std::thread& helper : helpers) helper.join();
  std::vector<HeldParamChange> changes = HeldChanges(run);
  if (!run.failed.load()) {
    TakeOverParamChanges(host, changes);
    return true;
  }
  DiscardParamChanges(host, changes);
  error = run.error;
  return false;
}

int32_t DefaultRenderThreads(int32_t frameCount) {
  const auto hardware = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  return std::max(1, std::min(hardware, frameCount));
}
