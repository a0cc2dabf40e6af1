// How far the reveal has reached into each chain, the rule the stroke and
// the particles share.
#pragma once

#include <algorithm>

// Path Offset counts as on above this: the visible stretch then wanders over
// whole chains instead of growing from the first.
constexpr float kPathOffsetOn = 1e-4f;

// A chain's own progress, 0 to 1, under Chain Stagger: the reveal progress
// less the chain's staggered start, over its staggered length plus the
// stagger. The staggered start and length are (1 - stagger) times the
// chain's start and length as shares of the total length; the caller forms
// them, since the stroke and the particles round that product differently.
// Stagger 0 reveals the chains one after the other; 1 gives every chain the
// progress itself.
inline float StaggeredChainProgress(float progress, float stagger, float staggeredStart, float staggeredLength) {
  const float local = (progress - staggeredStart) / std::max(1e-6f, staggeredLength + stagger);
  return std::clamp(local, 0.0f, 1.0f);
}
