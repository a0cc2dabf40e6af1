// The dash pattern along the drawn stroke. It runs on from piece to piece and
// from chain to chain: `runningArc` is the stroke length drawn before the
// piece.
#pragma once

#include <vector>

struct DashSpan {
  float from = 0.0f;  // distances along the piece
  float to = 0.0f;
};

// Dash Length, dash plus Gap Length (positive for any dash to be drawn) and
// Offset, in pixels along the stroke.
struct DashPattern {
  float length = 0.0f;
  float period = 0.0f;
  float offset = 0.0f;
};

// Replaces `spans` with the dashes that fall on a piece of length `pieceLength`.
void CollectDashSpans(const DashPattern& pattern, float runningArc, float pieceLength, std::vector<DashSpan>& spans);
