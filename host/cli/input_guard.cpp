#include "host/cli/input_guard.h"

#include <filesystem>
#include <system_error>

#include "host/text_join.h"

std::string ResolvedPath(const std::string& path) {
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, ignored);
  return (resolved.empty() ? absolute : resolved).string();
}

void AddGuardedInput(std::vector<GuardedInput>& inputs, std::string what, const std::string& path,
                     bool isProject) {
  if (path.empty()) return;
  GuardedInput input{std::move(what), path, false, {}, ResolvedPath(path), isProject};
  input.exists = IdentifyFile(path, input.identity);
  inputs.push_back(std::move(input));
}

std::string InputOverwriteRefusal(const std::string& target, const std::vector<GuardedInput>& inputs,
                                  std::string resolvedTarget, bool savesProject) {
  if (inputs.empty()) return "";
  FileIdentity identity;
  const bool exists = IdentifyFile(target, identity);
  for (const GuardedInput& input : inputs) {
    if (exists != input.exists) continue;  // one is there, the other not
    if (savesProject && input.isProject) continue;
    if (!exists && resolvedTarget.empty()) resolvedTarget = ResolvedPath(target);
    if (exists ? identity == input.identity : resolvedTarget == input.resolved) {
      return JoinText({target, " is the same file as ", input.what, " ", input.path,
                       "; spindrel never writes over an input"});
    }
  }
  return "";
}
