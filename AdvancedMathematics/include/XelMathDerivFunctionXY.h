#pragma once
// Partial derivative of a two-variable function as a function: h = df/dx (variable 0) or
// df/dy (variable 1). The derivatives of h are the next partial derivatives of f; the third
// derivatives of h (fourth derivatives of f) are centred differences of f's third
// derivatives along the derivation variable with step XelMathh3. The interval images of h
// are f's interval derivatives where f offers them (IsOption says which).
//
// f is not owned and must outlive the derivative (XelMathDerivFunctionXYDel owns it). With a
// null f the point evaluations return XelMathInfinite and the interval images [0, 0]. A
// derivation variable other than 0 or 1 raises XelMathInputError 0x20007.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathDerivFunctionXY : public XelMathFunctionXY {
public:
  /// h = df/dx when iVariable is 0, df/dy when it is 1.
  XelMathDerivFunctionXY(const XelMathFunctionXY* iF, const long iVariable);
  XelMathDerivFunctionXY(const XelMathDerivFunctionXY&) = delete;
  XelMathDerivFunctionXY& operator=(const XelMathDerivFunctionXY&) = delete;
  ~XelMathDerivFunctionXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// False with a null f; true for 0; otherwise f's answer for the bits moved up one order
  /// (false when that leaves a group: bits 8, 64 and 128).
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

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
  void EvalUpToThirdDeriv(const double& x, const double& y, double& oF, double& oFx, double& oFy,
                          double& oFxx, double& oFxy, double& oFyy, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  void EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  void Eval(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
            double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;

  /// f's interval first derivative when f offers it (IsOption(32)), else the guaranteed image.
  XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                       const XelTolerance& iTol) const override;
  /// f's interval second derivatives.
  XelMathInterval EvalFirstDerivX(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalFirstDerivY(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  /// The value image (bit 16) and f's interval second derivatives (bit 32); no information
  /// on the second derivatives of h (bit 64 writes [0, 0]).
  void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
            XelMathInterval* oFxy, XelMathInterval* oFyy, const XelTolerance& iTol) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathDerivFunctionXYDel of a deep copy of f.
  XelMathFunctionXY* DeepDuplicate() const override;

  const XelMathFunctionXY* GetFunction() const { return _function; }
  /// 0 for df/dx, 1 for df/dy.
  long GetVariable() const { return _variable; }

protected:
  const XelMathFunctionXY* _function;
  long _variable;
};

/// The derivative owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathDerivFunctionXYDel : public XelMathDerivFunctionXY {
public:
  XelMathDerivFunctionXYDel(XelMathFunctionXY* iF, const long iVariable);
  ~XelMathDerivFunctionXYDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionXY* Duplicate() const override;
};
