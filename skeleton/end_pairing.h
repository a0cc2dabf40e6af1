// The four ways to join two chains end to end, named once for the two places
// that join them: the simple extraction joining traces whose ends meet, and
// the merge of two chains the user chose.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "skeleton/points.h"

// In the order in which equally near ends are taken: the first wins.
enum class EndPairing : int32_t {
  kLastToFirst = 0,   // a's last point meets b's first
  kLastToLast = 1,    // a's last point meets b's last
  kFirstToFirst = 2,  // a's first point meets b's first
  kFirstToLast = 3,   // a's first point meets b's last
};

// Whether the pairing joins a at its first point, so a runs backwards into
// the seam, and whether it joins b at its last point, so b runs backwards
// out of it.
inline bool JoinsFirstOfA(EndPairing pairing) {
  return pairing == EndPairing::kFirstToFirst || pairing == EndPairing::kFirstToLast;
}
inline bool JoinsLastOfB(EndPairing pairing) {
  return pairing == EndPairing::kLastToLast || pairing == EndPairing::kFirstToLast;
}

// The distances between the ends each pairing joins, in pairing order (both
// runs non-empty): plain or squared.
std::array<float, 4> EndDistances(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b);
std::array<float, 4> SquaredEndDistances(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b);

// The pairing of the smallest of the four, the first of equal ones.
EndPairing NearestPairing(const std::array<float, 4>& distances);

// a's points then b's, each reversed where the pairing joins it at the other
// end, so the joined ends meet at the seam; no point is dropped.
std::vector<IntPoint> JoinAtEnds(const std::vector<IntPoint>& a, const std::vector<IntPoint>& b, EndPairing pairing);
