// The desktop in a session: `answer` gives the next press's save prompt its
// answer in advance, and every press runs with the host's desktop stand-in,
// so a prompt never waits for a person and every alert is reported.
#include "host/cli/session_actions.h"
#include "host/text_join.h"

namespace {

constexpr std::string_view kCancelWord = "cancel";

std::string EventText(const DesktopEvent& event, bool answerGiven) {
  if (event.kind == DesktopEvent::Kind::kAlert) return JoinText({"alert \"", event.title, "\": \"", event.text, "\""});
  const std::string_view cancelled = answerGiven ? "cancelled" : "cancelled (no answer given)";
  return JoinText({"prompt \"", event.title, "\" -> ", event.text.empty() ? cancelled : event.text});
}

}  // namespace

std::string AnswerAction(EditingSession& session, std::string_view argument) {
  const std::string_view answer = argument == kCancelWord ? argument : ExpectOutputPath(session, argument);
  session.answer = answer == kCancelWord ? std::string() : std::string(answer);
  return JoinText({"next save prompt -> ", session.answer->empty() ? "cancelled" : *session.answer});
}

HostError PressWithSessionDesktop(EditingSession& session, int32_t paramId, ButtonPressReport& report,
                                  std::string& shown) {
  if (!session.desktop) session.desktop = OpenDesktopStandIn(session.environment->programDirectory);
  const bool answerGiven = session.answer.has_value();
  AnswerPromptsWith(*session.desktop, session.answer.value_or(""));
  // The answer belongs to this press: a press that asks nothing does not
  // pass it on to a later prompt.
  session.answer.reset();
  const HostError result = PressButton(*session.effect.host, paramId, session.effect.time, &report);
  bool prompted = false;
  for (const DesktopEvent& event : TakeDesktopEvents(*session.desktop)) {
    if (event.kind == DesktopEvent::Kind::kRefused) {
      FailCli(JoinText({"the host's desktop stand-in refused the command line: ", event.text}));
    }
    prompted = prompted || event.kind == DesktopEvent::Kind::kPrompt;
    shown += JoinText({shown.empty() ? "" : "; ", EventText(event, answerGiven)});
  }
  if (answerGiven && !prompted) shown += JoinText({shown.empty() ? "" : "; ", "answer unused"});
  return result;
}
