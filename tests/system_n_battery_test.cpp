// The N-variable system solver on published polynomial systems whose real solutions in the
// box are known (tests/support/system_n_references.h, computed outside the library): every
// solution found, none twice, none false, and the search complete (status 0), with equation 0
// sampled alone on the grid (the default) and with the whole system at every node.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathIntervalND.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystem.h"
#include "system_n_problems.h"
#include "test_helpers.h"

using namespace xeltest;
using xelsystemsn::Problem;

namespace {
class ProblemSystem : public XelMathSystem {
public:
  explicit ProblemSystem(const Problem& p) : XelMathSystem(p.n, DefaultTol()), _p(p) {}
  using XelMathSystem::Eval;
  void Eval(const double* x, double* oF) const override { _p.f(x, oF); }
  void EvalJacobian(const double* x, double* oJ) const override { _p.jac(x, oJ); }

private:
  const Problem& _p;
};
} // namespace

class SystemNBattery : public ::testing::TestWithParam<std::tuple<std::string, bool>> {};

TEST_P(SystemNBattery, EverySolutionOnceAndNoneFalse) {
  for (const Problem& p : xelsystemsn::Problems()) {
    if (p.name != std::get<0>(GetParam()))
      continue;
    // The exact Jacobian of the table agrees with centred differences.
    std::vector<double> x(p.n), f1(p.n), f2(p.n), J(p.n * p.n);
    for (long k = 0; k < p.n; ++k)
      x[k] = p.box[2 * k] + (0.3 + 0.05 * k) * (p.box[2 * k + 1] - p.box[2 * k]);
    p.jac(x.data(), J.data());
    for (long j = 0; j < p.n; ++j) {
      const double h = 1e-6 * (1 + std::fabs(x[j]));
      x[j] += h, p.f(x.data(), f1.data()), x[j] -= 2 * h, p.f(x.data(), f2.data()), x[j] += h;
      for (long i = 0; i < p.n; ++i)
        ASSERT_NEAR(J[i * p.n + j], (f1[i] - f2[i]) / (2 * h),
                    1e-5 * (1 + std::fabs(J[i * p.n + j])));
    }
    ProblemSystem system(p);
    XelMathSetOfPointsND out(p.n);
    XelMathAttrString whole(AttrSystemWholeSystemSampling, 1);
    XelMathAttrList attrs;
    if (std::get<1>(GetParam()))
      attrs.AddAttribute(&whole);
    EXPECT_EQ(system.Solve(XelMathIntervalND(p.n, p.box.data()), out, &attrs), 0);
    const double* pts = out.GetPoints();
    const long found = out.GetNumberOfPoints();
    auto near = [&](long m, const std::vector<double>& t) {
      for (long k = 0; k < p.n; ++k)
        if (std::fabs(pts[m * p.n + k] - t[k]) > 1e-7 * (p.box[2 * k + 1] - p.box[2 * k]))
          return false;
      return true;
    };
    for (const auto& t : p.truth) {
      long hits = 0;
      for (long m = 0; m < found; ++m)
        hits += near(m, t);
      EXPECT_EQ(hits, 1) << "solution starting " << t[0] << ", " << t[1];
    }
    for (long m = 0; m < found; ++m)
      EXPECT_TRUE(
          std::any_of(p.truth.begin(), p.truth.end(), [&](const auto& t) { return near(m, t); }))
          << "false solution starting " << pts[m * p.n] << ", " << pts[m * p.n + 1];
  }
}

INSTANTIATE_TEST_SUITE_P(Solved, SystemNBattery,
                         ::testing::Combine(::testing::Values("cyclohexane", "Katsura-3",
                                                              "Brown almost-linear (5)",
                                                              "Broyden tridiagonal (6)"),
                                            ::testing::Bool()));
// The kinematics system (N = 8) with the default 6^8 grid of equation 0 takes seconds: it is
// solved here with the whole system sampled on its coarse default grid only.
INSTANTIATE_TEST_SUITE_P(SolvedWholeSystem, SystemNBattery,
                         ::testing::Combine(::testing::Values("6R kinematics (16 real)"),
                                            ::testing::Values(true)));
