// XelMathCylindricDeformation: the whole map assembled from the core functions F, G, H = z.
#include "XelMathCylindricDeformation.h"

#include <cmath>

#include "XelMathConstants.h"
#include "XelMathDeformationTools.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathVector.h"

XelMathCylindricDeformation::XelMathCylindricDeformation(const double iK, const XelTolerance& iTol)
    : XelMathNonLinearTransformation(iTol), _k(iK), _rip(XelPI) {}

XelMathCylindricDeformation::XelMathCylindricDeformation(const double iK, const double iRip,
                                                         const XelTolerance& iTol)
    : XelMathNonLinearTransformation(iTol), _k(iK), _rip(iRip) {}

XelMathCylindricDeformation::~XelMathCylindricDeformation() = default;

long XelMathCylindricDeformation::GetStaticMemoryBytes() const {
  return sizeof(XelMathCylindricDeformation);
}

// ==== single core evaluations ============================================================
#define XelMathCylindricPick(Name, Function, Order, Index)                                         \
  double XelMathCylindricDeformation::Name(const double& x, const double& y) const {               \
    double v[6];                                                                                   \
    Function(x, y, Order, v, GetResolution());                                                     \
    return v[Index];                                                                               \
  }                                                                                                \
  static_assert(true, #Name)
#define XelMathCylindricPickG(Name, Order, Index)                                                  \
  double XelMathCylindricDeformation::Name(const double& x, const double& y) const {               \
    double v[6];                                                                                   \
    EvalG(x, y, _rip, Order, v, GetResolution());                                                  \
    return v[Index];                                                                               \
  }                                                                                                \
  static_assert(true, #Name)

XelMathCylindricPick(EvalFirstDerivFX, EvalF, 1, 1);
XelMathCylindricPick(EvalFirstDerivFY, EvalF, 1, 2);
XelMathCylindricPick(EvalSecondDerivFX2, EvalF, 2, 3);
XelMathCylindricPick(EvalSecondDerivFXY, EvalF, 2, 4);
XelMathCylindricPick(EvalSecondDerivFY2, EvalF, 2, 5);
XelMathCylindricPickG(EvalFirstDerivGX, 1, 1);
XelMathCylindricPickG(EvalFirstDerivGY, 1, 2);
XelMathCylindricPickG(EvalSecondDerivGX2, 2, 3);
XelMathCylindricPickG(EvalSecondDerivGXY, 2, 4);
XelMathCylindricPickG(EvalSecondDerivGY2, 2, 5);

double XelMathCylindricDeformation::EvalF(const double& x, const double& y) const {
  double v[1];
  EvalF(x, y, 0, v, GetResolution());
  return v[0];
}

double XelMathCylindricDeformation::EvalG(const double& x, const double& y,
                                          const double& iRip) const {
  double v[1];
  EvalG(x, y, iRip, 0, v, GetResolution());
  return v[0];
}

void XelMathCylindricDeformation::EvalFGH(const XelMathVector& iP, double& oF, double& oG,
                                          double& oH) const {
  oF = EvalF(iP.GetX(), iP.GetY());
  oG = EvalG(iP.GetX(), iP.GetY(), _rip);
  oH = iP.GetZ();
}

void XelMathCylindricDeformation::EvalUpToFirstDerivFGH(const XelMathVector& iP, double& oF,
                                                        double& oG, double& oH, double& oFx,
                                                        double& oFy, double& oFz, double& oGx,
                                                        double& oGy, double& oGz, double& oHx,
                                                        double& oHy, double& oHz) const {
  double q[3], j[9];
  Core(iP.GetCoords(), q, j, GetResolution());
  oF = q[0], oG = q[1], oH = q[2];
  oFx = j[0], oFy = j[1], oFz = j[2];
  oGx = j[3], oGy = j[4], oGz = j[5];
  oHx = j[6], oHy = j[7], oHz = j[8];
}

void XelMathCylindricDeformation::Core(const double* iP, double* oQ, double* oJq,
                                       const double iResolution) const {
  const int order = oJq ? 1 : 0;
  double f[3], g[3];
  EvalF(iP[0], iP[1], order, f, iResolution);
  EvalG(iP[0], iP[1], _rip, order, g, iResolution);
  oQ[0] = f[0];
  oQ[1] = g[0];
  oQ[2] = iP[2];
  if (!oJq)
    return;
  const double j[9] = {f[1], f[2], 0.0, g[1], g[2], 0.0, 0.0, 0.0, 1.0};
  for (int i = 0; i < 9; i++)
    oJq[i] = j[i];
}

// ==== the whole map ======================================================================
void XelMathCylindricDeformation::Eval(const double* x, double* oY) const {
  Eval(x, oY, GetResolution());
}

void XelMathCylindricDeformation::Eval(const double* x, double* oY,
                                       const double iResolution) const {
  double p[3], q[3];
  ApplyRight(x, p);
  Core(p, q, nullptr, iResolution);
  Finish(q, nullptr, oY, nullptr);
}

void XelMathCylindricDeformation::EvalJacobian(const double* x, double* oJ) const {
  EvalJacobian(x, oJ, GetResolution());
}

void XelMathCylindricDeformation::EvalJacobian(const double* x, double* oJ,
                                               const double iResolution) const {
  double p[3], q[3], jq[9], y[3];
  ApplyRight(x, p);
  Core(p, q, jq, iResolution);
  Finish(q, jq, y, oJ);
}

void XelMathCylindricDeformation::Eval(const double* x, double* oF, double* oJ) const {
  double p[3], q[3], jq[9];
  ApplyRight(x, p);
  Core(p, q, jq, GetResolution());
  Finish(q, jq, oF, oJ);
}

void XelMathCylindricDeformation::Eval(const double* x, double* oY, XelMathNxNFullMatrix* oJ,
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

void XelMathCylindricDeformation::EvalInterval(XelMathInterval* ioBox, const long iCount,
                                               const double) const {
  CheckBoxCount(iCount);
  RightImage(ioBox);
  const XelMathInterval f = EvalF(ioBox[0], ioBox[1]);
  const XelMathInterval g = EvalG(ioBox[0], ioBox[1], _rip);
  ioBox[0] = f;
  ioBox[1] = g;
  LeftImage(ioBox);
}

// ==== coefficients =======================================================================
long XelMathCylindricDeformation::GetNumberOfCoef() const {
  return 2;
}

void XelMathCylindricDeformation::GetCoef(double* oCoefs) const {
  oCoefs[0] = _k;
  oCoefs[1] = _rip;
}

void XelMathCylindricDeformation::SetCoef(const double* iCoefs) {
  _k = iCoefs[0];
  _rip = iCoefs[1];
}

unsigned char XelMathCylindricDeformation::IsStreamable(const XelQuorStreamVersion iVersion,
                                                        unsigned char& oFlag) const {
  oFlag = (_rip == XelPI ||
           !XelQuorStreamIsStrictlyOlderThan(iVersion, XelMathDeformation::TwoCoefficients))
              ? 1
              : 0;
  return 1;
}
