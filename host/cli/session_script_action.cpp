// The session action `script OUT`: writes the last script the effect handed
// the host's script engine (Create Shape Layer) to a file. The reference
// host has no script engine; it keeps the scripts, and the user takes one to
// a host that runs it.
#include "host/cli/safe_output.h"
#include "host/cli/session_actions.h"
#include "host/text_join.h"

std::string ScriptAction(EditingSession& session, std::string_view argument) {
  const std::string path(ExpectOutputPath(session, argument));
  const std::vector<std::string> scripts = ReadSuiteLog(session.effect.host->suites, &SuiteServices::scripts);
  if (scripts.empty()) FailCli("the effect has handed the host no script yet: render, then press Create Shape Layer");
  std::string error;
  if (!WriteFileSafely(path, scripts.back(), error)) FailCli(error);
  return JoinText({path, ", ", std::to_string(scripts.back().size()), " bytes"});
}
