// The checkers of caller-written implicit systems and relations: correct classes (exact
// derivatives written here, or the base class's differences) pass; a class with one deliberate
// mistake is caught with the code of that mistake and its trace line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "XelMathCheckImplicitSystem.h"
#include "XelMathCheckRelation.h"
#include "XelMathImplicitSystem.h"
#include "XelMathMxNFullMatrix.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathRelation.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;

enum Fault {
  None,
  D1,
  ConstraintD1,
  Hessian,
  MultiValue,
  MultiJacobian,
  ConstraintValue,
  TangentSign,
  TangentNull,
  Overrun,
  Exterior,
  NotLinear
};
struct Case {
  Fault fault;
  long code;
  const char* report; // after "***** Erreur de <checker>::"
};

// The code of a check, and the trace line it wrote (none when it passed).
template <class Check> void ExpectCaught(const Case& c, const char* iChecker, Check iCheck) {
  CaptureTrace err(XelQuorOutput::GetErr());
  EXPECT_EQ(iCheck(), c.code) << c.fault;
  const std::string line = c.code ? "***** Erreur de " + std::string(iChecker) + c.report : "";
  EXPECT_EQ(err.Text().rfind(line, 0), 0u) << err.Text();
}

// x^2 + y^2 + z^2 - 1 and x - y z, constraint 1 - x^2, every derivative exact; one broken.
class SphereCut : public XelMathImplicitSystem {
public:
  explicit SphereCut(Fault f) : XelMathImplicitSystem(nullptr, 3, DefaultTol()), _f(f) {}
  using XelMathImplicitSystem::Eval;
  using XelMathImplicitSystem::EvalConstraint;
  void Eval(const double* X, double* F) const override {
    F[0] = X[0] * X[0] + X[1] * X[1] + X[2] * X[2] - 1;
    F[1] = X[0] - X[1] * X[2];
    if (_f == Overrun)
      F[2] = 0.0;
  }
  void EvalJacobian(const double* X, XelMathNxNFullMatrix* oJ) const override {
    double* J = oJ->GetFullMatrixCoef();
    const double j[6] = {2 * X[0], 2 * X[1], 2 * X[2], 1, -X[2], -X[1] + (_f == D1 ? 0.3 : 0)};
    for (int k = 0; k < 6; ++k)
      J[k] = j[k];
  }
  void Eval(const double* X, double* F, XelMathNxNFullMatrix* oJ) const override {
    XelMathImplicitSystem::Eval(X, F, oJ);
    F[1] += _f == MultiValue ? 1e-6 : 0.0;
    oJ->GetFullMatrixCoef()[3] += _f == MultiJacobian ? 1e-6 : 0.0;
  }
  void EvalConstraint(const double* X, double& g) const override { g = 1 - X[0] * X[0]; }
  void EvalConstraintJacobian(const double* X, double* G) const override {
    G[0] = -2 * X[0] * (_f == ConstraintD1 ? 2 : 1);
    G[1] = G[2] = 0.0;
  }
  void EvalConstraint(const double* X, double& g, double* G) const override {
    XelMathImplicitSystem::EvalConstraint(X, g, G);
    g += _f == ConstraintValue ? 1e-6 : 0.0;
  }
  void EvalHessian(const double*, const long i, double* H) override {
    const double h[2][9] = {{2, 0, 0, 0, 2, 0, 0, 0, 2}, {0, 0, 0, 0, 0, -1, 0, -1, 0}};
    for (int k = 0; k < 9; ++k)
      H[k] = h[i][k];
    H[0] += _f == Hessian ? 0.1 : 0.0;
  }
  int EvalTangent(const double* X, double* T) override {
    const int found = XelMathImplicitSystem::EvalTangent(X, T);
    for (int k = 0; k < 3; ++k)
      T[k] *= _f == TangentSign ? -1.0 : 1.0;
    return _f == TangentNull ? 0 : found;
  }

private:
  Fault _f;
};

// Five unknowns on the base class's differences (its tangent by determinants) pass.
class Chain5 : public XelMathImplicitSystem {
public:
  Chain5() : XelMathImplicitSystem(nullptr, 5, DefaultTol()) {}
  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* F) const override {
    for (int i = 0; i < 4; ++i)
      F[i] = std::sin(X[i]) + X[i + 1] * X[i + 1] * (i + 1) - 0.5;
  }
};

TEST(SelfChecksImplicitSystem, CorrectSystemsPassAndEachMistakeIsReported) {
  const long live = LiveBlocks();
  const double x[3] = {0.3, -0.6, 0.8}, x5[5] = {0.2, -0.4, 0.7, 0.1, -0.9};
  const Case cases[] = {
      {None, 0, ""},
      {D1, 10, "CheckJacobian : first derivative of equation 1 variable 2"},
      {ConstraintD1, 11, "CheckJacobian : constraint gradient variable 0"},
      {Hessian, 20, "CheckJacobian : second derivative of equation 0 variable 0 variable 0"},
      {MultiValue, 30, "CheckMultiEval : value of equation 1"},
      {MultiJacobian, 31, "CheckMultiEval : Jacobian entry of equation 1 variable 0"},
      {ConstraintValue, 32, "CheckMultiEval : constraint value"},
      {TangentSign, 34, "CheckMultiEval : tangent direction variable 0"},
      {TangentNull, 35, "CheckMultiEval : tangent said null"},
      {Overrun, 36, "CheckMultiEval : value past the equations of equation 2"},
  };
  for (const auto& c : cases) {
    SphereCut s(c.fault);
    ExpectCaught(c, "CheckImplicitSystem::", [&] {
      return XelMathCheckImplicitSystem(&s, 1e-10).CheckAll(x);
    });
  }
  { // Where the rows are dependent (a singular point) the tangent is not judged.
    SphereCut s(TangentNull);
    const double singular[3] = {1.0, 0.0, 0.0};
    EXPECT_EQ(XelMathCheckImplicitSystem(&s, 1e-10).CheckMultiEval(singular), 0);
    Chain5 s5;
    EXPECT_EQ(XelMathCheckImplicitSystem(&s5, 1e-10).CheckAll(x5), 0);
  }
  EXPECT_EQ(LiveBlocks(), live);
}

// x - 2 cos t, y - 2 sin t (t exterior) with its exact Jacobian, or the line x + y - 1 (no
// exterior variable) said linear; one operation broken.
class CircleRelation : public XelMathRelation {
public:
  CircleRelation(Fault f, bool line = false) : _f(f), _line(line) {}
  using XelMathRelation::Eval;
  long GetDimension() const override { return 2; }
  long GetExteriorDimension() const override { return _f == Exterior ? -1 : (_line ? 0 : 1); }
  bool IsLinear() const override { return _line || _f == NotLinear; }
  void Eval(const double* x, const double* z, double* F) const override {
    if (_line) {
      F[0] = x[0] + x[1] - 1;
      return;
    }
    F[0] = x[0] - 2 * std::cos(z[0]);
    F[1] = x[1] - 2 * std::sin(z[0]);
    if (_f == Overrun)
      F[2] = 0.0;
  }
  void EvalJacobian(const double* x, const double* z, XelMathMxNFullMatrix& J) const override {
    if (_line)
      return XelMathRelation::EvalJacobian(x, z, J);
    const double j[6] = {1,
                         0,
                         2 * std::sin(z[0]),
                         0,
                         1 + (_f == D1 ? 1e-3 : 0),
                         -2 * std::cos(z[0]) * (_f == ConstraintD1 ? 1.01 : 1)};
    for (int k = 0; k < 6; ++k)
      J.GetFullMatrixCoef()[k] = j[k];
  }
  void Eval(const double* x, const double* z, double* F, XelMathMxNFullMatrix& J) const override {
    XelMathRelation::Eval(x, z, F, J);
    F[0] += _f == MultiValue ? 1e-6 : 0.0;
    if (_f == MultiJacobian)
      J.GetFullMatrixCoef()[2] += 1e-6;
  }

private:
  Fault _f;
  bool _line;
};

TEST(SelfChecksRelation, CorrectRelationsPassAndEachMistakeIsReported) {
  const long live = LiveBlocks();
  const double x[2] = {1.2, -0.7}, z[1] = {0.4};
  const Case cases[] = {
      {None, 0, ""},
      {D1, 10, "CheckJacobian : first derivative of equation 1 variable 1"},
      {ConstraintD1, 11, "CheckJacobian : exterior derivative of equation 1 variable 0"},
      {MultiValue, 30, "CheckMultiEval : residual of equation 0"},
      {MultiJacobian, 31, "CheckMultiEval : Jacobian entry of equation 0 variable 2"},
      {NotLinear, 32, "CheckMultiEval : residual of a linear relation of equation 0"},
      {Overrun, 33, "CheckMultiEval : residual past the relation of equation 2"},
  };
  for (const auto& c : cases) {
    const CircleRelation r(c.fault);
    ExpectCaught(c,
                 "CheckRelation::", [&] { return XelMathCheckRelation(&r, 1e-10).CheckAll(x, z); });
  }
  // A truly linear relation without exterior variables (z null) passes; impossible counts raise.
  const CircleRelation line(None, true), bad(Exterior);
  EXPECT_EQ(XelMathCheckRelation(&line, 1e-10).CheckAll(x, nullptr), 0);
  ExpectInputError([&] { XelMathCheckRelation(&bad, 1e-10).CheckJacobian(x, z); }, 0x20006);
  EXPECT_EQ(LiveBlocks(), live);
}

} // namespace
