// Polynomials of one variable: evaluation, fixed-degree classes, Hermite constructors,
// interval images, Chebyshev basis, changes of variable and the polynomial algebra.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "XelError.h"
#include "XelFedEx.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathCubicX.h"
#include "XelMathInputError.h"
#include "XelMathLinearX.h"
#include "XelMathPointsToCubic.h"
#include "XelMathPolynomX.h"
#include "XelMathQuinticX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

namespace {

const double kEps = std::numeric_limits<double>::epsilon();

// ---- independent reference: direct power sums in long double ----------------------------
struct RefPoly {
  std::vector<double> c; // shifted-basis coefficients
  double s;
};

/// k-th derivative of sum c_j (x - s)^j by the closed form j!/(j-k)! c_j t^(j-k).
long double RefDeriv(const RefPoly& p, double x, int k) {
  const long double t = (long double)x - (long double)p.s;
  long double sum = 0.0L;
  for (size_t j = k; j < p.c.size(); ++j) {
    long double f = 1.0L;
    for (int i = 0; i < k; ++i)
      f *= (long double)(j - i);
    sum += f * (long double)p.c[j] * std::pow(t, (long double)(j - k));
  }
  return sum;
}

/// Magnitude of the terms of the k-th derivative at x: the scale of rounding errors.
double RefMagnitude(const RefPoly& p, double x, int k) {
  const double t = std::fabs(x - p.s);
  double sum = 0.0;
  for (size_t j = k; j < p.c.size(); ++j) {
    double f = 1.0;
    for (int i = 0; i < k; ++i)
      f *= double(j - i);
    sum += f * std::fabs(p.c[j]) * std::pow(t, double(j - k));
  }
  return sum;
}

/// Rounding allowance of an evaluation of degree d whose terms have magnitude m.
double Allowance(long d, double m) {
  return 8.0 * (d + 2) * kEps * m + 1e-300;
}

RefPoly RandomPoly(std::mt19937& rng, long d, double s) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  RefPoly p;
  p.s = s;
  p.c.resize(d + 1);
  for (long k = 0; k <= d; ++k)
    p.c[k] = u(rng);
  return p;
}

XelMathPolynomX Make(const RefPoly& p) {
  return XelMathPolynomX(long(p.c.size()) - 1, p.c.data(), p.s);
}

/// Counters of live blocks, to prove that a scope released all it allocated.
long LiveBlocks() {
  return XelQuorGetMemoryCounters().liveBlocks;
}

} // namespace

// ==== point evaluations ====================================================================
TEST(PolynomX, DerivativesMatchIndependentFormulas) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> ux(-2.0, 2.0);
  for (long d = 0; d <= 20; ++d) {
    const RefPoly r = RandomPoly(rng, d, ux(rng));
    const XelMathPolynomX p = Make(r);
    for (int i = 0; i < 25; ++i) {
      const double x = ux(rng);
      EXPECT_NEAR(p.Eval(x), (double)RefDeriv(r, x, 0), Allowance(d, RefMagnitude(r, x, 0)));
      EXPECT_NEAR(p.EvalFirstDeriv(x), (double)RefDeriv(r, x, 1),
                  Allowance(d, RefMagnitude(r, x, 1)));
      EXPECT_NEAR(p.EvalSecondDeriv(x), (double)RefDeriv(r, x, 2),
                  Allowance(d, RefMagnitude(r, x, 2)));
      EXPECT_NEAR(p.EvalThirdDeriv(x), (double)RefDeriv(r, x, 3),
                  Allowance(d, RefMagnitude(r, x, 3)));
      double f = 0, f1 = 0, f2 = 0;
      p.Eval(x, 7, &f, &f1, &f2);
      EXPECT_NEAR(f, (double)RefDeriv(r, x, 0), Allowance(d, RefMagnitude(r, x, 0)));
      EXPECT_NEAR(f1, (double)RefDeriv(r, x, 1), Allowance(d, RefMagnitude(r, x, 1)));
      EXPECT_NEAR(f2, (double)RefDeriv(r, x, 2), Allowance(d, RefMagnitude(r, x, 2)));
    }
  }
}

TEST(PolynomX, DegreeZeroAndEmptyPolynomials) {
  const double c = 4.0;
  XelMathPolynomX p(0, &c, 1.0);
  EXPECT_EQ(p.Eval(7.0), 4.0);
  EXPECT_EQ(p.EvalFirstDeriv(7.0), 0.0);
  EXPECT_EQ(p.EvalSecondDeriv(7.0), 0.0);
  XelMathFunctionX* d = p.CreateDeriv();
  ASSERT_TRUE(d->IsATypeOf(10));
  EXPECT_EQ(static_cast<XelMathPolynomX*>(d)->GetDegree(), 0);
  EXPECT_EQ(d->Eval(3.0), 0.0);
  delete d;
  XelMathPolynomX none(-1);
  EXPECT_EQ(none.GetDegree(), -1);
  EXPECT_EQ(none.Eval(2.0), 0.0);
  EXPECT_EQ(none.GetDynamicMemoryBytes(), 0);
  EXPECT_EQ(p.GetStaticMemoryBytes(), 24);
  XelMathPolynomX q(6, nullptr, 0.0);
  EXPECT_EQ(q.GetDynamicMemoryBytes(), 8 * 7);
  EXPECT_EQ(q.Eval(3.0), 0.0); // null coefficients give zeros
}

TEST(PolynomX, GridEvaluationMatchesPointEvaluation) {
  std::mt19937 rng(12);
  for (long d : {0L, 1L, 3L, 5L, 8L, 13L}) {
    const RefPoly r = RandomPoly(rng, d, 0.3);
    const XelMathPolynomX p = Make(r);
    for (long m : {1L, 2L, 5L, 9L, 17L}) {
      const XelMathInterval I(-1.25, 2.0);
      std::vector<double> f(m, -7.0), f1(m, -7.0), f2(m, -7.0), g(m, -7.0);
      p.Eval(I, m, 7, f.data(), f1.data(), f2.data());
      p.Eval(I, m, 1, g.data(), nullptr, nullptr);
      const double step = m > 1 ? (I.high - I.low) / double(m - 1) : 0.0;
      for (long i = 0; i < m; ++i) {
        const double x = (i == m - 1 && m > 1) ? I.high : I.low + i * step;
        const double tolF = Allowance(d, RefMagnitude(r, x, 0)) + 1e-12;
        EXPECT_NEAR(f[i], p.Eval(x), tolF);
        EXPECT_NEAR(g[i], p.Eval(x), tolF);
        EXPECT_NEAR(f1[i], p.EvalFirstDeriv(x), Allowance(d, RefMagnitude(r, x, 1)) + 1e-12);
        EXPECT_NEAR(f2[i], p.EvalSecondDeriv(x), Allowance(d, RefMagnitude(r, x, 2)) + 1e-12);
      }
      if (m > 1) { // the last point is exactly the high end
        EXPECT_EQ(g[m - 1], p.Eval(I.high));
      }
    }
  }
}

TEST(PolynomX, OptionsTypesAndNames) {
  XelMathPolynomX p(2, nullptr, 0.0);
  EXPECT_TRUE(p.IsOption(0));
  EXPECT_TRUE(p.IsOption(2 | 4 | 8 | 16 | 32 | 64 | 128));
  EXPECT_TRUE(p.IsOption(48));
  EXPECT_FALSE(p.IsOption(1));
  EXPECT_FALSE(p.IsOption(256));
  EXPECT_FALSE(p.IsOption(48 | 1));
  EXPECT_STREQ(p.IsA(), "XelMathPolynomX");
  EXPECT_TRUE(p.IsAKindOf("XelMathPolynomX"));
  EXPECT_TRUE(p.IsAKindOf("XelMathFunctionX"));
  EXPECT_TRUE(p.IsAKindOf("XelMathFunctionGeneral"));
  EXPECT_FALSE(p.IsAKindOf("XelMathCubicX"));
  EXPECT_TRUE(p.IsATypeOf(0));
  EXPECT_TRUE(p.IsATypeOf(10));
  EXPECT_FALSE(p.IsATypeOf(11));
  EXPECT_EQ(p.GetDirectComponents(0, nullptr), 0);

  XelMathLinearX l(2.0, 3.0);
  XelMathCubicX c;
  XelMathQuinticX q;
  EXPECT_TRUE(l.IsATypeOf(10) && l.IsATypeOf(11) && !l.IsATypeOf(13));
  EXPECT_TRUE(c.IsATypeOf(10) && c.IsATypeOf(13) && !c.IsATypeOf(15));
  EXPECT_TRUE(q.IsATypeOf(10) && q.IsATypeOf(15) && !q.IsATypeOf(11));
  EXPECT_STREQ(l.IsA(), "XelMathLinearX");
  EXPECT_STREQ(c.IsA(), "XelMathCubicX");
  EXPECT_STREQ(q.IsA(), "XelMathQuinticX");
  EXPECT_TRUE(q.IsAKindOf("XelMathPolynomX") && q.IsAKindOf("XelMathQuinticX"));
  EXPECT_TRUE(l.IsOption(48));
}

// ==== fixed-degree classes =====================================================================
TEST(PolynomX, FixedDegreeClassesAgreeWithGeneralPolynomial) {
  XelMathLinearX l(2.0, 3.0);
  EXPECT_EQ(l.Eval(0.0), 3.0);
  EXPECT_EQ(l.Eval(1.0), 5.0);
  EXPECT_EQ(l.GetScale(), 2.0);
  EXPECT_EQ(l.GetShift(), 3.0);
  EXPECT_EQ(l.XelMathPolynomX::GetShift(), 0.0);
  const double lc[2] = {-1.0, 0.5};
  XelMathLinearX l2(lc);
  EXPECT_EQ(l2.Eval(4.0), 1.0);

  std::mt19937 rng(13);
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  const RefPoly r3 = RandomPoly(rng, 3, 0.0), r5 = RandomPoly(rng, 5, 0.7);
  XelMathCubicX cubic(r3.c.data());
  XelMathQuinticX quintic(r5.c.data(), r5.s);
  const XelMathPolynomX g1(1, lc, 0.0), g3 = Make(r3), g5 = Make(r5);
  const XelMathPolynomX* general[3] = {&g1, &g3, &g5};
  const XelMathPolynomX* fixed[3] = {&l2, &cubic, &quintic};
  for (int k = 0; k < 3; ++k) {
    const XelMathFunctionX& a = *fixed[k];
    const XelMathFunctionX& b = *general[k];
    const double mag = 64.0 * kEps * 200.0;
    for (int i = 0; i < 30; ++i) {
      const double x = u(rng);
      EXPECT_NEAR(a.Eval(x), b.Eval(x), mag);
      EXPECT_NEAR(a.EvalFirstDeriv(x), b.EvalFirstDeriv(x), mag);
      EXPECT_NEAR(a.EvalSecondDeriv(x), b.EvalSecondDeriv(x), mag);
      EXPECT_NEAR(a.EvalThirdDeriv(x), b.EvalThirdDeriv(x), mag);
      double f[3], h[3];
      a.Eval(x, 7, f, f + 1, f + 2);
      b.Eval(x, 7, h, h + 1, h + 2);
      for (int j = 0; j < 3; ++j)
        EXPECT_NEAR(f[j], h[j], mag);
    }
    // Interval images enclose the same samples.
    for (const XelMathInterval& I :
         {XelMathInterval(-1.5, -0.2), XelMathInterval(0.1, 1.9), XelMathInterval(-1.0, 1.3)}) {
      const XelMathInterval J = a.Eval(I);
      for (int i = 0; i <= 200; ++i) {
        const double x = I.low + (I.high - I.low) * i / 200.0;
        EXPECT_GE(b.Eval(x), J.low - mag);
        EXPECT_LE(b.Eval(x), J.high + mag);
      }
    }
    XelMathFunctionX* dup = a.Duplicate();
    EXPECT_STREQ(dup->IsA(), a.IsA());
    EXPECT_EQ(dup->Eval(0.37), a.Eval(0.37));
    delete dup;
  }
  // The linear image is exact, with ends ordered for a negative slope.
  const XelMathInterval J = XelMathLinearX(-2.0, 1.0).Eval(XelMathInterval(0.0, 1.0));
  EXPECT_EQ(J.low, -1.0);
  EXPECT_EQ(J.high, 1.0);
  long sense = 9;
  EXPECT_EQ(XelMathLinearX(-2.0, 1.0).IsMonotone(XelMathInterval(0, 1), sense), 1);
  EXPECT_EQ(sense, -1);
  EXPECT_EQ(XelMathLinearX(0.0, 1.0).IsMonotone(XelMathInterval(0, 1), sense), 1);
  EXPECT_EQ(sense, 0);
  // Copies of fixed-degree objects own their own coefficients.
  XelMathCubicX copy(cubic);
  copy.SetCoefficient(0, 100.0);
  EXPECT_NE(copy.Eval(0.0), cubic.Eval(0.0));
  copy = cubic;
  EXPECT_EQ(copy.Eval(0.3), cubic.Eval(0.3));
}

// ==== Hermite constructors ====================================================================
TEST(PolynomX, HermiteConstructorsReproduceEndData) {
  const double tolData = 1e-11;
  const double p0 = 1.5, d0 = -2.0, s0 = 0.75, p1 = -0.25, d1 = 3.0, s1 = -4.0;
  for (double L : {0.5, 1.0, 3.0}) {
    XelMathQuinticX q(p0, d0, s0, p1, d1, s1, L);
    EXPECT_DOUBLE_EQ(q.GetShift(), 0.5 * L);
    EXPECT_NEAR(q.Eval(0.0), p0, tolData);
    EXPECT_NEAR(q.EvalFirstDeriv(0.0), d0, tolData);
    EXPECT_NEAR(q.EvalSecondDeriv(0.0), s0, tolData);
    EXPECT_NEAR(q.Eval(L), p1, tolData);
    EXPECT_NEAR(q.EvalFirstDeriv(L), d1, tolData);
    EXPECT_NEAR(q.EvalSecondDeriv(L), s1, tolData);

    XelMathCubicX c(p0, d0, p1, d1, L);
    EXPECT_NEAR(c.Eval(0.0), p0, tolData);
    EXPECT_NEAR(c.EvalFirstDeriv(0.0), d0, tolData);
    EXPECT_NEAR(c.Eval(L), p1, tolData);
    EXPECT_NEAR(c.EvalFirstDeriv(L), d1, tolData);
    double out[4];
    XelMathPointsToCubic(p0, d0, p1, d1, L, out);
    EXPECT_EQ(out[0], p0);
    EXPECT_EQ(out[1], d0);
  }
  const double lo3[2] = {p0, d0}, hi3[2] = {p1, d1};
  const double lo5[3] = {p0, d0, s0}, hi5[3] = {p1, d1, s1};
  for (unsigned char flag : {0, 1}) {
    const XelMathInterval I(2.0, 3.5);
    XelMathPolynomX c(3, I, lo3, hi3, flag);
    XelMathPolynomX q(5, I, lo5, hi5, flag);
    EXPECT_EQ(c.GetShift(), flag ? 2.75 : 0.0);
    EXPECT_EQ(q.GetShift(), flag ? 2.75 : 0.0);
    const double tolShifted = 1e-9; // coefficients re-expressed at a distant shift
    EXPECT_NEAR(c.Eval(I.low), p0, tolShifted);
    EXPECT_NEAR(c.EvalFirstDeriv(I.low), d0, tolShifted);
    EXPECT_NEAR(c.Eval(I.high), p1, tolShifted);
    EXPECT_NEAR(c.EvalFirstDeriv(I.high), d1, tolShifted);
    EXPECT_NEAR(q.Eval(I.low), p0, tolShifted);
    EXPECT_NEAR(q.EvalFirstDeriv(I.low), d0, tolShifted);
    EXPECT_NEAR(q.EvalSecondDeriv(I.low), s0, tolShifted);
    EXPECT_NEAR(q.Eval(I.high), p1, tolShifted);
    EXPECT_NEAR(q.EvalFirstDeriv(I.high), d1, tolShifted);
    EXPECT_NEAR(q.EvalSecondDeriv(I.high), s1, tolShifted);
  }
  try {
    XelMathPolynomX bad(4, XelMathInterval(0, 1), lo5, hi5, 0);
    FAIL() << "degree 4 accepted";
  } catch (const XelMathInputError& e) {
    EXPECT_EQ(e.GetCode(), 0x20006);
  }
}

// ==== interval images
// =============================================================================
namespace {

struct Bounds {
  double lo, hi;
};

/// Exact range (up to rounding) of the k-th derivative sampled densely on I.
Bounds SampleRange(const RefPoly& r, const XelMathInterval& I, int k, double& magnitude) {
  Bounds b{HUGE_VAL, -HUGE_VAL};
  magnitude = 0.0;
  const int n = 400;
  for (int i = 0; i <= n; ++i) {
    const double x = I.low + (I.high - I.low) * i / double(n);
    const double v = (double)RefDeriv(r, x, k);
    b.lo = std::fmin(b.lo, v);
    b.hi = std::fmax(b.hi, v);
    magnitude = std::fmax(magnitude, RefMagnitude(r, x, k));
  }
  return b;
}

void ExpectEncloses(const XelMathInterval& J, const Bounds& b, double slack, const char* what,
                    long d, const XelMathInterval& I) {
  EXPECT_LE(J.low, b.lo + slack) << what << " degree " << d << " on [" << I.low << ", " << I.high
                                 << "]";
  EXPECT_GE(J.high, b.hi - slack) << what << " degree " << d << " on [" << I.low << ", " << I.high
                                  << "]";
}

} // namespace

TEST(PolynomX, IntervalImagesEncloseDenseSamples) {
  std::mt19937 rng(14);
  std::uniform_real_distribution<double> us(-1.0, 1.0);
  const XelTolerance& tol = XelGetDefaultTolerance();
  for (long d = 0; d <= 20; ++d) {
    for (int trial = 0; trial < 4; ++trial) {
      const double s = us(rng);
      const RefPoly r = RandomPoly(rng, d, s);
      const XelMathPolynomX p = Make(r);
      // Left of, right of and straddling the shift, narrow and wide.
      const XelMathInterval cases[] = {
          XelMathInterval(s - 1.3, s - 0.2), XelMathInterval(s + 0.05, s + 0.9),
          XelMathInterval(s - 0.4, s + 1.1), XelMathInterval(s - 1.0, s),
          XelMathInterval(s, s + 0.6),       XelMathInterval(s + 0.3, s + 0.3001)};
      for (const XelMathInterval& I : cases) {
        const double a = I.low - s, b = I.high - s;
        double m0, m1, m2, m3;
        const Bounds v = SampleRange(r, I, 0, m0), v1 = SampleRange(r, I, 1, m1),
                     v2 = SampleRange(r, I, 2, m2), v3 = SampleRange(r, I, 3, m3);
        const double e0 = Allowance(d, m0), e1 = Allowance(d, m1), e2 = Allowance(d, m2),
                     e3 = Allowance(d, m3);
        ExpectEncloses(p.Eval(I), v, e0, "Eval(I)", d, I);
        ExpectEncloses(p.EvalFirstDeriv(I), v1, e1, "EvalFirstDeriv(I)", d, I);
        ExpectEncloses(p.EvalSecondDeriv(I), v2, e2, "EvalSecondDeriv(I)", d, I);
        ExpectEncloses(p.EvalThirdDeriv(I), v3, e3, "EvalThirdDeriv(I)", d, I);
        ExpectEncloses(p.ComputeImageByChebychev(I), v, 4 * e0, "Chebyshev", d, I);
        ExpectEncloses(p.ComputeOptimalImage(I, tol), v, 4 * e0, "ComputeOptimalImage", d, I);
        // Every kernel that applies to the shifted interval encloses the range.
        const XelMathInterval T(a, b);
        const double* c = r.c.data();
        if (a >= 0) {
          ExpectEncloses(EvalPos(T, c, d), v, e0, "EvalPos", d, I);
          ExpectEncloses(EvalFirstDerivPos(T, c, d), v1, e1, "EvalFirstDerivPos", d, I);
        }
        if (b <= 0) {
          ExpectEncloses(EvalNeg(T, c, d), v, e0, "EvalNeg", d, I);
          ExpectEncloses(EvalFirstDerivNeg(T, c, d), v1, e1, "EvalFirstDerivNeg", d, I);
        }
        // The symmetric kernel is valid on any interval holding 0 inside.
        const XelMathInterval W(std::fmin(a, -1e-3), std::fmax(b, 1e-3));
        const XelMathInterval IW(W.low + s, W.high + s);
        double mw0, mw1;
        const Bounds w = SampleRange(r, IW, 0, mw0), w1 = SampleRange(r, IW, 1, mw1);
        ExpectEncloses(EvalSym(W, c, d), w, Allowance(d, mw0), "EvalSym", d, IW);
        ExpectEncloses(EvalFirstDerivSym(W, c, d), w1, Allowance(d, mw1), "EvalFirstDerivSym", d,
                       IW);
      }
    }
  }
}

TEST(PolynomX, SymmetricKernelOnSquare) {
  const double c[3] = {0.0, 0.0, 1.0};
  const XelMathPolynomX p(2, c, 0.0);
  const XelMathInterval J = p.Eval(XelMathInterval(-1.0, 2.0));
  EXPECT_EQ(J.low, 0.0);
  EXPECT_EQ(J.high, 4.0);
  // Monotone pieces give the exact end values.
  const XelMathInterval K =
      p.ComputeOptimalImage(XelMathInterval(1.0, 2.0), XelGetDefaultTolerance());
  EXPECT_EQ(K.low, 1.0);
  EXPECT_EQ(K.high, 4.0);
}

// ==== Chebyshev basis
// ================================================================================
TEST(PolynomX, ChebyshevTableAndConversions) {
  // T_n(cos th) = cos(n th), from the table's monomial coefficients.
  for (long n = 0; n <= XelMathPolynomX::ChebychevTableDegree; ++n)
    for (double th : {0.1, 0.7, 1.3, 2.9}) {
      const double x = std::cos(th);
      double v = 0.0;
      for (long k = n; k >= 0; --k)
        v = v * x + XelMathPolynomX::GetChebychevCoefficient(n, k);
      EXPECT_NEAR(v, std::cos(n * th), 1e-12 * (1 << (n > 0 ? n - 1 : 0)));
    }
  EXPECT_EQ(XelMathPolynomX::GetChebychevCoefficient(15, 15), 16384.0);
  // Round trips at degrees below and above the table.
  std::mt19937 rng(15);
  for (long d : {0L, 1L, 4L, 15L, 16L, 22L}) {
    const RefPoly r = RandomPoly(rng, d, 0.0);
    std::vector<double> canon(d + 1), back(d + 1);
    XelMathPolynomX::ChebyshevToCanonical(d, r.c.data(), canon.data());
    XelMathPolynomX::CanonicalToChebyshev(d, canon.data(), back.data());
    for (long k = 0; k <= d; ++k)
      EXPECT_NEAR(back[k], r.c[k], 1e-9) << "degree " << d;
    // The monomial form takes the Chebyshev sum's values (cosine identity).
    for (double th : {0.2, 1.1, 2.5}) {
      double cheb = 0.0;
      for (long k = 0; k <= d; ++k)
        cheb += r.c[k] * std::cos(k * th);
      double mono = 0.0;
      for (long k = d; k >= 0; --k)
        mono = mono * std::cos(th) + canon[k];
      EXPECT_NEAR(mono, cheb, 1e-8) << "degree " << d;
    }
  }
}

TEST(PolynomX, ChebyshevImageWidthAgainstIntervalHorner) {
  // Widths over random cases are printed; on single Chebyshev modes (and odd series of one
  // sign) the Chebyshev bound is the exact range, so it is never wider than the Horner image.
  std::mt19937 rng(16);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  int tighter = 0, total = 0, tighterTurning = 0, totalTurning = 0;
  double ratioSum = 0.0, ratioSumTurning = 0.0;
  for (long d = 2; d <= 15; ++d)
    for (int trial = 0; trial < 20; ++trial) {
      const RefPoly r = RandomPoly(rng, d, u(rng));
      const XelMathPolynomX p = Make(r);
      const double mid = r.s + 2.0 * u(rng), half = 0.05 + 0.5 * std::fabs(u(rng));
      const XelMathInterval I(mid - half, mid + half);
      const XelMathInterval H = p.Eval(I), C = p.ComputeImageByChebychev(I);
      const double wh = H.high - H.low, wc = C.high - C.low;
      ++total;
      if (wc <= wh)
        ++tighter;
      ratioSum += wc / wh;
      const XelMathInterval D = p.EvalFirstDeriv(I);
      if (D.low <= 0.0 && D.high >= 0.0) { // the cases the optimal image hands to Chebyshev
        ++totalTurning;
        if (wc <= wh)
          ++tighterTurning;
        ratioSumTurning += wc / wh;
      }
    }
  std::printf("[ polynomial ] Chebyshev image no wider than interval Horner in %d of %d random "
              "cases, mean width ratio %.3f\n",
              tighter, total, ratioSum / total);
  std::printf("[ polynomial ] where the derivative image holds 0: %d of %d, mean width ratio "
              "%.3f\n",
              tighterTurning, totalTurning, ratioSumTurning / (totalTurning ? totalTurning : 1));

  for (long n = 1; n <= 15; ++n)
    for (int trial = 0; trial < 5; ++trial) {
      const double mid = 3.0 * u(rng), half = 0.1 + std::fabs(u(rng)), shift = 2.0 * u(rng);
      const double a0 = u(rng), an = u(rng);
      // a0 + an T_n((x - mid) / half) written in the monomial basis around shift.
      std::vector<double> cheb(n + 1, 0.0), q(n + 1);
      cheb[0] = a0;
      cheb[n] = an;
      XelMathPolynomX::ChebyshevToCanonical(n, cheb.data(), q.data());
      XelMathPolynomX p(n, q.data(), 0.0);
      p.ApplyScalingOnVariable(1.0 / half);
      p.ApplyShiftOnVariable(-mid);
      p.ChangeShift(shift);
      const XelMathInterval I(mid - half, mid + half);
      const XelMathInterval H = p.Eval(I), C = p.ComputeImageByChebychev(I);
      // Rounding grows with the monomial terms at the evaluation points (conditioning).
      RefPoly r{std::vector<double>(p.GetCoefficientsPointer(), p.GetCoefficientsPointer() + n + 1),
                shift};
      double magnitude;
      SampleRange(r, I, 0, magnitude);
      const double slack = Allowance(n, magnitude) * 16.0;
      EXPECT_NEAR(C.low, a0 - std::fabs(an), slack) << "mode " << n;
      EXPECT_NEAR(C.high, a0 + std::fabs(an), slack) << "mode " << n;
      EXPECT_LE(C.high - C.low, H.high - H.low + slack) << "mode " << n;
    }
  // An odd series of one sign attains its bound at both ends.
  const double odd[6] = {0.5, 0.3, 0.0, 0.2, 0.0, 0.1};
  std::vector<double> q(6);
  XelMathPolynomX::ChebyshevToCanonical(5, odd, q.data());
  XelMathPolynomX p(5, q.data(), 0.0);
  p.ChangeShift(-0.7);
  const XelMathInterval C = p.ComputeImageByChebychev(XelMathInterval(-1, 1));
  const XelMathInterval H = p.Eval(XelMathInterval(-1, 1));
  EXPECT_NEAR(C.low, 0.5 - 0.6, 1e-12);
  EXPECT_NEAR(C.high, 0.5 + 0.6, 1e-12);
  EXPECT_LE(C.high - C.low, H.high - H.low + 1e-12);
}

TEST(PolynomX, OptimalImageWithScaleOption) {
  std::mt19937 rng(17);
  const RefPoly r = RandomPoly(rng, 6, 0.2);
  XelMathPolynomX p = Make(r);
  const XelTolerance scaled(10.0);
  const XelMathInterval I(-0.6, 0.9);
  double m;
  const Bounds v = SampleRange(r, I, 0, m);
  XelMathAttrScaleOption option(0, 2); // values and variables both in scaled powers
  XelFedEx::Put(_XelR19QuorMail, 5, &p, &option);
  const XelMathInterval J = p.ComputeOptimalImage(I, scaled);
  XelFedEx::UnstackUntil(_XelR19QuorMail, 5, &p);
  ExpectEncloses(J, v, 1e-10, "scaled ComputeOptimalImage", 6, I);
  EXPECT_LT(J.high - J.low, 3.0 * (v.hi - v.lo) + 1e-9);

  const long two[2] = {1, 1}, one[1] = {1};
  XelMathAttrScaleOption bad(2, two, 1, one, 0, nullptr);
  XelFedEx::Put(_XelR19QuorMail, 5, &p, &bad);
  try {
    p.ComputeOptimalImage(XelMathInterval(-1, 1), scaled);
    ADD_FAILURE() << "a scale option with two function powers was accepted";
  } catch (const XelMathInputError& e) {
    EXPECT_EQ(e.GetCode(), 0x20006);
    EXPECT_STREQ(e.GetParameter(0), "the XelMathAttrScaleOption");
    EXPECT_STREQ(e.GetParameter(1), "wrong dimension");
    EXPECT_STREQ(e.GetParameter(2), "XelMathPolynomX::ComputeOptimalImage");
  }
  XelFedEx::UnstackUntil(_XelR19QuorMail, 5, &p);
}

// ==== changes of variable
// ===========================================================================
TEST(PolynomX, ChangesOfVariableKeepValues) {
  std::mt19937 rng(18);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double tolValue = 1e-10;
  for (long d : {0L, 1L, 2L, 5L, 9L}) {
    const RefPoly r = RandomPoly(rng, d, 0.4);
    const XelMathPolynomX p = Make(r);
    const double a = 1.7, b = -0.3;
    XelMathPolynomX* sh = p.ShiftVariable(b);
    XelMathPolynomX* sc = p.ScaleVariable(a);
    XelMathPolynomX* li = p.LinearChangeVariable(a, b);
    XelMathPolynomX* fs = p.FormalShiftVariable(b);
    XelMathPolynomX* fl = p.FormalLinearChangeVariable(a, b);
    XelMathPolynomX* zero = p.ScaleVariable(0.0);
    EXPECT_EQ(fs->GetShift(), p.GetShift());
    EXPECT_EQ(fl->GetShift(), p.GetShift());
    XelMathPolynomX cancelled(p);
    EXPECT_EQ(cancelled.CancelShift(), -0.4);
    EXPECT_EQ(cancelled.GetShift(), 0.0);
    EXPECT_EQ(cancelled.CancelShift(), 0.0);
    std::vector<double> formal(d + 1);
    p.GetFormalCoefficients(formal.data());
    for (int i = 0; i < 20; ++i) {
      const double x = 1.5 * u(rng);
      EXPECT_NEAR(sh->Eval(x), p.Eval(x + b), tolValue);
      EXPECT_NEAR(sc->Eval(x), p.Eval(a * x), tolValue);
      EXPECT_NEAR(li->Eval(x), p.Eval(a * x + b), tolValue);
      EXPECT_NEAR(fs->Eval(x), p.Eval(x + b), tolValue);
      EXPECT_NEAR(fl->Eval(x), p.Eval(a * x + b), tolValue);
      EXPECT_NEAR(zero->Eval(x), p.Eval(0.0), tolValue);
      EXPECT_NEAR(cancelled.Eval(x), p.Eval(x), tolValue);
      double mono = 0.0;
      for (long k = d; k >= 0; --k)
        mono = mono * x + formal[k];
      EXPECT_NEAR(mono, p.Eval(x), tolValue);
    }
    delete sh;
    delete sc;
    delete li;
    delete fs;
    delete fl;
    delete zero;
  }
}

TEST(PolynomX, CoefficientStorage) {
  const double c[4] = {1, 2, 3, 4};
  XelMathPolynomX p(1, c, 0.0);
  p.SetCoefficients(3, c);
  EXPECT_EQ(p.GetDegree(), 3);
  EXPECT_EQ(p.Eval(1.0), 10.0);
  double out[4];
  p.GetCoefficients(out);
  EXPECT_EQ(out[3], 4.0);
  p.NeedCoeffForDegree(8); // keeps the coefficients and the degree
  EXPECT_EQ(p.GetDegree(), 3);
  EXPECT_EQ(p.Eval(1.0), 10.0);
  p.SetCoefficients(2, p.GetCoefficientsPointer()); // from its own storage
  EXPECT_EQ(p.Eval(1.0), 6.0);
  XelMathPolynomX q;
  q = p;
  q = q;
  EXPECT_EQ(q.Eval(2.0), p.Eval(2.0));
  // Writing a degree-6 product into a cubic object keeps it correct.
  XelMathCubicX cubic(c);
  Product(&cubic, &cubic, &cubic);
  EXPECT_EQ(cubic.GetDegree(), 6);
  EXPECT_EQ(cubic.Eval(1.0), 100.0);
}

// ==== algebra
// =====================================================================================
TEST(PolynomX, AlgebraKeepsValuesAcrossShifts) {
  std::mt19937 rng(19);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double tolValue = 1e-9;
  const RefPoly rp = RandomPoly(rng, 5, 0.0), rq = RandomPoly(rng, 3, 1.0),
                rr = RandomPoly(rng, 7, -0.5);
  const XelMathPolynomX P = Make(rp), Q = Make(rq), R = Make(rr);
  XelMathPolynomX* sum = Sum(&P, &Q);
  XelMathPolynomX* sumQP = Sum(&Q, &P);
  XelMathPolynomX* diff = Difference(&P, &Q);
  XelMathPolynomX* prod = Product(&P, &Q);
  XelMathPolynomX* sq = Square(&Q);
  XelMathPolynomX* comb = Combination(&P, &Q, 2.0, -3.0);
  XelMathPolynomX* comb3 = Combination(&P, &Q, &R, 2.0, -3.0, 0.5);
  XelMathPolynomX* opp = Opposite(&Q);
  XelMathPolynomX* plusC = Sum(&Q, 2.5);
  XelMathPolynomX* minusC = Difference(&Q, 2.5);
  XelMathPolynomX* cMinus = Difference(2.5, &Q);
  XelMathPolynomX* times = Product(&Q, -1.5);
  // Shift of the operand of higher degree (P on ties).
  EXPECT_EQ(sum->GetShift(), 0.0);
  EXPECT_EQ(sumQP->GetShift(), 0.0);
  EXPECT_EQ(comb3->GetShift(), -0.5);
  EXPECT_EQ(prod->GetDegree(), 8);
  EXPECT_EQ(comb3->GetDegree(), 7);
  XelMathPolynomX opSum = P + Q, opDiff = P - Q, opProd = P * Q, opNeg = -Q;
  XelMathPolynomX opMix = 2.0 * P - Q / 4.0 + 1.0;
  XelMathPolynomX acc(P);
  acc += Q;
  acc -= 1.0;
  acc *= Q;
  acc *= 2.0;
  acc -= P;
  acc += 3.0;
  for (int i = 0; i < 30; ++i) {
    const double x = 1.5 * u(rng);
    const double p = P.Eval(x), q = Q.Eval(x), r = R.Eval(x);
    EXPECT_NEAR(sum->Eval(x), p + q, tolValue);
    EXPECT_NEAR(sumQP->Eval(x), p + q, tolValue);
    EXPECT_NEAR(diff->Eval(x), p - q, tolValue);
    EXPECT_NEAR(prod->Eval(x), p * q, tolValue);
    EXPECT_NEAR(sq->Eval(x), q * q, tolValue);
    EXPECT_NEAR(comb->Eval(x), 2 * p - 3 * q, tolValue);
    EXPECT_NEAR(comb3->Eval(x), 2 * p - 3 * q + 0.5 * r, tolValue);
    EXPECT_NEAR(opp->Eval(x), -q, tolValue);
    EXPECT_NEAR(plusC->Eval(x), q + 2.5, tolValue);
    EXPECT_NEAR(minusC->Eval(x), q - 2.5, tolValue);
    EXPECT_NEAR(cMinus->Eval(x), 2.5 - q, tolValue);
    EXPECT_NEAR(times->Eval(x), -1.5 * q, tolValue);
    EXPECT_NEAR(opSum.Eval(x), p + q, tolValue);
    EXPECT_NEAR(opDiff.Eval(x), p - q, tolValue);
    EXPECT_NEAR(opProd.Eval(x), p * q, tolValue);
    EXPECT_NEAR(opNeg.Eval(x), -q, tolValue);
    EXPECT_NEAR(opMix.Eval(x), 2 * p - q / 4 + 1, tolValue);
    EXPECT_NEAR(acc.Eval(x), 2 * (p + q - 1) * q - p + 3, tolValue);
  }
  for (XelMathPolynomX* o :
       {sum, sumQP, diff, prod, sq, comb, comb3, opp, plusC, minusC, cMinus, times})
    delete o;
}

TEST(PolynomX, DerivativesAndPrimitiveOfThePolynomial) {
  std::mt19937 rng(20);
  const RefPoly r = RandomPoly(rng, 6, 0.8);
  const XelMathPolynomX P = Make(r);
  XelMathPolynomX* d1 = FirstDeriv(&P);
  XelMathPolynomX* d2 = SecondDeriv(&P);
  XelMathPolynomX* d3 = ThirdDeriv(&P);
  XelMathPolynomX into;
  FirstDeriv(&P, &into);
  XelMathPolynomX* prim = Primitiv(&P, 5.0);
  EXPECT_EQ(prim->GetShift(), P.GetShift());
  EXPECT_EQ(prim->GetDegree(), 7);
  EXPECT_NEAR(prim->Eval(0.0), 5.0, 1e-12);
  for (double x : {-1.0, 0.0, 0.3, 1.7}) {
    EXPECT_NEAR(d1->Eval(x), (double)RefDeriv(r, x, 1), 1e-11);
    EXPECT_NEAR(d2->Eval(x), (double)RefDeriv(r, x, 2), 1e-10);
    EXPECT_NEAR(d3->Eval(x), (double)RefDeriv(r, x, 3), 1e-9);
    EXPECT_NEAR(into.Eval(x), (double)RefDeriv(r, x, 1), 1e-11);
    EXPECT_NEAR(prim->EvalFirstDeriv(x), P.Eval(x), 1e-11);
  }
  // The exact integral is the difference of primitive values.
  const XelMathInterval I(-0.4, 1.3);
  EXPECT_NEAR(P.Integrate(I, 0.0), prim->Eval(I.high) - prim->Eval(I.low), 1e-12);
  EXPECT_NEAR(P.IntegrateRelative(I, 1e-3), prim->Eval(I.high) - prim->Eval(I.low), 1e-12);
  EXPECT_NEAR(XelMathLinearX(2.0, 1.0).Integrate(XelMathInterval(0, 2), 0.0), 6.0, 1e-14);
  delete d1;
  delete d2;
  delete d3;
  delete prim;
}

TEST(PolynomX, FormalCombinationAndComposition) {
  std::mt19937 rng(21);
  const RefPoly rp = RandomPoly(rng, 4, 0.5), rq = RandomPoly(rng, 6, -1.0);
  const XelMathPolynomX P = Make(rp), Q = Make(rq);
  const XelMathFunctionX* f[2] = {&P, &Q};
  const double c[2] = {1.5, -0.5};
  XelMathFunctionX* comb = P.FormalCombination(2, f, c, 0.25);
  ASSERT_NE(comb, nullptr);
  ASSERT_TRUE(comb->IsATypeOf(10));
  EXPECT_EQ(static_cast<XelMathPolynomX*>(comb)->GetShift(), 0.5);
  EXPECT_EQ(static_cast<XelMathPolynomX*>(comb)->GetDegree(), 6);
  XelMathLinearX g(2.0, -1.0);
  XelMathFunctionX* comp = P.FormalCompositionX(&g);
  ASSERT_NE(comp, nullptr);
  for (double x : {-0.7, 0.0, 0.4, 1.1}) {
    EXPECT_NEAR(comb->Eval(x), 1.5 * P.Eval(x) - 0.5 * Q.Eval(x) + 0.25, 1e-10);
    EXPECT_NEAR(comp->Eval(x), P.Eval(2.0 * x - 1.0), 1e-10);
  }
  delete comb;
  delete comp;
  const long before = XelQuornullCount();
  EXPECT_EQ(P.FormalCompositionX(nullptr), nullptr);
  EXPECT_EQ(XelQuornullCount(), before + 1);
}

TEST(PolynomX, ConjugatePolynomials) {
  std::mt19937 rng(22);
  const RefPoly r = RandomPoly(rng, 4, 0.0);
  const XelMathPolynomX P = Make(r);
  const double tolCoef = 1e-10;
  EXPECT_TRUE(IsConjuguate(&P, 0.0, 1.0, &P, 0.0, 1.0, tolCoef));
  EXPECT_FALSE(IsConjuguate(&P, 0.0, 0.0, &P, 0.0, 1.0, tolCoef));
  // Q(y) = P(2 y + 1) maps [0, 1] onto [1, 3].
  XelMathPolynomX* Q = P.LinearChangeVariable(2.0, 1.0);
  EXPECT_TRUE(IsConjuguate(&P, 1.0, 3.0, Q, 0.0, 1.0, tolCoef));
  Q->SetCoefficient(2, Q->GetCoefficient(2) + 1e-3);
  EXPECT_FALSE(IsConjuguate(&P, 1.0, 3.0, Q, 0.0, 1.0, tolCoef));
  delete Q;
  EXPECT_TRUE(ShiftCheck(1.0, 1.0 + 1e-12));
  EXPECT_FALSE(ShiftCheck(1.0, 1.0 + 1e-6));
  EXPECT_FALSE(ShiftCheck(1.0, 1.0, 2.0, 2.1));
}

TEST(PolynomX, MonotonicityDecidedByDerivativeSign) {
  const XelTolerance& tol = XelGetDefaultTolerance();
  long sense = 7;
  const double cst = 2.0;
  EXPECT_EQ(XelMathPolynomX(0, &cst, 0.0).IsMonotone(XelMathInterval(0, 1), sense, tol), 1);
  EXPECT_EQ(sense, 0);
  const double lin[2] = {0.0, -3.0};
  EXPECT_EQ(XelMathPolynomX(1, lin, 0.0).IsMonotone(XelMathInterval(0, 1), sense, tol), 1);
  EXPECT_EQ(sense, -1);
  // x^3 + x is increasing everywhere; -(x - 1)^2 is increasing left of 1, decreasing right.
  const double cub[4] = {0.0, 1.0, 0.0, 1.0};
  EXPECT_EQ(XelMathPolynomX(3, cub, 0.0).IsMonotone(XelMathInterval(-2, 3), sense, tol), 1);
  EXPECT_EQ(sense, 1);
  const double par[3] = {0.0, 0.0, -1.0};
  const XelMathPolynomX q(2, par, 1.0);
  EXPECT_EQ(q.IsMonotone(XelMathInterval(-2, 0.5), sense, tol), 1);
  EXPECT_EQ(sense, 1);
  EXPECT_EQ(q.IsMonotone(XelMathInterval(1.5, 4), sense, tol), 1);
  EXPECT_EQ(sense, -1);
  EXPECT_EQ(IsMonotone(&q, XelMathInterval(1.5, 4), sense, tol, nullptr), 1);
  EXPECT_EQ(sense, -1);
}

TEST(PolynomX, MonotonicityDecidedByDerivativeRoots) {
  // The derivative image does not settle these: the roots of the derivative do.
  const XelTolerance& tol = XelGetDefaultTolerance();
  long sense = 7;
  const double par[3] = {0.0, 0.0, 1.0};
  EXPECT_EQ(XelMathPolynomX(2, par, 0.0).IsMonotone(XelMathInterval(-1, 2), sense, tol), 0);
  // x^3 - 3x written around the distant shift 5: increasing on [1.5, 3] (critical points
  // at -1 and 1), although the interval image of its derivative holds 0.
  const double cub[4] = {0.0, -3.0, 0.0, 1.0};
  XelMathPolynomX p(3, cub, 0.0);
  p.ChangeShift(5.0);
  const XelMathInterval D = p.EvalFirstDeriv(XelMathInterval(1.5, 3.0));
  ASSERT_LE(D.low, 0.0);
  EXPECT_EQ(p.IsMonotone(XelMathInterval(1.5, 3.0), sense, tol), 1);
  EXPECT_EQ(sense, 1);
  // A critical point at an end of the interval still leaves it monotone.
  EXPECT_EQ(p.IsMonotone(XelMathInterval(1.0, 3.0), sense, tol), 1);
  EXPECT_EQ(sense, 1);
  EXPECT_EQ(p.IsMonotone(XelMathInterval(-0.5, 0.5), sense, tol), 1);
  EXPECT_EQ(sense, -1);
  EXPECT_EQ(p.IsMonotone(XelMathInterval(-0.5, 1.5), sense, tol), 0);
  // A scale option of the wrong dimension is refused.
  const long two[2] = {1, 1}, one[1] = {1};
  XelMathAttrScaleOption bad(2, two, 1, one, 0, nullptr);
  try {
    IsMonotone(&p, XelMathInterval(0, 1), sense, tol, &bad);
    ADD_FAILURE() << "a scale option with two function powers was accepted";
  } catch (const XelMathInputError& e) {
    EXPECT_EQ(e.GetCode(), 0x20006);
    EXPECT_STREQ(e.GetParameter(2), "XelMathPolynomX::IsMonotone");
  }
  void* filed = nullptr;
  long status = 0;
  EXPECT_EQ(XelFedEx::Get(_XelR19QuorMail, 6, &p, filed, status), 0); // removed after the error
}

TEST(PolynomX, MonotonicityOfHugeCoefficients) {
  // 1e300 (x - 0.5) (1 + x + ... + x^199): coefficients 0.5e300 to 1e300 whose derivative
  // terms and values overflow. It falls to 0 at -1, has its minimum inside (-1, 0.5) and rises
  // through 0.5: decreasing left of -1, increasing right of 0.5 (both factors are monotone
  // there), not monotone across the minimum.
  std::vector<double> c(201, 0.5e300);
  c[0] = -0.5e300;
  c[200] = 1e300;
  const XelMathPolynomX p(200, c.data(), 0.0);
  const struct {
    double low, high;
    int monotone;
    long sense;
  } cases[] = {{-1, 1, 0, 0}, {-2, 2, 0, 0}, {0.6, 2, 1, 1}, {-2, -1.01, 1, -1}};
  for (const auto& k : cases) {
    long sense = 7;
    EXPECT_EQ(p.IsMonotone(XelMathInterval(k.low, k.high), sense, XelGetDefaultTolerance()),
              k.monotone)
        << k.low << " " << k.high;
    if (k.monotone) {
      EXPECT_EQ(sense, k.sense) << k.low << " " << k.high;
    }
  }
}

// ==== null arguments and leaks
// ======================================================================
TEST(PolynomX, NullArgumentsAreReported) {
  const long before = XelQuornullCount();
  const XelMathPolynomX P(1, nullptr, 0.0);
  EXPECT_EQ(Sum(nullptr, &P), nullptr);
  EXPECT_EQ(Product(&P, static_cast<const XelMathPolynomX*>(nullptr)), nullptr);
  EXPECT_EQ(Primitiv(nullptr, 1.0), nullptr);
  EXPECT_EQ(FirstDeriv(nullptr), nullptr);
  EXPECT_EQ(Square(nullptr), nullptr);
  EXPECT_GE(XelQuornullCount(), before + 5);
}

TEST(PolynomX, NoLeaks) {
  const long before = LiveBlocks();
  {
    std::mt19937 rng(23);
    const RefPoly rp = RandomPoly(rng, 25, 0.1), rq = RandomPoly(rng, 70, 0.9);
    XelMathPolynomX P = Make(rp), Q = Make(rq);
    XelMathPolynomX S = P * Q + P - 2.0 * Q;
    S *= P;
    XelMathPolynomX* prim = Primitiv(&S, 1.0);
    XelMathFunctionX* d = prim->CreateDeriv();
    XelMathPolynomX* big = prim->LinearChangeVariable(0.5, 0.1);
    (void)big->ComputeImageByChebychev(XelMathInterval(-1, 1)); // heap scratch above 64
    std::vector<double> grid(33);
    big->Eval(XelMathInterval(-1, 1), 33, 1, grid.data(), nullptr, nullptr);
    XelMathQuinticX quintic(1, 2, 3, 4, 5, 6, 2.0);
    XelMathFunctionX* dup = quintic.DeepDuplicate();
    delete dup;
    delete big;
    delete d;
    delete prim;
  }
  EXPECT_EQ(LiveBlocks(), before);
}
