#include "host/cli/session_actions.h"

#include <charconv>

#include "host/cli/safe_output.h"
#include "host/param_value_text.h"
#include "host/text_join.h"

namespace {

constexpr SessionAction kActions[] = {
    {"render", "OUT.png", RenderAction},
    {"set", "LABEL=VALUE", SetAction},
    {"time", "SECONDS", TimeAction},
    {"click", "X Y", ClickAction},
    {"shift-click", "X Y", ShiftClickAction},
    {"press", "BUTTON-LABEL", PressAction},
    {"answer", "PATH|cancel", AnswerAction},
    {"undo", "", UndoAction},
    {"window", "OUT.png", WindowAction},
    {"layer-window", "OUT.png", LayerWindowAction},
    {"script", "OUT.jsx", ScriptAction},
    {"help", "", HelpAction},
};

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::span<const SessionAction> SessionActions() { return kActions; }

const SessionAction* FindSessionAction(std::string_view name) {
  for (const SessionAction& action : kActions) {
    if (action.name == name) return &action;
  }
  return nullptr;
}

void ExpectNoArgument(std::string_view argument) {
  if (!argument.empty()) FailCli(JoinText({"takes no argument, got \"", argument, "\""}));
}

std::string_view ExpectOutputPath(const EditingSession& session, std::string_view argument) {
  if (argument.empty()) FailCli("needs a file path");
  std::string refusal = PathControlByteRefusal(argument);
  if (refusal.empty()) refusal = InputOverwriteRefusal(std::string(argument), session.inputs);
  if (!refusal.empty()) FailCli(refusal);
  return argument;
}

std::vector<std::string_view> SplitArguments(std::string_view argument) {
  std::vector<std::string_view> parts;
  argument = TrimBlanks(argument);
  while (!argument.empty()) {
    const size_t end = argument.find_first_of(" \t");
    parts.push_back(argument.substr(0, end));
    if (end == std::string_view::npos) break;
    argument = TrimBlanks(argument.substr(end));
  }
  return parts;
}

int32_t ParseIntArgument(std::string_view text) {
  int32_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
    FailCli(JoinText({"\"", text, "\" is not an integer"}));
  }
  return value;
}

std::string ParamValueText(const ReferenceHost& host, int32_t id) {
  const HostParamEntry& entry = ParamEntryById(host.instance, id);
  if (entry.def.paramType == kParamTypeArbitraryData) return JoinText({entry.label, " = data"});
  return JoinText({entry.label, " = ", FormatParamValue(entry, ReadParamValue(host.instance, id))});
}

std::string ChainNumbersText(const std::vector<int32_t>& numbers) {
  if (numbers.empty()) return "none";
  std::string text;
  for (int32_t number : numbers) {
    if (!text.empty()) text += ' ';
    text += number > 0 ? std::to_string(number) : "?";
  }
  return text;
}

std::string HelpAction(EditingSession&, std::string_view argument) {
  ExpectNoArgument(argument);
  std::string text;
  for (const SessionAction& action : kActions) {
    if (!text.empty()) text += ", ";
    text += action.name;
    if (!action.usage.empty()) text += JoinText({" ", action.usage});
  }
  return text;
}
