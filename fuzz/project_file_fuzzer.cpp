// Loads project files: whatever the text, the load succeeds or is refused
// with one line, and a project that loads saves to a text that loads back
// to the same values.
#include <nlohmann/json.hpp>

#include "fuzz/fuzz_host.h"
#include "host/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReferenceHost& host = ResetFuzzHost();
  const nlohmann::json project = nlohmann::json::parse(data, data + size, nullptr, false);
  if (project.is_discarded()) return 0;
  std::string error;
  if (!ProjectFromJson(host, project, error)) {
    if (error.empty() || error.find('\n') != std::string::npos || error.size() > 400) {
      FuzzFinding("a refusal without one short line: " + error.substr(0, 400));
    }
    return 0;
  }
  const nlohmann::json saved = ProjectToJson(host);
  const nlohmann::json reread = nlohmann::json::parse(ProjectText(host));
  ResetFuzzHost();
  if (!ProjectFromJson(host, reread, error)) FuzzFinding("a saved project does not load: " + error);
  if (ProjectToJson(host) != saved) FuzzFinding("a saved project loads to other values");
  CheckHandleUse(host);
  return 0;
}
