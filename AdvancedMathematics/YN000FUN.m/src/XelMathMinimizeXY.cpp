// Minimize and MinimizeNewton of XelMathFunctionXY: a global search of the minima of a
// function of two variables over a rectangle.
//
// The rectangle is sampled on a regular grid; a function whose samples all agree within the
// constant tolerance is constant (status 2, the centre reported). Otherwise every local
// minimum is sought from three kinds of start points: the minima of the four edges (found by
// the one-variable minimizer on the iso-parametric restrictions), the four corners, and every
// grid node that is a discrete local minimum of its eight neighbours. From each start a
// safeguarded Newton descent (MinimizeNewton) runs inside the rectangle; where it does not
// converge (a kink, a function without usable derivatives) a Nelder-Mead search with
// restarts, kept inside the rectangle, takes over from the point it reached. The minima
// found are merged, filtered by the options and returned by increasing value.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <utility>

#include "XelError.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrTolObject.h"
#include "XelMathFunctionXY.h"
#include "XelMathFunctionXYToX.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"

namespace {

/// Default grid of the sampling, per direction.
const long DefaultSampling = 12;
/// Largest grid per direction (a grid of 4096 x 4096 samples is already hours of work for an
/// expensive function).
const long MaxSampling = 4096;
/// Smallest number of sampling intervals of the edge searches.
const long MinEdgeSampling = 15;
/// Iterations of one Newton descent.
const long MaxNewtonSteps = 100;
/// Halvings of one backtracking line search.
const long MaxHalvings = 60;
/// Sufficient decrease of the line search (Armijo).
const double ArmijoSlope = 1e-4;
/// Largest gradient step, as a fraction of the rectangle.
const double GradientStepRatio = 0.25;
/// Relative size under which a Newton step that cannot decrease the value is converged.
const double NewtonStallRatio = 1e-9;
/// Relative size at which a simplex search stops, and its budget of evaluations.
const double SimplexStopRatio = 1e-13;
const long SimplexBudget = 3000;
const long SimplexRestarts = 12;
/// Turn of the first simplex from one restart to the next (radians, the golden angle).
const double SimplexTurn = 2.399963229728653;
/// Relative rounding of a computed value (for stopping tests and merges).
const double Rounding = 8.0 * DBL_EPSILON;

inline double Clamp(const double x, const XelMathInterval& iI) {
  return x < iI.low ? iI.low : (x > iI.high ? iI.high : x);
}

/// The value of iF at (x, y), +infinity for a value that is not a number (so that such points
/// lose every comparison).
inline double ValueAt(const XelMathFunctionXY& iF, const double x, const double y) {
  const double v = iF.Eval(x, y);
  return std::isnan(v) ? HUGE_VAL : v;
}

/// The step under which two abscissae of iI are the same for a descent: the root resolution,
/// or the rounding of the coordinates when it is coarser.
inline double StepTolerance(const XelMathInterval& iI, const double iR) {
  const double size =
      std::fabs(iI.low) > std::fabs(iI.high) ? std::fabs(iI.low) : std::fabs(iI.high);
  const double rounding = Rounding * size;
  return iR > rounding ? iR : rounding;
}

/// Nelder-Mead search of a minimum of iF from (ioX, ioY) of value ioF inside I x J, first
/// simplex of sizes iHx, iHy; stops when the simplex is within iStopX x iStopY or when ioBudget
/// evaluations are spent. The best vertex is returned in (ioX, ioY, ioF).
void Simplex(const XelMathFunctionXY& iF, const XelMathInterval& iI, const XelMathInterval& iJ,
             double& ioX, double& ioY, double& ioF, const double iHx, const double iHy,
             const double iAngle, const double iStopX, const double iStopY, long& ioBudget) {
  // First simplex: two edges at right angles (in units of iHx, iHy) turned by iAngle, each
  // taken backwards when it leaves the rectangle.
  const double c = std::cos(iAngle), s = std::sin(iAngle);
  double px[3] = {ioX, 0.0, 0.0}, py[3] = {ioY, 0.0, 0.0}, v[3] = {ioF, 0.0, 0.0};
  const double edges[2][2] = {{c, s}, {-s, c}};
  for (int k = 1; k < 3; ++k) {
    const double ex = edges[k - 1][0] * iHx, ey = edges[k - 1][1] * iHy;
    const bool inside =
        iI.low <= ioX + ex && ioX + ex <= iI.high && iJ.low <= ioY + ey && ioY + ey <= iJ.high;
    px[k] = Clamp(inside ? ioX + ex : ioX - ex, iI);
    py[k] = Clamp(inside ? ioY + ey : ioY - ey, iJ);
  }
  v[1] = ValueAt(iF, px[1], py[1]);
  v[2] = ValueAt(iF, px[2], py[2]);
  ioBudget -= 2;
  while (ioBudget > 0) {
    // Order the vertices: 0 best, 2 worst.
    for (int a = 0; a < 2; ++a)
      for (int b = 0; b < 2 - a; ++b)
        if (v[b + 1] < v[b]) {
          std::swap(v[b], v[b + 1]);
          std::swap(px[b], px[b + 1]);
          std::swap(py[b], py[b + 1]);
        }
    const double sx = std::fmax(std::fabs(px[1] - px[0]), std::fabs(px[2] - px[0]));
    const double sy = std::fmax(std::fabs(py[1] - py[0]), std::fabs(py[2] - py[0]));
    if (sx <= iStopX && sy <= iStopY)
      break;
    const double cx = 0.5 * (px[0] + px[1]), cy = 0.5 * (py[0] + py[1]);
    const double rx = Clamp(2.0 * cx - px[2], iI), ry = Clamp(2.0 * cy - py[2], iJ);
    const double vr = ValueAt(iF, rx, ry);
    --ioBudget;
    if (vr < v[0]) {
      const double ex = Clamp(3.0 * cx - 2.0 * px[2], iI), ey = Clamp(3.0 * cy - 2.0 * py[2], iJ);
      const double ve = ValueAt(iF, ex, ey);
      --ioBudget;
      const bool expand = ve < vr;
      px[2] = expand ? ex : rx;
      py[2] = expand ? ey : ry;
      v[2] = expand ? ve : vr;
    } else if (vr < v[1]) {
      px[2] = rx;
      py[2] = ry;
      v[2] = vr;
    } else {
      // Contraction towards the better of the reflected and the worst point.
      const bool outside = vr < v[2];
      const double kx = outside ? 0.5 * (cx + rx) : 0.5 * (cx + px[2]);
      const double ky = outside ? 0.5 * (cy + ry) : 0.5 * (cy + py[2]);
      const double vk = ValueAt(iF, kx, ky);
      --ioBudget;
      if (vk < (outside ? vr : v[2])) {
        px[2] = kx;
        py[2] = ky;
        v[2] = vk;
      } else {
        // Shrink towards the best vertex.
        for (int k = 1; k < 3; ++k) {
          px[k] = 0.5 * (px[0] + px[k]);
          py[k] = 0.5 * (py[0] + py[k]);
          v[k] = ValueAt(iF, px[k], py[k]);
        }
        ioBudget -= 2;
      }
    }
  }
  int best = 0;
  for (int k = 1; k < 3; ++k)
    if (v[k] < v[best])
      best = k;
  if (v[best] < ioF) {
    ioX = px[best];
    ioY = py[best];
    ioF = v[best];
  }
}

/// The search behind Minimize (one call).
class MinimumSearch {
public:
  MinimumSearch(const XelMathFunctionXY& iF, const XelMathInterval2D& iDomain,
                const XelTolerance& iTol)
      : _f(iF), _tol(iTol), _i(iDomain.GetX()), _j(iDomain.GetY()), _ends(3, 8) {
    _r = iTol.GetRootResolution();
    _e = iTol.GetRelativeEpsilon();
    _s = iTol.GetScaleFactor();
    _stopX = StepTolerance(_i, SimplexStopRatio * (_i.high - _i.low));
    _stopY = StepTolerance(_j, SimplexStopRatio * (_j.high - _j.low));
  }

  long absolute = 0; // only the best minimum
  long interior = 0; // no minimum on the boundary
  long limited = 0;  // only minima not above limit
  double limit = 0.0;
  long nu = DefaultSampling, nv = DefaultSampling;
  long constantGiven = 0; // constantTolerance given by the caller
  double constantTolerance = 0.0;

  int Run(XelMathSetOfPointsND& oPoints);

private:
  void SearchEdge(const long iIndex, const double iValue, const XelMathInterval& iRange,
                  const long iSampling, XelMathSetOfPointsND& ioStarts) const;
  void Descend(double x, double y);
  bool Same(const double* p, const double* q) const;
  bool OnBoundary(const double x, const double y) const {
    return x - _i.low <= _r || _i.high - x <= _r || y - _j.low <= _r || _j.high - y <= _r;
  }

  const XelMathFunctionXY& _f;
  const XelTolerance& _tol;
  XelMathInterval _i, _j;
  double _r = 0.0, _e = 0.0, _s = 1.0;
  double _stopX = 0.0, _stopY = 0.0;
  double _cellX = 0.0, _cellY = 0.0; // grid steps
  XelMathSetOfPointsND _ends;        // (x, y, f) where the descents ended
};

void MinimumSearch::SearchEdge(const long iIndex, const double iValue,
                               const XelMathInterval& iRange, const long iSampling,
                               XelMathSetOfPointsND& ioStarts) const {
  if (!(iRange.low < iRange.high))
    return;
  const XelMathFunctionXYToX edge(&_f, iValue, iIndex, _tol);
  XelMathAttrTolObject tolerance(_tol);
  XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints,
                                   iSampling > MinEdgeSampling ? iSampling : MinEdgeSampling, 1);
  XelMathAttrList attributes;
  attributes.AddAttribute(&tolerance);
  attributes.AddAttribute(&sampling);
  XelMathSetOfPointsND minima(1, 4);
  edge.Minimize(iRange, minima, &attributes);
  double t = 0.0;
  for (long k = 0; k < minima.GetNumberOfPoints(); ++k) {
    minima.GetPoint(k, &t);
    const double p[2] = {iIndex == 0 ? iValue : Clamp(t, _i), iIndex == 0 ? Clamp(t, _j) : iValue};
    ioStarts.AddPoint(p);
  }
}

void MinimumSearch::Descend(double x, double y) {
  const XelMathInterval2D domain(_i, _j);
  const int status = _f.MinimizeNewton(x, y, domain, _tol);
  double v = ValueAt(_f, x, y);
  if (status != XelMathStatus::Done) {
    // No convergence: a kink or derivatives that cannot be trusted. A simplex search from
    // there, restarted from its own result, turned and smaller each time, until two
    // restarts in a row bring nothing (a simplex can stall across an oblique kink).
    long budget = SimplexBudget;
    double hx = 0.5 * _cellX, hy = 0.5 * _cellY;
    long idle = 0;
    for (long k = 0; k < SimplexRestarts && budget > 0 && idle < 2; ++k) {
      const double before = v;
      Simplex(_f, _i, _j, x, y, v, hx, hy, SimplexTurn * double(k), _stopX, _stopY, budget);
      idle = v < before - Rounding * std::fabs(before) ? 0 : idle + 1;
      hx = std::fmax(0.5 * hx, 16.0 * _stopX);
      hy = std::fmax(0.5 * hy, 16.0 * _stopY);
    }
  }
  if (std::isfinite(v)) {
    const double end[3] = {x, y, v};
    _ends.AddPoint(end);
  }
}

bool MinimumSearch::Same(const double* p, const double* q) const {
  if (std::fabs(p[0] - q[0]) + std::fabs(p[1] - q[1]) <= _r)
    return true;
  if (std::fabs(p[0] - q[0]) > _cellX || std::fabs(p[1] - q[1]) > _cellY)
    return false;
  // Two ends of descents that no ridge separates (the midpoint is not above both, up to the
  // tolerance on values) are one minimum reached with the precision of the descents.
  const double mid = ValueAt(_f, 0.5 * (p[0] + q[0]), 0.5 * (p[1] + q[1]));
  const double top = std::fmax(p[2], q[2]);
  return mid <= top + std::fmax(_e * (_s * _s + std::fabs(top)), Rounding * std::fabs(top));
}

int MinimumSearch::Run(XelMathSetOfPointsND& oPoints) {
  // 1. Sampling grid (a single node across a rectangle of no width).
  const double wx = _i.high - _i.low, wy = _j.high - _j.low;
  const long mx = wx > 0.0 ? (nu > 2 ? nu : 2) : 1;
  const long my = wy > 0.0 ? (nv > 2 ? nv : 2) : 1;
  _cellX = mx > 1 ? wx / double(mx - 1) : 0.0;
  _cellY = my > 1 ? wy / double(my - 1) : 0.0;
  const double coords[4] = {_i.low, _i.high, _j.low, _j.high};
  const XelMathIntervalND box(2, coords);
  const long counts[2] = {mx, my};
  XelMathScratchDoubles<> grid(mx * my);
  double* g = grid.Data();
  _f.Eval(box, counts, XelMathOption::Value, g, nullptr, nullptr, nullptr, nullptr, nullptr);

  // 2. Constant function.
  double low = HUGE_VAL, high = -HUGE_VAL;
  long finite = 0;
  for (long k = 0; k < mx * my; ++k)
    if (std::isfinite(g[k])) {
      low = std::fmin(low, g[k]);
      high = std::fmax(high, g[k]);
      ++finite;
    }
  const double cst = constantGiven ? constantTolerance
                                   : _tol.GetSquareLengthResolution() +
                                         _e * std::fmax(std::fabs(low), std::fabs(high));
  if (finite == mx * my && high - low <= cst) {
    const double centre[2] = {0.5 * (_i.low + _i.high), 0.5 * (_j.low + _j.high)};
    const double v = _f.Eval(centre[0], centre[1]);
    if (!limited || v <= limit + _e * (_s * _s + std::fabs(limit)))
      oPoints.AddPoint(centre);
    return XelMathStatus::ConstantFunction;
  }

  // 3. Start points: edge minima, corners, discrete local minima of the grid.
  XelMathSetOfPointsND starts(2, 16);
  if (!interior) {
    SearchEdge(1, _j.low, _i, mx, starts);
    if (wy > 0.0)
      SearchEdge(1, _j.high, _i, mx, starts);
    SearchEdge(0, _i.low, _j, my, starts);
    if (wx > 0.0)
      SearchEdge(0, _i.high, _j, my, starts);
    const double corners[4][2] = {
        {_i.low, _j.low}, {_i.low, _j.high}, {_i.high, _j.low}, {_i.high, _j.high}};
    for (const auto& c : corners)
      starts.AddPoint(c);
  }
  for (long a = 0; a < mx; ++a)
    for (long b = 0; b < my; ++b) {
      const double v = g[a * my + b];
      if (!std::isfinite(v))
        continue;
      bool minimum = true;
      for (long da = -1; da <= 1 && minimum; ++da)
        for (long db = -1; db <= 1 && minimum; ++db) {
          const long p = a + da, q = b + db;
          if ((da == 0 && db == 0) || p < 0 || q < 0 || p >= mx || q >= my)
            continue;
          const double w = g[p * my + q];
          // Among equal neighbours only the first in grid order starts a descent.
          const bool earlier = p < a || (p == a && q < b);
          if (std::isfinite(w) && (earlier ? w <= v : w < v))
            minimum = false;
        }
      if (minimum) {
        const double node[2] = {
            mx > 1 ? (a == mx - 1 ? _i.high : _i.low + double(a) * _cellX) : _i.low,
            my > 1 ? (b == my - 1 ? _j.high : _j.low + double(b) * _cellY) : _j.low};
        starts.AddPoint(node);
      }
    }

  // 4. Descents.
  double p[2] = {0.0, 0.0};
  for (long k = 0; k < starts.GetNumberOfPoints(); ++k) {
    starts.GetPoint(k, p);
    Descend(p[0], p[1]);
  }

  // 5. The ends by increasing value (the first found first among equals); each end that is
  // the same minimum as a lower one already kept is dropped. Then the options.
  const long n = _ends.GetNumberOfPoints();
  const double* ends = _ends.GetPoints();
  XelMathScratchDoubles<> order(n > 0 ? n : 1);
  double* index = order.Data();
  for (long k = 0; k < n; ++k)
    index[k] = double(k);
  std::sort(index, index + n, [ends](const double a, const double b) {
    const double va = ends[3 * long(a) + 2], vb = ends[3 * long(b) + 2];
    return va < vb || (va == vb && a < b);
  });
  long kept = 0;
  for (long k = 0; k < n; ++k) {
    const double* q = ends + 3 * long(index[k]);
    bool known = false;
    for (long m = 0; m < kept && !known; ++m)
      known = Same(ends + 3 * long(index[m]), q);
    if (!known)
      index[kept++] = index[k];
  }
  long reported = 0;
  for (long k = 0; k < kept && !(absolute && reported == 1); ++k) {
    const double* q = ends + 3 * long(index[k]);
    if (interior && OnBoundary(q[0], q[1]))
      continue;
    if (limited && q[2] > limit + _e * (_s * _s + std::fabs(limit)))
      continue;
    oPoints.AddPoint(q);
    ++reported;
  }
  return XelMathStatus::Done;
}

/// The integer option iKey of iAttributes when present (0x20004 below 1 or above
/// MaxSampling), else iDefault.
long SamplingOption(const XelMathAttrList* iAttributes, const char* iKey, const long iDefault) {
  const XelMathAttrIntegerValue* attr =
      iAttributes ? dynamic_cast<const XelMathAttrIntegerValue*>(iAttributes->GetAttribute(iKey))
                  : nullptr;
  if (!attr)
    return iDefault;
  const long n = attr->GetValue();
  if (n < 1 || n > MaxSampling)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "Solve", "Invalid Number Of Points", "");
  return n;
}

} // namespace

int XelMathFunctionXY::Minimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
                                const XelMathAttrList* iAttributes) const {
  if (oPoints.GetDimension() != 2)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "2",
                 "XelMathFunctionXY::Minimize");
  oPoints.Reset();
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  if (!(I.low <= I.high) || !(J.low <= J.high) || !std::isfinite(I.low) || !std::isfinite(I.high) ||
      !std::isfinite(J.low) || !std::isfinite(J.high))
    return XelMathStatus::Refused;

  const XelTolerance* tol =
      XelMathAnalysisScaling::ListTolerance(iAttributes, &XelMathFunctionXYGetTolerance(this));
  MinimumSearch search(*this, iDomain, *tol);
  if (iAttributes) {
    search.absolute = iAttributes->GetAttribute(AttrFunctionXAbsoluteExtremum) ? 1 : 0;
    search.interior = iAttributes->GetAttribute(AttrFunctionXInteriorExtremum) ? 1 : 0;
    if (const XelMathAttrDoubleValue* limit = dynamic_cast<const XelMathAttrDoubleValue*>(
            iAttributes->GetAttribute(AttrFunctionXLimitValue))) {
      search.limited = 1;
      search.limit = limit->GetValue();
    }
    if (const XelMathAttrDoubleValue* cst =
            dynamic_cast<const XelMathAttrDoubleValue*>(iAttributes->GetAttribute("TolForCst"))) {
      search.constantGiven = 1;
      search.constantTolerance = cst->GetValue();
    }
    search.nu = SamplingOption(iAttributes, "SamplingPointsX", DefaultSampling);
    search.nv = SamplingOption(iAttributes, "SamplingPointsY", DefaultSampling);
  }
  const int status = search.Run(oPoints);
  oPoints.Beginning();
  return status;
}

int XelMathFunctionXY::MinimizeNewton(double& ioX, double& ioY, const XelMathInterval2D& iDomain,
                                      const XelTolerance& iTol) const {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  if (!(I.low <= I.high) || !(J.low <= J.high))
    return XelMathStatus::NotConverged;
  const double wx = I.high - I.low, wy = J.high - J.low;
  const double r = iTol.GetRootResolution();
  const double tolX = StepTolerance(I, r), tolY = StepTolerance(J, r);
  double x = Clamp(ioX, I), y = Clamp(ioY, J);
  auto finish = [&](const int iStatus) {
    ioX = x;
    ioY = y;
    return iStatus;
  };

  for (long iteration = 0; iteration < MaxNewtonSteps; ++iteration) {
    double f = 0.0, gx = 0.0, gy = 0.0, hxx = 0.0, hxy = 0.0, hyy = 0.0;
    Eval(x, y, XelMathOption::PointUpToSecond, &f, &gx, &gy, &hxx, &hxy, &hyy);
    if (!std::isfinite(f) || !std::isfinite(gx) || !std::isfinite(gy) || !std::isfinite(hxx) ||
        !std::isfinite(hxy) || !std::isfinite(hyy))
      return finish(XelMathStatus::NotConverged);
    // Variables held by a bound that the descent would cross.
    const bool freeX = wx > 0.0 && !((x <= I.low && gx > 0.0) || (x >= I.high && gx < 0.0));
    const bool freeY = wy > 0.0 && !((y <= J.low && gy > 0.0) || (y >= J.high && gy < 0.0));
    const double px = freeX ? gx : 0.0, py = freeY ? gy : 0.0;
    if (px == 0.0 && py == 0.0) {
      // A stationary point, or a corner held by both bounds. A negative curvature of a free
      // variable still leads downhill.
      const bool downX = freeX && hxx < 0.0, downY = freeY && hyy < 0.0;
      if (!downX && !downY)
        return finish(XelMathStatus::Done);
    }

    // Directions: Newton on the free variables when the Hessian is positive definite there,
    // else the gradient scaled by the rectangle (or a direction of negative curvature).
    double dx = 0.0, dy = 0.0;
    bool newton = false;
    if (freeX && freeY) {
      const double det = hxx * hyy - hxy * hxy;
      if (hxx > 0.0 && det > 0.0) {
        dx = -(hyy * px - hxy * py) / det;
        dy = -(hxx * py - hxy * px) / det;
        newton = true;
      }
    } else if (freeX && hxx > 0.0) {
      dx = -px / hxx;
      newton = true;
    } else if (freeY && hyy > 0.0) {
      dy = -py / hyy;
      newton = true;
    }
    if (newton && !(px * dx + py * dy < 0.0))
      newton = false;
    if (!newton) {
      dx = -px * wx;
      dy = -py * wy;
      if (dx == 0.0 && dy == 0.0) {
        // Zero gradient, negative curvature: move along the free variable that curves down.
        if (freeX && hxx < 0.0)
          dx = wx;
        else
          dy = wy;
      }
    }
    // No step leaves the rectangle's size: at most the whole rectangle for Newton, a
    // fraction of it for the gradient.
    const double reach =
        std::fmax(wx > 0.0 ? std::fabs(dx) / wx : 0.0, wy > 0.0 ? std::fabs(dy) / wy : 0.0);
    const double most = newton ? 1.0 : GradientStepRatio;
    if (reach > most) {
      dx *= most / reach;
      dy *= most / reach;
    }

    // Backtracking along the projected path.
    double t = 1.0;
    bool moved = false;
    double nx = x, ny = y;
    for (long k = 0; k < MaxHalvings; ++k, t *= 0.5) {
      nx = Clamp(x + t * dx, I);
      ny = Clamp(y + t * dy, J);
      if (nx == x && ny == y)
        break;
      const double fn = Eval(nx, ny);
      if (fn <= f + ArmijoSlope * (px * (nx - x) + py * (ny - y))) {
        moved = true;
        break;
      }
    }
    if (!moved) {
      // Nothing lower along the direction: a minimum within the precision of the values when
      // the Newton step itself was negligible, else a point the derivatives cannot improve.
      const bool negligible = newton && std::fabs(dx) <= std::fmax(tolX, NewtonStallRatio * wx) &&
                              std::fabs(dy) <= std::fmax(tolY, NewtonStallRatio * wy);
      return finish(negligible ? XelMathStatus::Done : XelMathStatus::NotConverged);
    }
    const double stepX = std::fabs(nx - x), stepY = std::fabs(ny - y);
    x = nx;
    y = ny;
    // Converged when a full step is negligible (a shortened step says nothing: it may be
    // held back by a kink).
    if (stepX <= tolX && stepY <= tolY && t == 1.0)
      return finish(XelMathStatus::Done);
  }
  return finish(XelMathStatus::NotConverged);
}
