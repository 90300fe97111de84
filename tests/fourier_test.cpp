#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "XelMathFourierTransform.h"
#include "XelMathFunctionX.h"
#include "XelMathInputError.h"
#include "XelMathInterval.h"
#include "XelMathPolynomX.h"
#include "XelQuorMemory.h"
#include "test_helpers.h"
#include "values_only.h"

using namespace xeltest;

namespace {

const long kTabulated[5] = {4, 6, 8, 12, 16};

// Rounding bound of a transform of n terms: each output is a sum of n products with
// coefficients of modulus at most 1, computed in a few different orders.
double TransformBound(const std::vector<double>& x) {
  double sum = 0.0;
  for (double v : x)
    sum += std::fabs(v);
  return 64.0 * kEps * (sum + 1e-300);
}

std::vector<double> RandomVector(std::mt19937& ioGen, long n) {
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> x(n);
  for (double& v : x)
    v = dist(ioGen);
  return x;
}

// The definition, summed in long double with the angle reduced on integers.
std::vector<double> DirectCosineTransform(const std::vector<double>& x) {
  const long n = static_cast<long>(x.size());
  const long double pi = 3.141592653589793238462643383279502884L;
  std::vector<double> out(n);
  for (long j = 0; j < n; j++) {
    long double sum = 0.0L;
    for (long i = 0; i < n; i++)
      sum +=
          x[i] * std::cos(pi * static_cast<long double>((j * (2 * i + 1)) % (4 * n)) / (2.0L * n));
    out[j] = static_cast<double>(sum);
  }
  return out;
}

} // namespace

TEST(FourierTransform, TableHoldsSinesCosinesAndNodesAtTheirOffsets) {
  XelMathFourierTransform::InitializeSinCosArray();
  ASSERT_TRUE(XelMathFourierTransform::SinCosArrayInitialized);
  const long blocks[5] = {0, 6, 15, 27, 45};
  const long nodes[5] = {69, 73, 79, 87, 99};
  const double* table = XelMathFourierTransform::SinCosArray;
  for (long t = 0; t < 5; t++) {
    const long n = kTabulated[t];
    const double h = M_PI / n;
    for (long k = 0; k < n / 2; k++) {
      EXPECT_NEAR(table[blocks[t] + k], std::sin((k + 0.5) * h), 2 * kEps) << n << " " << k;
      EXPECT_NEAR(table[blocks[t] + n / 2 + k], std::sin(k * h), 2 * kEps) << n << " " << k;
      EXPECT_NEAR(table[blocks[t] + n + k], std::cos(k * h), 2 * kEps) << n << " " << k;
    }
    for (long k = 0; k < n; k++)
      EXPECT_NEAR(table[nodes[t] + k], std::cos((k + 0.5) * h), 2 * kEps) << n << " " << k;
  }
  // The blocks tile the table exactly: the last node of length 16 is the last entry.
  EXPECT_NEAR(table[114], std::cos(15.5 * M_PI / 16), 2 * kEps);
}

TEST(FourierTransform, SlowTransformMatchesTheDefinition) {
  std::mt19937 gen(11);
  for (long n = 2; n <= 40; n += 2) {
    std::vector<double> x = RandomVector(gen, n), out(n);
    XelMathFourierTransform::SlowCosineTransform2(x.data(), n, out.data());
    std::vector<double> ref = DirectCosineTransform(x);
    const double bound = TransformBound(x);
    for (long j = 0; j < n; j++)
      EXPECT_NEAR(out[j], ref[j], bound) << "n " << n << " j " << j;
  }
}

TEST(FourierTransform, FastTransformMatchesSlowOnEveryTabulatedLength) {
  std::mt19937 gen(5);
  for (long t = 0; t < 5; t++) {
    const long n = kTabulated[t];
    for (int trial = 0; trial < 50; trial++) {
      std::vector<double> x = RandomVector(gen, n), slow(n), fast(n);
      if (trial % 5 == 0) // a few inputs of large dynamic range
        for (long i = 0; i < n; i++)
          x[i] *= std::pow(10.0, static_cast<double>(i % 7) - 3);
      XelMathFourierTransform::SlowCosineTransform2(x.data(), n, slow.data());
      XelMathFourierTransform::CosineTransform2(x.data(), n, fast.data());
      const double bound = TransformBound(x);
      for (long j = 0; j < n; j++)
        ASSERT_NEAR(fast[j], slow[j], bound) << "n " << n << " j " << j << " trial " << trial;
      // In place gives the same values.
      std::vector<double> inPlace = x;
      XelMathFourierTransform::CosineTransform2(inPlace.data(), n, inPlace.data());
      for (long j = 0; j < n; j++)
        EXPECT_EQ(inPlace[j], fast[j]);
    }
  }
}

TEST(FourierTransform, UntabulatedEvenLengthsFallBackOnDirectSums) {
  std::mt19937 gen(3);
  for (long n : {2L, 10L, 14L, 18L, 20L, 34L}) {
    std::vector<double> x = RandomVector(gen, n), slow(n), fast(n);
    XelMathFourierTransform::SlowCosineTransform2(x.data(), n, slow.data());
    XelMathFourierTransform::CosineTransform2(x.data(), n, fast.data());
    for (long j = 0; j < n; j++)
      EXPECT_EQ(fast[j], slow[j]) << n;
    XelMathFourierTransform::CosineTransform2(x.data(), n, x.data());
    for (long j = 0; j < n; j++)
      EXPECT_EQ(x[j], slow[j]) << n;
  }
}

TEST(FourierTransform, RealFourierTransformMatchesTheDefinition) {
  std::mt19937 gen(17);
  const long double pi = 3.141592653589793238462643383279502884L;
  for (long n = 1; n <= 36; n++) {
    std::vector<double> x = RandomVector(gen, n), out(n);
    XelMathFourierTransform::FastFourierTransformReal(x.data(), n, out.data());
    const double bound = TransformBound(x);
    for (long k = 0; 2 * k <= n; k++) {
      long double re = 0.0L, im = 0.0L;
      for (long j = 0; j < n; j++) {
        const long double a = 2.0L * pi * static_cast<long double>((j * k) % n) / n;
        re += x[j] * std::cos(a);
        im -= x[j] * std::sin(a);
      }
      if (k == 0) {
        EXPECT_NEAR(out[0], static_cast<double>(re), bound) << n;
      } else if (2 * k == n) {
        EXPECT_NEAR(out[n - 1], static_cast<double>(re), bound) << n;
      } else {
        EXPECT_NEAR(out[2 * k - 1], static_cast<double>(re), bound) << n << " " << k;
        EXPECT_NEAR(out[2 * k], static_cast<double>(im), bound) << n << " " << k;
      }
    }
    // In place gives the same values.
    std::vector<double> inPlace = x;
    XelMathFourierTransform::FastFourierTransformReal(inPlace.data(), n, inPlace.data());
    for (long j = 0; j < n; j++)
      EXPECT_EQ(inPlace[j], out[j]) << n;
  }
}

TEST(FourierTransform, LongLengthsWithoutFastFactorsMatchTheDefinition) {
  // Lengths beyond the direct sums whose halves have factors above 3 (a prime, 2 x 509): the
  // transforms equal the long double definition within the rounding bound.
  std::mt19937 gen(29);
  const long double pi = 3.141592653589793238462643383279502884L;
  for (long n : {257L, 1018L}) {
    std::vector<double> x = RandomVector(gen, n), dft(n), cosine(n);
    const double bound = 4.0 * TransformBound(x);
    XelMathFourierTransform::FastFourierTransformReal(x.data(), n, dft.data());
    for (long k : {1L, n / 3}) {
      long double re = 0.0L;
      for (long j = 0; j < n; j++)
        re += x[j] * std::cos(2.0L * pi * static_cast<long double>((j * k) % n) / n);
      EXPECT_NEAR(dft[2 * k - 1], static_cast<double>(re), bound) << n << " " << k;
    }
    if (n % 2 == 0) {
      XelMathFourierTransform::CosineTransform2(x.data(), n, cosine.data());
      const std::vector<double> ref = DirectCosineTransform(x);
      for (long j = 0; j < n; j++)
        EXPECT_NEAR(cosine[j], ref[j], bound) << n << " " << j;
    }
  }
  // 200000 values (40 billion products by direct sums), slow and fast transforms: the
  // constant gives n at 0 only, the sampled cosine of order q gives n / 2 at q only.
  const long live = LiveBlocks(), n = 200000, q = 12345;
  std::vector<double> ones(n, 1.0), out(n), wave(n);
  for (long i = 0; i < n; i++)
    wave[i] = std::cos(pi * static_cast<long double>((q * (2 * i + 1)) % (4 * n)) / (2.0L * n));
  XelMathFourierTransform::SlowCosineTransform2(ones.data(), n, out.data());
  XelMathFourierTransform::CosineTransform2(wave.data(), n, wave.data());
  for (long j : {0L, 1L, q, n - 1}) {
    EXPECT_NEAR(out[j], j == 0 ? 2e5 : 0.0, 1e-7) << j;
    EXPECT_NEAR(wave[j], j == q ? 1e5 : 0.0, 1e-7) << j;
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(FourierTransform, TwoDimensionalTransformIsTheProductOfDirections) {
  std::mt19937 gen(23);
  const long double pi = 3.141592653589793238462643383279502884L;
  const long sizes[][2] = {{4, 6}, {16, 8}, {2, 12}, {10, 4}, {6, 20}};
  for (const auto& size : sizes) {
    const long nx = size[0], ny = size[1];
    std::vector<double> x = RandomVector(gen, nx * ny), out(nx * ny);
    XelMathFourierTransform::CosineTransform2_2D(x.data(), nx, ny, out.data());
    const double bound = 2.0 * TransformBound(x);
    for (long p = 0; p < nx; p++)
      for (long q = 0; q < ny; q++) {
        long double sum = 0.0L;
        for (long i = 0; i < nx; i++)
          for (long j = 0; j < ny; j++)
            sum += x[i * ny + j] * std::cos(pi * p * (2 * i + 1) / (2.0L * nx)) *
                   std::cos(pi * q * (2 * j + 1) / (2.0L * ny));
        EXPECT_NEAR(out[p * ny + q], static_cast<double>(sum), bound)
            << nx << "x" << ny << " at " << p << "," << q;
      }
    XelMathFourierTransform::CosineTransform2_2D(x.data(), nx, ny, x.data());
    for (long k = 0; k < nx * ny; k++)
      EXPECT_EQ(x[k], out[k]);
  }
}

TEST(FourierTransform, ForbiddenLengthsAndAliasingRaise) {
  double x[20] = {0.0}, out[20];
  ExpectInputError([&] { XelMathFourierTransform::SlowCosineTransform2(x, 7, out); }, 0x20009, {"SlowCosineTransform2", " "});
  ExpectInputError([&] { XelMathFourierTransform::SlowCosineTransform2(x, 8, x); }, 0x20009, {"SlowCosineTransform2", " "});
  ExpectInputError([&] { XelMathFourierTransform::CosineTransform2(x, 5, out); }, 0x20009, {"CosineTransform2", " "});
  ExpectInputError([&] { XelMathFourierTransform::CosineTransform2_2D(x, 4, 3, out); }, 0x20009, {"CosineTransform2_2D", " "});
  const XelMathInterval unit(-1.0, 1.0);
  for (long n : {18L, 7L, 0L, -2L}) {
    ExpectInputError([&] { XelMathFourierTransform::ChebyshevCoefficientsX(nullptr, unit, n, out); }, 0x20009, {"ChebyshevCoefficientsX", " "});
    ExpectInputError(
        [&] { XelMathFourierTransform::ChebyshevApproximationX(nullptr, unit, n, 1e-6); }, 0x20009, {"ChebyshevApproximationX", " "});
  }
}

TEST(FourierTransform, ShortTransformsDoNotAllocateAndLongOnesDoNotLeak) {
  std::mt19937 gen(29);
  std::vector<double> x = RandomVector(gen, 40), out(40);
  XelMathFourierTransform::InitializeSinCosArray();
  const XelQuorMemoryCounters before = XelQuorGetMemoryCounters();
  for (long n = 2; n <= 16; n += 2) {
    XelMathFourierTransform::SlowCosineTransform2(x.data(), n, out.data());
    XelMathFourierTransform::CosineTransform2(x.data(), n, out.data());
    XelMathFourierTransform::FastFourierTransformReal(x.data(), n, out.data());
  }
  XelMathFourierTransform::CosineTransform2_2D(x.data(), 4, 8, out.data());
  EXPECT_EQ(XelQuorGetMemoryCounters().totalAllocations, before.totalAllocations);
  XelMathFourierTransform::SlowCosineTransform2(x.data(), 40, out.data());
  XelMathFourierTransform::CosineTransform2(x.data(), 40, x.data());
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, before.liveBlocks);
}

// ---- Chebyshev expansions of functions ---------------------------------------------------

namespace {

const ValuesX kExp([](double x) { return std::exp(x); });

// T_k((x - m) / r) by the three-term recurrence.
double Chebyshev(long iK, const XelMathInterval& iI, double x) {
  const double t = (x - 0.5 * (iI.low + iI.high)) / (0.5 * (iI.high - iI.low));
  double previous = 1.0, current = iK == 0 ? 1.0 : t;
  for (long j = 1; j < iK; j++) {
    const double next = 2.0 * t * current - previous;
    previous = current;
    current = next;
  }
  return current;
}

// I_k(x), the modified Bessel function of the first kind, by its power series
// sum_j (x/2)^(2j+k) / (j! (j+k)!), summed in long double.
long double BesselI(long k, long double x) {
  long double term = 1.0L;
  for (long i = 1; i <= k; i++)
    term *= (x / 2.0L) / i;
  long double sum = 0.0L;
  for (long j = 0; j < 60; j++) {
    sum += term;
    term *= (x / 2.0L) * (x / 2.0L) / ((j + 1.0L) * (j + 1.0L + k));
  }
  return sum;
}

// The Chebyshev series coefficients of exp on [a, b]: exp(m + r t) = e^m sum' 2 I_k(r) T_k(t).
long double ExpSeriesCoefficient(long k, const XelMathInterval& iI) {
  const long double m = 0.5L * (iI.low + iI.high), r = 0.5L * (iI.high - iI.low);
  return (k == 0 ? 1.0L : 2.0L) * std::exp(m) * BesselI(k, r);
}

// The n-point interpolation coefficients of exp: the series coefficients folded by
// aliasing at the nodes, c_k = a_k + sum_{j>=1} (-1)^j (a_{2jn-k} + a_{2jn+k})
// (a_{2jn} counted once for k = 0); three folds reach far below rounding.
double ExpInterpolationCoefficient(long k, long n, const XelMathInterval& iI) {
  long double c = ExpSeriesCoefficient(k, iI);
  for (long j = 1; j <= 3; j++) {
    long double alias = ExpSeriesCoefficient(2 * j * n - k, iI);
    if (k != 0)
      alias += ExpSeriesCoefficient(2 * j * n + k, iI);
    c += (j % 2 ? -1.0L : 1.0L) * alias;
  }
  return static_cast<double>(c);
}

} // namespace

TEST(ChebyshevExpansion, ScaledChebyshevPolynomialGivesASingleCoefficient) {
  const XelMathInterval intervals[3] = {XelMathInterval(-1.0, 1.0), XelMathInterval(2.0, 5.0),
                                        XelMathInterval(-3.0, 7.5)};
  const double v = -2.75;
  for (const XelMathInterval& interval : intervals)
    for (long n = 2; n <= 16; n += 2)
      for (long k = 0; k < n; k++) {
        const ValuesX tk([&](double x) { return v * Chebyshev(k, interval, x); });
        double c[16];
        XelMathFourierTransform::ChebyshevCoefficientsX(&tk, interval, n, c);
        // T_k at the nodes carries the rounding of the recurrence (about k eps).
        const double bound = 16.0 * (k + 1) * kEps * std::fabs(v);
        for (long j = 0; j < n; j++)
          EXPECT_NEAR(c[j], j == k ? v : 0.0, bound)
              << "n " << n << " k " << k << " j " << j << " on " << interval.low;
      }
}

TEST(ChebyshevExpansion, ExponentialGivesModifiedBesselCoefficients) {
  const XelMathInterval intervals[3] = {XelMathInterval(-1.0, 1.0), XelMathInterval(0.5, 2.0),
                                        XelMathInterval(-4.0, -1.0)};
  const XelQuorMemoryCounters before = XelQuorGetMemoryCounters();
  for (const XelMathInterval& interval : intervals)
    for (long n = 4; n <= 16; n += 2) {
      double c[16];
      XelMathFourierTransform::ChebyshevCoefficientsX(&kExp, interval, n, c);
      const double bound = 32.0 * kEps * std::exp(interval.high);
      for (long k = 0; k < n; k++)
        EXPECT_NEAR(c[k], ExpInterpolationCoefficient(k, n, interval), bound)
            << "n " << n << " k " << k << " on [" << interval.low << ", " << interval.high << "]";
    }
  EXPECT_EQ(XelQuorGetMemoryCounters().totalAllocations, before.totalAllocations); // no allocation
}

// The array comes from the memory services (their counters see it) and goes back to them.
TEST(ChebyshevExpansion, MemberCoefficientsInterpolateAtTheGivenCount) {
  const XelMathInterval interval(-1.0, 1.0);
  for (long n : {3L, 11L, 15L, 16L, 20L, 40L}) { // n + 1 nodes: odd and even counts
    const long live = LiveBlocks();
    double* c = kExp.ComputeChebyshevCoefficients(interval, n);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(LiveBlocks(), live + 1) << n;
    const double bound = 64.0 * kEps * std::exp(1.0);
    for (long k = 0; k <= n; k++)
      EXPECT_NEAR(c[k], ExpInterpolationCoefficient(k, n + 1, interval), bound) << n << " " << k;
    XelQuorArrayDoubleDel(c, n + 1);
    EXPECT_EQ(LiveBlocks(), live) << n;
  }
}

TEST(ChebyshevApproximation, CubicIsReproducedWithItsDegree) {
  const double coefficients[4] = {1.0, -2.0, 0.5, 3.0};
  const ValuesX cubic([&](double x) {
    return coefficients[0] + x * (coefficients[1] + x * (coefficients[2] + x * coefficients[3]));
  });
  const XelMathInterval interval(-2.0, 3.0);
  const double tol = 1e-10;
  const XelQuorMemoryCounters before = XelQuorGetMemoryCounters();
  XelMathPolynomX* p = XelMathFourierTransform::ChebyshevApproximationX(&cubic, interval, 8, tol);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetDegree(), 3);
  // Rounding of samples, transform and change of basis, relative to the largest value.
  const double maxValue = 80.5; // |cubic| on [-2, 3] peaks at x = 3
  const double bound = 256.0 * kEps * maxValue;
  for (long i = 0; i <= 200; i++) {
    const double x = interval.low + (interval.high - interval.low) * i / 200.0;
    EXPECT_NEAR(p->Eval(x), cubic.Eval(x), bound) << x;
  }
  double formal[4];
  p->GetFormalCoefficients(formal);
  for (long k = 0; k < 4; k++)
    EXPECT_NEAR(formal[k], coefficients[k], bound) << k;
  delete p;
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, before.liveBlocks);
}

TEST(ChebyshevApproximation, ExponentialIsWithinToleranceWithTheExpectedDegree) {
  const XelMathInterval intervals[3] = {XelMathInterval(0.0, 1.0), XelMathInterval(-3.0, 3.0),
                                        XelMathInterval(-10.0, -9.0)};
  const double tols[3] = {1e-12, 1e-7, 1e-14};
  for (long t = 0; t < 3; t++) {
    const XelMathInterval& interval = intervals[t];
    const double tol = tols[t];
    XelMathPolynomX* p = XelMathFourierTransform::ChebyshevApproximationX(&kExp, interval, 16, tol);
    ASSERT_NE(p, nullptr) << t;
    // The degree is the last index whose series coefficient reaches 0.1 tol.
    long expected = 15;
    while (expected >= 1 &&
           std::fabs(static_cast<double>(ExpSeriesCoefficient(expected, interval))) < 0.1 * tol)
      expected--;
    EXPECT_EQ(p->GetDegree(), expected) << t;
    for (long i = 0; i <= 1000; i++) {
      const double x = interval.low + (interval.high - interval.low) * i / 1000.0;
      EXPECT_NEAR(p->Eval(x), std::exp(x), tol) << t << " at " << x;
    }
    // The member operation is the same approximation.
    XelMathPolynomX* q = kExp.ChebyshevApproximation(interval, 16, tol);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->GetDegree(), p->GetDegree());
    EXPECT_EQ(q->Eval(interval.low), p->Eval(interval.low));
    delete q;
    delete p;
  }
}

TEST(ChebyshevApproximation, UnconvergedSeriesGivesNullAndAPointIntervalTheConstant) {
  const XelQuorMemoryCounters before = XelQuorGetMemoryCounters();
  // On [-3, 3] the coefficients 2 I_6(3) + 2 I_7(3) are about 5e-2.
  EXPECT_EQ(
      XelMathFourierTransform::ChebyshevApproximationX(&kExp, XelMathInterval(-3.0, 3.0), 8, 1e-6),
      nullptr);
  // A tolerance that is not positive can never be met.
  EXPECT_EQ(
      XelMathFourierTransform::ChebyshevApproximationX(&kExp, XelMathInterval(0.0, 1.0), 16, 0.0),
      nullptr);
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, before.liveBlocks);
  XelMathPolynomX* p =
      XelMathFourierTransform::ChebyshevApproximationX(&kExp, XelMathInterval(2.0, 2.0), 8, 1e-12);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetDegree(), 0);
  EXPECT_NEAR(p->Eval(2.0), std::exp(2.0), 16 * kEps * std::exp(2.0));
  delete p;
}

TEST(ChebyshevApproximation, ResultIsWithinToleranceWhereTheLastCoefficientsMislead) {
  // |x| is even: its odd coefficients vanish and, for n = 16, |c14| + |c15| = 0.0025 passes half
  // the tolerance 1e-2 while the interpolant is 0.063 off at 0 (n = 8 and 1e-1: 0.11 off). Such
  // a series is not converged; an approximation returned is within the tolerance everywhere.
  struct Case {
    const char* name;
    ValuesX::Formula f;
    long n;
    double tol;
    bool null;
  };
  const ValuesX::Formula absolute = [](double x) { return std::fabs(x); };
  const Case cases[] = {
      {"|x|", absolute, 16, 1e-2, true},
      {"|x|", absolute, 8, 1e-1, true},
      {"|x|", absolute, 16, 1e-1, false},
      {"x|x|", [](double x) { return x * std::fabs(x); }, 16, 1e-2, false},
      {"cos", [](double x) { return std::cos(x); }, 8, 1e-4, false},
  };
  const XelMathInterval unit(-1.0, 1.0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.name << " n " << c.n << " tol " << c.tol);
    const ValuesX f(c.f);
    XelMathPolynomX* p = XelMathFourierTransform::ChebyshevApproximationX(&f, unit, c.n, c.tol);
    EXPECT_EQ(p == nullptr, c.null);
    for (long i = 0; p && i <= 1000; i++) {
      const double x = -1.0 + i / 500.0;
      EXPECT_NEAR(p->Eval(x), c.f(x), c.tol) << x;
    }
    delete p;
  }
}
