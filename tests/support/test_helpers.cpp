#include "test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "XelMathFunctionX.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

namespace xeltest {

XelMathInterval IAdd(const XelMathInterval& a, const XelMathInterval& b) {
  return XelMathInterval(a.low + b.low, a.high + b.high);
}

XelMathInterval IMul(const XelMathInterval& a, const XelMathInterval& b) {
  const double p[4] = {a.low * b.low, a.low * b.high, a.high * b.low, a.high * b.high};
  return XelMathInterval(*std::min_element(p, p + 4), *std::max_element(p, p + 4));
}

XelMathInterval IScale(double c, const XelMathInterval& a) {
  return c >= 0.0 ? XelMathInterval(c * a.low, c * a.high) : XelMathInterval(c * a.high, c * a.low);
}

XelMathInterval ISquare(const XelMathInterval& a) {
  return IPower(a, 2);
}

XelMathInterval IPower(const XelMathInterval& a, int m) {
  XelMathInterval r(1.0, 1.0);
  for (int i = 0; i < m; ++i)
    r = IMul(r, a);
  if (m % 2 == 0 && m > 0 && a.low < 0.0 && a.high > 0.0)
    r.low = 0.0;
  return r;
}

XelMathInterval IExp(const XelMathInterval& a) {
  return XelMathInterval(std::exp(a.low), std::exp(a.high));
}

XelMathInterval ISin(double lo, double hi) {
  if (hi - lo >= 2.0 * kPi)
    return XelMathInterval(-1.0, 1.0);
  XelMathInterval r(std::min(std::sin(lo), std::sin(hi)), std::max(std::sin(lo), std::sin(hi)));
  if (std::floor((hi - 0.5 * kPi) / (2 * kPi)) >= std::ceil((lo - 0.5 * kPi) / (2 * kPi)))
    r.high = 1.0;
  if (std::floor((hi + 0.5 * kPi) / (2 * kPi)) >= std::ceil((lo + 0.5 * kPi) / (2 * kPi)))
    r.low = -1.0;
  return r;
}

std::vector<double> PointsOf(const XelMathSetOfPointsND& iSet) {
  return std::vector<double>(iSet.GetPoints(), iSet.GetPoints() + iSet.GetNumberOfPoints());
}

std::vector<double> SortedPoints(const XelMathSetOfPointsND& iSet) {
  std::vector<double> r = PointsOf(iSet);
  std::sort(r.begin(), r.end());
  return r;
}

void ExpectSameRoots(const std::vector<double>& iFound, const std::vector<double>& iTrue,
                     const std::vector<double>& iTol) {
  std::vector<int> hits(iTrue.size(), 0);
  for (double x : iFound) {
    ASSERT_FALSE(iTrue.empty()) << "root " << x << " found where there is none";
    std::size_t best = 0;
    for (std::size_t i = 1; i < iTrue.size(); ++i)
      if (std::fabs(x - iTrue[i]) < std::fabs(x - iTrue[best]))
        best = i;
    EXPECT_LE(std::fabs(x - iTrue[best]), iTol[best])
        << "root " << x << " is not within tolerance of " << iTrue[best];
    ++hits[best];
  }
  for (std::size_t i = 0; i < iTrue.size(); ++i)
    EXPECT_EQ(hits[i], 1) << "true root " << iTrue[i] << " found " << hits[i] << " times";
}

void ExpectSameRoots(const std::vector<double>& iFound, const std::vector<double>& iTrue,
                     double iTol) {
  ExpectSameRoots(iFound, iTrue, std::vector<double>(iTrue.size(), iTol));
}

std::vector<long double> ExpandRootsLong(const std::vector<double>& iRoots, double iLead,
                                         double iShift) {
  std::vector<long double> c(1, static_cast<long double>(iLead));
  for (double r : iRoots) {
    std::vector<long double> n(c.size() + 1, 0.0L);
    for (std::size_t j = 0; j < c.size(); ++j) {
      n[j + 1] += c[j];
      n[j] -= c[j] * (static_cast<long double>(r) - iShift);
    }
    c = n;
  }
  return c;
}

std::vector<double> ChebyshevCoefficients(const int iN) {
  std::vector<double> t0 = {1.0}, t1 = {0.0, 1.0};
  if (iN == 0)
    return t0;
  for (int n = 2; n <= iN; ++n) {
    std::vector<double> t2(n + 1, 0.0);
    for (int k = 0; k <= n; ++k)
      t2[k] = (k > 0 ? 2.0 * t1[k - 1] : 0.0) - (k < n - 1 ? t0[k] : 0.0);
    t0 = t1;
    t1 = t2;
  }
  return t1;
}

std::vector<double> ExpandRoots(const std::vector<double>& iRoots, double iLead, double iShift) {
  const std::vector<long double> c = ExpandRootsLong(iRoots, iLead, iShift);
  return std::vector<double>(c.begin(), c.end());
}

void MultiplyByComplexPair(std::vector<long double>& ioC, long double a, long double b) {
  std::vector<long double> n(ioC.size() + 2, 0.0L);
  for (std::size_t j = 0; j < ioC.size(); ++j) {
    n[j + 2] += ioC[j];
    n[j + 1] -= 2 * a * ioC[j];
    n[j] += (a * a + b * b) * ioC[j];
  }
  ioC = n;
}

std::vector<double> RandomSeparatedRoots(std::mt19937& ioGenerator, int iCount, double iGap) {
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::vector<double> roots;
  while (static_cast<int>(roots.size()) < iCount) {
    const double r = uniform(ioGenerator);
    bool apart = true;
    for (double s : roots)
      apart = apart && std::fabs(r - s) > iGap;
    if (apart)
      roots.push_back(r);
  }
  return roots;
}

const XelTolerance& DefaultTol() {
  return XelGetDefaultTolerance();
}

XelMathPolynomX* Poly(std::initializer_list<double> c, double s) {
  const std::vector<double> v(c);
  return new XelMathPolynomX(long(v.size()) - 1, v.data(), s);
}

double DerivAt(const XelMathFunctionX& f, int k, double x) {
  return k == 0 ? f.Eval(x)
                : k == 1 ? f.EvalFirstDeriv(x) : k == 2 ? f.EvalSecondDeriv(x) : f.EvalThirdDeriv(x);
}

XelMathInterval DerivImage(const XelMathFunctionX& f, int k, const XelMathInterval& I) {
  return k == 0 ? f.Eval(I)
                : k == 1 ? f.EvalFirstDeriv(I) : k == 2 ? f.EvalSecondDeriv(I) : f.EvalThirdDeriv(I);
}

void ExpectImagesEnclose(const XelMathFunctionX& f, const XelMathInterval& I, int iMaxOrder,
                         double iRel) {
  XelMathInterval m[3];
  f.Eval(I, 112, &m[0], &m[1], &m[2]);
  const int n = 400;
  for (int k = 0; k <= iMaxOrder; ++k) {
    const XelMathInterval image = DerivImage(f, k, I);
    for (int s = 0; s <= n; ++s) {
      const double x = s == n ? I.high : I.low + (I.high - I.low) * s / n;
      const double v = DerivAt(f, k, x), slack = iRel * (1.0 + std::fabs(v));
      ASSERT_TRUE(v >= image.low - slack && v <= image.high + slack)
          << f.IsA() << " order " << k << " on [" << I.low << ", " << I.high << "] misses " << v
          << " at " << x;
      if (k < 3) {
        ASSERT_TRUE(v >= m[k].low - slack && v <= m[k].high + slack)
            << f.IsA() << " multi-output order " << k << " at " << x;
      }
    }
  }
}

long LiveBlocks() {
  return XelQuorGetMemoryCounters().liveBlocks;
}

} // namespace xeltest
