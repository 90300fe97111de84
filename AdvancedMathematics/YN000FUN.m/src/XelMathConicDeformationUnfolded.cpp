// XelMathConicDeformationUnfolded: the development wrapped back onto the cone.
#include "XelMathConicDeformationUnfolded.h"

#include <cmath>

#include "XelMathConstants.h"
#include "XelMathDeformationTools.h"
#include "XelMathElementaryTools.h"
#include "XelMathInterval.h"
#include "XelMathPlane.h"
#include "XelMathVector.h"

using namespace XelMathDeformation;

XelMathConicDeformationUnfolded::XelMathConicDeformationUnfolded(const double iAlpha,
                                                                 const XelTolerance& iTol)
    : XelMathConicDeformation(iAlpha, iTol) {}

XelMathConicDeformationUnfolded::XelMathConicDeformationUnfolded(const double iAlpha,
                                                                 const double iRip,
                                                                 const XelTolerance& iTol)
    : XelMathConicDeformation(iAlpha, iRip, iTol) {}

XelMathConicDeformationUnfolded::XelMathConicDeformationUnfolded(const double iAlpha,
                                                                 const double iRip,
                                                                 const double iLambda,
                                                                 const XelTolerance& iTol)
    : XelMathConicDeformation(iAlpha, iRip, iLambda, iTol) {}

XelMathConicDeformationUnfolded::~XelMathConicDeformationUnfolded() = default;

long XelMathConicDeformationUnfolded::GetStaticMemoryBytes() const {
  return sizeof(XelMathConicDeformationUnfolded);
}

const char* XelMathConicDeformationUnfolded::IsA() const {
  return "XelMathConicDeformationUnfolded";
}

long XelMathConicDeformationUnfolded::GetType() const {
  return 4;
}

short XelMathConicDeformationUnfolded::GetStreamTransfoType() const {
  return 4;
}

XelMathNonLinearTransformation* XelMathConicDeformationUnfolded::Duplicate() const {
  XelMathConicDeformationUnfolded* copy =
      new XelMathConicDeformationUnfolded(_alpha, _rip, _lambda, GetTolerance());
  copy->_sin = _sin;
  copy->_cos = _cos;
  DuplicateData(*copy);
  return copy;
}

// The angle phi of the image around the axis is cut at a: the seam is the half-plane of the
// axis at the angle a, given in the caller's image coordinates (L). Its first direction is
// the cone's generator there, (sin(alpha) cos a, sin(alpha) sin a, cos(alpha)).
XelMathPlane* XelMathConicDeformationUnfolded::GetRipPlane() const {
  const double origin[3] = {0.0, 0.0, 0.0};
  const double first[3] = {_sin * std::cos(_rip), _sin * std::sin(_rip), _cos};
  const double second[3] = {std::cos(_rip), std::sin(_rip), 0.0};
  return CarryForward(origin, first, second);
}

void XelMathConicDeformationUnfolded::EvalCoreFGH(const XelMathVector& iP, const double iRip,
                                                  const int iOrder, double* oF, double* oG,
                                                  double* oH, const double iResolution) const {
  const double s = _sin, c = _cos, scale = 1.0 / (_lambda * _sin);
  auto core = [&](const auto& x, const auto& y, const auto& z, auto& oCF, auto& oCG, auto& oCH) {
    using std::atan2;
    using std::cos;
    using std::sin;
    using std::sqrt;
    const auto u = x * s + z * c;
    const auto w = z * s - x * c;
    const auto r = sqrt(u * u + y * y);
    const auto phi = FoldAngle(scale * atan2(y, u), iRip);
    const auto t = r * s - w * c;
    oCF = t * cos(phi);
    oCG = t * sin(phi);
    oCH = r * c + w * s;
  };
  const double* p = iP.GetCoords();
  double guarded[3] = {p[0], p[1], p[2]};
  const double u = p[0] * s + p[2] * c;
  if (std::fabs(u) < iResolution && std::fabs(p[1]) < iResolution) {
    // Moving along (s, 0, c) changes u alone.
    const double shift = (u < 0.0 ? -iResolution : iResolution) - u;
    guarded[0] += shift * s;
    guarded[2] += shift * c;
    guarded[1] = p[1] < 0.0 ? -iResolution : iResolution;
  }
  CoreWithDerivatives(core, p, guarded, iOrder, oF, oG, oH);
}

void XelMathConicDeformationUnfolded::EvalCoreFGH(const XelMathInterval* iP, const double iRip,
                                                  XelMathInterval* oImage) const {
  using namespace XelMathElementary;
  const double s = _sin, c = _cos;
  const XelMathInterval u = Add(Scale(s, iP[0]), Scale(c, iP[2]));
  const XelMathInterval w = Sub(Scale(s, iP[2]), Scale(c, iP[0]));
  const XelMathInterval r = sqrt(Add(square(u), square(iP[1])));
  const XelMathInterval phi = FoldAngle(Scale(1.0 / (_lambda * s), atan2(iP[1], u)), iRip);
  const XelMathInterval t = Sub(Scale(s, r), Scale(c, w));
  oImage[0] = Mul(t, PhaseCos(phi));
  oImage[1] = Mul(t, PhaseSin(phi));
  oImage[2] = Add(Scale(c, r), Scale(s, w));
}
