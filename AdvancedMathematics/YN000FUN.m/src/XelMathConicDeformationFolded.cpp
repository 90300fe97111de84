// XelMathConicDeformationFolded: the folding of the cone onto its development.
#include "XelMathConicDeformationFolded.h"

#include <cmath>

#include "XelMathConstants.h"
#include "XelMathDeformationTools.h"
#include "XelMathElementaryTools.h"
#include "XelMathInterval.h"
#include "XelMathPlane.h"
#include "XelMathVector.h"

using namespace XelMathDeformation;

XelMathConicDeformationFolded::XelMathConicDeformationFolded(const double iAlpha,
                                                             const XelTolerance& iTol)
    : XelMathConicDeformation(iAlpha, iTol) {}

XelMathConicDeformationFolded::XelMathConicDeformationFolded(const double iAlpha, const double iRip,
                                                             const XelTolerance& iTol)
    : XelMathConicDeformation(iAlpha, iRip, iTol) {}

XelMathConicDeformationFolded::XelMathConicDeformationFolded(const double iAlpha, const double iRip,
                                                             const double iLambda,
                                                             const XelTolerance& iTol)
    : XelMathConicDeformation(iAlpha, iRip, iLambda, iTol) {}

XelMathConicDeformationFolded::~XelMathConicDeformationFolded() = default;

long XelMathConicDeformationFolded::GetStaticMemoryBytes() const {
  return sizeof(XelMathConicDeformationFolded);
}

const char* XelMathConicDeformationFolded::IsA() const {
  return "XelMathConicDeformationFolded";
}

long XelMathConicDeformationFolded::GetType() const {
  return 3;
}

short XelMathConicDeformationFolded::GetStreamTransfoType() const {
  return 3;
}

XelMathNonLinearTransformation* XelMathConicDeformationFolded::Duplicate() const {
  XelMathConicDeformationFolded* copy =
      new XelMathConicDeformationFolded(_alpha, _rip, _lambda, GetTolerance());
  copy->_sin = _sin;
  copy->_cos = _cos;
  DuplicateData(*copy);
  return copy;
}

// The seam is the half-plane of the axis at the rip angle, spanned by the cone's generator
// there, (sin(alpha) cos a, sin(alpha) sin a, cos(alpha)), and the radial direction.
XelMathPlane* XelMathConicDeformationFolded::GetRipPlane() const {
  const double origin[3] = {0.0, 0.0, 0.0};
  const double first[3] = {_sin * std::cos(_rip), _sin * std::sin(_rip), _cos};
  const double second[3] = {std::cos(_rip), std::sin(_rip), 0.0};
  return CarryBack(origin, first, second);
}

void XelMathConicDeformationFolded::EvalCoreFGH(const XelMathVector& iP, const double iRip,
                                                const int iOrder, double* oF, double* oG,
                                                double* oH, const double iResolution) const {
  const double s = _sin, c = _cos, scale = _lambda * _sin;
  auto core = [&](const auto& x, const auto& y, const auto& z, auto& oCF, auto& oCG, auto& oCH) {
    using std::atan2;
    using std::cos;
    using std::sin;
    using std::sqrt;
    const auto rho = sqrt(x * x + y * y);
    const auto phi = scale * FoldAngle(atan2(y, x), iRip);
    const auto u = rho * s + z * c;
    const auto w = rho * c - z * s;
    const auto cp = cos(phi);
    oCF = u * cp * s + w * c;
    oCG = u * sin(phi);
    oCH = u * cp * c - w * s;
  };
  const double* p = iP.GetCoords();
  double guarded[3] = {p[0], p[1], p[2]};
  if (std::fabs(p[0]) < iResolution && std::fabs(p[1]) < iResolution) {
    guarded[0] = p[0] < 0.0 ? -iResolution : iResolution;
    guarded[1] = p[1] < 0.0 ? -iResolution : iResolution;
  }
  CoreWithDerivatives(core, p, guarded, iOrder, oF, oG, oH);
}

void XelMathConicDeformationFolded::EvalCoreFGH(const XelMathInterval* iP, const double iRip,
                                                XelMathInterval* oImage) const {
  using namespace XelMathElementary;
  const double s = _sin, c = _cos;
  const XelMathInterval rho = sqrt(Add(square(iP[0]), square(iP[1])));
  const XelMathInterval phi = Scale(_lambda * s, FoldAngle(atan2(iP[1], iP[0]), iRip));
  const XelMathInterval u = Add(Scale(s, rho), Scale(c, iP[2]));
  const XelMathInterval w = Sub(Scale(c, rho), Scale(s, iP[2]));
  const XelMathInterval ucp = Mul(u, PhaseCos(phi));
  oImage[0] = Add(Scale(s, ucp), Scale(c, w));
  oImage[1] = Mul(u, PhaseSin(phi));
  oImage[2] = Sub(Scale(c, ucp), Scale(s, w));
}
