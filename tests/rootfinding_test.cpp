// Root finding of one-variable functions, as tables of cases with known roots run on both
// strategies (interval Newton when the function offers interval images, sampling otherwise):
// factored polynomials (simple, multiple, clustered, at and beyond the domain ends), classic
// equations given by closed forms, poles, jumps and NaN; the polynomial path (Wilkinson,
// clusters, powers, random polynomials up to degree 30, huge and far domains); the
// trigonometric path; the options of Solve, misuse and resources. Every true root must be found
// once, within the accuracy its conditioning allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "XelFedEx.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelError.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathCombinationX.h"
#include "XelMathConstraint.h"
#include "XelMathFunctionX.h"
#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathPolynomX.h"
#include "XelMathProdX.h"
#include "XelMathSetOfLongs.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveX.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;

const double kUnit = 0.5 * std::numeric_limits<double>::epsilon();
// The solver's default root acceptance width: 1000 root resolutions of the default tolerance.
const double kEpsRoot = 1000.0 * XelGetDefaultTolerance().GetRootResolution();
// Two roots closer than this are one (point resolution, unit scale).
const double kPointRes = XelGetDefaultTolerance().GetPointResolution();

typedef ClosedFormX::Scalar Scalar;

// Accuracy allowed for a root of multiplicity m whose first non-vanishing Taylor coefficient
// is iTaylor: the solver accepts points where |f| is below EpsRoot (scaled by the slope for a
// simple root), i.e. |iTaylor| delta^m ~ EpsRoot, plus the rounding of x itself.
double RootTolerance(double x, int m, double iTaylor) {
  const double t = std::fabs(iTaylor);
  double tol =
      m == 1 ? kEpsRoot * std::sqrt(1.0 + 1.0 / (t * t)) : 2.0 * std::pow(kEpsRoot / t, 1.0 / m);
  return tol + 16.0 * kUnit * (1.0 + std::fabs(x));
}

// Attainable accuracy of a simple root r of sum c_k (x - s)^k: the rounding of the value
// (u sum |c_k| |t|^k, with a safety factor for the degree) over the slope.
double Conditioning(const std::vector<double>& c, double s, double r) {
  const double t = r - s;
  double size = 0.0, slope = 0.0;
  for (std::size_t k = c.size(); k-- > 0;)
    size = size * std::fabs(t) + std::fabs(c[k]);
  for (std::size_t k = c.size(); k-- > 1;)
    slope = slope * t + static_cast<double>(k) * c[k];
  return 8.0 * static_cast<double>(c.size()) * kUnit * size / std::fabs(slope);
}

// The derivative of order iOrder at x of sum c_k x^k, by Horner.
double Horner(const std::vector<double>& c, double x, int iOrder) {
  double y = 0.0;
  for (long k = static_cast<long>(c.size()) - 1; k >= iOrder; --k) {
    double f = c[k];
    for (int j = 0; j < iOrder; ++j)
      f *= static_cast<double>(k - j);
    y = y * x + f;
  }
  return y;
}

// Attainable accuracy of a root r of multiplicity m of sum c_k x^k: the rounding of the value,
// u sum |c_k| |r|^k, against the first non-vanishing Taylor term |f^(m)(r)| / m! delta^m, and
// never below the acceptance width.
double Accuracy(const std::vector<double>& c, double r, int m) {
  double size = 0.0, taylor = Horner(c, r, m);
  for (std::size_t k = c.size(); k-- > 0;)
    size = size * std::fabs(r) + std::fabs(c[k]);
  for (int i = 2; i <= m; ++i)
    taylor /= i;
  return std::max(kEpsRoot, std::pow(64.0 * kUnit * size / std::fabs(taylor), 1.0 / m));
}

ClosedFormX MeanValue(Scalar iF, Scalar iD, Scalar iD2, double iM1 = -1.0, double iM2 = 0.0);

// lead * prod (x - r_i)^m_i from its coefficients expanded in long double, with exact
// derivatives and, when asked, mean-value images from the bounds of |f'| and |f''| over [-4, 4].
ClosedFormX Factored(const std::vector<double>& iRoots, const std::vector<int>& iMult,
                     double iLead, bool iIntervals) {
  std::vector<double> all;
  for (std::size_t i = 0; i < iRoots.size(); ++i)
    all.insert(all.end(), iMult[i], iRoots[i]);
  const std::vector<double> c = ExpandRoots(all, iLead);
  std::vector<double> a(c.size());
  for (std::size_t k = 0; k < c.size(); ++k)
    a[k] = std::fabs(c[k]);
  return MeanValue([c](double x) { return Horner(c, x, 0); },
                   [c](double x) { return Horner(c, x, 1); },
                   [c](double x) { return Horner(c, x, 2); },
                   iIntervals ? Horner(a, 4.0, 1) : -1.0, Horner(a, 4.0, 2));
}

// Solves f on iDomain through Solve with the options in iList, or with iSampling sample
// points; the status is checked unless iStatus is negative.
std::vector<double> Roots(const XelMathFunctionX& f, const XelMathInterval& iDomain,
                          const XelMathAttrList* iList = nullptr, long iSampling = 0,
                          int iStatus = 0) {
  XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints, iSampling, 1);
  XelMathAttrList withSampling(&sampling);
  XelMathSetOfPointsND set(1);
  const int status = f.Solve(iDomain, set, iSampling > 0 ? &withSampling : iList);
  EXPECT_TRUE(iStatus < 0 || status == iStatus) << status;
  return SortedPoints(set);
}

// Runs factored polynomials on both strategies: every root found once within its accuracy.
struct FactoredCase {
  std::vector<double> roots;
  std::vector<int> mult;
  XelMathInterval domain;
  std::vector<double> expected; // sorted; the roots inside the domain
  long sampling;
};

void RunFactored(const FactoredCase& c, const XelMathAttrList* iList = nullptr) {
  for (bool intervals : {false, true}) {
    const ClosedFormX f = Factored(c.roots, c.mult, 1.0, intervals);
    std::vector<double> all, tol;
    for (std::size_t i = 0; i < c.roots.size(); ++i)
      all.insert(all.end(), c.mult[i], c.roots[i]);
    for (double r : c.expected) {
      const std::size_t i = std::find(c.roots.begin(), c.roots.end(), r) - c.roots.begin();
      tol.push_back(Accuracy(ExpandRoots(all, 1.0), r, i < c.mult.size() ? c.mult[i] : 1));
    }
    SCOPED_TRACE(testing::Message() << c.roots.size() << " roots from " << c.roots[0]
                                    << (intervals ? ", interval Newton" : ", sampling"));
    ExpectSameRoots(Roots(f, c.domain, iList, c.sampling), c.expected, tol);
  }
}

// A function given by closed forms of f, f', f''. With bounds of |f'| and |f''| over the
// domain, it offers interval images of f and f' by the mean-value form f(m) +- r max|f'|
// (resp. f'(m) +- r max|f''|) over I = [m - r, m + r], widened by the rounding of f(m).
ClosedFormX MeanValue(Scalar iF, Scalar iD, Scalar iD2, double iM1, double iM2) {
  ClosedFormX::Image image;
  if (iM1 >= 0.0 || std::isnan(iM1))
    image = [=](int k, const XelMathInterval& I) {
      const double m = 0.5 * (I.low + I.high), r = 0.5 * (I.high - I.low);
      const double gm = k == 0 ? iF(m) : iD(m);
      const double spread = r * (k == 0 ? iM1 : iM2) + 8.0 * kUnit * std::fabs(gm);
      return XelMathInterval(gm - spread, gm + spread);
    };
  return ClosedFormX(iF, iD, iD2, image);
}

struct Root {
  double x;
  int m;
  double taylor; // first non-vanishing Taylor coefficient; 0: from f' or f''/2
};

struct Case {
  std::string name;
  Scalar f, d, d2;
  double m1, m2; // bounds of |f'| and |f''| over the domain
  double a, b;
  std::vector<Root> roots;
  long sampling; // sample points needed to see every root (0: the default 15)
};

void RunCase(const Case& c) {
  std::vector<double> truth, tol;
  for (const Root& r : c.roots) {
    truth.push_back(r.x);
    const double t = r.taylor != 0.0 ? r.taylor : (r.m == 1 ? c.d(r.x) : 0.5 * c.d2(r.x));
    tol.push_back(RootTolerance(r.x, r.m, t));
  }
  for (bool intervals : {false, true}) {
    SCOPED_TRACE(c.name + (intervals ? " (interval Newton)" : " (sampling)"));
    const ClosedFormX f = MeanValue(c.f, c.d, c.d2, intervals ? c.m1 : -1.0, c.m2);
    ExpectSameRoots(Roots(f, XelMathInterval(c.a, c.b), nullptr, c.sampling), truth, tol);
  }
}

// Solves through XelMathPolynomX::Solve and checks simple roots against their conditioning.
void CheckPolynomial(const std::string& iName, const std::vector<double>& iRealRoots,
                     const std::vector<double>& iCoefficients, double iShift, double a, double b) {
  SCOPED_TRACE(iName);
  const XelMathPolynomX p(static_cast<long>(iCoefficients.size()) - 1, iCoefficients.data(),
                          iShift);
  XelMathSetOfPointsND set(1);
  EXPECT_EQ(p.Solve(XelMathInterval(a, b), set, nullptr), 0);
  std::vector<double> truth, tol;
  for (double r : iRealRoots)
    if (r >= a && r <= b) {
      truth.push_back(r);
      tol.push_back(std::max(RootTolerance(r, 1, p.EvalFirstDeriv(r)),
                             Conditioning(iCoefficients, iShift, r)));
    }
  ExpectSameRoots(SortedPoints(set), truth, tol);
}

std::vector<double> Range(int iFrom, int iTo) {
  std::vector<double> r;
  for (int k = iFrom; k <= iTo; ++k)
    r.push_back(k);
  return r;
}

// Admits only x >= 0.
class NonNegative : public XelMathConstraint {
public:
  unsigned char IsAdmissible(const XelMathInterval& iI) const override { return iI.high >= 0.0; }
  double EvalConstraint(double x) const override { return x; }
};

// ---- general functions: both strategies -------------------------------------------------

TEST(SolveX, FactoredPolynomialsOnBothStrategies) {
  const FactoredCase cases[] = {
      // A triple, a double and a simple root, seen through 40 samples.
      {{1.0, 2.0, -0.5}, {3, 2, 1}, {-1.0, 3.0}, {-0.5, 1.0, 2.0}, 40},
      // A double root positive at every sample of [-1, 1] but at the tangent.
      {{0.3, -2.0}, {2, 1}, {-1.0, 1.0}, {0.3}, 0},
      // Roots at the ends of the domain are found once; roots outside it are not returned.
      {{0.0, 0.5, 1.0}, {1, 1, 1}, {0.0, 1.0}, {0.0, 0.5, 1.0}, 0},
      {{-0.5, 0.25, 2.0}, {1, 1, 1}, {0.0, 1.0}, {0.25}, 0},
  };
  for (const FactoredCase& c : cases)
    RunFactored(c);
  XelMathAttrString check(AttrFunctionXCheckExtremities, 1);
  XelMathAttrList withCheck(&check);
  RunFactored(cases[2], &withCheck);
  // A constraint drops the roots it rejects.
  NonNegative constraint;
  XelMathAttrList constrained(&constraint);
  RunFactored({{-0.5, 0.25, 0.75}, {1, 1, 1}, {-1.0, 1.0}, {0.25, 0.75}, 0}, &constrained);
}

TEST(SolveX, ClusteredRootsAreSeparated) {
  // Simple roots 5e-7 and 1e-7 apart, far closer than the sampling step, next to a third one;
  // a cluster from coefficients rounded once on the polynomial path; one exact in the shifted
  // basis, 2^-27 apart: t (t - d) (t^2 - 1/4).
  for (double gap : {5e-7, 1e-7})
    RunFactored({{0.3, 0.3 + gap, -0.4}, {1, 1, 1}, {-1.0, 1.0}, {-0.4, 0.3, 0.3 + gap}, 0});
  for (double d : {5e-7, 1e-7}) {
    const std::vector<double> pair = {-0.6, 0.5, 0.5 + d, 0.9}, triple = {-0.6, 0.5 - d, 0.5, 0.5 + d};
    CheckPolynomial("pair", pair, ExpandRoots(pair, 2.0, 0.5), 0.5, -1.0, 1.0);
    CheckPolynomial("triple", triple, ExpandRoots(triple, 1.0, 0.5), 0.5, -1.0, 1.0);
  }
  const double d = std::ldexp(1.0, -27);
  const double c[5] = {0.0, 0.25 * d, -0.25, -d, 1.0};
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
  solver.Initialize(XelMathInterval(-1.0, 1.0), set);
  EXPECT_EQ(solver.RunOnPolynom(4, c, 0.3), 0);
  ExpectSameRoots(SortedPoints(set), {-0.2, 0.3, 0.3 + d, 0.8}, kEpsRoot);
  // Run without a function: an invalid object, reported, no root.
  const long reports = XelQuornullCount();
  EXPECT_EQ(solver.Run(XelMathInterval(-1.0, 1.0), set), 0);
  EXPECT_EQ(XelQuornullCount(), reports + 1);
  EXPECT_EQ(set.GetNumberOfPoints(), 0);
}

TEST(SolveX, RootsCloserThanThePointResolutionAreOne) {
  XelMathSetOfPointsND set(1);
  const ClosedFormX f = Factored({0.5}, {1}, 1.0, false);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  solver.Initialize(XelMathInterval(0.0, 1.0), set);
  solver.AddRoot(0.5);
  solver.AddRoot(0.5 + 0.5 * kPointRes);
  solver.AddRoot(0.5 + 4.0 * kPointRes);
  EXPECT_EQ(set.GetNumberOfPoints(), 2);
}

// A function with values and derivatives but no images, on the default sampling: sin wx on
// [0.1, 10.1] (roots k pi / w; 15 equal samples showed 4 of the 32 roots of sin 10x), and
// x exp(-1/x^2) on [-1, 4], null to 1e-20 over [-0.15, 0.15]: one root there, not one per
// sample (a classic bracketing test).
TEST(SolveX, DefaultSamplingFollowsTheFunction) {
  // sin wx e^(-dx): roots k pi / w; damped, the turns far out are a small part of the range.
  for (const auto& [w, d, hi] :
       {std::tuple{10.0, 0.0, 10.1}, {30.0, 0.0, 10.1}, {10.0, 0.5, 20.1}}) {
    const ClosedFormX f([w = w, d = d](double x) { return std::sin(w * x) * std::exp(-d * x); },
                        [w = w, d = d](double x) {
                          return (w * std::cos(w * x) - d * std::sin(w * x)) * std::exp(-d * x);
                        },
                        [w = w, d = d](double x) {
                          return ((d * d - w * w) * std::sin(w * x) - 2 * d * w * std::cos(w * x)) *
                                 std::exp(-d * x);
                        });
    std::vector<double> truth, tol;
    for (long k = 1; k * kPi / w < hi; ++k)
      if (k * kPi / w > 0.1) {
        truth.push_back(k * kPi / w);
        tol.push_back(1e-12);
      }
    SCOPED_TRACE(testing::Message() << "sin " << w << "x e^-" << d << "x");
    ExpectSameRoots(Roots(f, XelMathInterval(0.1, hi)), truth, tol);
  }
  const ClosedFormX flat(
      [](double x) { return x == 0.0 ? 0.0 : x * std::exp(-1.0 / (x * x)); },
      [](double x) { return x == 0.0 ? 0.0 : (1.0 + 2.0 / (x * x)) * std::exp(-1.0 / (x * x)); },
      [](double x) {
        return x == 0.0 ? 0.0 : (4.0 / (x * x * x * x * x) - 2.0 / (x * x * x)) * std::exp(-1.0 / (x * x));
      });
  const std::vector<double> roots = Roots(flat, XelMathInterval(-1.0, 4.0));
  ASSERT_EQ(roots.size(), 1u);
  EXPECT_LT(std::fabs(roots[0]), 0.2);
  // A function the first samples resolve costs little more than twice their count: sin 3x,
  // resolved at steps of 0.36, within 200 values and slopes (121 when written).
  long calls = 0;
  const ClosedFormX wave([&calls](double x) { return ++calls, std::sin(3.0 * x); },
                         [&calls](double x) { return ++calls, 3.0 * std::cos(3.0 * x); },
                         [](double x) { return -9.0 * std::sin(3.0 * x); });
  EXPECT_EQ(Roots(wave, XelMathInterval(0.1, 10.1)).size(), 9u);
  EXPECT_LT(calls, 200);
}

// x^n - 1/2 on [0, 1.1]: secant steps keep the low end of the bracket and creep along the
// flat stretch, and beyond x = 1 the values overflow for the largest n. The one root
// 2^(-1/n) is found on both strategies (exact monotone images for the interval one).
TEST(SolveX, SteepPowersKeepTheirRoot) {
  for (double n : {200.0, 5000.0, 1e5})
    for (bool intervals : {false, true}) {
      ClosedFormX::Image image;
      if (intervals)
        image = [n](int k, const XelMathInterval& I) {
          return k == 0 ? XelMathInterval(std::pow(I.low, n) - 0.5, std::pow(I.high, n) - 0.5)
                        : XelMathInterval(n * std::pow(I.low, n - 1), n * std::pow(I.high, n - 1));
        };
      const ClosedFormX f([n](double x) { return std::pow(x, n) - 0.5; },
                          [n](double x) { return n * std::pow(x, n - 1); },
                          [n](double x) { return n * (n - 1) * std::pow(x, n - 2); }, image);
      SCOPED_TRACE(testing::Message() << "n = " << n << (intervals ? ", images" : ", sampling"));
      const std::vector<double> roots = Roots(f, XelMathInterval(0.0, 1.1));
      ASSERT_EQ(roots.size(), 1u);
      EXPECT_NEAR(roots[0], std::pow(0.5, 1.0 / n), 1e-12);
    }
}

// x^2 - 1/4 on [-w, w]: samples or interval halves 1e14 to 1e99 wide around the roots +-1/2.
// The brackets shrink to the resolution of the root (not to 1e-13 of their first width, 14 at
// w = 1e15, where f = 4) and by orders of magnitude where their ends' sizes differ widely.
TEST(SolveX, WideDomainsKeepTheirRoots) {
  for (const double w : {1e12, 1e15, 1e20, 1e100, 1e200})
    for (const bool intervals : {false, true}) {
      ClosedFormX::Image image;
      if (intervals)
        image = [](int k, const XelMathInterval& I) {
          const double l2 = I.low * I.low, h2 = I.high * I.high;
          const double lo = I.low <= 0.0 && I.high >= 0.0 ? 0.0 : std::fmin(l2, h2);
          return k == 0 ? XelMathInterval(lo - 0.25, std::fmax(l2, h2) - 0.25)
                        : XelMathInterval(2.0 * I.low, 2.0 * I.high);
        };
      const ClosedFormX f([](double x) { return x * x - 0.25; }, [](double x) { return 2.0 * x; },
                          [](double) { return 2.0; }, image);
      SCOPED_TRACE(testing::Message() << "w = " << w << (intervals ? ", images" : ", sampling"));
      ExpectSameRoots(Roots(f, XelMathInterval(-w, w)), {-0.5, 0.5}, 1e-12);
    }
}

TEST(SolveXBattery, ClassicEquations) {
  const double e = std::exp(1.0), gap = 1e-7, r1 = 1e6 + 3.7, r2 = 1e6 + 7.1;
  const std::vector<Case> cases = {
      {"x^3 - 2x - 5", [](double x) { return x * x * x - 2.0 * x - 5.0; },
       [](double x) { return 3.0 * x * x - 2.0; }, [](double x) { return 6.0 * x; }, 48.0, 24.0,
       -4.0, 4.0, {{2.0945514815423265, 1, 0}}, 0},
      // The fixed point of cos (Dottie number).
      {"cos x - x", [](double x) { return std::cos(x) - x; },
       [](double x) { return -std::sin(x) - 1.0; }, [](double x) { return -std::cos(x); }, 2.0,
       1.0, -2.0, 3.0, {{0.73908513321516064, 1, 0}}, 0},
      // Two roots, one each side of the maximum at 1 (by bisection in long double).
      {"x exp(-x) - 0.1", [](double x) { return x * std::exp(-x) - 0.1; },
       [](double x) { return (1.0 - x) * std::exp(-x); },
       [](double x) { return (x - 2.0) * std::exp(-x); }, 1.0, 2.0, 0.0, 6.0,
       {{0.11183255915896297, 1, 0}, {3.5771520639572972, 1, 0}}, 0},
      {"x^2 - 1e-8", [](double x) { return x * x - 1e-8; }, [](double x) { return 2.0 * x; },
       [](double) { return 2.0; }, 2.0, 2.0, -1.0, 1.0, {{-1e-4, 1, 0}, {1e-4, 1, 0}}, 0},
      {"(x - 1)^3", [](double x) { return (x - 1.0) * (x - 1.0) * (x - 1.0); },
       [](double x) { return 3.0 * (x - 1.0) * (x - 1.0); },
       [](double x) { return 6.0 * (x - 1.0); }, 12.0, 12.0, -1.0, 2.5, {{1.0, 3, 1.0}}, 0},
      // Roots exactly at the domain ends.
      {"sin(pi x)", [](double x) { return std::sin(kPi * x); },
       [](double x) { return kPi * std::cos(kPi * x); },
       [](double x) { return -kPi * kPi * std::sin(kPi * x); }, kPi, kPi * kPi, 0.0, 3.0,
       {{0.0, 1, 0}, {1.0, 1, 0}, {2.0, 1, 0}, {3.0, 1, 0}}, 0},
      // Tangential roots of even multiplicity, between samples.
      {"(x - 0.4)^2 e^x", [](double x) { return (x - 0.4) * (x - 0.4) * std::exp(x); },
       [](double x) { return (x - 0.4) * (x + 1.6) * std::exp(x); },
       [](double x) { return ((x - 0.4) * (x + 1.6) + 2.0 * x + 1.2) * std::exp(x); }, 3.0 * e,
       8.0 * e, -1.0, 1.0, {{0.4, 2, 0}}, 0},
      {"(x - 0.3)^2 (x + 0.5)", [](double x) { return (x - 0.3) * (x - 0.3) * (x + 0.5); },
       [](double x) { return (x - 0.3) * (3.0 * x + 0.7); }, [](double x) { return 6.0 * x - 0.2; },
       6.0, 6.2, -1.0, 1.0, {{-0.5, 1, 0}, {0.3, 2, 0}}, 0},
      // A pair 1e-7 apart next to a third root.
      {"cluster 1e-7", [=](double x) { return (x - 0.5) * (x - 0.5 - gap) * (x + 0.3); },
       [=](double x) {
         return (x - 0.5 - gap) * (x + 0.3) + (x - 0.5) * (x + 0.3) + (x - 0.5) * (x - 0.5 - gap);
       },
       [=](double x) { return 2.0 * ((x - 0.5) + (x - 0.5 - gap) + (x + 0.3)); }, 6.0, 6.0, -1.0,
       1.0, {{-0.3, 1, 0}, {0.5, 1, 0}, {0.5 + gap, 1, 0}}, 0},
      // Domains far from 0 and huge ones.
      {"far domain", [=](double x) { return (x - r1) * (x - r2); },
       [=](double x) { return (x - r1) + (x - r2); }, [](double) { return 2.0; }, 20.0, 2.0, 1e6,
       1e6 + 10.0, {{r1, 1, 0}, {r2, 1, 0}}, 0},
      {"atan(x - 123.4)", [](double x) { return std::atan(x - 123.4); },
       [](double x) { return 1.0 / (1.0 + (x - 123.4) * (x - 123.4)); },
       [](double x) {
         const double t = x - 123.4;
         return -2.0 * t / ((1.0 + t * t) * (1.0 + t * t));
       },
       1.0, 1.0, -1e8, 1e8, {{123.4, 1, 0}}, 0},
  };
  for (const Case& c : cases)
    RunCase(c);
}

TEST(SolveXBattery, ManyRootsAwayFromZero) {
  // sin(1/x) on [0.01, 1]: the roots 1/(k pi), k = 1..31, ever closer towards 0.01; samples
  // closer than half the smallest gap between roots (3.2e-4).
  const double lo = 0.01;
  Case c{"sin(1/x)", [](double x) { return std::sin(1.0 / x); },
         [](double x) { return -std::cos(1.0 / x) / (x * x); },
         [](double x) { return (2.0 * x * std::cos(1.0 / x) - std::sin(1.0 / x)) / (x * x * x * x); },
         1.0 / (lo * lo), 2.0 / (lo * lo * lo) + 1.0 / (lo * lo * lo * lo), lo, 1.0, {}, 8000};
  for (int k = 31; k >= 1; --k)
    c.roots.push_back({1.0 / (k * kPi), 1, 0});
  RunCase(c);
  // sin(50 x) + 0.5 on [0, 2]: two roots per period.
  Case s{"sin(50x) + 0.5", [](double x) { return std::sin(50.0 * x) + 0.5; },
         [](double x) { return 50.0 * std::cos(50.0 * x); },
         [](double x) { return -2500.0 * std::sin(50.0 * x); }, 50.0, 2500.0, 0.0, 2.0, {}, 400};
  for (int k = 0; k < 20; ++k)
    for (double phase : {kPi + kPi / 6.0, 2.0 * kPi - kPi / 6.0})
      if ((phase + 2.0 * k * kPi) / 50.0 <= 2.0)
        s.roots.push_back({(phase + 2.0 * k * kPi) / 50.0, 1, 0});
  RunCase(s);
  // sin(50 x) on [0, 10]: the 160 roots k pi / 50, with 1000 samples.
  Case t{"sin(50x)", [](double x) { return std::sin(50.0 * x); },
         [](double x) { return 50.0 * std::cos(50.0 * x); },
         [](double x) { return -2500.0 * std::sin(50.0 * x); }, 50.0, 2500.0, 0.0, 10.0, {}, 1000};
  for (int k = 0; k * kPi / 50.0 <= 10.0; ++k)
    t.roots.push_back({k * kPi / 50.0, 1, 0});
  ASSERT_EQ(t.roots.size(), 160u);
  RunCase(t);
}

// The library's own function under the sampling strategy: its values and exact derivatives at
// points, no interval image.
class PointsOnly : public XelMathFunctionX {
public:
  explicit PointsOnly(const XelMathFunctionX& iF) : _f(iF) {}
  const char* IsA() const override { return "PointsOnly"; }
  unsigned char IsOption(const long o) const override { return (o & ~15L) ? 0 : _f.IsOption(o); }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  double Eval(const double& x) const override { return _f.Eval(x); }
  double EvalFirstDeriv(const double& x) const override { return _f.EvalFirstDeriv(x); }
  double EvalSecondDeriv(const double& x) const override { return _f.EvalSecondDeriv(x); }
  XelMathFunctionX* Duplicate() const override { return new PointsOnly(_f); }

private:
  const XelMathFunctionX& _f;
};

// Double roots and their near misses, from the library's trigonometric functions (whose images
// of f'' let the interval strategy settle an interval from its single extremum), on [-8, 8]:
//  - cos x + cos 2x + e: with c = cos x, 2c^2 + c - 1 + e = 0, c = (-1 -+ sqrt(9 - 8e)) / 4.
//    At e = 0 the roots pi + 2k pi are double (f''/2 = -3/2 there); e > 0 splits each into two
//    roots sqrt(2e/3) apart, e < 0 leaves none there;
//  - (cos x - 1/2)^2: double roots at -+pi/3 + 2k pi (f''/2 = sin^2 = 3/4);
//  - cos 2x - 4 cos x + 3 = 2 (cos x - 1)^2: roots of multiplicity 4 at 2k pi (x^4 / 2).
TEST(SolveXBattery, DoubleRootsOfTrigonometricSumsOnBothStrategies) {
  const XelTolerance& tol = XelGetDefaultTolerance();
  const XelMathTrigonometricX c1(1, 0, 0, 1, tol), c2(1, 0, 0, 2, tol), half(1, 0, -0.5, 1, tol);
  const XelMathFunctionX* parts[2] = {&c1, &c2};
  const double one[2] = {1.0, 1.0}, quartic[2] = {-4.0, 1.0};
  struct WaveCase {
    std::unique_ptr<XelMathFunctionX> f;
    std::vector<std::pair<double, double>> roots; // the roots in [-8, 8] and their tolerances
    void Add(double x, int m, double taylor) {
      for (int j = -2; j <= 2; ++j)
        if (std::fabs(x + 2 * j * kPi) <= 8.0)
          roots.push_back({x + 2 * j * kPi, RootTolerance(x + 2 * j * kPi, m, taylor)});
    }
  };
  std::vector<WaveCase> cases(7);
  const double shifts[5] = {0.0, 1e-4, 1e-7, -1e-7, -1e-4};
  for (int i = 0; i < 5; ++i) {
    const double e = shifts[i];
    cases[i].f.reset(new XelMathCombinationX(2, parts, one, e));
    for (double c :
         {(-1.0 - std::sqrt(9.0 - 8.0 * e)) / 4.0, (-1.0 + std::sqrt(9.0 - 8.0 * e)) / 4.0}) {
      const bool twice = e == 0.0 && c == -1.0; // the double roots pi + 2k pi, once
      for (double x : {-std::acos(c), std::acos(c)})
        if (c >= -1.0 && !(twice && x < 0.0))
          cases[i].Add(x, twice ? 2 : 1, twice ? -1.5 : -std::sin(x) - 2.0 * std::sin(2.0 * x));
    }
  }
  cases[5].f.reset(new XelMathProdX(&half, &half));
  for (double x : {-kPi / 3, kPi / 3})
    cases[5].Add(x, 2, 0.75);
  cases[6].f.reset(new XelMathCombinationX(2, parts, quartic, 3.0));
  cases[6].Add(0.0, 4, 0.5);
  for (WaveCase& c : cases) {
    std::sort(c.roots.begin(), c.roots.end());
    std::vector<double> truth, tolerance;
    for (const auto& r : c.roots) {
      truth.push_back(r.first);
      tolerance.push_back(r.second);
    }
    const PointsOnly sampled(*c.f);
    for (bool intervals : {false, true}) {
      SCOPED_TRACE(testing::Message()
                   << &c - cases.data() << (intervals ? " (interval Newton)" : " (sampling)"));
      ExpectSameRoots(Roots(intervals ? *c.f : static_cast<const XelMathFunctionX&>(sampled),
                            XelMathInterval(-8, 8), nullptr, intervals ? 0 : 50),
                      truth, tolerance);
    }
  }
}

// Functions with poles, jumps or NaN parts: 1/x, tan x and log x, with interval images of f
// and f' (infinite across a pole) or without. A pole is a sign change whose values grow
// towards it; a point where f is NaN or infinite is no root either.
ClosedFormX Singular(int iKind, bool iIntervals) {
  const double inf = std::numeric_limits<double>::infinity();
  ClosedFormX::Image image;
  if (iKind == 0) {
    image = [inf](int k, const XelMathInterval& I) {
      if (I.low <= 0.0 && I.high >= 0.0)
        return k == 0 ? XelMathInterval(-inf, inf)
                      : XelMathInterval(-inf, -1.0 / std::fmax(I.low * I.low, I.high * I.high));
      const double lo2 = I.low * I.low, hi2 = I.high * I.high;
      return k == 0 ? XelMathInterval(1.0 / I.high, 1.0 / I.low)
                    : XelMathInterval(-1.0 / std::fmin(lo2, hi2), -1.0 / std::fmax(lo2, hi2));
    };
    return ClosedFormX([](double x) { return 1.0 / x; }, [](double x) { return -1.0 / (x * x); },
                       [](double x) { return 2.0 / (x * x * x); },
                       iIntervals ? image : ClosedFormX::Image());
  }
  if (iKind == 1) {
    image = [inf](int k, const XelMathInterval& I) {
      // A pole k pi + pi/2 inside I makes both images unbounded.
      if (std::floor((I.low - kPi / 2) / kPi) != std::floor((I.high - kPi / 2) / kPi))
        return k == 0 ? XelMathInterval(-inf, inf) : XelMathInterval(1.0, inf);
      const double tl = std::tan(I.low), th = std::tan(I.high);
      if (k == 0)
        return XelMathInterval(tl, th);
      const double low = tl <= 0.0 && th >= 0.0 ? 0.0 : std::fmin(tl * tl, th * th);
      return XelMathInterval(1.0 + low, 1.0 + std::fmax(tl * tl, th * th));
    };
    return ClosedFormX([](double x) { return std::tan(x); },
                       [](double x) { return 1.0 + std::tan(x) * std::tan(x); },
                       [](double x) { return 2.0 * std::tan(x) * (1.0 + std::tan(x) * std::tan(x)); },
                       iIntervals ? image : ClosedFormX::Image());
  }
  return ClosedFormX([](double x) { return std::log(x); }, [](double x) { return 1.0 / x; },
                     [](double x) { return -1.0 / (x * x); });
}

TEST(SolveX, PolesJumpsAndNaNPointsAreNeverRoots) {
  const struct {
    int kind;
    XelMathInterval domain;
    std::vector<double> roots;
  } cases[] = {{0, {-1.0, 1.0}, {}},         {0, {-1.0, 2.0}, {}},
                        {1, {-1.0, 5.0}, {0.0, kPi}}, {1, {0.5, 10.0}, {kPi, 2.0 * kPi, 3.0 * kPi}},
                        {2, {-1.0, 1.0}, {1.0}},      {2, {-1.0, 2.0}, {1.0}}};
  for (const auto& c : cases)
    for (bool intervals : {false, true}) {
      if (c.kind == 2 && intervals)
        continue;
      const ClosedFormX f = Singular(c.kind, intervals);
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << " on [" << c.domain.low << ", "
                                      << c.domain.high << "] intervals " << intervals);
      const std::vector<double> found = Roots(f, c.domain);
      for (double r : found)
        EXPECT_TRUE(std::isfinite(f.Eval(r))) << r;
      ExpectSameRoots(found, c.roots, kEpsRoot);
    }
}

TEST(SolveXBattery, NaNAndInfiniteValuesEndTheSearch) {
  const double nan = kNaN, inf = kInf;
  // sqrt(x) - 0.5: NaN on half the domain; the root where it is defined is still found.
  const ClosedFormX half([](double x) { return std::sqrt(x) - 0.5; },
                         [](double x) { return 0.5 / std::sqrt(x); },
                         [](double x) { return -0.25 / (x * std::sqrt(x)); });
  ExpectSameRoots(Roots(half, XelMathInterval(-1.0, 1.0)), {0.25}, kEpsRoot);
  // 1/x - 2: a pole inside; the root 0.5 is found and the call returns.
  const ClosedFormX pole([](double x) { return 1.0 / x - 2.0; },
                         [](double x) { return -1.0 / (x * x); },
                         [](double x) { return 2.0 / (x * x * x); });
  const std::vector<double> found = Roots(pole, XelMathInterval(-1.0, 1.0));
  EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](double x) {
    return std::fabs(x - 0.5) <= RootTolerance(0.5, 1, 4.0);
  }));
  // Always NaN, always infinite, alternating infinities, NaN claimed as an interval image:
  // nothing outside the domain, and no hang.
  const Scalar values[3] = {[nan](double) { return nan; }, [inf](double) { return inf; },
                            [inf](double x) { return std::sin(40.0 * x) > 0.0 ? inf : -inf; }};
  for (const Scalar& v : values)
    for (bool intervals : {false, true}) {
      XelMathSetOfPointsND set(1);
      MeanValue(v, v, v, intervals ? nan : -1.0, nan).Solve(XelMathInterval(-1.0, 1.0), set, nullptr);
      for (double x : PointsOf(set))
        EXPECT_TRUE(x >= -1.0 && x <= 1.0);
      EXPECT_TRUE(v(0.3) == v(0.3) || set.GetNumberOfPoints() == 0);
    }
}

TEST(SolveX, StatusesOfNullConstantAndEmptyCases) {
  for (bool intervals : {false, true}) {
    const ClosedFormX zero = MeanValue([](double) { return 0.0; }, [](double) { return 0.0; },
                                       [](double) { return 0.0; }, intervals ? 0.0 : -1.0);
    const ClosedFormX three = MeanValue([](double) { return 3.0; }, [](double) { return 0.0; },
                                        [](double) { return 0.0; }, intervals ? 0.0 : -1.0);
    Roots(zero, XelMathInterval(-1.0, 2.0), nullptr, 0, 1);
    // Null on the domain only: the test looks inside the domain, not beyond it.
    const ClosedFormX boxed = MeanValue([](double x) { return x < 2.0 || x > 3.0 ? 1.0 : 0.0; },
                                        [](double) { return 0.0; }, [](double) { return 0.0; },
                                        intervals ? 0.0 : -1.0);
    Roots(boxed, XelMathInterval(2.0, 3.0), nullptr, 0, 1);
    EXPECT_TRUE(Roots(three, XelMathInterval(-5.0, 5.0)).empty());
    const ClosedFormX f = Factored({0.5}, {1}, 1.0, intervals);
    EXPECT_TRUE(Roots(f, XelMathInterval(1.0, 0.0), nullptr, 0, 4).empty());
    // Earlier contents of the result set are discarded.
    XelMathSetOfPointsND set(1);
    const double old[1] = {7.0};
    set.AddPoint(old);
    f.Solve(XelMathInterval(0.0, 1.0), set, nullptr);
    ExpectSameRoots(SortedPoints(set), {0.5}, kEpsRoot);
  }
  // A hump (x - 0.5)(0.95 - x) on (0.5, 0.95), zero elsewhere, with exact images: null over
  // [0, 0.5] and at the end, yet not a null function.
  const auto hump = [](double x) { return x > 0.5 && x < 0.95 ? (x - 0.5) * (0.95 - x) : 0.0; };
  const auto slope = [](double x) { return x > 0.5 && x < 0.95 ? 1.45 - 2.0 * x : 0.0; };
  const ClosedFormX late(hump, slope, [](double x) { return x > 0.5 && x < 0.95 ? -2.0 : 0.0; },
                         [=](int k, const XelMathInterval& I) {
                           const auto g = k == 0 ? ClosedFormX::Scalar(hump) : slope;
                           double lo = std::fmin(g(I.low), g(I.high)), hi = std::fmax(g(I.low), g(I.high));
                           for (double x : {0.5, 0.725, 0.95})
                             if (x > I.low && x < I.high) {
                               lo = std::fmin(lo, k == 0 ? g(x) : (x == 0.5 ? 0.0 : g(x)));
                               hi = std::fmax(hi, k == 0 ? g(x) : (x == 0.5 ? 0.45 : 0.0));
                             }
                           return XelMathInterval(k == 1 && I.high > 0.95 ? std::fmin(lo, -0.45) : lo, hi);
                         });
  XelMathSetOfPointsND lateRoots(1);
  EXPECT_NE(late.Solve(XelMathInterval(0.0, 1.0), lateRoots, nullptr), 1);
  // Null within the absolute tolerance given by the caller.
  const ClosedFormX tiny = Factored({0.5}, {1}, 1e-9, false);
  XelMathAttrDoubleValue absolute(AttrFunctionXAbsoluteTolerance, 1e-8, 1);
  XelMathAttrList list(&absolute);
  Roots(tiny, XelMathInterval(0.0, 1.0), &list, 0, 1);
  // A sampling of one point tests only the low end.
  const ClosedFormX g = Factored({0.0, 0.5}, {1, 1}, 1.0, false);
  ExpectSameRoots(Roots(g, XelMathInterval(0.0, 1.0), nullptr, 1, -1), {0.0}, kEpsRoot);
  EXPECT_TRUE(Roots(g, XelMathInterval(0.25, 1.0), nullptr, 1).empty());
}

// ---- options and misuse -------------------------------------------------------------------

TEST(SolveX, AcceptanceWidthsAndDichotomy) {
  const ClosedFormX f = Factored({0.5}, {1}, 1.0, false);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  // The derivative threshold follows the root width; an unreviewed width is counted.
  const double ratio = solver.GetDerivativeThreshold() / solver.GetEpsRoot();
  double f2;
  // The default null tolerance is the default acceptance width.
  EXPECT_TRUE(solver.IsNull(0.5, 0.9 * kEpsRoot, f2));
  EXPECT_FALSE(solver.IsNull(0.5, 1.1 * kEpsRoot, f2));
  solver.SetEpsRoot(1e-3, 1);
  EXPECT_DOUBLE_EQ(solver.GetDerivativeThreshold() / solver.GetEpsRoot(), ratio);
  solver.SetEpsRoot(1e-4, 0);
  solver.SetTolerance(1e-6, 1, 0);
  EXPECT_EQ(solver.GetUnreviewedCount(), 2);
  const double slope = 1.0;
  EXPECT_TRUE(solver.IsRoot(0.5, 1e-4, f2, &slope)); // 1e-8 < 1e-8 (1 + 1)
  EXPECT_FALSE(solver.IsRoot(0.5, 2e-4, f2, &slope));
  EXPECT_TRUE(solver.IsNull(0.5, 9e-7, f2)); // absolute tolerance given
  EXPECT_FALSE(solver.IsNull(0.5, 2e-6, f2));
  // The dichotomy is on only within the Newton budget: steps + start - 1 < 2 * 50.
  const struct {
    unsigned char on;
    long steps, start;
    bool expected;
  } dichotomies[] = {{1, 60, 50, false}, {1, 51, 49, true}, {1, 10, 2, true},
                     {0, 10, 2, false},  {1, 0, 2, false}};
  for (const auto& d : dichotomies) {
    solver.SetDichotomy(d.on, d.steps, d.start);
    EXPECT_EQ(solver.IsDichotomyOn() != 0, d.expected) << d.steps << " " << d.start;
  }
  // Zero to three steps in the option: the roots are still found.
  const ClosedFormX g = Factored({0.2, 0.7, -0.3}, {1, 1, 1}, 1.0, false);
  for (long count : {0L, 1L, 2L, 3L}) {
    XelMathSetOfLongs steps;
    for (long i = 0; i < count; ++i)
      steps.AddElement(i == 0 ? 5 : 1);
    XelMathAttrPointerValue dichotomy(AttrFunctionXDichotomy, &steps, 1);
    XelMathAttrList list(&dichotomy);
    SCOPED_TRACE(count);
    ExpectSameRoots(Roots(g, XelMathInterval(-1.0, 1.0), &list), {-0.3, 0.2, 0.7}, kEpsRoot);
  }
}

TEST(SolveX, InvalidOptionValuesRaiseAndHugeCountsNeverRun) {
  const ClosedFormX f = Factored({0.5}, {1}, 1.0, false);
  const XelMathInterval domain(0.0, 1.0);
  XelMathSetOfPointsND set(1);
  // Widths and tolerances: a negative, infinite or NaN value would make every point a root.
  for (const char* key : {AttrFunctionXEpsRoot, AttrFunctionXAbsoluteTolerance})
    for (double value : {-1e-6, kNaN, kInf, -kInf}) {
      XelMathAttrDoubleValue attr(key, value, 1);
      XelMathAttrList list(&attr);
      SCOPED_TRACE(testing::Message() << key << " " << value);
      const bool eps = std::string(key) == AttrFunctionXEpsRoot;
      ExpectInputError([&] { f.Solve(domain, set, &list); }, 0x20006,
                       {key, "", eps ? "XelMathSolveX::SetEpsRoot" : "XelMathSolveX::SetTolerance"});
    }
  // Sampling counts beyond what one call can run (2^21 samples of a wild function: 4 s).
  for (long count : {(1L << 21) + 1, LONG_MAX, LONG_MAX / 3 + 1}) {
    XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints, count, 1);
    XelMathAttrList list(&sampling);
    ExpectInputError([&] { f.Solve(domain, set, &list); }, 0x20004,
                     {AttrFunctionXSamplingPoints, "Invalid Number Of Points",
                      "XelMathSolveX::SetSamplingValue"});
  }
  // Scale powers whose factors overflow, underflow or whose differences would overflow; a
  // scale option of the wrong dimension on a scaled model (unscaled, it is not read).
  XelTolerance scaled(1000.0);
  XelMathAttrTolObject tolerance(scaled);
  const long powersF[2] = {1, 2}, powersX[1] = {1};
  XelMathAttrScaleOption wrong(2, powersF, 1, powersX, 0, nullptr);
  for (long powerF : {LONG_MIN, LONG_MAX, -400L, 400L, 0L}) {
    XelMathAttrScaleOption option(powerF, 1);
    XelMathAttrList list(&tolerance);
    list.AddAttribute(powerF == 0 ? &wrong : &option);
    SCOPED_TRACE(powerF);
    ExpectInputError([&] { f.Solve(domain, set, &list); }, 0x20006,
                     {"the XelMathAttrScaleOption", powerF == 0 ? "wrong dimension" : "",
                      "XelMathFunctionX::Solve"});
  }
  XelMathAttrList unscaled(&wrong);
  EXPECT_EQ(f.Solve(domain, set, &unscaled), 0);
  XelMathSetOfPointsND wrongSet(2);
  ExpectInputError([&] { f.Solve(domain, wrongSet, nullptr); }, 0x20006,
                   {"the XelMathSetOfPointsND", "1", "XelMathSolveX::Run"});
  // A dichotomy of LONG_MAX steps is out of the Newton budget: off, and the solve still ends.
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  for (long start : {0L, 50L}) {
    solver.SetDichotomy(1, LONG_MAX, start);
    EXPECT_FALSE(solver.IsDichotomyOn());
  }
  XelMathSetOfLongs steps;
  steps.AddElement(LONG_MAX);
  steps.AddElement(LONG_MAX);
  XelMathAttrPointerValue dichotomy(AttrFunctionXDichotomy, &steps, 1);
  XelMathAttrList list(&dichotomy);
  ExpectSameRoots(Roots(f, domain, &list), {0.5}, kEpsRoot);
}

TEST(SolveX, ScaledModelSolvesTheWrapperAndMapsTheRootsBack) {
  // Variable expressed in S^2 (X power 2): the solver works on f(S x) over the domain / S;
  // the root tolerance of the scaled model is S times larger.
  XelTolerance scaledTol(1000.0);
  XelMathAttrTolObject tolerance(scaledTol);
  XelMathAttrScaleOption option(1, 2);
  option.SetOKReviewed(1);
  XelMathAttrList list(&tolerance);
  list.AddAttribute(&option);
  for (bool intervals : {false, true}) {
    const ClosedFormX f = Factored({-0.5, 0.25, 2.0}, {1, 1, 1}, 1.0, intervals);
    ExpectSameRoots(Roots(f, XelMathInterval(-1.0, 3.0), &list), {-0.5, 0.25, 2.0},
                    kEpsRoot * scaledTol.GetScaleFactor());
  }
}

TEST(SolveX, NewtonSolvesOfABracket) {
  const ClosedFormX f = Factored({-0.2, 0.6}, {1, 1}, 1.0, false);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  double x = 0.0;
  EXPECT_EQ(solver.SolveNewton(XelMathInterval(0.0, 1.0), f.Eval(0.0), f.Eval(1.0), 0, x), 0);
  EXPECT_NEAR(x, 0.6, kEpsRoot);
  // Mode 1: the minimum of (x + 0.2)(x - 0.6) at 0.2.
  x = 0.9;
  EXPECT_EQ(solver.SolveNewton(XelMathInterval(-1.0, 1.0), f.EvalFirstDeriv(-1.0),
                               f.EvalFirstDeriv(1.0), 1, x),
            0);
  EXPECT_NEAR(x, 0.2, kEpsRoot);
  // From an initial point, new and old variants.
  for (unsigned char old : {0, 1}) {
    solver.SetOldNewtonWithInit(old);
    double y = 0.9, value = 1.0;
    EXPECT_EQ(solver.SolveNewtonWithInit(XelMathInterval(0.0, 1.0), 1, y, value), 0);
    EXPECT_NEAR(y, 0.2, kEpsRoot);
    EXPECT_NEAR(value, 0.0, kEpsRoot);
  }
  // The member and the free solve of a bracket agree; the filing is removed.
  const ClosedFormX g = Factored({0.3}, {1}, 2.0, false);
  const XelMathInterval ends(g.Eval(0.0), g.Eval(1.0));
  XelMathAttrScaleOption unit(1, 1);
  double a = 0.5, b = 0.5;
  EXPECT_EQ(g.SolveNewton(XelMathInterval(0.0, 1.0), ends, 0, a, XelGetDefaultTolerance()), 0);
  EXPECT_EQ(SolveNewton(&g, XelMathInterval(0.0, 1.0), ends, 0, b, XelGetDefaultTolerance(), &unit),
            0);
  EXPECT_NEAR(a, 0.3, kEpsRoot);
  EXPECT_NEAR(b, 0.3, kEpsRoot);
  void* filed = nullptr;
  long status = 0;
  EXPECT_EQ(XelFedEx::Get(_XelR19QuorMail, 1, &g, filed, status), 0);
}

// ---- polynomial path ------------------------------------------------------------------------

TEST(SolveXPolynom, TableOfPolynomials) {
  const std::vector<double> far = {1e6 + 3.7, 1e6 + 7.1}, spread = {-3.0, 0.5, 2.0};
  const std::vector<double> ends = {0.0, 0.5, 1.0}, wide = {1e-3, 1.0, 1e3};
  const std::vector<double> scaled = {-0.75, -0.1, 0.2, 0.65};
  std::vector<double> twenty, halves;
  for (double k : Range(1, 20))
    twenty.push_back((k - 10.5) / 10.0);
  for (int k = 1; k <= 16; ++k)
    halves.push_back(std::ldexp(1.0, -k));
  const struct {
    std::string name;
    std::vector<double> roots;
    double lead, shift, a, b;
  } cases[] = {
      {"Wilkinson 10", Range(1, 10), 1.0, 0.0, 0.0, 11.0},
      {"Wilkinson 20 centred", Range(1, 20), 1.0, 10.5, 0.0, 21.0},
      // Values near 14 of 1e12 beside rounding of 1e11 in plain Horner: 19 roots, 3 of them
      // 0.4 off.
      {"Wilkinson 20 by its monomial coefficients", Range(1, 20), 1.0, 0.0, 0.0, 21.0},
      // p(0) = 2^-136 passes the value test at the end of the domain: 0 was a root and the
      // crossing at 2^-16 was not looked for.
      {"powers of one half", halves, 1.0, 0.0, 0.0, 1.0},
      {"Wilkinson 20 on [-1, 1]", twenty, 1.0, 0.0, -1.0, 1.0},
      {"far, shifted", far, 1.0, 1e6 + 5.0, 1e6, 1e6 + 10.0},
      {"far, unshifted", far, 1.0, 0.0, 1e6, 1e6 + 10.0},
      {"huge domain", spread, 1.0, 0.0, -1e12, 1e12},
      {"ends", ends, 1.0, 0.0, 0.0, 1.0},
      {"a domain of one point", {-1.0, 1.0, 3.0}, 1.0, 0.0, 1.0, 1.0},
      {"a domain clipped to the root bound", spread, 1.0, 0.5, -1e30, 1e30},
      {"coefficients spanning many orders", wide, 1.0, 0.0, -1e4, 1e4},
      {"lead 1e150", scaled, 1e150, 0.0, -1.0, 1.0},
      {"lead 1e30", scaled, 1e30, 0.0, -1.0, 1.0},
      {"lead 1e-30", scaled, 1e-30, 0.0, -1.0, 1.0},
      {"lead 1e-150", scaled, 1e-150, 0.0, -1.0, 1.0},
  };
  for (const auto& c : cases)
    CheckPolynomial(c.name, c.roots, ExpandRoots(c.roots, c.lead, c.shift), c.shift, c.a, c.b);
  // Chebyshev's T_40 by its monomial coefficients (integers up to 2^39, exact): roots
  // cos((2k - 1) pi / 80). Its values at the roots near 0.94 are rounding of 1e-2, above
  // those beside them: the test for a pole dropped 4 of them.
  const std::vector<double> t40 = ChebyshevCoefficients(40);
  std::vector<double> chebyshev;
  for (int k = 40; k >= 1; --k)
    chebyshev.push_back(std::cos((2 * k - 1) * kPi / 80));
  CheckPolynomial("T_40", chebyshev, t40, 0.0, -1.5, 1.5);
}

// T_30 by its monomial coefficients as a plain function (values and slopes by Horner, no
// images): its values near its roots beyond 0.5 are rounding above the root test (5e-6 at
// 0.95, slopes near 100). A bracket closed on a value that small against the values at its
// ends is a root, and the pole test looks farther out: 16 of the 30 roots were found.
TEST(SolveX, RootsWhoseValuesAreRounding) {
  const std::vector<double> t1 = ChebyshevCoefficients(30);
  const ClosedFormX f([&t1](double x) { return Horner(t1, x, 0); },
                      [&t1](double x) { return Horner(t1, x, 1); },
                      [&t1](double x) { return Horner(t1, x, 2); });
  std::vector<double> truth, tol;
  for (int k = 30; k >= 1; --k) {
    truth.push_back(std::cos((2 * k - 1) * kPi / 60));
    tol.push_back(1e-6);
  }
  ExpectSameRoots(Roots(f, XelMathInterval(-1.0, 1.0)), truth, tol);
}

TEST(SolveXPolynom, MultipleRoots) {
  // (x - 1)^n with exact binomial coefficients: a single root of multiplicity n.
  for (int n = 1; n <= 9; ++n) {
    SCOPED_TRACE(n);
    const std::vector<double> c = ExpandRoots(std::vector<double>(n, 1.0), 1.0, 0.0);
    const XelMathPolynomX p(n, c.data(), 0.0);
    XelMathSetOfPointsND set(1);
    EXPECT_EQ(p.Solve(XelMathInterval(-1.0, 3.0), set, nullptr), 0);
    ExpectSameRoots(SortedPoints(set), {1.0}, {2.0 * std::pow(kEpsRoot, 1.0 / n)});
  }
  // (x - 1)^3 (x - 2)^2 (x + 0.5) with exact coefficients at several shifts (the triple root is
  // the simple root of the second derivative, the double root that of the first), as a
  // polynomial class with a leading zero coefficient, and through the base class.
  const std::vector<double> truth = {-0.5, 1.0, 2.0};
  for (double shift : {0.0, 1.0, 0.75, 1.5}) {
    SCOPED_TRACE(shift);
    std::vector<double> c = ExpandRoots({1.0, 1.0, 1.0, 2.0, 2.0, -0.5}, 1.0, shift);
    c.push_back(0.0);
    const XelMathPolynomX p(7, c.data(), shift);
    const XelMathFunctionX& base = p;
    XelMathSetOfPointsND set(1);
    EXPECT_EQ(base.Solve(XelMathInterval(-3.0, 4.0), set, nullptr), 0);
    ExpectSameRoots(SortedPoints(set), truth, kEpsRoot);
  }
  // A scaled model: variable in S^2 units (X power 2), values in S^1.
  const std::vector<double> c = ExpandRoots({1.0, 1.0, 1.0, 2.0, 2.0, -0.5}, 1.0, 1.5);
  const XelMathPolynomX p(6, c.data(), 1.5);
  XelTolerance scaledTol(100.0);
  XelMathAttrTolObject tolerance(scaledTol);
  XelMathAttrScaleOption option(1, 2);
  XelMathAttrList list(&tolerance);
  list.AddAttribute(&option);
  XelMathSetOfPointsND set(1);
  EXPECT_EQ(p.Solve(XelMathInterval(-1.0, 3.0), set, &list), 0);
  ExpectSameRoots(SortedPoints(set), truth, kEpsRoot * 100.0);
  XelMathSetOfPointsND wrong(3);
  EXPECT_THROW(p.Solve(XelMathInterval(-1.0, 3.0), wrong, nullptr), XelMathInputError);
}

TEST(SolveXPolynom, RandomPolynomialsUpToDegreeThirty) {
  // Separated real roots times complex pairs (x - a)^2 + b^2, expanded in long double.
  std::mt19937 generator(12345);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (int trial = 0; trial < 84; ++trial) {
    const int degree = trial < 60 ? 0 : 25 + (trial - 60) / 4;
    const int nbPairs = trial < 60 ? (trial * 7) % 6 : (degree + trial) % 5;
    const int nbReal = trial < 60 ? 1 + trial % 20 : degree - 2 * nbPairs;
    std::vector<double> truth = RandomSeparatedRoots(generator, nbReal, trial < 60 ? 0.02 : 0.01);
    std::vector<long double> c = ExpandRootsLong(truth, 1.0 + 0.5 * uniform(generator));
    for (int p = 0; p < nbPairs; ++p) {
      const long double a = uniform(generator), b = 0.05 + 0.5 * std::fabs(uniform(generator));
      MultiplyByComplexPair(c, a, b);
    }
    ASSERT_LE(c.size(), 31u);
    CheckPolynomial("trial " + std::to_string(trial), truth, std::vector<double>(c.begin(), c.end()),
                    0.0, -1.0, 1.0);
  }
}

TEST(SolveXPolynom, NullConstantEmptyAndLargeCases) {
  const long before = LiveBlocks();
  {
    XelMathSetOfPointsND set(1);
    XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
    const double zeros[4] = {0.0, 0.0, 0.0, 0.0};
    solver.Initialize(XelMathInterval(0.0, 1.0), set);
    EXPECT_EQ(solver.RunOnPolynom(3, zeros, 0.0), 1);
    const double constant[1] = {2.0};
    EXPECT_EQ(solver.RunOnPolynom(0, constant, 0.0), 0);
    EXPECT_EQ(set.GetNumberOfPoints(), 0);
    // Leading zeros are dropped: 0 x^3 + 0 x^2 + x - 0.5.
    const double line[4] = {-0.5, 1.0, 0.0, 0.0};
    EXPECT_EQ(solver.RunOnPolynom(3, line, 0.0), 0);
    ExpectSameRoots(SortedPoints(set), {0.5}, kEpsRoot);
    solver.Initialize(XelMathInterval(1.0, 0.0), set);
    EXPECT_EQ(solver.RunOnPolynom(1, line, 0.0), 4);
    const double bad[2] = {kNaN, 1.0};
    solver.Initialize(XelMathInterval(0.0, 1.0), set);
    solver.RunOnPolynom(1, bad, 0.0);
    EXPECT_EQ(set.GetNumberOfPoints(), 0);
    // Degree 69: buffers beyond the local ones.
    std::vector<double> many(70, 0.0);
    many[69] = 1.0;
    many[0] = -0.5;
    solver.Initialize(XelMathInterval(-1.0, 1.0), set);
    solver.RunOnPolynom(69, many.data(), 0.0);
    ExpectSameRoots(SortedPoints(set), {std::pow(0.5, 1.0 / 69.0)}, kEpsRoot);
    const XelMathPolynomX null(2, zeros, 0.0);
    EXPECT_EQ(null.Solve(XelMathInterval(-1.0, 3.0), set, nullptr), 1);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(SolveXPolynom, HighDegreesAreSampledWithinABudget) {
  // Beyond the degrees whose derivatives' roots are all searched (d^2 work): x^d - 1/2 (odd
  // d: one root; a million coefficients: two) and (x - 1/2)(1 + x + ... + x^(d-1)) (-1 and
  // 1/2). The simple roots are found, none where the values overflow, with status 7.
  const auto root = [](long d) { return std::pow(0.5, 1.0 / static_cast<double>(d)); };
  const struct {
    long degree;
    double middle; // c_1 .. c_(d-1); c_0 = -1/2, c_d = 1
    std::vector<double> roots;
  } rows[] = {{16385, 0.0, {root(16385)}},
              {20000, 0.5, {-1.0, 0.5}},
              {1000000, 0.0, {-root(1000000), root(1000000)}}};
  const long before = LiveBlocks();
  for (const auto& row : rows) {
    std::vector<double> c(row.degree + 1, row.middle);
    c[0] = -0.5;
    c[row.degree] = 1.0;
    XelMathSetOfPointsND set(1);
    EXPECT_EQ(XelMathPolynomX(row.degree, c.data(), 0.0).Solve({-2.0, 2.0}, set), 7);
    ExpectSameRoots(SortedPoints(set), row.roots, 1e-12);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

// ---- trigonometric path -------------------------------------------------------------------

TEST(SolveXTrigonometric, ClosedFormRoots) {
  // a cos(w x - phi) + c on a domain: the roots of cos(w x - phi) = -c / a.
  std::vector<double> shifted; // 2 cos(3 x - 0.4) + 1 on [0, 5]: 3 x - 0.4 = +-2 pi / 3 + 2 k pi
  for (int k = -2; k <= 4; ++k)
    for (double s : {1.0, -1.0}) {
      const double x = (s * 2.0 * kPi / 3.0 + 2.0 * k * kPi + 0.4) / 3.0;
      if (x >= 0.0 && x <= 5.0)
        shifted.push_back(x);
    }
  std::sort(shifted.begin(), shifted.end());
  const struct {
    double a, w, phi, c, lo, hi;
    int status;
    std::vector<double> roots;
  } cases[] = {{2.0, 3.0, 0.4, 1.0, 0.0, 5.0, 0, shifted},
               {2.0, -3.0, -0.4, 1.0, 0.0, 5.0, 0, shifted}, // a negative frequency
               {1.0, 1.0, 0.0, 1.0, 0.0, 10.0, 0, {kPi, 3.0 * kPi}}, // touching 0
               {1.0, 1.0, 0.0, 1.0, 0.0, 3.0 * kPi, 0, {kPi, 3.0 * kPi}}, // at the end
               {1.0, 1.0, 0.0, 2.0, 0.0, 10.0, 0, {}},
               {0.0, 1.0, 0.0, 0.0, 0.0, 10.0, 1, {}},
               // Beyond ten million periods on the domain: refused.
               {1.0, 1e9, 0.0, 0.0, 0.0, 1.0, 4, {}}};
  for (const auto& c : cases) {
    XelMathSetOfPointsND set(1);
    XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
    solver.Initialize(XelMathInterval(c.lo, c.hi), set);
    EXPECT_EQ(solver.RunOnTrigonometric(c.a, c.w, c.phi, c.c), c.status);
    ExpectSameRoots(SortedPoints(set), c.roots, kEpsRoot);
  }
  // cos(1000 x) on [0, 100]: the roots (pi / 2 + k pi) / 1000, sorted and complete; the
  // phase error of the closed form grows with the phase, about u * 1000 * 100.
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
  solver.Initialize(XelMathInterval(0.0, 100.0), set);
  EXPECT_EQ(solver.RunOnTrigonometric(1.0, 1000.0, 0.0, 0.0), 0);
  const long expected = static_cast<long>(std::floor((100000.0 - 0.5 * kPi) / kPi)) + 1;
  ASSERT_EQ(set.GetNumberOfPoints(), expected);
  for (long k = 0; k < expected; ++k)
    ASSERT_NEAR(set.GetPoints()[k], (0.5 * kPi + k * kPi) / 1000.0, 8.0 * kUnit * 1e5 / 1000.0)
        << k;
}

} // namespace
