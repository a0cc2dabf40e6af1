// Session actions that change the effect's values: set, time, press, undo.
#include "host/cli/session_actions.h"
#include "host/frame_timing.h"
#include "host/param_value_text.h"
#include "host/text_join.h"
#include "host/undo_history.h"
#include "model/chain_blobs.h"
#include "model/param_ids.h"

namespace {

std::string ValuesText(const ReferenceHost& host, const std::vector<int32_t>& ids) {
  std::string text;
  for (int32_t id : ids) {
    if (!text.empty()) text += ", ";
    text += ParamValueText(host, id);
  }
  return text;
}

// A button by its label (as `set` takes labels) or by the text on it.
int32_t FindButton(const HostEffectInstance& instance, std::string_view name) {
  std::string error;
  int32_t id = FindParamByName(instance, name, error);
  if (id < 0) {
    for (int32_t candidate = 1; candidate < ParamCount(instance); ++candidate) {
      const HostParamEntry& entry = ParamEntryById(instance, candidate);
      if (entry.def.paramType != kParamTypeButton || entry.text != name) continue;
      if (id >= 0) FailCli(JoinText({"two buttons read \"", name, "\"; press one by its label"}));
      id = candidate;
    }
  }
  if (id < 0) FailCli(error);
  if (ParamEntryById(instance, id).def.paramType != kParamTypeButton) {
    FailCli(JoinText({"\"", name, "\" is not a button"}));
  }
  return id;
}

// Why Set Order wrote nothing, when the chain picked first has a number the
// draw order's bytes cannot hold; empty otherwise.
std::string ChainLeftOutOfDrawOrder(EditingSession& session, int32_t pressed) {
  if (pressed != PARAM_SET_ORDER) return "";
  const std::vector<int32_t> picked = SelectionShown(session, kWindowComp);
  if (picked.empty() || picked.front() <= kMaxDrawOrderNumber) return "";
  return JoinText({"; chain ", std::to_string(picked.front()), " does not fit the draw order (chains 1 to ",
                   std::to_string(kMaxDrawOrderNumber), ")"});
}

}  // namespace

std::string SetAction(EditingSession& session, std::string_view argument) {
  ReferenceHost& host = *session.effect.host;
  int32_t id = -1;
  std::string error;
  if (!ApplyParamAssignmentUndoably(host, argument, id, error)) FailCli(error);
  MarkSessionChanged(session);
  std::string text = ParamValueText(host, id);
  if (ReadStoredParamValue(host.instance, id).animated) text += " (keyed: its keys decide)";
  return text;
}

std::string TimeAction(EditingSession& session, std::string_view argument) {
  double seconds = 0.0;
  int32_t time = 0;
  if (!ParseDouble(argument, seconds)) FailCli(JoinText({"\"", argument, "\" is not a time in seconds"}));
  if (!SecondsToTime(seconds, session.options.timing, time)) FailCli("lies beyond the host's time range");
  session.effect.time = time;
  MarkSessionChanged(session);
  return JoinText({std::string(argument), " s"});
}

std::string PressAction(EditingSession& session, std::string_view argument) {
  ReferenceHost& host = *session.effect.host;
  const int32_t id = FindButton(host.instance, argument);
  ButtonPressReport report;
  const int64_t scriptsBefore = SuiteLogCount(host.suites, &SuiteServices::scripts);
  DesktopShown shown;
  const HostError result = PressWithSessionDesktop(session, id, report, shown);
  if (!report.changed.empty()) MarkSessionChanged(session);
  std::string text = report.changed.empty() ? std::string() : ValuesText(host, report.changed);
  if (!shown.text.empty()) text += JoinText({text.empty() ? "" : "; ", shown.text});
  if (text.empty()) text = JoinText({"nothing written", ChainLeftOutOfDrawOrder(session, id)});
  if (result != kHostErrorNone) {
    FailCli(JoinText({"the plug-in answered error ", std::to_string(result), "; ", text}));
  }
  if (shown.promptFailed) FailCli(text);
  // Values written as they were make no undo step.
  const char* unrecorded = report.changed.empty() ? "\" (empty)" : "\" (nothing changed)";
  if (report.undoGroupOpened) {
    text += JoinText({"; undo group \"", report.undoName, report.undoRecorded ? "\"" : unrecorded});
  } else if (report.undoRecorded) {
    text += JoinText({"; undo step \"", report.undoName, "\" (no undo group)"});
  } else if (!report.changed.empty()) {
    text += "; nothing changed, no undo step";
  }
  if (SuiteLogCount(host.suites, &SuiteServices::scripts) > scriptsBefore) {
    const size_t bytes = LastSuiteLogEntry(host.suites, &SuiteServices::scripts).size();
    text += JoinText({"; a script of ", std::to_string(bytes), " bytes for the host (script OUT.jsx)"});
  }
  return text;
}

std::string UndoAction(EditingSession& session, std::string_view argument) {
  ExpectNoArgument(argument);
  ReferenceHost& host = *session.effect.host;
  UndoStep undone;
  std::string error;
  if (!UndoLastStep(host, undone, error)) FailCli(error);
  MarkSessionChanged(session);
  std::vector<int32_t> ids;
  for (const ParamState& state : undone.before) ids.push_back(state.id);
  return JoinText({"\"", undone.name, "\": ", ValuesText(host, ids)});
}
