// The wrappers of two-variable functions: derivatives up to the third order against
// high-order finite differences of independently written values, interval images against
// dense samples, copies and owning variants, null components, scaled domains and the
// tolerance search.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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

using namespace xeltest;

namespace {

using Fn2 = std::function<double(double, double)>;

// g(x, y) = exp(x) sin(y) + x^3 y, written out with all its derivatives.
double G(double x, double y) { return std::exp(x) * std::sin(y) + x * x * x * y; }

XelMathInterval ICos(const XelMathInterval& a) { return ISin(a.low + kPi / 2, a.high + kPi / 2); }

class TestXY : public XelMathFunctionXY {
public:
  const char* IsA() const override { return "TestXY"; }
  unsigned char IsOption(const long o) const override { return (o & 128) ? 0 : 1; }
  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  double Eval(const double& x, const double& y) const override { return G(x, y); }
  double EvalFirstDerivX(const double& x, const double& y) const override {
    return std::exp(x) * std::sin(y) + 3 * x * x * y;
  }
  double EvalFirstDerivY(const double& x, const double& y) const override {
    return std::exp(x) * std::cos(y) + x * x * x;
  }
  double EvalSecondDerivX2(const double& x, const double& y) const override {
    return std::exp(x) * std::sin(y) + 6 * x * y;
  }
  double EvalSecondDerivXY(const double& x, const double& y) const override {
    return std::exp(x) * std::cos(y) + 3 * x * x;
  }
  double EvalSecondDerivY2(const double& x, const double& y) const override {
    return -std::exp(x) * std::sin(y);
  }
  double EvalThirdDerivX3(const double& x, const double& y) const override {
    return std::exp(x) * std::sin(y) + 6 * y;
  }
  double EvalThirdDerivX2Y(const double& x, const double& y) const override {
    return std::exp(x) * std::cos(y) + 6 * x;
  }
  double EvalThirdDerivXY2(const double& x, const double& y) const override {
    return -std::exp(x) * std::sin(y);
  }
  double EvalThirdDerivY3(const double& x, const double& y) const override {
    return -std::exp(x) * std::cos(y);
  }
  XelMathInterval Eval(const XelMathInterval& I, const XelMathInterval& J,
                       const XelTolerance&) const override {
    return IAdd(IMul(IExp(I), ISin(J.low, J.high)), IMul(IPower(I, 3), J));
  }
  XelMathInterval EvalFirstDerivX(const XelMathInterval& I, const XelMathInterval& J) const override {
    return IAdd(IMul(IExp(I), ISin(J.low, J.high)), IScale(3, IMul(IPower(I, 2), J)));
  }
  XelMathInterval EvalFirstDerivY(const XelMathInterval& I, const XelMathInterval& J) const override {
    return IAdd(IMul(IExp(I), ICos(J)), IPower(I, 3));
  }
  XelMathInterval EvalSecondDerivX2(const XelMathInterval& I,
                                    const XelMathInterval& J) const override {
    return IAdd(IMul(IExp(I), ISin(J.low, J.high)), IScale(6, IMul(I, J)));
  }
  XelMathInterval EvalSecondDerivXY(const XelMathInterval& I,
                                    const XelMathInterval& J) const override {
    return IAdd(IMul(IExp(I), ICos(J)), IScale(3, IPower(I, 2)));
  }
  XelMathInterval EvalSecondDerivY2(const XelMathInterval& I,
                                    const XelMathInterval& J) const override {
    return IScale(-1, IMul(IExp(I), ISin(J.low, J.high)));
  }
  XelMathFunctionXY* Duplicate() const override { return new TestXY; }
  XelMathFunctionXY* DeepDuplicate() const override { return new TestXY; }
};

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

// Central differences on 7 points: weights for derivative orders 0..3 (orders 1, 2 to s^6,
// order 3 to s^4).
const double kW[4][7] = {{0, 0, 0, 1, 0, 0, 0},
                         {-1. / 60, 3. / 20, -3. / 4, 0, 3. / 4, -3. / 20, 1. / 60},
                         {1. / 90, -3. / 20, 3. / 2, -49. / 18, 3. / 2, -3. / 20, 1. / 90},
                         {1. / 8, -1, 13. / 8, 0, -13. / 8, 1, -1. / 8}};
const double kS = 0.01;

// d^(a+b) f / dx^a dy^b at (x, y) by the tensor product of the stencils.
double Stencil(const Fn2& f, int a, int b, double x, double y) {
  double sum = 0.0;
  for (int i = 0; i < 7; ++i)
    for (int j = 0; j < 7; ++j)
      if (kW[a][i] != 0 && kW[b][j] != 0)
        sum += kW[a][i] * kW[b][j] * f(x + (i - 3) * kS, y + (j - 3) * kS);
  return sum / std::pow(kS, a + b);
}

// The ten derivatives of h at (x, y), by orders (a, b) as in EvalUpToThirdDeriv.
const int kOrders[10][2] = {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1},
                            {0, 2}, {3, 0}, {2, 1}, {1, 2}, {0, 3}};
std::vector<double> Derivs(const XelMathFunctionXY& h, double x, double y) {
  return {h.Eval(x, y),
          h.EvalFirstDerivX(x, y),   h.EvalFirstDerivY(x, y),   h.EvalSecondDerivX2(x, y),
          h.EvalSecondDerivXY(x, y), h.EvalSecondDerivY2(x, y), h.EvalThirdDerivX3(x, y),
          h.EvalThirdDerivX2Y(x, y), h.EvalThirdDerivXY2(x, y), h.EvalThirdDerivY3(x, y)};
}

bool Near(double v, double ref, double tol) { return std::fabs(v - ref) <= tol * (1 + std::fabs(ref)); }

struct RowXY {
  std::string name;
  const XelMathFunctionXY* h;
  Fn2 ref;                 // independent value of h
  double tol[4];           // relative tolerance by derivative order
};

struct RowX {
  std::string name;
  const XelMathFunctionX* h;
  std::function<double(double)> ref;
  double tol[4];
};

// Every point sample of orders 0..2 over a 21 x 21 grid of I x J lies in the images.
void ExpectBoxImagesEnclose(const XelMathFunctionXY& h, const XelMathInterval& I,
                            const XelMathInterval& J, const std::string& name) {
  const XelTolerance& tol = DefaultTol();
  const int maxGroup = h.IsOption(64) ? 2 : h.IsOption(32) ? 1 : h.IsOption(16) ? 0 : -1;
  if (maxGroup < 0)
    return;
  XelMathInterval single[6] = {h.Eval(I, J, tol)}, masked[6];
  if (maxGroup >= 1)
    single[1] = h.EvalFirstDerivX(I, J), single[2] = h.EvalFirstDerivY(I, J);
  if (maxGroup >= 2)
    single[3] = h.EvalSecondDerivX2(I, J), single[4] = h.EvalSecondDerivXY(I, J),
    single[5] = h.EvalSecondDerivY2(I, J);
  const long mask = maxGroup == 2 ? 112 : maxGroup == 1 ? 48 : 16;
  h.Eval(I, J, mask, &masked[0], &masked[1], &masked[2], &masked[3], &masked[4], &masked[5], tol);
  const int count = maxGroup == 2 ? 6 : maxGroup == 1 ? 3 : 1;
  for (int s = 0; s <= 20; ++s)
    for (int t = 0; t <= 20; ++t) {
      const double x = I.low + (I.high - I.low) * s / 20, y = J.low + (J.high - J.low) * t / 20;
      const std::vector<double> d = Derivs(h, x, y);
      for (int k = 0; k < count; ++k) {
        const double slack = 1e-9 * (1 + std::fabs(d[k]));
        ASSERT_TRUE(d[k] >= single[k].low - slack && d[k] <= single[k].high + slack)
            << name << " image " << k << " misses " << d[k] << " at " << x << ", " << y;
        ASSERT_TRUE(d[k] >= masked[k].low - slack && d[k] <= masked[k].high + slack)
            << name << " masked image " << k << " misses " << d[k] << " at " << x << ", " << y;
      }
    }
}

} // namespace

TEST(WrappersXY, DerivativesImagesAndCopiesOfEveryWrapper) {
  const TestXY g;
  const XelMathFunctionXY* parts[2] = {nullptr, nullptr};
  const XelMathScaleFunctionXY stretched(&g, 1.0, 2.0, 1.0);
  parts[0] = &g;
  parts[1] = &stretched;
  const double c[2] = {2.0, -0.5};
  const XelMathCombinationXY comb(2, parts, c, 3.0);
  const XelMathOppositeXY opp(&g);
  const XelMathScaleFunctionXY scale(&g, 2.0, -1.5, 0.5);
  const XelMathDerivFunctionXY dx(&g, 0), dy(&g, 1);
  const ScaledBasis basis(DefaultTol(), 1.0, 1, 1);
  const TestXY other;
  const double dTol[4] = {1e-12, 1e-8, 1e-7, 1e-4};
  const std::vector<RowXY> rows = {
      {"Combination", &comb, [](double x, double y) { return 2 * G(x, y) - 0.5 * G(2 * x, y) + 3; },
       {1e-12, 1e-8, 1e-7, 2e-6}},
      {"Opposite", &opp, [](double x, double y) { return -G(x, y); }, {1e-12, 1e-8, 1e-7, 2e-6}},
      {"Scale", &scale, [](double x, double y) { return 2 * G(-1.5 * x, 0.5 * y); },
       {1e-12, 1e-8, 1e-7, 2e-6}},
      {"DerivX", &dx, [&](double x, double y) { return other.EvalFirstDerivX(x, y); },
       {dTol[0], dTol[1], dTol[2], dTol[3]}},
      {"DerivY", &dy, [&](double x, double y) { return other.EvalFirstDerivY(x, y); },
       {dTol[0], dTol[1], dTol[2], dTol[3]}},
      {"Basis", &basis, [](double x, double y) { return std::sin(x) * std::exp(y); },
       {1e-12, 1e-8, 1e-6, 1e-3}}};
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> pick(-1.5, 1.5), width(0.01, 0.8);
  for (const RowXY& row : rows) {
    const XelMathFunctionXY& h = *row.h;
    for (int n = 0; n < 6; ++n) {
      const double x = pick(gen), y = pick(gen);
      const std::vector<double> d = Derivs(h, x, y);
      for (int k = 0; k < 10; ++k) {
        const int order = kOrders[k][0] + kOrders[k][1];
        const double ref = Stencil(row.ref, kOrders[k][0], kOrders[k][1], x, y);
        EXPECT_TRUE(Near(d[k], ref, row.tol[order]))
            << row.name << " derivative " << k << " at " << x << ", " << y << ": " << d[k]
            << " expected " << ref;
      }
      // The one-pass forms agree with the single derivatives.
      double u[10], m[6] = {0, 0, 0, 0, 0, 0};
      h.EvalUpToThirdDeriv(x, y, u[0], u[1], u[2], u[3], u[4], u[5], u[6], u[7], u[8], u[9]);
      h.Eval(x, y, 7, &m[0], &m[1], &m[2], &m[3], &m[4], &m[5]);
      double t[4];
      h.EvalAllThirdDerivs(x, y, t[0], t[1], t[2], t[3]);
      for (int k = 0; k < 10; ++k) {
        EXPECT_TRUE(Near(u[k], d[k], 1e-9)) << row.name << " up to third, " << k;
        const double oneRun = k < 6 ? m[k] : t[k - 6];
        EXPECT_TRUE(Near(oneRun, d[k], 1e-9)) << row.name << (k < 6 ? " masked, " : " thirds, ") << k;
      }
      // Copies evaluate alike; the deep copy is the owning variant and leaves nothing behind.
      const long live = LiveBlocks();
      {
        std::unique_ptr<XelMathFunctionXY> dup(h.Duplicate()), deep(h.DeepDuplicate());
        EXPECT_EQ(dup->Eval(x, y), d[0]) << row.name;
        EXPECT_EQ(deep->Eval(x, y), d[0]) << row.name;
        if (row.name != "Basis") {
          EXPECT_EQ(std::string(deep->IsA()), std::string(h.IsA()) + "Del");
        }
      }
      EXPECT_EQ(LiveBlocks(), live) << row.name;
      const double a = pick(gen), b = pick(gen);
      ExpectBoxImagesEnclose(h, XelMathInterval(a, a + width(gen)),
                             XelMathInterval(b, b + width(gen)), row.name);
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
  const TestXY g;
  std::unique_ptr<XelMathPolynomX> u(Poly({0.2, 0, 1})), v(Poly({1, -1, 0, 0.5}));
  const XelMathFunctionXYToX atX(&g, 0.7, 0, DefaultTol()), atY(&g, -0.4, 1, DefaultTol());
  const XelMathCompositionXByXY comp(&g, u.get(), v.get(), DefaultTol());
  const std::vector<RowX> rows = {
      {"FunctionXYToX 0", &atX, [](double t) { return G(0.7, t); }, {1e-12, 1e-8, 1e-7, 2e-6}},
      {"FunctionXYToX 1", &atY, [](double t) { return G(t, -0.4); }, {1e-12, 1e-8, 1e-7, 2e-6}},
      {"CompositionXByXY", &comp,
       [](double t) { return G(0.2 + t * t, 1 - t + 0.5 * t * t * t); }, {1e-12, 1e-8, 1e-7, 2e-6}}};
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> pick(-1.2, 1.2), width(0.01, 0.6);
  for (const RowX& row : rows) {
    const XelMathFunctionX& h = *row.h;
    const Fn2 ref2 = [&](double t, double) { return row.ref(t); };
    for (int n = 0; n < 8; ++n) {
      const double t = pick(gen);
      double m[3];
      h.Eval(t, 7, &m[0], &m[1], &m[2]);
      for (int k = 0; k <= 3; ++k) {
        const double ref = Stencil(ref2, k, 0, t, 0.0), got = DerivAt(h, k, t);
        EXPECT_TRUE(Near(got, ref, row.tol[k])) << row.name << " order " << k << " at " << t;
        if (k < 3) {
          EXPECT_TRUE(Near(m[k], got, 1e-9)) << row.name << " multi-output " << k;
        }
      }
      const double a = pick(gen);
      ExpectImagesEnclose(h, XelMathInterval(a, a + width(gen)), 2, 1e-9);
    }
  }
  EXPECT_TRUE(comp.IsATypeOf(92) && atX.IsATypeOf(95) && !comp.IsATypeOf(95));
}

TEST(WrappersXY, OwningVariantsDeleteTheirComponentsOnce) {
  const long live = LiveBlocks();
  {
    XelMathFunctionXY* a = new TestXY;
    XelMathFunctionXY* fs[3] = {a, a, new TestXY};
    const double c[3] = {1, 2, 3};
    std::unique_ptr<XelMathFunctionXY> owners[] = {
        std::make_unique<XelMathCombinationXYDel>(3, fs, c, 1.0),
        std::make_unique<XelMathOppositeXYDel>(new TestXY),
        std::make_unique<XelMathScaleFunctionXYDel>(new TestXY, 1, 2, 3),
        std::make_unique<XelMathDerivFunctionXYDel>(new TestXY, 1)};
    XelMathFunctionX* p = Poly({1, 2});
    std::unique_ptr<XelMathFunctionX> ones[] = {
        std::make_unique<XelMathFunctionXYToXDel>(new TestXY, 0.5, 1, DefaultTol()),
        std::make_unique<XelMathCompositionXByXYDel>(new TestXY, p, p, DefaultTol())};
    std::unique_ptr<XelMathFunctionX> deep(ones[1]->DeepDuplicate());
    EXPECT_EQ(deep->Eval(0.3), ones[1]->Eval(0.3));
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(WrappersXY, NullComponentsGiveInfinity) {
  const TestXY g;
  const XelMathFunctionXY* withNull[2] = {&g, nullptr};
  const double c[2] = {1, 1};
  std::unique_ptr<XelMathPolynomX> u(Poly({0, 1}));
  const XelMathCombinationXY comb(2, withNull, c, 0.0);
  const XelMathOppositeXY opp(nullptr);
  const XelMathScaleFunctionXY scale(nullptr, 1, 1, 1);
  const XelMathDerivFunctionXY deriv(nullptr, 0);
  for (const XelMathFunctionXY* h : std::vector<const XelMathFunctionXY*>{&comb, &opp, &scale, &deriv}) {
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
  const TestXY g;
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
  const double x = 3.0e3, y = 0.4, sn = std::sin(x / s), cs = std::cos(x / s), e = std::exp(y);
  const double refs[10] = {sn * e,     cs * e / s,         sn * e,     -sn * e / (s * s), cs * e / s,
                           sn * e,     -cs * e / (s * s * s), -sn * e / (s * s), cs * e / s, sn * e};
  const std::vector<double> d = Derivs(b, x, y);
  for (int k = 0; k < 10; ++k)
    EXPECT_NEAR(d[k], refs[k], 1e-4 * std::fabs(refs[k])) << "derivative " << k;
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
  struct Bowl : XelMathFunctionXY {
    const char* IsA() const override { return "Bowl"; }
    using XelMathFunctionXY::Eval;
    double Eval(const double& x, const double& y) const override {
      return (x - 0.3) * (x - 0.3) + (y + 0.2) * (y + 0.2);
    }
  } bowl;
  const XelMathOppositeXY opp(&bowl);
  XelMathAttrDoubleValue limit("LimitValue", -1.0, 0);
  XelMathAttrList list;
  list.AddAttribute(&limit);
  XelMathSetOfPointsND maxima(2);
  EXPECT_EQ(opp.Maximize(XelMathInterval2D(-1, 1, -1, 1), maxima, &list), 0);
  ASSERT_EQ(maxima.GetNumberOfPoints(), 1);
  EXPECT_NEAR(maxima.GetPoints()[0], 0.3, 1e-5);
  EXPECT_NEAR(maxima.GetPoints()[1], -0.2, 1e-5);
  EXPECT_EQ(limit.GetValue(), -1.0);
}
