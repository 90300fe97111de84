// Uses the installed headers and libraries: the root of x^2 - 2 on [0, 2]. Exits 0 only when
// the root is sqrt(2).
#include <cmath>
#include <cstdio>

#include "XelAdvancedMathematics.h"

int main() {
  const double c[3] = {-2.0, 0.0, 1.0};
  XelMathPolynomX p(2, c);
  XelMathSetOfPointsND roots(1);
  const int status = p.Solve(XelMathInterval(0.0, 2.0), roots, nullptr);
  if (status != 0 || roots.GetNumberOfPoints() != 1) {
    std::printf("status %d, %ld roots instead of one\n", status, roots.GetNumberOfPoints());
    return 1;
  }
  const double root = roots.GetPoints()[0];
  std::printf("root of x^2 - 2 on [0, 2]: %.15f\n", root);
  return std::fabs(root - std::sqrt(2.0)) < 1e-12 ? 0 : 1;
}
