// Extreme inputs of the closed-form functions (overflowing cosh, sinh, powers; roots denser
// than the doubles): images enclose without NaN, roots pass the root test, searches end.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "XelMathArctanCosX.h"
#include "XelMathFractionX.h"
#include "XelMathHyperbolicX.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

const XelTolerance& Tol() {
  return XelGetDefaultTolerance();
}

/// Whether v lies in I, up to a rounding slack for a finite v; NaN ends fail.
bool Encloses(const XelMathInterval& I, double v) {
  const double slack = std::isfinite(v) ? 1e-12 * (std::fabs(v) + 1.0) : 0.0;
  return I.low - slack <= v && v <= I.high + slack;
}

/// Images of f over I (orders 0 to 3, one by one and multi-output; optimal) have no NaN end;
/// those of orders 0 to 2 enclose 401 samples, which are never NaN with iFiniteValues.
void ExpectSafeImages(const XelMathFunctionX& f, const XelMathInterval& I, bool iFiniteValues) {
  XelMathInterval images[2][3] = {{f.Eval(I), f.EvalFirstDeriv(I), f.EvalSecondDeriv(I)}, {}};
  f.Eval(I, 112, &images[1][0], &images[1][1], &images[1][2]);
  const XelMathInterval optimal = f.ComputeOptimalImage(I, Tol()), third = f.EvalThirdDeriv(I);
  for (const XelMathInterval& J : {images[0][0], images[0][1], images[0][2], images[1][0],
                                   images[1][1], images[1][2], third, optimal})
    EXPECT_FALSE(std::isnan(J.low) || std::isnan(J.high)) << J.low << " " << J.high;
  const int n = 400;
  for (int i = 0; i <= n; ++i) {
    // Written so that a domain of huge ends does not overflow.
    const double x = i == n ? I.high : I.low + (I.high / n - I.low / n) * i;
    const double v[3] = {f.Eval(x), f.EvalFirstDeriv(x), f.EvalSecondDeriv(x)};
    for (int k = 0; k < 3; ++k) {
      EXPECT_FALSE(iFiniteValues && std::isnan(v[k])) << "order " << k << " NaN at " << x;
      for (const auto& row : images)
        EXPECT_TRUE(std::isnan(v[k]) || Encloses(row[k], v[k]))
            << "order " << k << " at " << x << ": " << v[k] << " (" << (&row - images) << ")";
    }
    EXPECT_TRUE(std::isnan(v[0]) || Encloses(optimal, v[0])) << "optimal at " << x;
  }
}

/// (x - 0.5) (1 + x + ... + x^199) 1e300: roots -1 and 0.5, overflows beyond |x| ~ 1.8.
std::vector<double> HugeDegree200() {
  std::vector<double> c(201, 0.5e300);
  c[0] = -0.5e300;
  c[200] = 1e300;
  return c;
}

struct Case {
  const char* name;
  std::function<XelMathFunctionX*()> make;
  XelMathInterval domain;
  bool finiteValues; // the point values are defined everywhere on the domain
  bool checkRoots;   // compare with the roots below
  std::vector<double> roots;
};

XelMathFunctionX* Hyp(double a, double b, double c, double w) {
  return new XelMathHyperbolicX(a, b, c, w);
}
XelMathFunctionX* Trig(double a, double b, double c, double w) {
  return new XelMathTrigonometricX(a, b, c, w, Tol());
}
XelMathFunctionX* AtanCos(double w) {
  return new XelMathArctanCosX(1, 2, w, 0, 0);
}

} // namespace

TEST(Overflow, ImagesRootsAndTerminationOnExtremeInputs) {
  const double acosh2 = 1.3169578969248167; // cosh x = 2
  const std::vector<double> huge = HugeDegree200();
  const double square[3] = {-2, 0, 1}, one = 1.0, r2 = std::sqrt(2.0);
  const XelMathInterval tiny(0, 1e-301), unit(-1, 1), beyond(1e9, 2e9);
  const auto sinhOverCosh = [] {
    return new XelMathFractionXDel(Hyp(0, 1, 0, 1), Hyp(1, 0, 0, 1), Tol());
  };
  const auto oneOverCosh = [&] {
    return new XelMathFractionXDel(new XelMathPolynomX(0, &one, 0), Hyp(1, 0, 0, 1), Tol());
  };
  const auto squareMinus2 = [&] { return new XelMathPolynomX(2, square, 0.0); };
  const auto trig = [] { return Trig(1, 0, 0.5, 1e300); };
  const auto atan = [] { return AtanCos(1e300); };
  const Case cases[] = {
      {"cosh x - 2 on [0, 711]", [] { return Hyp(1, 0, -2, 1); }, {0, 711}, true, true, {acosh2}},
      {"cosh 1000x - 2", [] { return Hyp(1, 0, -2, 1000); }, unit, true, true,
       {-acosh2 / 1000, acosh2 / 1000}},
      {"1e300 exp(-x) - 1", [] { return Hyp(1e300, -1e300, -1, 1); }, {600, 800}, true, true,
       {300 * std::log(10.0)}},
      {"sinh x", [] { return Hyp(0, 1, 0, 1); }, {-800, 800}, true, true, {0.0}},
      {"cosh 1e300x - 2", [] { return Hyp(1, 0, -2, 1e300); }, unit, true, false, {}},
      {"cos(1e300 x) + 0.5 near 0", trig, tiny, true, false, {}},
      {"cos(1e300 x) + 0.5", trig, unit, true, false, {}},
      {"cos(1e300 x) + 0.5 at a point", trig, {0.5, 0.5}, true, false, {}},
      {"cos x + 0.5 far out", [] { return Trig(1, 0, 0.5, 1); }, {1e17, 1e17 + 1000}, true, false,
       {}},
      {"atan(2 cos(1e300 x))", atan, tiny, true, false, {}},
      {"atan(2 cos(1e300 x)) wide", atan, unit, true, false, {}},
      {"atan(2 cos(1e300 x)) where w x overflows", atan, beyond, false, false, {}},
      {"cos(1e300 x) + 0.5 where w x overflows", trig, beyond, false, false, {}},
      {"tanh as sinh / cosh", sinhOverCosh, {700, 800}, false, true, {}}, // inf / inf beyond 710
      {"1 / cosh x", oneOverCosh, {700, 800}, true, true, {}}, // 0, derivatives 0 beyond 710
      {"x^2 - 2 on [-1e300, 1e300]", squareMinus2, {-1e300, 1e300}, true, true, {-r2, r2}},
      {"x^2 - 2 up to the largest doubles", squareMinus2, {-1.7e308, 1.7e308}, true, true,
       {-r2, r2}}, // 2^1024 is no double
      {"x^2 - 2 on [-1e150, 1e150]", squareMinus2, {-1e150, 1e150}, true, true, {-r2, r2}},
      {"degree 200 near 1e300", [&huge] { return new XelMathPolynomX(200, huge.data(), 0.0); },
       {-2, 2}, true, true, {-1.0, 0.5}},
  };
  const double epsRoot = 1000 * Tol().GetRootResolution();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<XelMathFunctionX> f(c.make());
    ExpectSafeImages(*f, c.domain, c.finiteValues);
    XelMathSetOfPointsND roots(1);
    const int status = f->Solve(c.domain, roots);
    const std::vector<double> found = xeltest::PointsOf(roots);
    if (c.checkRoots) {
      EXPECT_EQ(status, 0);
      std::vector<double> tol;
      for (double r : c.roots)
        tol.push_back(1e-9 * (std::fabs(r) + 1e-3));
      xeltest::ExpectSameRoots(found, c.roots, tol);
    }
    // Whatever the status, a point returned is within EpsRoot of the zero of the tangent.
    for (double x : found) {
      const double v = f->Eval(x), d = f->EvalFirstDeriv(x);
      EXPECT_TRUE(std::fabs(v) <= epsRoot * std::sqrt(1 + d * d)) << x << ": " << v;
    }
  }
}

TEST(Overflow, IntegralsAndDerivativesPastTheOverflow) {
  // Primitives in closed form: exp(-x) = cosh x - sinh x, sinh, cosh x - 2 around 0.
  const struct {
    double a, b, c, w, lo, hi, integral;
  } integrals[] = {{1, -1, 0, 1, 0, 800, -std::expm1(-800.0)},
                   {1, -1, 0, -1, -800, 0, -std::expm1(-800.0)}, // exp(x)
                   {0, 1, 0, 1, 0, 800, HUGE_VAL},
                   {1, 0, -2, 1, 710, 710, 0.0},
                   {1e-300, 1e-300, 0, 1, 0, 1000, std::exp(1000.0 - 300 * std::log(10.0))}};
  for (const auto& t : integrals) {
    XelMathHyperbolicX f(t.a, t.b, t.c, t.w);
    const double v = f.Integrate(XelMathInterval(t.lo, t.hi), 1e-12);
    if (std::isinf(t.integral))
      EXPECT_EQ(v, t.integral);
    else // e^t of an exponent near 1000 carries its rounding times 1000
      EXPECT_NEAR(v, t.integral, 8e3 * xeltest::kEps * std::fabs(t.integral)) << t.a << t.b;
  }
  // A coefficient that overflowed times an exact zero of the sine is 0.
  XelMathTrigonometricX g(1, 0, 0.5, 1e300, Tol());
  EXPECT_EQ(g.EvalThirdDeriv(0.0), 0.0);
  // 1 / cosh x beyond the overflow of cosh: every derivative is 0.
  const double one = 1.0;
  XelMathFractionXDel h(new XelMathPolynomX(0, &one, 0.0), new XelMathHyperbolicX(1, 0, 0, 1),
                        Tol());
  double f[3];
  h.Eval(750.0, 7, f, f + 1, f + 2);
  for (double v : {f[0], f[1], f[2], h.EvalFirstDeriv(750.0), h.EvalThirdDeriv(750.0)})
    EXPECT_EQ(v, 0.0);
}

TEST(Overflow, MinimumWhereTheImageOverflows) {
  // cosh(1000 x) - 2 reaches 1e434 on [-1, 1]; its only minimum is -1 at 0.
  XelMathHyperbolicX f(1, 0, -2, 1000);
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(f.Minimize(XelMathInterval(-1, 1), minima), 0);
  ASSERT_EQ(minima.GetNumberOfPoints(), 1);
  EXPECT_NEAR(minima.GetPoints()[0], 0.0, 1e-6);
}

TEST(Overflow, TrigonometricRootsAtTheResolutionOfDoubles) {
  // cos x + 0.5 on [1e8, 1e8 + 100]: 32 roots; doubles there are 1.5e-8 apart, so each is
  // returned within one spacing of the long double reference.
  XelMathTrigonometricX f(1, 0, 0.5, 1, Tol());
  XelMathSetOfPointsND roots(1);
  const double lo = 1e8, hi = 1e8 + 100;
  EXPECT_EQ(f.Solve(XelMathInterval(lo, hi), roots), 0);
  const long double twoPi = 6.283185307179586476925286766559L;
  const long double third = 2.094395102393195492308428922186L; // 2pi/3
  std::vector<double> expected, tol;
  for (long k = static_cast<long>(lo / twoPi) - 1; k <= static_cast<long>(hi / twoPi) + 1; ++k)
    for (long double r : {k * twoPi + third, k * twoPi + 2 * third})
      if (r >= lo && r <= hi) {
        expected.push_back(static_cast<double>(r));
        tol.push_back(std::nextafter(static_cast<double>(r), HUGE_VAL) - static_cast<double>(r));
      }
  ASSERT_EQ(expected.size(), 32u);
  xeltest::ExpectSameRoots(xeltest::PointsOf(roots), expected, tol);
}
