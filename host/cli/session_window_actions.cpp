// Session actions that look at or into the windows: render, clicks and the
// window images.
#include <cstdio>

#include "host/cli/png_image.h"
#include "host/cli/session_actions.h"
#include "host/text_join.h"

namespace {

std::string SecondsText(const EditingSession& session) {
  char text[48];
  std::snprintf(text, sizeof(text), "%.10g s",
                static_cast<double>(session.effect.time) / session.effect.host->timeScale);
  return text;
}

std::string SizeText(int32_t width, int32_t height) {
  return JoinText({std::to_string(width), "x", std::to_string(height)});
}

void WriteImage(std::string_view path, const RgbaImage& image) {
  std::string error;
  if (!WritePngFile(std::string(path), image, error)) FailCli(error);
}

std::string Click(EditingSession& session, std::string_view argument, int32_t modifiers) {
  const std::vector<std::string_view> parts = SplitArguments(argument);
  if (parts.size() != 2) FailCli(JoinText({"needs X Y in composition-window pixels, got \"", argument, "\""}));
  const HostPoint32 point{ParseIntArgument(parts[0]), ParseIntArgument(parts[1])};
  CurrentFrame(session);  // the window shows the current frame, so the chains are current too
  const WindowEventReply reply =
      SendWindowClick(*session.effect.host, kWindowComp, point, modifiers, session.effect.time);
  if (reply.error != kHostErrorNone) {
    FailCli(JoinText({"the plug-in failed the click (error ", std::to_string(reply.error), ")"}));
  }
  // The host redraws the window and reads the selection off the overlay.
  return JoinText({"selection ", ChainNumbersText(SelectionShown(session, kWindowComp))});
}

std::string Window(EditingSession& session, std::string_view argument, int32_t windowType) {
  const std::string_view path = ExpectOutputPath(session, argument);
  const RgbaImage image = WindowImage(session, windowType);
  WriteImage(path, image);
  return JoinText({path, ", ", SizeText(image.width, image.height), " at ", SecondsText(session)});
}

}  // namespace

std::string RenderAction(EditingSession& session, std::string_view argument) {
  const std::string_view path = ExpectOutputPath(session, argument);
  const OwnedFrame& frame = CurrentFrame(session);
  WriteImage(path, ImageFromFrame(FrameView(session.frame)));
  return JoinText({path, ", ", SizeText(frame.width, frame.height), " at ", SecondsText(session)});
}

std::string ClickAction(EditingSession& session, std::string_view argument) { return Click(session, argument, 0); }

std::string ShiftClickAction(EditingSession& session, std::string_view argument) {
  return Click(session, argument, kModifierShift);
}

std::string WindowAction(EditingSession& session, std::string_view argument) {
  return Window(session, argument, kWindowComp);
}

std::string LayerWindowAction(EditingSession& session, std::string_view argument) {
  return Window(session, argument, kWindowLayer);
}
