// Tour section: systems of N equations. Every common point of a sphere, a cylinder and a
// plane, found in a box by the N-variable system solver, each checked by its residuals; then
// the same system with the plane moved until it touches the cylinder (double solutions), and
// the cost of the written sampling against the whole-system sampling on request.
#include <cmath>
#include <cstdio>

#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathIntervalND.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystem.h"
#include "XelTolerance.h"
#include "tour_sections.h"

namespace {

// Sphere (x - 0.2)^2 + y^2 + z^2 = 4, cylinder x^2 + y^2 = 1 about the z axis, plane
// y = 0.4 x + b. The solver asks only for the values: its Jacobians are centred differences
// unless a system overrides EvalJacobian.
class SphereCylinderPlane : public XelMathSystem {
public:
  SphereCylinderPlane(const double iB, const XelTolerance& iTol) : XelMathSystem(3, iTol), _b(iB) {}
  using XelMathSystem::Eval;
  void Eval(const double* p, double* oF) const override {
    ++calls;
    const double x = p[0], y = p[1], z = p[2];
    oF[0] = (x - 0.2) * (x - 0.2) + y * y + z * z - 4.0;
    oF[1] = x * x + y * y - 1.0;
    oF[2] = y - 0.4 * x - _b;
  }
  mutable long calls = 0;

private:
  double _b;
};

XelMathIntervalND Box() {
  XelMathIntervalND box(3);
  for (long k = 0; k < 3; ++k) {
    box.SetMin(k, -2.5);
    box.SetMax(k, 2.5);
  }
  return box;
}

void SolveAndPrint(const double iB) {
  SphereCylinderPlane system(iB, XelGetDefaultTolerance());
  const XelMathIntervalND box = Box();
  XelMathSetOfPointsND solutions(3);
  // 0 when the search completed (4 for an empty box, 10 when it stopped after more than 500
  // solutions).
  const int status = system.Solve(box, solutions);
  std::printf("plane y = 0.4 x %+.6f: status %d, %ld solutions\n", iB, status,
              solutions.GetNumberOfPoints());
  for (long i = 0; i < solutions.GetNumberOfPoints(); ++i) {
    const double* p = solutions.GetPoints() + 3 * i;
    const double x = p[0], y = p[1], z = p[2];
    // Residuals from the equations written out, not from the solver's system.
    const double rs = (x - 0.2) * (x - 0.2) + y * y + z * z - 4.0;
    const double rc = x * x + y * y - 1.0;
    const double rp = y - 0.4 * x - iB;
    std::printf("  (%+.10f, %+.10f, %+.10f)  residuals %9.2e %9.2e %9.2e\n", x, y, z, rs, rc, rp);
  }
}

} // namespace

void TourSystemsN() {
  std::printf("\n== Systems of N equations ==\n");
  // The plane cuts the cylinder along two lines, each meeting the sphere twice: 4 points.
  SolveAndPrint(0.1);
  // The plane touches the cylinder (its distance to the axis is 1): two double solutions,
  // each reported once.
  SolveAndPrint(std::sqrt(1.16));
  // By default equation 0 alone is sampled on the grid, the others at the corners of the cells
  // it keeps; "WholeSystemSampling" evaluates the whole system once per node, for systems whose
  // equations cost no less one by one than together.
  XelMathAttrString whole(AttrSystemWholeSystemSampling, 1);
  XelMathAttrList options;
  options.AddAttribute(&whole);
  const XelMathAttrList* runs[2] = {nullptr, &options};
  const char* names[2] = {"written sampling", "WholeSystemSampling"};
  for (int k = 0; k < 2; ++k) {
    SphereCylinderPlane system(0.1, XelGetDefaultTolerance());
    XelMathSetOfPointsND solutions(3);
    const int status = system.Solve(Box(), solutions, runs[k]);
    std::printf("%-20s status %d, %ld solutions, %ld evaluations of the system\n", names[k],
                status, solutions.GetNumberOfPoints(), system.calls);
  }
}
