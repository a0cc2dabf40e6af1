// The actions of `spindrel session`, one per input line: a name, then its
// argument (the rest of the line, blanks around it dropped). Each action
// returns its one line of result (printed after "NAME: ") or fails with
// FailCli, leaving the session as it was.
//
// To add an action, write its function and add one row to the table in
// session_actions.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/cli/editing_session.h"

struct SessionAction {
  std::string_view name;
  std::string_view usage;  // the argument, as help shows it
  std::string (*run)(EditingSession& session, std::string_view argument);
};

std::span<const SessionAction> SessionActions();
// Null for an unknown name.
const SessionAction* FindSessionAction(std::string_view name);

// What actions share for their arguments.
void ExpectNoArgument(std::string_view argument);
// A path the action writes, or an export will: required, without control
// bytes, and none of the session's inputs; checked before anything is done.
std::string_view ExpectOutputPath(const EditingSession& session, std::string_view argument);
std::vector<std::string_view> SplitArguments(std::string_view argument);
int32_t ParseIntArgument(std::string_view text);
// "LABEL = VALUE" of a parameter as it stands; the host does not read data
// blocks, so data parameters say "data".
std::string ParamValueText(const ReferenceHost& host, int32_t id);
std::string ChainNumbersText(const std::vector<int32_t>& numbers);  // "3 5", "none"; 0 is "?"

// What the desktop showed during a press: "; "-separated, prompt "TITLE" ->
// PATH (or cancelled), alert "CAPTION": "TEXT" (newlines as \n), and "answer
// unused" when an answer was given and nothing asked for it; empty when none
// of these. An export whose save prompt could not be shown (the stand-in
// did not start) starts with prompt "TITLE" -> failed (...) and sets
// promptFailed; the answer then stays for the next press.
struct DesktopShown {
  std::string text;
  bool promptFailed = false;
};

// Presses the button with the desktop stand-in answering its save prompt
// with the session's answer, which the press uses up. Fails (CliFailure),
// without pressing, when too few file descriptors are free to start a
// dialog; and after it when the stand-in refused a command line or reported
// what no dialog of the effect shows.
HostError PressWithSessionDesktop(EditingSession& session, int32_t paramId, ButtonPressReport& report,
                                  DesktopShown& shown);

// The built-in actions.
std::string RenderAction(EditingSession& session, std::string_view argument);
std::string SetAction(EditingSession& session, std::string_view argument);
std::string TimeAction(EditingSession& session, std::string_view argument);
std::string ClickAction(EditingSession& session, std::string_view argument);
std::string ShiftClickAction(EditingSession& session, std::string_view argument);
std::string PressAction(EditingSession& session, std::string_view argument);
std::string AnswerAction(EditingSession& session, std::string_view argument);
std::string UndoAction(EditingSession& session, std::string_view argument);
std::string WindowAction(EditingSession& session, std::string_view argument);
std::string LayerWindowAction(EditingSession& session, std::string_view argument);
// The last script the effect handed the host (Create Shape Layer), to a file.
std::string ScriptAction(EditingSession& session, std::string_view argument);
std::string HelpAction(EditingSession& session, std::string_view argument);
