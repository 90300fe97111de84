// Composite one-variable functions against centred differences of independent closed forms,
// interval images against dense samples, ownership against live-object counters.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "XelMathArctanCosX.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathCombinationX.h"
#include "XelMathCompositionXByRN.h"
#include "XelMathCompositionXByX.h"
#include "XelMathConstants.h"
#include "XelMathDefinitionMemoryX.h"
#include "XelMathDerivFunctionX.h"
#include "XelMathFunctionRN.h"
#include "XelMathGlobals.h"
#include "XelMathIntervalND.h"
#include "XelMathMultiFunctionX.h"
#include "XelMathOppositeX.h"
#include "XelMathPiecewiseX.h"
#include "XelMathProdX.h"
#include "XelMathScaleFunctionX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSingleMemoryX.h"
#include "XelMathSquareDistXs.h"
#include "XelMathSumSquareX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;

// Centred-difference steps; tolerances: truncation plus rounding, margin 100.
const double kStep1 = 1e-5, kStep2 = 1e-4, kStep3 = 1e-3;
const double kTolD1 = 100.0 * (kStep1 * kStep1 + kEps / kStep1);
const double kTolD2 = 100.0 * (kStep2 * kStep2 + kEps / (kStep2 * kStep2));
const double kTolD3 = 100.0 * (kStep3 * kStep3 + kEps / (kStep3 * kStep3 * kStep3));
const double kTolDerivOfThird = 10.0 * XelMathh3 * XelMathh3; // step XelMathh3 on the third
const double kTolSameFormula = 64.0 * kEps;                   // one expression computed two ways
const double kTolEnclosure = 4096.0 * kEps; // no directed rounding: a few ulps per end

// A leaf that cannot be deep-copied (the contract's default raises).
class RawX : public XelMathFunctionX {
public:
  RawX() { ++gLiveLeaves; }
  ~RawX() override { --gLiveLeaves; }
  const char* IsA() const override { return "RawX"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override { return x; }
  XelMathFunctionX* Duplicate() const override { return new RawX(); }
};

// F(u, v) = u^2 v + exp(v) with exact partial derivatives and interval images.
class QuadExpRN : public XelMathFunctionRN {
public:
  QuadExpRN() : XelMathFunctionRN(2) { ++gLiveLeaves; }
  ~QuadExpRN() override { --gLiveLeaves; }
  const char* IsA() const override { return "QuadExpRN"; }
  unsigned char IsOption(const long) const override { return 1; }
  XelMathFunctionRN* Duplicate() const override { return new QuadExpRN(); }
  using XelMathFunctionRN::Eval, XelMathFunctionRN::EvalFirstDeriv;
  using XelMathFunctionRN::EvalSecondDeriv, XelMathFunctionRN::EvalThirdDeriv;
  double Eval(const double* x) const override { return x[0] * x[0] * x[1] + std::exp(x[1]); }
  double EvalFirstDeriv(const long& i, const double* x) const override {
    return i == 0 ? 2.0 * x[0] * x[1] : x[0] * x[0] + std::exp(x[1]);
  }
  double EvalSecondDeriv(const long& i, const long& j, const double* x) const override {
    return i == 0 && j == 0 ? 2.0 * x[1] : i != j ? 2.0 * x[0] : std::exp(x[1]);
  }
  double EvalThirdDeriv(const long& i, const long& j, const long& k,
                        const double* x) const override {
    const long zeros = (i == 0) + (j == 0) + (k == 0);
    return zeros == 2 ? 2.0 : zeros == 0 ? std::exp(x[1]) : 0.0;
  }
  XelMathInterval Eval(const XelMathIntervalND& b) const override {
    return IAdd(IMul(ISquare(b.GetInterval(0)), b.GetInterval(1)), IExp(b.GetInterval(1)));
  }
  XelMathInterval EvalFirstDeriv(const long& i, const XelMathIntervalND& b) const override {
    return i == 0 ? IScale(2.0, IMul(b.GetInterval(0), b.GetInterval(1)))
                  : IAdd(ISquare(b.GetInterval(0)), IExp(b.GetInterval(1)));
  }
  XelMathInterval EvalSecondDeriv(const long& i, const long& j,
                                  const XelMathIntervalND& b) const override {
    return i == 0 && j == 0 ? IScale(2.0, b.GetInterval(1))
           : i != j         ? IScale(2.0, b.GetInterval(0))
                            : IExp(b.GetInterval(1));
  }
  XelMathInterval EvalThirdDeriv(const long& i, const long& j, const long& k,
                                 const XelMathIntervalND& b) const override {
    const long zeros = (i == 0) + (j == 0) + (k == 0);
    return zeros == 2   ? XelMathInterval(2.0, 2.0)
           : zeros == 0 ? IExp(b.GetInterval(1))
                        : XelMathInterval(0.0, 0.0);
  }
};

double E(double x) {
  return 0.5 * std::exp(0.7 * x);
}
double S(double x) {
  return std::sin(1.3 * x + 0.4);
}
double Q(double x) {
  return (0.3 * x - 0.5) * x + 0.2;
}
// The leaves every case is built on, E, S and Q their closed forms.
struct Leaves {
  ExpX e{0.5, 0.7};  // 0.5 exp(0.7 x)
  SineX s{1.3, 0.4}; // sin(1.3 x + 0.4)
  QuadX q{0.3, -0.5, 0.2};
  QuadExpRN F;
};

struct Case {
  std::unique_ptr<XelMathFunctionX> f;
  std::function<double(double)> ref;
  long type;          // the one identifier besides 0 it answers to (0: none)
  int components;     // direct components
  int intervalOrders; // interval derivatives offered: 0..intervalOrders
  double tolThird;    // tolerance on the third derivative
};

std::vector<Case> MakeCases(const Leaves& L) {
  std::vector<Case> cases;
  auto add = [&](long type, int parts, XelMathFunctionX* f, std::function<double(double)> ref,
                 int orders = 3, double tolThird = kTolD3) {
    cases.push_back(Case{std::unique_ptr<XelMathFunctionX>(f), ref, type, parts, orders, tolThird});
  };
  const XelMathFunctionX* esq[4] = {&L.e, &L.s, &L.q, &L.e};
  const XelMathFunctionX* sq[2] = {&L.s, &L.q};
  const double c[3] = {2.0, -3.0, 0.5}, target[2] = {0.1, -0.2};
  add(50, 3, new XelMathCombinationX(3, esq, c, 1.5),
      [](double x) { return 1.5 + 2.0 * E(x) - 3.0 * S(x) + 0.5 * Q(x); });
  add(91, 2, new XelMathCompositionXByX(&L.s, &L.q), [](double x) { return S(Q(x)); });
  add(91, 2, new XelMathCompositionXByX(&L.e, &L.s), [](double x) { return E(S(x)); });
  add(90, 3, new XelMathCompositionXByRN(&L.F, sq),
      [](double x) { return S(x) * S(x) * Q(x) + std::exp(Q(x)); });
  add(0, 2, new XelMathProdX(&L.e, &L.s), [](double x) { return E(x) * S(x); });
  add(0, 2, new XelMathProdX(&L.s, &L.s), [](double x) { return S(x) * S(x); });
  add(94, 1, new XelMathOppositeX(&L.e), [](double x) { return -E(x); });
  add(0, 1, new XelMathScaleFunctionX(&L.s, 2.0, -1.5), [](double x) { return 2.0 * S(-1.5 * x); });
  add(
      93, 1, new XelMathDerivFunctionX(&L.s),
      [](double x) { return 1.3 * std::cos(1.3 * x + 0.4); }, 2,
      kTolD3 + kTolDerivOfThird * std::pow(1.3, 5));
  add(70, 1, new XelMathSingleMemoryX(&L.s, 0.25), &S);
  add(80, 1, new XelMathDefinitionMemoryX(&L.e, XelMathInterval(-1.0, 1.0)), &E);
  add(0, 3, new XelMathSumSquareX(3, esq),
      [](double x) { return E(x) * E(x) + S(x) * S(x) + Q(x) * Q(x); });
  add(0, 4, new XelMathSumSquareX(4, esq), // beyond the inline storage
      [](double x) { return 2.0 * E(x) * E(x) + S(x) * S(x) + Q(x) * Q(x); });
  add(0, 2, new XelMathSquareDistXs(2, sq, target, 0.3),
      [](double x) { return (S(x) - 0.1) * (S(x) - 0.1) + (Q(x) + 0.2) * (Q(x) + 0.2) - 0.3; });
  return cases;
}

// Centred differences of order 1, 2 and 3 of a closed form.
double CentredDiff(const std::function<double(double)>& f, int k, double x) {
  if (k < 3)
    return k == 1 ? (f(x + kStep1) - f(x - kStep1)) / (2.0 * kStep1)
                  : (f(x + kStep2) - 2.0 * f(x) + f(x - kStep2)) / (kStep2 * kStep2);
  return (f(x + 2.0 * kStep3) - 2.0 * f(x + kStep3) + 2.0 * f(x - kStep3) - f(x - 2.0 * kStep3)) /
         (2.0 * kStep3 * kStep3 * kStep3);
}

std::vector<double> TestPoints() {
  std::vector<double> xs;
  for (int i = 0; i <= 16; i++)
    xs.push_back(-1.6 + 0.2 * i + 0.013 * i * i / 16.0);
  return xs;
}

// Derivatives, multi-output and grid evaluations, interval images, answers, deep copies, and
// no allocation while evaluating.
TEST(Composites, EveryCompositeMatchesItsClosedFormAndItsContract) {
  Leaves L;
  std::vector<Case> cases = MakeCases(L);
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> start(-1.5, 1.2), width(0.0, 1.0);
  std::vector<XelMathInterval> intervals{XelMathInterval(-1.0, 1.0), XelMathInterval(0.3, 0.3)};
  for (int i = 0; i < 12; i++) {
    const double a = start(rng);
    intervals.push_back(XelMathInterval(a, std::min(1.5, a + width(rng))));
  }
  const long ids[] = {10, 11, 20, 30, 50, 60, 70, 80, 90, 91, 92, 93, 94, 95, 96};
  for (const Case& c : cases) {
    const XelMathFunctionX& f = *c.f;
    SCOPED_TRACE(f.IsA());
    for (double x : TestPoints()) {
      const double scale = 1.0 + std::fabs(c.ref(x));
      const double tol[4] = {kTolSameFormula, kTolD1, kTolD2, c.tolThird};
      for (int k = 0; k < 4; k++)
        EXPECT_NEAR(DerivAt(f, k, x), k ? CentredDiff(c.ref, k, x) : c.ref(x), tol[k] * scale)
            << x << " " << k;
      for (long options = 1; options <= 7; options++) {
        double out[3] = {-7.0, -7.0, -7.0};
        f.Eval(x, options, &out[0], &out[1], &out[2]);
        for (int k = 0; k < 3; k++) {
          const double v = options & (1L << k) ? DerivAt(f, k, x) : -7.0; // unrequested: untouched
          EXPECT_NEAR(out[k], v, kTolSameFormula * (1.0 + std::fabs(v))) << options << " " << k;
        }
      }
    }
    double grid[2][5]; // five points, the last at the high end
    f.Eval(XelMathInterval(-0.5, 0.7), 5, 3, grid[0], grid[1], nullptr);
    for (int i = 0; i < 10; i++)
      EXPECT_NEAR(grid[i / 5][i % 5], DerivAt(f, i / 5, i % 5 == 4 ? 0.7 : -0.5 + 0.3 * (i % 5)),
                  kTolSameFormula * (1.0 + std::fabs(grid[i / 5][i % 5])));
    for (const XelMathInterval& I : intervals)
      ExpectImagesEnclose(f, I, c.intervalOrders, kTolEnclosure);
    EXPECT_TRUE(f.IsOption(2 | 4 | 16 | 32 | 64));
    EXPECT_TRUE(f.IsAKindOf(f.IsA()) && f.IsAKindOf("XelMathFunctionX") && f.IsATypeOf(0));
    for (long id : ids)
      EXPECT_EQ(f.IsATypeOf(id) != 0, id == c.type) << "id " << id;
    const XelMathFunctionGeneral* parts[8] = {};
    EXPECT_TRUE(f.GetDirectComponents(0, parts) == c.components &&
                f.GetDirectComponents(8, parts) == c.components);
    EXPECT_EQ(std::count(parts, parts + 8, nullptr), 8 - c.components);
    const long live = gLiveLeaves, blocks = LiveBlocks();
    {
      std::unique_ptr<XelMathFunctionX> copy(f.DeepDuplicate());
      EXPECT_TRUE(std::string(copy->IsA()).find("Del") != std::string::npos && gLiveLeaves > live)
          << copy->IsA();
      for (double x : TestPoints())
        for (int k = 0; k < 4; k++)
          EXPECT_DOUBLE_EQ(DerivAt(*copy, k, x), DerivAt(f, k, x)) << "order " << k;
      EXPECT_EQ(copy->Eval(XelMathInterval(-0.4, 0.9)), f.Eval(XelMathInterval(-0.4, 0.9)));
    }
    EXPECT_TRUE(gLiveLeaves == live && LiveBlocks() == blocks);
    const long allocations = XelQuorGetMemoryCounters().totalAllocations;
    double v[3];
    XelMathInterval J[3];
    f.Eval(0.3, 7, &v[0], &v[1], &v[2]),
        f.Eval(XelMathInterval(-0.2, 0.6), 112, &J[0], &J[1], &J[2]);
    (void)f.EvalThirdDeriv(XelMathInterval(0.1, 0.2)), (void)f.EvalThirdDeriv(0.2);
    EXPECT_EQ(XelQuorGetMemoryCounters().totalAllocations, allocations) << "evaluation allocated";
  }
  // The composition by an N-variable function lists F first.
  const XelMathFunctionGeneral* parts[3];
  cases[3].f->GetDirectComponents(3, parts);
  EXPECT_TRUE(parts[0] == &L.F && parts[1] == &L.s && parts[2] == &L.q);
  // One tree holding every composite, with more components than the local copy buffer.
  std::vector<const XelMathFunctionX*> all;
  for (const Case& c : cases)
    all.push_back(c.f.get());
  std::vector<double> coefficients(all.size(), 0.5);
  XelMathCombinationX sum(static_cast<long>(all.size()), all.data(), coefficients.data(), 1.0);
  XelMathCompositionXByX outer(&L.s, &sum);
  XelMathSingleMemoryX tree(&outer, 0.0);
  const long live = gLiveLeaves, blocks = LiveBlocks();
  {
    std::unique_ptr<XelMathFunctionX> copy(tree.DeepDuplicate());
    for (double x : TestPoints())
      for (int k : {0, 2})
        EXPECT_DOUBLE_EQ(DerivAt(*copy, k, x), DerivAt(tree, k, x));
  }
  EXPECT_TRUE(gLiveLeaves == live && LiveBlocks() == blocks);
}

TEST(Composites, OptionsFollowTheComponentsAndTheRulesOfDifferentiation) {
  SineX s(1.0, 0.0);
  QuadX q(1.0, 0.0, 0.0);
  s.offered = ~16L;
  const XelMathFunctionX* fs[2] = {&q, &s};
  const double c2[2] = {1.0, 1.0};
  XelMathCompositionXByX comp(&q, &s);
  XelMathProdX prod(&q, &s);
  XelMathCombinationX comb(2, fs, c2, 0.0);
  XelMathSumSquareX sum(2, fs);
  XelMathOppositeX opp(&s);
  XelMathScaleFunctionX scaled(&s, 2.0, 3.0);
  const struct {
    const XelMathFunctionX* f;
    std::vector<long> yes, no;
  } cases[] = {{&comp, {2 | 4}, {16, 32, 8, 128}}, // the chain rule needs the inner image
               {&prod, {8}, {64, 128}},
               {&comb, {32 | 64 | 128}, {16}}, // linear: each order needs only itself
               {&sum, {}, {32, 128}},
               {&opp, {32}, {16}},
               {&scaled, {}, {16}}};
  for (const auto& k : cases)
    for (int yes = 0; yes < 2; yes++)
      for (long o : yes ? k.yes : k.no)
        EXPECT_EQ(k.f->IsOption(o) != 0, yes == 1) << k.f->IsA() << " " << o;
  // A derivative function answers bit k as its function answers bit k + 1.
  XelMathDerivFunctionX d(&s);
  s.offered = ~4L;
  EXPECT_TRUE(!d.IsOption(2) && !d.IsOption(8) && !d.IsOption(128) && d.IsOption(1 | 16 | 32));
  // A combination of nothing is a constant and offers everything.
  XelMathCombinationX constant(0, nullptr, nullptr, 4.5);
  EXPECT_TRUE(constant.IsOption(255) &&
              constant.Eval(XelMathInterval(-1.0, 2.0)) == XelMathInterval(4.5, 4.5));
}

TEST(Composites, FactoriesOfTheFunctionContract) {
  Leaves L;
  const long live = gLiveLeaves;
  EXPECT_EQ(XelMathFunctionX::CreateCompositionX(nullptr, &L.q), nullptr);
  delete XelMathFunctionX::CreateCompositionXDel(new SineX(1.0, 0.0), new QuadX(1.0, 0.0, 0.0));
  EXPECT_EQ(gLiveLeaves, live);
  const XelMathFunctionX* fs[2] = {&L.e, &L.s};
  const double c[2] = {2.0, -1.0};
  std::unique_ptr<XelMathFunctionX> comb(CreateCombination(2, fs, c, 0.5));
  std::unique_ptr<XelMathFunctionX> dcomb(comb->CreateDeriv());
  for (double x : TestPoints())
    EXPECT_NEAR(dcomb->Eval(x), 2.0 * L.e.EvalFirstDeriv(x) - L.s.EvalFirstDeriv(x),
                kTolSameFormula * 4.0);
  // No function, no first function: null; no term at all: the constant.
  const XelMathFunctionX* nullFirst[2] = {nullptr, &L.s};
  EXPECT_EQ(CreateCombination(2, nullptr, c, 0.5), nullptr);
  EXPECT_EQ(CreateCombination(2, nullFirst, c, 0.5), nullptr);
  std::unique_ptr<XelMathFunctionX> constant(CreateCombination(0, nullptr, nullptr, 0.5));
  ASSERT_NE(constant, nullptr);
  EXPECT_EQ(constant->Eval(3.0), 0.5);
}

TEST(Composites, SpotValuesOfCombinationScaleAndSquareDistance) {
  // 2 f - 3 g + 1 with f(I) = [0, 1] and g(I) = [1, 2].
  QuadX f(0.0, 1.0, 0.0), g(0.0, 1.0, 1.0);
  const XelMathFunctionX* fs[2] = {&f, &g};
  const double c[2] = {2.0, -3.0};
  EXPECT_EQ(XelMathCombinationX(2, fs, c, 1.0).Eval(XelMathInterval(0.0, 1.0)),
            XelMathInterval(-5.0, 0.0));
  SineX s(1.3, 0.4);
  XelMathScaleFunctionX scaled(&s, 2.0, -1.0), byFour(&s, 1.0, 4.0);
  EXPECT_DOUBLE_EQ(scaled.EvalFirstDeriv(3.0), -2.0 * s.EvalFirstDeriv(-3.0));
  XelMathInterval J;
  byFour.ComputeScaledDomain(XelMathInterval(-2.0, 8.0), J);
  EXPECT_EQ(J, XelMathInterval(-0.5, 2.0));
  XelMathSetOfPointsND roots(1), unscaled(1);
  const double r[2] = {0.25, -1.5};
  for (const double& x : r)
    roots.AddPoint(&x);
  unscaled.AddPoint(r); // replaced, not appended to
  byFour.ComputeUnScaledRoots(roots, unscaled);
  EXPECT_EQ(PointsOf(unscaled), std::vector<double>({1.0, -6.0}));
  // (x, 2x) to the point (1, 2): 5 (x - 1)^2.
  QuadX x1(0.0, 1.0, 0.0), x2(0.0, 2.0, 0.0);
  const XelMathFunctionX* curve[4] = {&x1, &x2, &x1, &x2};
  const double target[2] = {1.0, 2.0};
  XelMathSquareDistXs dist(2, curve, target, 0.0);
  for (double x : TestPoints())
    EXPECT_NEAR(dist.Eval(x), 5.0 * (x - 1.0) * (x - 1.0), kTolSameFormula * 40.0);
  // Its guaranteed image multiplies each shifted component image by itself, end by end.
  const XelMathInterval image = dist.ComputeOptimalImage(XelMathInterval(0.0, 2.0), DefaultTol());
  EXPECT_LT(std::fabs(image.low + 5.0) + std::fabs(image.high - 5.0), kTolSameFormula * 5);
  EXPECT_EQ(XelMathSquareDistXs(4, curve, nullptr, 0.0).GetNumberOfFunctions(), 3); // cut to 3
}

TEST(Composites, SingleMemoryEvaluatesItsFunctionOncePerPointAndInterval) {
  ExpX e(1.0, 1.0);
  XelMathSingleMemoryX m(&e, 0.5);
  const long calls = e.pointCalls;
  EXPECT_TRUE(m.Eval(0.5) == std::exp(0.5) && m.EvalFirstDeriv(0.5) == std::exp(0.5));
  EXPECT_EQ(e.pointCalls, calls); // served by the caches filled at x0
  for (int twice = 0; twice < 2; twice++)
    EXPECT_DOUBLE_EQ(m.Eval(1.25), std::exp(1.25));
  EXPECT_EQ(e.pointCalls, calls + 1);
  double v = 0.0, d = 0.0; // the multi-output asks only for the missing first derivative
  m.Eval(1.25, 3, &v, &d, nullptr), m.Eval(1.25, 3, &v, &d, nullptr);
  EXPECT_TRUE(e.pointCalls == calls + 2 && std::fabs(d - std::exp(1.25)) < 8 * kEps);
  // The degenerate interval of the construction point is served by the caches.
  const XelMathInterval at(std::exp(0.5), std::exp(0.5)), I(0.0, 1.0);
  EXPECT_TRUE(m.Eval(XelMathInterval(0.5, 0.5)) == at &&
              m.EvalFirstDeriv(XelMathInterval(0.5, 0.5)) == at && e.intervalCalls == 0);
  const XelMathInterval first = m.Eval(I);
  EXPECT_TRUE(m.Eval(I) == first && e.intervalCalls == 1);
  XelMathInterval F, F1;
  m.EvalFirstDeriv(I), m.Eval(I, 48, &F, &F1, nullptr);
  EXPECT_TRUE(e.intervalCalls == 2 && F == first);
}

TEST(Composites, DefinitionMemoryStoresTheImagesOfItsInterval) {
  SineX s(1.0, 0.0);
  const XelMathInterval D(-1.0, 2.0);
  XelMathDefinitionMemoryX m(&s, D);
  EXPECT_EQ(s.intervalCalls, 2); // value and first-derivative images, once
  EXPECT_TRUE(m.Eval(D) == s.DI(0, D) && m.EvalFirstDeriv(D) == s.DI(1, D) && s.intervalCalls == 2);
  m.Eval(XelMathInterval(-1.0, 1.0));
  EXPECT_EQ(s.intervalCalls, 3);
  XelMathDefinitionMemoryX empty;
  const double unset = empty.Eval(0.5);
  empty.Set(&s, XelMathInterval(0.0, 0.5));
  EXPECT_TRUE(unset == XelMathInfinite && empty.Eval(0.5) == s.Eval(0.5));
  // The owning variant deletes the function it replaces.
  const long live = gLiveLeaves;
  XelMathDefinitionMemoryXDel owner(new SineX(2.0, 0.0), XelMathInterval(0.0, 1.0));
  owner.Set(new ExpX(1.0, 1.0), XelMathInterval(0.0, 1.0));
  EXPECT_EQ(gLiveLeaves, live + 1);
}

// Owning variants delete their components once, also when given twice or shared.
TEST(Composites, OwningVariantsDeleteTheirComponentsOnce) {
  const long live = gLiveLeaves, blocks = LiveBlocks();
  {
    XelMathFunctionX* fs[3] = {new ExpX(1, 1), new SineX(1, 0), new QuadX(1, 0, 0)};
    const double c[3] = {1, 2, 3};
    delete new XelMathCombinationXDel(3, fs, c, 0.0);
    XelMathFunctionX* g[2] = {new SineX(1, 0), new QuadX(1, 0, 0)};
    delete new XelMathCompositionXByRNDel(new QuadExpRN(), g);
    XelMathFunctionX* hs[5] = {new SineX(1, 0), new ExpX(1, 1), new QuadX(1, 0, 0), new SineX(2, 0),
                               new ExpX(2, 1)};
    delete new XelMathSumSquareXDel(5, hs);
    XelMathFunctionX* gs[2] = {new SineX(1, 0), new ExpX(1, 1)};
    delete new XelMathSquareDistXsDel(2, gs, c, 0.5);
  }
  delete new XelMathCompositionXByXDel(new SineX(1, 0), new ExpX(1, 1));
  delete new XelMathProdXDel(new SineX(1, 0), new ExpX(1, 1));
  delete new XelMathOppositeXDel(new SineX(1, 0));
  delete new XelMathScaleFunctionXDel(new SineX(1, 0), 2.0, 3.0);
  delete new XelMathDerivFunctionXDel(new SineX(1, 0));
  delete new XelMathSingleMemoryXDel(new SineX(1, 0), 0.0);
  delete new XelMathDefinitionMemoryXDel(new SineX(1, 0), XelMathInterval(0, 1));
  EXPECT_EQ(gLiveLeaves, live);
  {
    SineX* s = new SineX(1, 0);
    XelMathProdXDel square(s, s);
    XelMathOppositeX view(s); // a non-owning composite on the same function
    EXPECT_DOUBLE_EQ(view.Eval(0.3), -std::sin(0.3));
    std::unique_ptr<XelMathFunctionX> copy(square.Duplicate()); // deep, the factor shared
    EXPECT_EQ(gLiveLeaves, live + 2);
    EXPECT_DOUBLE_EQ(copy->Eval(0.3), std::sin(0.3) * std::sin(0.3));
    SineX* r = new SineX(1, 0);
    XelMathCompositionXByXDel rr(r, r);
    XelMathFunctionX *t = new SineX(2, 0), *q = new QuadX(1, 0, 0), *h = new QuadX(1, 0, 1);
    XelMathFunctionX *fs[3] = {t, t, new ExpX(1, 1)}, *gs[2] = {q, q}, *hs[2] = {h, h};
    const double c[3] = {1, 1, 1};
    XelMathCombinationXDel comb(3, fs, c, 0.0);
    XelMathSumSquareXDel sum(2, gs);
    XelMathSquareDistXsDel dist(2, hs, nullptr, 0.0);
    std::unique_ptr<XelMathFunctionX> combCopy(comb.Duplicate());
    EXPECT_TRUE(combCopy->IsAKindOf("XelMathCombinationXDel"));
  }
  EXPECT_TRUE(gLiveLeaves == live && LiveBlocks() == blocks);
}

TEST(Composites, FailedDeepDuplicateLeavesNothingBehind) {
  ExpX e(1, 1);
  RawX raw;
  const XelMathFunctionX* fs[2] = {&e, &raw};
  const double c[2] = {1, 1};
  XelMathCombinationX comb(2, fs, c, 0.0);
  XelMathCompositionXByX comp(&e, &raw);
  XelMathProdX prod(&e, &raw);
  XelMathSumSquareX sum(2, fs);
  const long live = gLiveLeaves, blocks = LiveBlocks();
  for (const XelMathFunctionX* f :
       std::vector<const XelMathFunctionX*>{&comb, &comp, &prod, &sum}) {
    ExpectInputError([&] { delete f->DeepDuplicate(); }, 0x20009);
    EXPECT_TRUE(gLiveLeaves == live && LiveBlocks() == blocks) << f->IsA();
  }
}

TEST(Composites, NullComponentsGiveInfiniteValuesAndNoIntervalInformation) {
  SineX s(1, 0);
  QuadExpRN F;
  const XelMathFunctionX* withNull[2] = {&s, nullptr};
  const double c[2] = {1, 1};
  std::vector<std::unique_ptr<XelMathFunctionX>> fs;
  fs.emplace_back(new XelMathCompositionXByX(&s, nullptr));
  fs.emplace_back(new XelMathCompositionXByX(nullptr, &s));
  fs.emplace_back(new XelMathCompositionXByRN(nullptr, withNull));
  fs.emplace_back(XelMathCompositionXByRN(&F, withNull).Duplicate());
  fs.emplace_back(new XelMathCombinationX(2, withNull, c, 0.0));
  fs.emplace_back(new XelMathProdX(nullptr, &s));
  fs.emplace_back(new XelMathOppositeX(nullptr));
  fs.emplace_back(new XelMathScaleFunctionX(nullptr, 1.0, 1.0));
  fs.emplace_back(new XelMathDerivFunctionX(nullptr));
  fs.emplace_back(new XelMathSingleMemoryX(nullptr, 0.0));
  fs.emplace_back(new XelMathDefinitionMemoryX(nullptr, XelMathInterval(0, 1)));
  fs.emplace_back(new XelMathSumSquareX(2, withNull));
  fs.emplace_back(new XelMathSquareDistXs(2, withNull, nullptr, 0.0));
  const XelMathInterval zero(0.0, 0.0), I(0.0, 1.0);
  for (const auto& f : fs) {
    SCOPED_TRACE(f->IsA());
    for (int k = 0; k < 4; k++)
      EXPECT_TRUE(DerivAt(*f, k, 0.5) == XelMathInfinite && DerivImage(*f, k, I) == zero) << k;
    double v = 0, d1 = 0, d2 = 0;
    XelMathInterval J(5, 6), J1(5, 6);
    f->Eval(0.5, 7, &v, &d1, &d2), f->Eval(I, 48, &J, &J1, nullptr);
    EXPECT_TRUE(v == XelMathInfinite && d2 == XelMathInfinite && J == zero && J1 == zero);
    std::unique_ptr<XelMathFunctionX> copy(f->DeepDuplicate()); // possible, and stays null
    EXPECT_TRUE(!f->IsOption(16) && copy->Eval(0.5) == XelMathInfinite);
  }
}

// A leaf whose minimizer records the "LimitValue" it was given.
class RecordingX : public SineX {
public:
  RecordingX() : SineX(1, 0) {}
  int Minimize(const XelMathInterval&, XelMathSetOfPointsND&,
               const XelMathAttrList* iList) const override {
    const XelMathAttribute* a = iList ? iList->GetAttribute("LimitValue") : nullptr;
    seen = a ? static_cast<const XelMathAttrDoubleValue*>(a)->GetValue() : -99.0;
    return 3;
  }
  mutable double seen = 0.0;
};

TEST(Composites, OppositeMaximizesByMinimizingWithTheLimitNegated) {
  RecordingX f;
  XelMathOppositeX opposite(&f);
  XelMathAttrDoubleValue limit("LimitValue", 2.5, 1);
  XelMathAttrList list(&limit);
  XelMathSetOfPointsND out(1);
  const XelMathInterval I(0, 1);
  EXPECT_EQ(opposite.Maximize(I, out, &list), 3);
  EXPECT_TRUE(f.seen == -2.5 && limit.GetValue() == 2.5);
  EXPECT_TRUE(opposite.Maximize(I, out, nullptr) == 3 && f.seen == -99.0);
  // Without a function, the result set is emptied of what an earlier analysis left.
  XelMathOppositeX none(nullptr);
  const double stale = 0.5;
  for (int status : {1, 4}) {
    XelMathSetOfPointsND set(1);
    set.AddPoint(&stale);
    EXPECT_EQ(status == 1 ? none.Solve(I, set, nullptr) : none.Maximize(I, set, nullptr), status);
    EXPECT_EQ(set.GetNumberOfPoints(), 0) << status;
  }
}

// A combination of piecewise arc tangents of cosines stays general; its derivative owns what
// it refers to (the minimizer builds and evaluates it).
TEST(Composites, CombinationOfPiecewiseFunctionsWithoutClosedFormAndItsDerivative) {
  // Pieces (A, B, w, phi, C) of the two operands.
  const double pa[2][5] = {{1.0, 2.0, 3.0, 0.5, 0.1}, {-0.5, 1.5, 2.0, 0.0, 0.2}};
  const double pb[2][5] = {{0.7, -1.0, 4.0, 1.0, 0.0}, {0.3, 3.0, 1.0, -0.4, 0.0}};
  const double borders[3] = {-1.0, 0.25, 1.5}, c[2] = {2.0, -1.5}, c0 = 0.5;
  // Closed forms: g(t) = A atan(B cos(w t + phi)) + C at t = x - b_i, and its derivative.
  const auto piece = [&](const double(*p)[5], double x, int order) {
    const int i = x <= borders[1] ? 0 : 1;
    const double A = p[i][0], B = p[i][1], w = p[i][2];
    const double theta = w * (x - borders[i]) + p[i][3], bc = B * std::cos(theta);
    return order == 0 ? A * std::atan(bc) + p[i][4] : -A * B * w * std::sin(theta) / (1 + bc * bc);
  };
  const auto ref = [&](double x, int order) {
    return (order == 0 ? c0 : 0.0) + c[0] * piece(pa, x, order) + c[1] * piece(pb, x, order);
  };
  const long before = LiveBlocks();
  {
    XelMathArctanCosX a0(pa[0]), a1(pa[1]), b0(pb[0]), b1(pb[1]);
    const XelMathFunctionX *ga[2] = {&a0, &a1}, *gb[2] = {&b0, &b1};
    XelMathPiecewiseX fa(2, borders, ga), fb(2, borders, gb);
    const XelMathFunctionX* both[2] = {&fa, &fb};
    std::unique_ptr<XelMathFunctionX> comb(CreateCombination(2, both, c, c0));
    ASSERT_TRUE(comb && comb->IsATypeOf(50));
    std::unique_ptr<XelMathFunctionX> deriv(comb->CreateDeriv());
    ASSERT_TRUE(deriv);
    for (double x : TestPoints()) {
      EXPECT_NEAR(comb->Eval(x), ref(x, 0), kTolSameFormula * 10) << x;
      EXPECT_NEAR(deriv->Eval(x), ref(x, 1), kTolSameFormula * 100) << x;
    }
    // Minimization by discretization: the least minimum found is the least dense sample.
    XelMathAttrString discretization("DiscretizationMethod", 1);
    XelMathAttrList list(&discretization);
    XelMathSetOfPointsND minima(1);
    const XelMathInterval I(-0.9, 1.4);
    ASSERT_TRUE(comb->Minimize(I, minima, &list) == 0 && minima.GetNumberOfPoints() > 0);
    double found = XelMathInfinite, sampled = XelMathInfinite;
    for (double x : PointsOf(minima))
      found = std::min(found, ref(x, 0));
    for (int i = 0; i <= 20000; i++)
      sampled = std::min(sampled, ref(I.low + (I.high - I.low) * i / 20000.0, 0));
    EXPECT_LE(found, sampled + kTolSameFormula * 10);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(Composites, MultiFunctionFillsOneEntryPerComponent) {
  Leaves L;
  const XelMathFunctionX* fs[4] = {&L.e, &L.s, nullptr, &L.q};
  XelMathMultiFunctionX v(nullptr, 4, fs, DefaultTol());
  double a[4], b[4], d1[4], d2[4];
  v.Eval(0.7, a), v.EvalFirstDeriv(0.7, d1), v.EvalSecondDeriv(0.7, d2);
  EXPECT_EQ(a[2], XelMathInfinite);
  for (int i : {0, 1, 3})
    EXPECT_TRUE(a[i] == fs[i]->Eval(0.7) && d1[i] == fs[i]->EvalFirstDeriv(0.7) &&
                d2[i] == fs[i]->EvalSecondDeriv(0.7));
  v.Eval(0.7, a, b);
  for (int i : {0, 1, 3})
    EXPECT_LT(std::fabs(a[i] - fs[i]->Eval(0.7)) + std::fabs(b[i] - fs[i]->EvalFirstDeriv(0.7)),
              kTolSameFormula);
}

class ExpBasis : public XelMathBasisFunctionX {
public:
  using XelMathBasisFunctionX::XelMathBasisFunctionX;
  const char* IsA() const override { return "ExpBasis"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override { return std::exp(x / scale); }
  XelMathFunctionX* Duplicate() const override { return new ExpBasis(*this); }
  double scale = 1.0;
};

TEST(Composites, BasisFunctionStepsFollowTheModelScale) {
  const XelTolerance unit, big(1000.0);
  ExpBasis f(unit, 1);
  // Truncation h^2 |f'''| / 6 plus rounding eps / h; the third differentiates the second.
  const double h1 = XelMathh1, h2 = XelMathh2, h3 = XelMathh3;
  EXPECT_NEAR(f.EvalFirstDeriv(0.3), std::exp(0.3), 10.0 * (h1 * h1 + kEps / h1));
  EXPECT_NEAR(f.EvalSecondDeriv(0.3), std::exp(0.3), 10.0 * (h2 * h2 + kEps / (h2 * h2)));
  EXPECT_NEAR(f.EvalThirdDeriv(0.3), std::exp(0.3), 10.0 * (h3 * h3 + kEps / (h2 * h2 * h3)));
  ExpBasis scaled(big, 1);
  EXPECT_DOUBLE_EQ(scaled.GetStep3(), 1000.0 * h3);
  scaled.scale = 1000.0; // a function of a variable in model units
  EXPECT_NEAR(scaled.EvalFirstDeriv(300.0), std::exp(0.3) / 1000.0,
              10.0 * (h1 * h1 + kEps / h1) / 1000.0);
  for (long power : {2L, 0L}) {
    scaled.InitStep(power);
    EXPECT_DOUBLE_EQ(scaled.GetStep1(), std::pow(1000.0, power) * h1);
  }
  XelMathAttrScaleOption out(3, 3), option(0, 2);
  long n = 0;
  EXPECT_FALSE(f.GetScaleOption(out));
  ExpBasis withOption(big, option);
  EXPECT_DOUBLE_EQ(withOption.GetStep1(), 1e6 * h1);
  std::unique_ptr<XelMathFunctionX> copy(withOption.Duplicate()); // keeps its own option
  EXPECT_TRUE(static_cast<ExpBasis*>(copy.get())->GetScaleOption(out) &&
              out.GetPowerScaleX(n)[0] == 2);
  const long powersF[2] = {1, 1}, powersX[1] = {1};
  XelMathAttrScaleOption wrong(2, powersF, 1, powersX, 0, nullptr);
  ExpectInputError([&] { ExpBasis bad(unit, wrong); }, 0x20006,
                   {"the XelMathAttrScaleOption", "wrong dimension",
                    "XelMathBasisFunctionX::XelMathBasisFunctionX"});
}

} // namespace
