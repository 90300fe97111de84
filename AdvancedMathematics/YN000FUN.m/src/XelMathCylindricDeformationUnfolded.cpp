// XelMathCylindricDeformationUnfolded: x cos(k y), x sin(k y), with their derivatives.
#include "XelMathCylindricDeformationUnfolded.h"

#include <cmath>

#include "XelMathConstants.h"
#include "XelMathElementaryTools.h"
#include "XelMathInterval.h"
#include "XelMathPlane.h"

using namespace XelMathElementary;

XelMathCylindricDeformationUnfolded::XelMathCylindricDeformationUnfolded(const double iK,
                                                                         const XelTolerance& iTol)
    : XelMathCylindricDeformation(iK, iTol) {}

XelMathCylindricDeformationUnfolded::XelMathCylindricDeformationUnfolded(const double iK,
                                                                         const double iRip,
                                                                         const XelTolerance& iTol)
    : XelMathCylindricDeformation(iK, iRip, iTol) {}

XelMathCylindricDeformationUnfolded::~XelMathCylindricDeformationUnfolded() = default;

long XelMathCylindricDeformationUnfolded::GetStaticMemoryBytes() const {
  return sizeof(XelMathCylindricDeformationUnfolded);
}

const char* XelMathCylindricDeformationUnfolded::IsA() const {
  return "XelMathCylindricDeformationUnfolded";
}

long XelMathCylindricDeformationUnfolded::GetType() const {
  return 2;
}

short XelMathCylindricDeformationUnfolded::GetStreamTransfoType() const {
  return 2;
}

XelMathNonLinearTransformation* XelMathCylindricDeformationUnfolded::Duplicate() const {
  XelMathCylindricDeformationUnfolded* copy =
      new XelMathCylindricDeformationUnfolded(_k, _rip, GetTolerance());
  DuplicateData(*copy);
  return copy;
}

// The seam of the development is the line y = a / k of each level z: the plane through
// (0, a / k, 0) spanned by the radial and axial directions (the plane y = 0 when k is 0).
XelMathPlane* XelMathCylindricDeformationUnfolded::GetRipPlane() const {
  const double origin[3] = {0.0, _k != 0.0 ? _rip / _k : 0.0, 0.0};
  const double first[3] = {1.0, 0.0, 0.0}, second[3] = {0.0, 0.0, 1.0};
  return CarryBack(origin, first, second);
}

void XelMathCylindricDeformationUnfolded::EvalF(const double& x, const double& y, const int iOrder,
                                                double* oValues, const double) const {
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

void XelMathCylindricDeformationUnfolded::EvalG(const double& x, const double& y, const double&,
                                                const int iOrder, double* oValues,
                                                const double) const {
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

XelMathInterval XelMathCylindricDeformationUnfolded::EvalF(const XelMathInterval& iX,
                                                           const XelMathInterval& iY) const {
  return Mul(iX, PhaseCos(Scale(_k, iY)));
}

XelMathInterval XelMathCylindricDeformationUnfolded::EvalG(const XelMathInterval& iX,
                                                           const XelMathInterval& iY,
                                                           const double&) const {
  return Mul(iX, PhaseSin(Scale(_k, iY)));
}
