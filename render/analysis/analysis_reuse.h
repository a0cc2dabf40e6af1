// Reuse of the analysis across renders. In a write-on the layer and the
// analysis settings usually stay the same from frame to frame while only the
// reveal moves, so the analysis of the last few renders is kept and handed
// out again to a render whose analysis key (render/analysis_inputs.h) is
// identical, byte for byte.
//
// Safe with renders on several threads: the kept analyses are shared
// read-only, and a render that asks for an analysis another thread is still
// computing waits for it instead of computing it again. At most
// kReusedAnalysisCount analyses are kept, fewer when together they pass
// kReusedAnalysisBytes (the newest is always kept).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "render/analysis/analysis_inputs.h"
#include "render/analysis/analysis_stages.h"

constexpr size_t kReusedAnalysisCount = 4;
constexpr size_t kReusedAnalysisBytes = size_t{96} << 20;

// The kept analysis with this key, or else what `analyse` returns (kept for
// later renders unless reuse is off). Exceptions from `analyse` pass through.
std::shared_ptr<const RenderAnalysis> ReuseOrAnalyse(const AnalysisKey& key,
                                                     const std::function<RenderAnalysis()>& analyse);

// On by default. Off, every render analyses anew and nothing is kept (what
// was kept is dropped); for tests that compare the two.
void SetAnalysisReuse(bool enabled);

// The number of analyses kept now.
size_t ReusedAnalysisCount();
