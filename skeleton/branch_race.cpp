#include "skeleton/branch_race.h"

// The candidates' look-aheads race, and the race ends as soon as the winner
// is certain. It is the one that measuring every candidate to its end picks:
// - each look-ahead is the plain one (the same order of nodes, the same
//   float sum in that order, the same stroke-end test), only spread out;
// - lengths are not negative and float rounding is monotone, so a partial
//   sum only grows and the stroke-end flag only turns on: BranchScore of
//   what a search has found so far is never below its final score, operation
//   by operation, and equals it once the search is done;
// - candidates are ranked by that bound, the earlier first on equal bounds.
//   When the first ranked is done its score is exact and no other can beat
//   it: one with an equal bound comes later in order and would need a
//   strictly higher score, every other ends strictly below.
// Until then the two first ranked advance side by side, so that their
// memory reads overlap.

#include <cstddef>

namespace {

constexpr uint32_t kRaceBlock = 64;  // nodes each search expands before the ranking is looked at again

// A search's working state for one block, held in registers.
struct Cursor {
  uint32_t* stack;  // stack[0] is a sentinel, so that the slot below the top can always be read
  size_t top;
  uint32_t next;    // stack[top - 1]
  float* lengths;   // lengths of the edges that found a node, in order, not yet summed
  size_t lengthCount;
  uint32_t leaf;
  uint16_t* found;
};

// When the edge's other node is new to this search, the edge joins the
// spanning tree and the node is stacked. Written without branches on the
// outcome, which no predictor guesses.
inline void Discover(CopyEdge edge, uint16_t decision, Cursor& c) {
  const uint32_t fresh = c.found[edge.node] != decision ? 1u : 0u;
  c.found[edge.node] = decision;
  c.lengths[c.lengthCount] = edge.length;
  c.lengthCount += fresh;
  c.stack[c.top] = edge.node;
  c.top += fresh;
  c.next = fresh != 0 ? edge.node : c.next;
}

// A stroke end's one edge leads back to where it was found from: expanding
// it only notes the stroke end. Nearly every node has at most kUnrolled free
// edges; reading that many slots whatever the count (the rest lead to the
// placeholder) leaves no branch to mispredict.
constexpr uint32_t kUnrolled = 4;
template <uint32_t kShift>
inline void Expand(const CopyEdge* slots, uint16_t decision, Cursor& c) {
  const CopyEdge* record = slots + (static_cast<size_t>(c.next) << kShift);
  --c.top;
  c.next = c.stack[c.top - 1];
  const uint32_t head = record->node;
  c.leaf |= head >> 8;
  for (uint32_t k = 1; k <= kUnrolled; ++k) Discover(record[k], decision, c);
  const uint32_t count = head & kFreeCountMask;
  for (uint32_t k = kUnrolled + 1; k <= count; ++k) Discover(record[k], decision, c);
}

// Up to kRaceBlock nodes of each search, the two interleaved.
template <uint32_t kShift>
void AdvanceBoth(const CopyEdge* slots, uint16_t decision, Cursor& a, Cursor& b) {
  for (uint32_t step = 0; step < kRaceBlock && a.top != 1; ++step) {
    Expand<kShift>(slots, decision, a);
    if (b.top != 1) Expand<kShift>(slots, decision, b);
  }
}

Cursor Open(BranchSearch& search, std::vector<uint16_t>& found) {
  return Cursor{search.stack.data(), search.top,  search.stack[search.top - 1], search.lengths.data(), 0,
                search.leaf ? 1u : 0u, found.data()};
}

// The found lengths are added in the order they were found, as one search
// run to its end would add them.
void Close(const Cursor& c, BranchSearch& search) {
  search.top = c.top;
  search.leaf = c.leaf != 0;
  for (size_t i = 0; i < c.lengthCount; ++i) search.length += c.lengths[i];
  search.bound = BranchScore(search.leaf, search.length, search.edgeLength, search.direction);
}

// The far node is found first; the candidate's own edge is not followed
// from it (it leads back to the walk's node).
void StartSearch(const FreeEdgeCopy& copy, size_t candidateSlot, std::vector<uint16_t>& found, uint16_t decision,
                 BranchSearch& search) {
  const CopyEdge candidate = copy.slots[candidateSlot];
  // Every node enters a stack at most once, and a block finds fewer nodes than
  // its expanded records have slots.
  if (search.stack.size() < copy.nodes.size() + 1) search.stack.resize(copy.nodes.size() + 1);
  found[PlaceholderNode(copy)] = decision;
  const size_t lengthRoom = size_t{kRaceBlock} << kMaxRaceRecordShift;
  if (search.lengths.size() < lengthRoom) search.lengths.resize(lengthRoom);
  search.stack[0] = 0;
  search.top = 1;
  search.length = 0.0f;
  search.leaf = false;
  search.edgeLength = candidate.length;
  found[candidate.node] = decision;
  Cursor c = Open(search, found);
  const size_t far = RecordOf(copy, candidate.node);
  const uint32_t head = copy.slots[far].node;
  c.leaf = head >> 8;
  const int32_t candidateEdge = copy.slotEdge[candidateSlot];
  for (size_t slot = far + 1; slot <= far + (head & kFreeCountMask); ++slot) {
    if (copy.slotEdge[slot] != candidateEdge) Discover(copy.slots[slot], decision, c);
  }
  Close(c, search);
}

}  // namespace

void ResetBranchRace(BranchRace& race, size_t nodeCount) {
  for (std::vector<uint16_t>& found : race.found) found.assign(nodeCount + 1, 0);  // and the placeholder
  race.decision = 0;
}

int32_t RaceBranches(const FreeEdgeCopy& copy, uint32_t node, const float* directions, BranchRace& race) {
  const uint32_t count = FreeEdgeCount(copy, node);
  if (++race.decision == 0) {  // wrapped: old numbers could pass for new ones
    ResetBranchRace(race, copy.nodes.size());
    race.decision = 1;
  }
  const uint16_t decision = race.decision;
  for (uint32_t i = 0; i < count; ++i) {
    BranchSearch& search = race.searches[i];
    search.direction = directions[i];
    StartSearch(copy, RecordOf(copy, node) + 1 + i, race.found[i], decision, search);
  }

  const CopyEdge* slots = copy.slots.data();
  const uint32_t shift = copy.recordShift;  // 3, or 4 when a node has eight free edges
  for (;;) {
    int32_t leader = -1;
    int32_t runner = -1;
    for (int32_t i = 0; i < static_cast<int32_t>(count); ++i) {
      const float bound = race.searches[static_cast<size_t>(i)].bound;
      if (leader < 0 || bound > race.searches[static_cast<size_t>(leader)].bound) {
        runner = leader;
        leader = i;
      } else if (runner < 0 || bound > race.searches[static_cast<size_t>(runner)].bound) {
        runner = i;
      }
    }
    BranchSearch& first = race.searches[static_cast<size_t>(leader)];
    if (!(first.bound > kNoCandidateScore)) return -1;
    if (first.top == 1) return leader;

    BranchSearch& second = race.searches[static_cast<size_t>(runner)];
    Cursor a = Open(first, race.found[static_cast<size_t>(leader)]);
    Cursor b = Open(second, race.found[static_cast<size_t>(runner)]);
    if (shift == 3) {
      AdvanceBoth<3>(slots, decision, a, b);
    } else {
      AdvanceBoth<4>(slots, decision, a, b);
    }
    Close(a, first);
    Close(b, second);
  }
}
