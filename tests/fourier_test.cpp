#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "XelMathFourierTransform.h"
#include "XelMathInputError.h"
#include "XelMathInterval.h"
#include "XelQuorMemory.h"

namespace {

const double kEps = std::numeric_limits<double>::epsilon();
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

// Expects iCall to raise 0x20009 with the texts iName and " ".
template <class Call> void ExpectForbidden(Call iCall, const char* iName) {
  try {
    iCall();
    ADD_FAILURE() << "no error raised for " << iName;
  } catch (const XelMathInputError& error) {
    EXPECT_EQ(error.GetCode(), 0x20009);
    EXPECT_STREQ(error.GetParameter(0), iName);
    EXPECT_STREQ(error.GetParameter(1), " ");
  }
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

TEST(FourierTransform, EqualValuesGiveOnlyTheMeanTerm) {
  const double v = 0.37;
  for (long n = 2; n <= 24; n += 2) {
    std::vector<double> x(n, v), slow(n), fast(n);
    XelMathFourierTransform::SlowCosineTransform2(x.data(), n, slow.data());
    XelMathFourierTransform::CosineTransform2(x.data(), n, fast.data());
    const double bound = TransformBound(x);
    EXPECT_NEAR(slow[0], n * v, bound);
    EXPECT_NEAR(fast[0], n * v, bound);
    for (long j = 1; j < n; j++) {
      EXPECT_NEAR(slow[j], 0.0, bound) << n << " " << j;
      EXPECT_NEAR(fast[j], 0.0, bound) << n << " " << j;
    }
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
  ExpectForbidden([&] { XelMathFourierTransform::SlowCosineTransform2(x, 7, out); },
                  "SlowCosineTransform2");
  ExpectForbidden([&] { XelMathFourierTransform::SlowCosineTransform2(x, 8, x); },
                  "SlowCosineTransform2");
  ExpectForbidden([&] { XelMathFourierTransform::CosineTransform2(x, 5, out); },
                  "CosineTransform2");
  ExpectForbidden([&] { XelMathFourierTransform::CosineTransform2_2D(x, 4, 3, out); },
                  "CosineTransform2_2D");
  const XelMathInterval unit(-1.0, 1.0);
  for (long n : {18L, 7L, 0L, -2L}) {
    ExpectForbidden([&] { XelMathFourierTransform::ChebyshevCoefficientsX(nullptr, unit, n, out); },
                    "ChebyshevCoefficientsX");
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
