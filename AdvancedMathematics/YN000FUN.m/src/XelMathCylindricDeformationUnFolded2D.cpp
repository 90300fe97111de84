// XelMathCylindricDeformationUnFolded2D: x cos(k y) and x sin(k y) with their derivatives.
#include "XelMathCylindricDeformationUnFolded2D.h"

#include <cmath>

XelMathCylindricDeformationUnFolded2D::XelMathCylindricDeformationUnFolded2D(const double iK,
                                                                             const double iRip)
    : XelMathCylindricDeformation2D(iK, iRip) {}

XelMathCylindricDeformationUnFolded2D::~XelMathCylindricDeformationUnFolded2D() = default;

long XelMathCylindricDeformationUnFolded2D::GetStaticMemoryBytes() const {
  return sizeof(XelMathCylindricDeformationUnFolded2D);
}

const char* XelMathCylindricDeformationUnFolded2D::IsA() const {
  return "XelMathCylindricDeformationUnFolded2D";
}

long XelMathCylindricDeformationUnFolded2D::GetType() const {
  return 2;
}

short XelMathCylindricDeformationUnFolded2D::GetStreamTransfo2DType() const {
  return 2;
}

XelMathNonLinearTransformation2D* XelMathCylindricDeformationUnFolded2D::Duplicate() const {
  XelMathCylindricDeformationUnFolded2D* copy = new XelMathCylindricDeformationUnFolded2D(_k, _rip);
  DuplicateData(*copy);
  return copy;
}

void XelMathCylindricDeformationUnFolded2D::EvalFunc1(const double& x, const double& y,
                                                      const int iOrder, double* oValues) const {
  const double c = std::cos(_k * y), s = std::sin(_k * y);
  oValues[0] = x * c;
  if (iOrder < 1)
    return;
  oValues[1] = c;
  oValues[2] = -_k * x * s;
  if (iOrder < 2)
    return;
  oValues[3] = 0.0;
  oValues[4] = -_k * s;
  oValues[5] = -_k * _k * x * c;
}

void XelMathCylindricDeformationUnFolded2D::EvalFunc2(const double& x, const double& y,
                                                      const double&, const int iOrder,
                                                      double* oValues) const {
  const double c = std::cos(_k * y), s = std::sin(_k * y);
  oValues[0] = x * s;
  if (iOrder < 1)
    return;
  oValues[1] = s;
  oValues[2] = _k * x * c;
  if (iOrder < 2)
    return;
  oValues[3] = 0.0;
  oValues[4] = _k * c;
  oValues[5] = -_k * _k * x * s;
}
