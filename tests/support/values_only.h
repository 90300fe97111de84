// Functions known only by their values: one-variable ones that override their name, their value
// and their copy, so that derivatives, interval images and searches are the library's defaults
// (they count their evaluations, record their points when asked and raise at a given
// evaluation); N-variable ones whose exact gradient and Hessian are optional.
#pragma once

#include <cstring>
#include <functional>
#include <stdexcept>
#include <vector>

#include "XelMathFunctionRN.h"
#include "XelMathFunctionX.h"

namespace xeltest {

class ValuesX : public XelMathFunctionX {
public:
  typedef std::function<double(double)> Formula;
  explicit ValuesX(Formula iF) : _f(std::move(iF)) {}
  const char* IsA() const override { return "ValuesX"; }
  unsigned char IsAKindOf(const char* iName) const override {
    return (iName && std::strcmp(iName, "ValuesX") == 0) || XelMathFunctionX::IsAKindOf(iName);
  }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override {
    if (++count == failAt)
      throw std::runtime_error("evaluation failed");
    if (record)
      points.push_back(x);
    return _f(x);
  }
  XelMathFunctionX* Duplicate() const override { return new ValuesX(_f); }

  mutable long count = 0;
  long failAt = -1;
  bool record = false;
  mutable std::vector<double> points;

private:
  Formula _f;
};

class ValuesRN : public XelMathFunctionRN {
public:
  typedef std::function<double(const double*)> Value;
  typedef std::function<double(long, const double*)> Gradient;
  typedef std::function<double(long, long, const double*)> Hessian;
  ValuesRN(long n, Value iF, Gradient iG = Gradient(), Hessian iH = Hessian())
      : XelMathFunctionRN(n), _f(iF), _g(iG), _h(iH) {}
  const char* IsA() const override { return "ValuesRN"; }
  unsigned char IsOption(const long o) const override {
    return (_g || _h) && (o & ~(1L | (_g ? 2L : 0L) | (_h ? 4L : 0L))) == 0;
  }
  using XelMathFunctionRN::Eval;
  using XelMathFunctionRN::EvalFirstDeriv;
  using XelMathFunctionRN::EvalSecondDeriv;
  double Eval(const double* x) const override { return _f(x); }
  double EvalFirstDeriv(const long& i, const double* x) const override {
    return _g ? _g(i, x) : XelMathFunctionRN::EvalFirstDeriv(i, x);
  }
  double EvalSecondDeriv(const long& i, const long& j, const double* x) const override {
    return _h ? _h(i, j, x) : XelMathFunctionRN::EvalSecondDeriv(i, j, x);
  }
  XelMathFunctionRN* Duplicate() const override { return new ValuesRN(_n, _f, _g, _h); }

private:
  Value _f;
  Gradient _g;
  Hessian _h;
};

} // namespace xeltest
