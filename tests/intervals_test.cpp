// Intervals and boxes: the members of XelMathInterval, the elementary functions lifted to
// intervals (images against dense point samples, far from the origin too), the periodic
// folds, the plane box and the N-dimensional box with its inline and heap storage.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "XelMathConstants.h"
#include "XelMathInterval.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelQuorMemory.h"

namespace {

const double kEps = std::numeric_limits<double>::epsilon();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
// Samples per interval in the enclosure tests (the two ends are always among them).
const int kSamples = 400;
const long double kPiL = 3.141592653589793238462643383279502884L;

typedef std::function<double(double)> RealFunction;
typedef std::function<XelMathInterval(const XelMathInterval&)> IntervalFunction;

/// Dense samples of [lo, hi], ends included, never outside the interval.
std::vector<double> Samples(double lo, double hi, int n = kSamples) {
  std::vector<double> x(n + 1);
  for (int k = 0; k <= n; ++k) {
    const double v = lo + (hi - lo) * (double(k) / n);
    x[k] = std::fmin(std::fmax(v, lo), hi);
  }
  x[0] = lo;
  x[n] = hi;
  return x;
}

/// Random intervals: centres at several scales up to 1e6 in magnitude, widths from zero
/// and one ulp to beyond a period.
std::vector<XelMathInterval> RandomIntervals(unsigned seed, double maxCentre, int count) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(-1.0, 1.0), expo(-15.0, 1.5);
  std::vector<XelMathInterval> out;
  for (int i = 0; i < count; ++i) {
    const double scale = std::pow(10.0, std::floor(7.0 * std::fabs(unit(rng))));
    const double c = unit(rng) * std::fmin(scale, maxCentre);
    double w;
    switch (i % 8) {
    case 0:
      w = 0.0;
      break;
    case 1:
      w = std::nextafter(c, kInf) - c;
      break;
    case 2:
      w = 6.0 + 2.0 * std::fabs(unit(rng)); // around a full period
      break;
    default:
      w = std::pow(10.0, expo(rng));
    }
    out.push_back(XelMathInterval(c - 0.5 * w, c + 0.5 * w));
    if (out.back().low > out.back().high)
      out.back().high = out.back().low;
  }
  return out;
}

/// Checks that iImage(I) encloses f at dense samples of I, for every interval of iBoxes.
void ExpectEncloses(const char* iName, const RealFunction& f, const IntervalFunction& iImage,
                    const std::vector<XelMathInterval>& iBoxes) {
  int failures = 0;
  for (const XelMathInterval& I : iBoxes) {
    const XelMathInterval J = iImage(I);
    for (double x : Samples(I.low, I.high)) {
      const double v = f(x);
      if (std::isnan(v))
        continue;
      if (!(J.low <= v && v <= J.high) && ++failures <= 5)
        ADD_FAILURE() << iName << " of [" << I.low << ", " << I.high << "] = [" << J.low << ", "
                      << J.high << "] misses f(" << x << ") = " << v;
    }
  }
  EXPECT_EQ(failures, 0) << iName;
}

/// Whether [x1, x2] holds a point phase + 2k pi, decided in extended precision.
bool HoldsPeriodicPoint(double x1, double x2, long double phase) {
  const long double twoPi = 2.0L * kPiL;
  const long double k = std::ceil(((long double)x1 - phase) / twoPi);
  return phase + k * twoPi <= (long double)x2;
}

} // namespace

// ---- members ---------------------------------------------------------------------------------

TEST(Interval, SignSeesEmptinessThenTheEnds) {
  EXPECT_EQ(XelMathInterval(2.0, 1.0).Sign(), 1); // empty
  EXPECT_EQ(XelMathInterval(-1.0, -2.0).Sign(), 1);
  EXPECT_EQ(XelMathInterval(1e-300, 1.0).Sign(), 1);
  EXPECT_EQ(XelMathInterval(-3.0, -1e-300).Sign(), -1);
  EXPECT_EQ(XelMathInterval(-1.0, 1.0).Sign(), 0);
  EXPECT_EQ(XelMathInterval(0.0, 1.0).Sign(), 0);
  EXPECT_EQ(XelMathInterval(-1.0, 0.0).Sign(), 0);
  EXPECT_EQ(XelMathInterval(0.0, 0.0).Sign(), 0);
}

TEST(Interval, InclusionRefusesAnEmptyContainerAndHonoursTheTolerance) {
  const XelMathInterval outer(0.0, 1.0);
  EXPECT_TRUE(XelMathInterval(0.0, 1.0).IsIncludedIn(outer));
  EXPECT_TRUE(XelMathInterval(0.2, 0.3).IsIncludedIn(outer));
  EXPECT_FALSE(XelMathInterval(-0.1, 0.3).IsIncludedIn(outer));
  EXPECT_FALSE(XelMathInterval(0.2, 1.1).IsIncludedIn(outer));
  EXPECT_FALSE(XelMathInterval(0.2, 0.3).IsIncludedIn(XelMathInterval(1.0, 0.0)));
  // An empty interval follows the two comparisons: inside when its ends are.
  EXPECT_TRUE(XelMathInterval(0.6, 0.4).IsIncludedIn(outer));
  EXPECT_TRUE(XelMathInterval(2.0, 0.5).IsIncludedIn(outer));
  EXPECT_FALSE(XelMathInterval(-1.0, -2.0).IsIncludedIn(outer));

  const double tol = 0.1;
  EXPECT_TRUE(XelMathInterval(-0.05, 1.05).IsIncludedIn(outer, tol));
  EXPECT_FALSE(XelMathInterval(-0.15, 0.5).IsIncludedIn(outer, tol));
  EXPECT_FALSE(XelMathInterval(0.5, 1.15).IsIncludedIn(outer, tol));
  EXPECT_FALSE(XelMathInterval(0.5, 0.6).IsIncludedIn(XelMathInterval(1.0, 0.0), tol));
}

TEST(Interval, DistanceAndNorm) {
  const XelMathInterval I(-2.0, 3.0);
  EXPECT_EQ(I.DistanceTo(-5.0), 3.0);
  EXPECT_EQ(I.DistanceTo(7.5), 4.5);
  EXPECT_EQ(I.DistanceTo(0.0), 0.0);
  EXPECT_EQ(I.DistanceTo(3.0), 0.0);
  EXPECT_EQ(I.Norm(), 3.0);
  EXPECT_EQ(XelMathInterval(-4.0, 3.0).Norm(), 4.0);
  EXPECT_EQ(XelMathInterval(1.0, 2.0).Norm(), 2.0);
  EXPECT_EQ(XelMathInterval(-5.0, -1.0).Norm(), 5.0);
}

TEST(Interval, EqualityComparesBothEnds) {
  EXPECT_TRUE(XelMathInterval(1.0, 2.0) == XelMathInterval(1.0, 2.0));
  EXPECT_FALSE(XelMathInterval(1.0, 2.0) != XelMathInterval(1.0, 2.0));
  EXPECT_TRUE(XelMathInterval(1.0, 2.0) != XelMathInterval(1.0, 2.5));
  EXPECT_TRUE(XelMathInterval(0.5, 2.0) != XelMathInterval(1.0, 2.0));
  EXPECT_TRUE(XelMathInterval(kNaN, 1.0) != XelMathInterval(kNaN, 1.0));
}

// ---- algebraic functions --------------------------------------------------------------------

TEST(IntervalFunctions, SqrtSquareAbsByCase) {
  EXPECT_EQ(sqrt(XelMathInterval(-4.0, -1.0)), XelMathInterval(0.0, 0.0));
  EXPECT_EQ(sqrt(XelMathInterval(-4.0, 0.0)), XelMathInterval(0.0, 0.0));
  EXPECT_EQ(sqrt(XelMathInterval(4.0, 9.0)), XelMathInterval(2.0, 3.0));
  EXPECT_EQ(sqrt(XelMathInterval(-1.0, 9.0)), XelMathInterval(0.0, 3.0));
  EXPECT_EQ(sqrt(XelMathInterval(0.0, 9.0)), XelMathInterval(0.0, 3.0));

  EXPECT_EQ(square(XelMathInterval(2.0, 3.0)), XelMathInterval(4.0, 9.0));
  EXPECT_EQ(square(XelMathInterval(-3.0, -2.0)), XelMathInterval(4.0, 9.0));
  EXPECT_EQ(square(XelMathInterval(-3.0, 2.0)), XelMathInterval(0.0, 9.0));
  EXPECT_EQ(square(XelMathInterval(-2.0, 3.0)), XelMathInterval(0.0, 9.0));
  // An unordered comparison keeps the square of the low end.
  const XelMathInterval q = square(XelMathInterval(-2.0, kNaN));
  EXPECT_EQ(q.low, 0.0);
  EXPECT_EQ(q.high, 4.0);

  EXPECT_EQ(abs(XelMathInterval(1.0, 2.0)), XelMathInterval(1.0, 2.0));
  EXPECT_EQ(abs(XelMathInterval(-2.0, -1.0)), XelMathInterval(1.0, 2.0));
  EXPECT_EQ(abs(XelMathInterval(-3.0, 2.0)), XelMathInterval(0.0, 3.0));
  EXPECT_EQ(abs(XelMathInterval(-2.0, 5.0)), XelMathInterval(0.0, 5.0));
}

TEST(IntervalFunctions, CoshAroundZeroStartsAtZero) {
  const XelMathInterval c = cosh(XelMathInterval(-1.0, 2.0));
  EXPECT_EQ(c.low, 0.0);
  EXPECT_EQ(c.high, std::cosh(2.0));
  EXPECT_EQ(cosh(XelMathInterval(-3.0, 2.0)).high, std::cosh(3.0));
  EXPECT_EQ(cosh(XelMathInterval(-2.0, 2.0)).high, std::cosh(2.0));
  EXPECT_EQ(cosh(XelMathInterval(1.0, 2.0)), XelMathInterval(std::cosh(1.0), std::cosh(2.0)));
  EXPECT_EQ(cosh(XelMathInterval(-2.0, -1.0)), XelMathInterval(std::cosh(1.0), std::cosh(2.0)));
}

TEST(IntervalFunctions, LogPassesNonPositiveEndsThrough) {
  const XelMathInterval l = log(XelMathInterval(0.0, 1.0));
  EXPECT_EQ(l.low, -kInf);
  EXPECT_EQ(l.high, 0.0);
  EXPECT_TRUE(std::isnan(log(XelMathInterval(-1.0, 1.0)).low));
}

TEST(IntervalFunctions, DivisionOfANumberByAnInterval) {
  EXPECT_EQ(1.0 / XelMathInterval(-1.0, 2.0), XelMathInterval(-XelMathInfinite, XelMathInfinite));
  EXPECT_EQ(1.0 / XelMathInterval(0.0, 2.0), XelMathInterval(-XelMathInfinite, XelMathInfinite));
  EXPECT_EQ(3.0 / XelMathInterval(-4.0, 0.0), XelMathInterval(-XelMathInfinite, XelMathInfinite));
  EXPECT_EQ(-2.0 / XelMathInterval(1.0, 4.0), XelMathInterval(-2.0, -0.5));
  EXPECT_EQ(2.0 / XelMathInterval(1.0, 4.0), XelMathInterval(0.5, 2.0));
  EXPECT_EQ(2.0 / XelMathInterval(-4.0, -1.0), XelMathInterval(-2.0, -0.5));
  EXPECT_EQ(-2.0 / XelMathInterval(-4.0, -1.0), XelMathInterval(0.5, 2.0));
}

TEST(IntervalFunctions, MonotonicAndAlgebraicImagesEncloseDenseSamples) {
  const std::vector<XelMathInterval> wide = RandomIntervals(11, 1e6, 800);
  const std::vector<XelMathInterval> moderate = RandomIntervals(12, 30.0, 800);
  std::vector<XelMathInterval> positive;
  for (const XelMathInterval& I : RandomIntervals(13, 1e6, 800))
    positive.push_back(
        XelMathInterval(std::fabs(I.low) + 1e-300, std::fabs(I.low) + 1e-300 + (I.high - I.low)));
  ExpectEncloses(
      "sqrt", [](double x) { return x >= 0.0 ? std::sqrt(x) : kNaN; },
      [](const XelMathInterval& I) { return sqrt(I); }, wide);
  ExpectEncloses(
      "square", [](double x) { return x * x; }, [](const XelMathInterval& I) { return square(I); },
      wide);
  ExpectEncloses(
      "abs", [](double x) { return std::fabs(x); }, [](const XelMathInterval& I) { return abs(I); },
      wide);
  ExpectEncloses(
      "atan", [](double x) { return std::atan(x); },
      [](const XelMathInterval& I) { return atan(I); }, wide);
  ExpectEncloses(
      "tanh", [](double x) { return std::tanh(x); },
      [](const XelMathInterval& I) { return tanh(I); }, moderate);
  ExpectEncloses(
      "sinh", [](double x) { return std::sinh(x); },
      [](const XelMathInterval& I) { return sinh(I); }, moderate);
  ExpectEncloses(
      "cosh", [](double x) { return std::cosh(x); },
      [](const XelMathInterval& I) { return cosh(I); }, moderate);
  ExpectEncloses(
      "exp", [](double x) { return std::exp(x); }, [](const XelMathInterval& I) { return exp(I); },
      moderate);
  ExpectEncloses(
      "log", [](double x) { return std::log(x); }, [](const XelMathInterval& I) { return log(I); },
      positive);
  // 1 / I against the reciprocal of its points.
  std::vector<XelMathInterval> nonZero;
  for (const XelMathInterval& I : moderate)
    if (I.low * I.high > 0.0)
      nonZero.push_back(I);
  ExpectEncloses(
      "1/x", [](double x) { return 1.0 / x; }, [](const XelMathInterval& I) { return 1.0 / I; },
      nonZero);
  ExpectEncloses(
      "-3/x", [](double x) { return -3.0 / x; }, [](const XelMathInterval& I) { return -3.0 / I; },
      nonZero);
}

// ---- sine and cosine ---------------------------------------------------------------------

TEST(IntervalSin, HandCasesInAndOutOfTheFixedWindows) {
  const XelMathInterval half = sin(XelMathInterval(0.0, XelPI));
  EXPECT_EQ(half.high, 1.0);
  EXPECT_LE(half.low, 0.0 + 2 * kEps);
  EXPECT_GE(half.low, 0.0);

  EXPECT_EQ(sin(XelMathInterval(XelPI / 4, XelPI / 3)),
            XelMathInterval(std::sin(XelPI / 4), std::sin(XelPI / 3)));
  // Decreasing and second increasing windows.
  EXPECT_EQ(sin(XelMathInterval(2.0, 4.0)), XelMathInterval(std::sin(4.0), std::sin(2.0)));
  EXPECT_EQ(sin(XelMathInterval(5.0, 7.5)), XelMathInterval(std::sin(5.0), std::sin(7.5)));

  // Outside the fixed windows: [100, 100.5] lies on the increasing branch between the
  // minimum 3pi/2 + 30pi = 98.96 and the maximum pi/2 + 32pi = 102.10.
  EXPECT_EQ(sin(XelMathInterval(100.0, 100.5)), XelMathInterval(std::sin(100.0), std::sin(100.5)));
  EXPECT_EQ(sin(XelMathInterval(98.9, 99.1)),
            XelMathInterval(-1.0, std::fmax(std::sin(98.9), std::sin(99.1))));
  EXPECT_EQ(sin(XelMathInterval(102.0, 102.2)),
            XelMathInterval(std::fmin(std::sin(102.0), std::sin(102.2)), 1.0));
  EXPECT_EQ(sin(XelMathInterval(98.9, 102.2)), XelMathInterval(-1.0, 1.0));

  EXPECT_EQ(sin(XelMathInterval(-1.0, -1.0 + Xel2PI)), XelMathInterval(-1.0, 1.0));
  EXPECT_EQ(sin(XelMathInterval(1e6, 1e6 + 7.0)), XelMathInterval(-1.0, 1.0));
  EXPECT_EQ(sin(XelMathInterval(-kInf, 0.0)), XelMathInterval(-1.0, 1.0));

  const XelMathInterval top = cos(XelMathInterval(-0.1, 0.1));
  EXPECT_EQ(top.high, 1.0);
  EXPECT_EQ(top.low, std::cos(0.1));
  EXPECT_EQ(cos(XelMathInterval(3.0, 3.3)).low, -1.0);
  EXPECT_EQ(cos(XelMathInterval(0.5, 1.0)), XelMathInterval(std::cos(1.0), std::cos(0.5)));
}

TEST(IntervalSin, ImagesEncloseDenseSamplesNearAndFarFromTheOrigin) {
  std::vector<XelMathInterval> boxes = RandomIntervals(21, 1e6, 4000);
  // Intervals ending just beyond (and just before) extrema, where the branch decision is
  // taken by the period count.
  for (int k = -40000; k <= 40000; k += 997)
    for (double phase : {0.5, 1.0, 1.5, 0.0})
      for (double off : {-1e-9, -1e-13, 0.0, 1e-13, 1e-9}) {
        const double e = double((phase + 2.0 * k) * kPiL) + off;
        boxes.push_back(XelMathInterval(e - 0.3, e));
        boxes.push_back(XelMathInterval(e, e + 0.3));
        boxes.push_back(XelMathInterval(e, e));
      }
  ExpectEncloses(
      "sin", [](double x) { return std::sin(x); }, [](const XelMathInterval& I) { return sin(I); },
      boxes);
  ExpectEncloses(
      "cos", [](double x) { return std::cos(x); }, [](const XelMathInterval& I) { return cos(I); },
      boxes);
}

TEST(IntervalSin, ImagesAreTheRangeGivenByTheExtremaInside) {
  // The image is the hull of the end values and of +/-1 for each extremum inside, up to
  // the rounding of the extremum test (which changes a bound by far less than an ulp of 1).
  const double tol = 4.0 * kEps;
  const std::vector<XelMathInterval> boxes = RandomIntervals(31, 1e6, 4000);
  for (const XelMathInterval& I : boxes) {
    for (int which = 0; which < 2; ++which) {
      const bool isSin = which == 0;
      const double f1 = isSin ? std::sin(I.low) : std::cos(I.low);
      const double f2 = isSin ? std::sin(I.high) : std::cos(I.high);
      const long double maxPhase = isSin ? kPiL / 2 : 0.0L, minPhase = maxPhase + kPiL;
      const double lo = HoldsPeriodicPoint(I.low, I.high, minPhase) ? -1.0 : std::fmin(f1, f2);
      const double hi = HoldsPeriodicPoint(I.low, I.high, maxPhase) ? 1.0 : std::fmax(f1, f2);
      const XelMathInterval J = isSin ? sin(I) : cos(I);
      EXPECT_NEAR(J.low, lo, tol) << (isSin ? "sin" : "cos") << " of [" << I.low << ", " << I.high
                                  << "]";
      EXPECT_NEAR(J.high, hi, tol)
          << (isSin ? "sin" : "cos") << " of [" << I.low << ", " << I.high << "]";
    }
  }
}

TEST(IntervalSin, ExtremaFarFromTheOriginAreNeverMissed) {
  // Reference from the platform's own (exact) argument reduction: an interval shorter than
  // pi holds a maximum of sine exactly when the derivative cos goes from + to -, a minimum
  // when it goes from - to +; for cosine the derivative is -sin. Counting periods with the
  // rounded 1/2pi misses such extrema beyond about 1e12 unless the count allows for its error.
  std::mt19937_64 rng(61);
  std::uniform_real_distribution<double> unit(-1.0, 1.0), width(0.0, 3.0);
  for (double magnitude : {1e6, 1e9, 1e12, 1e14, 1e15}) {
    int checked = 0, failures = 0;
    for (int i = 0; i < 20000; ++i) {
      const double x1 = magnitude * unit(rng), x2 = x1 + width(rng);
      const XelMathInterval I(x1, x2), s = sin(I), c = cos(I);
      const double c1 = std::cos(x1), c2 = std::cos(x2), s1 = std::sin(x1), s2 = std::sin(x2);
      bool ok = true;
      if (c1 > 0.0 && c2 < 0.0)
        ok = ok && s.high == 1.0;
      if (c1 < 0.0 && c2 > 0.0)
        ok = ok && s.low == -1.0;
      if (s1 < 0.0 && s2 > 0.0)
        ok = ok && c.high == 1.0;
      if (s1 > 0.0 && s2 < 0.0)
        ok = ok && c.low == -1.0;
      checked += (c1 > 0.0) != (c2 > 0.0) || (s1 > 0.0) != (s2 > 0.0);
      if (!ok && ++failures <= 3)
        ADD_FAILURE() << "[" << x1 << ", " << x2 << "]: sin [" << s.low << ", " << s.high
                      << "], cos [" << c.low << ", " << c.high << "]";
    }
    EXPECT_EQ(failures, 0) << magnitude;
    EXPECT_GT(checked, 5000) << magnitude;
  }
}

TEST(IntervalSin, HugeAndNonFiniteEndsNeverMissTheValues) {
  for (double x : {1e15, -3e15, 1e16, 4.5e16, 1e17, 1e22, -1e300, DBL_MAX, -DBL_MAX}) {
    for (const XelMathInterval& I :
         {XelMathInterval(x, x), XelMathInterval(x, std::nextafter(x, kInf)),
          XelMathInterval(std::nextafter(x, -kInf), x)}) {
      const XelMathInterval s = sin(I), c = cos(I);
      for (double e : {I.low, I.high}) {
        if (std::isinf(e))
          continue;
        EXPECT_TRUE(s.low <= std::sin(e) && std::sin(e) <= s.high) << x;
        EXPECT_TRUE(c.low <= std::cos(e) && std::cos(e) <= c.high) << x;
      }
    }
  }
  EXPECT_EQ(cos(XelMathInterval(0.0, kInf)), XelMathInterval(-1.0, 1.0));
  // NaN ends give no bound but neither hang nor fault.
  sin(XelMathInterval(kNaN, 1.0));
  cos(XelMathInterval(kNaN, kNaN));
}

// ---- arc tangent of two intervals --------------------------------------------------------------

TEST(IntervalAtan2, BranchesByHand) {
  const XelMathInterval full(-XelPI, XelPI);
  // The branch cut along the negative X axis.
  EXPECT_EQ(atan2(XelMathInterval(-1.0, 1.0), XelMathInterval(-2.0, -1.0)), full);
  EXPECT_EQ(atan2(XelMathInterval(0.0, 1.0), XelMathInterval(-2.0, -1.0)), full);
  EXPECT_EQ(atan2(XelMathInterval(-1.0, 1.0), XelMathInterval(-2.0, 1.0)), full);
  // Right half-plane with Y across 0.
  EXPECT_EQ(atan2(XelMathInterval(-1.0, 2.0), XelMathInterval(1.0, 3.0)),
            XelMathInterval(std::atan2(-1.0, 1.0), std::atan2(2.0, 1.0)));
  // Each quadrant and the half-planes straddling the Y axis.
  EXPECT_EQ(atan2(XelMathInterval(1.0, 2.0), XelMathInterval(-3.0, -1.0)),
            XelMathInterval(std::atan2(2.0, -1.0), std::atan2(1.0, -3.0)));
  EXPECT_EQ(atan2(XelMathInterval(1.0, 2.0), XelMathInterval(1.0, 3.0)),
            XelMathInterval(std::atan2(1.0, 3.0), std::atan2(2.0, 1.0)));
  EXPECT_EQ(atan2(XelMathInterval(1.0, 2.0), XelMathInterval(-1.0, 3.0)),
            XelMathInterval(std::atan2(1.0, 3.0), std::atan2(1.0, -1.0)));
  EXPECT_EQ(atan2(XelMathInterval(-2.0, -1.0), XelMathInterval(-1.0, 3.0)),
            XelMathInterval(std::atan2(-1.0, -1.0), std::atan2(-1.0, 3.0)));
  EXPECT_EQ(atan2(XelMathInterval(-2.0, -1.0), XelMathInterval(1.0, 3.0)),
            XelMathInterval(std::atan2(-2.0, 1.0), std::atan2(-1.0, 3.0)));
  EXPECT_EQ(atan2(XelMathInterval(-2.0, -1.0), XelMathInterval(-3.0, -1.0)),
            XelMathInterval(std::atan2(-1.0, -3.0), std::atan2(-2.0, -1.0)));
  // Unordered comparisons give the full range.
  EXPECT_EQ(atan2(XelMathInterval(kNaN, 1.0), XelMathInterval(1.0, 2.0)), full);
  EXPECT_EQ(atan2(XelMathInterval(1.0, 2.0), XelMathInterval(kNaN, kNaN)), full);
}

TEST(IntervalAtan2, BoundsAreSampleExtremesOrTheFullRange) {
  // Boxes anywhere in the plane, many straddling an axis or the branch cut; a dense grid of
  // each box (corners included) must lie in the image, and an image narrower than the full
  // range must be attained at the corners.
  std::mt19937_64 rng(41);
  std::uniform_real_distribution<double> unit(-1.0, 1.0), expo(-12.0, 1.0);
  const int grid = 40;
  int failures = 0, partial = 0;
  for (int i = 0; i < 3000; ++i) {
    const double cy = i % 3 == 0 ? 0.1 * unit(rng) : 3.0 * unit(rng);
    const double cx = i % 5 == 0 ? -1.0 - std::fabs(unit(rng)) : 3.0 * unit(rng);
    const double wy = std::pow(10.0, expo(rng)), wx = std::pow(10.0, expo(rng));
    const XelMathInterval Y(cy - wy, cy + wy), X(cx - wx, cx + wx);
    const XelMathInterval J = atan2(Y, X);
    EXPECT_GE(J.low, -XelPI);
    EXPECT_LE(J.high, XelPI);
    double lo = kInf, hi = -kInf;
    const std::vector<double> ys = Samples(Y.low, Y.high, grid), xs = Samples(X.low, X.high, grid);
    for (double y : ys)
      for (double x : xs) {
        const double v = std::atan2(y, x);
        lo = std::fmin(lo, v);
        hi = std::fmax(hi, v);
      }
    if (!(J.low <= lo && hi <= J.high) && ++failures <= 5)
      ADD_FAILURE() << "atan2 over [" << Y.low << ", " << Y.high << "] x [" << X.low << ", "
                    << X.high << "] = [" << J.low << ", " << J.high << "] misses [" << lo << ", "
                    << hi << "]";
    if (!(J == XelMathInterval(-XelPI, XelPI))) {
      ++partial;
      EXPECT_EQ(J.low, lo);
      EXPECT_EQ(J.high, hi);
    }
  }
  EXPECT_EQ(failures, 0);
  EXPECT_GT(partial, 1000); // the narrow branches were exercised
}

// ---- periodic operations ----------------------------------------------------------------------

TEST(IntervalPeriodic, ResidueFoldsByStepsOrInOneCeilStep) {
  XelMathInterval unit(0.0, 1.0);
  double x = 10.5; // beyond six periods: one ceil step
  unit.PeriodicResidue(x);
  EXPECT_DOUBLE_EQ(x, 0.5);
  x = 3.5; // three single steps
  unit.PeriodicResidue(x);
  EXPECT_EQ(x, 0.5);
  x = -3.5;
  unit.PeriodicResidue(x);
  EXPECT_EQ(x, 0.5);
  x = -10.25;
  unit.PeriodicResidue(x);
  EXPECT_DOUBLE_EQ(x, 0.75);
  x = 0.25;
  unit.PeriodicResidue(x);
  EXPECT_EQ(x, 0.25);
  // From above a whole number of periods lands on high, from below on low.
  x = 3.0;
  unit.PeriodicResidue(x);
  EXPECT_EQ(x, 1.0);
  x = -2.0;
  unit.PeriodicResidue(x);
  EXPECT_EQ(x, 0.0);

  XelMathInterval angle(-XelPI, XelPI);
  x = 1000.0;
  angle.PeriodicResidue(x);
  EXPECT_NEAR(x, 1000.0 - 159.0 * Xel2PI, 1000.0 * kEps * 8);

  // An unbounded end leaves the value alone.
  XelMathInterval open(0.0, XelMathInfinite);
  x = -5.0;
  open.PeriodicResidue(x);
  EXPECT_EQ(x, -5.0);
}

TEST(IntervalPeriodic, ResidueOfHugeNaNOrDegenerateInputsTerminates) {
  XelMathInterval unit(0.0, 1.0);
  for (double v : {1e300, -1e300, 1e17, DBL_MAX}) {
    double x = v;
    unit.PeriodicResidue(x);
    EXPECT_TRUE(x >= 0.0 && x <= 1.0) << v;
  }
  double x = kNaN;
  unit.PeriodicResidue(x);
  EXPECT_TRUE(std::isnan(x));
  XelMathInterval point(2.0, 2.0);
  x = 5.0;
  point.PeriodicResidue(x);
  EXPECT_EQ(x, 2.0);
  XelMathInterval reversed(1.0, 0.0);
  x = 7.0;
  reversed.PeriodicResidue(x);
  SUCCEED();
}

TEST(IntervalPeriodic, MembershipModuloAPeriod) {
  XelMathInterval window(0.1, 0.3);
  EXPECT_TRUE(window.InPeriodicTrim(5.2, 1.0, 0.0));
  EXPECT_TRUE(window.InPeriodicTrim(-0.8, 1.0, 0.0));
  EXPECT_TRUE(window.InPeriodicTrim(0.2, 1.0, 0.0));
  EXPECT_FALSE(window.InPeriodicTrim(5.5, 1.0, 0.0));
  EXPECT_FALSE(window.InPeriodicTrim(-0.5, 1.0, 0.0));
  EXPECT_TRUE(window.InPeriodicTrim(-99.75, 1.0, 0.0)); // -99.75 = 0.25 mod 1

  XelMathInterval almost(0.0, 0.95);
  EXPECT_FALSE(almost.InPeriodicTrim(1.97, 1.0, 0.0));
  EXPECT_TRUE(almost.InPeriodicTrim(1.93, 1.0, 0.0));
  // Covering a period plus the tolerance: every value is in.
  XelMathInterval covering(0.0, 1.05);
  EXPECT_TRUE(covering.InPeriodicTrim(123.456, 1.0, 0.05));
  // Below, values fold into [high - P - t, high] by the period P + t, here 1.06: -5 lands on
  // 0.3 (in), -1.065 on -0.005 (out).
  EXPECT_TRUE(covering.InPeriodicTrim(-5.0, 1.0, 0.06));
  EXPECT_FALSE(covering.InPeriodicTrim(-1.065, 1.0, 0.06));
}

TEST(IntervalPeriodic, ClosestEndpointUsesTheWrapAroundDistance) {
  XelMathInterval I(0.0, 0.5);
  double x = 0.9;
  EXPECT_NEAR(I.ClosestPeriodicEndpoint(x, 1.0), 0.1, 4 * kEps);
  EXPECT_EQ(x, 0.0);
  x = 0.7;
  EXPECT_NEAR(I.ClosestPeriodicEndpoint(x, 1.0), 0.2, 4 * kEps);
  EXPECT_EQ(x, 0.5);
  x = 0.75; // a tie goes to the low end
  EXPECT_EQ(I.ClosestPeriodicEndpoint(x, 1.0), 0.25);
  EXPECT_EQ(x, 0.0);
  x = 7.4; // folded first
  EXPECT_NEAR(I.ClosestPeriodicEndpoint(x, 1.0), 0.1, 16 * kEps);
  EXPECT_EQ(x, 0.5);
  x = -5.6;
  EXPECT_NEAR(I.ClosestPeriodicEndpoint(x, 1.0), 0.1, 16 * kEps);
  EXPECT_EQ(x, 0.5);
  // The interval covers the period: nothing to do.
  x = 0.9;
  EXPECT_EQ(XelMathInterval(0.0, 1.0).ClosestPeriodicEndpoint(x, 1.0), 0.0);
  EXPECT_EQ(x, 0.9);
}

// ---- plane box ---------------------------------------------------------------------------------

TEST(Interval2D, CornersCentreEmptinessAndMaxNormDistance) {
  XelMathInterval2D zero;
  EXPECT_EQ(zero.GetMin(), XelMathPoint2D(0.0, 0.0));
  EXPECT_EQ(zero.GetMax(), XelMathPoint2D(0.0, 0.0));
  EXPECT_FALSE(zero.IsEmpty());

  XelMathInterval2D box;
  box.SetX(XelMathInterval(1.0, 3.0));
  box.SetY(XelMathInterval(-2.0, 2.0));
  EXPECT_EQ(box.GetMin(), XelMathPoint2D(1.0, -2.0));
  EXPECT_EQ(box.GetMax(), XelMathPoint2D(3.0, 2.0));
  EXPECT_EQ(box.Center(), XelMathPoint2D(2.0, 0.0));
  EXPECT_EQ(box.DistanceTo(XelMathPoint2D(2.0, 1.0)), 0.0);
  EXPECT_EQ(box.DistanceTo(XelMathPoint2D(0.0, 5.0)), 3.0); // max(1, 3)
  EXPECT_EQ(box.DistanceTo(XelMathPoint2D(7.0, -2.5)), 4.0);
  EXPECT_FALSE(box.IsEmpty());
  box.SetY(XelMathInterval(1.0, 0.0));
  EXPECT_TRUE(box.IsEmpty());

  const XelQuorMemoryCounters start = XelQuorGetMemoryCounters();
  XelMathInterval2D* heap = new XelMathInterval2D(XelMathInterval(0, 1), XelMathInterval(0, 1));
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start.liveBlocks + 1);
  delete heap;
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start.liveBlocks);
}

// ---- N-dimensional box -------------------------------------------------------------------------

namespace {

std::vector<double> BoxCoords(long n, double shift) {
  std::vector<double> c(2 * n);
  for (long i = 0; i < n; ++i) {
    c[2 * i] = shift - i;
    c[2 * i + 1] = shift + 2.0 * i + 1.0;
  }
  return c;
}

void ExpectCoords(const XelMathIntervalND& iBox, const std::vector<double>& iCoords) {
  ASSERT_EQ(2 * iBox.GetDimension(), long(iCoords.size()));
  for (long i = 0; i < iBox.GetDimension(); ++i) {
    EXPECT_EQ(iBox.GetMin(i), iCoords[2 * i]);
    EXPECT_EQ(iBox.GetMax(i), iCoords[2 * i + 1]);
    EXPECT_EQ(iBox.GetInterval(i), XelMathInterval(iCoords[2 * i], iCoords[2 * i + 1]));
  }
}

} // namespace

TEST(IntervalND, StorageIsInlineUpToSixAndCountedOnTheHeapBeyond) {
  const long start = XelQuorGetMemoryCounters().liveBlocks;
  {
    XelMathIntervalND none;
    EXPECT_EQ(none.GetDimension(), 0);
    EXPECT_EQ(none.GetCoords(), nullptr);
    EXPECT_FALSE(none.IsEmpty());
    EXPECT_EQ(none.Width(), 0.0);
    EXPECT_EQ(none.GetDynamicMemoryBytes(), 0);
    XelMathIntervalND negative(-3);
    EXPECT_EQ(negative.GetDimension(), 0);

    for (long n = 1; n <= 10; ++n) {
      const std::vector<double> c = BoxCoords(n, 0.5 * n);
      XelMathIntervalND box(n, c.data());
      EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start + (n > 6 ? 1 : 0)) << n;
      EXPECT_EQ(box.GetDynamicMemoryBytes(), n > 6 ? long(2 * n * sizeof(double)) : 0);
      ExpectCoords(box, c);
      XelMathIntervalND copy(box);
      EXPECT_NE(copy.GetCoords(), box.GetCoords());
      ExpectCoords(copy, c);
      copy.SetMin(0, -100.0);
      EXPECT_EQ(box.GetMin(0), c[0]); // deep copy
      XelMathIntervalND unset(n);
      unset.SetCoords(c.data());
      ExpectCoords(unset, c);
    }
  }
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start);
}

TEST(IntervalND, AssignmentMovesBetweenInlineAndHeapStorageWithoutLeaks) {
  const long start = XelQuorGetMemoryCounters().liveBlocks;
  {
    for (long from = 0; from <= 10; ++from)
      for (long to = 0; to <= 10; ++to) {
        const std::vector<double> a = BoxCoords(from, 1.0), b = BoxCoords(to, -3.0);
        XelMathIntervalND target(from, a.data());
        const XelMathIntervalND source(to, b.data());
        target = source;
        EXPECT_EQ(target.GetDimension(), to);
        ExpectCoords(target, b);
        if (to > 0) {
          EXPECT_NE(target.GetCoords(), source.GetCoords());
        }
        EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start + (to > 6 ? 2 : 0))
            << from << " -> " << to;
        target = target; // self-assignment keeps everything
        ExpectCoords(target, b);
      }
    // A heap box given a small one and then a large one again.
    const std::vector<double> big = BoxCoords(7, 0.0), small = BoxCoords(2, 5.0);
    XelMathIntervalND box(7, big.data());
    const XelMathIntervalND two(2, small.data()), seven(7, big.data());
    EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start + 2);
    box = two;
    EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start + 1);
    EXPECT_EQ(box.GetDynamicMemoryBytes(), 0);
    box = seven;
    EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start + 2);
    ExpectCoords(box, big);
  }
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start);

  XelMathIntervalND* heap = new XelMathIntervalND(9);
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start + 2);
  delete heap;
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, start);
}

TEST(IntervalND, MeasuresAndMembership) {
  const double c2[] = {0.0, 1.0, 0.0, 2.0};
  XelMathIntervalND box(2, c2);
  EXPECT_EQ(box.Width(), 3.0); // a sum, not the largest width
  double centre[2];
  box.Center(centre);
  EXPECT_EQ(centre[0], 0.5);
  EXPECT_EQ(centre[1], 1.0);
  EXPECT_FALSE(box.IsEmpty());

  const double in[] = {0.5, 2.0}, out[] = {1.05, 1.0}, below[] = {0.5, -0.2};
  EXPECT_TRUE(box.ContainsPoint(in));
  EXPECT_FALSE(box.ContainsPoint(out));
  EXPECT_TRUE(box.ContainsPoint(out, 0.1));
  EXPECT_FALSE(box.ContainsPoint(below, 0.1));
  const double nanPoint[] = {kNaN, 0.5};
  EXPECT_FALSE(box.ContainsPoint(nanPoint));

  double closest[2];
  EXPECT_EQ(box.MinSquareDistance(in, closest), 0.0);
  EXPECT_EQ(closest[0], 0.5);
  EXPECT_EQ(closest[1], 2.0);
  const double far[] = {4.0, -4.0};
  EXPECT_EQ(box.MinSquareDistance(far, closest), 9.0 + 16.0);
  EXPECT_EQ(closest[0], 1.0);
  EXPECT_EQ(closest[1], 0.0);
  const double side[] = {-2.0, 1.5};
  EXPECT_EQ(box.MinSquareDistance(side, nullptr), 4.0);

  box.SetInterval(1, XelMathInterval(3.0, 2.0));
  EXPECT_TRUE(box.IsEmpty());
  box.SetMax(1, 4.0);
  EXPECT_FALSE(box.IsEmpty());
  EXPECT_EQ(box.GetInterval(1), XelMathInterval(3.0, 4.0));
}

TEST(IntervalND, SegmentLeavesTheBoxThroughTheFirstFaceItCrosses) {
  const double unit[] = {0.0, 1.0, 0.0, 1.0};
  const XelMathIntervalND square(2, unit);
  const double centre[] = {0.5, 0.5};
  double t = -1.0;
  long face = -1;

  const double right[] = {2.0, 0.5};
  EXPECT_TRUE(square.Intersection(centre, right, t, face));
  EXPECT_DOUBLE_EQ(t, 1.0 / 3.0);
  EXPECT_EQ(face, 1);

  const double down[] = {0.5, -1.0};
  EXPECT_TRUE(square.Intersection(centre, down, t, face));
  EXPECT_DOUBLE_EQ(t, 1.0 / 3.0);
  EXPECT_EQ(face, 2);

  const double upRight[] = {1.5, 2.0}; // x exits at 0.5, y at 1/3 first
  EXPECT_TRUE(square.Intersection(centre, upRight, t, face));
  EXPECT_DOUBLE_EQ(t, 1.0 / 3.0);
  EXPECT_EQ(face, 3);

  const double left[] = {-0.5, 0.5};
  EXPECT_TRUE(square.Intersection(centre, left, t, face));
  EXPECT_DOUBLE_EQ(t, 0.5);
  EXPECT_EQ(face, 0);

  const double corner[] = {1.5, 1.5}; // both at 0.5: the first coordinate keeps it
  EXPECT_TRUE(square.Intersection(centre, corner, t, face));
  EXPECT_DOUBLE_EQ(t, 0.5);
  EXPECT_EQ(face, 1);

  const double inside[] = {0.9, 0.1};
  face = 77;
  EXPECT_FALSE(square.Intersection(centre, inside, t, face));
  EXPECT_EQ(t, 2.0);
  EXPECT_EQ(face, 77);

  // Starting outside on the side of the crossed face.
  const double outside0[] = {-1.0, 0.5}, outside1[] = {-2.0, 0.5};
  EXPECT_FALSE(square.Intersection(outside0, outside1, t, face));

  const double cube[] = {0.0, 1.0, 0.0, 1.0, 0.0, 1.0};
  const XelMathIntervalND box3(3, cube);
  const double c3[] = {0.5, 0.5, 0.5}, top[] = {0.5, 0.5, 3.0};
  EXPECT_TRUE(box3.Intersection(c3, top, t, face));
  EXPECT_DOUBLE_EQ(t, 0.2);
  EXPECT_EQ(face, 5);
}

TEST(IntervalND, ExitPointLiesOnTheReportedFaceInEveryDimension) {
  std::mt19937_64 rng(51);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double tol = 64 * kEps;
  for (long n = 1; n <= 10; ++n) {
    std::vector<double> c(2 * n);
    for (long i = 0; i < n; ++i) {
      c[2 * i] = -1.0 - unit(rng);
      c[2 * i + 1] = 1.0 + unit(rng);
    }
    const XelMathIntervalND box(n, c.data());
    for (int trial = 0; trial < 200; ++trial) {
      std::vector<double> p0(n), p1(n), exitPoint(n);
      for (long i = 0; i < n; ++i) {
        p0[i] = c[2 * i] + (c[2 * i + 1] - c[2 * i]) * unit(rng);
        p1[i] = 8.0 * (unit(rng) - 0.5);
      }
      double t = 0.0;
      long face = -1;
      const bool leaves = box.Intersection(p0.data(), p1.data(), t, face);
      EXPECT_EQ(leaves, !box.ContainsPoint(p1.data()));
      if (!leaves)
        continue;
      ASSERT_GE(face, 0);
      ASSERT_LT(face, 2 * n);
      EXPECT_GE(t, 0.0);
      EXPECT_LE(t, 1.0);
      for (long i = 0; i < n; ++i)
        exitPoint[i] = p0[i] + t * (p1[i] - p0[i]);
      EXPECT_NEAR(exitPoint[face / 2], c[face], tol * (1.0 + std::fabs(c[face])));
      EXPECT_TRUE(box.ContainsPoint(exitPoint.data(), tol * 8.0));
    }
  }
}
