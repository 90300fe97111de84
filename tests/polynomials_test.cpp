// Polynomials of one variable: what the randomized battery does not reach (answers, empty
// and null coefficients, fixed-degree forms, Hermite constructors, the free interval kernels,
// the Chebyshev basis and image, scale options, shifts of algebra results, conjugacy,
// monotonicity, leaks). Values, derivatives, images and the algebra on random polynomials
// are checked in functions_battery_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "XelFedEx.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathCubicX.h"
#include "XelMathLinearX.h"
#include "XelMathPointsToCubic.h"
#include "XelMathPolynomX.h"
#include "XelMathQuinticX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

std::vector<double> RandomCoefficients(std::mt19937& rng, long d) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> c(d + 1);
  for (double& v : c)
    v = u(rng);
  return c;
}

// Range of sum c_k (k!/(k-j)!) t^(k-j) (order j of the polynomial in t) at dense samples of T,
// in long double, and the largest sum of absolute terms seen (the scale of rounding errors).
XelMathInterval SampleRange(const std::vector<double>& c, const XelMathInterval& T, int j,
                            double& oMagnitude) {
  XelMathInterval r(HUGE_VAL, -HUGE_VAL);
  oMagnitude = 0.0;
  for (int i = 0; i <= 400; ++i) {
    const long double t = T.low + (T.high - T.low) * i / 400.0L;
    long double v = 0, m = 0;
    for (long k = long(c.size()) - 1; k >= j; --k) {
      const long double f = j == 0 ? 1.0L : (long double)k;
      v = v * t + f * c[k];
      m = m * std::fabs(t) + std::fabs(f * c[k]);
    }
    r = XelMathInterval(std::fmin(r.low, double(v)), std::fmax(r.high, double(v)));
    oMagnitude = std::fmax(oMagnitude, double(m));
  }
  return r;
}

// Rounding allowance of a Horner evaluation of degree d whose terms have magnitude m.
double Allowance(long d, double m) {
  return 8.0 * (d + 2) * kEps * m + 1e-300;
}

void ExpectEncloses(const XelMathInterval& J, const XelMathInterval& range, double slack,
                    const char* what) {
  EXPECT_LE(J.low, range.low + slack) << what;
  EXPECT_GE(J.high, range.high - slack) << what;
}

} // namespace

TEST(PolynomX, DegreeZeroEmptyAndNullCoefficients) {
  const double c = 4.0;
  XelMathPolynomX p(0, &c, 1.0);
  EXPECT_EQ(p.EvalFirstDeriv(7.0), 0.0);
  std::unique_ptr<XelMathFunctionX> d(p.CreateDeriv());
  ASSERT_TRUE(d->IsATypeOf(10));
  EXPECT_EQ(static_cast<XelMathPolynomX*>(d.get())->GetDegree(), 0);
  EXPECT_EQ(d->Eval(3.0), 0.0);
  EXPECT_EQ(XelMathPolynomX(-1).Eval(2.0), 0.0);
  XelMathPolynomX q(6, nullptr, 0.0);
  EXPECT_EQ(q.Eval(3.0), 0.0); // null coefficients give zeros
  // Storage: growing keeps the coefficients, resetting from its own storage is safe.
  const double c4[4] = {1, 2, 3, 4};
  XelMathPolynomX r(1, c4, 0.0);
  r.SetCoefficients(3, c4);
  EXPECT_EQ(r.Eval(1.0), 10.0);
  r.NeedCoeffForDegree(8);
  EXPECT_EQ(r.GetDegree(), 3);
  EXPECT_EQ(r.Eval(1.0), 10.0);
  r.SetCoefficients(2, r.GetCoefficientsPointer());
  EXPECT_EQ(r.Eval(1.0), 6.0);
  XelMathPolynomX s;
  s = r;
  s = s;
  EXPECT_EQ(s.Eval(2.0), r.Eval(2.0));
  XelMathCubicX cubic(c4); // a degree-6 product written into a cubic object
  Product(&cubic, &cubic, &cubic);
  EXPECT_EQ(cubic.GetDegree(), 6);
  EXPECT_EQ(cubic.Eval(1.0), 100.0);
  // Null arguments are reported and give null.
  const long before = XelQuornullCount();
  EXPECT_EQ(Sum(nullptr, &q), nullptr);
  EXPECT_EQ(Product(&q, static_cast<const XelMathPolynomX*>(nullptr)), nullptr);
  EXPECT_EQ(Primitiv(nullptr, 1.0), nullptr);
  EXPECT_EQ(FirstDeriv(nullptr), nullptr);
  EXPECT_EQ(Square(nullptr), nullptr);
  EXPECT_EQ(q.FormalCompositionX(nullptr), nullptr);
  EXPECT_GE(XelQuornullCount(), before + 6);
}

TEST(PolynomX, AnswersOptionsAndTypes) {
  XelMathPolynomX p(2, nullptr, 0.0);
  for (long o : {0L, 2L | 4 | 8 | 16 | 32 | 64 | 128, 48L})
    EXPECT_TRUE(p.IsOption(o)) << o;
  for (long o : {1L, 256L, 48L | 1})
    EXPECT_FALSE(p.IsOption(o)) << o;
  const long types[][2] = {{11, 13}, {13, 15}, {15, 11}};
  XelMathLinearX l(2.0, 3.0);
  XelMathCubicX c;
  XelMathQuinticX q;
  const XelMathPolynomX* fixed[3] = {&l, &c, &q};
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(fixed[k]->IsATypeOf(10) && fixed[k]->IsATypeOf(types[k][0])) << k;
    EXPECT_FALSE(fixed[k]->IsATypeOf(types[k][1])) << k;
  }
}

TEST(PolynomX, FixedDegreeClassesKeepTheirForms) {
  const double lc[2] = {-1.0, 0.5};
  EXPECT_EQ(XelMathLinearX(lc).Eval(4.0), 1.0);
  // The linear image is exact, with ends ordered for a negative slope.
  EXPECT_EQ(XelMathLinearX(-2.0, 1.0).Eval(XelMathInterval(0.0, 1.0)), XelMathInterval(-1.0, 1.0));
  long sense = 9;
  EXPECT_EQ(XelMathLinearX(-2.0, 1.0).IsMonotone(XelMathInterval(0, 1), sense), 1);
  EXPECT_EQ(sense, -1);
  EXPECT_EQ(XelMathLinearX(0.0, 1.0).IsMonotone(XelMathInterval(0, 1), sense), 1);
  EXPECT_EQ(sense, 0);
}

TEST(PolynomX, HermiteConstructorsReproduceEndData) {
  // End data of size <= 4 on lengths >= 0.5: coefficients up to about 1e3, evaluated back
  // with a few ulps of that each.
  const double tolData = 4e4 * kEps;
  const double lo[3] = {1.5, -2.0, 0.75}, hi[3] = {-0.25, 3.0, -4.0};
  const auto expectData = [&](const XelMathFunctionX& f, double a, double b, int orders,
                              double tol) {
    for (int k = 0; k < orders; ++k) {
      EXPECT_NEAR(DerivAt(f, k, a), lo[k], tol) << f.IsA() << " order " << k;
      EXPECT_NEAR(DerivAt(f, k, b), hi[k], tol) << f.IsA() << " order " << k;
    }
  };
  for (double L : {0.5, 1.0, 3.0}) {
    XelMathQuinticX q(lo[0], lo[1], lo[2], hi[0], hi[1], hi[2], L);
    EXPECT_DOUBLE_EQ(q.GetShift(), 0.5 * L);
    expectData(q, 0.0, L, 3, tolData);
    expectData(XelMathCubicX(lo[0], lo[1], hi[0], hi[1], L), 0.0, L, 2, tolData);
    double out[4];
    XelMathPointsToCubic(lo[0], lo[1], hi[0], hi[1], L, out);
    EXPECT_EQ(out[0], lo[0]);
    EXPECT_EQ(out[1], lo[1]);
  }
  for (unsigned char flag : {0, 1}) {
    const XelMathInterval I(2.0, 3.5);
    XelMathPolynomX c(3, I, lo, hi, flag), q(5, I, lo, hi, flag);
    EXPECT_EQ(q.GetShift(), flag ? 2.75 : 0.0);
    // Coefficients re-expressed at the distant shift 0: terms about 100 times larger.
    expectData(c, I.low, I.high, 2, tolData * 100);
    expectData(q, I.low, I.high, 3, tolData * 100);
  }
  ExpectInputError([&] { XelMathPolynomX bad(4, XelMathInterval(0, 1), lo, hi, 0); }, 0x20006);
}

TEST(PolynomX, FreeIntervalKernelsEncloseDenseSamples) {
  std::mt19937 rng(14);
  for (long d = 0; d <= 12; ++d) {
    const std::vector<double> c = RandomCoefficients(rng, d);
    const double* p = c.data();
    const struct {
      XelMathInterval T;
      XelMathInterval (*value)(const XelMathInterval&, const double*, const long);
      XelMathInterval (*first)(const XelMathInterval&, const double*, const long);
      const char* name;
    } kernels[] = {{XelMathInterval(0.05, 0.9), EvalPos, EvalFirstDerivPos, "Pos"},
                   {XelMathInterval(0.0, 1.3), EvalPos, EvalFirstDerivPos, "Pos from 0"},
                   {XelMathInterval(-1.3, -0.2), EvalNeg, EvalFirstDerivNeg, "Neg"},
                   {XelMathInterval(-1.0, 0.0), EvalNeg, EvalFirstDerivNeg, "Neg to 0"},
                   {XelMathInterval(-0.4, 1.1), EvalSym, EvalFirstDerivSym, "Sym"}};
    for (const auto& k : kernels) {
      double m0, m1;
      const XelMathInterval v0 = SampleRange(c, k.T, 0, m0), v1 = SampleRange(c, k.T, 1, m1);
      ExpectEncloses(k.value(k.T, p, d), v0, Allowance(d, m0), k.name);
      ExpectEncloses(k.first(k.T, p, d), v1, Allowance(d, m1), k.name);
    }
  }
  EXPECT_EQ(EvalPos(XelMathInterval(0, 1), nullptr, 3), XelMathInterval(0, 0));
  EXPECT_EQ(EvalFirstDerivSym(XelMathInterval(-1, 1), nullptr, 3), XelMathInterval(0, 0));
}

TEST(PolynomX, ImagesOfTheSquareAreExact) {
  const double c[3] = {0.0, 0.0, 1.0};
  const XelMathPolynomX p(2, c, 0.0);
  EXPECT_EQ(p.Eval(XelMathInterval(-1.0, 2.0)), XelMathInterval(0.0, 4.0));
  // Monotone pieces give the exact end values.
  EXPECT_EQ(p.ComputeOptimalImage(XelMathInterval(1.0, 2.0), DefaultTol()), XelMathInterval(1.0, 4.0));
  // On [0, 1] the Horner image [0, 1] is exact while the Chebyshev bound
  // 3/8 -/+ (1/2 + 1/8) = [-1/4, 1] is not; the guaranteed image keeps the tighter one.
  const XelMathInterval opt = p.ComputeOptimalImage(XelMathInterval(0.0, 1.0), DefaultTol());
  EXPECT_GE(opt.low, -kEps);
  EXPECT_LE(opt.low, 0.0);
  EXPECT_GE(opt.high, 1.0);
  EXPECT_LE(opt.high, 1.0 + 4 * kEps);
}

TEST(PolynomX, ChebyshevTableAndConversions) {
  // T_n(cos th) = cos(n th), from the table's monomial coefficients (of size up to 2^(n-1)).
  for (long n = 0; n <= XelMathPolynomX::ChebychevTableDegree; ++n)
    for (double th : {0.1, 0.7, 1.3, 2.9}) {
      double v = 0.0;
      for (long k = n; k >= 0; --k)
        v = v * std::cos(th) + XelMathPolynomX::GetChebychevCoefficient(n, k);
      EXPECT_NEAR(v, std::cos(n * th), 64 * kEps * (n + 1) * (1 << (n > 0 ? n - 1 : 0)));
    }
  EXPECT_EQ(XelMathPolynomX::GetChebychevCoefficient(15, 15), 16384.0);
  // Round trips at degrees below and above the table.
  std::mt19937 rng(15);
  for (long d : {0L, 1L, 4L, 15L, 16L, 22L}) {
    const std::vector<double> r = RandomCoefficients(rng, d);
    std::vector<double> canon(d + 1), back(d + 1);
    XelMathPolynomX::ChebyshevToCanonical(d, r.data(), canon.data());
    XelMathPolynomX::CanonicalToChebyshev(d, canon.data(), back.data());
    // The monomial coefficients reach 2^d: the round trip loses that many ulps.
    const double tol = 64 * kEps * std::ldexp(1.0, int(d));
    for (long k = 0; k <= d; ++k)
      EXPECT_NEAR(back[k], r[k], tol) << "degree " << d;
    for (double th : {0.2, 1.1, 2.5}) { // the monomial form takes the Chebyshev sum's values
      double cheb = 0.0, mono = 0.0;
      for (long k = 0; k <= d; ++k)
        cheb += r[k] * std::cos(k * th);
      for (long k = d; k >= 0; --k)
        mono = mono * std::cos(th) + canon[k];
      EXPECT_NEAR(mono, cheb, tol * (d + 1)) << "degree " << d;
    }
  }
}

TEST(PolynomX, ChebyshevImageIsExactOnSingleModes) {
  // a0 + an T_n((x - mid) / half) written in the monomial basis around another shift: the
  // Chebyshev bound is the exact range, never wider than the Horner image.
  std::mt19937 rng(16);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (long n = 1; n <= 15; ++n)
    for (int trial = 0; trial < 5; ++trial) {
      const double mid = 3.0 * u(rng), half = 0.1 + std::fabs(u(rng)), shift = 2.0 * u(rng);
      const double a0 = u(rng), an = u(rng);
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
      double magnitude;
      SampleRange(std::vector<double>(p.GetCoefficientsPointer(), p.GetCoefficientsPointer() + n + 1),
                  XelMathInterval(I.low - shift, I.high - shift), 0, magnitude);
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
  double magnitude;
  SampleRange(std::vector<double>(p.GetCoefficientsPointer(), p.GetCoefficientsPointer() + 6),
              XelMathInterval(-0.3, 1.7), 0, magnitude);
  const double slack = Allowance(5, magnitude) * 16.0;
  EXPECT_NEAR(C.low, 0.5 - 0.6, slack);
  EXPECT_NEAR(C.high, 0.5 + 0.6, slack);
  EXPECT_LE(C.high - C.low, H.high - H.low + slack);
}

TEST(PolynomX, OptimalImageWithScaleOption) {
  std::mt19937 rng(17);
  const std::vector<double> c = RandomCoefficients(rng, 6);
  XelMathPolynomX p(6, c.data(), 0.2);
  const XelTolerance scaled(10.0);
  const XelMathInterval I(-0.6, 0.9);
  double m;
  const XelMathInterval v = SampleRange(c, XelMathInterval(I.low - 0.2, I.high - 0.2), 0, m);
  XelMathAttrScaleOption option(0, 2); // values and variables both in scaled powers
  XelFedEx::Put(_XelR19QuorMail, 5, &p, &option);
  const XelMathInterval J = p.ComputeOptimalImage(I, scaled);
  XelFedEx::UnstackUntil(_XelR19QuorMail, 5, &p);
  ExpectEncloses(J, v, 16 * Allowance(6, m), "scaled ComputeOptimalImage");
  EXPECT_LT(J.high - J.low, 3.0 * (v.high - v.low));
  const long two[2] = {1, 1}, one[1] = {1};
  XelMathAttrScaleOption bad(2, two, 1, one, 0, nullptr);
  XelFedEx::Put(_XelR19QuorMail, 5, &p, &bad);
  ExpectInputError([&] { p.ComputeOptimalImage(XelMathInterval(-1, 1), scaled); }, 0x20006,
                   {"the XelMathAttrScaleOption", "wrong dimension",
                    "XelMathPolynomX::ComputeOptimalImage"});
  XelFedEx::UnstackUntil(_XelR19QuorMail, 5, &p);
}

TEST(PolynomX, AlgebraResultsKeepTheShiftOfTheOperandOfHigherDegree) {
  std::mt19937 rng(19);
  const std::vector<double> cp = RandomCoefficients(rng, 5), cq = RandomCoefficients(rng, 3),
                            cr = RandomCoefficients(rng, 7);
  const XelMathPolynomX P(5, cp.data(), 0.0), Q(3, cq.data(), 1.0), R(7, cr.data(), -0.5);
  std::unique_ptr<XelMathPolynomX> sum(Sum(&P, &Q)), sumQP(Sum(&Q, &P)), prod(Product(&P, &Q)),
      comb3(Combination(&P, &Q, &R, 2.0, -3.0, 0.5)), prim(Primitiv(&R, 5.0)),
      formalShift(R.FormalShiftVariable(0.3)), formalLinear(R.FormalLinearChangeVariable(2, 0.3));
  EXPECT_EQ(sum->GetShift(), 0.0);
  EXPECT_EQ(sumQP->GetShift(), 0.0);
  EXPECT_EQ(comb3->GetShift(), -0.5);
  EXPECT_EQ(prod->GetDegree(), 8);
  EXPECT_EQ(comb3->GetDegree(), 7);
  EXPECT_EQ(prim->GetShift(), -0.5);
  EXPECT_EQ(prim->GetDegree(), 8);
  EXPECT_EQ(formalShift->GetShift(), -0.5);
  EXPECT_EQ(formalLinear->GetShift(), -0.5);
  XelMathPolynomX cancelled(R);
  EXPECT_EQ(cancelled.CancelShift(), 0.5);
  EXPECT_EQ(cancelled.GetShift(), 0.0);
  EXPECT_EQ(cancelled.CancelShift(), 0.0);
  const XelMathFunctionX* f[2] = {&Q, &R};
  const double c[2] = {1.5, -0.5};
  std::unique_ptr<XelMathFunctionX> comb(Q.FormalCombination(2, f, c, 0.25));
  ASSERT_TRUE(comb && comb->IsATypeOf(10));
  EXPECT_EQ(static_cast<XelMathPolynomX*>(comb.get())->GetShift(), 1.0); // the first one's
  EXPECT_EQ(static_cast<XelMathPolynomX*>(comb.get())->GetDegree(), 7);
}

TEST(PolynomX, ConjugatePolynomials) {
  std::mt19937 rng(22);
  const std::vector<double> c = RandomCoefficients(rng, 4);
  const XelMathPolynomX P(4, c.data(), 0.0);
  const double tolCoef = 1e-10;
  EXPECT_TRUE(IsConjuguate(&P, 0.0, 1.0, &P, 0.0, 1.0, tolCoef));
  EXPECT_FALSE(IsConjuguate(&P, 0.0, 0.0, &P, 0.0, 1.0, tolCoef));
  // Q(y) = P(2 y + 1) maps [0, 1] onto [1, 3].
  std::unique_ptr<XelMathPolynomX> Q(P.LinearChangeVariable(2.0, 1.0));
  EXPECT_TRUE(IsConjuguate(&P, 1.0, 3.0, Q.get(), 0.0, 1.0, tolCoef));
  Q->SetCoefficient(2, Q->GetCoefficient(2) + 1e-3);
  EXPECT_FALSE(IsConjuguate(&P, 1.0, 3.0, Q.get(), 0.0, 1.0, tolCoef));
  EXPECT_TRUE(ShiftCheck(1.0, 1.0 + 1e-12));
  EXPECT_FALSE(ShiftCheck(1.0, 1.0 + 1e-6));
  EXPECT_FALSE(ShiftCheck(1.0, 1.0, 2.0, 2.1));
}

TEST(PolynomX, MonotonicityDecidedByDerivativeSignOrRoots) {
  // x^3 - 3x written around the distant shift 5 (critical points -1 and 1): on [1.5, 3] the
  // interval image of its derivative holds 0, the roots of the derivative settle it.
  const double cub[4] = {0.0, -3.0, 0.0, 1.0};
  XelMathPolynomX far(3, cub, 0.0);
  far.ChangeShift(5.0);
  ASSERT_LE(far.EvalFirstDeriv(XelMathInterval(1.5, 3.0)).low, 0.0);
  const std::unique_ptr<XelMathPolynomX> cst(Poly({2})), down(Poly({0, -3})),
      rising(Poly({0, 1, 0, 1})), hill(Poly({0, 0, -1}, 1.0)), bowl(Poly({0, 0, 1}));
  const struct {
    const XelMathPolynomX* p;
    double low, high;
    int monotone;
    long sense;
  } cases[] = {{cst.get(), 0, 1, 1, 0},     {down.get(), 0, 1, 1, -1}, {rising.get(), -2, 3, 1, 1},
               {hill.get(), -2, 0.5, 1, 1}, {hill.get(), 1.5, 4, 1, -1}, {bowl.get(), -1, 2, 0, 0},
               {&far, 1.5, 3, 1, 1},        {&far, 1, 3, 1, 1}, // a critical point at an end
               {&far, -0.5, 0.5, 1, -1},    {&far, -0.5, 1.5, 0, 0}};
  for (const auto& k : cases) {
    long sense = 7;
    EXPECT_EQ(k.p->IsMonotone(XelMathInterval(k.low, k.high), sense, DefaultTol()), k.monotone)
        << k.p->GetDegree() << " on " << k.low << " " << k.high;
    if (k.monotone) {
      EXPECT_EQ(sense, k.sense) << k.p->GetDegree() << " on " << k.low << " " << k.high;
    }
  }
  long sense = 7;
  EXPECT_EQ(IsMonotone(hill.get(), XelMathInterval(1.5, 4), sense, DefaultTol(), nullptr), 1);
  EXPECT_EQ(sense, -1);
  // A scale option of the wrong dimension is refused, and removed from the mailbox.
  const long two[2] = {1, 1}, one[1] = {1};
  XelMathAttrScaleOption bad(2, two, 1, one, 0, nullptr);
  ExpectInputError([&] { IsMonotone(&far, XelMathInterval(0, 1), sense, DefaultTol(), &bad); }, 0x20006,
                   {"", "", "XelMathPolynomX::IsMonotone"});
  void* filed = nullptr;
  long status = 0;
  EXPECT_EQ(XelFedEx::Get(_XelR19QuorMail, 6, &far, filed, status), 0);
}

TEST(PolynomX, MonotonicityOfHugeCoefficients) {
  // 1e300 (x - 0.5) (1 + x + ... + x^199): coefficients 0.5e300 to 1e300 whose derivative
  // terms and values overflow. It falls to 0 at -1, has its minimum inside (-1, 0.5) and rises
  // through 0.5: decreasing left of -1, increasing right of 0.5, not monotone across the minimum.
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
    EXPECT_EQ(p.IsMonotone(XelMathInterval(k.low, k.high), sense, DefaultTol()), k.monotone) << k.low;
    if (k.monotone) {
      EXPECT_EQ(sense, k.sense) << k.low << " " << k.high;
    }
  }
}

TEST(PolynomX, NoLeaks) {
  const long before = LiveBlocks();
  {
    std::mt19937 rng(23);
    const std::vector<double> cp = RandomCoefficients(rng, 25), cq = RandomCoefficients(rng, 70);
    XelMathPolynomX P(25, cp.data(), 0.1), Q(70, cq.data(), 0.9);
    XelMathPolynomX S = P * Q + P - 2.0 * Q;
    S *= P;
    std::unique_ptr<XelMathPolynomX> prim(Primitiv(&S, 1.0));
    std::unique_ptr<XelMathFunctionX> d(prim->CreateDeriv());
    std::unique_ptr<XelMathPolynomX> big(prim->LinearChangeVariable(0.5, 0.1));
    (void)big->ComputeImageByChebychev(XelMathInterval(-1, 1)); // heap scratch above 64
    std::vector<double> grid(33);
    big->Eval(XelMathInterval(-1, 1), 33, 1, grid.data(), nullptr, nullptr);
    XelMathQuinticX quintic(1, 2, 3, 4, 5, 6, 2.0);
    delete quintic.DeepDuplicate();
  }
  EXPECT_EQ(LiveBlocks(), before);
}
