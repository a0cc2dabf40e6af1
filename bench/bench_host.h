// The reference host the render benchmarks share: the built module, set up,
// with Reveal Progress at 50 and otherwise the effect's defaults. Only one
// reference host may be open at a time, so a benchmark that opens its own
// (the command line) closes this one first; the next use opens it again.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "host/command_params.h"
#include "host/param_value_text.h"
#include "host/reference_host.h"
#include "render/render_command.h"

namespace bench_host {

inline std::unique_ptr<ReferenceHost>& Slot() {
  static std::unique_ptr<ReferenceHost> host;
  return host;
}

inline ReferenceHost& BenchHost() {
  std::unique_ptr<ReferenceHost>& host = Slot();
  if (host == nullptr) {
    std::string error;
    host = OpenReferenceHost(SPINDREL_MODULE_PATH, error);
    if (host == nullptr || SetUpEffect(*host) != kHostErrorNone ||
        !ApplyParamAssignment(host->instance, "Reveal Progress (%)=50", error)) {
      std::fprintf(stderr, "render bench: cannot set up the effect: %s\n", error.c_str());
      std::exit(1);
    }
  }
  return *host;
}

inline void CloseBenchHost() { Slot().reset(); }

// One render of `input` into `output` in this process (the module's twin),
// with the parameters as they stand.
inline HostError RenderInProcess(const HostFrame& input, HostFrame& output) {
  return RunWithCommandParams(BenchHost(), &input, 0, [&](HostInData& in, HostParamDef* params[]) {
    HostOutData out{};
    return Render(&in, &out, params, &output, nullptr);
  });
}

}  // namespace bench_host
