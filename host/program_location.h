// Where the running program lies, as the system knows it (never from
// argv[0]: run by name from PATH that would be ".", the folder the user
// stands in). The host loads its default module and runs its desktop
// stand-in from there only. One realisation per platform (platform/linux,
// platform/windows).
#pragma once

#include <string>

// The folder of the running executable, or empty with a reason in `error`.
std::string RunningProgramDirectory(std::string& error);
