#include "XelMathBasisFunctionXY.h"

#include <cmath>

#include "XelMathGlobals.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelTolerance.h"

namespace {
/// e^p for the tolerance's absolute resolution e (1 for p = 0, e for p = 1). A tolerance that
/// cannot answer (invalid, in error, no positive finite resolution) counts as unscaled.
double PowerOfResolution(const XelTolerance* iTol, const long iPower) {
  double e = 1.0;
  if (iTol && iTol->IsValidMark() && !iTol->GetError()) {
    const double r = iTol->GetAbsoluteResolution();
    if (r > 0.0 && std::isfinite(r))
      e = r;
  }
  if (iPower == 0)
    return 1.0;
  if (iPower == 1)
    return e;
  const double m = std::pow(e, static_cast<double>(iPower));
  return (m > 0.0 && std::isfinite(m)) ? m : 1.0;
}
} // namespace

XelMathBasisFunctionXY::XelMathBasisFunctionXY(const XelTolerance& iTol, const long iPX,
                                               const long iPY)
    : _tolerance(&iTol), _powerX(iPX), _powerY(iPY), _h1X(XelMathh1), _h2X(XelMathh2),
      _h3X(XelMathh3), _h1Y(XelMathh1), _h2Y(XelMathh2), _h3Y(XelMathh3) {
  InitSteps(iPX, iPY);
}

XelMathBasisFunctionXY::~XelMathBasisFunctionXY() = default;

long XelMathBasisFunctionXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathBasisFunctionXY, XelMathFunctionXY);

void XelMathBasisFunctionXY::InitSteps(const long iPX, const long iPY) {
  _powerX = iPX;
  _powerY = iPY;
  const double eX = PowerOfResolution(_tolerance, iPX), eY = PowerOfResolution(_tolerance, iPY);
  _h1X = eX * XelMathh1;
  _h2X = eX * XelMathh2;
  _h3X = eX * XelMathh3;
  _h1Y = eY * XelMathh1;
  _h2Y = eY * XelMathh2;
  _h3Y = eY * XelMathh3;
}

double XelMathBasisFunctionXY::GetStep(const long iVariable, const long iOrder) const {
  if (iVariable == 0)
    return iOrder <= 1 ? _h1X : iOrder == 2 ? _h2X : _h3X;
  return iOrder <= 1 ? _h1Y : iOrder == 2 ? _h2Y : _h3Y;
}

// ==== centred differences with the scaled steps ==========================================
double XelMathBasisFunctionXY::EvalFirstDerivX(const double& x, const double& y) const {
  const double xp = x + _h1X, xm = x - _h1X;
  return (Eval(xp, y) - Eval(xm, y)) / (2.0 * _h1X);
}

double XelMathBasisFunctionXY::EvalFirstDerivY(const double& x, const double& y) const {
  const double yp = y + _h1Y, ym = y - _h1Y;
  return (Eval(x, yp) - Eval(x, ym)) / (2.0 * _h1Y);
}

double XelMathBasisFunctionXY::EvalSecondDerivX2(const double& x, const double& y) const {
  if (IsOption(XelMathOption::FirstDeriv)) {
    const double xp = x + _h1X, xm = x - _h1X;
    return (EvalFirstDerivX(xp, y) - EvalFirstDerivX(xm, y)) / (2.0 * _h1X);
  }
  const double xp = x + _h2X, xm = x - _h2X;
  return (Eval(xp, y) + Eval(xm, y) - 2.0 * Eval(x, y)) / (_h2X * _h2X);
}

double XelMathBasisFunctionXY::EvalSecondDerivXY(const double& x, const double& y) const {
  if (IsOption(XelMathOption::FirstDeriv)) {
    const double yp = y + _h1Y, ym = y - _h1Y;
    return (EvalFirstDerivX(x, yp) - EvalFirstDerivX(x, ym)) / (2.0 * _h1Y);
  }
  const double xp = x + _h2X, xm = x - _h2X, yp = y + _h2Y, ym = y - _h2Y;
  return (Eval(xp, yp) - Eval(xm, yp) - Eval(xp, ym) + Eval(xm, ym)) / (4.0 * _h2X * _h2Y);
}

double XelMathBasisFunctionXY::EvalSecondDerivY2(const double& x, const double& y) const {
  if (IsOption(XelMathOption::FirstDeriv)) {
    const double yp = y + _h1Y, ym = y - _h1Y;
    return (EvalFirstDerivY(x, yp) - EvalFirstDerivY(x, ym)) / (2.0 * _h1Y);
  }
  const double yp = y + _h2Y, ym = y - _h2Y;
  return (Eval(x, yp) + Eval(x, ym) - 2.0 * Eval(x, y)) / (_h2Y * _h2Y);
}

double XelMathBasisFunctionXY::EvalThirdDerivX3(const double& x, const double& y) const {
  const double xp = x + _h3X, xm = x - _h3X;
  return (EvalSecondDerivX2(xp, y) - EvalSecondDerivX2(xm, y)) / (2.0 * _h3X);
}

double XelMathBasisFunctionXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  const double xp = x + _h3X, xm = x - _h3X;
  return (EvalSecondDerivXY(xp, y) - EvalSecondDerivXY(xm, y)) / (2.0 * _h3X);
}

double XelMathBasisFunctionXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  const double xp = x + _h3X, xm = x - _h3X;
  return (EvalSecondDerivY2(xp, y) - EvalSecondDerivY2(xm, y)) / (2.0 * _h3X);
}

double XelMathBasisFunctionXY::EvalThirdDerivY3(const double& x, const double& y) const {
  const double yp = y + _h3Y, ym = y - _h3Y;
  return (EvalSecondDerivY2(x, yp) - EvalSecondDerivY2(x, ym)) / (2.0 * _h3Y);
}
