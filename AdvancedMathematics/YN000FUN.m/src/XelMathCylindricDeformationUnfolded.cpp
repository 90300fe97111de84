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

// The seam of the development, the line y = a / k of each level, goes to the half-plane of
// the axis at the angle k (a / k) = a; it is given in the caller's image coordinates (L).
XelMathPlane* XelMathCylindricDeformationUnfolded::GetRipPlane() const {
  const double origin[3] = {0.0, 0.0, 0.0}, first[3] = {0.0, 0.0, 1.0};
  const double second[3] = {std::cos(_rip), std::sin(_rip), 0.0};
  return CarryForward(origin, first, second);
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
