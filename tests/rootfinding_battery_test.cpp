// Battery of classic root-finding cases with known roots, run through XelMathFunctionX::Solve
// on both strategies (interval Newton when the function offers interval images, sampling
// otherwise) and through the polynomial path: textbook equations, bracketing-method test
// functions, close pairs, many roots, tangential and multiple roots, roots at the domain
// ends, domains far from 0 and huge ones, constant, null, and NaN- or inf-producing functions.
// Every true root must be found once, within the accuracy its conditioning allows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathFunctionX.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveX.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;

const double kUnit = 0.5 * std::numeric_limits<double>::epsilon();
// Root acceptance width of the solver under the default tolerance (1000 root resolutions).
const double kEpsRoot = 1000.0 * XelGetDefaultTolerance().GetRootResolution();

typedef std::function<double(double)> Scalar;
// Bounds of |f'| (oM1) and |f''| (oM2) over [lo, hi].
typedef std::function<void(double, double, double&, double&)> Bounds;

// A function given by closed forms of f, f', f''. With derivative bounds, it offers interval
// images of f and f' by the mean-value form f(m) +- r max|f'| (resp. f'(m) +- r max|f''|)
// over I = [m - r, m + r], widened by the rounding of the centre value.
ClosedFormX Battery(Scalar iF, Scalar iD, Scalar iD2, Bounds iBounds = Bounds()) {
  ClosedFormX::Image meanValue;
  if (iBounds)
    meanValue = [iF, iD, iBounds](int k, const XelMathInterval& I) {
      const double m = 0.5 * (I.low + I.high), r = 0.5 * (I.high - I.low);
      const double gm = k == 0 ? iF(m) : iD(m);
      double m1 = 0.0, m2 = 0.0;
      iBounds(I.low, I.high, m1, m2);
      const double spread = r * (k == 0 ? m1 : m2) + 8.0 * kUnit * std::fabs(gm);
      return XelMathInterval(gm - spread, gm + spread);
    };
  return ClosedFormX(iF, iD, iD2, meanValue);
}

struct Root {
  double x;
  int multiplicity;
};

// Accuracy allowed for a root of multiplicity m whose first non-vanishing Taylor coefficient
// is iTaylor: the solver accepts points where |f| is below EpsRoot (scaled by the slope for a
// simple root), i.e. |iTaylor| delta^m ~ EpsRoot, plus the rounding of x itself.
double RootTolerance(double x, int m, double iTaylor) {
  const double t = std::fabs(iTaylor);
  double tol =
      m == 1 ? kEpsRoot * std::sqrt(1.0 + 1.0 / (t * t)) : 2.0 * std::pow(kEpsRoot / t, 1.0 / m);
  return tol + 16.0 * kUnit * (1.0 + std::fabs(x));
}

// Solves f on [a, b] through XelMathFunctionX::Solve with iSampling sample points (0: the
// default), on the interval strategy when the function has images, else by sampling.
int SolveWith(const ClosedFormX& f, double a, double b, long iSampling,
              std::vector<double>& oRoots) {
  XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints, iSampling, 1);
  XelMathAttrList list(&sampling);
  XelMathSetOfPointsND set(1);
  const int status = f.Solve(XelMathInterval(a, b), set, iSampling > 0 ? &list : nullptr);
  oRoots = SortedPoints(set);
  return status;
}

struct Case {
  std::string name;
  Scalar f, d, d2;
  Bounds bounds;
  double a, b;
  std::vector<Root> roots;
  long sampling; // sample points needed to see every root (0: the default 15)
};

// Runs a case on both strategies and checks the roots.
void RunCase(const Case& c) {
  std::vector<double> truth, tol;
  for (const Root& r : c.roots) {
    truth.push_back(r.x);
    double taylor = r.multiplicity == 1 ? c.d(r.x) : 0.5 * c.d2(r.x);
    tol.push_back(RootTolerance(r.x, r.multiplicity, taylor));
  }
  for (bool intervals : {false, true}) {
    SCOPED_TRACE(c.name + (intervals ? " (interval Newton)" : " (sampling)"));
    const ClosedFormX f = Battery(c.f, c.d, c.d2, intervals ? c.bounds : Bounds());
    std::vector<double> found;
    EXPECT_EQ(SolveWith(f, c.a, c.b, c.sampling, found), 0);
    ExpectSameRoots(found, truth, tol);
  }
}

// Bounds from constants valid on the whole domain.
Bounds Constant(double iM1, double iM2) {
  return [iM1, iM2](double, double, double& m1, double& m2) {
    m1 = iM1;
    m2 = iM2;
  };
}

TEST(SolveXBattery, TextbookEquations) {
  const std::vector<Case> cases = {
      // Newton's cubic x^3 - 2x - 5.
      {"x^3 - 2x - 5",
       [](double x) { return x * x * x - 2.0 * x - 5.0; },
       [](double x) { return 3.0 * x * x - 2.0; },
       [](double x) { return 6.0 * x; },
       Constant(3.0 * 16.0, 6.0 * 4.0),
       -4.0,
       4.0,
       {{2.0945514815423265, 1}},
       0},
      // The fixed point of cos (Dottie number).
      {"cos x - x",
       [](double x) { return std::cos(x) - x; },
       [](double x) { return -std::sin(x) - 1.0; },
       [](double x) { return -std::cos(x); },
       Constant(2.0, 1.0),
       -2.0,
       3.0,
       {{0.73908513321516064, 1}},
       0},
      // sin x - x / 2 on [pi/2, pi].
      {"sin x - x/2",
       [](double x) { return std::sin(x) - 0.5 * x; },
       [](double x) { return std::cos(x) - 0.5; },
       [](double x) { return -std::sin(x); },
       Constant(1.5, 1.0),
       0.5 * kPi,
       kPi,
       {{1.8954942670339809, 1}},
       0},
      // e^x - 2: ln 2.
      {"exp x - 2",
       [](double x) { return std::exp(x) - 2.0; },
       [](double x) { return std::exp(x); },
       [](double x) { return std::exp(x); },
       Constant(std::exp(3.0), std::exp(3.0)),
       -3.0,
       3.0,
       {{std::log(2.0), 1}},
       0},
      // x e^-x: root 0, flat tail towards the high end.
      {"x exp(-x)",
       [](double x) { return x * std::exp(-x); },
       [](double x) { return (1.0 - x) * std::exp(-x); },
       [](double x) { return (x - 2.0) * std::exp(-x); },
       Constant(2.0 * std::exp(1.0), 3.0 * std::exp(1.0)),
       -1.0,
       4.0,
       {{0.0, 1}},
       0},
      // x e^-x - 0.1: two roots, one each side of the maximum at 1 (values by bisection in long
      // double, 0.11183255915896297 and 3.5771520639572972).
      {"x exp(-x) - 0.1",
       [](double x) { return x * std::exp(-x) - 0.1; },
       [](double x) { return (1.0 - x) * std::exp(-x); },
       [](double x) { return (x - 2.0) * std::exp(-x); },
       Constant(1.0, 2.0),
       0.0,
       6.0,
       {{0.11183255915896297, 1}, {3.5771520639572972, 1}},
       0},
      // A close pair x^2 - 1e-8: +-1e-4.
      {"x^2 - 1e-8",
       [](double x) { return x * x - 1e-8; },
       [](double x) { return 2.0 * x; },
       [](double) { return 2.0; },
       Constant(2.0, 2.0),
       -1.0,
       1.0,
       {{-1e-4, 1}, {1e-4, 1}},
       0},
      // (x - 1)^3: a triple root.
      {"(x - 1)^3",
       [](double x) { return (x - 1.0) * (x - 1.0) * (x - 1.0); },
       [](double x) { return 3.0 * (x - 1.0) * (x - 1.0); },
       [](double x) { return 6.0 * (x - 1.0); },
       Constant(12.0, 12.0),
       -1.0,
       2.5,
       {{1.0, 3}},
       0},
  };
  for (const Case& c : cases) {
    if (c.roots.size() == 1 && c.roots[0].multiplicity == 3) {
      // The tolerance of a triple root: |f'''/6| delta^3 = EpsRoot.
      for (bool intervals : {false, true}) {
        SCOPED_TRACE(c.name);
        const ClosedFormX f = Battery(c.f, c.d, c.d2, intervals ? c.bounds : Bounds());
        std::vector<double> found;
        SolveWith(f, c.a, c.b, 0, found);
        ExpectSameRoots(found, {1.0}, {2.0 * std::cbrt(kEpsRoot)});
      }
      continue;
    }
    RunCase(c);
  }
}

TEST(SolveXBattery, ManyRootsAwayFromZero) {
  // sin(1/x) on [0.01, 1]: the roots 1/(k pi), k = 1..31, ever closer towards 0.01.
  Case c{
      "sin(1/x)",
      [](double x) { return std::sin(1.0 / x); },
      [](double x) { return -std::cos(1.0 / x) / (x * x); },
      [](double x) { return (2.0 * x * std::cos(1.0 / x) - std::sin(1.0 / x)) / (x * x * x * x); },
      [](double lo, double, double& m1, double& m2) {
        m1 = 1.0 / (lo * lo);
        m2 = 2.0 / (lo * lo * lo) + 1.0 / (lo * lo * lo * lo);
      },
      0.01,
      1.0,
      {},
      // Uniform samples closer than half the smallest gap between roots (3.2e-4).
      8000};
  for (int k = 31; k >= 1; --k)
    c.roots.push_back({1.0 / (k * kPi), 1});
  RunCase(c);
  // sin(50 x) + 0.5 on [0, 2]: two roots per period.
  Case s{"sin(50x) + 0.5",
         [](double x) { return std::sin(50.0 * x) + 0.5; },
         [](double x) { return 50.0 * std::cos(50.0 * x); },
         [](double x) { return -2500.0 * std::sin(50.0 * x); },
         Constant(50.0, 2500.0),
         0.0,
         2.0,
         {},
         400};
  for (int k = 0; k < 20; ++k)
    for (double phase : {kPi + kPi / 6.0, 2.0 * kPi - kPi / 6.0}) {
      const double x = (phase + 2.0 * k * kPi) / 50.0;
      if (x <= 2.0)
        s.roots.push_back({x, 1});
    }
  RunCase(s);
}

TEST(SolveXBattery, RootsExactlyAtTheDomainEnds) {
  RunCase({"sin(pi x) on [0, 3]",
           [](double x) { return std::sin(kPi * x); },
           [](double x) { return kPi * std::cos(kPi * x); },
           [](double x) { return -kPi * kPi * std::sin(kPi * x); },
           Constant(kPi, kPi * kPi),
           0.0,
           3.0,
           {{0.0, 1}, {1.0, 1}, {2.0, 1}, {3.0, 1}},
           0});
  RunCase({"x (x - 1) e^x on [0, 1]",
           [](double x) { return x * (x - 1.0) * std::exp(x); },
           [](double x) { return (x * x + x - 1.0) * std::exp(x); },
           [](double x) { return (x * x + 3.0 * x) * std::exp(x); },
           Constant(std::exp(1.0), 4.0 * std::exp(1.0)),
           0.0,
           1.0,
           {{0.0, 1}, {1.0, 1}},
           0});
}

TEST(SolveXBattery, TangentialRootsOfEvenMultiplicity) {
  RunCase({"(x - 0.4)^2 e^x",
           [](double x) { return (x - 0.4) * (x - 0.4) * std::exp(x); },
           [](double x) { return (x - 0.4) * (x + 1.6) * std::exp(x); },
           [](double x) { return ((x - 0.4) * (x + 1.6) + 2.0 * x + 1.2) * std::exp(x); },
           Constant(3.0 * std::exp(1.0), 8.0 * std::exp(1.0)),
           -1.0,
           1.0,
           {{0.4, 2}},
           0});
  // Touching from above, between samples: cos x + 1 at pi and 3 pi.
  RunCase({"cos x + 1",
           [](double x) { return std::cos(x) + 1.0; },
           [](double x) { return -std::sin(x); },
           [](double x) { return -std::cos(x); },
           Constant(1.0, 1.0),
           0.0,
           10.0,
           {{kPi, 2}, {3.0 * kPi, 2}},
           0});
  // A double root next to a simple one: (x - 0.3)^2 (x + 0.5).
  RunCase({"(x - 0.3)^2 (x + 0.5)",
           [](double x) { return (x - 0.3) * (x - 0.3) * (x + 0.5); },
           [](double x) { return (x - 0.3) * (3.0 * x + 0.7); },
           [](double x) { return 6.0 * x - 0.2; },
           Constant(6.0, 6.2),
           -1.0,
           1.0,
           {{-0.5, 1}, {0.3, 2}},
           0});
}

TEST(SolveXBattery, ClusteredAndFarFromZero) {
  // Roots 1e-7 apart next to a third one.
  const double gap = 1e-7;
  RunCase({"cluster 1e-7",
           [gap](double x) { return (x - 0.5) * (x - 0.5 - gap) * (x + 0.3); },
           [gap](double x) {
             return (x - 0.5 - gap) * (x + 0.3) + (x - 0.5) * (x + 0.3) +
                    (x - 0.5) * (x - 0.5 - gap);
           },
           [gap](double x) { return 2.0 * ((x - 0.5) + (x - 0.5 - gap) + (x + 0.3)); },
           Constant(6.0, 6.0),
           -1.0,
           1.0,
           {{-0.3, 1}, {0.5, 1}, {0.5 + gap, 1}},
           0});
  // A domain far from 0: [1e6, 1e6 + 10].
  const double r1 = 1e6 + 3.7, r2 = 1e6 + 7.1;
  RunCase({"far domain",
           [=](double x) { return (x - r1) * (x - r2); },
           [=](double x) { return (x - r1) + (x - r2); },
           [](double) { return 2.0; },
           Constant(20.0, 2.0),
           1e6,
           1e6 + 10.0,
           {{r1, 1}, {r2, 1}},
           0});
  // Huge domains.
  RunCase({"atan(x - 123.4)",
           [](double x) { return std::atan(x - 123.4); },
           [](double x) { return 1.0 / (1.0 + (x - 123.4) * (x - 123.4)); },
           [](double x) {
             const double t = x - 123.4;
             return -2.0 * t / ((1.0 + t * t) * (1.0 + t * t));
           },
           Constant(1.0, 1.0),
           -1e8,
           1e8,
           {{123.4, 1}},
           0});
  RunCase({"(x - 1)(x + 2) / (1 + x^2)",
           [](double x) { return (x - 1.0) * (x + 2.0) / (1.0 + x * x); },
           [](double x) { return (1.0 + 6.0 * x - x * x) / ((1.0 + x * x) * (1.0 + x * x)); },
           [](double x) {
             const double q = 1.0 + x * x;
             return (6.0 - 2.0 * x) / (q * q) - 4.0 * x * (1.0 + 6.0 * x - x * x) / (q * q * q);
           },
           // Sampled maxima of |f'| and |f''| over the line are 2.42 and 6.25.
           Constant(2.5, 6.5),
           -1e6,
           1e6,
           {{-2.0, 1}, {1.0, 1}},
           0});
}

TEST(SolveXBattery, WilkinsonTenOnBothStrategies) {
  // prod (x - k), k = 1..10, evaluated in factored form; derivatives by the product rule.
  auto f = [](double x) {
    double p = 1.0;
    for (int k = 1; k <= 10; ++k)
      p *= x - k;
    return p;
  };
  auto d = [](double x) {
    double s = 0.0;
    for (int i = 1; i <= 10; ++i) {
      double p = 1.0;
      for (int k = 1; k <= 10; ++k)
        if (k != i)
          p *= x - k;
      s += p;
    }
    return s;
  };
  auto d2 = [](double x) {
    double s = 0.0;
    for (int i = 1; i <= 10; ++i)
      for (int j = 1; j <= 10; ++j) {
        if (j == i)
          continue;
        double p = 1.0;
        for (int k = 1; k <= 10; ++k)
          if (k != i && k != j)
            p *= x - k;
        s += p;
      }
    return s;
  };
  // Bounds on [lo, hi] inside [0.5, 10.5]: |x - k| <= 10 for every factor.
  Case c{"Wilkinson 10", f, d, d2, Constant(10.0 * 1e9, 90.0 * 1e8), 0.5, 10.5, {}, 100};
  for (int k = 1; k <= 10; ++k)
    c.roots.push_back({static_cast<double>(k), 1});
  RunCase(c);
}

TEST(SolveXBattery, ConstantAndNullFunctions) {
  for (bool intervals : {false, true}) {
    const ClosedFormX three =
        Battery([](double) { return 3.0; }, [](double) { return 0.0; }, [](double) { return 0.0; },
                intervals ? Constant(0.0, 0.0) : Bounds());
    std::vector<double> found;
    EXPECT_EQ(SolveWith(three, -5.0, 5.0, 0, found), 0);
    EXPECT_TRUE(found.empty());
    const ClosedFormX zero =
        Battery([](double) { return 0.0; }, [](double) { return 0.0; }, [](double) { return 0.0; },
                intervals ? Constant(0.0, 0.0) : Bounds());
    EXPECT_EQ(SolveWith(zero, -5.0, 5.0, 0, found), 1);
  }
}

TEST(SolveXBattery, NaNAndInfiniteValuesEndTheSearch) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  // log x: NaN below 0, -inf at 0, root 1.
  {
    const ClosedFormX f =
        Battery([](double x) { return std::log(x); }, [](double x) { return 1.0 / x; },
                [](double x) { return -1.0 / (x * x); });
    std::vector<double> found;
    SolveWith(f, -1.0, 2.0, 0, found);
    ExpectSameRoots(found, {1.0}, {RootTolerance(1.0, 1, 1.0)});
  }
  // 1/x - 2: a pole inside; the root 0.5 is found and the call returns.
  {
    const ClosedFormX f =
        Battery([](double x) { return 1.0 / x - 2.0; }, [](double x) { return -1.0 / (x * x); },
                [](double x) { return 2.0 / (x * x * x); });
    std::vector<double> found;
    SolveWith(f, -1.0, 1.0, 0, found);
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [](double x) {
      return std::fabs(x - 0.5) <= RootTolerance(0.5, 1, 4.0);
    }));
  }
  // Always NaN, always infinite, alternating infinities: nothing, and no hang.
  const Scalar values[3] = {[nan](double) { return nan; }, [inf](double) { return inf; },
                            [inf](double x) { return std::sin(40.0 * x) > 0.0 ? inf : -inf; }};
  for (const Scalar& v : values)
    for (bool intervals : {false, true}) {
      const ClosedFormX f = Battery(v, v, v, intervals ? Constant(nan, nan) : Bounds());
      std::vector<double> found;
      SolveWith(f, -1.0, 1.0, 0, found);
      for (double x : found)
        EXPECT_TRUE(x >= -1.0 && x <= 1.0);
    }
}

// ---- polynomials --------------------------------------------------------------------------

// Coefficients of lead * prod (x - r_i) around iShift, expanded in long double.

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

TEST(SolveXBatteryPolynom, Wilkinson) {
  std::vector<double> ten, twenty;
  for (int k = 1; k <= 10; ++k)
    ten.push_back(k);
  for (int k = 1; k <= 20; ++k)
    twenty.push_back(k);
  CheckPolynomial("Wilkinson 10", ten, ExpandRoots(ten, 1.0, 0.0), 0.0, 0.0, 11.0);
  CheckPolynomial("Wilkinson 20 centred", twenty, ExpandRoots(twenty, 1.0, 10.5), 10.5, 0.0, 21.0);
}

TEST(SolveXBatteryPolynom, PowersOfXMinusOneHaveOneRoot) {
  // (x - 1)^n with exact binomial coefficients: a single root of multiplicity n.
  for (int n = 1; n <= 9; ++n) {
    SCOPED_TRACE(n);
    const std::vector<double> c = ExpandRoots(std::vector<double>(n, 1.0), 1.0, 0.0);
    const XelMathPolynomX p(n, c.data(), 0.0);
    XelMathSetOfPointsND set(1);
    EXPECT_EQ(p.Solve(XelMathInterval(-1.0, 3.0), set, nullptr), 0);
    ExpectSameRoots(SortedPoints(set), {1.0}, {2.0 * std::pow(kEpsRoot, 1.0 / n)});
  }
}

TEST(SolveXBatteryPolynom, ClustersAtTenToTheMinusSeven) {
  const double d = 1e-7;
  const std::vector<double> pair = {-0.6, 0.5, 0.5 + d, 0.9};
  CheckPolynomial("pair", pair, ExpandRoots(pair, 1.0, 0.5), 0.5, -1.0, 1.0);
  const std::vector<double> triple = {-0.6, 0.5 - d, 0.5, 0.5 + d};
  CheckPolynomial("triple", triple, ExpandRoots(triple, 1.0, 0.5), 0.5, -1.0, 1.0);
}

TEST(SolveXBatteryPolynom, RandomDegreesTwentyFiveToThirty) {
  std::mt19937 generator(2024);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (int degree = 25; degree <= 30; ++degree)
    for (int trial = 0; trial < 4; ++trial) {
      const int nbPairs = (degree + trial) % 5;
      const int nbReal = degree - 2 * nbPairs;
      const std::vector<double> real = RandomSeparatedRoots(generator, nbReal, 0.01);
      std::vector<long double> c = ExpandRootsLong(real, 1.0);
      for (int p = 0; p < nbPairs; ++p) {
        const long double a = uniform(generator), b = 0.05 + 0.5 * std::fabs(uniform(generator));
        MultiplyByComplexPair(c, a, b);
      }
      CheckPolynomial("degree " + std::to_string(degree) + " trial " + std::to_string(trial), real,
                      std::vector<double>(c.begin(), c.end()), 0.0, -1.0, 1.0);
    }
}

TEST(SolveXBatteryPolynom, LargeAndTinyCoefficients) {
  // Scaling every coefficient does not move the roots.
  const std::vector<double> roots = {-0.75, -0.1, 0.2, 0.65};
  for (double lead : {1e150, 1e30, 1.0, 1e-30, 1e-150}) {
    CheckPolynomial("lead " + std::to_string(std::log10(lead)), roots,
                    ExpandRoots(roots, lead, 0.0), 0.0, -1.0, 1.0);
  }
  // Coefficients spanning many orders: (x - 1e-3)(x - 1)(x - 1e3).
  const std::vector<double> spread = {1e-3, 1.0, 1e3};
  CheckPolynomial("spread", spread, ExpandRoots(spread, 1.0, 0.0), 0.0, -1e4, 1e4);
}

TEST(SolveXBatteryPolynom, DomainsFarFromZeroAndHuge) {
  const std::vector<double> far = {1e6 + 3.7, 1e6 + 7.1};
  CheckPolynomial("far, shifted", far, ExpandRoots(far, 1.0, 1e6 + 5.0), 1e6 + 5.0, 1e6,
                  1e6 + 10.0);
  CheckPolynomial("far, unshifted", far, ExpandRoots(far, 1.0, 0.0), 0.0, 1e6, 1e6 + 10.0);
  const std::vector<double> spread = {-3.0, 0.5, 2.0};
  CheckPolynomial("huge domain", spread, ExpandRoots(spread, 1.0, 0.0), 0.0, -1e12, 1e12);
  CheckPolynomial("ends", {0.0, 0.5, 1.0}, ExpandRoots({0.0, 0.5, 1.0}, 1.0, 0.0), 0.0, 0.0, 1.0);
}

} // namespace
