// The desktop in a session: `answer` gives the next press's save prompt its
// answer in advance, and every press runs with the host's desktop stand-in,
// so a prompt never waits for a person and every alert is reported. A save
// prompt that could not be shown fails the press.
#include "host/cli/free_descriptors.h"
#include "host/cli/session_actions.h"
#include "host/cli/stop_cleanup.h"
#include "host/desktop/desktop_records.h"
#include "host/text_join.h"
#include "model/param_ids.h"
#include "overlay_export/export_texts.h"

namespace {

constexpr std::string_view kCancelWord = "cancel";

// A dialog takes a pipe, its three standard streams and the files it opens
// itself; the rest is margin.
constexpr int kDescriptorsForADialog = 16;

// Each export button asks its save prompt, or shows its no-data alert when
// nothing was rendered.
struct ExportButton {
  int32_t paramId;
  SavePrompt prompt;
  AlertMessage noData;
};
constexpr ExportButton kExportButtons[] = {
    {PARAM_EXPORT_PATHS, SavePrompt::kExportJson, AlertMessage::kNoDataExportJson},
    {PARAM_EXPORT_SVG, SavePrompt::kExportSvg, AlertMessage::kNoDataExportSvg},
};

// The title of the save prompt an export press should have shown and did
// not (the stand-in could not be started), or null.
const char* UnshownPromptTitle(int32_t paramId, const std::vector<DesktopEvent>& events) {
  for (const ExportButton& button : kExportButtons) {
    if (button.paramId != paramId) continue;
    const AlertText noData = AlertTextFor(button.noData);
    for (const DesktopEvent& event : events) {
      if (event.kind == DesktopEvent::Kind::kPrompt) return nullptr;
      if (event.title == noData.caption && event.text == RecordText(noData.text)) return nullptr;
    }
    return SavePromptFieldsFor(button.prompt).title;
  }
  return nullptr;
}

std::string EventText(const DesktopEvent& event, bool answerGiven) {
  if (event.kind == DesktopEvent::Kind::kAlert) return JoinText({"alert \"", event.title, "\": \"", event.text, "\""});
  const std::string_view cancelled = answerGiven ? "cancelled" : "cancelled (no answer given)";
  return JoinText({"prompt \"", event.title, "\" -> ", event.text.empty() ? cancelled : event.text});
}

void AddShown(std::string& shown, std::string_view text) { shown += JoinText({shown.empty() ? "" : "; ", text}); }

}  // namespace

std::string AnswerAction(EditingSession& session, std::string_view argument) {
  const std::string_view answer = argument == kCancelWord ? argument : ExpectOutputPath(session, argument);
  session.answer = answer == kCancelWord ? std::string() : std::string(answer);
  return JoinText({"next save prompt -> ", session.answer->empty() ? "cancelled" : *session.answer});
}

HostError PressWithSessionDesktop(EditingSession& session, int32_t paramId, ButtonPressReport& report,
                                  DesktopShown& shown) {
  if (!session.desktop) session.desktop = OpenDesktopStandIn(session.environment->programDirectory);
  const int free = FreeDescriptorsUpTo(kDescriptorsForADialog);
  if (free < kDescriptorsForADialog) {
    FailCli(JoinText({"cannot press: only ", std::to_string(free), " of the ", std::to_string(kDescriptorsForADialog),
                      " file descriptors a dialog needs are free (ulimit -n)"}));
  }
  const bool answerGiven = session.answer.has_value();
  HostError result = kHostErrorNone;
  std::vector<DesktopEvent> events;
  {
    // A stop signal waits until the plug-in is done, so that an export in
    // progress moves its file into place or removes it itself, and until
    // nothing writes to the stand-in's directory any more.
    const std::unique_lock<std::mutex> stopsWait = HoldStopsUntilCommandEnds();
    AnswerPromptsWith(*session.desktop, session.answer.value_or(""));
    result = PressButton(*session.effect.host, paramId, session.effect.time, &report);
    events = TakeDesktopEvents(*session.desktop);
  }
  // The answer belongs to this press: a press that asks nothing does not
  // pass it on to a later prompt.
  const std::optional<std::string> answer = std::move(session.answer);
  session.answer.reset();
  bool prompted = false;
  for (const DesktopEvent& event : events) {
    if (event.kind == DesktopEvent::Kind::kRefused) {
      FailCli(JoinText({"the host's desktop stand-in refused the command line: ", event.text}));
    }
    prompted = prompted || event.kind == DesktopEvent::Kind::kPrompt;
    AddShown(shown.text, EventText(event, answerGiven));
  }
  if (const char* title = UnshownPromptTitle(paramId, events)) {
    shown.text = JoinText({"prompt \"", title, "\" -> failed (the desktop stand-in could not be started)",
                           shown.text.empty() ? "" : "; ", shown.text});
    shown.promptFailed = true;
    session.answer = answer;  // no prompt saw it
    return result;
  }
  if (answerGiven && !prompted) AddShown(shown.text, "answer unused");
  return result;
}
