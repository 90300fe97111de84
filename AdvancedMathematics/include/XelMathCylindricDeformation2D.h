#pragma once
// Cylindric deformation of the plane: the section z = 0 of the cylindric deformations of
// space, built on the default tolerance. It holds the angle scale k and the rip angle a; the
// subclasses supply EvalFunc1 (the first coordinate) and EvalFunc2 (the second, with the rip
// angle), each with its derivatives up to the second order (value, x, y, xx, xy, yy).
#include "XelMathNonLinearTransformation2D.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCylindricDeformation2D
    : public XelMathNonLinearTransformation2D {
public:
  XelMathCylindricDeformation2D(const double iK, const double iRip);
  ~XelMathCylindricDeformation2D() override;

  long GetStaticMemoryBytes() const override;

  void EvalCore(const double& x, const double& y, const int iOrder, double* oU,
                double* oV) const override;
  /// 2: (k, a).
  long GetNumberOfCoef() const override;
  void GetCoef(double* oCoefs) const override;
  void SetCoef(const double* iCoefs) override;

  virtual double EvalFunc1(const double& x, const double& y) const;
  virtual double EvalFunc2(const double& x, const double& y, const double& iRip) const;
  /// EvalFunc1 or EvalFunc2 with the derivatives up to iOrder (0 to 2) into oValues.
  virtual void EvalFunc1(const double& x, const double& y, const int iOrder,
                         double* oValues) const = 0;
  virtual void EvalFunc2(const double& x, const double& y, const double& iRip, const int iOrder,
                         double* oValues) const = 0;

  double GetK() const { return _k; }
  double GetRipAngle() const { return _rip; }

protected:
  double _k;
  double _rip;
};
