// The wrappers of two-variable functions: derivatives up to the third order against
// high-order finite differences of independently written values, interval images against
// dense samples, copies and owning variants, null components, scaled domains and the
// tolerance search.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrList.h"
#include "XelMathBasisFunctionXY.h"
#include "XelMathCombinationX.h"
#include "XelMathCombinationXY.h"
#include "XelMathCompositionXByXY.h"
#include "XelMathConstants.h"
#include "XelMathDerivFunctionXY.h"
#include "XelMathFunctionXYToX.h"
#include "XelMathInterval2D.h"
#include "XelMathOppositeXY.h"
#include "XelMathPolynomX.h"
#include "XelMathScaleFunctionXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"
#include "test_helpers.h"
#include "xy_helpers.h"

using namespace xeltest;

namespace {

const auto G = [](double x, double y) { return ClosedD(0, 0.0, 0, 0, x, y); };
#define XY(expr) [](double x, double y) { return (expr); }

// A caller's function known by its values only: sin(x / s) exp(y) (x in units of the scale s).
class ScaledBasis : public XelMathBasisFunctionXY {
public:
  ScaledBasis(const XelTolerance& iTol, double iS, long iPX, long iPY)
      : XelMathBasisFunctionXY(iTol, iPX, iPY), _s(iS) {}
  const char* IsA() const override { return "ScaledBasis"; }
  using XelMathFunctionXY::Eval;
  double Eval(const double& x, const double& y) const override {
    return std::sin(x / _s) * std::exp(y);
  }
  XelMathFunctionXY* Duplicate() const override { return new ScaledBasis(*this); }
  XelMathFunctionXY* DeepDuplicate() const override { return Duplicate(); }

private:
  double _s;
};

const auto Near = [](double v, double ref, double tol) {
  return std::fabs(v - ref) <= tol * (1 + std::fabs(ref));
};

} // namespace

TEST(WrappersXY, DerivativesImagesAndCopiesOfEveryWrapper) {
  const ClosedXY g;
  const XelMathScaleFunctionXY stretched(&g, 1.0, 2.0, 1.0);
  const XelMathFunctionXY* parts[2] = {&g, &stretched};
  const double c[2] = {2.0, -0.5};
  const XelMathCombinationXY comb(2, parts, c, 3.0);
  const XelMathOppositeXY opp(&g);
  const XelMathScaleFunctionXY scale(&g, 2.0, -1.5, 0.5);
  const XelMathDerivFunctionXY dx(&g, 0), dy(&g, 1);
  const ScaledBasis basis(DefaultTol(), 1.0, 1, 1);
  const struct {
    const XelMathFunctionXY* h;
    Fn2 ref; // independent value of h
    int t;   // row of relative tolerances by derivative order
  } rows[] = {{&comb, XY(2 * G(x, y) - 0.5 * G(2 * x, y) + 3), 0},
              {&opp, XY(-G(x, y)), 0},
              {&scale, XY(2 * G(-1.5 * x, 0.5 * y)), 0},
              {&dx, XY(ClosedD(0, 0, 1, 0, x, y)), 1},
              {&dy, XY(ClosedD(0, 0, 0, 1, x, y)), 1},
              {&basis, XY(std::sin(x) * std::exp(y)), 2}};
  const double tols[3][4] = {
      {1e-12, 1e-8, 1e-7, 2e-6}, {1e-12, 1e-8, 1e-7, 1e-4}, {1e-12, 1e-8, 1e-6, 1e-3}};
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> pick(-1.5, 1.5), width(0.01, 0.8);
  for (const auto& row : rows) {
    const XelMathFunctionXY& h = *row.h;
    for (int n = 0; n < 6; ++n) {
      const double x = pick(gen), y = pick(gen);
      double d[3][10];
      RoutesXY(h, x, y, d);
      for (int k = 0; k < 10; ++k) {
        const int a = kOrdersXY[k][0], b = kOrdersXY[k][1];
        const double ref = StencilXY(row.ref, a, b, x, y);
        for (int r = 0; r < 3; ++r)
          EXPECT_TRUE(Near(d[r][k], ref, tols[row.t][a + b]))
              << h.IsA() << " derivative " << k << " route " << r << " at " << x << ", " << y;
      }
      // Copies evaluate alike; the deep copy is the owning variant and leaves nothing behind.
      const long live = LiveBlocks();
      {
        std::unique_ptr<XelMathFunctionXY> dup(h.Duplicate()), deep(h.DeepDuplicate());
        EXPECT_EQ(dup->Eval(x, y), d[0][0]) << h.IsA();
        EXPECT_EQ(deep->Eval(x, y), d[0][0]) << h.IsA();
        if (&h != &basis) {
          EXPECT_EQ(std::string(deep->IsA()), std::string(h.IsA()) + "Del");
        }
      }
      EXPECT_EQ(LiveBlocks(), live) << h.IsA();
      const double a = pick(gen), b = pick(gen);
      ExpectImagesEncloseXY(h, XelMathInterval(a, a + width(gen)),
                            XelMathInterval(b, b + width(gen)));
    }
  }
  // The derivative of a combination is the combination of the derivatives.
  std::unique_ptr<XelMathFunctionXY> cdx(comb.CreateDerivX()), cdy(comb.CreateDerivY());
  for (int n = 0; n < 5; ++n) {
    const double x = pick(gen), y = pick(gen);
    EXPECT_TRUE(Near(cdx->Eval(x, y), comb.EvalFirstDerivX(x, y), 1e-12));
    EXPECT_TRUE(Near(cdx->EvalFirstDerivY(x, y), comb.EvalSecondDerivXY(x, y), 1e-12));
    EXPECT_TRUE(Near(cdy->EvalFirstDerivY(x, y), comb.EvalSecondDerivY2(x, y), 1e-12));
  }
}

TEST(WrappersXY, RestrictionsAndCompositionsAgreeWithDirectEvaluation) {
  const ClosedXY g;
  std::unique_ptr<XelMathPolynomX> u(Poly({0.2, 0, 1})), v(Poly({1, -1, 0, 0.5}));
  const XelMathFunctionXYToX atX(&g, 0.7, 0, DefaultTol()), atY(&g, -0.4, 1, DefaultTol());
  const XelMathCompositionXByXY comp(&g, u.get(), v.get(), DefaultTol());
  const struct {
    const XelMathFunctionX* h;
    Fn2 ref; // of t and an ignored second variable
  } rows[] = {{&atX, [](double t, double) { return G(0.7, t); }},
              {&atY, [](double t, double) { return G(t, -0.4); }},
              {&comp, [](double t, double) { return G(0.2 + t * t, 1 - t + 0.5 * t * t * t); }}};
  const double tol[4] = {1e-12, 1e-8, 1e-7, 2e-6};
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> pick(-1.2, 1.2), width(0.01, 0.6);
  for (const auto& row : rows)
    for (int n = 0; n < 8; ++n) {
      const double t = pick(gen);
      double m[3];
      row.h->Eval(t, 7, &m[0], &m[1], &m[2]);
      for (int k = 0; k <= 3; ++k) {
        const double got = DerivAt(*row.h, k, t);
        EXPECT_TRUE(Near(got, StencilXY(row.ref, k, 0, t, 0.0), tol[k])) << row.h->IsA() << k;
        EXPECT_TRUE(k == 3 || Near(m[k], got, 1e-9)) << row.h->IsA() << " multi-output " << k;
      }
      const double a = pick(gen);
      ExpectImagesEnclose(*row.h, XelMathInterval(a, a + width(gen)), 2, 1e-9);
    }
  EXPECT_TRUE(comp.IsATypeOf(92) && atX.IsATypeOf(95) && !comp.IsATypeOf(95));
}

TEST(WrappersXY, OwningVariantsDeleteTheirComponentsOnce) {
  const long live = LiveBlocks(), liveXY = gLiveXY;
  {
    XelMathFunctionXY* a = new ClosedXY;
    XelMathFunctionXY* fs[3] = {a, a, new ClosedXY};
    const double c[3] = {1, 2, 3};
    std::unique_ptr<XelMathFunctionXY> owners[] = {
        std::make_unique<XelMathCombinationXYDel>(3, fs, c, 1.0),
        std::make_unique<XelMathOppositeXYDel>(new ClosedXY),
        std::make_unique<XelMathScaleFunctionXYDel>(new ClosedXY, 1, 2, 3),
        std::make_unique<XelMathDerivFunctionXYDel>(new ClosedXY, 1)};
    XelMathFunctionX* p = Poly({1, 2});
    std::unique_ptr<XelMathFunctionX> ones[] = {
        std::make_unique<XelMathFunctionXYToXDel>(new ClosedXY, 0.5, 1, DefaultTol()),
        std::make_unique<XelMathCompositionXByXYDel>(new ClosedXY, p, p, DefaultTol())};
    std::unique_ptr<XelMathFunctionX> deep(ones[1]->DeepDuplicate());
    EXPECT_EQ(deep->Eval(0.3), ones[1]->Eval(0.3));
  }
  EXPECT_EQ(LiveBlocks(), live);
  EXPECT_EQ(gLiveXY, liveXY);
}

TEST(WrappersXY, NullComponentsGiveInfinity) {
  const ClosedXY g;
  const XelMathFunctionXY* withNull[2] = {&g, nullptr};
  const double c[2] = {1, 1};
  std::unique_ptr<XelMathPolynomX> u(Poly({0, 1}));
  const XelMathCombinationXY comb(2, withNull, c, 0.0);
  const XelMathOppositeXY opp(nullptr);
  const XelMathScaleFunctionXY scale(nullptr, 1, 1, 1);
  const XelMathDerivFunctionXY deriv(nullptr, 0);
  for (const XelMathFunctionXY* h :
       std::vector<const XelMathFunctionXY*>{&comb, &opp, &scale, &deriv}) {
    EXPECT_EQ(h->Eval(0.5, 0.5), XelMathInfinite) << h->IsA();
    EXPECT_EQ(h->EvalThirdDerivX2Y(0.5, 0.5), XelMathInfinite) << h->IsA();
    EXPECT_FALSE(h->IsOption(2)) << h->IsA();
  }
  const XelMathFunctionXYToX restriction(nullptr, 1.0, 0, DefaultTol());
  const XelMathCompositionXByXY comp(&g, u.get(), nullptr, DefaultTol());
  EXPECT_EQ(restriction.Eval(0.5), XelMathInfinite);
  EXPECT_EQ(comp.EvalSecondDeriv(0.5), XelMathInfinite);
  ExpectInputError([&] { XelMathDerivFunctionXY bad(&g, 2); }, 0x20007);
}

TEST(WrappersXY, NegativeScaleReversesTheScaledDomain) {
  const ClosedXY g;
  const XelMathScaleFunctionXY scale(&g, 3.0, -2.0, 4.0);
  XelMathInterval2D scaled;
  scale.ComputeScaledDomain(XelMathInterval2D(1, 2, 4, 8), scaled);
  EXPECT_DOUBLE_EQ(scaled.GetX().low, 2 / -2.0);
  EXPECT_DOUBLE_EQ(scaled.GetX().high, 1 / -2.0);
  EXPECT_DOUBLE_EQ(scaled.GetY().low, 1.0);
  EXPECT_DOUBLE_EQ(scaled.GetY().high, 2.0);
  XelMathSetOfPointsND roots(2), back(2);
  const double p[2] = {-0.75, 1.5};
  roots.AddPoint(p);
  scale.ComputeUnScaledRoots(roots, back);
  ASSERT_EQ(back.GetNumberOfPoints(), 1);
  EXPECT_DOUBLE_EQ(back.GetPoints()[0], 1.5);
  EXPECT_DOUBLE_EQ(back.GetPoints()[1], 6.0);
  EXPECT_DOUBLE_EQ(scale.Eval(p[0], p[1]), 3.0 * G(1.5, 6.0));
}

TEST(WrappersXY, BasisStepsFollowTheScaleAndTheToleranceIsFound) {
  // With x in units of s = 1e4, unscaled steps lose every digit of the second derivatives.
  const double s = 1e4;
  const XelTolerance tol(s);
  const ScaledBasis b(tol, s, 1, 0);
  const double x = 3.0e3, y = 0.4;
  for (int k = 0; k < 10; ++k) { // d^a/dx^a sin(x / s) = sin(x / s + a pi / 2) / s^a
    const int a = kOrdersXY[k][0];
    const double ref = std::sin(x / s + a * kPi / 2) * std::exp(y) / std::pow(s, a);
    EXPECT_NEAR(DerivXY(b, k, x, y), ref, 1e-4 * std::fabs(ref)) << "derivative " << k;
  }
  // The tolerance is found through opposites and scalings, and held by restrictions.
  const XelMathScaleFunctionXY scaled(&b, 2, 3, 4);
  const XelMathOppositeXY opp(&scaled);
  EXPECT_EQ(XelMathFunctionXYFindTolerance(&opp), &tol);
  const XelTolerance other(2.0);
  const XelMathFunctionXYToX restriction(&opp, 1.0, 1, other);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&restriction), &other);
  const XelMathFunctionX* fs[1] = {&restriction};
  const double c[1] = {2.0};
  const XelMathCombinationX comb(1, fs, c, 0.0);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&comb), &other);
}

TEST(WrappersXY, OppositeMaximizesByMinimizingWithTheOppositeLimit) {
  // Maxima of -((x - 0.3)^2 + (y + 0.2)^2) not below -1: minima of the bowl not above 1.
  const FnXY bowl(XY((x - 0.3) * (x - 0.3) + (y + 0.2) * (y + 0.2)));
  const XelMathOppositeXY opp(&bowl);
  XelMathAttrDoubleValue limit("LimitValue", -1.0, 0);
  XelMathAttrList list(&limit);
  XelMathSetOfPointsND maxima(2);
  EXPECT_EQ(opp.Maximize(XelMathInterval2D(-1, 1, -1, 1), maxima, &list), 0);
  ASSERT_EQ(maxima.GetNumberOfPoints(), 1);
  EXPECT_NEAR(maxima.GetPoints()[0], 0.3, 1e-5);
  EXPECT_NEAR(maxima.GetPoints()[1], -0.2, 1e-5);
  EXPECT_EQ(limit.GetValue(), -1.0);
}
