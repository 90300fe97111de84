// XelMathCylindricDeformationFolded2D: radius and angle of a point of the plane.
#include "XelMathCylindricDeformationFolded2D.h"

#include <cmath>

#include "XelMathConstants.h"
#include "XelTolerance.h"

XelMathCylindricDeformationFolded2D::XelMathCylindricDeformationFolded2D(const double iK,
                                                                         const double iRip,
                                                                         const XelTolerance& iTol)
    : XelMathCylindricDeformation2D(iK, iRip), _resolutionTolerance(&iTol) {}

XelMathCylindricDeformationFolded2D::~XelMathCylindricDeformationFolded2D() = default;

long XelMathCylindricDeformationFolded2D::GetStaticMemoryBytes() const {
  return sizeof(XelMathCylindricDeformationFolded2D);
}

const char* XelMathCylindricDeformationFolded2D::IsA() const {
  return "XelMathCylindricDeformationFolded2D";
}

long XelMathCylindricDeformationFolded2D::GetType() const {
  return 1;
}

short XelMathCylindricDeformationFolded2D::GetStreamTransfo2DType() const {
  return 1;
}

XelMathNonLinearTransformation2D* XelMathCylindricDeformationFolded2D::Duplicate() const {
  XelMathCylindricDeformationFolded2D* copy =
      new XelMathCylindricDeformationFolded2D(_k, _rip, *_resolutionTolerance);
  DuplicateData(*copy);
  return copy;
}

namespace {
void Guard(double& ioX, double& ioY, const double iResolution) {
  if (std::fabs(ioX) < iResolution && std::fabs(ioY) < iResolution) {
    ioX = ioX < 0.0 ? -iResolution : iResolution;
    ioY = ioY < 0.0 ? -iResolution : iResolution;
  }
}
} // namespace

void XelMathCylindricDeformationFolded2D::EvalFunc1(const double& x, const double& y,
                                                    const int iOrder, double* oValues) const {
  oValues[0] = std::hypot(x, y);
  if (iOrder < 1)
    return;
  double u = x, v = y;
  Guard(u, v, _resolutionTolerance->GetPointResolution());
  const double rho = std::hypot(u, v), rho3 = rho * rho * rho;
  oValues[1] = u / rho;
  oValues[2] = v / rho;
  if (iOrder < 2)
    return;
  oValues[3] = v * v / rho3;
  oValues[4] = -u * v / rho3;
  oValues[5] = u * u / rho3;
}

void XelMathCylindricDeformationFolded2D::EvalFunc2(const double& x, const double& y,
                                                    const double& iRip, const int iOrder,
                                                    double* oValues) const {
  double theta = std::atan2(y, x);
  if (theta > iRip)
    theta -= 2.0 * XelPI;
  oValues[0] = _k * theta;
  if (iOrder < 1)
    return;
  double u = x, v = y;
  Guard(u, v, _resolutionTolerance->GetPointResolution());
  const double rho2 = u * u + v * v, rho4 = rho2 * rho2;
  oValues[1] = -_k * v / rho2;
  oValues[2] = _k * u / rho2;
  if (iOrder < 2)
    return;
  oValues[3] = 2.0 * _k * u * v / rho4;
  oValues[4] = _k * (v * v - u * u) / rho4;
  oValues[5] = -2.0 * _k * u * v / rho4;
}
