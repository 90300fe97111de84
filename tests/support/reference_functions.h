// Reference leaf functions shared by the tests: closed forms with exact derivatives and exact
// interval images, counting their evaluations and their live instances.
#pragma once

#include <functional>

#include "XelMathFunctionX.h"

namespace xeltest {

// Leaves alive (constructions minus destructions), to check that owners delete them.
extern long gLiveLeaves;

// Base of the reference leaves: derivatives of order 0..3 and their interval images from D and
// DI. It offers the options in `offered` (all by default), counts its point and interval
// evaluations, has no components and deep-copies as a plain copy.
class LeafX : public XelMathFunctionX {
public:
  LeafX();
  LeafX(const LeafX& iOther);
  LeafX& operator=(const LeafX&) = delete;
  ~LeafX() override;
  unsigned char IsOption(const long iOption) const override { return (iOption & ~offered) == 0; }
  int GetDirectComponents(const int, const XelMathFunctionGeneral**) const override { return 0; }
  XelMathFunctionX* DeepDuplicate() const override { return Duplicate(); }

  /// The derivative of order k (0..3) at x and its image over I.
  virtual double D(int k, double x) const = 0;
  virtual XelMathInterval DI(int k, const XelMathInterval& I) const = 0;

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override { return Count(D(0, x)); }
  double EvalFirstDeriv(const double& x) const override { return Count(D(1, x)); }
  double EvalSecondDeriv(const double& x) const override { return Count(D(2, x)); }
  double EvalThirdDeriv(const double& x) const override { return Count(D(3, x)); }
  XelMathInterval Eval(const XelMathInterval& I) const override { return CountI(DI(0, I)); }
  XelMathInterval EvalFirstDeriv(const XelMathInterval& I) const override {
    return CountI(DI(1, I));
  }
  XelMathInterval EvalSecondDeriv(const XelMathInterval& I) const override {
    return CountI(DI(2, I));
  }
  XelMathInterval EvalThirdDeriv(const XelMathInterval& I) const override {
    return CountI(DI(3, I));
  }

  mutable long pointCalls = 0;
  mutable long intervalCalls = 0;
  long offered = ~0L;

private:
  double Count(double v) const {
    ++pointCalls;
    return v;
  }
  XelMathInterval CountI(const XelMathInterval& v) const {
    ++intervalCalls;
    return v;
  }
};

// a exp(b x).
class ExpX : public LeafX {
public:
  ExpX(double a, double b) : _a(a), _b(b) {}
  const char* IsA() const override { return "ExpX"; }
  double D(int k, double x) const override;
  XelMathInterval DI(int k, const XelMathInterval& I) const override;
  XelMathFunctionX* Duplicate() const override { return new ExpX(*this); }

private:
  double _a, _b;
};

// sin(w x + p) + s x.
class SineX : public LeafX {
public:
  SineX(double w, double p, double s = 0.0) : _w(w), _p(p), _s(s) {}
  const char* IsA() const override { return "SineX"; }
  double D(int k, double x) const override;
  XelMathInterval DI(int k, const XelMathInterval& I) const override;
  XelMathFunctionX* Duplicate() const override { return new SineX(*this); }

private:
  double _w, _p, _s;
};

// a x^2 + b x + c, with the exact image over an interval.
class QuadX : public LeafX {
public:
  QuadX(double a, double b, double c) : _a(a), _b(b), _c(c) {}
  const char* IsA() const override { return "QuadX"; }
  double D(int k, double x) const override;
  XelMathInterval DI(int k, const XelMathInterval& I) const override;
  XelMathFunctionX* Duplicate() const override { return new QuadX(*this); }

private:
  double _a, _b, _c;
};

// A function given by closed forms of f, f' and f''. With an image rule (order 0 or 1 and an
// interval), it offers interval images of f and f'.
class ClosedFormX : public XelMathFunctionX {
public:
  typedef std::function<double(double)> Scalar;
  typedef std::function<XelMathInterval(int, const XelMathInterval&)> Image;
  ClosedFormX(Scalar iF, Scalar iD, Scalar iD2, Image iImage = Image())
      : _f(iF), _d(iD), _d2(iD2), _image(iImage) {}
  const char* IsA() const override { return "ClosedFormX"; }
  unsigned char IsOption(const long o) const override {
    const long mask = 1 | 2 | 4 | (_image ? 16 | 32 : 0);
    return (o & ~mask) == 0;
  }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  double Eval(const double& x) const override { return _f(x); }
  double EvalFirstDeriv(const double& x) const override { return _d(x); }
  double EvalSecondDeriv(const double& x) const override { return _d2(x); }
  XelMathInterval Eval(const XelMathInterval& I) const override {
    return _image ? _image(0, I) : XelMathInterval();
  }
  XelMathInterval EvalFirstDeriv(const XelMathInterval& I) const override {
    return _image ? _image(1, I) : XelMathInterval();
  }
  XelMathFunctionX* Duplicate() const override { return new ClosedFormX(*this); }

private:
  Scalar _f, _d, _d2;
  Image _image;
};

} // namespace xeltest
