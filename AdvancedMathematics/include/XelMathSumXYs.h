#pragma once
// Separable sum h(x, y) = u(x) + v(y) of two one-variable functions.
//
// Derivatives are those of the terms: hx = u'(x), hy = v'(y), every mixed derivative 0.
// Interval images add the terms' images over their own intervals; since the terms share no
// variable, the sum of their guaranteed images is the exact range (ComputeOptimalImage).
//
// Derived functions: the restrictions are one-variable combinations (y -> v(y) + u(x0),
// x -> u(x) + v(y0)) that point to the terms; FormalCombination of separable sums is the
// separable sum of the combined terms (sum c_k u_k + c0, sum c_k v_k), owning the two
// combinations; null when an operand is not a separable sum.
//
// Ownership: XelMathSumXYs points to u and v, which the caller keeps alive. XelMathSumXYsDel
// owns both (an object given as both terms is deleted once); XelMathSumXYsDel2 owns u only,
// for the sum u(x) + u(y) of one object with itself.
// A null term makes the point values XelMathInfinite and the images the whole line.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathSumXYs : public XelMathFunctionXY {
public:
  XelMathSumXYs(const XelMathFunctionX* iU, const XelMathFunctionX* iV);
  XelMathSumXYs(const XelMathSumXYs& iOther) = default;
  XelMathSumXYs& operator=(const XelMathSumXYs& iOther) = default;
  ~XelMathSumXYs() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// False with a null term; otherwise true when both terms answer true.
  unsigned char IsOption(const long iOption) const override;
  /// u and v (2).
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// Stream tag 103.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields, then the components (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  const XelMathFunctionX* GetU() const { return _u; }
  const XelMathFunctionX* GetV() const { return _v; }

  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  double Eval(const double& x, const double& y) const override;
  double EvalFirstDerivX(const double& x, const double& y) const override;
  double EvalFirstDerivY(const double& x, const double& y) const override;
  double EvalSecondDerivX2(const double& x, const double& y) const override;
  double EvalSecondDerivXY(const double& x, const double& y) const override;
  double EvalSecondDerivY2(const double& x, const double& y) const override;
  double EvalThirdDerivX3(const double& x, const double& y) const override;
  double EvalThirdDerivX2Y(const double& x, const double& y) const override;
  double EvalThirdDerivXY2(const double& x, const double& y) const override;
  double EvalThirdDerivY3(const double& x, const double& y) const override;
  void Eval(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
            double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;

  XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                       const XelTolerance& iTol) const override;
  XelMathInterval EvalFirstDerivX(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalFirstDerivY(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivX2(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivXY(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivY2(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  /// Each group asked for from the terms' own multi-output interval evaluations.
  void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
            XelMathInterval* oFxy, XelMathInterval* oFyy, const XelTolerance& iTol) const override;
  /// The sum of the terms' guaranteed images.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance& iTol) const override;

  XelMathFunctionX* CreateIsoparX(const double iX0) const override;
  XelMathFunctionX* CreateIsoparY(const double iY0) const override;
  XelMathFunctionXY* FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                       const double* iC, const double iC0) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathSumXYsDel of deep copies (a XelMathSumXYsDel2 of one copy when u is v).
  XelMathFunctionXY* DeepDuplicate() const override;

protected:
  const XelMathFunctionX* _u;
  const XelMathFunctionX* _v;
};

/// A separable sum that owns and deletes u and v.
class XELADVANCEDMATHEMATICS_EXPORT XelMathSumXYsDel : public XelMathSumXYs {
public:
  XelMathSumXYsDel(XelMathFunctionX* iU, XelMathFunctionX* iV);
  XelMathSumXYsDel(const XelMathSumXYsDel&) = delete;
  XelMathSumXYsDel& operator=(const XelMathSumXYsDel&) = delete;
  ~XelMathSumXYsDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy.
  XelMathFunctionXY* Duplicate() const override;
};

/// A separable sum that owns and deletes u only (u and v being one object).
class XELADVANCEDMATHEMATICS_EXPORT XelMathSumXYsDel2 : public XelMathSumXYs {
public:
  XelMathSumXYsDel2(XelMathFunctionX* iU, XelMathFunctionX* iV);
  XelMathSumXYsDel2(const XelMathSumXYsDel2&) = delete;
  XelMathSumXYsDel2& operator=(const XelMathSumXYsDel2&) = delete;
  ~XelMathSumXYsDel2() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy.
  XelMathFunctionXY* Duplicate() const override;
};
