#pragma once
// Rescaled copy of a two-variable function: h(x, y) = sF f(sX x, sY y). The analyses wrap a
// function of a scaled model in it so that they work in unit scale. The partial derivative
// of orders (a, b) is sF sX^a sY^b times f's at (sX x, sY y); interval images follow the same
// rule (a negative factor reverses an interval).
//
// f is not owned and must outlive the wrapper (XelMathScaleFunctionXYDel owns it). With a
// null f the point evaluations return XelMathInfinite and the interval images [0, 0]. The
// reviewed flag records that the values given with the function are already expressed in
// scaled units.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathScaleFunctionXY : public XelMathFunctionXY {
public:
  /// h(x, y) = iSF f(iSX x, iSY y); not reviewed.
  XelMathScaleFunctionXY(const XelMathFunctionXY* iF, const double iSF, const double iSX,
                         const double iSY);
  XelMathScaleFunctionXY(const XelMathScaleFunctionXY&) = delete;
  XelMathScaleFunctionXY& operator=(const XelMathScaleFunctionXY&) = delete;
  ~XelMathScaleFunctionXY() override;

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

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathScaleFunctionXYDel on a deep copy of f (factors and flag copied).
  XelMathFunctionXY* DeepDuplicate() const override;

  /// The domain of the scaled function: each bound of iDomain divided by sX (x) or sY (y),
  /// the ends swapped for a negative factor.
  void ComputeScaledDomain(const XelMathInterval2D& iDomain, XelMathInterval2D& oScaled) const;
  /// oRoots is emptied, then receives every point of iRoots (dimension 2) with its
  /// coordinates multiplied by sX and sY (points of h mapped back to the variables of f).
  void ComputeUnScaledRoots(const XelMathSetOfPointsND& iRoots, XelMathSetOfPointsND& oRoots) const;

  void SetOKScaleReviewed() { _reviewed = 1; }
  unsigned char GetOKScaleReviewed() const { return _reviewed; }
  const XelMathFunctionXY* GetFunction() const { return _function; }
  double GetFunctionFactor() const { return _sF; }
  double GetVariableFactorX() const { return _sX; }
  double GetVariableFactorY() const { return _sY; }

protected:
  const XelMathFunctionXY* _function;
  double _sF;
  double _sX;
  double _sY;
  unsigned char _reviewed;
};

/// The same function owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathScaleFunctionXYDel : public XelMathScaleFunctionXY {
public:
  XelMathScaleFunctionXYDel(XelMathFunctionXY* iF, const double iSF, const double iSX,
                            const double iSY);
  ~XelMathScaleFunctionXYDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionXY* Duplicate() const override;
};
