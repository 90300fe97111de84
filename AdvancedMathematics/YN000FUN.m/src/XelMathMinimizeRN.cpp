// Local minimizer of functions of N variables in a box, from start points: projected BFGS or
// bounded (Levenberg-shifted) Newton with a projected backtracking line search; the Minimize
// entry point of XelMathFunctionRN.
#include "XelMathMinimizeRN.h"

#include <cmath>
#include <vector>

#include "XelError.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrTolObject.h"
#include "XelMathFunctionRN.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNFullSymMatrix.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"

namespace {

/// Armijo constant: a step is accepted when it gains this fraction of the linear decrease.
const double ArmijoFraction = 1e-4;
/// Halvings of the line search (2^-60 of the first step is below any useful step).
const long MaxLineSearchSteps = 60;
/// Converged when the projected gradient is below this many relative epsilons (S + |f|):
/// with the default epsilon 1e-8, above the noise of difference gradients (step 1e-6).
const double GradientFactor = 1e5;
/// Minima closer than this many point resolutions are one.
const double MergeFactor = 1e4;
/// Tries of the Levenberg shift (each ten times the previous).
const long MaxShiftTries = 40;

double MaxAbs(const double* x, long n) {
  double m = 0.0;
  for (long i = 0; i < n; ++i)
    m = std::fabs(x[i]) > m ? std::fabs(x[i]) : m;
  return m;
}

void Project(const XelMathIntervalND& iBox, double* ioX, long n) {
  for (long i = 0; i < n; ++i) {
    if (ioX[i] < iBox.GetMin(i))
      ioX[i] = iBox.GetMin(i);
    if (ioX[i] > iBox.GetMax(i))
      ioX[i] = iBox.GetMax(i);
  }
}

/// Variables held on a bound: at the bound, the gradient pushing outwards.
bool IsHeld(const XelMathIntervalND& iBox, const double* x, const double* g, long i) {
  return (x[i] <= iBox.GetMin(i) && g[i] > 0.0) || (x[i] >= iBox.GetMax(i) && g[i] < 0.0);
}

} // namespace

/// Work arrays of one descent, allocated once.
struct XelMathMinimizeRN::Work {
  explicit Work(long n) : x(n), g(n), d(n), x1(n), g1(n), s(n), y(n), free(n), index(n), h(n * n) {}
  std::vector<double> x, g, d, x1, g1, s, y;
  std::vector<unsigned char> free;
  std::vector<long> index; // free variables
  std::vector<double> h;   // inverse Hessian approximation (BFGS) or Hessian (Newton)
};

XelMathMinimizeRN::XelMathMinimizeRN(const XelMathFunctionRN* iFunction, const XelTolerance& iTol)
    : _function(iFunction), _tolerance(&iTol),
      _n(iFunction ? iFunction->GetNumberOfVariables() : 0), _maxBfgsIterations(500),
      _maxNewtonIterations(100), _evaluations(0), _scale(iTol.GetScaleFactor()),
      _relativeEps(iTol.GetRelativeEpsilon()), _pointRes(iTol.GetPointResolution()) {}

XelMathMinimizeRN::~XelMathMinimizeRN() = default;

double XelMathMinimizeRN::ValueAndGradient(const double* x, double* oGrad) {
  double f = 0.0;
  _function->Eval(x, XelMathOption::ValueAndFirst, &f, oGrad, static_cast<double*>(nullptr));
  ++_evaluations;
  return f;
}

double XelMathMinimizeRN::ProjectedGradientNorm(const XelMathIntervalND& iBox, const double* x,
                                                const double* g) const {
  double m = 0.0;
  for (long i = 0; i < _n; ++i)
    if (!IsHeld(iBox, x, g, i))
      m = std::fabs(g[i]) > m ? std::fabs(g[i]) : m;
  return m;
}

int XelMathMinimizeRN::LineSearch(const XelMathIntervalND& iBox, const double* x, double fx,
                                  const double* g, const double* d, double iStep, double* oX1,
                                  double& oF1) {
  double alpha = iStep;
  for (long k = 0; k < MaxLineSearchSteps; ++k, alpha *= 0.5) {
    double decrease = 0.0;
    bool moved = false;
    for (long i = 0; i < _n; ++i) {
      oX1[i] = x[i] + alpha * d[i];
    }
    Project(iBox, oX1, _n);
    for (long i = 0; i < _n; ++i) {
      decrease += g[i] * (oX1[i] - x[i]);
      moved = moved || oX1[i] != x[i];
    }
    if (!moved)
      return 0;
    if (!(decrease < 0.0))
      continue;
    double f1 = _function->Eval(oX1);
    ++_evaluations;
    if (std::isfinite(f1) && f1 <= fx + ArmijoFraction * decrease) {
      oF1 = f1;
      return 1;
    }
  }
  return 0;
}

int XelMathMinimizeRN::Descend(const XelMathIntervalND& iBox, double* ioX, double& oValue,
                               unsigned char iBfgs) {
  Work work(_n);
  for (long i = 0; i < _n; ++i)
    work.x[i] = ioX[i];
  Project(iBox, work.x.data(), _n);
  const int converged = iBfgs ? Bfgs(iBox, work, oValue) : Newton(iBox, work, oValue);
  for (long i = 0; i < _n; ++i)
    ioX[i] = work.x[i];
  return converged;
}

int XelMathMinimizeRN::Bfgs(const XelMathIntervalND& iBox, Work& w, double& oValue) {
  const long n = _n;
  double* x = w.x.data();
  double* g = w.g.data();
  double* d = w.d.data();
  double* h = w.h.data();
  double f = ValueAndGradient(x, g);
  oValue = f;
  if (!std::isfinite(f))
    return 0;
  const double boxWidth = iBox.Width();
  auto resetH = [&](double iGamma) {
    for (long i = 0; i < n * n; ++i)
      h[i] = 0.0;
    for (long i = 0; i < n; ++i)
      h[i * n + i] = iGamma;
  };
  resetH(1.0);
  bool fresh = true; // h is a multiple of the identity
  for (long it = 0; it < _maxBfgsIterations; ++it) {
    const double pg = ProjectedGradientNorm(iBox, x, g);
    if (!std::isfinite(pg))
      return 0;
    if (pg <= GradientFactor * _relativeEps * (_scale + std::fabs(f)))
      return 1;
    // Direction on the free variables: -H_FF g_F.
    for (long i = 0; i < n; ++i)
      w.free[i] = IsHeld(iBox, x, g, i) ? 0 : 1;
    double slope = 0.0;
    for (long i = 0; i < n; ++i) {
      double s = 0.0;
      if (w.free[i])
        for (long j = 0; j < n; ++j)
          if (w.free[j])
            s -= h[i * n + j] * g[j];
      d[i] = s;
      slope += g[i] * s;
    }
    if (!(slope < 0.0)) {
      resetH(1.0);
      fresh = true;
      for (long i = 0; i < n; ++i)
        d[i] = w.free[i] ? -g[i] : 0.0;
    }
    // A first step along a scaled gradient stays within the box's size.
    double step = 1.0;
    const double dn = MaxAbs(d, n);
    if (fresh && dn > boxWidth && boxWidth > 0.0)
      step = boxWidth / dn;
    double f1 = f;
    if (!LineSearch(iBox, x, f, g, d, step, w.x1.data(), f1)) {
      if (!fresh) {
        resetH(1.0);
        fresh = true;
        continue;
      }
      // No descent along the gradient: a stationary point to the resolution of f.
      return pg <= std::sqrt(_relativeEps) * (_scale + std::fabs(f)) ? 1 : 0;
    }
    const double f1g = ValueAndGradient(w.x1.data(), w.g1.data());
    if (!std::isfinite(f1g))
      return 0;
    double sy = 0.0, yy = 0.0, ss = 0.0;
    for (long i = 0; i < n; ++i) {
      w.s[i] = w.x1[i] - x[i];
      w.y[i] = w.g1[i] - g[i];
      sy += w.s[i] * w.y[i];
      yy += w.y[i] * w.y[i];
      ss += w.s[i] * w.s[i];
    }
    const double xn = MaxAbs(x, n);
    for (long i = 0; i < n; ++i) {
      x[i] = w.x1[i];
      g[i] = w.g1[i];
    }
    f = f1g;
    oValue = f;
    if (MaxAbs(w.s.data(), n) <= _pointRes * (_scale + xn)) {
      const double pg1 = ProjectedGradientNorm(iBox, x, g);
      return pg1 <= std::sqrt(_relativeEps) * (_scale + std::fabs(f)) ? 1 : 0;
    }
    // Curvature condition: update only when s.y is safely positive.
    if (sy > 1e-12 * std::sqrt(ss * yy) && yy > 0.0) {
      if (fresh)
        resetH(sy / yy);
      fresh = false;
      // H+ = (I - rho s y^T) H (I - rho y s^T) + rho s s^T, with Hy = H y.
      const double rho = 1.0 / sy;
      double* hy = w.d.data(); // reused
      double yhy = 0.0;
      for (long i = 0; i < n; ++i) {
        double t = 0.0;
        for (long j = 0; j < n; ++j)
          t += h[i * n + j] * w.y[j];
        hy[i] = t;
        yhy += w.y[i] * t;
      }
      for (long i = 0; i < n; ++i)
        for (long j = 0; j < n; ++j)
          h[i * n + j] +=
              -rho * (hy[i] * w.s[j] + w.s[i] * hy[j]) + (rho * rho * yhy + rho) * w.s[i] * w.s[j];
    }
  }
  return 0;
}

int XelMathMinimizeRN::Newton(const XelMathIntervalND& iBox, Work& w, double& oValue) {
  const long n = _n;
  double* x = w.x.data();
  double* g = w.g.data();
  double* d = w.d.data();
  double* h = w.h.data();
  long* index = w.index.data();
  double f = 0.0;
  const double boxWidth = iBox.Width();
  for (long it = 0; it < _maxNewtonIterations; ++it) {
    _function->Eval(x, XelMathOption::PointUpToSecond, &f, g, h);
    ++_evaluations;
    oValue = f;
    if (!std::isfinite(f))
      return 0;
    const double pg = ProjectedGradientNorm(iBox, x, g);
    if (!std::isfinite(pg))
      return 0;
    if (pg <= GradientFactor * _relativeEps * (_scale + std::fabs(f)))
      return 1;
    // Reduced system on the free variables: (H_FF + mu I) d_F = -g_F, mu raised until the
    // matrix is positive definite (mu = 0 first: the plain Newton step near a minimum).
    long m = 0;
    for (long i = 0; i < n; ++i)
      if (!IsHeld(iBox, x, g, i))
        index[m++] = i;
    double diag = 0.0;
    for (long a = 0; a < m; ++a)
      diag = std::fabs(h[index[a] * n + index[a]]) > diag ? std::fabs(h[index[a] * n + index[a]])
                                                          : diag;
    double mu = 0.0;
    bool factored = false;
    XelMathNxNFullSymMatrix reduced(m);
    for (long t = 0; t < MaxShiftTries && !factored; ++t) {
      for (long a = 0; a < m; ++a)
        for (long b = 0; b <= a; ++b)
          reduced.SetCoef(a, b, h[index[a] * n + index[b]] + (a == b ? mu : 0.0));
      for (long a = 0; a < m; ++a)
        w.s[a] = -g[index[a]];
      factored = reduced.SolveCholesky(w.s.data(), nullptr, 1) == 0;
      if (!factored)
        mu = mu == 0.0 ? 1e-8 * (1.0 + diag) : 10.0 * mu;
    }
    for (long i = 0; i < n; ++i)
      d[i] = 0.0;
    double slope = 0.0;
    if (factored) {
      for (long a = 0; a < m; ++a) {
        d[index[a]] = w.s[a];
        slope += g[index[a]] * w.s[a];
      }
    }
    double step = 1.0;
    if (!(slope < 0.0) || !std::isfinite(slope)) {
      // No usable Newton direction: the projected gradient, scaled to the box.
      slope = 0.0;
      for (long a = 0; a < m; ++a) {
        d[index[a]] = -g[index[a]];
        slope -= g[index[a]] * g[index[a]];
      }
      const double dn = MaxAbs(d, n);
      if (dn > boxWidth && boxWidth > 0.0)
        step = boxWidth / dn;
    }
    double f1 = f;
    if (!LineSearch(iBox, x, f, g, d, step, w.x1.data(), f1))
      return pg <= std::sqrt(_relativeEps) * (_scale + std::fabs(f)) ? 1 : 0;
    double moved = 0.0;
    for (long i = 0; i < n; ++i) {
      moved = std::fabs(w.x1[i] - x[i]) > moved ? std::fabs(w.x1[i] - x[i]) : moved;
      x[i] = w.x1[i];
    }
    if (moved <= _pointRes * (_scale + MaxAbs(x, n))) {
      _function->Eval(x, XelMathOption::ValueAndFirst, &f, g, static_cast<double*>(nullptr));
      ++_evaluations;
      oValue = f;
      return ProjectedGradientNorm(iBox, x, g) <= std::sqrt(_relativeEps) * (_scale + std::fabs(f))
                 ? 1
                 : 0;
    }
  }
  return 0;
}

// ---- driver -----------------------------------------------------------------------------------

int XelMathMinimizeRN::Run(const XelMathIntervalND& iBox, XelMathSetOfPointsND& ioMinima,
                           const XelMathAttrList* iAttributes) {
  if (!_function) {
    XelQuornull(__FILE__, __LINE__);
    return XelMathStatus::Done;
  }
  _evaluations = 0;
  if (iBox.GetDimension() != _n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathIntervalND", "wrong dimension",
                 "XelMathMinimizeRN::Run");
  if (ioMinima.GetDimension() != _n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "wrong dimension",
                 "XelMathMinimizeRN::Run");
  const XelMathAttribute* inits =
      iAttributes ? iAttributes->GetAttribute("MinimizeWithInits") : nullptr;
  if (!inits)
    return XelMathStatus::Done;
  const unsigned char bfgs = iAttributes->GetAttribute("BFGS") ? 1 : 0;
  const bool keepBest = iAttributes->GetAttribute("KeepBestSol") != nullptr;

  // The start points: the attribute's set, else the points held by the result set.
  const XelMathSetOfPointsND* given = nullptr;
  const XelMathAttrPointerValue* pointer = dynamic_cast<const XelMathAttrPointerValue*>(inits);
  if (pointer && pointer->GetValue())
    given = static_cast<const XelMathSetOfPointsND*>(pointer->GetValue());
  if (given && given->GetDimension() != _n)
    XelMathRaise(XelErrorCode::InvalidOption, "the start points", "wrong dimension",
                 "XelMathMinimizeRN::Run");
  XelMathSetOfPointsND starts(given ? *given : ioMinima);
  ioMinima.Reset();
  if (iBox.IsEmpty())
    return XelMathStatus::Refused;

  XelMathSetOfPointsND kept(_n);
  std::vector<double> x(_n), keptValues;
  std::vector<double> minimaValues;
  long converged = 0;
  auto merge = [&](XelMathSetOfPointsND& ioSet, std::vector<double>& ioValues, double iValue) {
    // A point near one of the set replaces it when lower; otherwise it is appended.
    for (long k = 0; k < ioSet.GetNumberOfPoints(); ++k) {
      const double* p = ioSet.GetPoints() + k * _n;
      bool same = true;
      for (long i = 0; i < _n && same; ++i)
        same = std::fabs(x[i] - p[i]) < MergeFactor * _pointRes * (1.0 + std::fabs(p[i]) / _scale);
      if (same) {
        if (iValue < ioValues[k]) {
          ioSet.ReplacePoint(k, x.data());
          ioValues[k] = iValue;
        }
        return;
      }
    }
    ioSet.AddPoint(x.data());
    ioValues.push_back(iValue);
  };
  for (long k = 0; k < starts.GetNumberOfPoints(); ++k) {
    const double* p = starts.GetPoints() + k * _n;
    bool finite = true;
    for (long i = 0; i < _n; ++i) {
      x[i] = p[i];
      finite = finite && std::isfinite(p[i]);
    }
    if (!finite)
      continue;
    double value = 0.0;
    if (Descend(iBox, x.data(), value, bfgs)) {
      ++converged;
      merge(ioMinima, minimaValues, value);
    } else if (keepBest && std::isfinite(value)) {
      merge(kept, keptValues, value);
    }
  }
  if (converged > 0 || starts.GetNumberOfPoints() == 0) {
    ioMinima.Beginning();
    return XelMathStatus::Done;
  }
  if (keepBest)
    ioMinima = kept;
  ioMinima.Beginning();
  return XelMathStatus::NotConverged;
}

// ---- entry point of XelMathFunctionRN -----------------------------------------------------------

int XelMathFunctionRN::Minimize(const XelMathIntervalND& iBox, XelMathSetOfPointsND& oMinima,
                                const XelMathAttrList* iAttributes) const {
  const XelTolerance* tol =
      XelMathAnalysisScaling::ListTolerance(iAttributes, &XelGetDefaultTolerance());
  XelMathMinimizeRN minimizer(this, *tol);
  return minimizer.Run(iBox, oMinima, iAttributes);
}
