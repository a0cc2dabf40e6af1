// Which free edge the Merge by Shape walk takes at a node with several: the
// one with the highest look-ahead score, the earliest in the node's order on
// a tie. A look-ahead sums the lengths of a depth-first spanning tree of
// what lies beyond the edge and notes whether it meets a stroke end; this
// file finds the same winner without finishing every look-ahead.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "skeleton/free_edge_copy.h"

constexpr float kDeadEndPenalty = -1e7f;
constexpr float kDirectionWeight = 0.001f;
constexpr float kNoCandidateScore = -1e9f;  // a candidate must score above this to be taken

// A node has at most eight free edges: each leaves it through a different
// one of its eight neighbour pixels. The race reads records of 8 or 16 slots.
constexpr uint32_t kMaxRacers = 8;
constexpr uint32_t kMaxRaceRecordShift = 4;

// Whether RaceBranches can choose among `count` free edges in this copy.
inline bool RaceTakes(const FreeEdgeCopy& copy, uint32_t count) {
  return count <= kMaxRacers && copy.recordShift <= kMaxRaceRecordShift;
}

// Branch length dominates; the direction term adds at most +-0.001. The
// operations and their order are fixed: they decide ties.
inline float BranchScore(bool leaf, float branchLength, float edgeLength, float direction) {
  return (leaf ? kDeadEndPenalty : 0.0f) - (branchLength + edgeLength) + kDirectionWeight * direction;
}

// One candidate's look-ahead, resumable.
struct BranchSearch {
  std::vector<uint32_t> stack;  // copy indices found but not yet expanded: [1, top)
  size_t top = 1;
  std::vector<float> lengths;   // room for the lengths one block can find
  float length = 0.0f;
  bool leaf = false;
  float edgeLength = 0.0f;
  float direction = 0.0f;
  float bound = 0.0f;  // the score of what is found so far: never below the final score, equal once done
};

struct BranchRace {
  std::array<BranchSearch, kMaxRacers> searches;
  // Per candidate, per node of the copy: the number of the last decision
  // whose search for that candidate found the node.
  std::array<std::vector<uint16_t>, kMaxRacers> found;
  uint16_t decision = 0;
};

// Readies the race for a new copy of nodeCount nodes.
void ResetBranchRace(BranchRace& race, size_t nodeCount);

// The position, in the node's record, of the free edge with the highest
// score among the free edges of the copy's node `node` (at least 2, and
// RaceTakes), with directions[i] the direction score of the i-th; -1 when
// none scores above kNoCandidateScore.
int32_t RaceBranches(const FreeEdgeCopy& copy, uint32_t node, const float* directions, BranchRace& race);
