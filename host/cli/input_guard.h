// A command never writes over what it reads: every output is compared with
// the run's inputs (the input image, the Map Layer image, the project, a
// session's actions) before anything is written, by device and inode when
// both exist, so that another name of the same file (a link, "./", "..")
// is found too, and else by the absolute path with its directories resolved.
#pragma once

#include <string>
#include <vector>

#include "host/cli/output_file_system.h"

struct GuardedInput {
  std::string what;  // as the message names it: "the input image", ...
  std::string path;  // as given
  bool exists = false;
  FileIdentity identity;  // when it exists
  std::string resolved;   // ResolvedPath(path)
  // The --project file: read whole before anything runs, so saving the
  // project over it is saving the project, and nothing is lost.
  bool isProject = false;
};

// Absolute, with every link and "." or ".." in its existing part resolved.
std::string ResolvedPath(const std::string& path);

// Looks at the input now; an empty path guards nothing and is left out.
void AddGuardedInput(std::vector<GuardedInput>& inputs, std::string what, const std::string& path,
                     bool isProject = false);

// Why `target` may not be written because it is one of `inputs`; empty when
// it is none of them. `resolvedTarget` is ResolvedPath(target) when the
// caller knows it already (empty: worked out when needed). A target that
// saves the project may be the project file.
std::string InputOverwriteRefusal(const std::string& target, const std::vector<GuardedInput>& inputs,
                                  std::string resolvedTarget = "", bool savesProject = false);
