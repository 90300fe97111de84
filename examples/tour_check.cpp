// Tour section: checking a function class and a system class written by the caller.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "XelMathCheckFunctionX.h"
#include "XelMathCheckSystemXY.h"
#include "XelMathFunctionX.h"
#include "XelMathSystemXY.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"
#include "tour_sections.h"

namespace {
// The caller's profile f(x) = sqrt(1 + x^2). The first derivative has a slip: x / (1 + x^2)
// where x / sqrt(1 + x^2) was meant; `fixed` corrects it.
class Profile : public XelMathFunctionX {
public:
  explicit Profile(bool iFixed) : fixed(iFixed) {}
  const char* IsA() const override { return "Profile"; }
  unsigned char IsAKindOf(const char* iName) const override {
    return (iName && !std::strcmp(iName, "Profile")) || XelMathFunctionX::IsAKindOf(iName);
  }
  unsigned char IsOption(const long iOption) const override { return iOption == 2; }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  double Eval(const double& x) const override { return std::sqrt(1.0 + x * x); }
  double EvalFirstDeriv(const double& x) const override {
    return fixed ? x / std::sqrt(1.0 + x * x) : x / (1.0 + x * x);
  }
  XelMathFunctionX* Duplicate() const override { return new Profile(fixed); }
  bool fixed;
};

// The caller's system: the unit circle F = x^2 + y^2 - 1 and the line G = x - 2y, with a
// wrong sign in dG/dy.
class CircleAndLine : public XelMathSystemXY {
public:
  CircleAndLine() : XelMathSystemXY(XelGetDefaultTolerance()) {}
  const char* IsA() const override { return "CircleAndLine"; }
  using XelMathSystemXY::EvalF;
  using XelMathSystemXY::EvalG;
  double EvalF(const double& x, const double& y) const override { return x * x + y * y - 1.0; }
  double EvalG(const double& x, const double& y) const override { return x - 2.0 * y; }
  double EvalFirstDerivFX(const double& x, const double&) const override { return 2.0 * x; }
  double EvalFirstDerivFY(const double&, const double& y) const override { return 2.0 * y; }
  double EvalFirstDerivGX(const double&, const double&) const override { return 1.0; }
  double EvalFirstDerivGY(const double&, const double&) const override { return 2.0; }
};
} // namespace

void TourSelfChecks() {
  std::printf("\n== Self-checks of caller-written classes ==\n");
  // Every check of a one-variable function at once: derivatives against differences,
  // multi-output, interval and grid evaluations, copies. 0 means all passed.
  const XelMathInterval I(-2.0, 3.0);
  const Profile slip(false), fixed(true);
  std::printf("profile with the slip in f': code %ld (10: first derivative)\n",
              XelMathCheckFunctionX(&slip, 1e-10).CheckAll(0.5, I, 20));
  std::printf("profile corrected:           code %ld\n",
              XelMathCheckFunctionX(&fixed, 1e-10).CheckAll(0.5, I, 20));

  // The system checker writes what it finds to the kernel's error trace stream; here the
  // stream is sent to standard output.
  const CircleAndLine system;
  XelQuorOutput::GetErr().Redirect(&std::cout);
  const long code =
      XelMathCheckSystemXY(&system, XelMathInterval2D(-1.5, 1.5, -1.5, 1.5), 1e-10).CheckAll();
  XelQuorOutput::GetErr().Redirect(nullptr);
  std::printf("circle and line: code %ld (13: dG/dy)\n", code);
}
