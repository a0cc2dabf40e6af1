// The session action `script OUT`: writes the last script the effect handed
// the host's script engine (Create Shape Layer) to a file. The reference
// host has no script engine; it keeps the scripts, and the user takes one to
// a host that runs it.
#include "host/cli/safe_output.h"
#include "host/cli/session_actions.h"
#include "host/text_join.h"

std::string ScriptAction(EditingSession& session, std::string_view argument) {
  const std::string path(ExpectOutputPath(session, argument));
  const SuiteServices& suites = session.effect.host->suites;
  if (SuiteLogCount(suites, &SuiteServices::scripts) == 0) {
    FailCli("the effect has handed the host no script yet: render, then press Create Shape Layer");
  }
  const std::string script = LastSuiteLogEntry(suites, &SuiteServices::scripts);
  std::string error;
  if (!WriteFileSafely(path, script, error)) FailCli(error);
  return JoinText({path, ", ", std::to_string(script.size()), " bytes"});
}
