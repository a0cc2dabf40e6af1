#include "render/analysis/analysis_reuse.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace {

struct KeptAnalysis {
  AnalysisKey key;
  std::shared_ptr<const RenderAnalysis> analysis;
  size_t bytes = 0;
  uint64_t lastUse = 0;
};

// An analysis some render is computing; others with the same key wait for it.
struct AnalysisInProgress {
  const AnalysisKey* key = nullptr;
  bool finished = false;
  std::shared_ptr<const RenderAnalysis> analysis;  // null when computing it failed
};

struct ReuseState {
  std::mutex mutex;
  std::condition_variable finished;
  bool enabled = true;
  uint64_t clock = 0;
  std::vector<KeptAnalysis> kept;
  std::vector<std::shared_ptr<AnalysisInProgress>> inProgress;
};

ReuseState& State() {
  static ReuseState state;
  return state;
}

size_t AnalysisBytes(const AnalysisKey& key, const RenderAnalysis& a) {
  size_t bytes = key.bytes.size() + a.field.values.size() * sizeof(float) + a.skeleton.cells.size() +
                 a.sampledMask.cells.size() + a.closedMask.cells.size() + a.labels.size() * sizeof(int32_t);
  for (const ChainRecord& chain : a.chains) {
    bytes += sizeof chain + chain.points.size() * sizeof(IntPoint) +
             (chain.fpoints.size() + chain.inT.size() + chain.outT.size()) * sizeof(FloatPoint);
  }
  return bytes;
}

// Keeps `entry`, dropping the least recently used analyses beyond the limits.
void Keep(ReuseState& state, KeptAnalysis entry) {
  state.kept.push_back(std::move(entry));
  for (;;) {
    size_t total = 0;
    for (const KeptAnalysis& k : state.kept) total += k.bytes;
    if (state.kept.size() <= 1 || (state.kept.size() <= kReusedAnalysisCount && total <= kReusedAnalysisBytes)) {
      return;
    }
    // The newest (last) entry stays.
    const auto usedEarlier = [](const KeptAnalysis& a, const KeptAnalysis& b) { return a.lastUse < b.lastUse; };
    const auto oldest = std::min_element(state.kept.begin(), state.kept.end() - 1, usedEarlier);
    state.kept.erase(oldest);
  }
}

void Finish(ReuseState& state, const std::shared_ptr<AnalysisInProgress>& work,
            std::shared_ptr<const RenderAnalysis> analysis) {
  work->finished = true;
  work->analysis = std::move(analysis);
  state.inProgress.erase(std::find(state.inProgress.begin(), state.inProgress.end(), work));
  state.finished.notify_all();
}

}  // namespace

std::shared_ptr<const RenderAnalysis> ReuseOrAnalyse(const AnalysisKey& key,
                                                     const std::function<RenderAnalysis()>& analyse) {
  ReuseState& state = State();
  std::unique_lock<std::mutex> lock(state.mutex);
  if (!state.enabled) {
    lock.unlock();
    return std::make_shared<const RenderAnalysis>(analyse());
  }
  for (;;) {
    for (KeptAnalysis& k : state.kept) {
      if (SameAnalysisKey(k.key, key)) {
        k.lastUse = ++state.clock;
        return k.analysis;
      }
    }
    std::shared_ptr<AnalysisInProgress> same;
    for (const std::shared_ptr<AnalysisInProgress>& work : state.inProgress) {
      if (SameAnalysisKey(*work->key, key)) same = work;
    }
    if (same == nullptr) break;
    state.finished.wait(lock, [&] { return same->finished; });
    if (same->analysis != nullptr) return same->analysis;
    // Computing it failed there; look again, and compute it here if nobody else does.
  }

  auto work = std::make_shared<AnalysisInProgress>();
  work->key = &key;
  state.inProgress.push_back(work);
  lock.unlock();
  std::shared_ptr<const RenderAnalysis> analysis;
  try {
    analysis = std::make_shared<const RenderAnalysis>(analyse());
  } catch (...) {
    lock.lock();
    Finish(state, work, nullptr);
    throw;
  }
  lock.lock();
  if (state.enabled) {
    try {
      Keep(state, KeptAnalysis{key, analysis, AnalysisBytes(key, *analysis), ++state.clock});
    } catch (...) {
      // Without room to keep it, the render still has its analysis.
    }
  }
  Finish(state, work, analysis);
  return analysis;
}

void SetAnalysisReuse(bool enabled) {
  ReuseState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.enabled = enabled;
  if (!enabled) state.kept.clear();
}

size_t ReusedAnalysisCount() {
  ReuseState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.kept.size();
}
