// Tour section: checking a relation written by the caller (one line, after the self-checks).
#include <cmath>
#include <cstdio>
#include <sstream>

#include "XelMathCheckRelation.h"
#include "XelMathMxNFullMatrix.h"
#include "XelMathRelation.h"
#include "XelQuorOutput.h"
#include "tour_sections.h"


namespace {
// x - 2 cos t = 0, y - 2 sin t = 0; the derivative of the second residual in t forgets the 2.
class PointOnCircle : public XelMathRelation {
public:
  using XelMathRelation::Eval;
  long GetDimension() const override { return 2; }
  long GetExteriorDimension() const override { return 1; }
  void Eval(const double* x, const double* z, double* oF) const override {
    oF[0] = x[0] - 2.0 * std::cos(z[0]);
    oF[1] = x[1] - 2.0 * std::sin(z[0]);
  }
  void EvalJacobian(const double*, const double* z, XelMathMxNFullMatrix& oJ) const override {
    const double J[6] = {1.0, 0.0, 2.0 * std::sin(z[0]), 0.0, 1.0, -std::cos(z[0])};
    for (int k = 0; k < 6; ++k)
      oJ.GetFullMatrixCoef()[k] = J[k];
  }
};
} // namespace

void TourRelationCheck() {
  // The checker also writes its finding to the kernel's error trace stream, kept aside here.
  const PointOnCircle relation;
  const double x[2] = {1.0, 1.7}, t[1] = {1.0};
  std::ostringstream trace;
  XelQuorOutput::GetErr().Redirect(&trace);
  const long code = XelMathCheckRelation(&relation, 1e-10).CheckAll(x, t);
  XelQuorOutput::GetErr().Redirect(nullptr);
  std::printf("point on a circle relation: code %ld (11: a derivative in the exterior t)\n", code);
}
