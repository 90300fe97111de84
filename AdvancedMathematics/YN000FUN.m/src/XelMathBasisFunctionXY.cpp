#include "XelMathBasisFunctionXY.h"

#include <cmath>

#include "XelMathGlobals.h"
#include "XelMathDifferencesXY.h"
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
  return XelMathDifferencesXY::FirstX(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}

double XelMathBasisFunctionXY::EvalFirstDerivY(const double& x, const double& y) const {
  return XelMathDifferencesXY::FirstY(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}

double XelMathBasisFunctionXY::EvalSecondDerivX2(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondX2(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}

double XelMathBasisFunctionXY::EvalSecondDerivXY(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondXY(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}

double XelMathBasisFunctionXY::EvalSecondDerivY2(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondY2(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}

double XelMathBasisFunctionXY::EvalThirdDerivX3(const double& x, const double& y) const {
  return XelMathDifferencesXY::ThirdX3(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}

double XelMathBasisFunctionXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  return XelMathDifferencesXY::ThirdX2Y(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}

double XelMathBasisFunctionXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  return XelMathDifferencesXY::ThirdXY2(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}

double XelMathBasisFunctionXY::EvalThirdDerivY3(const double& x, const double& y) const {
  return XelMathDifferencesXY::ThirdY3(*this, x, y, {_h1X, _h1Y, _h2X, _h2Y, _h3X, _h3Y});
}
