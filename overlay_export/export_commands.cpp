#include "overlay_export/export_commands.h"

#include <string>
#include <vector>

#include "overlay_export/chain_export_writers.h"
#include "overlay_export/platform_operations.h"
#include "render/analysis/chain_cache.h"

namespace {

enum class ExportKind { kJson, kSvg };

struct ExportMessages {
  SavePrompt prompt;
  AlertMessage noData;
  AlertMessage written;
  AlertMessage failed;
};

ExportMessages MessagesFor(ExportKind kind) {
  if (kind == ExportKind::kSvg)
    return {SavePrompt::kExportSvg, AlertMessage::kNoDataExportSvg, AlertMessage::kExportedSvg,
            AlertMessage::kExportSvgFailed};
  return {SavePrompt::kExportJson, AlertMessage::kNoDataExportJson, AlertMessage::kExportedJson,
          AlertMessage::kExportJsonFailed};
}

// One record per cached chain, also for a chain without points: integer
// points, open, no sub-pixel points and no tangents.
std::vector<ChainRecord> ExportRecords(const ChainCache& snapshot) {
  std::vector<ChainRecord> records(snapshot.chains.size());
  for (size_t i = 0; i < records.size(); ++i) records[i].points = snapshot.chains[i];
  return records;
}

HostError RunExport(ExportKind kind) {
  const ExportMessages messages = MessagesFor(kind);
  const ChainCache snapshot = SnapshotChainCache();
  if (!snapshot.valid || snapshot.chains.empty()) {
    ShowAlert(messages.noData);
    return kHostErrorNone;
  }
  const SaveAnswer answer = AskSavePath(messages.prompt);
  const std::string& path = answer.path;
  if (answer.kind != SaveAnswerKind::kNotShown && path.empty()) return kHostErrorNone;  // cancelled
  // A prompt that could not be shown is no cancel of the user's: the export
  // failed. A path the command cannot keep whole (too long, or cut short by a
  // NUL) is not turned into one the user did not choose.
  if (answer.kind == SaveAnswerKind::kNotShown || path.size() > kMaxChosenPathLength ||
      path.find('\0') != std::string::npos) {
    ShowAlert(messages.failed);
    return kHostErrorNone;
  }
  const std::vector<ChainRecord> records = ExportRecords(snapshot);
  const FileWriteResult result =
      kind == ExportKind::kSvg
          ? WriteChainsSvg(records, snapshot.width, snapshot.height, snapshot.strokeWidth, path.c_str())
          : WriteChainsJson(records, snapshot.width, snapshot.height, path.c_str());
  // After the prompt the user hears how it ended, whatever went wrong.
  ShowAlert(result == FileWriteResult::kWritten ? messages.written : messages.failed);
  return kHostErrorNone;
}

}  // namespace

HostError ExportJsonCommand(HostInData*) { return RunExport(ExportKind::kJson); }
HostError ExportSvgCommand(HostInData*) { return RunExport(ExportKind::kSvg); }
