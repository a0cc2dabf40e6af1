#include "render/drawing/dash_pattern.h"

#include <algorithm>
#include <cmath>

void CollectDashSpans(const DashPattern& pattern, float runningArc, float pieceLength, std::vector<DashSpan>& spans) {
  const float dashLength = pattern.length;
  const float dashPeriod = pattern.period;
  const float dashOffset = pattern.offset;
  spans.clear();
  if (pieceLength <= 0.0f || !(dashPeriod > 0.0f)) return;
  float d = 0.0f;
  // When a step is too small to move d (it is below half a float step of d),
  // the phase would be computed at the same place forever; the walk then goes
  // on from the boundary the step was heading for.
  bool useBoundaryPhase = false;
  float boundaryPhase = 0.0f;
  for (;;) {
    float phase;
    if (useBoundaryPhase) {
      phase = boundaryPhase;
      useBoundaryPhase = false;
    } else {
      phase = std::fmod(runningArc + d + dashOffset, dashPeriod);
      if (phase < 0.0f) phase += dashPeriod;
    }
    // A tiny negative remainder plus the period can round up to the period
    // itself: that is the start of the next period.
    if (phase >= dashPeriod) phase = 0.0f;

    const float rest = pieceLength - d;
    const bool inDash = phase < dashLength;
    const float step = std::min(rest, inDash ? dashLength - phase : dashPeriod - phase);
    if (inDash) spans.push_back({d, d + step});
    const float next = d + step;
    if (step <= 0.0f || next >= pieceLength) break;
    if (next == d) {
      useBoundaryPhase = true;
      boundaryPhase = inDash ? dashLength : 0.0f;
    }
    d = next;
  }
}
