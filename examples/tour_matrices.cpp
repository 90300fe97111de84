// Tour section: least squares with an exactly satisfied constraint, and an SVD with its
// numerical rank.
#include <cstdio>

#include "XelMathInputError.h"
#include "XelMathMxNMatrix.h"
#include "XelMathNxNFullSymMatrix.h"
#include "tour_sections.h"

void TourMatrices() {
  std::printf("\n== Matrices ==\n");
  // A parabola y = c0 + c1 t + c2 t^2 fitted to six measures, forced through (0, 1): the row
  // whose flag is 0 is satisfied exactly, the others are fitted in the least-squares sense.
  const double t[6] = {0.0, 0.5, 1.0, 1.5, 2.0, 2.5};
  const double y[6] = {1.0, 1.30, 2.05, 3.10, 4.90, 7.20};
  XelMathMxNMatrix design(6, 3);
  for (long i = 0; i < 6; ++i) {
    design.SetCoef(i, 0, 1.0);
    design.SetCoef(i, 1, t[i]);
    design.SetCoef(i, 2, t[i] * t[i]);
  }
  const long flags[6] = {0, 1, 1, 1, 1, 1};
  double c[3];
  design.Solve(y, c, flags, 1);
  std::printf("fit through (0, 1): y = %.4f %+.4f t %+.4f t^2 (value at 0: %.15g)\n", c[0], c[1],
              c[2], c[0]);
  double free[3];
  design.Solve(y, free, 1);
  std::printf("unconstrained fit:  y = %.4f %+.4f t %+.4f t^2 (value at 0: %.4f)\n", free[0],
              free[1], free[2], free[0]);

  // A 4 x 3 matrix whose third column is the sum of the first two: rank 2. The QR solve
  // refuses it; the singular values tell the rank.
  const double a[12] = {1, 2, 3, 4, 0, 4, 2, 1, 3, 0, 5, 5};
  XelMathMxNMatrix deficient(4, 3, a);
  XelMathMxNMatrix u, v;
  double w[3];
  const int status = deficient.SVD(u, w, v);
  long rank = 0;
  for (double s : w)
    rank += s > 1e-12 * w[0] ? 1 : 0;
  std::printf("SVD status %d, singular values %.6g %.6g %.3g: rank %ld\n", status, w[0], w[1], w[2],
              rank);
  try {
    double x[3];
    const double b[4] = {1, 2, 3, 4};
    deficient.Solve(b, x, 1);
  } catch (const XelMathInputError& error) {
    std::printf("least squares on it: %s, %s\n", error.GetParameter(0), error.GetParameter(1));
  }

  // A symmetric indefinite system needs a 2 x 2 pivot: [[0, 1], [1, 0]] x = (2, 3).
  XelMathNxNFullSymMatrix swap(2);
  swap.SetCoef(1, 0, 1.0);
  double rhs[2] = {2.0, 3.0};
  const int symStatus = swap.Solve(rhs, 1);
  std::printf("[[0, 1], [1, 0]] x = (2, 3): status %d, x = (%g, %g)\n", symStatus, rhs[0], rhs[1]);
}
