// XelMathCylindricDeformation2D: the coefficients and the core from the two functions.
#include "XelMathCylindricDeformation2D.h"

#include "XelTolerance.h"

XelMathCylindricDeformation2D::XelMathCylindricDeformation2D(const double iK, const double iRip)
    : XelMathNonLinearTransformation2D(XelGetDefaultTolerance()), _k(iK), _rip(iRip) {}

XelMathCylindricDeformation2D::~XelMathCylindricDeformation2D() = default;

long XelMathCylindricDeformation2D::GetStaticMemoryBytes() const {
  return sizeof(XelMathCylindricDeformation2D);
}

void XelMathCylindricDeformation2D::EvalCore(const double& x, const double& y, const int iOrder,
                                             double* oU, double* oV) const {
  EvalFunc1(x, y, iOrder, oU);
  EvalFunc2(x, y, _rip, iOrder, oV);
}

double XelMathCylindricDeformation2D::EvalFunc1(const double& x, const double& y) const {
  double v[1];
  EvalFunc1(x, y, 0, v);
  return v[0];
}

double XelMathCylindricDeformation2D::EvalFunc2(const double& x, const double& y,
                                                const double& iRip) const {
  double v[1];
  EvalFunc2(x, y, iRip, 0, v);
  return v[0];
}

long XelMathCylindricDeformation2D::GetNumberOfCoef() const {
  return 2;
}

void XelMathCylindricDeformation2D::GetCoef(double* oCoefs) const {
  oCoefs[0] = _k;
  oCoefs[1] = _rip;
}

void XelMathCylindricDeformation2D::SetCoef(const double* iCoefs) {
  _k = iCoefs[0];
  _rip = iCoefs[1];
}
