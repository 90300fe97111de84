#include "solution_sets.h"

#include <gtest/gtest.h>

#include <cmath>

#include "XelMathSetOfPointsND.h"

namespace xeltest {

std::vector<Pt2> PointsOf2D(const XelMathSetOfPointsND& iSet) {
  std::vector<Pt2> pts;
  const double* p = iSet.GetPoints();
  for (long i = 0; i < iSet.GetNumberOfPoints(); ++i)
    pts.push_back({p[2 * i], p[2 * i + 1]});
  return pts;
}

void ExpectSameSolutions(const std::vector<Pt2>& iFound, const std::vector<Pt2>& iTrue,
                         double iTolX, double iTolY) {
  auto near = [&](const Pt2& a, const Pt2& b) {
    return std::fabs(a.x - b.x) <= iTolX && std::fabs(a.y - b.y) <= iTolY;
  };
  for (const Pt2& p : iFound) {
    bool known = false;
    for (const Pt2& t : iTrue)
      known = known || near(p, t);
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && known)
        << "spurious solution (" << p.x << ", " << p.y << ")";
  }
  for (const Pt2& t : iTrue) {
    int hits = 0;
    for (const Pt2& p : iFound)
      hits += near(p, t);
    EXPECT_EQ(hits, 1) << "solution (" << t.x << ", " << t.y << ") found " << hits << " times";
  }
  EXPECT_EQ(iFound.size(), iTrue.size());
}

} // namespace xeltest
