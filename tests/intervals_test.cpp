// Intervals and boxes: the members of XelMathInterval, the elementary functions lifted to
// intervals (images against dense point samples, far from the origin too), the periodic
// folds, the plane box and the N-dimensional box with its inline and heap storage.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "XelMathConstants.h"
#include "XelMathInterval.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelQuorMemory.h"
#include "test_helpers.h"

using xeltest::kEps;
using xeltest::kInf;
using xeltest::kNaN;
using xeltest::LiveBlocks;

namespace {

const long double kPiL = 3.141592653589793238462643383279502884L;
typedef XelMathInterval I;

/// Dense samples of [lo, hi], ends included, never outside the interval.
std::vector<double> Samples(double lo, double hi, int n = 400) {
  std::vector<double> x(n + 1);
  for (int k = 0; k <= n; ++k)
    x[k] = std::fmin(std::fmax(lo + (hi - lo) * (double(k) / n), lo), hi);
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
    const double w = i % 8 == 0   ? 0.0
                     : i % 8 == 1 ? std::nextafter(c, kInf) - c
                     : i % 8 == 2 ? 6.0 + 2.0 * std::fabs(unit(rng)) // around a full period
                                  : std::pow(10.0, expo(rng));
    out.push_back(I(c - 0.5 * w, std::fmax(c - 0.5 * w, c + 0.5 * w)));
  }
  return out;
}

/// Whether [x1, x2] holds a point phase + 2k pi, decided in extended precision.
bool HoldsPeriodicPoint(double x1, double x2, long double phase) {
  const long double twoPi = 2.0L * kPiL;
  const long double k = std::ceil(((long double)x1 - phase) / twoPi);
  return phase + k * twoPi <= (long double)x2;
}

} // namespace

// ---- members ---------------------------------------------------------------------------------

TEST(Interval, SignInclusionDistanceNormAndEquality) {
  // Sign: emptiness first, then the ends.
  const struct {
    XelMathInterval J;
    int sign;
  } signs[] = {{{2, 1}, 1},  {{-1, -2}, 1}, {{1e-300, 1}, 1}, {{-3, -1e-300}, -1},
               {{-1, 1}, 0}, {{0, 1}, 0},   {{-1, 0}, 0},     {{0, 0}, 0}};
  for (const auto& s : signs)
    EXPECT_EQ(s.J.Sign(), s.sign) << s.J.low << " " << s.J.high;
  // Inclusion refuses an empty container, follows the two comparisons for an empty interval
  // and honours the tolerance.
  const XelMathInterval outer(0.0, 1.0), empty(1.0, 0.0);
  const struct {
    XelMathInterval J, K;
    double tol;
    bool in;
  } inclusions[] = {{{0, 1}, outer, 0, true},          {{0.2, 0.3}, outer, 0, true},
                    {{-0.1, 0.3}, outer, 0, false},    {{0.2, 1.1}, outer, 0, false},
                    {{0.2, 0.3}, empty, 0, false},     {{0.6, 0.4}, outer, 0, true},
                    {{2, 0.5}, outer, 0, true},        {{-1, -2}, outer, 0, false},
                    {{-0.05, 1.05}, outer, 0.1, true}, {{-0.15, 0.5}, outer, 0.1, false},
                    {{0.5, 1.15}, outer, 0.1, false},  {{0.5, 0.6}, empty, 0.1, false}};
  for (const auto& c : inclusions)
    EXPECT_EQ(c.tol > 0 ? c.J.IsIncludedIn(c.K, c.tol) : c.J.IsIncludedIn(c.K), c.in)
        << c.J.low << " " << c.J.high << " in " << c.K.low << " " << c.K.high << " tol " << c.tol;
  const XelMathInterval J(-2.0, 3.0);
  const double distances[][2] = {{-5.0, 3.0}, {7.5, 4.5}, {0.0, 0.0}, {3.0, 0.0}};
  for (const auto& c : distances)
    EXPECT_EQ(J.DistanceTo(c[0]), c[1]) << c[0];
  const double norms[][3] = {{-2, 3, 3}, {-4, 3, 4}, {1, 2, 2}, {-5, -1, 5}};
  for (const auto& n : norms)
    EXPECT_EQ(I(n[0], n[1]).Norm(), n[2]) << n[0];
  EXPECT_TRUE(I(1.0, 2.0) == I(1.0, 2.0) && !(I(1.0, 2.0) != I(1.0, 2.0)));
  EXPECT_TRUE(I(1.0, 2.0) != I(1.0, 2.5) && I(0.5, 2.0) != I(1.0, 2.0));
  EXPECT_TRUE(I(kNaN, 1.0) != I(kNaN, 1.0));
}

// ---- algebraic and monotonic functions --------------------------------------------------------

TEST(IntervalFunctions, ImagesByCase) {
  const double inf = XelMathInfinite, c1 = std::cosh(1.0), c2 = std::cosh(2.0);
  const struct {
    const char* name;
    XelMathInterval got, expected;
  } cases[] = {{"sqrt below 0", sqrt(I(-4, -1)), I(0, 0)},
               {"sqrt to 0", sqrt(I(-4, 0)), I(0, 0)},
               {"sqrt", sqrt(I(4, 9)), I(2, 3)},
               {"sqrt across 0", sqrt(I(-1, 9)), I(0, 3)},
               {"sqrt from 0", sqrt(I(0, 9)), I(0, 3)},
               {"square", square(I(2, 3)), I(4, 9)},
               {"square negative", square(I(-3, -2)), I(4, 9)},
               {"square across 0", square(I(-3, 2)), I(0, 9)},
               {"square across 0 right", square(I(-2, 3)), I(0, 9)},
               {"abs", abs(I(1, 2)), I(1, 2)},
               {"abs negative", abs(I(-2, -1)), I(1, 2)},
               {"abs across 0", abs(I(-3, 2)), I(0, 3)},
               {"abs across 0 right", abs(I(-2, 5)), I(0, 5)},
               {"cosh around 0 starts at 0", cosh(I(-1, 2)), I(0, c2)},
               {"cosh around 0, left end larger", cosh(I(-3, 2)), I(0, std::cosh(3.0))},
               {"cosh positive", cosh(I(1, 2)), I(c1, c2)},
               {"cosh negative", cosh(I(-2, -1)), I(c1, c2)},
               {"log from 0", log(I(0, 1)), I(-kInf, 0)},
               {"1 / across 0", 1.0 / I(-1, 2), I(-inf, inf)},
               {"1 / from 0", 1.0 / I(0, 2), I(-inf, inf)},
               {"3 / to 0", 3.0 / I(-4, 0), I(-inf, inf)},
               {"-2 / positive", -2.0 / I(1, 4), I(-2, -0.5)},
               {"2 / positive", 2.0 / I(1, 4), I(0.5, 2)},
               {"2 / negative", 2.0 / I(-4, -1), I(-2, -0.5)},
               {"-2 / negative", -2.0 / I(-4, -1), I(0.5, 2)}};
  for (const auto& c : cases)
    EXPECT_EQ(c.got, c.expected) << c.name << ": [" << c.got.low << ", " << c.got.high << "]";
  EXPECT_EQ(cosh(I(-2, 2)).high, c2);
  // An unordered comparison keeps the square of the low end; log passes non-positive ends.
  EXPECT_EQ(square(I(-2.0, kNaN)), I(0.0, 4.0));
  EXPECT_TRUE(std::isnan(log(I(-1.0, 1.0)).low));
}

TEST(IntervalFunctions, ImagesEncloseDenseSamples) {
  const std::vector<XelMathInterval> wide = RandomIntervals(11, 1e6, 800);
  const std::vector<XelMathInterval> moderate = RandomIntervals(12, 30.0, 800);
  std::vector<XelMathInterval> positive, nonZero;
  for (const XelMathInterval& J : RandomIntervals(13, 1e6, 800))
    positive.push_back(I(std::fabs(J.low) + 1e-300, std::fabs(J.low) + 1e-300 + (J.high - J.low)));
  for (const XelMathInterval& J : moderate)
    if (J.low * J.high > 0.0)
      nonZero.push_back(J);
  typedef XelMathInterval (*Image)(const XelMathInterval&);
  const struct {
    const char* name;
    double (*f)(double);
    std::function<XelMathInterval(const XelMathInterval&)> image;
    const std::vector<XelMathInterval>& boxes;
  } cases[] = {{"sqrt", [](double x) { return x >= 0.0 ? std::sqrt(x) : kNaN; }, Image(sqrt), wide},
               {"square", [](double x) { return x * x; }, Image(square), wide},
               {"abs", [](double x) { return std::fabs(x); }, Image(abs), wide},
               {"atan", [](double x) { return std::atan(x); }, Image(atan), wide},
               {"tanh", [](double x) { return std::tanh(x); }, Image(tanh), moderate},
               {"sinh", [](double x) { return std::sinh(x); }, Image(sinh), moderate},
               {"cosh", [](double x) { return std::cosh(x); }, Image(cosh), moderate},
               {"exp", [](double x) { return std::exp(x); }, Image(exp), moderate},
               {"log", [](double x) { return std::log(x); }, Image(log), positive},
               {"1/x", [](double x) { return 1.0 / x; },
                [](const XelMathInterval& J) { return 1.0 / J; }, nonZero},
               {"-3/x", [](double x) { return -3.0 / x; },
                [](const XelMathInterval& J) { return -3.0 / J; }, nonZero}};
  for (const auto& c : cases) {
    int failures = 0;
    for (const XelMathInterval& B : c.boxes) {
      const XelMathInterval J = c.image(B);
      for (double x : Samples(B.low, B.high)) {
        const double v = c.f(x);
        if (!std::isnan(v) && !(J.low <= v && v <= J.high) && ++failures <= 5)
          ADD_FAILURE() << c.name << " of [" << B.low << ", " << B.high << "] = [" << J.low
                        << ", " << J.high << "] misses f(" << x << ") = " << v;
      }
    }
    EXPECT_EQ(failures, 0) << c.name;
  }
}

// ---- sine and cosine ---------------------------------------------------------------------

TEST(IntervalSin, ImagesAreTheRangeGivenByTheExtremaInside) {
  // The image is the hull of the end values and of +/-1 for each extremum inside, up to
  // the rounding of the extremum test (which changes a bound by far less than an ulp of 1).
  // Random intervals, and intervals ending just beyond (and just before) extrema, where the
  // branch decision is taken by the period count.
  std::vector<XelMathInterval> boxes = RandomIntervals(31, 1e6, 4000);
  for (int k = -40000; k <= 40000; k += 997)
    for (double phase : {0.5, 1.0, 1.5, 0.0})
      for (double off : {-1e-9, -1e-13, 0.0, 1e-13, 1e-9}) {
        const double e = double((phase + 2.0 * k) * kPiL) + off;
        boxes.insert(boxes.end(), {I(e - 0.3, e), I(e, e + 0.3), I(e, e)});
      }
  const double tol = 4.0 * kEps;
  for (const XelMathInterval& B : boxes)
    for (int isSin = 0; isSin < 2; ++isSin) {
      const double f1 = isSin ? std::sin(B.low) : std::cos(B.low);
      const double f2 = isSin ? std::sin(B.high) : std::cos(B.high);
      const long double maxPhase = isSin ? kPiL / 2 : 0.0L, minPhase = maxPhase + kPiL;
      const double lo = HoldsPeriodicPoint(B.low, B.high, minPhase) ? -1.0 : std::fmin(f1, f2);
      const double hi = HoldsPeriodicPoint(B.low, B.high, maxPhase) ? 1.0 : std::fmax(f1, f2);
      const XelMathInterval J = isSin ? sin(B) : cos(B);
      ASSERT_NEAR(J.low, lo, tol) << (isSin ? "sin" : "cos") << " [" << B.low << ", " << B.high;
      ASSERT_NEAR(J.high, hi, tol) << (isSin ? "sin" : "cos") << " [" << B.low << ", " << B.high;
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
      const XelMathInterval s = sin(I(x1, x2)), c = cos(I(x1, x2));
      const double c1 = std::cos(x1), c2 = std::cos(x2), s1 = std::sin(x1), s2 = std::sin(x2);
      const bool ok = !(c1 > 0.0 && c2 < 0.0 && s.high != 1.0) &&
                      !(c1 < 0.0 && c2 > 0.0 && s.low != -1.0) &&
                      !(s1 < 0.0 && s2 > 0.0 && c.high != 1.0) &&
                      !(s1 > 0.0 && s2 < 0.0 && c.low != -1.0);
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
  for (double x : {1e15, -3e15, 1e16, 4.5e16, 1e17, 1e22, -1e300, DBL_MAX, -DBL_MAX})
    for (const XelMathInterval& B : {I(x, x), I(x, std::nextafter(x, kInf)),
                                     I(std::nextafter(x, -kInf), x)}) {
      const XelMathInterval s = sin(B), c = cos(B);
      for (double e : {B.low, B.high})
        if (!std::isinf(e)) {
          EXPECT_TRUE(s.low <= std::sin(e) && std::sin(e) <= s.high) << x;
          EXPECT_TRUE(c.low <= std::cos(e) && std::cos(e) <= c.high) << x;
        }
    }
  // NaN ends give no bound but neither hang nor fault.
  sin(I(kNaN, 1.0));
  cos(I(kNaN, kNaN));
}

// ---- arc tangent of two intervals --------------------------------------------------------------

TEST(IntervalAtan2, BranchCutAndUnorderedEndsGiveTheFullRange) {
  const XelMathInterval full(-XelPI, XelPI);
  const struct {
    XelMathInterval Y, X;
  } cases[] = {{{-1, 1}, {-2, -1}}, {{0, 1}, {-2, -1}}, {{-1, 1}, {-2, 1}},
               {{kNaN, 1}, {1, 2}}, {{1, 2}, {kNaN, kNaN}}};
  for (const auto& c : cases)
    EXPECT_EQ(atan2(c.Y, c.X), full) << c.Y.low << " " << c.Y.high << " " << c.X.low;
}

TEST(IntervalAtan2, BoundsAreSampleExtremesOrTheFullRange) {
  // Random boxes, many straddling an axis or the branch cut: a grid of each box (corners
  // included) lies in the image, and an image narrower than the full range is the grid's.
  std::mt19937_64 rng(41);
  std::uniform_real_distribution<double> unit(-1.0, 1.0), expo(-12.0, 1.0);
  int partial = 0;
  for (int i = 0; i < 1500; ++i) {
    const double cy = i % 3 == 0 ? 0.1 * unit(rng) : 3.0 * unit(rng);
    const double cx = i % 5 == 0 ? -1.0 - std::fabs(unit(rng)) : 3.0 * unit(rng);
    const double wy = std::pow(10.0, expo(rng)), wx = std::pow(10.0, expo(rng));
    const XelMathInterval Y(cy - wy, cy + wy), X(cx - wx, cx + wx), J = atan2(Y, X);
    double lo = kInf, hi = -kInf;
    for (double y : Samples(Y.low, Y.high, 20))
      for (double x : Samples(X.low, X.high, 20)) {
        lo = std::fmin(lo, std::atan2(y, x));
        hi = std::fmax(hi, std::atan2(y, x));
      }
    const bool full = J == XelMathInterval(-XelPI, XelPI);
    partial += !full;
    ASSERT_EQ(J, full ? J : I(lo, hi)) << "[" << Y.low << ", " << Y.high << "] x [" << X.low
                                        << ", " << X.high << "]";
    ASSERT_TRUE(J.low <= lo && hi <= J.high) << i;
  }
  EXPECT_GT(partial, 500); // the narrow branches were exercised
}

// ---- periodic operations ----------------------------------------------------------------------

TEST(IntervalPeriodic, ResidueFoldsByStepsOrInOneCeilStepAndTerminates) {
  // Beyond six periods one ceil step, otherwise single steps; from above a whole number of
  // periods lands on high, from below on low; an unbounded end leaves the value alone.
  XelMathInterval unit(0, 1), angle(-XelPI, XelPI), open(0, XelMathInfinite), point(2, 2);
  const struct {
    XelMathInterval J;
    double x, expected, tol;
  } cases[] = {{unit, 10.5, 0.5, 4 * kEps},   {unit, 3.5, 0.5, 0},    {unit, -3.5, 0.5, 0},
               {unit, -10.25, 0.75, 4 * kEps}, {unit, 0.25, 0.25, 0},  {unit, 3.0, 1.0, 0},
               {unit, -2.0, 0.0, 0},           {open, -5.0, -5.0, 0},  {point, 5.0, 2.0, 0},
               {angle, 1000.0, 1000.0 - 159.0 * Xel2PI, 1000.0 * kEps * 8}};
  for (const auto& c : cases) {
    double x = c.x;
    XelMathInterval J = c.J;
    J.PeriodicResidue(x);
    EXPECT_NEAR(x, c.expected, c.tol) << c.x << " in [" << c.J.low << ", " << c.J.high << "]";
  }
  for (double v : {1e300, -1e300, 1e17, DBL_MAX}) {
    double x = v;
    unit.PeriodicResidue(x);
    EXPECT_TRUE(x >= 0.0 && x <= 1.0) << v;
  }
  double x = kNaN;
  unit.PeriodicResidue(x);
  EXPECT_TRUE(std::isnan(x));
  x = 7.0;
  XelMathInterval reversed(1.0, 0.0);
  reversed.PeriodicResidue(x); // terminates
}

TEST(IntervalPeriodic, MembershipModuloAPeriod) {
  const XelMathInterval window(0.1, 0.3), almost(0.0, 0.95), covering(0.0, 1.05);
  // Covering a period plus the tolerance, every value is in. Below, values fold into
  // [high - P - t, high] by the period P + t, here 1.06: -5 lands on 0.3 (in), -1.065 on
  // -0.005 (out).
  const struct {
    XelMathInterval J;
    double x, tol;
    bool in;
  } cases[] = {{window, 5.2, 0, true},      {window, -0.8, 0, true},         {window, 0.2, 0, true},
               {window, 5.5, 0, false},     {window, -0.5, 0, false},        {window, -99.75, 0, true},
               {almost, 1.97, 0, false},    {almost, 1.93, 0, true},         {covering, 123.456, 0.05, true},
               {covering, -5.0, 0.06, true}, {covering, -1.065, 0.06, false}};
  for (const auto& c : cases) {
    XelMathInterval J = c.J;
    EXPECT_EQ(J.InPeriodicTrim(c.x, 1.0, c.tol) != 0, c.in) << c.x << " " << c.J.high;
  }
}

TEST(IntervalPeriodic, ClosestEndpointUsesTheWrapAroundDistance) {
  // (x, distance, endpoint): a tie goes to the low end; x is folded first.
  const struct {
    double x, distance, endpoint;
  } cases[] = {{0.9, 0.1, 0.0}, {0.7, 0.2, 0.5}, {0.75, 0.25, 0.0}, {7.4, 0.1, 0.5},
               {-5.6, 0.1, 0.5}};
  for (const auto& c : cases) {
    double x = c.x;
    EXPECT_NEAR(I(0.0, 0.5).ClosestPeriodicEndpoint(x, 1.0), c.distance, 16 * kEps) << c.x;
    EXPECT_EQ(x, c.endpoint) << c.x;
  }
  double x = 0.9; // the interval covers the period: nothing to do
  EXPECT_EQ(I(0.0, 1.0).ClosestPeriodicEndpoint(x, 1.0), 0.0);
  EXPECT_EQ(x, 0.9);
}

// ---- plane box ---------------------------------------------------------------------------------

TEST(Interval2D, CornersCentreEmptinessAndMaxNormDistance) {
  XelMathInterval2D zero;
  EXPECT_EQ(zero.GetMin(), XelMathPoint2D(0.0, 0.0));
  EXPECT_EQ(zero.GetMax(), XelMathPoint2D(0.0, 0.0));
  EXPECT_FALSE(zero.IsEmpty());
  XelMathInterval2D box;
  box.SetX(I(1.0, 3.0));
  box.SetY(I(-2.0, 2.0));
  EXPECT_EQ(box.Center(), XelMathPoint2D(2.0, 0.0));
  EXPECT_EQ(box.DistanceTo(XelMathPoint2D(2.0, 1.0)), 0.0);
  EXPECT_EQ(box.DistanceTo(XelMathPoint2D(0.0, 5.0)), 3.0); // max(1, 3)
  EXPECT_EQ(box.DistanceTo(XelMathPoint2D(7.0, -2.5)), 4.0);
  EXPECT_FALSE(box.IsEmpty());
  box.SetY(I(1.0, 0.0));
  EXPECT_TRUE(box.IsEmpty());
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
    EXPECT_EQ(iBox.GetInterval(i), I(iCoords[2 * i], iCoords[2 * i + 1]));
  }
}

} // namespace

TEST(IntervalND, StorageIsInlineUpToSixAndOnTheHeapBeyondWithoutLeaks) {
  const long start = LiveBlocks();
  {
    XelMathIntervalND none, negative(-3);
    EXPECT_EQ(none.GetCoords(), nullptr);
    EXPECT_FALSE(none.IsEmpty());
    EXPECT_EQ(none.Width(), 0.0);
    EXPECT_EQ(negative.GetDimension(), 0);
    for (long n = 1; n <= 10; ++n) {
      const std::vector<double> c = BoxCoords(n, 0.5 * n);
      XelMathIntervalND box(n, c.data());
      EXPECT_EQ(LiveBlocks(), start + (n > 6 ? 1 : 0)) << n;
      ExpectCoords(box, c);
      XelMathIntervalND copy(box), unset(n);
      EXPECT_NE(copy.GetCoords(), box.GetCoords());
      ExpectCoords(copy, c);
      copy.SetMin(0, -100.0);
      EXPECT_EQ(box.GetMin(0), c[0]); // deep copy
      unset.SetCoords(c.data());
      ExpectCoords(unset, c);
    }
    // Assignment between every pair of sizes, inline and heap, and to itself.
    for (long from = 0; from <= 10; ++from)
      for (long to = 0; to <= 10; ++to) {
        const std::vector<double> a = BoxCoords(from, 1.0), b = BoxCoords(to, -3.0);
        XelMathIntervalND target(from, a.data());
        const XelMathIntervalND source(to, b.data());
        target = source;
        ExpectCoords(target, b);
        if (to > 0) {
          EXPECT_NE(target.GetCoords(), source.GetCoords());
        }
        EXPECT_EQ(LiveBlocks(), start + (to > 6 ? 2 : 0)) << from << " -> " << to;
        target = target;
        ExpectCoords(target, b);
      }
    const std::vector<double> big = BoxCoords(7, 0.0), small = BoxCoords(2, 5.0);
    XelMathIntervalND box(7, big.data());
    const XelMathIntervalND two(2, small.data()), seven(7, big.data());
    box = two; // a heap box given a small one, then a large one again
    EXPECT_EQ(LiveBlocks(), start + 1);
    EXPECT_EQ(box.GetDynamicMemoryBytes(), 0);
    box = seven;
    EXPECT_EQ(LiveBlocks(), start + 2);
    ExpectCoords(box, big);
    delete new XelMathIntervalND(9);
  }
  EXPECT_EQ(LiveBlocks(), start);
}

TEST(IntervalND, MeasuresAndMembership) {
  const double c2[] = {0.0, 1.0, 0.0, 2.0};
  XelMathIntervalND box(2, c2);
  EXPECT_EQ(box.Width(), 3.0); // a sum, not the largest width
  double centre[2];
  box.Center(centre);
  EXPECT_TRUE(centre[0] == 0.5 && centre[1] == 1.0);
  EXPECT_FALSE(box.IsEmpty());
  const double in[] = {0.5, 2.0}, out[] = {1.05, 1.0}, below[] = {0.5, -0.2}, nan[] = {kNaN, 0.5};
  EXPECT_TRUE(box.ContainsPoint(in));
  EXPECT_FALSE(box.ContainsPoint(out));
  EXPECT_TRUE(box.ContainsPoint(out, 0.1));
  EXPECT_FALSE(box.ContainsPoint(below, 0.1));
  EXPECT_FALSE(box.ContainsPoint(nan));
  double closest[2];
  EXPECT_EQ(box.MinSquareDistance(in, closest), 0.0);
  EXPECT_TRUE(closest[0] == 0.5 && closest[1] == 2.0);
  const double far[] = {4.0, -4.0}, side[] = {-2.0, 1.5};
  EXPECT_EQ(box.MinSquareDistance(far, closest), 9.0 + 16.0);
  EXPECT_TRUE(closest[0] == 1.0 && closest[1] == 0.0);
  EXPECT_EQ(box.MinSquareDistance(side, nullptr), 4.0);
  box.SetInterval(1, I(3.0, 2.0));
  EXPECT_TRUE(box.IsEmpty());
}

TEST(IntervalND, SegmentLeavesTheBoxThroughTheFirstFaceItCrosses) {
  const double unit[] = {0.0, 1.0, 0.0, 1.0}, cube[] = {0.0, 1.0, 0.0, 1.0, 0.0, 1.0};
  const XelMathIntervalND square(2, unit), box3(3, cube);
  // (start, end, leaves, t, face): x exits at 0.5 and y at 1/3 for (1.5, 2); at a corner the
  // first coordinate keeps it; a segment starting outside on the side of the crossed face.
  const struct {
    std::vector<double> p0, p1;
    bool leaves;
    double t;
    long face;
  } cases[] = {{{0.5, 0.5}, {2.0, 0.5}, true, 1.0 / 3.0, 1},
               {{0.5, 0.5}, {0.5, -1.0}, true, 1.0 / 3.0, 2},
               {{0.5, 0.5}, {1.5, 2.0}, true, 1.0 / 3.0, 3},
               {{0.5, 0.5}, {-0.5, 0.5}, true, 0.5, 0},
               {{0.5, 0.5}, {1.5, 1.5}, true, 0.5, 1},
               {{0.5, 0.5}, {0.9, 0.1}, false, 2.0, 77},
               {{-1.0, 0.5}, {-2.0, 0.5}, false, -1, -1},
               {{0.5, 0.5, 0.5}, {0.5, 0.5, 3.0}, true, 0.2, 5}};
  for (const auto& c : cases) {
    double t = -1.0;
    long face = 77;
    const XelMathIntervalND& box = c.p0.size() == 2 ? square : box3;
    EXPECT_EQ(box.Intersection(c.p0.data(), c.p1.data(), t, face), c.leaves) << c.p1[0];
    if (c.face >= 0) {
      EXPECT_DOUBLE_EQ(t, c.t) << c.p1[0];
      EXPECT_EQ(face, c.face) << c.p1[0];
    }
  }
}

TEST(IntervalND, ExitPointLiesOnTheReportedFaceInEveryDimension) {
  // Random segments from inside boxes of dimension 1 to 10 (inline and heap storage).
  std::mt19937_64 rng(51);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double tol = 64 * kEps;
  for (long n = 1; n <= 10; ++n) {
    std::vector<double> c(2 * n), p0(n), p1(n), exitPoint(n);
    for (long i = 0; i < 2 * n; ++i)
      c[i] = (i % 2 ? 1.0 : -1.0) * (1.0 + unit(rng));
    const XelMathIntervalND box(n, c.data());
    for (int trial = 0; trial < 100; ++trial) {
      for (long i = 0; i < n; ++i) {
        p0[i] = c[2 * i] + (c[2 * i + 1] - c[2 * i]) * unit(rng);
        p1[i] = 8.0 * (unit(rng) - 0.5);
      }
      double t = 0.0;
      long face = -1;
      const bool leaves = box.Intersection(p0.data(), p1.data(), t, face);
      ASSERT_EQ(leaves, !box.ContainsPoint(p1.data()));
      if (!leaves)
        continue;
      ASSERT_TRUE(face >= 0 && face < 2 * n && t >= 0.0 && t <= 1.0) << face << " " << t;
      for (long i = 0; i < n; ++i)
        exitPoint[i] = p0[i] + t * (p1[i] - p0[i]);
      EXPECT_NEAR(exitPoint[face / 2], c[face], tol * (1.0 + std::fabs(c[face])));
      EXPECT_TRUE(box.ContainsPoint(exitPoint.data(), tol * 8.0));
    }
  }
}
