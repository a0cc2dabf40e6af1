// The desktop the reference host plays while the effect may ask for a save
// path or show an alert (Linux): the stand-in program of
// host/desktop/zenity_standin.cpp, installed as PROGRAM_DIR/desktop/zenity
// beside the running executable, is put first on PATH, answers save prompts
// with a path given in advance and records every prompt and alert, which
// TakeDesktopEvents returns. The two exchange files in a directory private
// to this process (host/desktop/desktop_records.h), removed when the
// stand-in closes or a stop signal ends the process.
// The effect reads no setting of ours: it runs the dialog tool it always
// runs, and the stand-in is the one PATH finds.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct DesktopStandIn {
  DesktopStandIn() = default;
  DesktopStandIn(const DesktopStandIn&) = delete;
  DesktopStandIn& operator=(const DesktopStandIn&) = delete;
  // Restores PATH and removes the private directory.
  ~DesktopStandIn();

  std::string savedPath;
  std::string directory;  // private (mode 0700): the answer and the events
  std::string answer;     // what the next save prompts are answered with; empty: cancel
};

// Fails (CliFailure) when PROGRAM_DIR/desktop/zenity is not there or the
// private directory cannot be made.
// One stand-in at a time per process: it changes the process environment.
std::unique_ptr<DesktopStandIn> OpenDesktopStandIn(const std::string& programDirectory);

// What the desktop showed, in order. Newlines inside texts read "\n".
struct DesktopEvent {
  enum class Kind { kPrompt, kAlert, kRefused };
  Kind kind = Kind::kRefused;
  std::string title;  // the prompt's title or the alert's caption
  std::string text;   // the prompt's answer (empty: cancelled), the alert's text,
                      // or the command line the stand-in refused
};

// Every save prompt from now on is answered with `answer` (empty: the user
// cancels); the events so far are dropped. Fails when the answer cannot be
// written.
void AnswerPromptsWith(DesktopStandIn& desktop, const std::string& answer);
// The events since AnswerPromptsWith. A record that is none of the prompts
// and alerts the effect can show, or a prompt answered with anything but the
// answer given, fails (CliFailure): the host reads nothing it did not expect.
std::vector<DesktopEvent> TakeDesktopEvents(DesktopStandIn& desktop);
