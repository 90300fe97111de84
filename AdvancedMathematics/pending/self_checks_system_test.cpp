// The checker of N-equation systems: a correct system passes, one with a deliberate mistake is
// caught with its code and reported on the error trace stream.
#include <gtest/gtest.h>

#include <string>

#include "XelMathCheckSystem.h"
#include "XelMathIntervalND.h"
#include "XelMathSystem.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;
enum Fault { None, ValuesOnly, Jacobian, Equation, Grid };

// x0^2 + x1^2 + x2^2 - 1, x0 - x1, x1 x2 - 0.1 with the exact Jacobian; one operation broken.
class Sphere3 : public XelMathSystem {
public:
  explicit Sphere3(Fault f) : XelMathSystem(3, DefaultTol()), _fault(f) {}
  using XelMathSystem::Eval;
  using XelMathSystem::EvalEquation;
  void Eval(const double* x, double* f) const override {
    f[0] = x[0] * x[0] + x[1] * x[1] + x[2] * x[2] - 1;
    f[1] = x[0] - x[1];
    f[2] = x[1] * x[2] - 0.1;
  }
  void EvalJacobian(const double* x, double* J) const override {
    if (_fault == ValuesOnly)
      return XelMathSystem::EvalJacobian(x, J);
    const double j[9] = {2 * x[0], 2 * x[1], 2 * x[2], 1, -1, 0, 0, x[2], x[1]};
    for (int k = 0; k < 9; ++k)
      J[k] = j[k];
    J[7] += _fault == Jacobian ? 0.5 : 0.0;
  }
  double EvalEquation(const long i, const double* x) const override {
    return XelMathSystem::EvalEquation(i, x) + (_fault == Equation && i == 2 ? 1e-6 : 0.0);
  }
  void EvalEquation(const long i, const XelMathIntervalND& b, const long* n, double* v,
                    double* g) const override {
    XelMathSystem::EvalEquation(i, b, n, v, g);
    v[1] += _fault == Grid ? 1e-3 : 0.0;
  }

private:
  Fault _fault;
};

TEST(SelfChecksSystem, CorrectSystemsPassAndEachMistakeIsReported) {
  const long live = LiveBlocks();
  const double x[3] = {0.3, -0.6, 0.8}, bounds[6] = {-1, 1, -1, 1, 0, 1};
  const XelMathIntervalND box(3, bounds);
  const struct {
    Fault fault;
    long code;
    const char* report;
  } cases[] = {{None, 0, ""},
               {ValuesOnly, 0, ""},
               {Jacobian, 10,
                "***** Erreur de CheckSystem::CheckJacobian : first derivative of "
                "equation 2 variable 1"},
               {Equation, 32,
                "***** Erreur de CheckSystem::CheckMultiEval : EvalEquation of "
                "equation 2"},
               {Grid, 40, "***** Erreur de CheckSystem::CheckGridEval : value of equation 0"}};
  for (const auto& c : cases) {
    const Sphere3 s(c.fault);
    CaptureTrace err(XelQuorOutput::GetErr());
    EXPECT_EQ(XelMathCheckSystem(&s, 1e-10).CheckAll(x, box, 4), c.code) << c.fault;
    EXPECT_EQ(err.Text().rfind(c.report, 0), 0u) << err.Text();
  }
  EXPECT_EQ(LiveBlocks(), live);
}

} // namespace
