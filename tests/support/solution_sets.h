// Comparison of the solution points of a two-variable system with reference solutions.
#pragma once

#include <vector>

class XelMathSetOfPointsND;

namespace xeltest {

struct Pt2 {
  double x, y;
};

// The points of a set of dimension 2, in set order.
std::vector<Pt2> PointsOf2D(const XelMathSetOfPointsND& iSet);

// Every found point is finite and lies within (iTolX, iTolY) of a reference point, and every
// reference point is matched by exactly one found point: nothing missed, nothing twice,
// nothing spurious (non-fatal failures naming the offending points).
void ExpectSameSolutions(const std::vector<Pt2>& iFound, const std::vector<Pt2>& iTrue,
                         double iTolX, double iTolY);

} // namespace xeltest
