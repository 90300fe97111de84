// XelMathSystemXYs: the intersection of two planar curves by interval subdivision (see the
// header for the outline).
#include "XelMathSystemXYs.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "XelError.h"
#include "XelMathAttrExclusion2D.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathDebug.h"
#include "XelMathElementaryTools.h"
#include "XelMathFunctionX.h"
#include "XelMathGlobals.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathScratch.h"
#include "XelMathSystemTools.h"
#include "XelTolerance.h"

using XelMathElementary::Hull;
using XelMathElementary::Infinite;
using XelMathElementary::Max2;
using XelMathElementary::Min2;
using XelMathElementary::Mul;
using XelMathElementary::Neg;
using XelMathElementary::Sub;
using XelMathElementary::Tighter;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
/// Deepest recursion of the interval search and the number of boxes one solve may examine.
const long MaxDepth = 64;
const long MaxBoxes = 20000;
/// Images of components without interval images, found by sampling (a few thousand values
/// each for a wildly oscillating component), that one solve may ask for.
const long MaxSampledImages = 4000;
/// Depth until which boxes where a component is not defined everywhere are split.
const long NaNDepth = 8;
/// A Krawczyk step that keeps more than this ratio of the box leaves it undecided.
const double MinReduction = 0.5;
/// Relative padding of the Krawczyk image against rounding.
const double Padding = 1e-12;
/// Relative rounding allowed on the values of the components.
const double RoundingWeight = 1e-14;

/// The behaviour switch of the old sampling search, read from the environment at first use
/// (debug mode only).
int OldSearch() {
  if (_XelQuorOldMathSystemXYs < 0)
    _XelQuorOldMathSystemXYs = (XelMathDebug::GetDebugOnly() != 0 &&
                                XelMathDebug::_stringGetEnv("XelQuorOldMathSystemXYs"))
                                   ? 1
                                   : 0;
  return _XelQuorOldMathSystemXYs;
}

bool Finite(const double a) {
  return std::isfinite(a);
}

bool FiniteInterval(const XelMathInterval& iI) {
  return Finite(iI.low) && Finite(iI.high) && iI.low <= iI.high;
}

bool OneSign(const XelMathInterval& iI) {
  return FiniteInterval(iI) && (iI.low >= 0.0 || iI.high <= 0.0);
}

double Width(const XelMathInterval& iI) {
  return iI.high - iI.low;
}

double Mid(const XelMathInterval& iI) {
  return 0.5 * (iI.low + iI.high);
}

/// Value (and first and second derivatives when asked) of a component, NaN when missing.
void EvalComponent(const XelMathFunctionX* h, const double t, const long iDiff, double* oV,
                   double* oD1, double* oD2) {
  const long point = iDiff & (XelMathOption::Value | XelMathOption::FirstDeriv |
                              XelMathOption::SecondDeriv);
  if (h) {
    h->Eval(t, point, (point & XelMathOption::Value) ? oV : nullptr,
            (point & XelMathOption::FirstDeriv) ? oD1 : nullptr,
            (point & XelMathOption::SecondDeriv) ? oD2 : nullptr);
    return;
  }
  if (oV)
    *oV = NaN;
  if (oD1)
    *oD1 = NaN;
  if (oD2)
    *oD2 = NaN;
}

/// u(x) - v(y) with its derivatives, the masked outputs of one equation.
void EvalDifference(const XelMathFunctionX* u, const XelMathFunctionX* v, const double x,
                    const double y, const long iDiff, double* oF, double* oFx, double* oFy,
                    double* oFxx, double* oFxy, double* oFyy) {
  double u0 = 0.0, u1 = 0.0, u2 = 0.0, v0 = 0.0, v1 = 0.0, v2 = 0.0;
  EvalComponent(u, x, iDiff, &u0, &u1, &u2);
  EvalComponent(v, y, iDiff, &v0, &v1, &v2);
  if ((iDiff & XelMathOption::Value) && oF)
    *oF = u0 - v0;
  if (iDiff & XelMathOption::FirstDeriv) {
    if (oFx)
      *oFx = u1;
    if (oFy)
      *oFy = -v1;
  }
  if (iDiff & XelMathOption::SecondDeriv) {
    if (oFxx)
      *oFxx = u2;
    if (oFxy)
      *oFxy = 0.0;
    if (oFyy)
      *oFyy = -v2;
  }
}

/// The masked grid of u(x_i) - v(y_j): each component sampled once on its side.
void GridDifference(const XelMathFunctionX* u, const XelMathFunctionX* v,
                    const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                    double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                    double* oFyy) {
  if (!iCounts || iCounts[0] <= 0 || iCounts[1] <= 0 || iBox.GetDimension() != 2)
    return;
  const long nx = iCounts[0], ny = iCounts[1];
  if (nx > XelQuorMaxArrayDoubles / 3 || ny > XelQuorMaxArrayDoubles / 3 ||
      nx > XelQuorMaxArrayDoubles / ny)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the grid of the box",
                 "Invalid Number Of Points", "XelMathSystemXYs::EvalF");
  XelMathScratchDoubles<96> su(3 * nx), sv(3 * ny);
  double* U = su.Data();
  double* V = sv.Data();
  for (long i = 0; i < nx; ++i)
    EvalComponent(u, XelMathGridCoordinate(iBox.GetMin(0), iBox.GetMax(0), i, nx), iDiff, U + i,
                  U + nx + i, U + 2 * nx + i);
  for (long j = 0; j < ny; ++j)
    EvalComponent(v, XelMathGridCoordinate(iBox.GetMin(1), iBox.GetMax(1), j, ny), iDiff, V + j,
                  V + ny + j, V + 2 * ny + j);
  for (long i = 0; i < nx; ++i)
    for (long j = 0; j < ny; ++j) {
      const long m = i * ny + j;
      if ((iDiff & XelMathOption::Value) && oF)
        oF[m] = U[i] - V[j];
      if (iDiff & XelMathOption::FirstDeriv) {
        if (oFx)
          oFx[m] = U[nx + i];
        if (oFy)
          oFy[m] = -V[ny + j];
      }
      if (iDiff & XelMathOption::SecondDeriv) {
        if (oFxx)
          oFxx[m] = U[2 * nx + i];
        if (oFxy)
          oFxy[m] = 0.0;
        if (oFyy)
          oFyy[m] = -V[2 * ny + j];
      }
    }
}

/// Whether (x, y) lies strictly inside one rectangle of the list.
bool InsideRectangle(const XelMathAttrExclusion2D& iList, const double x, const double y) {
  for (long k = 0; k < iList.GetNumberOfIntervals(); ++k) {
    const XelMathInterval2D* r = iList.GetInterval(k);
    if (r && x > r->GetX().low && x < r->GetX().high && y > r->GetY().low && y < r->GetY().high)
      return true;
  }
  return false;
}

} // namespace

// ---- construction -----------------------------------------------------------------------------

XelMathSystemXYs::XelMathSystemXYs(const XelMathFunctionX* a, const XelMathFunctionX* b,
                                   const XelMathFunctionX* c, const XelMathFunctionX* d,
                                   const XelTolerance& iTol, const XelMathAttrList* iAttributes)
    : XelMathSystemXY(iTol, iAttributes), _a(a), _b(b), _c(c), _d(d), _tol(iTol),
      _exclusion(nullptr), _active(nullptr), _minWidthX(0.0), _minWidthY(0.0), _depth(0),
      _maxDepth(MaxDepth), _scaled(0), _scaleX(1.0), _scaleY(1.0),
      _root{-XelMathInfinite, XelMathInfinite, -XelMathInfinite, XelMathInfinite},
      _boxes(0), _derivs{nullptr, nullptr, nullptr, nullptr}, _sampledImages(0), _budgetOut(0) {
  if (!a || !b || !c || !d)
    XelQuornull(__FILE__, __LINE__);
  if (iAttributes) {
    if (const XelMathAttrExclusion2D* e = dynamic_cast<const XelMathAttrExclusion2D*>(
            iAttributes->GetAttribute("XelMathAttrExclusion2D")))
      _exclusion = new XelMathAttrExclusion2D(*e);
    // The base constructor applied the scale option before this class existed: record it.
    if (iTol.GetAbsoluteResolution() != 1.0)
      if (const XelMathAttrScaleOption* s = dynamic_cast<const XelMathAttrScaleOption*>(
              iAttributes->GetAttribute("XelMathAttrScaleOption")))
        ScaleOptionIsScaling(*s);
  }
}

XelMathSystemXYs::~XelMathSystemXYs() {
  ReleaseDerivatives();
  delete _exclusion;
}

long XelMathSystemXYs::GetDynamicMemoryBytes() const {
  long bytes = XelMathSystemXY::GetDynamicMemoryBytes();
  if (_exclusion)
    bytes += _exclusion->GetStaticMemoryBytes() + _exclusion->GetDynamicMemoryBytes();
  return bytes;
}

long XelMathSystemXYs::GetStaticMemoryBytes() const {
  return sizeof(XelMathSystemXYs);
}

unsigned char XelMathSystemXYs::IsAKindOf(const char* iName) const {
  if (iName && !std::strcmp(iName, "XelMathSystemXYs"))
    return 1;
  return XelMathSystemXY::IsAKindOf(iName);
}

unsigned char XelMathSystemXYs::IsOption(const long iOption) const {
  if (!_a || !_b || !_c || !_d)
    return 0;
  const long asked = iOption & ~(XelMathOption::Image | XelMathOption::FirstDerivImage);
  if (!asked)
    return 1;
  return (_a->IsOption(asked) && _b->IsOption(asked) && _c->IsOption(asked) &&
          _d->IsOption(asked))
             ? 1
             : 0;
}

const char* XelMathSystemXYs::IsA() const {
  return "XelMathSystemXYs";
}

// ---- evaluation -------------------------------------------------------------------------------

double XelMathSystemXYs::EvalF(const double& x, const double& y) const {
  return (_a ? _a->Eval(x) : NaN) - (_c ? _c->Eval(y) : NaN);
}
double XelMathSystemXYs::EvalG(const double& x, const double& y) const {
  return (_b ? _b->Eval(x) : NaN) - (_d ? _d->Eval(y) : NaN);
}
double XelMathSystemXYs::EvalFirstDerivFX(const double& x, const double&) const {
  return _a ? _a->EvalFirstDeriv(x) : NaN;
}
double XelMathSystemXYs::EvalFirstDerivFY(const double&, const double& y) const {
  return _c ? -_c->EvalFirstDeriv(y) : NaN;
}
double XelMathSystemXYs::EvalFirstDerivGX(const double& x, const double&) const {
  return _b ? _b->EvalFirstDeriv(x) : NaN;
}
double XelMathSystemXYs::EvalFirstDerivGY(const double&, const double& y) const {
  return _d ? -_d->EvalFirstDeriv(y) : NaN;
}
double XelMathSystemXYs::EvalSecondDerivFX2(const double& x, const double&) const {
  return _a ? _a->EvalSecondDeriv(x) : NaN;
}
double XelMathSystemXYs::EvalSecondDerivFXY(const double&, const double&) const {
  return 0.0;
}
double XelMathSystemXYs::EvalSecondDerivFY2(const double&, const double& y) const {
  return _c ? -_c->EvalSecondDeriv(y) : NaN;
}
double XelMathSystemXYs::EvalSecondDerivGX2(const double& x, const double&) const {
  return _b ? _b->EvalSecondDeriv(x) : NaN;
}
double XelMathSystemXYs::EvalSecondDerivGXY(const double&, const double&) const {
  return 0.0;
}
double XelMathSystemXYs::EvalSecondDerivGY2(const double&, const double& y) const {
  return _d ? -_d->EvalSecondDeriv(y) : NaN;
}

void XelMathSystemXYs::EvalF(const double& x, const double& y, const long iDiff, double* oF,
                             double* oFx, double* oFy, double* oFxx, double* oFxy,
                             double* oFyy) const {
  EvalDifference(_a, _c, x, y, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

void XelMathSystemXYs::EvalG(const double& x, const double& y, const long iDiff, double* oG,
                             double* oGx, double* oGy, double* oGxx, double* oGxy,
                             double* oGyy) const {
  EvalDifference(_b, _d, x, y, iDiff, oG, oGx, oGy, oGxx, oGxy, oGyy);
}

void XelMathSystemXYs::EvalF(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                             double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                             double* oFyy) const {
  GridDifference(_a, _c, iBox, iCounts, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

void XelMathSystemXYs::EvalG(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                             double* oG, double* oGx, double* oGy, double* oGxx, double* oGxy,
                             double* oGyy) const {
  GridDifference(_b, _d, iBox, iCounts, iDiff, oG, oGx, oGy, oGxx, oGxy, oGyy);
}

// ---- images -----------------------------------------------------------------------------------

const XelMathFunctionX* XelMathSystemXYs::Component(const int k) const {
  switch (k) {
  case 0:
    return _a;
  case 1:
    return _b;
  case 2:
    return _c;
  default:
    return _d;
  }
}

XelMathInterval XelMathSystemXYs::DerivativeImage(const int k, const XelMathInterval& iI) const {
  const XelMathFunctionX* h = Component(k);
  XelMathInterval d = Infinite();
  if (!h)
    return d;
  if (h->IsOption(XelMathOption::FirstDerivImage))
    d = h->EvalFirstDeriv(iI);
  else if (_derivs[k])
    d = _derivs[k]->IsOption(XelMathOption::Image)
            ? _derivs[k]->Eval(iI)
            : (++_sampledImages, _derivs[k]->ComputeOptimalImage(iI, _tol));
  return FiniteInterval(d) ? d : Infinite();
}

void XelMathSystemXYs::ComputeImages(const XelMathInterval& iX, const XelMathInterval& iY,
                                     const XelMathInterval* iParentDerivs,
                                     Images& oImages) const {
  oImages.undefined = 0;
  for (int k = 0; k < 4; ++k) {
    const XelMathInterval& side = k < 2 ? iX : iY;
    const XelMathFunctionX* h = Component(k);
    XelMathInterval d = DerivativeImage(k, side);
    if (iParentDerivs && FiniteInterval(iParentDerivs[k]))
      d = FiniteInterval(d) ? Tighter(d, iParentDerivs[k]) : iParentDerivs[k];
    oImages.deriv[k] = d;
    const double e0 = h ? h->Eval(side.low) : NaN;
    const double e1 = h ? h->Eval(side.high) : NaN;
    XelMathInterval v;
    if (!Finite(e0) || !Finite(e1)) {
      oImages.undefined = 1;
      v = Infinite();
    } else if (OneSign(d)) {
      // Monotone on the side: the image is spanned by the end values.
      v = XelMathInterval(Min2(e0, e1), Max2(e0, e1));
    } else {
      v = h->IsOption(XelMathOption::Image) ? h->Eval(side)
                                            : (++_sampledImages, h->ComputeOptimalImage(side, _tol));
      if (std::isnan(v.low) || std::isnan(v.high)) {
        oImages.undefined = 1;
        v = Infinite();
      } else {
        // The ends belong to the image whatever the enclosure says.
        v = Hull(v, XelMathInterval(Min2(e0, e1), Max2(e0, e1)));
      }
    }
    oImages.value[k] = v;
  }
}

int XelMathSystemXYs::EvalImages(const int iWhich, const XelMathInterval& iX,
                                 const XelMathInterval& iY, XelMathInterval& oV,
                                 XelMathInterval& oVx, XelMathInterval& oVy) const {
  Images images;
  ComputeImages(iX, iY, nullptr, images);
  const int u = iWhich ? 1 : 0, v = iWhich ? 3 : 2;
  oV = Sub(images.value[u], images.value[v]);
  oVx = images.deriv[u];
  oVy = Neg(images.deriv[v]);
  return images.undefined ? 0 : 1;
}

// ---- options ----------------------------------------------------------------------------------

int XelMathSystemXYs::ScaleOptionIsScaling(const XelMathAttrScaleOption& iOption) {
  long nbF = 0, nbX = 0;
  const long* pF = iOption.GetPowerScaleF(nbF);
  const long* pX = iOption.GetPowerScaleX(nbX);
  if (nbF != 2 || nbX != 2 || !pF || !pX)
    return 0;
  const double e = _tol.GetAbsoluteResolution();
  _scaleX = std::pow(e, double(pX[0]) - 1.0);
  _scaleY = std::pow(e, double(pX[1]) - 1.0);
  _scaled = (pF[0] != 1 || pX[0] != 1 || pF[1] != 1 || pX[1] != 1) ? 1 : 0;
  return _scaled;
}

void XelMathSystemXYs::SetScaleOption(const XelMathAttrScaleOption& iOption) {
  XelMathSystemXY::SetScaleOption(iOption);
  ScaleOptionIsScaling(iOption);
}

// ---- solve ------------------------------------------------------------------------------------

void XelMathSystemXYs::ReleaseDerivatives() {
  for (XelMathFunctionX*& d : _derivs) {
    delete d;
    d = nullptr;
  }
}

int XelMathSystemXYs::Solve(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oSolutions,
                            const XelMathAttrList* iAttributes) {
  _active = _exclusion;
  if (iAttributes)
    if (const XelMathAttrExclusion2D* e = dynamic_cast<const XelMathAttrExclusion2D*>(
            iAttributes->GetAttribute("XelMathAttrExclusion2D")))
      _active = e;
  ReleaseDerivatives();
  auto reset = XelMathMakeOnExit([this] {
    ReleaseDerivatives();
    _active = nullptr;
  });
  // Derivative images of components that have none come from their derivative functions.
  for (int k = 0; k < 4; ++k) {
    const XelMathFunctionX* h = Component(k);
    if (h && !h->IsOption(XelMathOption::FirstDerivImage))
      _derivs[k] = h->CreateDeriv();
  }
  // A search cut short by its budget keeps what it found, with the status of a search
  // stopped early.
  _budgetOut = 0;
  const int status = XelMathSystemXY::Solve(iDomain, oSolutions, iAttributes);
  return _budgetOut && status == XelMathStatus::Done ? XelMathStatus::Stopped : status;
}

int XelMathSystemXYs::ISolve(const XelMathInterval2D& iDomain, const XelMathAttrList* iAttributes) {
  if (_scaled || OldSearch())
    return XelMathSystemXY::ISolve(iDomain, iAttributes);
  const XelMathInterval X = iDomain.GetX(), Y = iDomain.GetY();
  _root[0] = X.low;
  _root[1] = X.high;
  _root[2] = Y.low;
  _root[3] = Y.high;
  const double resolution = _tol.GetBisectionEpsilon() * _tol.GetAbsoluteResolution();
  _minWidthX = Max2(XelMinWidth * Width(X), resolution);
  _minWidthY = Max2(XelMinWidth * Width(Y), resolution);
  _depth = 0;
  _boxes = 0;
  _sampledImages = 0;
  auto release = XelMathMakeOnExit([this] {
    _root[0] = _root[2] = -XelMathInfinite;
    _root[1] = _root[3] = XelMathInfinite;
  });
  return RSolve(X, Y, nullptr);
}

int XelMathSystemXYs::AddSolution(const double x, const double y) {
  if (_active && _active->GetNumberOfIntervals() > 0) {
    const double X = _scaled ? x * _scaleX : x, Y = _scaled ? y * _scaleY : y;
    if (InsideRectangle(*_active, X, Y))
      return 0;
  }
  return XelMathSystemXY::AddSolution(x, y);
}

int XelMathSystemXYs::AddRoot(const double* iPoint) {
  const double x = Min2(Max2(iPoint[0], _root[0]), _root[1]);
  const double y = Min2(Max2(iPoint[1], _root[2]), _root[3]);
  return AddSolution(x, y) == -1 ? -1 : 1;
}

int XelMathSystemXYs::Solve_MaxDepth(const XelMathInterval2D& iBox) {
  return DSolve(iBox.GetX().low, iBox.GetX().high, iBox.GetY().low, iBox.GetY().high, 2, 2) == -1
             ? -1
             : 0;
}

int XelMathSystemXYs::Solve_Newton(double* ioPoint) {
  // The residual test holds along a stretch where the curves meet at a small angle: the steps
  // go on until they settle, the last point passing the test answering when they break down.
  double x = ioPoint[0], y = ioPoint[1];
  bool passed = false;
  double px = x, py = y;
  const double res = _tol.GetParametricResolution();
  for (long it = 0; it < XelMaxNewtonIteration; ++it) {
    double f = 0.0, fx = 0.0, fy = 0.0, g = 0.0, gx = 0.0, gy = 0.0;
    EvalF(x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy, nullptr, nullptr, nullptr);
    EvalG(x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy, nullptr, nullptr, nullptr);
    const double det = fx * gy - fy * gx;
    if (!Finite(det) || !Finite(f) || !Finite(g) || det == 0.0)
      break;
    const double jac[4] = {fx, fy, gx, gy};
    double norm = 0.0;
    if (IsNull(x, y, f, g, norm, jac)) {
      passed = true;
      px = x;
      py = y;
      if (f == 0.0 && g == 0.0)
        break;
    }
    const double dx = (f * gy - fy * g) / det, dy = (fx * g - f * gx) / det;
    x -= dx;
    y -= dy;
    if (!Finite(x) || !Finite(y))
      break;
    if (std::fabs(dx) + std::fabs(dy) <= res * (1.0 + std::fabs(x) + std::fabs(y))) {
      px = x;
      py = y;
      passed = true;
      break;
    }
  }
  if (!passed)
    return 0;
  ioPoint[0] = px;
  ioPoint[1] = py;
  return 1;
}

int XelMathSystemXYs::Solve_SafeNewton(double* ioPoint, const XelMathInterval2D& iBox) {
  double x = ioPoint[0], y = ioPoint[1];
  if (SafeNewton(x, y, iBox.GetX().low, iBox.GetX().high, iBox.GetY().low, iBox.GetY().high) > 0) {
    ioPoint[0] = x;
    ioPoint[1] = y;
    return 1;
  }
  return 0;
}

// One Krawczyk step on the box with the derivative images iDerivs (a', b' over X, c', d'
// over Y): K = m - C f(m) + (I - C J) (box - m), C the inverse of the Jacobian at the centre.
// 0 no solution, 1 K inside the box (a unique solution, box replaced by K), 2 box
// intersected with K, 3 no information.
int XelMathSystemXYs::Krawczyk(XelMathInterval2D& ioBox, const XelMathInterval* iDerivs) const {
  const XelMathInterval X = ioBox.GetX(), Y = ioBox.GetY();
  for (int k = 0; k < 4; ++k)
    if (!FiniteInterval(iDerivs[k]))
      return 3;
  const double mx = Mid(X), my = Mid(Y);
  double v[4], dv[4];
  for (int k = 0; k < 4; ++k)
    EvalComponent(Component(k), k < 2 ? mx : my, XelMathOption::ValueAndFirst, v + k, dv + k,
                  nullptr);
  const double f = v[0] - v[2], g = v[1] - v[3];
  const double fx = dv[0], fy = -dv[2], gx = dv[1], gy = -dv[3];
  const double det = fx * gy - fy * gx;
  const double scale = (std::fabs(fx) + std::fabs(fy)) * (std::fabs(gx) + std::fabs(gy));
  if (!Finite(det) || !Finite(f) || !Finite(g) || !(std::fabs(det) > 1e-14 * scale))
    return 3;
  // Rounding of the values at the centre, in the units of the variables.
  const double roundF = RoundingWeight * (std::fabs(v[0]) + std::fabs(v[2]));
  const double roundG = RoundingWeight * (std::fabs(v[1]) + std::fabs(v[3]));
  const double C[2][2] = {{gy / det, -fy / det}, {-gx / det, fx / det}};
  const XelMathInterval J[2][2] = {{iDerivs[0], Neg(iDerivs[2])}, {iDerivs[1], Neg(iDerivs[3])}};
  const XelMathInterval R[2] = {XelMathInterval(X.low - mx, X.high - mx),
                                XelMathInterval(Y.low - my, Y.high - my)};
  const double m[2] = {mx, my};
  const double step[2] = {C[0][0] * f + C[0][1] * g, C[1][0] * f + C[1][1] * g};
  XelMathInterval K[2];
  for (int i = 0; i < 2; ++i) {
    XelMathInterval sum(m[i] - step[i], m[i] - step[i]);
    for (int j = 0; j < 2; ++j) {
      // (I - C J)_ij
      const XelMathInterval cj = XelMathElementary::Add(
          XelMathElementary::Scale(C[i][0], J[0][j]), XelMathElementary::Scale(C[i][1], J[1][j]));
      const double delta = i == j ? 1.0 : 0.0;
      const XelMathInterval M(delta - cj.high, delta - cj.low);
      sum = XelMathElementary::Add(sum, Mul(M, R[j]));
    }
    const double pad = Padding * (std::fabs(m[i]) + Width(R[i]) + std::fabs(step[i])) +
                       std::fabs(C[i][0]) * roundF + std::fabs(C[i][1]) * roundG;
    K[i] = XelMathInterval(sum.low - pad, sum.high + pad);
    if (!FiniteInterval(K[i]))
      return 3;
  }
  const XelMathInterval B[2] = {X, Y};
  bool inside = true;
  XelMathInterval cut[2];
  for (int i = 0; i < 2; ++i) {
    // A solution of the computed functions may sit just outside the box (their rounding
    // moves it): only a clear miss proves the box empty, a near miss keeps the nearest end.
    const double slack = _tol.GetParametricResolution() *
                         (1.0 + std::fabs(B[i].low) + std::fabs(B[i].high));
    if (K[i].low > B[i].high + slack || K[i].high < B[i].low - slack)
      return 0;
    if (!(K[i].low > B[i].low && K[i].high < B[i].high))
      inside = false;
    cut[i] = XelMathInterval(Max2(K[i].low, B[i].low), Min2(K[i].high, B[i].high));
    if (cut[i].low > cut[i].high)
      cut[i] = K[i].low > B[i].high ? XelMathInterval(B[i].high, B[i].high)
                                    : XelMathInterval(B[i].low, B[i].low);
  }
  ioBox.SetX(cut[0]);
  ioBox.SetY(cut[1]);
  return inside ? 1 : 2;
}

int XelMathSystemXYs::IntervalNewton(XelMathInterval2D& ioBox, XelMathInterval* ioDerivs) const {
  for (int k = 0; k < 4; ++k)
    if (!FiniteInterval(ioDerivs[k]))
      return 3;
  int result = 3;
  for (long it = 0; it < XelMaxIntervalIteration; ++it) {
    const double before = Max2(Width(ioBox.GetX()) / _minWidthX, Width(ioBox.GetY()) / _minWidthY);
    const int r = Krawczyk(ioBox, ioDerivs);
    if (r == 0 || r == 1)
      return r;
    if (r == 3)
      return result;
    const double after = Max2(Width(ioBox.GetX()) / _minWidthX, Width(ioBox.GetY()) / _minWidthY);
    if (after < before)
      result = 2;
    if (!(after < MinReduction * before))
      return result;
    // Tighter derivative images on the smaller box.
    for (int k = 0; k < 4; ++k) {
      const XelMathInterval d = DerivativeImage(k, k < 2 ? ioBox.GetX() : ioBox.GetY());
      if (FiniteInterval(d))
        ioDerivs[k] = Tighter(d, ioDerivs[k]);
    }
  }
  return result;
}

int XelMathSystemXYs::Solve_IntervalNewton(XelMathInterval2D& ioBox) {
  if (!(_minWidthX > 0.0) || !(_minWidthY > 0.0)) {
    const double resolution = _tol.GetBisectionEpsilon() * _tol.GetAbsoluteResolution();
    _minWidthX = Max2(XelMinWidth * Width(ioBox.GetX()), resolution);
    _minWidthY = Max2(XelMinWidth * Width(ioBox.GetY()), resolution);
  }
  XelMathInterval derivs[4];
  for (int k = 0; k < 4; ++k)
    derivs[k] = DerivativeImage(k, k < 2 ? ioBox.GetX() : ioBox.GetY());
  return IntervalNewton(ioBox, derivs);
}

int XelMathSystemXYs::RSolve(const XelMathInterval& iX, const XelMathInterval& iY,
                             const XelMathInterval* iParentDerivs) {
  if (++_boxes > MaxBoxes || _sampledImages > MaxSampledImages) {
    _budgetOut = 1;
    return 0;
  }
  if (_depth >= _maxDepth)
    return 0;
  ++_depth;
  auto depthGuard = XelMathMakeOnExit([this] { --_depth; });
  XelMathInterval2D box(iX, iY);
  if (_active && _active->GetNumberOfIntervals() > 0) {
    if (_active->Includes(box))
      return 0;
    if (box.IsEmpty())
      return 0;
  }
  XelMathInterval X = box.GetX(), Y = box.GetY();
  Images images;
  ComputeImages(X, Y, iParentDerivs, images);
  if (images.undefined) {
    // Not defined everywhere: looked at closer a few times, then left.
    if (_depth > NaNDepth)
      return 0;
  } else {
    const double eps = _tol.GetParametricResolution();
    const XelMathInterval F = Sub(images.value[0], images.value[2]);
    const XelMathInterval G = Sub(images.value[1], images.value[3]);
    if (F.DistanceTo(0.0) > eps || G.DistanceTo(0.0) > eps)
      return 0;
  }
  if (Width(X) < _minWidthX && Width(Y) < _minWidthY)
    return images.undefined ? 0 : Solve_MaxDepth(box);
  if (!images.undefined) {
    XelMathInterval2D narrowed(box);
    // The derivative images are tightened on the narrowed box, which holds the children.
    const int r = IntervalNewton(narrowed, images.deriv);
    if (r == 0)
      return 0;
    if (r == 1) {
      // A unique solution in the narrowed box: Newton from its centre.
      const double centre[2] = {Mid(narrowed.GetX()), Mid(narrowed.GetY())};
      double p[2] = {centre[0], centre[1]};
      bool converged = Solve_SafeNewton(p, narrowed) != 0;
      if (!converged) {
        p[0] = centre[0];
        p[1] = centre[1];
        converged = Solve_Newton(p) != 0;
      }
      if (converged)
        return AddRoot(p) == -1 ? -1 : 0;
    }
    X = narrowed.GetX();
    Y = narrowed.GetY();
    if (Width(X) < _minWidthX && Width(Y) < _minWidthY) {
      // Narrowed below the minimal widths without a proof: a solution on the border of the
      // box, or two close ones (nearly tangent curves). The cell scan of the narrowed box,
      // widened to the minimal size about its centre within the box, finds every one.
      const double cx = Mid(X), cy = Mid(Y);
      const XelMathInterval2D around(
          Max2(box.GetX().low, Min2(X.low, cx - 0.5 * _minWidthX)),
          Min2(box.GetX().high, Max2(X.high, cx + 0.5 * _minWidthX)),
          Max2(box.GetY().low, Min2(Y.low, cy - 0.5 * _minWidthY)),
          Min2(box.GetY().high, Max2(Y.high, cy + 0.5 * _minWidthY)));
      return Solve_MaxDepth(around);
    }
  }
  // Bisection across the side that is wider relative to its minimal width.
  const XelMathInterval* derivs = images.undefined ? nullptr : images.deriv;
  const bool splitX = Width(X) / _minWidthX >= Width(Y) / _minWidthY;
  if (splitX) {
    const double m = Mid(X);
    if (RSolve(XelMathInterval(X.low, m), Y, derivs) == -1)
      return -1;
    return RSolve(XelMathInterval(m, X.high), Y, derivs) == -1 ? -1 : 0;
  }
  const double m = Mid(Y);
  if (RSolve(X, XelMathInterval(Y.low, m), derivs) == -1)
    return -1;
  return RSolve(X, XelMathInterval(m, Y.high), derivs) == -1 ? -1 : 0;
}
