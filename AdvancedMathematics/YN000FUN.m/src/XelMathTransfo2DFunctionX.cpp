// XelMathTransfo2DFunctionX: a coordinate of a planar curve mapped by a transformation or a
// system, with its derivatives by the chain rule.
#include "XelMathTransfo2DFunctionX.h"

#include <cmath>

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathSystemXY.h"
#include "XelMathTransformation2D.h"

XelMathTransfo2DFunctionX::XelMathTransfo2DFunctionX(const XelMathFunctionX* iF1,
                                                     const XelMathFunctionX* iF2,
                                                     const XelMathTransformation2D& iTransformation,
                                                     const int iCoordinate)
    : _f{iF1, iF2}, _transformation(new XelMathTransformation2D(iTransformation)), _system(nullptr),
      _coordinate(iCoordinate), _scaling(nullptr) {}

XelMathTransfo2DFunctionX::XelMathTransfo2DFunctionX(const XelMathFunctionX* iF1,
                                                     const XelMathFunctionX* iF2,
                                                     const XelMathSystemXY* iSystem,
                                                     const int iCoordinate)
    : _f{iF1, iF2}, _transformation(nullptr), _system(iSystem), _coordinate(iCoordinate),
      _scaling(nullptr) {}

XelMathTransfo2DFunctionX::~XelMathTransfo2DFunctionX() {
  delete _transformation;
  delete _scaling;
}

long XelMathTransfo2DFunctionX::GetDynamicMemoryBytes() const {
  long bytes = 0;
  if (_transformation)
    bytes += _transformation->GetStaticMemoryBytes();
  if (_scaling)
    bytes += _scaling->GetStaticMemoryBytes();
  return bytes;
}

long XelMathTransfo2DFunctionX::GetStaticMemoryBytes() const {
  return sizeof(XelMathTransfo2DFunctionX);
}

XelMathDefineIdentity(XelMathTransfo2DFunctionX, XelMathFunctionX);

XelMathDefineComponents(XelMathTransfo2DFunctionX, 2, _f);

XelMathFunctionX* XelMathTransfo2DFunctionX::Duplicate() const {
  if (_transformation)
    return new XelMathTransfo2DFunctionX(_f[0], _f[1], *_transformation, _coordinate);
  return new XelMathTransfo2DFunctionX(_f[0], _f[1], _system, _coordinate);
}

void XelMathTransfo2DFunctionX::Derivatives(const double t, const int iOrder, double* oD) const {
  // Derivatives of u and v in t: d[0] value, d[k] order k.
  if (!_f[0] || !_f[1] || (!_transformation && !_system)) {
    for (int k = 0; k <= iOrder; k++)
      oD[k] = XelMathInfinite;
    return;
  }
  double u[4] = {0.0, 0.0, 0.0, 0.0}, v[4] = {0.0, 0.0, 0.0, 0.0};
  u[0] = _f[0]->Eval(t);
  v[0] = _f[1]->Eval(t);
  if (iOrder >= 1) {
    u[1] = _f[0]->EvalFirstDeriv(t);
    v[1] = _f[1]->EvalFirstDeriv(t);
  }
  if (iOrder >= 2) {
    u[2] = _f[0]->EvalSecondDeriv(t);
    v[2] = _f[1]->EvalSecondDeriv(t);
  }
  if (iOrder >= 3) {
    u[3] = _f[0]->EvalThirdDeriv(t);
    v[3] = _f[1]->EvalThirdDeriv(t);
  }
  if (_transformation) {
    double c[6];
    _transformation->GetCoef(c);
    const double* row = c + 3 * (_coordinate ? 1 : 0);
    for (int k = 0; k <= iOrder; k++)
      oD[k] = row[0] * u[k] + row[1] * v[k] + (k == 0 ? row[2] : 0.0);
    return;
  }
  const XelMathSystemXY& s = *_system;
  const bool f = _coordinate == 0;
  const double x = u[0], y = v[0];
  oD[0] = f ? s.EvalF(x, y) : s.EvalG(x, y);
  if (iOrder < 1)
    return;
  const double hx = f ? s.EvalFirstDerivFX(x, y) : s.EvalFirstDerivGX(x, y);
  const double hy = f ? s.EvalFirstDerivFY(x, y) : s.EvalFirstDerivGY(x, y);
  oD[1] = hx * u[1] + hy * v[1];
  if (iOrder < 2)
    return;
  auto second = [&](const double a, const double b, double& oXX, double& oXY, double& oYY) {
    oXX = f ? s.EvalSecondDerivFX2(a, b) : s.EvalSecondDerivGX2(a, b);
    oXY = f ? s.EvalSecondDerivFXY(a, b) : s.EvalSecondDerivGXY(a, b);
    oYY = f ? s.EvalSecondDerivFY2(a, b) : s.EvalSecondDerivGY2(a, b);
  };
  double hxx, hxy, hyy;
  second(x, y, hxx, hxy, hyy);
  oD[2] = hxx * u[1] * u[1] + 2.0 * hxy * u[1] * v[1] + hyy * v[1] * v[1] + hx * u[2] + hy * v[2];
  if (iOrder < 3)
    return;
  // Third partial derivatives by centred differences of the second ones.
  const double ex = 1e-4 * (1.0 + std::fabs(x)), ey = 1e-4 * (1.0 + std::fabs(y));
  double pxx, pxy, pyy, mxx, mxy, myy, qxx, qxy, qyy, nxx, nxy, nyy;
  second(x + ex, y, pxx, pxy, pyy);
  second(x - ex, y, mxx, mxy, myy);
  second(x, y + ey, qxx, qxy, qyy);
  second(x, y - ey, nxx, nxy, nyy);
  const double hxxx = (pxx - mxx) / (2.0 * ex), hyyy = (qyy - nyy) / (2.0 * ey);
  const double hxxy = 0.5 * ((qxx - nxx) / (2.0 * ey) + (pxy - mxy) / (2.0 * ex));
  const double hxyy = 0.5 * ((pyy - myy) / (2.0 * ex) + (qxy - nxy) / (2.0 * ey));
  oD[3] = hxxx * u[1] * u[1] * u[1] + 3.0 * hxxy * u[1] * u[1] * v[1] +
          3.0 * hxyy * u[1] * v[1] * v[1] + hyyy * v[1] * v[1] * v[1] +
          3.0 * (hxx * u[1] * u[2] + hxy * (u[1] * v[2] + u[2] * v[1]) + hyy * v[1] * v[2]) +
          hx * u[3] + hy * v[3];
}

double XelMathTransfo2DFunctionX::Eval(const double& t) const {
  double d[4];
  Derivatives(t, 0, d);
  return d[0];
}

double XelMathTransfo2DFunctionX::EvalFirstDeriv(const double& t) const {
  double d[4];
  Derivatives(t, 1, d);
  return d[1];
}

double XelMathTransfo2DFunctionX::EvalSecondDeriv(const double& t) const {
  double d[4];
  Derivatives(t, 2, d);
  return d[2];
}

double XelMathTransfo2DFunctionX::EvalThirdDeriv(const double& t) const {
  double d[4];
  Derivatives(t, 3, d);
  return d[3];
}

const XelMathTransformation2D* XelMathTransfo2DFunctionX::GetScaling() {
  if (!_transformation)
    return nullptr;
  if (!_scaling) {
    _scaling = new XelMathTransformation2D(*_transformation);
    _scaling->SetVector(0.0, 0.0);
  }
  return _scaling;
}

double XelMathTransfo2DFunctionX::Scale(const double iA, const double iB) {
  const XelMathTransformation2D* scaling = GetScaling();
  if (!scaling)
    return 0.0;
  const XelMathVector2D image = (*scaling) * XelMathVector2D(iA, iB);
  return _coordinate ? image.GetY() : image.GetX();
}
