// One editing session of `spindrel session`: the effect open in the
// reference host for a whole run of actions, with what the host keeps
// between them. The chain selection lives in the plug-in's memory, so it
// lasts exactly as long as the session.
//
// The host keeps its windows current as a host does: after a change of
// values or time, the next action that needs the frame (render, a click, a
// window) renders it again, which also refreshes the plug-in's chain cache.
// A press renders nothing: the buttons work on the cache the last render
// left, as they do after the host's last preview.
// Clicks and windows work in composition-window pixels; at 1/N the frame is
// rendered at the reduced size and the windows show it scaled back up.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/cli/desktop_standin.h"
#include "host/cli/effect_options.h"
#include "host/frame_buffer.h"
#include "host/ui/window_events.h"
#include "skeleton/points.h"

struct EditingSession {
  const CliEnvironment* environment = nullptr;
  EffectSession effect;  // the host, the full-size input and Map Layer, the current time
  EffectOptions options;
  int32_t downsample = 1;
  OwnedFrame layer;     // what renders get: the input at 1/downsample
  OwnedFrame mapLayer;  // the Map Layer at 1/downsample; empty without one

  bool frameCurrent = false;  // the frame below shows the current values and time
  OwnedFrame frame;           // the last rendered frame, at the reduced size
  // The last render's chains as the host's own analysis found them, to tell
  // which chain each stroke of the overlay is.
  std::vector<std::vector<IntPoint>> chains;

  // The desktop presses go through (opened at the first press), and the
  // answer for the next press's save prompt: a path, or empty to cancel.
  std::unique_ptr<DesktopStandIn> desktop;
  std::optional<std::string> answer;

  // What the session reads, which no action writes (nor an answer names).
  std::vector<GuardedInput> inputs;
};

// Opens the effect with every option applied and the windows laid out.
void OpenEditingSession(EditingSession& session, const CliEnvironment& environment, const EffectOptions& options,
                        int32_t downsample, const WindowLayout& layout);

// Values or time changed: the frame is rendered again when next needed.
void MarkSessionChanged(EditingSession& session);
// The frame at the current values and time, rendered when not current.
const OwnedFrame& CurrentFrame(EditingSession& session);

// The chains the overlay draws in a window (a draw event sent to the
// plug-in), as chain numbers in the order drawn; 0 for a stroke that is no
// chain of the last render.
std::vector<int32_t> SelectionShown(EditingSession& session, int32_t windowType);

// The window as the user sees it: the current frame at full size (placed in
// the composition, or the layer alone) with the overlay's strokes.
RgbaImage WindowImage(EditingSession& session, int32_t windowType);
