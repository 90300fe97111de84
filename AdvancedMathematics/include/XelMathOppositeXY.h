#pragma once
// Opposite of a two-variable function: h = -f. Every value, derivative and interval image of
// f is negated (intervals as [-high, -low]). The maxima of f are the minima of its opposite.
//
// f is not owned and must outlive the opposite (XelMathOppositeXYDel owns it). With a null f
// the point evaluations return XelMathInfinite and the interval images [0, 0].
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathOppositeXY : public XelMathFunctionXY {
public:
  explicit XelMathOppositeXY(const XelMathFunctionXY* iF);
  XelMathOppositeXY(const XelMathOppositeXY&) = delete;
  XelMathOppositeXY& operator=(const XelMathOppositeXY&) = delete;
  ~XelMathOppositeXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// Forwarded to f (false with a null f).
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
  void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
            XelMathInterval* oFxy, XelMathInterval* oFyy, const XelTolerance& iTol) const override;

  /// The maxima of -f are the minima of f: f's Minimize over iDomain, with the attribute
  /// "LimitValue" (when the list holds one) negated for the call and restored after it.
  /// Status 4 and an empty set with a null f.
  int Maximize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
               const XelMathAttrList* iAttributes = nullptr) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathOppositeXYDel of a deep copy of f.
  XelMathFunctionXY* DeepDuplicate() const override;

  const XelMathFunctionXY* GetFunction() const { return _function; }

protected:
  const XelMathFunctionXY* _function;
};

/// The opposite owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathOppositeXYDel : public XelMathOppositeXY {
public:
  explicit XelMathOppositeXYDel(XelMathFunctionXY* iF);
  ~XelMathOppositeXYDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionXY* Duplicate() const override;
};
