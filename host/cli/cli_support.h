// What the command-line commands share: failing with one clear message,
// reading option values, and opening the plug-in through the reference host.
#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/reference_host.h"

// Thrown by a command to stop with one error line and a non-zero exit.
struct CliFailure {
  std::string message;
};

[[noreturn]] void FailCli(std::string message);

// Where a command line reads and writes.
struct CliStreams {
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;  // the error line, and the progress bar
  std::istream* in = nullptr;   // what a session reads its actions from without --actions
  bool showProgress = false;    // draw progress on err (a terminal)
};

struct CliEnvironment {
  std::string modulePath;        // the plug-in module the commands load
  std::string programDirectory;  // the running executable's folder, with the host's desktop stand-in
  CliStreams streams;
};

// Where the module sits by default: beside the executable, in `programDirectory`.
std::string DefaultModulePath(const std::string& programDirectory);

// The value after option args[index]; advances index past it.
std::string TakeOptionValue(const std::vector<std::string>& args, size_t& index);
int32_t ParseIntOption(const std::string& option, const std::string& text);

// Writes text to standard output and flushes it; false, with the system's
// reason when it gave one ("No space left on device", "Broken pipe"), when
// it cannot be written.
bool TryWriteAnswer(std::ostream& out, std::string_view text, std::string& reason);
// Writes a command's whole answer to standard output; fails with the
// system's reason when it cannot be written (a full device, a closed pipe).
void WriteAnswer(std::ostream& out, const std::string& text);

// Loads the module and runs global and parameter setup.
std::unique_ptr<ReferenceHost> OpenEffect(const CliEnvironment& environment);

// Each command: its arguments after the command name; returns the exit code.
int AboutCommand(const std::vector<std::string>& args, const CliEnvironment& environment);
int ParamsCommand(const std::vector<std::string>& args, const CliEnvironment& environment);
int RenderCommand(const std::vector<std::string>& args, const CliEnvironment& environment);
int AnalyseCommand(const std::vector<std::string>& args, const CliEnvironment& environment);
int SessionCommand(const std::vector<std::string>& args, const CliEnvironment& environment);

// Runs a whole command line (without the program name) of the program
// whose executable lies in `programDirectory` (RunningProgramDirectory, never
// argv[0]); an error goes to streams.err as one line.
int RunCommandLine(const std::vector<std::string>& args, const std::string& programDirectory,
                   const CliStreams& streams);
