#pragma once
// Squared distance between two curves of the plane or of space taken at independent
// parameters: h(x, y) = sum_{k < n} (u_k(x) - v_k(y))^2, n from 1 to 3.
//
// With r_k = u_k(x) - v_k(y): hx = 2 sum r_k u_k', hy = -2 sum r_k v_k',
// hxx = 2 sum (u_k'^2 + r_k u_k''), hxy = -2 sum u_k' v_k', hyy = 2 sum (v_k'^2 - r_k v_k''),
// hxxx = 2 sum (3 u_k' u_k'' + r_k u_k'''), hxxy = -2 sum u_k'' v_k',
// hxyy = -2 sum u_k' v_k'', hyyy = 2 sum (3 v_k' v_k'' - r_k v_k''').
// Interval images replace every term by its image; the square of a difference image that
// holds 0 starts at 0.
//
// Minimize runs the two-variable minimizer with the tolerance of an "XelMathAttrTolObject"
// attribute when the list holds one, else with the default tolerance.
//
// Ownership: the curves are not owned (XelMathSquareDistXYsDel owns them, an object given
// several times being deleted once). Failures: n outside 1..3 raises XelMathInputError
// 0x20006 ("the dimension", "1", "XelMathSquareDistXYs::XelMathSquareDistXYs"). A null curve
// makes the point values XelMathInfinite and the images the whole line.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathSquareDistXYs : public XelMathFunctionXY {
public:
  /// iU[k] and iV[k] for k < iN (pointers copied; null arrays give null curves).
  XelMathSquareDistXYs(const long iN, const XelMathFunctionX** iU, const XelMathFunctionX** iV);
  XelMathSquareDistXYs(const XelMathSquareDistXYs& iOther) = default;
  XelMathSquareDistXYs& operator=(const XelMathSquareDistXYs& iOther) = default;
  ~XelMathSquareDistXYs() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// False with a null curve; otherwise true when every curve answers true for the bits and
  /// the lower orders the formulas need.
  unsigned char IsOption(const long iOption) const override;
  /// u_0 .. u_{n-1}, then v_0 .. v_{n-1} (2 n).
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  long GetDimension() const { return _n; }
  const XelMathFunctionX* GetU(const long k) const { return _u[k]; }
  const XelMathFunctionX* GetV(const long k) const { return _v[k]; }

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
  /// The sum of the squares of the differences of the curves' guaranteed images.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance& iTol) const override;

  /// The minima over iDomain, the tolerance being that of an "XelMathAttrTolObject" of
  /// iAttributes, else the default tolerance.
  int Minimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
               const XelMathAttrList* iAttributes = nullptr) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathSquareDistXYsDel of deep copies of the curves (an object given several times
  /// copied once).
  XelMathFunctionXY* DeepDuplicate() const override;

  static const long MaxDimension = 3;

protected:
  /// h and its derivatives up to iOrder (0..3) at (x, y), in the order f, fx, fy, fxx, fxy,
  /// fyy, fxxx, fxxy, fxyy, fyyy; XelMathInfinite with a null curve.
  void Derivatives(const double x, const double y, const int iOrder, double* oH) const;
  /// The same images up to iOrder (0..2) over iI x iJ; the whole line with a null curve.
  void Images(const XelMathInterval& iI, const XelMathInterval& iJ, const int iOrder,
              XelMathInterval* oH) const;
  bool HasNullCurve() const;

  long _n;
  const XelMathFunctionX* _u[MaxDimension];
  const XelMathFunctionX* _v[MaxDimension];
};

/// A squared distance that owns and deletes its curves.
class XELADVANCEDMATHEMATICS_EXPORT XelMathSquareDistXYsDel : public XelMathSquareDistXYs {
public:
  XelMathSquareDistXYsDel(const long iN, XelMathFunctionX** iU, XelMathFunctionX** iV);
  XelMathSquareDistXYsDel(const XelMathSquareDistXYsDel&) = delete;
  XelMathSquareDistXYsDel& operator=(const XelMathSquareDistXYsDel&) = delete;
  ~XelMathSquareDistXYsDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy.
  XelMathFunctionXY* Duplicate() const override;
};
