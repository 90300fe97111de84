// XelQuorTransfo2D: the inversion system it owns and the reverse evaluations.
#include "XelQuorTransfo2D.h"

#include <cstring>

#include "XelMathConstants.h"
#include "XelMathSolveNewtonXY.h"

XelQuorTransfo2D::XelQuorTransfo2D()
    : _inversion(nullptr),
      _domain(-XelMathInfinite, XelMathInfinite, -XelMathInfinite, XelMathInfinite) {}

XelQuorTransfo2D::XelQuorTransfo2D(const XelTolerance& iTol)
    : _inversion(nullptr),
      _domain(-XelMathInfinite, XelMathInfinite, -XelMathInfinite, XelMathInfinite) {
  _inversion = new XelMathSolveNewtonXY(this, iTol);
}

XelQuorTransfo2D::~XelQuorTransfo2D() {
  delete _inversion;
}

long XelQuorTransfo2D::GetDynamicMemoryBytes() const {
  return _inversion ? _inversion->GetStaticMemoryBytes() + _inversion->GetDynamicMemoryBytes() : 0;
}

long XelQuorTransfo2D::GetStaticMemoryBytes() const {
  return sizeof(XelQuorTransfo2D);
}

unsigned char XelQuorTransfo2D::IsAKindOf(const char* iName) const {
  if (!iName)
    return 0;
  if (!std::strcmp(iName, "XelQuorTransfo2D"))
    return 1;
  const char* own = IsA();
  return (own && !std::strcmp(iName, own)) ? 1 : 0;
}

int XelQuorTransfo2D::ReverseEval(const double iU, const double iV, const int iOrder,
                                  const double iDu, const double iDv, double& oX, double& oY,
                                  double& oDx, double& oDy) const {
  if (iOrder == 1)
    ReverseEvalPoint(iU, iV, oX, oY);
  else if (iOrder == 2)
    ReverseEvalFirstDeriv(iU, iV, iDu, iDv, oDx, oDy);
  return 0;
}

int XelQuorTransfo2D::ReverseEvalPoint(const double iU, const double iV, double& oX,
                                       double& oY) const {
  if (!_inversion)
    return 0;
  _inversion->XYWanted(iU, iV);
  oX = iU;
  oY = iV;
  return _inversion->SolveSafeNewton(oX, oY, _domain);
}

int XelQuorTransfo2D::ReverseEvalFirstDeriv(const double iU, const double iV, const double iDu,
                                            const double iDv, double& oDx, double& oDy) const {
  const double h = 1e-5;
  double x[4] = {0.0, 0.0, 0.0, 0.0}, y[4] = {0.0, 0.0, 0.0, 0.0};
  int converged = 1;
  converged &= ReverseEvalPoint(iU + h, iV, x[0], y[0]);
  converged &= ReverseEvalPoint(iU - h, iV, x[1], y[1]);
  converged &= ReverseEvalPoint(iU, iV + h, x[2], y[2]);
  converged &= ReverseEvalPoint(iU, iV - h, x[3], y[3]);
  oDx = ((x[0] - x[1]) * iDu + (x[2] - x[3]) * iDv) / (2.0 * h);
  oDy = ((y[0] - y[1]) * iDu + (y[2] - y[3]) * iDv) / (2.0 * h);
  return converged;
}
