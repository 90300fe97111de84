// XelMathCylindricDeformationFolded: radius and folded angle, with their derivatives.
#include "XelMathCylindricDeformationFolded.h"

#include <cmath>

#include "XelMathConstants.h"
#include "XelMathDeformationTools.h"
#include "XelMathElementaryTools.h"
#include "XelMathInterval.h"
#include "XelMathPlane.h"

using namespace XelMathDeformation;

XelMathCylindricDeformationFolded::XelMathCylindricDeformationFolded(const double iK,
                                                                     const XelTolerance& iTol)
    : XelMathCylindricDeformation(iK, iTol) {}

XelMathCylindricDeformationFolded::XelMathCylindricDeformationFolded(const double iK,
                                                                     const double iRip,
                                                                     const XelTolerance& iTol)
    : XelMathCylindricDeformation(iK, iRip, iTol) {}

XelMathCylindricDeformationFolded::~XelMathCylindricDeformationFolded() = default;

long XelMathCylindricDeformationFolded::GetStaticMemoryBytes() const {
  return sizeof(XelMathCylindricDeformationFolded);
}

const char* XelMathCylindricDeformationFolded::IsA() const {
  return "XelMathCylindricDeformationFolded";
}

long XelMathCylindricDeformationFolded::GetType() const {
  return 1;
}

short XelMathCylindricDeformationFolded::GetStreamTransfoType() const {
  return 1;
}

XelMathNonLinearTransformation* XelMathCylindricDeformationFolded::Duplicate() const {
  XelMathCylindricDeformationFolded* copy =
      new XelMathCylindricDeformationFolded(_k, _rip, GetTolerance());
  DuplicateData(*copy);
  return copy;
}

XelMathPlane* XelMathCylindricDeformationFolded::GetRipPlane() const {
  const double origin[3] = {0.0, 0.0, 0.0}, first[3] = {0.0, 0.0, 1.0};
  const double second[3] = {std::cos(_rip), std::sin(_rip), 0.0};
  return CarryBack(origin, first, second);
}

namespace {
/// The point moved off the axis when both coordinates are below iResolution.
void Guard(double& ioX, double& ioY, const double iResolution) {
  if (std::fabs(ioX) < iResolution && std::fabs(ioY) < iResolution) {
    ioX = ioX < 0.0 ? -iResolution : iResolution;
    ioY = ioY < 0.0 ? -iResolution : iResolution;
  }
}
} // namespace

void XelMathCylindricDeformationFolded::EvalF(const double& x, const double& y, const int iOrder,
                                              double* oValues, const double iResolution) const {
  oValues[0] = std::hypot(x, y);
  if (iOrder < 1)
    return;
  double u = x, v = y;
  Guard(u, v, iResolution);
  const double rho = std::hypot(u, v), rho3 = rho * rho * rho;
  oValues[1] = u / rho;
  oValues[2] = v / rho;
  if (iOrder < 2)
    return;
  oValues[3] = v * v / rho3;
  oValues[4] = -u * v / rho3;
  oValues[5] = u * u / rho3;
}

void XelMathCylindricDeformationFolded::EvalG(const double& x, const double& y, const double& iRip,
                                              const int iOrder, double* oValues,
                                              const double iResolution) const {
  oValues[0] = _k * FoldAngle(std::atan2(y, x), iRip);
  if (iOrder < 1)
    return;
  double u = x, v = y;
  Guard(u, v, iResolution);
  const double rho2 = u * u + v * v, rho4 = rho2 * rho2;
  oValues[1] = -_k * v / rho2;
  oValues[2] = _k * u / rho2;
  if (iOrder < 2)
    return;
  oValues[3] = 2.0 * _k * u * v / rho4;
  oValues[4] = _k * (v * v - u * u) / rho4;
  oValues[5] = -2.0 * _k * u * v / rho4;
}

XelMathInterval XelMathCylindricDeformationFolded::EvalF(const XelMathInterval& iX,
                                                         const XelMathInterval& iY) const {
  return sqrt(XelMathElementary::Add(square(iX), square(iY)));
}

XelMathInterval XelMathCylindricDeformationFolded::EvalG(const XelMathInterval& iX,
                                                         const XelMathInterval& iY,
                                                         const double& iRip) const {
  return XelMathElementary::Scale(_k, FoldAngle(atan2(iY, iX), iRip));
}
