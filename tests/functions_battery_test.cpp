// Randomized battery of the one-variable function classes: polynomials (general and fixed
// degree), trigonometric, arc tangent of a cosine, hyperbolic, fraction, periodic and
// piecewise functions. Every instance is checked against an independent long double formula
// of its value and derivatives (not the class's own point evaluation):
//  - point values and derivatives 1..3;
//  - the multi-order point evaluation and the grid evaluation against point evaluations;
//  - interval images of the value and derivatives 1..3, and the multi-output interval
//    evaluation under every option mask, enclose dense samples of the formula;
//  - ComputeOptimalImage encloses the samples and is not wider than the interval image;
//  - nothing is left allocated.
// Allowances are derived from the magnitudes involved: a term of size M computed in double
// carries about eps M of rounding, and the argument x - s (or w x - phi) about
// eps (|x| + |s|), which moves an order-j value by that much times the order-(j+1) magnitude.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "XelMathArctanCosX.h"
#include "XelMathConstants.h"
#include "XelMathCubicX.h"
#include "XelMathFractionX.h"
#include "XelMathHyperbolicX.h"
#include "XelMathLinearX.h"
#include "XelMathPeriodicX.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPolynomX.h"
#include "XelMathQuinticX.h"
#include "XelMathTrigonometricX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

typedef long double LD;
using xeltest::DerivAt;
using xeltest::kEps;
using xeltest::kInf;
using xeltest::kNaN;
// Margin over first-order rounding estimates (a few operations per term).
const double kRoundingSafety = 16.0;
// Samples per interval in the enclosure checks.
const int kSamples = 96;

// Values of orders 0..3 at a point from an independent formula, with the rounding allowance of
// a double evaluation of each order.
struct RefValue {
  LD d[4];
  double allow[4];
};
typedef std::function<RefValue(double)> Reference;

struct LeakGuard {
  const long start = xeltest::LiveBlocks();
  ~LeakGuard() { EXPECT_EQ(xeltest::LiveBlocks(), start) << "blocks leaked"; }
};

bool Encloses(const XelMathInterval& iI, LD v, double iAllow) {
  return (LD)iI.low - iAllow <= v && v <= (LD)iI.high + iAllow;
}

// ---- polynomial reference ---------------------------------------------------------------------
struct PolyData {
  std::vector<double> c;
  double s;
};

// sum_k c_k k!/(k-j)! t^(k-j) in long double, with the magnitude sum of absolute terms.
RefValue PolyRef(const PolyData& iP, double x) {
  RefValue r;
  const LD t = (LD)x - (LD)iP.s;
  const long d = (long)iP.c.size() - 1;
  LD mag[5];
  for (int j = 0; j < 5; ++j) {
    LD v = 0, m = 0;
    for (long k = d; k >= j; --k) {
      LD f = 1;
      for (long q = 0; q < j; ++q)
        f *= (LD)(k - q);
      v = v * t + f * iP.c[k];
      m = m * std::fabs(t) + std::fabs(f * iP.c[k]);
    }
    if (j < 4)
      r.d[j] = v;
    mag[j] = m;
  }
  const double argErr = kEps * (std::fabs(x) + std::fabs(iP.s));
  for (int j = 0; j < 4; ++j)
    r.allow[j] = kRoundingSafety * (double)((d + 2) * kEps * mag[j] + argErr * mag[j + 1]) +
                 std::numeric_limits<double>::min();
  return r;
}

// ---- generic checks ---------------------------------------------------------------------------
std::vector<double> Samples(const XelMathInterval& iI) {
  std::vector<double> x = {iI.low, iI.high};
  for (int k = 1; k < kSamples; ++k)
    x.push_back(std::min(iI.high, std::max(iI.low, iI.low + (iI.high - iI.low) * k / kSamples)));
  return x;
}

// Point values and derivatives against the reference; the multi-order evaluation against the
// single ones. Orders whose exactness the function does not claim are skipped.
void CheckPoint(const XelMathFunctionX& f, const Reference& ref, double x, const char* iWhat) {
  const RefValue r = ref(x);
  const double got[4] = {f.Eval(x), f.EvalFirstDeriv(x), f.EvalSecondDeriv(x), f.EvalThirdDeriv(x)};
  double multi[3] = {kNaN, kNaN, kNaN};
  f.Eval(x, 7, &multi[0], &multi[1], &multi[2]);
  for (int j = 0; j < 4; ++j) {
    EXPECT_TRUE((j > 0 && !f.IsOption(1L << j)) || std::fabs((LD)got[j] - r.d[j]) <= r.allow[j])
        << iWhat << " order " << j << " at x=" << x << " got " << got[j] << " ref "
        << (double)r.d[j];
    EXPECT_TRUE(j == 3 || std::fabs(multi[j] - got[j]) <= r.allow[j])
        << iWhat << " multi-order " << j << " at " << x;
  }
}

// The grid evaluation against point evaluations at the grid points (produced by repeated
// addition of the step, the last exactly at the high end).
void CheckGrid(const XelMathFunctionX& f, const Reference& ref, const XelMathInterval& iI, long iM,
               const char* iWhat) {
  std::vector<double> F[3] = {std::vector<double>(iM, kNaN), std::vector<double>(iM, kNaN),
                              std::vector<double>(iM, kNaN)};
  f.Eval(iI, iM, 7, F[0].data(), F[1].data(), F[2].data());
  const double step = iM > 1 ? (iI.high - iI.low) / (iM - 1) : 0.0;
  double x = iI.low;
  for (long k = 0; k < iM; ++k, x += step) {
    const double xk = (k == iM - 1 && iM > 1) ? iI.high : x;
    // The class may form the grid point in its own shifted variable: allow one step's
    // worth of accumulated rounding per point on the argument.
    const RefValue r = ref(xk);
    const double drift = (k + 1) * kEps * (std::fabs(xk) + std::fabs(step) * k);
    for (int j = 0; j < 3; ++j)
      EXPECT_LE(std::fabs(F[j][k] - DerivAt(f, j, xk)),
                2 * r.allow[j] + drift * std::fabs(DerivAt(f, j + 1, xk)))
          << iWhat << " grid order " << j << " at " << k << "/" << iM;
  }
}

// Interval images of orders 0..3, the multi-output interval evaluation under every mask, and
// ComputeOptimalImage, against dense samples of the reference.
void CheckInterval(const XelMathFunctionX& f, const Reference& ref, const XelMathInterval& iI,
                   const char* iWhat) {
  const std::vector<double> xs = Samples(iI);
  std::vector<RefValue> rs;
  double allow[4] = {0, 0, 0, 0};
  for (double x : xs) {
    rs.push_back(ref(x));
    for (int j = 0; j < 4; ++j)
      allow[j] = std::max(allow[j], rs.back().allow[j]);
  }
  // The first sample of order j that an image misses, reported once.
  const auto expectEncloses = [&](const XelMathInterval& img, int j, const std::string& what) {
    for (size_t k = 0; k < xs.size(); ++k)
      if (!Encloses(img, rs[k].d[j], allow[j])) {
        ADD_FAILURE() << iWhat << " " << what << " order " << j << " [" << iI.low << ", "
                      << iI.high << "] image [" << img.low << ", " << img.high << "] misses "
                      << (double)rs[k].d[j] << " at " << xs[k];
        return;
      }
  };
  const XelMathInterval img[4] = {f.Eval(iI), f.EvalFirstDeriv(iI), f.EvalSecondDeriv(iI),
                                  f.EvalThirdDeriv(iI)};
  for (int j = 0; j < 4; ++j)
    if (f.IsOption(16L << j))
      expectEncloses(img[j], j, "interval");
  // Multi-output evaluation: each requested output encloses the samples, the others are left
  // untouched.
  for (long mask = 0; mask < 256; mask += 16) {
    const XelMathInterval sentinel(12345.0, -12345.0);
    XelMathInterval out[3] = {sentinel, sentinel, sentinel};
    f.Eval(iI, mask, &out[0], &out[1], &out[2]);
    for (int j = 0; j < 3; ++j) {
      if (!(mask & (16L << j)))
        EXPECT_TRUE(out[j] == sentinel) << iWhat << " mask " << mask << " wrote output " << j;
      else if (f.IsOption(16L << j) && f.IsOption(mask & 112))
        expectEncloses(out[j], j, "multi-output mask " + std::to_string(mask));
    }
  }
  // Guaranteed image: encloses, and is not wider than the interval image (both enclose the
  // true image, so the better one is kept) beyond the relative flatness test of the
  // Chebyshev bound, 2 eps_rel (1 + |value|) on each side.
  if (f.IsOption(16)) {
    const XelTolerance& tol = XelGetDefaultTolerance();
    const XelMathInterval opt = f.ComputeOptimalImage(iI, tol);
    expectEncloses(opt, 0, "optimal image");
    const double norm = std::max(std::fabs(img[0].low), std::fabs(img[0].high));
    const double widthAllow = 4.0 * tol.GetRelativeEpsilon() * (1.0 + norm) + 4.0 * allow[0];
    EXPECT_LE(opt.high - opt.low, img[0].high - img[0].low + widthAllow)
        << iWhat << " optimal image [" << opt.low << ", " << opt.high
        << "] wider than the interval image [" << img[0].low << ", " << img[0].high << "] on ["
        << iI.low << ", " << iI.high << "]";
  }
}

// An interval of random placement and width: far from 0, point, width 1e-12, width up to 1e6.
XelMathInterval RandomInterval(std::mt19937_64& ioRng, double iMaxAbs) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> kind(0, 4);
  const double centre = u(ioRng) * iMaxAbs;
  const int k = kind(ioRng);
  const double w[5] = {0.0, 1e-12 * (1.0 + std::fabs(centre)), 0.1, 2.0,
                       std::min(1e6, 4.0 * iMaxAbs)};
  const double width = k < 2 ? w[k] : std::fabs(u(ioRng)) * w[k];
  return XelMathInterval(centre - 0.5 * width, centre + 0.5 * width);
}

void CheckAll(const XelMathFunctionX& f, const Reference& ref, const XelMathInterval& iI,
              const char* iWhat) {
  CheckInterval(f, ref, iI, iWhat);
  for (double x : {iI.low, iI.high, 0.5 * (iI.low + iI.high)})
    CheckPoint(f, ref, x, iWhat);
  for (long m : {1L, 2L, 5L, 11L})
    CheckGrid(f, ref, iI, m, iWhat);
}

// Sum of the absolute terms |c_k| |x - s|^k.
double PolyMag(const PolyData& iP, double x) {
  double m = 0.0;
  for (size_t k = iP.c.size(); k-- > 0;)
    m = m * std::fabs(x - iP.s) + std::fabs(iP.c[k]);
  return m;
}

double Mag(const PolyData& iP) {
  double m = 0.0;
  for (double c : iP.c)
    m += std::fabs(c);
  return m;
}

// Takes ownership of factory results, every one of which must exist.
std::vector<std::unique_ptr<XelMathFunctionX>> Own(std::initializer_list<XelMathFunctionX*> iFs) {
  std::vector<std::unique_ptr<XelMathFunctionX>> owned;
  for (XelMathFunctionX* f : iFs) {
    EXPECT_NE(f, nullptr) << "factory " << owned.size() << " gave null";
    owned.emplace_back(f);
  }
  return owned;
}

PolyData RandomPoly(std::mt19937_64& ioRng, long iDegree, double iShiftRange) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> expo(-3, 3);
  PolyData p;
  const double scale = std::pow(10.0, expo(ioRng));
  for (long k = 0; k <= iDegree; ++k)
    p.c.push_back(u(ioRng) * scale * (u(ioRng) > -0.8 ? 1.0 : 0.0));
  p.s = u(ioRng) * iShiftRange;
  return p;
}

} // namespace

// ---- polynomials -----------------------------------------------------------------------------

TEST(FunctionsBattery, PolynomialsOfEveryDegreeMatchIndependentHorner) {
  LeakGuard guard;
  std::mt19937_64 rng(20240611);
  for (int trial = 0; trial < 260; ++trial) {
    const long d = trial % 26;
    // Keep |t|^d representable: the interval reaches at most 10^(300/d) from the shift.
    const double reach = d > 0 ? std::min(1e6, std::pow(10.0, 250.0 / d)) : 1e6;
    const PolyData p = RandomPoly(rng, d, trial % 3 == 0 ? 1e5 : 3.0);
    XelMathPolynomX P(d, p.c.data(), p.s);
    XelMathInterval I = RandomInterval(rng, std::min(reach, 1e6) * 0.5);
    if (trial % 4 == 0) { // around the shift, where the symmetric kernel runs
      I.low += p.s;
      I.high += p.s;
    }
    if (std::fabs(I.low - p.s) > reach || std::fabs(I.high - p.s) > reach)
      continue;
    const Reference ref = [&p](double x) { return PolyRef(p, x); };
    CheckAll(P, ref, I, "PolynomX");
  }
}

TEST(FunctionsBattery, FixedDegreeSubclassesMatchIndependentHorner) {
  LeakGuard guard;
  std::mt19937_64 rng(77);
  for (int trial = 0; trial < 270; ++trial) {
    const XelMathInterval I = RandomInterval(rng, trial % 6 < 3 ? 5.0 : 1e3);
    const long degree[3] = {1, 3, 5};
    PolyData p = RandomPoly(rng, degree[trial % 3], trial % 3 == 2 ? 10.0 : 0.0);
    std::unique_ptr<XelMathFunctionX> f;
    if (trial % 3 == 0)
      f.reset(new XelMathLinearX(p.c[1], p.c[0]));
    else if (trial % 3 == 1)
      f.reset(new XelMathCubicX(p.c.data()));
    else
      f.reset(new XelMathQuinticX(p.c.data(), p.s));
    CheckAll(*f, [&p](double x) { return PolyRef(p, x); }, I, f->IsA());
  }
}

TEST(FunctionsBattery, PolynomialAlgebraKeepsValues) {
  LeakGuard guard;
  std::mt19937_64 rng(4242);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 200; ++trial) {
    const long dp = trial % 12, dq = (trial * 7) % 10;
    const PolyData p = RandomPoly(rng, dp, 3.0), q = RandomPoly(rng, dq, 3.0);
    XelMathPolynomX P(dp, p.c.data(), p.s), Q(dq, q.c.data(), q.s);
    const double a = u(rng) * 3.0, b = u(rng) * 3.0;
    const double aNonZero = (std::fabs(a) < 0.1 ? 0.5 : a);
    XelMathPolynomX* sum = Sum(&P, &Q);
    XelMathPolynomX* diff = Difference(&P, &Q);
    XelMathPolynomX* prod = Product(&P, &Q);
    XelMathPolynomX* sq = Square(&P);
    XelMathPolynomX* comb = Combination(&P, &Q, a, b);
    XelMathPolynomX* shifted = P.ShiftVariable(b);
    XelMathPolynomX* fshifted = P.FormalShiftVariable(b);
    XelMathPolynomX* scaled = P.ScaleVariable(aNonZero);
    XelMathPolynomX* lin = P.LinearChangeVariable(aNonZero, b);
    XelMathPolynomX* flin = P.FormalLinearChangeVariable(aNonZero, b);
    XelMathPolynomX* prim = Primitiv(&P, b);
    XelMathPolynomX* der = FirstDeriv(&P);
    XelMathLinearX g(aNonZero, b);
    XelMathFunctionX* compo = P.FormalCompositionX(&g);
    XelMathPolynomX canceled(P);
    canceled.CancelShift();
    XelMathPolynomX moved(P);
    moved.ChangeShift(b * 2.0);
    XelMathPolynomX* opp = Opposite(&Q);
    XelMathPolynomX* plusC = Sum(&Q, a);
    XelMathPolynomX* minusC = Difference(&Q, a);
    XelMathPolynomX* cMinus = Difference(a, &Q);
    XelMathPolynomX* times = Product(&Q, a);
    XelMathPolynomX* comb3 = Combination(&P, &Q, &P, a, b, 0.5);
    XelMathPolynomX* der2 = SecondDeriv(&P);
    XelMathPolynomX* der3 = ThirdDeriv(&P);
    XelMathPolynomX* zero = P.ScaleVariable(0.0);
    const XelMathFunctionX* pq[2] = {&P, &Q};
    const double ab[2] = {a, b};
    XelMathFunctionX* formal = P.FormalCombination(2, pq, ab, 0.25);
    XelMathPolynomX into, opMix = 2.0 * P - Q / 4.0 + 1.0, acc(P);
    FirstDeriv(&P, &into);
    acc += Q;
    acc -= 1.0;
    acc *= Q;
    acc *= 2.0;
    acc -= P;
    acc += 3.0;
    std::vector<double> mono(dp + 1);
    P.GetFormalCoefficients(mono.data());
    const std::vector<std::unique_ptr<XelMathFunctionX>> owned = Own(
        {sum, diff, prod, sq, comb, shifted, fshifted, scaled, lin, flin, prim, der, compo, opp,
         plusC, minusC, cMinus, times, comb3, der2, der3, zero, formal});
    EXPECT_TRUE(compo->IsATypeOf(10)) << "P(a x + b) stays a polynomial";
    for (int k = 0; k < 7; ++k) {
      const double x = u(rng) * 4.0;
      const double y = aNonZero * x + b;
      const RefValue rp = PolyRef(p, x), rq = PolyRef(q, x);
      const RefValue ry = PolyRef(p, y), rxb = PolyRef(p, x + b), rax = PolyRef(p, aNonZero * x);
      // A change of variable or a Taylor shift recombines terms of size mag (the sum of the
      // absolute terms at the point) and grows them by at most (1 + |shift moved|)^(d+1).
      const double shiftGrowth = std::pow(1.0 + std::fabs(b) + std::fabs(p.s) + std::fabs(q.s) +
                                              std::fabs(x) + std::fabs(y),
                                          (double)std::max(dp, dq) + 1);
      const double mp = PolyMag(p, x), mq = PolyMag(q, x);
      const double unitVar =
          kRoundingSafety * kEps * shiftGrowth *
          (1.0 + mp + PolyMag(p, y) + PolyMag(p, x + b) + PolyMag(p, aNonZero * x));
      const double unit = kRoundingSafety * kEps * shiftGrowth * (1.0 + mp + mq) *
                          (1.0 + std::fabs(a) + std::fabs(b));
      const double unitProd =
          kRoundingSafety * kEps * shiftGrowth * (dp + dq + 2) * (1.0 + mp) * (1.0 + mq);
      const double sP = unitVar;
      EXPECT_NEAR(sum->Eval(x), (double)(rp.d[0] + rq.d[0]), unit) << "Sum";
      EXPECT_NEAR(diff->Eval(x), (double)(rp.d[0] - rq.d[0]), unit) << "Difference";
      EXPECT_NEAR(prod->Eval(x), (double)(rp.d[0] * rq.d[0]), unitProd) << "Product";
      EXPECT_NEAR(sq->Eval(x), (double)(rp.d[0] * rp.d[0]),
                  kRoundingSafety * kEps * shiftGrowth * (2 * dp + 2) * (1.0 + mp) * (1.0 + mp))
          << "Square";
      EXPECT_NEAR(comb->Eval(x), (double)(a * rp.d[0] + b * rq.d[0]), 4 * unit) << "Combination";
      EXPECT_NEAR(shifted->Eval(x), (double)rxb.d[0], sP + rxb.allow[0]) << "ShiftVariable";
      EXPECT_NEAR(fshifted->Eval(x), (double)rxb.d[0], unitVar) << "FormalShiftVariable";
      EXPECT_NEAR(scaled->Eval(x), (double)rax.d[0], unitVar) << "ScaleVariable";
      EXPECT_NEAR(lin->Eval(x), (double)ry.d[0], unitVar) << "LinearChangeVariable";
      EXPECT_NEAR(flin->Eval(x), (double)ry.d[0], unitVar) << "FormalLinearChangeVariable";
      EXPECT_NEAR(compo->Eval(x), (double)ry.d[0], unitVar) << "FormalCompositionX with a linear";
      EXPECT_NEAR(canceled.Eval(x), (double)rp.d[0], unitVar) << "CancelShift";
      EXPECT_NEAR(moved.Eval(x), (double)rp.d[0], unitVar) << "ChangeShift";
      EXPECT_NEAR(der->Eval(x), (double)rp.d[1], rp.allow[1]) << "FirstDeriv";
      EXPECT_NEAR(prim->EvalFirstDeriv(x), (double)rp.d[0], unitVar * (dp + 2))
          << "Primitiv derivative";
      EXPECT_NEAR(opp->Eval(x), (double)-rq.d[0], unit) << "Opposite";
      EXPECT_NEAR(plusC->Eval(x), (double)(rq.d[0] + a), unit) << "Sum with a number";
      EXPECT_NEAR(minusC->Eval(x), (double)(rq.d[0] - a), unit) << "Difference with a number";
      EXPECT_NEAR(cMinus->Eval(x), (double)(a - rq.d[0]), unit) << "Difference from a number";
      EXPECT_NEAR(times->Eval(x), (double)(a * rq.d[0]), unit) << "Product by a number";
      EXPECT_NEAR(comb3->Eval(x), (double)((a + 0.5) * rp.d[0] + b * rq.d[0]), 4 * unit)
          << "Combination of three";
      EXPECT_NEAR(formal->Eval(x), (double)(a * rp.d[0] + b * rq.d[0] + 0.25), 4 * unit)
          << "FormalCombination";
      EXPECT_NEAR(opMix.Eval(x), (double)(2 * rp.d[0] - rq.d[0] / 4 + 1), 4 * unit) << "operators";
      EXPECT_NEAR(acc.Eval(x), (double)(2 * (rp.d[0] + rq.d[0] - 1) * rq.d[0] - rp.d[0] + 3),
                  8 * unitProd * (1.0 + mq) + 4 * unit)
          << "assignment operators";
      EXPECT_NEAR(into.Eval(x), (double)rp.d[1], rp.allow[1]) << "FirstDeriv into";
      EXPECT_NEAR(der2->Eval(x), (double)rp.d[2], rp.allow[2]) << "SecondDeriv";
      EXPECT_NEAR(der3->Eval(x), (double)rp.d[3], rp.allow[3]) << "ThirdDeriv";
      EXPECT_NEAR(zero->Eval(x), (double)PolyRef(p, 0.0).d[0], unitVar) << "ScaleVariable by 0";
      double m = 0.0;
      for (long j = dp; j >= 0; --j)
        m = m * x + mono[j];
      EXPECT_NEAR(m, (double)rp.d[0], unitVar) << "GetFormalCoefficients";
    }
    // The integral against the primitive's closed form sum c_k t^(k+1) / (k+1), t = x - s.
    const double lo = u(rng) * 2.0, hi = lo + std::fabs(u(rng)) * 2.0;
    LD exact = 0;
    for (long k = dp; k >= 0; --k)
      exact += (LD)p.c[k] *
               (std::pow((LD)hi - p.s, (LD)(k + 1)) - std::pow((LD)lo - p.s, (LD)(k + 1))) / (k + 1);
    const double intAllow = kRoundingSafety * kEps * (dp + 2) * (hi - lo + 1.0) *
                            std::pow(1.0 + std::fabs(p.s) + std::fabs(hi) + std::fabs(lo), dp + 1) *
                            (1.0 + Mag(p));
    EXPECT_NEAR(P.Integrate(XelMathInterval(lo, hi), 0.0), (double)exact, intAllow) << "Integrate";
    EXPECT_NEAR(P.IntegrateRelative(XelMathInterval(lo, hi), 1e-3), (double)exact, intAllow)
        << "IntegrateRelative";
    EXPECT_NEAR(prim->Eval(0.0), b,
                64 * kEps * (1.0 + std::fabs(b)) * std::pow(1.0 + std::fabs(p.s), (double)dp + 1) *
                    (1.0 + Mag(p)))
        << "Primitiv value at 0";
  }
}

// ---- elementary functions ------------------------------------------------------------------

namespace {

// a cos(w x) + b sin(w x) + c and its derivatives, from the constructor's own arguments.
RefValue TrigRef(double a, double b, double c, double w, double x) {
  RefValue r;
  const LD th = (LD)w * (LD)x;
  const LD cs = std::cos(th), sn = std::sin(th);
  const LD W = w;
  r.d[0] = a * cs + b * sn + c;
  r.d[1] = W * (-a * sn + b * cs);
  r.d[2] = -W * W * (a * cs + b * sn);
  r.d[3] = W * W * W * (a * sn - b * cs);
  const double amp = std::fabs(a) + std::fabs(b);
  const double argErr = kEps * (std::fabs(w * x) + 4.0); // w x and the phase
  double wj = 1.0;
  for (int j = 0; j < 4; ++j) {
    r.allow[j] = kRoundingSafety * (kEps * amp * wj + argErr * amp * wj) +
                 (j == 0 ? kRoundingSafety * kEps * std::fabs(c) : 0.0) +
                 std::numeric_limits<double>::min();
    wj *= std::fabs(w);
  }
  return r;
}

// A atan(B cos(w x + phi)) + C with u = B cos(theta), q = 1 / (1 + u^2):
//   g' = u' q, g'' = u'' q - 2 u u'^2 q^2,
//   g''' = u''' q - 6 u u' u'' q^2 - 2 u'^3 q^2 + 8 u^2 u'^3 q^3.
RefValue ArctanCosRef(double A, double B, double w, double phi, double C, double x) {
  RefValue r;
  const LD th = (LD)w * (LD)x + (LD)phi;
  const LD W = w, cs = std::cos(th), sn = std::sin(th);
  const LD u = B * cs, u1 = -B * W * sn, u2 = -B * W * W * cs, u3 = B * W * W * W * sn;
  const LD q = 1.0L / (1.0L + u * u);
  r.d[0] = A * std::atan(u) + C;
  r.d[1] = A * u1 * q;
  r.d[2] = A * (u2 * q - 2 * u * u1 * u1 * q * q);
  r.d[3] = A * (u3 * q - 6 * u * u1 * u2 * q * q - 2 * u1 * u1 * u1 * q * q +
                8 * u * u * u1 * u1 * u1 * q * q * q);
  const double argErr = kEps * (std::fabs(w * x) + std::fabs(phi) + 4.0);
  const double bw = 1.0 + std::fabs(B);
  double wj = 1.0;
  for (int j = 0; j < 4; ++j) {
    r.allow[j] = kRoundingSafety * std::fabs(A) * std::pow(bw, j + 1) * wj * 8.0 * (kEps + argErr) +
                 (j == 0 ? kRoundingSafety * kEps * std::fabs(C) : 0.0) +
                 std::numeric_limits<double>::min();
    wj *= std::fabs(w);
  }
  return r;
}

// a cosh(w x) + b sinh(w x) + c.
RefValue HyperbolicRef(double a, double b, double c, double w, double x) {
  RefValue r;
  const LD t = (LD)w * (LD)x, W = w;
  const LD ch = std::cosh(t), sh = std::sinh(t);
  r.d[0] = a * ch + b * sh + c;
  r.d[1] = W * (a * sh + b * ch);
  r.d[2] = W * W * (a * ch + b * sh);
  r.d[3] = W * W * W * (a * sh + b * ch);
  const double big = (std::fabs(a) + std::fabs(b)) * (double)ch;
  double wj = 1.0;
  for (int j = 0; j < 4; ++j) {
    r.allow[j] = kRoundingSafety * big * wj * kEps * (2.0 + std::fabs(w * x)) +
                 (j == 0 ? kRoundingSafety * kEps * std::fabs(c) : 0.0) +
                 std::numeric_limits<double>::min();
    wj *= std::fabs(w);
  }
  return r;
}

} // namespace

// a cos(w x) + b sin(w x) + c, A atan(B cos(w x + phi)) + C and a cosh(w x) + b sinh(w x) + c
// on random coefficients of every magnitude, zero pulsations and amplitudes included; the
// derivative functions against the same formula.
TEST(FunctionsBattery, TrigonometricArctanCosAndHyperbolicMatchIndependentFormulas) {
  LeakGuard guard;
  const XelTolerance& tol = XelGetDefaultTolerance();
  for (int kind = 0; kind < 3; ++kind) {
    std::mt19937_64 rng(kind == 0 ? 99 : kind == 1 ? 31 : 17);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int trial = 0; trial < 150; ++trial) {
      std::unique_ptr<XelMathFunctionX> f, d;
      Reference ref;
      XelMathInterval I;
      if (kind == 0) {
        const double scale = std::pow(10.0, (trial % 7) - 3);
        const double a = u(rng) * scale * (trial % 11 == 0 ? 0.0 : 1.0);
        const double b = u(rng) * scale * (trial % 13 == 0 ? 0.0 : 1.0);
        const double c = u(rng) * scale;
        const double w = (trial % 5 == 0 ? 0.0 : u(rng) * std::pow(10.0, (trial % 5) - 1));
        f.reset(new XelMathTrigonometricX(a, b, c, w, tol));
        d.reset(f->CreateDeriv());
        ref = [=](double x) { return TrigRef(a, b, c, w, x); };
        I = RandomInterval(rng, trial % 3 == 0 ? 1e5 : 10.0);
      } else if (kind == 1) {
        const double A = u(rng) * std::pow(10.0, (trial % 5) - 2);
        const double B = u(rng) * std::pow(10.0, (trial % 4) - 1);
        const double w = (trial % 7 == 0 ? 0.0 : u(rng) * std::pow(10.0, (trial % 3) - 1));
        const double phi = u(rng) * 10.0, C = u(rng);
        f.reset(new XelMathArctanCosX(A, B, w, phi, C));
        ref = [=](double x) { return ArctanCosRef(A, B, w, phi, C, x); };
        I = RandomInterval(rng, trial % 3 == 0 ? 1e4 : 10.0);
      } else {
        const double a = u(rng) * std::pow(10.0, (trial % 5) - 2);
        const double b = u(rng) * std::pow(10.0, (trial % 3) - 1) * (trial % 4 == 0 ? 0.0 : 1.0);
        const double c = u(rng);
        const double w = (trial % 9 == 0 ? 0.0 : u(rng) * std::pow(10.0, (trial % 3) - 1));
        // Keep w x within the range of cosh.
        const double reach = std::fabs(w) > 0 ? 30.0 / std::fabs(w) : 1e6;
        I = RandomInterval(rng, std::min(reach, 1e3) * 0.5);
        if (std::fabs(I.low) > reach || std::fabs(I.high) > reach)
          continue;
        XelMathHyperbolicX* h = new XelMathHyperbolicX(a, b, c, w);
        f.reset(h);
        d.reset(new XelMathHyperbolicX(h->Deriv()));
        ref = [=](double x) { return HyperbolicRef(a, b, c, w, x); };
      }
      CheckAll(*f, ref, I, f->IsA());
      for (double x : {I.low, I.high})
        EXPECT_TRUE(!d || std::fabs(d->Eval(x) - (double)ref(x).d[1]) <= ref(x).allow[1])
            << f->IsA() << " derivative at " << x;
    }
  }
}

TEST(FunctionsBattery, TrigonometricCombinationKeepsValues) {
  LeakGuard guard;
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  const XelTolerance& tol = XelGetDefaultTolerance();
  for (int trial = 0; trial < 60; ++trial) {
    const double w = u(rng) * 3.0;
    const double a1 = u(rng), b1 = u(rng), c1 = u(rng), a2 = u(rng), b2 = u(rng), c2 = u(rng);
    XelMathTrigonometricX f1(a1, b1, c1, w, tol), f2(a2, b2, c2, -w, tol);
    const XelMathFunctionX* fs[2] = {&f1, &f2};
    const double k[2] = {u(rng), u(rng)};
    const double k0 = u(rng);
    XelMathFunctionX* comb = f1.FormalCombination(2, fs, k, k0);
    ASSERT_NE(comb, nullptr) << "equal pulsations up to sign combine";
    for (int s = 0; s < 9; ++s) {
      const double x = u(rng) * 10.0;
      const RefValue r1 = TrigRef(a1, b1, c1, w, x), r2 = TrigRef(a2, b2, c2, -w, x);
      EXPECT_NEAR(comb->Eval(x), (double)(k[0] * r1.d[0] + k[1] * r2.d[0] + k0),
                  4 * (r1.allow[0] + r2.allow[0]) + kRoundingSafety * kEps)
          << "w=" << w;
    }
    delete comb;
  }
}

TEST(FunctionsBattery, FractionOfPolynomialsMatchesQuotientRule) {
  LeakGuard guard;
  std::mt19937_64 rng(8);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const XelTolerance& tol = XelGetDefaultTolerance();
  for (int trial = 0; trial < 150; ++trial) {
    const PolyData n = RandomPoly(rng, trial % 6, 2.0);
    PolyData d = RandomPoly(rng, trial % 4, 2.0);
    const XelMathInterval I = RandomInterval(rng, trial % 3 == 0 ? 100.0 : 3.0);
    // A denominator kept away from zero on I half of the time: lift it above its magnitude.
    if (trial % 2 == 0) {
      double m = 0.0;
      for (double x : Samples(I))
        m = std::max(m, std::fabs((double)PolyRef(d, x).d[0]));
      d.c[0] += (d.c[0] >= 0 ? 1.0 : -1.0) * (2.0 * m + 1.0);
    }
    XelMathPolynomX N((long)n.c.size() - 1, n.c.data(), n.s);
    XelMathPolynomX D((long)d.c.size() - 1, d.c.data(), d.s);
    XelMathFractionX f(&N, &D, tol);
    const Reference ref = [n, d](double x) {
      const RefValue rn = PolyRef(n, x), rd = PolyRef(d, x);
      RefValue r;
      const LD q0 = rn.d[0] / rd.d[0];
      const LD q1 = (rn.d[1] - q0 * rd.d[1]) / rd.d[0];
      const LD q2 = (rn.d[2] - 2 * q1 * rd.d[1] - q0 * rd.d[2]) / rd.d[0];
      const LD q3 = (rn.d[3] - 3 * q2 * rd.d[1] - 3 * q1 * rd.d[2] - q0 * rd.d[3]) / rd.d[0];
      r.d[0] = q0;
      r.d[1] = q1;
      r.d[2] = q2;
      r.d[3] = q3;
      // Relative errors of N and D carried through the quotient and its derivatives.
      const double inv = 1.0 / std::fabs((double)rd.d[0]);
      double errN = 0.0, errD = 0.0, q = 0.0;
      for (int j = 0; j < 4; ++j) {
        errN += rn.allow[j] + std::fabs((double)rn.d[j]) * kEps;
        errD += rd.allow[j] + std::fabs((double)rd.d[j]) * kEps;
        q += std::fabs((double)r.d[j]);
        const double rel = 1.0 + std::fabs((double)rd.d[1]) * inv +
                           std::fabs((double)rd.d[2]) * inv + std::fabs((double)rd.d[3]) * inv;
        r.allow[j] = kRoundingSafety * std::pow(rel, j + 1) * inv * (errN + q * errD) * (j + 1) +
                     std::numeric_limits<double>::min();
      }
      return r;
    };
    bool denomVanishes = false;
    for (double x : Samples(I))
      denomVanishes = denomVanishes || PolyRef(d, x).d[0] == 0;
    if (denomVanishes)
      continue;
    CheckAll(f, ref, I, "FractionX");
  }
}

TEST(FunctionsBattery, PeriodicMatchesFoldedPolynomial) {
  LeakGuard guard;
  std::mt19937_64 rng(12);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int trial = 0; trial < 150; ++trial) {
    const PolyData p = RandomPoly(rng, trial % 6, 1.0);
    XelMathPolynomX g((long)p.c.size() - 1, p.c.data(), p.s);
    const double T = std::pow(10.0, u(rng) * 2.0);
    const double a = u(rng) * 5.0;
    XelMathPeriodicX f(&g, T, a);
    // The fold in long double; near a fold point either side is an acceptable value.
    const auto fold = [=](double x) {
      LD r = std::fmod((LD)x - (LD)a, (LD)T);
      if (r < 0)
        r += T;
      return (LD)a + r;
    };
    const Reference ref = [=](double x) {
      const LD r = fold(x);
      RefValue v = PolyRef(p, (double)r);
      // Far from the period the folded argument carries the rounding of x.
      const RefValue v2 = PolyRef(p, (double)r + kEps * std::fabs(x));
      for (int j = 0; j < 4; ++j)
        v.allow[j] +=
            4.0 * std::fabs((double)(v2.d[j] - v.d[j])) +
            kRoundingSafety * kEps * std::fabs(x) * std::fabs((double)v2.d[std::min(j + 1, 3)]);
      return v;
    };
    const XelMathInterval I = RandomInterval(rng, trial % 3 == 0 ? 1e3 * T : 3.0 * T);
    // Point checks away from fold points, where the value is not ambiguous.
    for (double x : {I.low, I.high, 0.5 * (I.low + I.high)}) {
      const LD r = fold(x);
      const double margin = 1e-9 * (std::fabs(x) + T);
      if (r - a > margin && a + T - r > margin)
        CheckPoint(f, ref, x, "PeriodicX");
    }
    // Interval images against samples: both sides of a fold point belong to the image, so
    // only samples away from fold points are used.
    XelMathInterval multi[3];
    f.Eval(I, 112, &multi[0], &multi[1], &multi[2]);
    const XelMathInterval opt = f.ComputeOptimalImage(I, XelGetDefaultTolerance());
    const XelMathInterval img[5] = {f.Eval(I), f.EvalFirstDeriv(I), multi[0], multi[1], opt};
    const int order[5] = {0, 1, 0, 1, 0};
    for (double x : Samples(I)) {
      const LD r = fold(x);
      const double margin = 1e-9 * (std::fabs(x) + T);
      if (!(r - a > margin && a + T - r > margin))
        continue;
      const RefValue v = ref(x);
      for (int j = 0; j < 5; ++j)
        EXPECT_TRUE(Encloses(img[j], v.d[order[j]], v.allow[order[j]]))
            << "PeriodicX image " << j << " on [" << I.low << ", " << I.high << "] image ["
            << img[j].low << ", " << img[j].high << "] misses " << (double)v.d[order[j]] << " at "
            << x;
    }
  }
}

TEST(FunctionsBattery, PiecewiseMatchesPieceLookup) {
  LeakGuard guard;
  std::mt19937_64 rng(1234);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 80; ++trial) {
    const long n = 1 + trial % 7;
    std::vector<double> b(n + 1);
    b[0] = (u(rng) - 0.5) * 20.0;
    for (long i = 1; i <= n; ++i)
      b[i] = b[i - 1] + 0.01 + u(rng) * 3.0;
    std::vector<PolyData> ps;
    std::vector<XelMathPolynomX> polys;
    polys.reserve(n);
    std::vector<const XelMathFunctionX*> gs;
    for (long i = 0; i < n; ++i) {
      ps.push_back(RandomPoly(rng, (trial + i) % 5, 1.0));
      polys.emplace_back((long)ps.back().c.size() - 1, ps.back().c.data(), ps.back().s);
    }
    for (long i = 0; i < n; ++i)
      gs.push_back(&polys[i]);
    XelMathPiecewiseX f(n, b.data(), gs.data());
    // Piece of x: an inner border b_k belongs to piece k - 1; the end pieces extrapolate.
    const Reference ref = [=](double x) {
      long i = 0;
      while (i < n - 1 && x > b[i + 1])
        ++i;
      RefValue v = PolyRef(ps[i], (double)((LD)x - (LD)b[i]));
      const RefValue v2 =
          PolyRef(ps[i], (double)((LD)x - (LD)b[i]) + kEps * (std::fabs(x) + std::fabs(b[i])));
      for (int j = 0; j < 4; ++j)
        v.allow[j] += 4.0 * std::fabs((double)(v2.d[j] - v.d[j]));
      return v;
    };
    for (int rep = 0; rep < 3; ++rep) {
      XelMathInterval I = RandomInterval(rng, 15.0);
      if (rep == 2) // exactly on borders
        I = XelMathInterval(b[0], b[n]);
      CheckAll(f, ref, I, "PiecewiseX");
    }
  }
}

// ---- NaN, infinite and huge inputs: defined answers, no hang, no crash --------------------------

TEST(FunctionsBattery, NonFiniteInputsNeitherHangNorCrash) {
  LeakGuard guard;
  const XelTolerance& tol = XelGetDefaultTolerance();
  const double c[6] = {1.0, -2.0, 0.5, 3.0, -1.0, 0.25};
  XelMathPolynomX P(5, c, 0.5);
  XelMathCubicX C(c);
  XelMathLinearX L(2.0, 1.0);
  XelMathTrigonometricX T(1.0, 2.0, 0.5, 3.0, tol);
  XelMathArctanCosX A(1.0, 2.0, 3.0, 0.5, 0.1);
  XelMathHyperbolicX H(1.0, 0.5, 0.0, 2.0);
  XelMathFractionX F(&P, &L, tol);
  XelMathPeriodicX Pe(&P, 1.5, 0.25);
  const double borders[3] = {0.0, 1.0, 2.0};
  const XelMathFunctionX* pieces[2] = {&P, &C};
  XelMathPiecewiseX Pw(2, borders, pieces);
  const XelMathFunctionX* all[] = {&P, &C, &L, &T, &A, &H, &Pe, &Pw};
  const double bad[] = {kNaN, kInf, -kInf, 1e300, -1e300, 1e30};
  for (const XelMathFunctionX* f : all)
    for (double x : bad) {
      double v[3], g[4][3];
      for (int k = 0; k < 4; ++k)
        (void)DerivAt(*f, k, x);
      f->Eval(x, 7, &v[0], &v[1], &v[2]);
      for (const XelMathInterval& I : {XelMathInterval(x, x), XelMathInterval(0.0, x),
                                       XelMathInterval(-std::fabs(x), 1.0)}) {
        XelMathInterval o[3];
        for (int k = 0; k < 4; ++k)
          (void)xeltest::DerivImage(*f, k, I);
        f->Eval(I, 112, &o[0], &o[1], &o[2]);
        f->Eval(I, 4, 7, g[0], g[1], g[2]);
      }
    }
  // The fraction at a NaN: a NaN denominator is not a zero denominator.
  EXPECT_NO_THROW((void)F.Eval(kNaN));
  // The periodic fold far away is bounded in cost and lands in the period.
  EXPECT_TRUE(std::isfinite(Pe.Eval(1e15 + 0.3)));
}

// ---- regressions of faults found by the battery ------------------------------------------

// The first derivative jumps from 2 to -1 at the border while the second derivative image
// [0, 2] is non-negative: chaining monotonicity across pieces gave the empty [0, -1].
TEST(FunctionsBattery, PiecewiseMultiOutputImagesDoNotChainAcrossBorders) {
  const double square[3] = {0.0, 0.0, 1.0}, down[2] = {1.0, -1.0};
  XelMathPolynomX g0(2, square, 0.0), g1(1, down, 0.0);
  const double borders[3] = {0.0, 1.0, 2.0};
  const XelMathFunctionX* g[2] = {&g0, &g1};
  XelMathPiecewiseX f(2, borders, g);
  XelMathInterval F, F1, F2;
  f.Eval(XelMathInterval(0.0, 2.0), 112, &F, &F1, &F2);
  EXPECT_LE(F1.low, -1.0);
  EXPECT_GE(F1.high, 2.0);
  EXPECT_LE(F.low, 0.0);
  EXPECT_GE(F.high, 1.0);
  EXPECT_LE(F2.low, 0.0);
  EXPECT_GE(F2.high, 2.0);
  const XelMathInterval opt =
      f.ComputeOptimalImage(XelMathInterval(0.0, 2.0), XelGetDefaultTolerance());
  EXPECT_LE(opt.low, 0.0);
  EXPECT_GE(opt.high, 1.0);
}

// cosh on [-1, 2]: the interval cosh starts at 0 by convention; the guaranteed image is
// [cosh 0, cosh 2] from the critical point.
TEST(FunctionsBattery, HyperbolicOptimalImageUsesTheCriticalPoint) {
  XelMathHyperbolicX f(1.0, 0.0, 0.0, 1.0);
  const XelMathInterval opt =
      f.ComputeOptimalImage(XelMathInterval(-1.0, 2.0), XelGetDefaultTolerance());
  EXPECT_NEAR(opt.low, 1.0, 4 * kEps);
  EXPECT_NEAR(opt.high, std::cosh(2.0), 4 * kEps * std::cosh(2.0));
  // 2 cosh x - sinh x has its minimum sqrt(3) at tanh x = 1/2.
  XelMathHyperbolicX h(2.0, -1.0, 0.0, 1.0);
  const XelMathInterval img =
      h.ComputeOptimalImage(XelMathInterval(-1.0, 2.0), XelGetDefaultTolerance());
  EXPECT_NEAR(img.low, std::sqrt(3.0), 8 * kEps);
}
