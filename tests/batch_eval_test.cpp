// Batches of points (EvalPoints) against the point operation, for every class that has its
// own batch: same values bit for bit (NaN where the point operation gives NaN), outputs not
// asked for and entries past the batch untouched, across chunk and block boundaries.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "XelMathArctanCosX.h"
#include "XelMathCombinationX.h"
#include "XelMathCompositionXByX.h"
#include "XelMathCubicX.h"
#include "XelMathDefinitionMemoryX.h"
#include "XelMathDerivFunctionX.h"
#include "XelMathFractionX.h"
#include "XelMathHyperbolicX.h"
#include "XelMathLinearX.h"
#include "XelMathOppositeX.h"
#include "XelMathPeriodicX.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPolynomX.h"
#include "XelMathProdX.h"
#include "XelMathQuinticX.h"
#include "XelMathScaleFunctionX.h"
#include "XelMathSquareDistXs.h"
#include "XelMathSumSquareX.h"
#include "XelMathTrigonometricX.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;

bool Same(double a, double b) {
  return (a != a && b != b) || (a == b && std::signbit(a) == std::signbit(b));
}

TEST(BatchEvaluation, EveryClassMatchesItsPointOperation) {
  std::vector<std::unique_ptr<XelMathFunctionX>> own;
  auto keep = [&own](XelMathFunctionX* f) {
    own.emplace_back(f);
    return f;
  };
  // Leaves: polynomials of every kernel degree (plain Horner, two chains, overflow), the
  // fixed-degree classes and the elementary functions.
  std::vector<const XelMathFunctionX*> fs;
  for (long d = -1; d <= 13; ++d) {
    std::vector<double> c(d + 1);
    for (long k = 0; k <= d; ++k)
      c[k] = std::sin(1.3 * k + d) * (k % 3 == 1 ? -1.0 : 1.0);
    fs.push_back(keep(new XelMathPolynomX(d, d >= 0 ? c.data() : nullptr, 0.3)));
  }
  const double c6[6] = {1.0, -2.0, 0.5, 3.0, -1.5, 0.25},
               big[8] = {1, 1e300, -1e300, 1e300, -1e300, 1e300, -1e300, 1e300};
  fs.push_back(keep(new XelMathPolynomX(7, big, 0.0)));
  fs.push_back(keep(new XelMathLinearX(2.0, -1.0)));
  fs.push_back(keep(new XelMathCubicX(c6)));
  const XelMathFunctionX* q = keep(new XelMathQuinticX(c6, 0.7));
  const XelMathFunctionX* w = keep(new XelMathTrigonometricX(1.0, -0.5, 0.2, 3.0, DefaultTol()));
  const XelMathFunctionX* p2 = keep(Poly({2.0, 0.0, 1.0}));
  const XelMathFunctionX* p3 = keep(Poly({0.5, -1.0, 0.0, 2.0}, -0.2));
  fs.insert(fs.end(), {q, w, keep(new XelMathArctanCosX(1.5, 2.0, 0.8, 0.3, -0.1)),
                       keep(new XelMathHyperbolicX(0.5, -2.0, 1.0, 1.3)),
                       keep(new XelMathFractionX(p3, p2, DefaultTol())),
                       keep(new XelMathPeriodicX(p3, 1.5, -0.25))});
  const double borders[4] = {-1.0, 0.0, 0.5, 2.0};
  const XelMathFunctionX* pieces[3] = {p3, q, p3};
  fs.push_back(keep(new XelMathPiecewiseX(3, borders, pieces)));
  // Composites, nested ones and ones with a null component.
  const XelMathFunctionX* parts[4] = {p3, w, q, p2};
  const double weights[4] = {1.5, -0.25, 2.0, 0.5}, target[2] = {1.0, -2.0};
  const XelMathFunctionX* comb = keep(new XelMathCombinationX(4, parts, weights, 0.5));
  const XelMathFunctionX* prod = keep(new XelMathProdX(w, p3));
  const XelMathFunctionX* nested[2] = {keep(new XelMathOppositeX(prod)),
                                       keep(new XelMathScaleFunctionX(comb, -0.7, 1.3))};
  const XelMathFunctionX* withNull[2] = {p3, nullptr};
  const XelMathFunctionX* plain[4] = {fs[7], p2, fs[12], fs[15]}; // degrees 6, 2, 11, 7 (huge)
  const XelMathFunctionX* derivs[2] = {keep(new XelMathDerivFunctionX(fs[5])), // degree 4
                                       keep(new XelMathDerivFunctionX(q))};
  fs.insert(
      fs.end(),
      {comb, prod, keep(new XelMathProdX(q, q)), nested[0], nested[1],
       keep(new XelMathCompositionXByX(w, p3)), keep(new XelMathDerivFunctionX(q)),
       keep(new XelMathDerivFunctionX(w)), keep(new XelMathSumSquareX(2, parts)),
       keep(new XelMathSquareDistXs(2, parts, target, 0.5)),
       keep(new XelMathSquareDistXs(2, derivs, target, 0.5)),
       keep(new XelMathDefinitionMemoryX(comb, XelMathInterval(-1.0, 1.0))),
       keep(new XelMathCompositionXByX(keep(new XelMathFractionX(nested[1], p2, DefaultTol())),
                                       keep(new XelMathCombinationX(2, nested, weights, -1.0)))),
       keep(new XelMathCombinationX(2, withNull, weights, 0.0)),
       keep(new XelMathCombinationX(3, plain, weights, 0.5)),
       keep(new XelMathCombinationX(4, plain, weights, -1.0)),
       keep(new XelMathCompositionXByX(w, nullptr))});
  // More components than one group of the combination's sums.
  const XelMathFunctionX* many[6] = {w, p3, q, prod, p2, w};
  const double manyWeights[6] = {1.5, -0.25, 2.0, 0.5, -1.0, 0.75};
  fs.push_back(keep(new XelMathCombinationX(6, many, manyWeights, 0.25)));

  const double sentinel = -123.25;
  for (const long n : {0L, 1L, 7L, 8L, 9L, 63L, 64L, 65L, 200L}) {
    std::vector<double> x(n);
    for (long i = 0; i < n; ++i)
      x[i] = 2.5 * std::sin(0.37 * i + 0.1);
    if (n > 60) {
      x[5] = kNaN;
      x[17] = kInf;
      x[40] = -kInf;
      x[62] = 0.5; // a border of the piecewise function
    }
    // Each output set on its own, the usual pairs, and a null array for an asked output.
    for (const long o : {1L, 2L, 4L, 3L, 5L, 6L, 7L, 8L}) {
      for (const bool dropFirst : {false, true}) {
        if (dropFirst && o != 7)
          continue;
        for (size_t k = 0; k < fs.size(); ++k) {
          SCOPED_TRACE(std::string(fs[k]->IsA()) + " #" + std::to_string(k) + " n " +
                       std::to_string(n) + " options " + std::to_string(o));
          std::vector<double> out[3] = {std::vector<double>(n + 1, sentinel),
                                        std::vector<double>(n + 1, sentinel),
                                        std::vector<double>(n + 1, sentinel)};
          fs[k]->EvalPoints(n, x.data(), o, out[0].data(), dropFirst ? nullptr : out[1].data(),
                            out[2].data());
          for (long i = 0; i < n; ++i) {
            double ref[3] = {sentinel, sentinel, sentinel};
            fs[k]->Eval(x[i], o, &ref[0], dropFirst ? nullptr : &ref[1], &ref[2]);
            for (int m = 0; m < 3; ++m)
              ASSERT_TRUE(Same(out[m][i], ref[m]))
                  << "output " << m << " at x = " << x[i] << ": " << out[m][i] << " vs " << ref[m];
          }
          for (int m = 0; m < 3; ++m)
            ASSERT_EQ(out[m][n], sentinel);
          // In place: the one output asked for overwrites the abscissas.
          if (o == 1 || o == 2 || o == 4) {
            std::vector<double> y = x;
            const int m = o == 1 ? 0 : o == 2 ? 1 : 2;
            fs[k]->EvalPoints(n, y.data(), o, m == 0 ? y.data() : nullptr,
                              m == 1 ? y.data() : nullptr, m == 2 ? y.data() : nullptr);
            for (long i = 0; i < n; ++i)
              ASSERT_TRUE(Same(y[i], out[m][i])) << "in place, at x = " << x[i];
          }
        }
      }
    }
  }
  // Misuse: null abscissas raise before any class's batch runs; no count, nothing to read.
  for (const XelMathFunctionX* f : fs) {
    double out[3] = {sentinel, sentinel, sentinel};
    ExpectInputError([&] { f->EvalPoints(3, nullptr, 1, out, nullptr, nullptr); }, 0x20006,
                     {"the abscissas", "null", "XelMathFunctionX::EvalPoints"});
    f->EvalPoints(-5, nullptr, 7, out, out, out);
    ASSERT_EQ(out[0], sentinel);
  }
}

} // namespace
