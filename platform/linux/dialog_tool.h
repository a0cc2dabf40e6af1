// Runs a desktop dialog program (zenity, kdialog) with a fixed argument
// vector: no shell is involved, so no text is ever interpreted. Its standard
// output is collected; its standard input and error go to /dev/null.
#pragma once

#include <string>
#include <vector>

enum class DialogToolStart {
  kStarted,   // it ran, and exitStatus says how it ended
  kNotFound,  // no such program on PATH
  kFailed,    // it is there but could not run: no descriptors or processes
              // left, an environment too large, no permission, or the
              // system's loader ended it (exit status 126 or 127)
};

struct DialogToolRun {
  DialogToolStart start = DialogToolStart::kFailed;
  int exitStatus = -1;   // the program's exit status; -1 when it was killed
  std::string output;    // everything it printed on standard output
};

// arguments[0] is the program, looked up on PATH. Blocks until it has ended.
DialogToolRun RunDialogTool(const std::vector<std::string>& arguments);
