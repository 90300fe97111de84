// XelMathSystem3x3s and XelMathSystem3x3sImp: the intersection of a surface and a curve as a
// system of three equations (see the header for the outline).
//
// The singular treatments work in the solving units of XelMathSystem (SEval); the interval
// test of LocalTryNonIntersection needs the system's own units and is made only when the
// solve is not scaled.
#include "XelMathSystem3x3s.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "XelError.h"
#include "XelMathDifferencesXY.h"
#include "XelMathFunctionX.h"
#include "XelMathFunctionXY.h"
#include "XelMathGlobals.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelMathIntervalND.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystemTools.h"
#include "XelTolerance.h"

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
/// Steps of the projection onto the solutions and of the double-root search.
const long MaxProjectionSteps = 60;
const long MaxLagrangeSteps = 100;
/// Steps of the curve following, each way, and their length in cell widths.
const long MarchingSteps = 4;
const double MarchingStep = 0.25;
/// Least length of those steps, in the narrowest width of the box: beside a tangential point
/// the common points of a shorter step pass the root test (the gap grows as the square of
/// the step), and a line touching a sphere was taken for a curve lying in it.
const double LeastMarchingStep = 1e-3;
/// A Jacobian whose determinant is below this ratio of the product of its row norms is
/// singular.
const double SingularRatio = 1e-7;

bool Finite(const double a) {
  return std::isfinite(a);
}

double Dot3(const double* a, const double* b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void Cross3(const double* a, const double* b, double* o) {
  o[0] = a[1] * b[2] - a[2] * b[1];
  o[1] = a[2] * b[0] - a[0] * b[2];
  o[2] = a[0] * b[1] - a[1] * b[0];
}

double Det3(const double* m) {
  return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
         m[2] * (m[3] * m[7] - m[4] * m[6]);
}

/// Solves the 3 x 3 system m x = b by Cramer's rule: false when m is singular.
bool Solve3(const double* m, const double* b, double* x) {
  const double det = Det3(m);
  if (!Finite(det) || det == 0.0)
    return false;
  for (int c = 0; c < 3; ++c) {
    double t[9];
    std::memcpy(t, m, sizeof t);
    for (int r = 0; r < 3; ++r)
      t[r * 3 + c] = b[r];
    x[c] = Det3(t) / det;
  }
  return Finite(x[0]) && Finite(x[1]) && Finite(x[2]);
}

double Clip(const double v, const double lo, const double hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

} // namespace

// ---- XelMathSystem3x3s ------------------------------------------------------------------------

XelMathSystem3x3s::XelMathSystem3x3s(const XelTolerance& iTol, const XelMathAttrList* iAttributes)
    : XelMathSystem(3, iTol, iAttributes), _tol(iTol), _curveInSurface(0), _stop(0), _unscaled(1) {
  const double abs = iTol.GetAbsoluteResolution();
  const double unit = abs > 0.0 && Finite(abs) ? abs : 1.0;
  _h1 = unit * XelMathh1;
  _h2 = unit * XelMathh2;
}

XelMathSystem3x3s::~XelMathSystem3x3s() = default;

long XelMathSystem3x3s::GetDynamicMemoryBytes() const {
  return XelMathSystem::GetDynamicMemoryBytes();
}

long XelMathSystem3x3s::GetStaticMemoryBytes() const {
  return sizeof(XelMathSystem3x3s);
}

void XelMathSystem3x3s::CheckEquation(const long i, const char* iWhere) const {
  if (i < 0 || i > 2)
    XelMathRaise(XelErrorCode::WrongIndex, "the index of the equation", "Wrong Index", iWhere);
}

// Default derivatives: centred differences (steps h1, then h2 for the second order).
double XelMathSystem3x3s::EvalFirstDerivUEquationF(const long i, const double u,
                                                   const double v) const {
  const double h = XelMathDifferencesXY::StepAt(_h1, u);
  return (EvalEquationF(i, u + h, v) - EvalEquationF(i, u - h, v)) / (2.0 * h);
}
double XelMathSystem3x3s::EvalFirstDerivVEquationF(const long i, const double u,
                                                   const double v) const {
  const double h = XelMathDifferencesXY::StepAt(_h1, v);
  return (EvalEquationF(i, u, v + h) - EvalEquationF(i, u, v - h)) / (2.0 * h);
}
double XelMathSystem3x3s::EvalSecondDerivU2EquationF(const long i, const double u,
                                                     const double v) const {
  return (EvalFirstDerivUEquationF(i, u + _h2, v) - EvalFirstDerivUEquationF(i, u - _h2, v)) /
         (2.0 * _h2);
}
double XelMathSystem3x3s::EvalSecondDerivUVEquationF(const long i, const double u,
                                                     const double v) const {
  return (EvalFirstDerivUEquationF(i, u, v + _h2) - EvalFirstDerivUEquationF(i, u, v - _h2)) /
         (2.0 * _h2);
}
double XelMathSystem3x3s::EvalSecondDerivV2EquationF(const long i, const double u,
                                                     const double v) const {
  return (EvalFirstDerivVEquationF(i, u, v + _h2) - EvalFirstDerivVEquationF(i, u, v - _h2)) /
         (2.0 * _h2);
}
double XelMathSystem3x3s::EvalFirstDerivEquationG(const long i, const double w) const {
  return (EvalEquationG(i, w + _h1) - EvalEquationG(i, w - _h1)) / (2.0 * _h1);
}
double XelMathSystem3x3s::EvalSecondDerivEquationG(const long i, const double w) const {
  return (EvalFirstDerivEquationG(i, w + _h2) - EvalFirstDerivEquationG(i, w - _h2)) / (2.0 * _h2);
}

void XelMathSystem3x3s::EvalEquationF(const long i, const XelMathIntervalND& iBoxUV,
                                      const long* iCounts, double* oF, double* oFu,
                                      double* oFv) const {
  for (long j = 0; j < iCounts[0]; ++j) {
    const double u = XelMathGridCoordinate(iBoxUV.GetMin(0), iBoxUV.GetMax(0), j, iCounts[0]);
    for (long k = 0; k < iCounts[1]; ++k) {
      const double v = XelMathGridCoordinate(iBoxUV.GetMin(1), iBoxUV.GetMax(1), k, iCounts[1]);
      const long m = j * iCounts[1] + k;
      oF[m] = EvalEquationF(i, u, v);
      if (oFu && oFv) {
        oFu[m] = EvalFirstDerivUEquationF(i, u, v);
        oFv[m] = EvalFirstDerivVEquationF(i, u, v);
      }
    }
  }
}

void XelMathSystem3x3s::EvalEquationG(const long i, const XelMathInterval& iW, const long iCount,
                                      double* oG, double* oGw) const {
  for (long k = 0; k < iCount; ++k) {
    const double w = XelMathGridCoordinate(iW.low, iW.high, k, iCount);
    oG[k] = EvalEquationG(i, w);
    if (oGw)
      oGw[k] = EvalFirstDerivEquationG(i, w);
  }
}

int XelMathSystem3x3s::EvalEquationF(const long, const XelMathInterval&, const XelMathInterval&,
                                     XelMathInterval&, XelMathInterval&, XelMathInterval&) const {
  return 0;
}

int XelMathSystem3x3s::EvalEquationG(const long, const XelMathInterval&, XelMathInterval&,
                                     XelMathInterval&) const {
  return 0;
}

// ---- the system -------------------------------------------------------------------------------

void XelMathSystem3x3s::Eval(const double* x, double* oF) const {
  double s[3], c[3];
  for (long i = 0; i < 3; ++i)
    s[i] = EvalEquationF(i, x[0], x[1]);
  for (long i = 0; i < 3; ++i)
    c[i] = EvalEquationG(i, x[2]);
  for (long i = 0; i < 3; ++i)
    oF[i] = c[i] - s[i];
}

void XelMathSystem3x3s::EvalJacobian(const double* x, double* oJ) const {
  for (long i = 0; i < 3; ++i) {
    oJ[3 * i] = -EvalFirstDerivUEquationF(i, x[0], x[1]);
    oJ[3 * i + 1] = -EvalFirstDerivVEquationF(i, x[0], x[1]);
    oJ[3 * i + 2] = EvalFirstDerivEquationG(i, x[2]);
  }
}

void XelMathSystem3x3s::Eval(const double* x, double* oF, double* oJ) const {
  Eval(x, oF);
  EvalJacobian(x, oJ);
}

double XelMathSystem3x3s::EvalEquation(const long i, const double* x) const {
  CheckEquation(i, "XelMathSystem3x3s::EvalEquation");
  return EvalEquationG(i, x[2]) - EvalEquationF(i, x[0], x[1]);
}

void XelMathSystem3x3s::EvalFirstDerivEquation(const long i, const double* x,
                                               double* oGradient) const {
  CheckEquation(i, "XelMathSystem3x3s::EvalFirstDerivEquation");
  oGradient[0] = -EvalFirstDerivUEquationF(i, x[0], x[1]);
  oGradient[1] = -EvalFirstDerivVEquationF(i, x[0], x[1]);
  oGradient[2] = EvalFirstDerivEquationG(i, x[2]);
}

double XelMathSystem3x3s::EvalSecondDerivEquation(const long i, const long j, const long k,
                                                  const double* x) const {
  CheckEquation(i, "XelMathSystem3x3s::EvalSecondDerivEquation");
  CheckEquation(j, "XelMathSystem3x3s::EvalSecondDerivEquation");
  CheckEquation(k, "XelMathSystem3x3s::EvalSecondDerivEquation");
  if (j == 2 && k == 2)
    return EvalSecondDerivEquationG(i, x[2]);
  if (j == 2 || k == 2)
    return 0.0;
  if (j == 0 && k == 0)
    return -EvalSecondDerivU2EquationF(i, x[0], x[1]);
  if (j == 1 && k == 1)
    return -EvalSecondDerivV2EquationF(i, x[0], x[1]);
  return -EvalSecondDerivUVEquationF(i, x[0], x[1]);
}

void XelMathSystem3x3s::EvalEquation(const long i, const double* x, double& oValue,
                                     double* oGradient) const {
  oValue = EvalEquation(i, x);
  EvalFirstDerivEquation(i, x, oGradient);
}

void XelMathSystem3x3s::EvalEquation(const long i, const XelMathIntervalND& iBox,
                                     const long* iCounts, double* oValues,
                                     double* oGradients) const {
  CheckEquation(i, "XelMathSystem3x3s::EvalEquation");
  const long nodes = iCounts ? XelMathSystemSearch::GridNodes(3, iCounts, 4, 1) : -1;
  if (nodes < 0 || iBox.GetDimension() != 3)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the grid of the box",
                 "Invalid Number Of Points", "XelMathSystem3x3s::EvalEquation");
  if (_stop) {
    // A curve of solutions has been met: the rest of the search is left undefined.
    for (long m = 0; m < nodes; ++m) {
      oValues[m] = NaN;
      if (oGradients)
        oGradients[3 * m] = oGradients[3 * m + 1] = oGradients[3 * m + 2] = NaN;
    }
    return;
  }
  const long nu = iCounts[0], nv = iCounts[1], nw = iCounts[2];
  const bool gradients = oGradients != nullptr;
  XelMathScratchDoubles<128> F(nu * nv), Fu(gradients ? nu * nv : 0), Fv(gradients ? nu * nv : 0);
  XelMathScratchDoubles<32> G(nw), Gw(gradients ? nw : 0);
  XelMathIntervalND uv(2);
  uv.SetMin(0, iBox.GetMin(0));
  uv.SetMax(0, iBox.GetMax(0));
  uv.SetMin(1, iBox.GetMin(1));
  uv.SetMax(1, iBox.GetMax(1));
  const long countsUV[2] = {nu, nv};
  EvalEquationF(i, uv, countsUV, F.Data(), gradients ? Fu.Data() : nullptr,
                gradients ? Fv.Data() : nullptr);
  EvalEquationG(i, XelMathInterval(iBox.GetMin(2), iBox.GetMax(2)), nw, G.Data(),
                gradients ? Gw.Data() : nullptr);
  for (long a = 0; a < nu * nv; ++a)
    for (long c = 0; c < nw; ++c) {
      const long m = a * nw + c;
      oValues[m] = G[c] - F[a];
      if (gradients) {
        oGradients[3 * m] = -Fu[a];
        oGradients[3 * m + 1] = -Fv[a];
        oGradients[3 * m + 2] = Gw[c];
      }
    }
}

void XelMathSystem3x3s::EvalEquation(const long i, const XelMathIntervalND& iBox,
                                     const long* iCounts, double* oValues) const {
  EvalEquation(i, iBox, iCounts, oValues, nullptr);
}

int XelMathSystem3x3s::EvalJacobianImage(const XelMathIntervalND& iCell, double* oLow,
                                         double* oHigh) const {
  if (iCell.GetDimension() != 3)
    return 0;
  const XelMathInterval U(iCell.GetMin(0), iCell.GetMax(0)), V(iCell.GetMin(1), iCell.GetMax(1));
  const XelMathInterval W(iCell.GetMin(2), iCell.GetMax(2));
  for (long i = 0; i < 3; ++i) {
    XelMathInterval f, fu, fv, g, gw;
    if (!EvalEquationF(i, U, V, f, fu, fv) || !EvalEquationG(i, W, g, gw))
      return 0;
    const XelMathInterval row[3] = {XelMathInterval(-fu.high, -fu.low),
                                    XelMathInterval(-fv.high, -fv.low), gw};
    for (long j = 0; j < 3; ++j) {
      if (!Finite(row[j].low) || !Finite(row[j].high) || row[j].low > row[j].high)
        return 0;
      oLow[3 * i + j] = row[j].low;
      oHigh[3 * i + j] = row[j].high;
    }
  }
  return 1;
}

// ---- the search -------------------------------------------------------------------------------

int XelMathSystem3x3s::Solve(const XelMathIntervalND& iDomain, XelMathSetOfPointsND& oSolutions,
                             const XelMathAttrList* iAttributes) {
  _curveInSurface = 0;
  _stop = 0;
  auto reset = XelMathMakeOnExit([this] { _stop = 0; });
  return XelMathSystem::Solve(iDomain, oSolutions, iAttributes);
}

int XelMathSystem3x3s::FSolve(const XelMathIntervalND& iBox, const long* iCounts) {
  // Whether the solve works in the system's own units: the solving evaluation at the centre
  // of the box is then the system's.
  _unscaled = 0;
  if (iBox.GetDimension() == 3) {
    double c[3], f[3], s[3];
    iBox.Center(c);
    Eval(c, f);
    SEval(c, s);
    _unscaled = (Finite(f[0]) && f[0] == s[0] && f[1] == s[1] && f[2] == s[2]) ? 1 : 0;
  }
  // The separable grids of EvalEquation make every sampling of the search.
  return XelMathSystem::FSolve(iBox, iCounts);
}

int XelMathSystem3x3s::DSolve(const XelMathIntervalND& iBox, const long* iCounts,
                              const long* iCellMask) {
  if (_stop)
    return -2;
  const int r = XelMathSystem::DSolve(iBox, iCounts, iCellMask);
  return _stop ? -2 : r;
}

int XelMathSystem3x3s::ProjectOnSolutions(double* ioX, const double iRadius) const {
  // Levenberg-Marquardt on the residual: the steps stay short where the Jacobian is
  // singular, so that the point reached is near the start.
  double x[3] = {ioX[0], ioX[1], ioX[2]};
  double f[3], J[9];
  SEval(x, f, J);
  double r2 = Dot3(f, f);
  double lambda = 1e-3;
  for (long it = 0; it < MaxProjectionSteps; ++it) {
    if (!Finite(r2))
      return 0;
    double norm = 0.0;
    if (IsRoot(x, f, norm, J)) {
      std::memcpy(ioX, x, sizeof x);
      return 1;
    }
    double A[9], g[3];
    double scale = 0.0;
    for (int r = 0; r < 3; ++r) {
      g[r] = 0.0;
      for (int c = 0; c < 3; ++c) {
        A[r * 3 + c] = 0.0;
        for (int k = 0; k < 3; ++k)
          A[r * 3 + c] += J[k * 3 + r] * J[k * 3 + c];
      }
      for (int k = 0; k < 3; ++k)
        g[r] -= J[k * 3 + r] * f[k];
      scale += A[r * 3 + r];
    }
    bool improved = false;
    for (int attempt = 0; attempt < 12 && !improved; ++attempt) {
      double M[9], d[3];
      std::memcpy(M, A, sizeof M);
      for (int r = 0; r < 3; ++r)
        M[r * 3 + r] += lambda * (A[r * 3 + r] + 1e-12 * scale);
      if (!Solve3(M, g, d)) {
        lambda *= 10.0;
        continue;
      }
      const double len = std::sqrt(Dot3(d, d));
      const double limit = 0.5 * iRadius;
      const double k = len > limit ? limit / len : 1.0;
      double y[3], fy[3], Jy[9];
      for (int c = 0; c < 3; ++c)
        y[c] = x[c] + k * d[c];
      SEval(y, fy, Jy);
      const double ry = Dot3(fy, fy);
      if (Finite(ry) && ry < r2) {
        std::memcpy(x, y, sizeof x);
        std::memcpy(f, fy, sizeof f);
        std::memcpy(J, Jy, sizeof J);
        r2 = ry;
        lambda = lambda > 1e-12 ? lambda / 3.0 : lambda;
        improved = true;
      } else {
        lambda *= 4.0;
      }
    }
    if (!improved)
      break;
  }
  double norm = 0.0;
  if (IsRoot(x, f, norm, J)) {
    std::memcpy(ioX, x, sizeof x);
    return 1;
  }
  return 0;
}

int XelMathSystem3x3s::KernelDirection(const double* iJ, double* oT) const {
  const double* r[3] = {iJ, iJ + 3, iJ + 6};
  const double hadamard =
      std::sqrt(Dot3(r[0], r[0])) * std::sqrt(Dot3(r[1], r[1])) * std::sqrt(Dot3(r[2], r[2]));
  if (std::fabs(Det3(iJ)) > SingularRatio * hadamard)
    return 0;
  double best = 0.0;
  for (int a = 0; a < 3; ++a)
    for (int b = a + 1; b < 3; ++b) {
      double c[3];
      Cross3(r[a], r[b], c);
      const double n = std::sqrt(Dot3(c, c));
      if (n > best) {
        best = n;
        oT[0] = c[0] / n;
        oT[1] = c[1] / n;
        oT[2] = c[2] / n;
      }
    }
  return (best > 0.0 && Finite(best)) ? 1 : 0;
}

int XelMathSystem3x3s::TryMarching(const XelMathIntervalND& iCell, const double* x) {
  if (iCell.GetDimension() != 3 || !x)
    return 0;
  if (LocalTryNonIntersection(iCell))
    return 1;
  double width = NaN;
  for (long k = 0; k < 3; ++k) {
    const double w = iCell.GetMax(k) - iCell.GetMin(k);
    width = k == 0 ? w : std::fmin(width, w);
  }
  if (!(width > 0.0))
    return 0;
  double p[3] = {x[0], x[1], x[2]};
  if (!ProjectOnSolutions(p, width))
    return 0;
  for (long k = 0; k < 3; ++k)
    if (p[k] < iCell.GetMin(k) - width || p[k] > iCell.GetMax(k) + width)
      return 0;
  double f[3], J[9], t0[3];
  SEval(p, f, J);
  if (!KernelDirection(J, t0))
    return 0;
  // Follow the common points both ways: along an arc of the curve lying in the surface every
  // step lands on a new common point; at an isolated (tangential) solution the projection
  // falls back onto the start.
  const XelMathIntervalND* box = GetSolvingDomain();
  double boxWidth = HUGE_VAL;
  for (long k = 0; box && box->GetDimension() == 3 && k < 3; ++k)
    boxWidth = std::fmin(boxWidth, box->GetMax(k) - box->GetMin(k));
  const double h = std::fmax(MarchingStep * width,
                             Finite(boxWidth) ? LeastMarchingStep * boxWidth : 0.0);
  for (const double sense : {1.0, -1.0}) {
    double q[3] = {p[0], p[1], p[2]};
    double t[3] = {sense * t0[0], sense * t0[1], sense * t0[2]};
    for (long s = 0; s < MarchingSteps; ++s) {
      double n[3] = {q[0] + h * t[0], q[1] + h * t[1], q[2] + h * t[2]};
      if (!ProjectOnSolutions(n, h))
        return 0;
      const double d[3] = {n[0] - q[0], n[1] - q[1], n[2] - q[2]};
      const double moved = std::sqrt(Dot3(d, d));
      if (!(moved > 0.5 * h))
        return 0;
      double fn[3], Jn[9], tn[3];
      SEval(n, fn, Jn);
      if (!KernelDirection(Jn, tn))
        return 0;
      if (Dot3(tn, t) < 0.0)
        for (double& c : tn)
          c = -c;
      std::memcpy(q, n, sizeof q);
      std::memcpy(t, tn, sizeof t);
    }
  }
  AddSolution(p);
  _curveInSurface = 1;
  _stop = 1;
  return 1;
}

int XelMathSystem3x3s::FindRootNearSingularity(const XelMathIntervalND& iCell, const double* x) {
  if (TryMarching(iCell, x))
    return 1;
  double y[3] = {x[0], x[1], x[2]};
  return LagrangeNearSingularity(iCell, y);
}

int XelMathSystem3x3s::LagrangeNearSingularity(const XelMathIntervalND& iCell, double* ioX) {
  // Stationary points of 0.5 |f|^2 (f = C(w) - S(u, v)): J^T f = 0, by damped Gauss-Newton
  // steps kept in the cell. At a tangential solution the distance vanishes there.
  if (iCell.GetDimension() != 3)
    return 0;
  double x[3] = {ioX[0], ioX[1], ioX[2]};
  double f[3], J[9], g[3], H[9];
  double phi = EvalForDoubleRoot(x, f, J, g, H);
  double lambda = 1e-6;
  for (long it = 0; it < MaxLagrangeSteps && Finite(phi); ++it) {
    double norm = 0.0;
    if (IsRoot(x, f, norm, J))
      break;
    double M[9], d[3];
    const double b[3] = {-g[0], -g[1], -g[2]};
    bool improved = false;
    for (int attempt = 0; attempt < 12 && !improved; ++attempt) {
      std::memcpy(M, H, sizeof M);
      for (int r = 0; r < 3; ++r)
        M[r * 3 + r] += lambda * (H[r * 3 + r] + 1e-300);
      if (!Solve3(M, b, d)) {
        lambda = lambda * 10.0 + 1e-12;
        continue;
      }
      double y[3], fy[3], Jy[9], gy[3], Hy[9];
      for (int k = 0; k < 3; ++k)
        y[k] = Clip(x[k] + d[k], iCell.GetMin(k), iCell.GetMax(k));
      const double py = EvalForDoubleRoot(y, fy, Jy, gy, Hy);
      if (Finite(py) && py < phi) {
        std::memcpy(x, y, sizeof x);
        std::memcpy(f, fy, sizeof f);
        std::memcpy(J, Jy, sizeof J);
        std::memcpy(g, gy, sizeof g);
        std::memcpy(H, Hy, sizeof H);
        phi = py;
        lambda /= 3.0;
        improved = true;
      } else {
        lambda = lambda * 4.0 + 1e-12;
      }
    }
    if (!improved)
      break;
  }
  double norm = 0.0;
  if (!Finite(phi) || !IsNull(x, f, norm, J))
    return 0;
  std::memcpy(ioX, x, sizeof x);
  return AddSolution(x) == -1 ? 0 : 1;
}

double XelMathSystem3x3s::ProjectionOnPatch(double* ioX) const {
  // Gauss-Newton on (u, v) with w fixed: the normal equations of the first two Jacobian
  // columns.
  double x[3] = {ioX[0], ioX[1], ioX[2]};
  double f[3], J[9];
  SEval(x, f, J);
  double r2 = Dot3(f, f);
  for (long it = 0; it < MaxProjectionSteps && Finite(r2); ++it) {
    double a = 0.0, b = 0.0, c = 0.0, p = 0.0, q = 0.0;
    for (int k = 0; k < 3; ++k) {
      a += J[3 * k] * J[3 * k];
      b += J[3 * k] * J[3 * k + 1];
      c += J[3 * k + 1] * J[3 * k + 1];
      p -= J[3 * k] * f[k];
      q -= J[3 * k + 1] * f[k];
    }
    const double det = a * c - b * b;
    if (!(std::fabs(det) > 0.0) || !Finite(det))
      break;
    double du = (c * p - b * q) / det, dv = (a * q - b * p) / det;
    bool improved = false;
    for (int half = 0; half < XelMaxIntervalIteration && !improved; ++half) {
      double y[3] = {x[0] + du, x[1] + dv, x[2]}, fy[3], Jy[9];
      SEval(y, fy, Jy);
      const double ry = Dot3(fy, fy);
      if (Finite(ry) && ry < r2) {
        std::memcpy(x, y, sizeof x);
        std::memcpy(f, fy, sizeof f);
        std::memcpy(J, Jy, sizeof J);
        improved = r2 - ry > 1e-30 * r2;
        r2 = ry;
        if (!improved)
          break;
      } else {
        du *= 0.5;
        dv *= 0.5;
      }
    }
    if (!improved)
      break;
  }
  std::memcpy(ioX, x, sizeof x);
  return std::sqrt(r2);
}

int XelMathSystem3x3s::EvalEquationImage(const long i, const XelMathIntervalND& iCell,
                                         double& oLow, double& oHigh) const {
  if (iCell.GetDimension() != 3 || i < 0 || i > 2)
    return 0;
  const XelMathInterval U(iCell.GetMin(0), iCell.GetMax(0)), V(iCell.GetMin(1), iCell.GetMax(1));
  const XelMathInterval W(iCell.GetMin(2), iCell.GetMax(2));
  XelMathInterval f, fu, fv, g, gw;
  if (!EvalEquationF(i, U, V, f, fu, fv) || !EvalEquationG(i, W, g, gw))
    return 0;
  // G_i - F_i, each end rounded outwards.
  const double lo = g.low - f.high, hi = g.high - f.low;
  if (!Finite(lo) || !Finite(hi) || lo > hi)
    return 0;
  oLow = lo - 4e-16 * (std::fabs(g.low) + std::fabs(f.high));
  oHigh = hi + 4e-16 * (std::fabs(g.high) + std::fabs(f.low));
  return 1;
}

int XelMathSystem3x3s::EvalEquationRange(const long i, const XelMathIntervalND& iCell,
                                         double& oLow, double& oHigh) const {
  if (EvalEquationImage(i, iCell, oLow, oHigh))
    return 1;
  if (iCell.GetDimension() != 3 || i < 0 || i > 2)
    return 0;
  // A curve of many turns in the cell swings the equation along w, where the surface's part
  // stays put: the curve enclosed, the surface's part over the (u, v) rectangle is read at its
  // corners and centre, widened by half the reach of its slopes there.
  const double w0 = iCell.GetMin(2), w1 = iCell.GetMax(2);
  XelMathInterval g, gw;
  if (!EvalEquationG(i, XelMathInterval(w0, w1), g, gw))
    return 0;
  // A curve that does not swing in the cell beyond the change between its ends (twice that,
  // for the overestimate of its image) leaves the corner data their say.
  const double change = std::fabs(EvalEquationG(i, w1) - EvalEquationG(i, w0));
  if (!(g.high - g.low > 2.0 * change))
    return 0;
  const double u0 = iCell.GetMin(0), u1 = iCell.GetMax(0);
  const double v0 = iCell.GetMin(1), v1 = iCell.GetMax(1);
  const double du = u1 - u0, dv = v1 - v0;
  const double us[5] = {u0, u1, u0, u1, 0.5 * (u0 + u1)};
  const double vs[5] = {v0, v0, v1, v1, 0.5 * (v0 + v1)};
  double low = std::numeric_limits<double>::infinity(), high = -low, reach = 0.0;
  for (int k = 0; k < 5; ++k) {
    const double f = EvalEquationF(i, us[k], vs[k]);
    const double fu = EvalFirstDerivUEquationF(i, us[k], vs[k]);
    const double fv = EvalFirstDerivVEquationF(i, us[k], vs[k]);
    if (!Finite(f) || !Finite(fu) || !Finite(fv))
      return 0;
    low = std::min(low, f);
    high = std::max(high, f);
    reach = std::max(reach, std::fabs(fu) * du + std::fabs(fv) * dv);
  }
  oLow = g.low - high - 0.5 * reach;
  oHigh = g.high - low + 0.5 * reach;
  return Finite(oLow) && Finite(oHigh) ? 1 : 0;
}

int XelMathSystem3x3s::LocalTryNonIntersection(const XelMathIntervalND& iCell) const {
  if (!_unscaled || iCell.GetDimension() != 3)
    return 0;
  const double eps = _tol.GetParametricResolution();
  for (long i = 0; i < 3; ++i) {
    double lo = 0.0, hi = 0.0;
    if (EvalEquationImage(i, iCell, lo, hi) && (lo > eps || hi < -eps))
      return 1;
  }
  return 0;
}

// ---- XelMathSystem3x3sImp ---------------------------------------------------------------------

XelMathSystem3x3sImp::XelMathSystem3x3sImp(const XelMathFunctionXY* iF0,
                                           const XelMathFunctionXY* iF1,
                                           const XelMathFunctionXY* iF2,
                                           const XelMathFunctionX* iG0, const XelMathFunctionX* iG1,
                                           const XelMathFunctionX* iG2, const XelTolerance& iTol,
                                           const XelMathAttrList* iAttributes)
    : XelMathSystem3x3s(iTol, iAttributes), _f{iF0, iF1, iF2}, _g{iG0, iG1, iG2} {
  if (!iF0 || !iF1 || !iF2 || !iG0 || !iG1 || !iG2)
    XelQuornull(__FILE__, __LINE__);
}

XelMathSystem3x3sImp::~XelMathSystem3x3sImp() = default;

long XelMathSystem3x3sImp::GetDynamicMemoryBytes() const {
  return XelMathSystem3x3s::GetDynamicMemoryBytes();
}

long XelMathSystem3x3sImp::GetStaticMemoryBytes() const {
  return sizeof(XelMathSystem3x3sImp);
}

const XelMathFunctionXY* XelMathSystem3x3sImp::GetF(const long i) const {
  CheckEquation(i, "XelMathSystem3x3sImp::GetF");
  return _f[i];
}

const XelMathFunctionX* XelMathSystem3x3sImp::GetG(const long i) const {
  CheckEquation(i, "XelMathSystem3x3sImp::GetG");
  return _g[i];
}

double XelMathSystem3x3sImp::EvalEquationF(const long i, const double u, const double v) const {
  const XelMathFunctionXY* f = GetF(i);
  return f ? f->Eval(u, v) : NaN;
}
double XelMathSystem3x3sImp::EvalFirstDerivUEquationF(const long i, const double u,
                                                      const double v) const {
  const XelMathFunctionXY* f = GetF(i);
  return f ? f->EvalFirstDerivX(u, v) : NaN;
}
double XelMathSystem3x3sImp::EvalFirstDerivVEquationF(const long i, const double u,
                                                      const double v) const {
  const XelMathFunctionXY* f = GetF(i);
  return f ? f->EvalFirstDerivY(u, v) : NaN;
}
double XelMathSystem3x3sImp::EvalSecondDerivU2EquationF(const long i, const double u,
                                                        const double v) const {
  const XelMathFunctionXY* f = GetF(i);
  return f ? f->EvalSecondDerivX2(u, v) : NaN;
}
double XelMathSystem3x3sImp::EvalSecondDerivUVEquationF(const long i, const double u,
                                                        const double v) const {
  const XelMathFunctionXY* f = GetF(i);
  return f ? f->EvalSecondDerivXY(u, v) : NaN;
}
double XelMathSystem3x3sImp::EvalSecondDerivV2EquationF(const long i, const double u,
                                                        const double v) const {
  const XelMathFunctionXY* f = GetF(i);
  return f ? f->EvalSecondDerivY2(u, v) : NaN;
}
double XelMathSystem3x3sImp::EvalEquationG(const long i, const double w) const {
  const XelMathFunctionX* g = GetG(i);
  return g ? g->Eval(w) : NaN;
}
double XelMathSystem3x3sImp::EvalFirstDerivEquationG(const long i, const double w) const {
  const XelMathFunctionX* g = GetG(i);
  return g ? g->EvalFirstDeriv(w) : NaN;
}
double XelMathSystem3x3sImp::EvalSecondDerivEquationG(const long i, const double w) const {
  const XelMathFunctionX* g = GetG(i);
  return g ? g->EvalSecondDeriv(w) : NaN;
}

void XelMathSystem3x3sImp::EvalEquationF(const long i, const XelMathIntervalND& iBoxUV,
                                         const long* iCounts, double* oF, double* oFu,
                                         double* oFv) const {
  const XelMathFunctionXY* f = GetF(i);
  if (!f) {
    for (long m = 0; m < iCounts[0] * iCounts[1]; ++m) {
      oF[m] = NaN;
      if (oFu && oFv)
        oFu[m] = oFv[m] = NaN;
    }
    return;
  }
  const bool first = oFu && oFv;
  f->Eval(iBoxUV, iCounts, first ? XelMathOption::ValueAndFirst : XelMathOption::Value, oF,
          first ? oFu : nullptr, first ? oFv : nullptr, nullptr, nullptr, nullptr);
}

void XelMathSystem3x3sImp::EvalEquationG(const long i, const XelMathInterval& iW,
                                         const long iCount, double* oG, double* oGw) const {
  const XelMathFunctionX* g = GetG(i);
  if (!g) {
    for (long k = 0; k < iCount; ++k) {
      oG[k] = NaN;
      if (oGw)
        oGw[k] = NaN;
    }
    return;
  }
  g->Eval(iW, iCount, oGw ? XelMathOption::ValueAndFirst : XelMathOption::Value, oG, oGw, nullptr);
}

int XelMathSystem3x3sImp::EvalEquationF(const long i, const XelMathInterval& iU,
                                        const XelMathInterval& iV, XelMathInterval& oF,
                                        XelMathInterval& oFu, XelMathInterval& oFv) const {
  const XelMathFunctionXY* f = GetF(i);
  if (!f || !f->IsOption(XelMathOption::ImageAndFirst))
    return 0;
  f->Eval(iU, iV, XelMathOption::ImageAndFirst, &oF, &oFu, &oFv, nullptr, nullptr, nullptr,
          XelMathFunctionXYGetTolerance(f));
  return 1;
}

int XelMathSystem3x3sImp::EvalEquationG(const long i, const XelMathInterval& iW,
                                        XelMathInterval& oG, XelMathInterval& oGw) const {
  const XelMathFunctionX* g = GetG(i);
  if (!g || !g->IsOption(XelMathOption::ImageAndFirst))
    return 0;
  g->Eval(iW, XelMathOption::ImageAndFirst, &oG, &oGw, nullptr);
  return 1;
}
