// XelMathConicDeformation: the coordinate functions served one by one, and the whole map.
#include "XelMathConicDeformation.h"

#include <cmath>

#include "XelMathConstants.h"
#include "XelMathDeformationTools.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathVector.h"

XelMathConicDeformation::XelMathConicDeformation(const double iAlpha, const XelTolerance& iTol)
    : XelMathConicDeformation(iAlpha, XelPI, 1.0, iTol) {}

XelMathConicDeformation::XelMathConicDeformation(const double iAlpha, const double iRip,
                                                 const XelTolerance& iTol)
    : XelMathConicDeformation(iAlpha, iRip, 1.0, iTol) {}

XelMathConicDeformation::XelMathConicDeformation(const double iAlpha, const double iRip,
                                                 const double iLambda, const XelTolerance& iTol)
    : XelMathNonLinearTransformation(iTol), _alpha(iAlpha), _rip(iRip), _lambda(iLambda),
      _sin(std::sin(iAlpha)), _cos(std::cos(iAlpha)) {}

XelMathConicDeformation::~XelMathConicDeformation() = default;

long XelMathConicDeformation::GetStaticMemoryBytes() const {
  return sizeof(XelMathConicDeformation);
}

// ==== the coordinate functions one by one ================================================
namespace {
/// Index of each derivative in the arrays: value, x, y, z, xx, xy, xz, yy, yz, zz.
enum { V = 0, DX, DY, DZ, DXX, DXY, DXZ, DYY, DYZ, DZZ };
} // namespace

#define XelMathConicPick(Name, Which, Index)                                                       \
  double XelMathConicDeformation::Name(const XelMathVector& iP) const {                            \
    double f[10], g[10], h[10];                                                                    \
    EvalCoreFGH(iP, _rip, (Index) == V ? 0 : ((Index) < DXX ? 1 : 2), f, g, h, GetResolution());   \
    return (Which) == 0 ? f[Index] : ((Which) == 1 ? g[Index] : h[Index]);                         \
  }                                                                                                \
  static_assert(true, #Name)

XelMathConicPick(EvalF, 0, V);
XelMathConicPick(EvalFirstDerivFX, 0, DX);
XelMathConicPick(EvalFirstDerivFY, 0, DY);
XelMathConicPick(EvalFirstDerivFZ, 0, DZ);
XelMathConicPick(EvalSecondDerivFX2, 0, DXX);
XelMathConicPick(EvalSecondDerivFXY, 0, DXY);
XelMathConicPick(EvalSecondDerivFXZ, 0, DXZ);
XelMathConicPick(EvalSecondDerivFY2, 0, DYY);
XelMathConicPick(EvalSecondDerivFYZ, 0, DYZ);
XelMathConicPick(EvalSecondDerivFZ2, 0, DZZ);
XelMathConicPick(EvalFirstDerivGX, 1, DX);
XelMathConicPick(EvalFirstDerivGY, 1, DY);
XelMathConicPick(EvalFirstDerivGZ, 1, DZ);
XelMathConicPick(EvalSecondDerivGX2, 1, DXX);
XelMathConicPick(EvalSecondDerivGXY, 1, DXY);
XelMathConicPick(EvalSecondDerivGXZ, 1, DXZ);
XelMathConicPick(EvalSecondDerivGY2, 1, DYY);
XelMathConicPick(EvalSecondDerivGYZ, 1, DYZ);
XelMathConicPick(EvalSecondDerivGZ2, 1, DZZ);
XelMathConicPick(EvalH, 2, V);

double XelMathConicDeformation::EvalG(const XelMathVector& iP, const double& iRip) const {
  double f[1], g[1], h[1];
  EvalCoreFGH(iP, iRip, 0, f, g, h, GetResolution());
  return g[0];
}

void XelMathConicDeformation::EvalF(const XelMathVector& iP, const int iOrder, double* oValues,
                                    const double iResolution) const {
  double g[10], h[10];
  EvalCoreFGH(iP, _rip, iOrder, oValues, g, h, iResolution);
}

void XelMathConicDeformation::EvalG(const XelMathVector& iP, const double& iRip, const int iOrder,
                                    double* oValues, const double iResolution) const {
  double f[10], h[10];
  EvalCoreFGH(iP, iRip, iOrder, f, oValues, h, iResolution);
}

void XelMathConicDeformation::EvalH(const XelMathVector& iP, const int iOrder, double* oValues,
                                    const double iResolution) const {
  double f[10], g[10];
  EvalCoreFGH(iP, _rip, iOrder, f, g, oValues, iResolution);
}

void XelMathConicDeformation::EvalFGH(const XelMathVector& iP, double& oF, double& oG,
                                      double& oH) const {
  EvalCoreFGH(iP, _rip, 0, &oF, &oG, &oH, GetResolution());
}

void XelMathConicDeformation::EvalUpToFirstDerivFGH(const XelMathVector& iP, double& oF, double& oG,
                                                    double& oH, double& oFx, double& oFy,
                                                    double& oFz, double& oGx, double& oGy,
                                                    double& oGz, double& oHx, double& oHy,
                                                    double& oHz) const {
  double q[3], j[9];
  Core(iP.GetCoords(), q, j, GetResolution());
  oF = q[0], oG = q[1], oH = q[2];
  oFx = j[0], oFy = j[1], oFz = j[2];
  oGx = j[3], oGy = j[4], oGz = j[5];
  oHx = j[6], oHy = j[7], oHz = j[8];
}

void XelMathConicDeformation::Core(const double* iP, double* oQ, double* oJq,
                                   const double iResolution) const {
  double f[4], g[4], h[4];
  EvalCoreFGH(XelMathVector(iP), _rip, oJq ? 1 : 0, f, g, h, iResolution);
  oQ[0] = f[0];
  oQ[1] = g[0];
  oQ[2] = h[0];
  if (!oJq)
    return;
  for (int j = 0; j < 3; j++) {
    oJq[j] = f[1 + j];
    oJq[3 + j] = g[1 + j];
    oJq[6 + j] = h[1 + j];
  }
}

// ==== the whole map ======================================================================
void XelMathConicDeformation::Eval(const double* x, double* oY) const {
  Eval(x, oY, GetResolution());
}

void XelMathConicDeformation::Eval(const double* x, double* oY, const double iResolution) const {
  double p[3], q[3];
  ApplyRight(x, p);
  Core(p, q, nullptr, iResolution);
  Finish(q, nullptr, oY, nullptr);
}

void XelMathConicDeformation::EvalJacobian(const double* x, double* oJ) const {
  EvalJacobian(x, oJ, GetResolution());
}

void XelMathConicDeformation::EvalJacobian(const double* x, double* oJ,
                                           const double iResolution) const {
  double p[3], q[3], jq[9], y[3];
  ApplyRight(x, p);
  Core(p, q, jq, iResolution);
  Finish(q, jq, y, oJ);
}

void XelMathConicDeformation::Eval(const double* x, double* oF, double* oJ) const {
  double p[3], q[3], jq[9];
  ApplyRight(x, p);
  Core(p, q, jq, GetResolution());
  Finish(q, jq, oF, oJ);
}

void XelMathConicDeformation::Eval(const double* x, double* oY, XelMathNxNFullMatrix* oJ,
                                   const double iResolution) const {
  if (oJ && oJ->GetSizeOfMatrix() != 3)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 2, "Eval", "Dimension not valid", nullptr,
                      __FILE__, __LINE__);
  double p[3], q[3], jq[9], j[9];
  ApplyRight(x, p);
  Core(p, q, oJ ? jq : nullptr, iResolution);
  Finish(q, oJ ? jq : nullptr, oY, oJ ? j : nullptr);
  if (oJ)
    for (long r = 0; r < 3; r++)
      for (long c = 0; c < 3; c++)
        oJ->SetCoef(r, c, j[3 * r + c]);
}

void XelMathConicDeformation::EvalInterval(XelMathInterval* ioBox, const long iCount,
                                           const double) const {
  CheckBoxCount(iCount);
  RightImage(ioBox);
  XelMathInterval image[3];
  EvalCoreFGH(ioBox, _rip, image);
  for (int i = 0; i < 3; i++)
    ioBox[i] = image[i];
  LeftImage(ioBox);
}

// ==== coefficients =======================================================================
long XelMathConicDeformation::GetNumberOfCoef() const {
  return 1;
}

void XelMathConicDeformation::GetCoef(double* oCoefs) const {
  oCoefs[0] = _alpha;
}

void XelMathConicDeformation::SetCoef(const double* iCoefs) {
  _alpha = iCoefs[0];
}

unsigned char XelMathConicDeformation::IsStreamable(const XelQuorStreamVersion iVersion,
                                                    unsigned char& oFlag) const {
  oFlag = 0;
  if (XelQuorStreamIsStrictlyOlderThan(iVersion, XelMathDeformation::ConicRecords))
    return 0;
  oFlag = (_rip == XelPI ||
           !XelQuorStreamIsStrictlyOlderThan(iVersion, XelMathDeformation::TwoCoefficients))
              ? 1
              : 0;
  return 1;
}
