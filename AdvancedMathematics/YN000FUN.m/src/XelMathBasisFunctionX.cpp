#include "XelMathBasisFunctionX.h"

#include <cmath>

#include "XelError.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathGlobals.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelTolerance.h"

namespace {
// The variable power of an option, after checking that it holds one F and one X power.
long CheckedVariablePower(const XelMathAttrScaleOption& iOption) {
  long nbF = 0, nbX = 0;
  iOption.GetPowerScaleF(nbF);
  const long* powersX = iOption.GetPowerScaleX(nbX);
  if (nbF != 1 || nbX != 1)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption", "wrong dimension",
                 "XelMathBasisFunctionX::XelMathBasisFunctionX");
  return powersX[0];
}
} // namespace

XelMathBasisFunctionX::XelMathBasisFunctionX(const XelTolerance& iTol, long iPowerX)
    : _tolerance(&iTol), _h1(XelMathh1), _h2(XelMathh2), _h3(XelMathh3), _scaleOption(nullptr),
      _hasScaleOption(0) {
  InitStep(iPowerX);
}

XelMathBasisFunctionX::XelMathBasisFunctionX(const XelTolerance& iTol,
                                             XelMathAttrScaleOption& iOption)
    : _tolerance(&iTol), _h1(XelMathh1), _h2(XelMathh2), _h3(XelMathh3), _scaleOption(nullptr),
      _hasScaleOption(0) {
  SetScaleOption(iOption);
}

XelMathBasisFunctionX::XelMathBasisFunctionX(const XelMathBasisFunctionX& iOther)
    : XelMathFunctionX(iOther), _tolerance(iOther._tolerance), _h1(iOther._h1), _h2(iOther._h2),
      _h3(iOther._h3), _scaleOption(nullptr), _hasScaleOption(iOther._hasScaleOption) {
  if (iOther._scaleOption)
    _scaleOption = new XelMathAttrScaleOption(*iOther._scaleOption);
}

XelMathBasisFunctionX& XelMathBasisFunctionX::operator=(const XelMathBasisFunctionX& iOther) {
  if (this == &iOther)
    return *this;
  XelMathAttrScaleOption* option =
      iOther._scaleOption ? new XelMathAttrScaleOption(*iOther._scaleOption) : nullptr;
  delete _scaleOption;
  _scaleOption = option;
  _hasScaleOption = iOther._hasScaleOption;
  _tolerance = iOther._tolerance;
  _h1 = iOther._h1;
  _h2 = iOther._h2;
  _h3 = iOther._h3;
  return *this;
}

XelMathBasisFunctionX::~XelMathBasisFunctionX() {
  delete _scaleOption;
}

long XelMathBasisFunctionX::GetDynamicMemoryBytes() const {
  return _scaleOption ? _scaleOption->GetEstimatedMemoryBytes() : 0;
}

XelMathDefineIdentity(XelMathBasisFunctionX, XelMathFunctionX);

void XelMathBasisFunctionX::InitStep(long iPowerX) {
  double s = 1.0;
  if (_tolerance && _tolerance->IsValidMark())
    s = _tolerance->GetScaleFactor();
  double m = 1.0;
  if (iPowerX == 1)
    m = s;
  else if (iPowerX != 0)
    m = std::pow(s, static_cast<double>(iPowerX));
  _h1 = m * XelMathh1;
  _h2 = m * XelMathh2;
  _h3 = m * XelMathh3;
}

void XelMathBasisFunctionX::SetScaleOption(XelMathAttrScaleOption& iOption) {
  const long powerX = CheckedVariablePower(iOption);
  if (_scaleOption != &iOption) {
    XelMathAttrScaleOption* option = new XelMathAttrScaleOption(iOption);
    delete _scaleOption;
    _scaleOption = option;
  }
  _hasScaleOption = 1;
  InitStep(powerX);
}

unsigned char XelMathBasisFunctionX::GetScaleOption(XelMathAttrScaleOption& oOption) const {
  if (_hasScaleOption && _scaleOption) {
    oOption = *_scaleOption;
    return 1;
  }
  oOption = XelMathAttrScaleOption(1, 1);
  return 0;
}

double XelMathBasisFunctionX::EvalFirstDeriv(const double& x) const {
  const double xp = x + _h1, xm = x - _h1;
  return (Eval(xp) - Eval(xm)) / (2.0 * _h1);
}

double XelMathBasisFunctionX::EvalSecondDeriv(const double& x) const {
  if (IsOption(XelMathOption::FirstDeriv)) {
    const double xp = x + _h1, xm = x - _h1;
    return (EvalFirstDeriv(xp) - EvalFirstDeriv(xm)) / (2.0 * _h1);
  }
  const double xp = x + _h2, xm = x - _h2;
  return (Eval(xp) + Eval(xm) - 2.0 * Eval(x)) / (_h2 * _h2);
}

double XelMathBasisFunctionX::EvalThirdDeriv(const double& x) const {
  const double xp = x + _h3, xm = x - _h3;
  return (EvalSecondDeriv(xp) - EvalSecondDeriv(xm)) / (2.0 * _h3);
}
