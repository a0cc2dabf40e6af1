#include "host/animation_render.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

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
  HeldParamChanges changes;  // per parameter, the value written by the latest frame that wrote it
};

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
      const HostError result = RenderFrame(host, *job.input, view, time, &run.changes);
      if (result != kHostErrorNone) {
        RecordFailure(run, DescribeRenderFailure(result, JoinText({"frame ", std::to_string(frame)})));
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
  if (!run.failed.load()) {
    TakeOverHeldChanges(host, run.changes);
    return true;
  }
  DropHeldChanges(host, run.changes);
  error = run.error;
  return false;
}

int32_t DefaultRenderThreads(int32_t frameCount) {
  const auto hardware = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  return std::max(1, std::min(hardware, frameCount));
}
