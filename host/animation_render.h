// Renders the frames of an animation through the effect, several at once:
// the effect declares threaded rendering, so the host may.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/frame_timing.h"
#include "host/reference_host.h"

struct AnimationJob {
  const HostFrame* input = nullptr;  // every frame's input layer, read by all threads
  int32_t depth = 8;                 // of the output frames, bits per channel
  FrameTiming timing;
  int32_t frameCount = 0;
  int32_t threads = 1;
};

// Receives each rendered frame on the thread that rendered it, frames in no
// particular order; the frame is reused once this returns. False with a
// reason stops the animation.
using AnimationFrameSink = std::function<bool(int32_t frame, const HostFrame& output, std::string& error)>;

// Frame i is rendered at time i x timeStep into a frame cleared to 0, with
// the host's time scale and step set to the job's. Stops at the first
// failure and returns false with the reason (the frame that failed, or the
// sink's reason).
//
// So that the frames never depend on how many threads render them, every
// frame sees the parameters as they stood when the run began: what the
// effect writes during a render (a pending chain merge it carries out and
// clears, for example) is held back, and after a run that succeeded each
// parameter takes over the value written by the latest frame that wrote it.
// A failed run takes over nothing.
bool RenderAnimation(ReferenceHost& host, const AnimationJob& job, const AnimationFrameSink& sink,
                     std::string& error);

// The hardware's thread count, at most `frameCount`, at least 1.
int32_t DefaultRenderThreads(int32_t frameCount);
