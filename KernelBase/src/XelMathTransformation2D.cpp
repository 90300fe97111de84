#include "XelMathTransformation2D.h"

#include "XelKernelInternalConstants.h"
#include <cmath>

namespace {
const double Identity[6] = {1, 0, 0, 0, 1, 0};
}

XelMathTransformation2D::XelMathTransformation2D() {
  SetCoef(Identity);
}

XelMathTransformation2D::XelMathTransformation2D(const double* iCoefs) {
  SetCoef(iCoefs);
}

XelMathTransformation2D::XelMathTransformation2D(const XelMathTransformation2D& iOther)
    : XelQuorVirtual(iOther) {
  SetCoef(iOther._coef);
}

XelMathTransformation2D& XelMathTransformation2D::operator=(const XelMathTransformation2D& iOther) {
  SetCoef(iOther._coef);
  return *this;
}

XelMathTransformation2D::~XelMathTransformation2D() = default;

void XelMathTransformation2D::GetCoef(double* oCoefs) const {
  for (int k = 0; k < 6; k++)
    oCoefs[k] = _coef[k];
}

void XelMathTransformation2D::SetCoef(const double* iCoefs) {
  for (int k = 0; k < 6; k++)
    _coef[k] = iCoefs[k];
}

double XelMathTransformation2D::GetCoef(int k) const {
  if (k < 0 || k > 5)
    XelMathRaise(XelErrorCode::WrongIndex, "the coefficient index of a XelMathTransformation2D",
                 "Wrong Index", "XelMathTransformation2D::GetCoef");
  return _coef[k];
}

void XelMathTransformation2D::SetCoef(int k, double iValue) {
  if (k < 0 || k > 5)
    XelMathRaise(XelErrorCode::WrongIndex, "the coefficient index of a XelMathTransformation2D",
                 "Wrong Index", "XelMathTransformation2D::SetCoef");
  _coef[k] = iValue;
}

XelMathTransformation2D
XelMathTransformation2D::operator*(const XelMathTransformation2D& iOther) const {
  const double* a = _coef;
  const double* b = iOther._coef;
  double product[6] = {a[0] * b[0] + a[1] * b[3],        a[0] * b[1] + a[1] * b[4],
                       a[0] * b[2] + a[1] * b[5] + a[2], a[3] * b[0] + a[4] * b[3],
                       a[3] * b[1] + a[4] * b[4],        a[3] * b[2] + a[4] * b[5] + a[5]};
  return XelMathTransformation2D(product);
}

bool XelMathTransformation2D::operator==(const XelMathTransformation2D& iOther) const {
  for (int k = 0; k < 6; k++)
    if (_coef[k] != iOther._coef[k])
      return false;
  return true;
}

int XelMathTransformation2D::Inverse(XelMathTransformation2D& oInverse) const {
  double determinant = Determinant();
  double rows = std::hypot(_coef[0], _coef[1]) * std::hypot(_coef[3], _coef[4]);
  if (!std::isfinite(determinant) || !std::isfinite(rows) || rows == 0.0 ||
      std::fabs(determinant) <= 1e-14 * rows)
    return 1;
  double a = _coef[4] / determinant, b = -_coef[1] / determinant;
  double c = -_coef[3] / determinant, d = _coef[0] / determinant;
  double inverse[6] = {a, b, -(a * _coef[2] + b * _coef[5]), c, d, -(c * _coef[2] + d * _coef[5])};
  oInverse.SetCoef(inverse);
  return 0;
}

bool XelMathTransformation2D::IsIdentity(double iTolerance) const {
  for (int k = 0; k < 6; k++)
    if (!(std::fabs(_coef[k] - Identity[k]) <= iTolerance))
      return false;
  return true;
}

long XelMathTransformation2D::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}
