#pragma once
// The system F = f(x, y), G = g(x, y) on two functions of two variables (not owned; they
// must outlive the system). Values, derivatives and grid samples are those of f and g; the
// interval images of both (IsOption) let Solve choose its sampling. A null function is
// reported through XelQuornull and evaluates to NaN (no solution is then found).
#include "XelMathSystemXY.h"

class XelMathFunctionXY;

class XELADVANCEDMATHEMATICS_EXPORT XelMathSystemXYc : public XelMathSystemXY {
public:
  XelMathSystemXYc(const XelMathFunctionXY* f, const XelMathFunctionXY* g, const XelTolerance& tol,
                   const XelMathAttrList* attrs = nullptr);
  ~XelMathSystemXYc() override;

  long GetStaticMemoryBytes() const override;

  unsigned char IsAKindOf(const char* iName) const override;
  /// Whether both f and g compute the evaluations of iOption exactly.
  unsigned char IsOption(const long iOption) const override;
  const char* IsA() const override;

  using XelMathSystemXY::EvalF;
  using XelMathSystemXY::EvalG;
  double EvalF(const double& x, const double& y) const override;
  double EvalG(const double& x, const double& y) const override;
  double EvalFirstDerivFX(const double& x, const double& y) const override;
  double EvalFirstDerivFY(const double& x, const double& y) const override;
  double EvalFirstDerivGX(const double& x, const double& y) const override;
  double EvalFirstDerivGY(const double& x, const double& y) const override;
  double EvalSecondDerivFX2(const double& x, const double& y) const override;
  double EvalSecondDerivFXY(const double& x, const double& y) const override;
  double EvalSecondDerivFY2(const double& x, const double& y) const override;
  double EvalSecondDerivGX2(const double& x, const double& y) const override;
  double EvalSecondDerivGXY(const double& x, const double& y) const override;
  double EvalSecondDerivGY2(const double& x, const double& y) const override;
  void EvalF(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
             double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;
  void EvalG(const double& x, const double& y, const long iDiff, double* oG, double* oGx,
             double* oGy, double* oGxx, double* oGxy, double* oGyy) const override;
  void EvalF(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff, double* oF,
             double* oFx, double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;
  void EvalG(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff, double* oG,
             double* oGx, double* oGy, double* oGxx, double* oGxy, double* oGyy) const override;

  /// The images of f or g when that function computes value and first-derivative images
  /// (IsOption(48)).
  /// The solve of XelMathSystemXY, with what EvalImages needs of f and g looked up once.
  int Solve(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oSolutions,
            const XelMathAttrList* iAttributes = nullptr) override;

  int EvalImages(const int iWhich, const XelMathInterval& iX, const XelMathInterval& iY,
                 XelMathInterval& oV, XelMathInterval& oVx, XelMathInterval& oVy) const override;
  int EvalValueImage(const int iWhich, const XelMathInterval& iX, const XelMathInterval& iY,
                     XelMathInterval& oV) const override;
  int EvalSecondImages(const int iWhich, const XelMathInterval& iX, const XelMathInterval& iY,
                       XelMathInterval& oVxx, XelMathInterval& oVxy,
                       XelMathInterval& oVyy) const override;

  const XelMathFunctionXY* GetF() const { return _f; }
  const XelMathFunctionXY* GetG() const { return _g; }

private:
  const XelMathFunctionXY* _f;
  const XelMathFunctionXY* _g;
  /// During Solve: whether f and g give images, and their tolerances.
  const XelTolerance* _imageTolerance[2];
  unsigned char _hasImages[2];
  unsigned char _imagesKnown;
};
