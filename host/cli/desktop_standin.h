// The desktop the reference host plays while the effect may ask for a save
// path or show an alert (Linux): the stand-in program of
// host/desktop/zenity_standin.cpp, installed as PROGRAM_DIR/desktop/zenity,
// is put first on PATH, answers save prompts with a path given in advance
// and records every prompt and alert, which PressWithDesktop returns.
// The effect reads no setting of ours: it runs the dialog tool it always
// runs, and the stand-in is the one PATH finds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/reference_host.h"

struct DesktopStandIn {
  DesktopStandIn() = default;
  DesktopStandIn(const DesktopStandIn&) = delete;
  DesktopStandIn& operator=(const DesktopStandIn&) = delete;
  // Restores PATH and removes the log.
  ~DesktopStandIn();

  std::string savedPath;
  std::string logPath;
};

// Fails (CliFailure) when PROGRAM_DIR/desktop/zenity is not there.
// One stand-in at a time per process: it changes the process environment.
std::unique_ptr<DesktopStandIn> OpenDesktopStandIn(const std::string& programDirectory);

// Presses the button `paramId` with the next save prompt answered by
// `answer` (empty: the user cancels) and returns what the desktop showed, one
// line each, newlines inside texts written as "\n":
//   prompt: TITLE -> PATH      prompt: TITLE -> cancelled
//   alert: CAPTION: TEXT       refused: ARGUMENTS (a command line the stand-in does not know)
std::vector<std::string> PressWithDesktop(DesktopStandIn& desktop, ReferenceHost& host, int32_t paramId,
                                          const std::string& answer);
