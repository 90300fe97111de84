// Relation sets: solutions against closed forms, the default Jacobian against hand
// derivatives, the index tables of the assembled system, boolean constraints and misuse.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "XelError.h"
#include "XelMathBooleanConstraint.h"
#include "XelMathBooleanConstraintData.h"
#include "XelMathIntervalND.h"
#include "XelMathMxNFullMatrix.h"
#include "XelMathRelation.h"
#include "XelMathRelationSolver.h"
#include "XelMathRelationSystem.h"
#include "XelMathSetOfPointsND.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {
using Fn = std::function<void(const double*, const double*, double*)>;

// A relation given by its residuals (Jacobian by the default) and an exterior box [lo, hi].
class FnRelation : public XelMathRelation {
public:
  FnRelation(long n, long e, Fn f, double lo = -1.0, double hi = 1.0)
      : _n(n), _e(e), _f(std::move(f)), _lo(lo), _hi(hi) {}
  using XelMathRelation::Eval;
  long GetDimension() const override { return _n; }
  long GetExteriorDimension() const override { return _e; }
  XelMathInterval GetExteriorDomain(long) const override { return XelMathInterval(_lo, _hi); }
  void Eval(const double* x, const double* z, double* oF) const override { _f(x, z, oF); }

private:
  long _n, _e;
  Fn _f;
  double _lo, _hi;
};

// x = 2 cos t, y = 2 sin t (t exterior); the line x + y = 1; the parabola x = s, y = s^2;
// the line x = 1 - w, y = w.
FnRelation Circle() {
  return FnRelation(
      2, 1,
      [](const double* x, const double* z, double* f) {
        f[0] = x[0] - 2.0 * std::cos(z[0]);
        f[1] = x[1] - 2.0 * std::sin(z[0]);
      },
      -3.14159, 3.14159);
}
FnRelation Line() {
  return FnRelation(2, 0,
                    [](const double* x, const double*, double* f) { f[0] = x[0] + x[1] - 1.0; });
}
FnRelation Parabola() {
  return FnRelation(
      2, 1,
      [](const double* x, const double* z, double* f) {
        f[0] = x[0] - z[0];
        f[1] = x[1] - z[0] * z[0];
      },
      -2.0, 2.0);
}
FnRelation LineParam() {
  return FnRelation(
      2, 1,
      [](const double* x, const double* z, double* f) {
        f[0] = x[0] - 1.0 + z[0];
        f[1] = x[1] - z[0];
      },
      -2.0, 3.0);
}

class AboveZero : public XelMathBooleanConstraint { // keeps solutions with t > 0
public:
  explicit AboveZero(const XelMathRelation* r) : _r(r) {}
  long GetRelationNb() const override { return 1; }
  const XelMathRelation* GetRelation(long) const override { return _r; }
  bool IsSatisfied(const double* v) const override { return v[0] > 0.0; }

private:
  const XelMathRelation* _r;
};

std::vector<std::vector<double>> Points(const XelMathSetOfPointsND& s) {
  std::vector<std::vector<double>> p;
  for (long i = 0; i < s.GetNumberOfPoints(); ++i)
    p.emplace_back(s.GetPoints() + i * s.GetDimension(),
                   s.GetPoints() + (i + 1) * s.GetDimension());
  return p;
}

void ExpectSame(std::vector<std::vector<double>> found, std::vector<std::vector<double>> want) {
  ASSERT_EQ(found.size(), want.size());
  for (const auto& w : want) {
    bool hit = false;
    for (const auto& f : found) {
      double d = 0.0;
      for (std::size_t k = 0; k < w.size(); ++k)
        d = std::max(d, std::fabs(f[k] - w[k]));
      hit = hit || d < 1e-6;
    }
    EXPECT_TRUE(hit) << w[0] << ", " << w[1];
  }
}
} // namespace

TEST(Relations, SquareSetsMatchClosedForms) {
  const long before = LiveBlocks();
  {
    const double r7 = std::sqrt(7.0), r5 = std::sqrt(5.0);
    auto circlePoint = [](double x) { return std::vector<double>{x, 1 - x, std::atan2(1 - x, x)}; };
    const double a = (-1 + r5) / 2, b = (-1 - r5) / 2;
    FnRelation circle = Circle(), line = Line(), parabola = Parabola(), lineParam = LineParam();
    AboveZero upper(&circle);
    struct Case {
      std::vector<const XelMathRelation*> relations;
      bool constrained, defaultDomain;
      double lastExteriorLow; // low end of the last exterior variable's default domain
      std::vector<std::vector<double>> want;
    } cases[] = {
        {{&circle, &line},
         false,
         true,
         -3.14159,
         {circlePoint((1 + r7) / 2), circlePoint((1 - r7) / 2)}},
        {{&line, &circle}, true, false, -3.14159, {circlePoint((1 - r7) / 2)}},
        {{&parabola, &lineParam}, false, true, -2.0, {{a, a * a, a, a * a}, {b, b * b, b, b * b}}},
    };
    for (const Case& c : cases) {
      XelMathRelationSolver solver(2);
      for (const XelMathRelation* r : c.relations) {
        EXPECT_EQ(solver.AddRelation(r), 1);
      }
      if (c.constrained) {
        EXPECT_EQ(solver.AddBooleanConstraint(&upper), 1);
      }
      const long N = 2 + solver.GetExteriorDimension();
      XelMathIntervalND box(N);
      ASSERT_EQ(solver.GetDomain(box), 1);
      EXPECT_EQ(box.GetMax(0), 100000.0);
      EXPECT_EQ(box.GetMin(N - 1), c.lastExteriorLow);
      for (long k = 0; k < 2 && !c.defaultDomain; ++k)
        box.SetInterval(k, XelMathInterval(-3.0, 3.0));
      XelMathSetOfPointsND out(N);
      EXPECT_EQ(solver.Solve(c.defaultDomain ? nullptr : &box, out, DefaultTol()), 0);
      ExpectSame(Points(out), c.want);
    }
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(Relations, JacobiansAndIndexTables) {
  // Default relation Jacobian against the hand derivative of the parabola and circle, then
  // the assembled system's Jacobian of {parabola, line-param} against its hand form.
  FnRelation circle = Circle(), parabola = Parabola(), lineParam = LineParam();
  const double x[2] = {0.3, -0.7}, z[1] = {0.9};
  XelMathMxNFullMatrix J(2, 3);
  circle.EvalJacobian(x, z, J);
  const double circleJ[6] = {1, 0, 2 * std::sin(0.9), 0, 1, -2 * std::cos(0.9)};
  for (long k = 0; k < 6; ++k)
    EXPECT_NEAR(J.GetCoef(k), circleJ[k], 1e-8) << k;
  const XelMathRelation* set[2] = {&parabola, &lineParam};
  XelMathRelationSystem sys(set, 2, 2, nullptr, nullptr, 0, DefaultTol());
  const double u[4] = {0.3, -0.7, 0.9, 0.4};
  double SJ[16], f[4];
  sys.Eval(u, f, SJ);
  const double want[16] = {1, 0, -1, 0, 0, 1, -1.8, 0, 1, 0, 0, 1, 0, 1, 0, -1};
  for (long k = 0; k < 16; ++k)
    EXPECT_NEAR(SJ[k], want[k], 1e-8) << k;
  EXPECT_DOUBLE_EQ(f[3], -0.7 - 0.4);
  double g[4];
  sys.EvalFirstDerivEquation(1, u, g);
  for (long k = 0; k < 4; ++k)
    EXPECT_NEAR(g[k], want[4 + k], 1e-8) << k;
  EXPECT_DOUBLE_EQ(sys.EvalEquation(1, u), -0.7 - 0.81);

  // Exterior dimensions 2, 0, 1 over n = 3: places 3, 4 | - | 5; equations (0,0) (0,1)
  // (0,2) (1,0) (2,0) (2,1); AddRelation reports (index, exterior before).
  FnRelation r0(3, 2, nullptr), r1(3, 0, nullptr), r2(3, 1, nullptr), wrong(2, 0, nullptr);
  XelMathRelationSolver solver(3);
  long range[2];
  const long ranges[3][2] = {{0, 0}, {1, 2}, {2, 2}};
  const XelMathRelation* rs[3] = {&r0, &r1, &r2};
  for (long k = 0; k < 3; ++k) {
    solver.AddRelation(rs[k], range);
    EXPECT_EQ(range[0], ranges[k][0]);
    EXPECT_EQ(range[1], ranges[k][1]);
  }
  EXPECT_EQ(solver.AddRelation(&wrong, range), 0);
  EXPECT_EQ(range[0], -1);
  EXPECT_TRUE(solver.IsSquare());
  XelMathRelationSystem s3(rs, 3, 3, nullptr, nullptr, 0, DefaultTol());
  EXPECT_EQ(s3.GetExteriorPlace(0, 1), 4);
  EXPECT_EQ(s3.GetExteriorPlace(2, 0), 5);
  const long rel[6] = {0, 0, 0, 1, 2, 2}, comp[6] = {0, 1, 2, 0, 0, 1};
  for (long i = 0; i < 6; ++i) {
    EXPECT_EQ(s3.GetEquationRelation(i), rel[i]);
    EXPECT_EQ(s3.GetEquationComponent(i), comp[i]);
  }
  // A constraint on r2's variable sits at place 5; one on an unknown relation is refused.
  AboveZero onR2(&r2), onWrong(&wrong), onR1(&r1);
  EXPECT_EQ(solver.AddBooleanConstraint(&onR2, range), 1);
  EXPECT_EQ(solver.GetBooleanConstraintData(0)->GetExtVarPlace(0), 5);
  for (const XelMathBooleanConstraint* c : {static_cast<XelMathBooleanConstraint*>(&onWrong),
                                            static_cast<XelMathBooleanConstraint*>(&onR1)}) {
    EXPECT_EQ(solver.AddBooleanConstraint(c, range), 0);
    EXPECT_EQ(range[1], -1);
  }
}

TEST(Relations, Misuse) {
  const long before = LiveBlocks();
  {
    FnRelation circle = Circle(), line = Line();
    XelMathRelationSolver solver(2);
    solver.AddRelation(&circle);
    XelMathSetOfPointsND out(3);
    EXPECT_EQ(solver.Solve(nullptr, out, DefaultTol()), 10); // not square
    const long nulls = XelQuornullCount();
    EXPECT_EQ(solver.AddRelation(nullptr), 0);
    EXPECT_EQ(XelQuornullCount(), nulls + 1);
    ExpectInputError([&] { solver.GetRelation(1); }, 0x20007, {"Wrong Index"});
    ExpectInputError([] { XelMathRelationSolver bad(0); }, 0x20006);
    const XelMathRelation* set[2] = {&circle, &line};
    ExpectInputError([&] { XelMathRelationSystem s(set, 2, 2, nullptr, nullptr, 0, DefaultTol()); },
                     0x20006, {"the XelMathRelationSystem", "Dimension not valid"});
    ExpectInputError([&] { XelMathRelationSystem s(set, 1, 1, nullptr, nullptr, 0, DefaultTol()); },
                     0x20006);
    XelMathMxNFullMatrix J(3, 3);
    const double x[2] = {0, 0}, z[1] = {0};
    ExpectInputError([&] { circle.EvalJacobian(x, z, J); }, 0x20006,
                     {"the XelMathMxNFullMatrix", "wrong dimension"});
    solver.AddRelation(&line);
    XelMathSetOfPointsND wrongSet(2);
    ExpectInputError([&] { solver.Solve(nullptr, wrongSet, DefaultTol()); }, 0x20006);
  }
  EXPECT_EQ(LiveBlocks(), before);
}
