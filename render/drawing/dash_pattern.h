// The dash pattern along the drawn stroke. It runs on from piece to piece and
// from chain to chain: `runningArc` is the stroke length drawn before the
// piece.
#pragma once

#include <vector>

struct DashSpan {
  float from = 0.0f;  // distances along the piece
  float to = 0.0f;
};

// Replaces `spans` with the dashes that fall on a piece of length
// `pieceLength`. `dashPeriod` is dash plus gap length and must be positive.
void CollectDashSpans(float runningArc, float pieceLength, float dashLength, float dashPeriod,
                      float dashOffset, std::vector<DashSpan>& spans);
