// Helpers shared by the tests of two-variable functions: a closed-form test function with exact
// derivatives to the third order and interval images, a function known by closures, the ten
// derivatives by their own operations and by the one-pass forms, seven-point difference
// references and a dense-sample check of interval images.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "XelMathFunctionXY.h"
#include "test_helpers.h"

namespace xeltest {

using Fn2 = std::function<double(double, double)>;

// Orders (in x, in y) of f, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy.
extern const int kOrdersXY[10][2];
// Output k of that list by its own operation.
double DerivXY(const XelMathFunctionXY& f, int k, double x, double y);
// The ten outputs by three routes: o[0] one operation each, o[1] the masked evaluation and
// EvalAllThirdDerivs, o[2] EvalUpToThirdDeriv.
void RoutesXY(const XelMathFunctionXY& f, double x, double y, double o[3][10]);
// d^(a+b) g / dx^a dy^b by tensor products of seven-point centred stencils of step h (orders
// 1 and 2 to h^6, order 3 to h^4); order 0 is g itself.
double StencilXY(const Fn2& g, int a, int b, double x, double y, double h = 0.01);

// kind 0: exp(x) sin(y) + x^2 y + c; kind 1: x - y^2 + c; kind 2: sin(x + 2y) + c.
// Derivative (a, b), a + b <= 3, and its image over I x J by interval arithmetic, a + b <= 2.
double ClosedD(int kind, double c, int a, int b, double x, double y);
XelMathInterval ClosedDI(int kind, double c, int a, int b, const XelMathInterval& I,
                         const XelMathInterval& J);

extern long gLiveXY; // ClosedXY objects alive

// ClosedD with every exact point derivative and image, offering the options in `offered`,
// counting its point evaluations (one per call, the masked one included) and interval ones.
class ClosedXY : public XelMathFunctionXY {
public:
  explicit ClosedXY(int kind = 0, double c = 0.0) : _kind(kind), _c(c) { ++gLiveXY; }
  ClosedXY(const ClosedXY& o)
      : XelMathFunctionXY(o), loose(o.loose), offered(o.offered), _kind(o._kind), _c(o._c) {
    ++gLiveXY;
  }
  ~ClosedXY() override { --gLiveXY; }
  const char* IsA() const override { return "ClosedXY"; }
  unsigned char IsOption(const long o) const override { return (o & ~offered) == 0; }
  XelMathFunctionXY* Duplicate() const override { return new ClosedXY(*this); }
  XelMathFunctionXY* DeepDuplicate() const override { return Duplicate(); }
  double D(int a, int b, double x, double y) const { return ClosedD(_kind, _c, a, b, x, y); }
  XelMathInterval DI(int a, int b, const XelMathInterval& I, const XelMathInterval& J) const {
    return ClosedDI(_kind, _c, a, b, I, J);
  }
  using XelMathFunctionXY::Eval;
#define XEL_D(Name, a, b)                                                                          \
  double Name(const double& x, const double& y) const override {                                   \
    return ++pointCalls, D(a, b, x, y);                                                            \
  }
  XEL_D(Eval, 0, 0)
  XEL_D(EvalFirstDerivX, 1, 0)
  XEL_D(EvalFirstDerivY, 0, 1)
  XEL_D(EvalSecondDerivX2, 2, 0)
  XEL_D(EvalSecondDerivXY, 1, 1)
  XEL_D(EvalSecondDerivY2, 0, 2)
  XEL_D(EvalThirdDerivX3, 3, 0)
  XEL_D(EvalThirdDerivX2Y, 2, 1)
  XEL_D(EvalThirdDerivXY2, 1, 2)
  XEL_D(EvalThirdDerivY3, 0, 3)
#undef XEL_D
  void Eval(const double& x, const double& y, const long m, double* f, double* fx, double* fy,
            double* fxx, double* fxy, double* fyy) const override;
  XelMathInterval Eval(const XelMathInterval& I, const XelMathInterval& J,
                       const XelTolerance&) const override;
#define XEL_DI(Name, a, b)                                                                         \
  XelMathInterval Name(const XelMathInterval& I, const XelMathInterval& J) const override {        \
    return ++intervalCalls, DI(a, b, I, J);                                                        \
  }
  XEL_DI(EvalFirstDerivX, 1, 0)
  XEL_DI(EvalFirstDerivY, 0, 1)
  XEL_DI(EvalSecondDerivX2, 2, 0)
  XEL_DI(EvalSecondDerivXY, 1, 1)
  XEL_DI(EvalSecondDerivY2, 0, 2)
#undef XEL_DI
  double loose = 0; // widening of the value image, in proportion to the box
  long offered = 127;
  mutable long pointCalls = 0, intervalCalls = 0, valueImageCalls = 0;

private:
  int _kind;
  double _c;
};

// A function known by closures: its value and optionally exact first derivatives (then it
// offers option 2); everything else is the base's default.
class FnXY : public XelMathFunctionXY {
public:
  explicit FnXY(Fn2 f) : _f(std::move(f)) {}
  FnXY(Fn2 f, Fn2 fx, Fn2 fy) : _f(std::move(f)), _fx(std::move(fx)), _fy(std::move(fy)) {}
  const char* IsA() const override { return "FnXY"; }
  unsigned char IsOption(const long o) const override { return o == 2 && _fx; }
  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  double Eval(const double& x, const double& y) const override { return _f(x, y); }
  double EvalFirstDerivX(const double& x, const double& y) const override {
    return _fx ? _fx(x, y) : XelMathFunctionXY::EvalFirstDerivX(x, y);
  }
  double EvalFirstDerivY(const double& x, const double& y) const override {
    return _fy ? _fy(x, y) : XelMathFunctionXY::EvalFirstDerivY(x, y);
  }

private:
  Fn2 _f, _fx, _fy;
};

// Every sample of g on an (n+1) x (n+1) grid of I x J lies in K up to r (1 + |v|); returns the
// samples' range.
XelMathInterval ExpectEnclosesXY(const Fn2& g, const XelMathInterval& I, const XelMathInterval& J,
                                 const XelMathInterval& K, const std::string& what, int n = 20,
                                 double r = 1e-13);
// The images of f over I x J (value, masked and optimal; the derivative groups the function
// offers, one by one and masked) enclose f's own point evaluations on a 21 x 21 grid, up to
// r (1 + |v|); they are finite and narrower than 1e6.
void ExpectImagesEncloseXY(const XelMathFunctionXY& f, const XelMathInterval& I,
                           const XelMathInterval& J, double r = 1e-9);

} // namespace xeltest
