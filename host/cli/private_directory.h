// A directory of the process's own in the temporary directory (TMPDIR, else
// /tmp), made under a fresh unpredictable name and readable, writable and
// searchable by its owner only, for scratch files that nobody else may read,
// replace or plant. One realisation per platform that builds the command
// line (platform/linux/cli_private_directory.cpp).
#pragma once

#include <string>

// "spindrel-PURPOSE-XXXXXX"; empty with a reason in `error` when it cannot be made.
std::string MakePrivateDirectory(const std::string& purpose, std::string& error);
