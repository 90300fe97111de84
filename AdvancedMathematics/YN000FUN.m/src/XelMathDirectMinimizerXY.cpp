// Global minimizer of a function of two variables over a rectangle: interval branch and bound
// when the function gives images of its value and first derivatives, DIRECT search (dividing
// rectangles) otherwise; the regions found are polished by projected Newton descents.
#include "XelMathDirectMinimizerXY.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "XelError.h"
#include "XelMathBesideSingularityXY.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathExtendableSet.h"
#include "XelMathFunctionXY.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInterval.h"
#include "XelMathInterval2D.h"
#include "XelMathLocalMinimumXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"

namespace {

/// Boxes halved by the branch and bound.
const long BoxBudget = 20000;
/// A box narrower than this part of the rectangle on each side is not halved.
const double LeafRatio = 1e-4;
/// Default first partition of the branch and bound, per direction.
const long DefaultBoxes = 16;
/// Largest first partition, per direction.
const long MaxSampling = 1024;
/// Halvings between two descents from the best centre when it improves.
const long DescentPeriod = 256;
/// Rectangles of the DIRECT search (one evaluation each).
const long DirectBudget = 4000;
/// Rectangles sorted by all the passes of DIRECT together.
const double DirectSortWork = 1e7;
/// Deepest division of a side in DIRECT (3^-20 of the side, below 1e-9).
const long MaxLevel = 20;
/// Least improvement that a rectangle picked by DIRECT must be able to bring, relative to the
/// best value plus a hundredth of the spread of the values (without the spread a best value
/// of 0 would keep the search on its own basin).
const double DirectEpsilon = 1e-4;
const double DirectSpreadRatio = 0.01;
/// Regions polished by descents at most.
const long MaxDescents = 64;
/// Descents from the lowest rectangles that a touching one is below, besides.
const long LowStarts = 8;
/// Evaluations of one compass search, and its first and last steps (parts of the rectangle).
const long CompassBudget = 2000;
const double CompassFirstStep = 1e-2;
const double CompassLastStep = 1e-15;
/// Radius of the check of a descent's end (part of the rectangle).
const double CheckRadius = 1e-5;
/// Interior points of the segment between two minima sampled by the ridge test.
const long RidgeSamples = 7;
/// Rounding of a computed value, relative to the size of the values.
const double Rounding = 64.0 * DBL_EPSILON;
/// Rounds of the confirmation of a descent's end: each goes on from the lowest point the
/// values test saw, and doubles that move while f falls (at most ConfirmDoublings times).
const long ConfirmRounds = 32;
const long ConfirmDoublings = 30;

/// A growable array of plain records from the kernel's memory services.
template <class T> class Records : public XelMathExtendableSet {
public:
  Records() : XelMathExtendableSet(static_cast<long>(sizeof(T))) {}
  T* Data() { return reinterpret_cast<T*>(ElementAt(0)); }
  T& operator[](const long i) { return Data()[i]; }
  void Add(const T& iRecord) {
    const long n = GetSize();
    SetSize(n + 1);
    std::memcpy(ElementAt(n), &iRecord, sizeof(T));
  }
};

/// A box of the branch and bound: bounds, lower bound of the values, value at the centre.
struct Box {
  double xl, xh, yl, yh, lb, fc;
};
/// A rectangle of DIRECT in unit coordinates: centre, levels (side 3^-k), value at the centre,
/// half sides and half diagonal (0 across a rectangle of no width).
struct Rect {
  double cx, cy;
  long kx, ky;
  double f, hx, hy, d;
  void SetLevels(const long iKx, const long iKy, const bool iActiveX, const bool iActiveY) {
    kx = iKx;
    ky = iKy;
    hx = iActiveX ? 0.5 * std::pow(3.0, -double(kx)) : 0.0;
    hy = iActiveY ? 0.5 * std::pow(3.0, -double(ky)) : 0.0;
    d = std::sqrt(hx * hx + hy * hy);
  }
};
/// The end of a descent, and the spread of the values around it (negative until needed).
struct End {
  double x, y, f;
  double spread = -1.0;
};

/// Heap order of the work list: the lowest lower bound on top.
bool BoxAbove(const Box& a, const Box& b) {
  return a.lb > b.lb;
}

inline double Clamp(const double x, const double lo, const double hi) {
  return x < lo ? lo : (x > hi ? hi : x);
}

inline double Magnitude(const XelMathInterval& iI) {
  return std::fmax(std::fabs(iI.low), std::fabs(iI.high));
}

/// The integer option iKey of iAttributes (1 to MaxSampling, else 0x20004), else iDefault.
long SamplingOption(const XelMathAttrList* iAttributes, const char* iKey, const long iDefault) {
  const XelMathAttrIntegerValue* attr =
      iAttributes ? dynamic_cast<const XelMathAttrIntegerValue*>(iAttributes->GetAttribute(iKey))
                  : nullptr;
  if (!attr)
    return iDefault;
  const long n = attr->GetValue();
  if (n < 1 || n > MaxSampling)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, iKey, "Invalid Number Of Points",
                 "XelMathDirectMinimizerXY::Minimize");
  return n;
}

/// One run of the minimizer.
class Search {
public:
  Search(const XelMathFunctionXY& iF, const XelTolerance& iTol, const XelMathInterval2D& iDomain)
      : _f(iF), _tol(iTol), _domain(iDomain), _i(iDomain.GetX()), _j(iDomain.GetY()) {
    _wx = _i.high - _i.low;
    _wy = _j.high - _j.low;
    _r = iTol.GetRootResolution();
    _e = iTol.GetRelativeEpsilon();
    _s = iTol.GetScaleFactor();
  }

  long absolute = 0, interior = 0, limited = 0, constantGiven = 0;
  double limit = 0.0, constantTolerance = 0.0;
  long nu = 0, nv = 0; // first partition; 0 for the default of the method

  int Run(XelMathSetOfPointsND& oMinima);

private:
  double Value(double x, double y);
  /// What two values of the function near iValue may differ by and still be equal.
  double Slack(const double iValue) const {
    const double cst = constantGiven ? constantTolerance : _tol.GetSquareLengthResolution();
    return cst + _e * (_s * _s + std::fabs(iValue)) + Rounding * std::fabs(iValue);
  }
  /// The same, also allowing for the rounding of values computed from terms as large as the
  /// largest value seen (for the lower bounds of the boxes).
  double BoundSlack(const double iValue) const { return Slack(iValue) + Rounding * _size; }
  bool OnBoundary(const double x, const double y) const {
    return x - _i.low <= _r || _i.high - x <= _r || y - _j.low <= _r || _j.high - y <= _r;
  }
  /// The largest value a minimum may have under "LimitValue": the limit and its slack (an
  /// infinite limit as it is: -inf + inf would let every value through).
  double Ceiling() const {
    return std::isfinite(limit) ? limit + _e * (_s * _s + std::fabs(limit)) : limit;
  }
  bool Constant() const;
  bool Bound(Box& ioBox);
  void StartDescents(long iNu, long iNv);
  void BranchAndBound();
  void Direct();
  void DirectDivide(long iIndex);
  double DirectValue(const Rect& iRect) {
    return Value(_i.low + iRect.cx * _wx, _j.low + iRect.cy * _wy);
  }
  void Descend(double x, double y);
  void Compass(double& ioX, double& ioY, double& ioF);
  bool NoRidge(const End& a, const End& b, double iRounding = 0.0);
  double Spread(End& ioEnd);
  bool Confirm(End& ioEnd);
  void Report(XelMathSetOfPointsND& oMinima);

  const XelMathFunctionXY& _f;
  const XelTolerance& _tol;
  const XelMathInterval2D& _domain;
  XelMathInterval _i, _j;
  double _wx = 0.0, _wy = 0.0, _r = 0.0, _e = 0.0, _s = 1.0;
  // The values taken: range of the finite ones, whether any was not, their size.
  double _low = HUGE_VAL, _high = -HUGE_VAL, _size = 0.0;
  bool _nonFinite = false;
  // Best admissible value known (a point of the rectangle; an interior minimum in interior
  // mode) and, outside interior mode, its point.
  double _best = HUGE_VAL, _bestX = 0.0, _bestY = 0.0;
  Records<End> _ends;
  Records<Box> _leaves;
  Records<Rect> _rects;
};

double Search::Value(const double x, const double y) {
  const double v = _f.Eval(x, y);
  if (!std::isfinite(v)) {
    _nonFinite = true;
    return std::isnan(v) ? HUGE_VAL : v;
  }
  _low = std::fmin(_low, v);
  _high = std::fmax(_high, v);
  _size = std::fmax(_size, std::fabs(v));
  return v;
}

bool Search::Constant() const {
  if (_nonFinite || !(_low <= _high))
    return false;
  const double cst = constantGiven ? constantTolerance
                                   : _tol.GetSquareLengthResolution() +
                                         _e * std::fmax(std::fabs(_low), std::fabs(_high));
  return _high - _low <= cst;
}

// ---- descents ---------------------------------------------------------------------------------

/// A pattern search with rotating directions (in units of the rectangle): the four directions
/// of the current frame and its diagonals are polled; a success doubles the step, a failure
/// halves it and turns the frame towards the progress made since the last turn, so that the
/// search follows a valley that no fixed direction does (a kink across the axes).
void Search::Compass(double& ioX, double& ioY, double& ioF) {
  static const double dirs[8][2] = {{1, 0}, {-1, 0},  {0, 1},  {0, -1},
                                    {1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
  const double ux = _wx > 0.0 ? _wx : 1.0, uy = _wy > 0.0 ? _wy : 1.0;
  double ax = 1.0, ay = 0.0; // first axis of the frame (the second is its normal)
  double anchorX = ioX, anchorY = ioY;
  double step = CompassFirstStep;
  long budget = CompassBudget;
  while (step >= CompassLastStep && budget > 0) {
    bool moved = false;
    for (int k = 0; k < 8 && budget > 0 && !moved; ++k) {
      const double du = dirs[k][0] * ax - dirs[k][1] * ay, dv = dirs[k][0] * ay + dirs[k][1] * ax;
      const double x = Clamp(ioX + du * step * ux, _i.low, _i.high);
      const double y = Clamp(ioY + dv * step * uy, _j.low, _j.high);
      if (x == ioX && y == ioY)
        continue;
      const double v = Value(x, y);
      --budget;
      if (v < ioF) {
        ioX = x;
        ioY = y;
        ioF = v;
        moved = true;
      }
    }
    if (moved) {
      step = std::fmin(2.0 * step, CompassFirstStep);
      continue;
    }
    step *= 0.5;
    const double px = (ioX - anchorX) / ux, py = (ioY - anchorY) / uy;
    const double norm = std::sqrt(px * px + py * py);
    if (norm > 0.0) {
      ax = px / norm;
      ay = py / norm;
      anchorX = ioX;
      anchorY = ioY;
    }
  }
}

void Search::Descend(double x, double y) {
  const double x0 = x, y0 = y;
  const double f0 = Value(x0, y0);
  // A start that a lower minimum already found sees without a ridge between them is in its
  // basin.
  const End start{x0, y0, f0};
  for (long k = 0; k < _ends.GetSize(); ++k)
    if (_ends[k].f <= f0 && NoRidge(_ends[k], start))
      return;
  int status = _f.MinimizeNewton(x, y, _domain, _tol);
  double f = Value(x, y);
  if (f0 < f) {
    x = x0;
    y = y0;
    f = f0;
    status = XelMathStatus::NotConverged;
  }
  if (!std::isfinite(f))
    return;
  if (status == XelMathStatus::Done) {
    // A minimum has no lower point around it, and no slope along the free variables that a
    // step of CheckRadius would turn into a change of value above the square root of the
    // relative epsilon (a saddle or a kink may stop the descent; the slopes of difference
    // formulas at a smooth minimum stay far below).
    double gx = 0.0, gy = 0.0;
    _f.Eval(x, y, XelMathOption::FirstDeriv, nullptr, &gx, &gy, nullptr, nullptr, nullptr);
    const bool heldX = _wx == 0.0 || (x <= _i.low && gx > 0.0) || (x >= _i.high && gx < 0.0);
    const bool heldY = _wy == 0.0 || (y <= _j.low && gy > 0.0) || (y >= _j.high && gy < 0.0);
    const double slope = std::fabs(heldX ? 0.0 : gx * _wx) + std::fabs(heldY ? 0.0 : gy * _wy);
    if (!(slope * CheckRadius <= Slack(f) + std::sqrt(_e) * (_s * _s + std::fabs(f))))
      status = XelMathStatus::NotConverged;
    for (int k = 0; k < 8; ++k) {
      const double a = 0.7853981633974483 * k;
      const double px = Clamp(x + CheckRadius * _wx * std::cos(a), _i.low, _i.high);
      const double py = Clamp(y + CheckRadius * _wy * std::sin(a), _j.low, _j.high);
      const double v = Value(px, py);
      if (v < f - Slack(f)) {
        x = px;
        y = py;
        f = v;
        status = XelMathStatus::NotConverged;
      }
    }
  }
  if (status != XelMathStatus::Done) {
    Compass(x, y, f);
    double nx = x, ny = y;
    if (_f.MinimizeNewton(nx, ny, _domain, _tol) == XelMathStatus::Done) {
      const double nf = Value(nx, ny);
      if (nf <= f) {
        x = nx;
        y = ny;
        f = nf;
      }
    }
  }
  _ends.Add(End{x, y, f});
  if (f < _best && (!interior || !OnBoundary(x, y))) {
    _best = f;
    _bestX = x;
    _bestY = y;
  }
}

/// Descents from the centres of a iNu x iNv partition: from the best one in absolute mode,
/// else from every centre that no neighbour's value is below (the first among equals).
void Search::StartDescents(const long iNu, const long iNv) {
  Records<double> values;
  values.SetSize(iNu * iNv);
  auto centre = [&](const long a, const long b, double& x, double& y) {
    x = _i.low + (double(a) + 0.5) * _wx / double(iNu);
    y = _j.low + (double(b) + 0.5) * _wy / double(iNv);
  };
  long bestK = -1;
  for (long a = 0; a < iNu; ++a)
    for (long b = 0; b < iNv; ++b) {
      double x = 0.0, y = 0.0;
      centre(a, b, x, y);
      values[a * iNv + b] = Value(x, y);
      if (bestK < 0 || values[a * iNv + b] < values[bestK])
        bestK = a * iNv + b;
    }
  long descents = 0;
  for (long a = 0; a < iNu && descents < MaxDescents; ++a)
    for (long b = 0; b < iNv && descents < MaxDescents; ++b) {
      const double v = values[a * iNv + b];
      bool start = std::isfinite(v) && (absolute ? a * iNv + b == bestK : true);
      for (long da = -1; da <= 1 && start && !absolute; ++da)
        for (long db = -1; db <= 1 && start; ++db) {
          const long p = a + da, q = b + db;
          if ((da == 0 && db == 0) || p < 0 || q < 0 || p >= iNu || q >= iNv)
            continue;
          const bool earlier = p < a || (p == a && q < b);
          const double w = values[p * iNv + q];
          start = earlier ? w > v : w >= v;
        }
      if (start) {
        double x = 0.0, y = 0.0;
        centre(a, b, x, y);
        Descend(x, y);
        ++descents;
      }
    }
}

// ---- branch and bound -------------------------------------------------------------------------

/// Bounds ioBox: its lower bound and centre value, after shrinking it to the face of the
/// rectangle on which a derivative of constant sign pushes the minimum. False when the box
/// cannot hold a minimum.
bool Search::Bound(Box& ioBox) {
  for (int pass = 0; pass < 3; ++pass) {
    const XelMathInterval I(ioBox.xl, ioBox.xh), J(ioBox.yl, ioBox.yh);
    XelMathInterval F, Fx, Fy;
    _f.Eval(I, J, XelMathOption::ImageAndFirst, &F, &Fx, &Fy, nullptr, nullptr, nullptr, _tol);
    const double cx = 0.5 * (ioBox.xl + ioBox.xh), cy = 0.5 * (ioBox.yl + ioBox.yh);
    ioBox.fc = Value(cx, cy);
    if (!interior && ioBox.fc < _best) {
      _best = ioBox.fc;
      _bestX = cx;
      _bestY = cy;
    }
    const bool slopes = std::isfinite(Fx.low) && std::isfinite(Fx.high) && std::isfinite(Fy.low) &&
                        std::isfinite(Fy.high);
    bool shrunk = false;
    if (slopes) {
      // One direction at a time: a box of width shrinks to the face the function decreases
      // towards (dropped when that face is inside the rectangle or in interior mode); a face
      // of the rectangle where the function decreases inwards holds no minimum.
      auto side = [&](double& lo, double& hi, const XelMathInterval& G, const XelMathInterval& D,
                      const double width) {
        if (hi > lo) {
          if (G.low > 0.0) {
            if (interior || lo != D.low)
              return false;
            hi = lo;
            shrunk = true;
          } else if (G.high < 0.0) {
            if (interior || hi != D.high)
              return false;
            lo = hi;
            shrunk = true;
          }
        } else if (width > 0.0 && ((lo == D.low && G.high < 0.0) || (lo == D.high && G.low > 0.0)))
          return false;
        return true;
      };
      if (!side(ioBox.xl, ioBox.xh, Fx, _i, _wx) || !side(ioBox.yl, ioBox.yh, Fy, _j, _wy))
        return false;
    }
    if (shrunk)
      continue;
    double lb = std::isnan(F.low) ? -HUGE_VAL : F.low;
    if (slopes && std::isfinite(ioBox.fc))
      lb = std::fmax(lb, ioBox.fc - Magnitude(Fx) * 0.5 * (ioBox.xh - ioBox.xl) -
                             Magnitude(Fy) * 0.5 * (ioBox.yh - ioBox.yl));
    ioBox.lb = lb;
    return true;
  }
  // Shrunk in both directions to a corner: its value is its bound.
  ioBox.lb = ioBox.fc;
  return true;
}

void Search::BranchAndBound() {
  const long mx = _wx > 0.0 ? (nu > 0 ? nu : DefaultBoxes) : 1;
  const long my = _wy > 0.0 ? (nv > 0 ? nv : DefaultBoxes) : 1;
  StartDescents(mx, my);

  Records<Box> heap;
  auto push = [&](Box& b) {
    if (Bound(b)) {
      heap.Add(b);
      std::push_heap(heap.Data(), heap.Data() + heap.GetSize(), BoxAbove);
    }
  };
  auto at = [](const XelMathInterval& D, const long k, const long n) {
    return k == n ? D.high : D.low + double(k) * (D.high - D.low) / double(n);
  };
  for (long a = 0; a < mx; ++a)
    for (long b = 0; b < my; ++b) {
      Box box{at(_i, a, mx), at(_i, a + 1, mx), at(_j, b, my), at(_j, b + 1, my), 0.0, 0.0};
      push(box);
    }

  long splits = 0, lastDescent = 0;
  double descended = HUGE_VAL;
  while (heap.GetSize() > 0) {
    std::pop_heap(heap.Data(), heap.Data() + heap.GetSize(), BoxAbove);
    Box box = heap[heap.GetSize() - 1];
    heap.SetSize(heap.GetSize() - 1);
    if (box.lb > _best + BoundSlack(_best))
      break; // every box left is above too
    const double rx = _wx > 0.0 ? (box.xh - box.xl) / _wx : 0.0;
    const double ry = _wy > 0.0 ? (box.yh - box.yl) / _wy : 0.0;
    if (splits >= BoxBudget || (rx <= LeafRatio && ry <= LeafRatio)) {
      _leaves.Add(box);
      continue;
    }
    ++splits;
    Box low = box, high = box;
    if (rx >= ry) {
      low.xh = high.xl = 0.5 * (box.xl + box.xh);
    } else {
      low.yh = high.yl = 0.5 * (box.yl + box.yh);
    }
    push(low);
    push(high);
    if (!interior && _best < descended && splits - lastDescent >= DescentPeriod) {
      Descend(_bestX, _bestY);
      descended = _best;
      lastDescent = splits;
    }
  }

  // The leaves that may still hold a best minimum, by regions of touching boxes: a descent
  // from the lowest centre of each region, lowest regions first.
  const double top = _best + BoundSlack(_best);
  long n = 0;
  for (long k = 0; k < _leaves.GetSize(); ++k)
    if (!(_leaves[k].lb > top))
      _leaves[n++] = _leaves[k];
  _leaves.SetSize(n);
  Box* leaf = _leaves.Data();
  std::sort(leaf, leaf + n, [](const Box& a, const Box& b) { return a.xl < b.xl; });
  Records<long> parent;
  parent.SetSize(n);
  for (long k = 0; k < n; ++k)
    parent[k] = k;
  auto root = [&](long k) {
    while (parent[k] != k)
      k = parent[k] = parent[parent[k]];
    return k;
  };
  const double gapX = 1e-12 * _wx, gapY = 1e-12 * _wy;
  for (long a = 0; a < n; ++a)
    for (long b = a + 1; b < n && leaf[b].xl <= leaf[a].xh + gapX; ++b)
      if (leaf[b].yl <= leaf[a].yh + gapY && leaf[a].yl <= leaf[b].yh + gapY) {
        const long ra = root(a), rb = root(b);
        if (ra != rb)
          parent[std::max(ra, rb)] = std::min(ra, rb);
      }
  // The lowest leaf of each region, regions by increasing lowest centre value.
  Records<long> rep, starts;
  rep.SetSize(n);
  for (long k = 0; k < n; ++k)
    rep[k] = -1;
  for (long k = 0; k < n; ++k) {
    const long r = root(k);
    if (rep[r] < 0 || leaf[k].fc < leaf[rep[r]].fc)
      rep[r] = k;
  }
  for (long k = 0; k < n; ++k)
    if (root(k) == k)
      starts.Add(rep[k]);
  long* start = starts.Data();
  const long regions = starts.GetSize();
  std::sort(start, start + regions, [leaf](const long a, const long b) {
    return leaf[a].fc < leaf[b].fc || (leaf[a].fc == leaf[b].fc && a < b);
  });
  for (long k = 0; k < regions && k < MaxDescents; ++k) {
    const Box& b = leaf[start[k]];
    Descend(0.5 * (b.xl + b.xh), 0.5 * (b.yl + b.yh));
  }
}

// ---- DIRECT -----------------------------------------------------------------------------------

void Search::DirectDivide(const long iIndex) {
  Rect r = _rects[iIndex];
  const bool ax = _wx > 0.0 && r.kx<MaxLevel, ay = _wy> 0.0 && r.ky < MaxLevel;
  if (!ax && !ay)
    return;
  const long k = ax && ay ? std::min(r.kx, r.ky) : (ax ? r.kx : r.ky);
  const double delta = std::pow(3.0, -double(k + 1));
  // The longest sides, with the values at the centres of their thirds.
  int dims[2], count = 0;
  Rect side[2][2];
  double w[2] = {HUGE_VAL, HUGE_VAL};
  for (int d = 0; d < 2; ++d) {
    if (!(d == 0 ? ax && r.kx == k : ay && r.ky == k))
      continue;
    for (int s = 0; s < 2; ++s) {
      Rect& t = side[d][s];
      t = r;
      (d == 0 ? t.cx : t.cy) += s == 0 ? delta : -delta;
      t.f = DirectValue(t);
      w[d] = std::fmin(w[d], t.f);
    }
    dims[count++] = d;
  }
  if (count == 2 && w[1] < w[0])
    std::swap(dims[0], dims[1]);
  // Divide across the side of the lowest third first; the middle third goes on.
  for (int c = 0; c < count; ++c) {
    const int d = dims[c];
    r.SetLevels(d == 0 ? k + 1 : r.kx, d == 0 ? r.ky : k + 1, _wx > 0.0, _wy > 0.0);
    for (int s = 0; s < 2; ++s) {
      Rect t = r;
      t.cx = side[d][s].cx;
      t.cy = side[d][s].cy;
      t.f = side[d][s].f;
      _rects.Add(t);
    }
  }
  _rects[iIndex] = r;
}

void Search::Direct() {
  // First partition: 3^k thirds per direction, at least the sampling asked for.
  auto level = [](const long iCount) {
    long k = 0;
    for (long p = 1; p < iCount && k < 6; p *= 3)
      ++k;
    return k;
  };
  const long kx = _wx > 0.0 ? level(nu > 0 ? nu : 1) : 0;
  const long ky = _wy > 0.0 ? level(nv > 0 ? nv : 1) : 0;
  const long mx = long(std::lround(std::pow(3.0, double(kx))));
  const long my = long(std::lround(std::pow(3.0, double(ky))));
  for (long a = 0; a < mx; ++a)
    for (long b = 0; b < my; ++b) {
      Rect r{_wx > 0.0 ? (double(a) + 0.5) / double(mx) : 0.0,
             _wy > 0.0 ? (double(b) + 0.5) / double(my) : 0.0,
             0,
             0,
             0.0,
             0.0,
             0.0,
             0.0};
      r.SetLevels(kx, ky, _wx > 0.0, _wy > 0.0);
      r.f = DirectValue(r);
      _rects.Add(r);
    }

  // Each pass sorts every rectangle: beside the rectangles, the passes are bounded by the
  // rectangles they sort in all (a first partition of 729 x 729 rectangles took 30 s of
  // sorting for 4000 more).
  Records<long> order, hull, picked;
  double sorted = 0.0;
  while (_rects.GetSize() < DirectBudget + mx * my && sorted <= DirectSortWork) {
    const long n = _rects.GetSize();
    sorted += double(n);
    Rect* rect = _rects.Data();
    // Values on the hull: a value that is not a number counts as the largest one seen.
    const double worst = _high >= _low ? _high : 0.0;
    auto g = [&](const long k) { return std::isfinite(rect[k].f) ? rect[k].f : worst; };
    auto size = [&](const long k) { return rect[k].d; };
    auto divisible = [&](const long k) {
      return (_wx > 0.0 && rect[k].kx < MaxLevel) || (_wy > 0.0 && rect[k].ky < MaxLevel);
    };
    order.SetSize(0);
    for (long k = 0; k < n; ++k)
      if (divisible(k))
        order.Add(k);
    long* o = order.Data();
    const long m = order.GetSize();
    if (m == 0)
      break;
    std::sort(o, o + m, [&](const long a, const long b) {
      const double da = size(a), db = size(b);
      return da < db || (da == db && (g(a) < g(b) || (g(a) == g(b) && a < b)));
    });
    // The first rectangle of each size is its lowest; the lowest of all, at the largest size.
    hull.SetSize(0);
    long lowest = -1;
    for (long t = 0; t < m; ++t)
      if (t == 0 || size(o[t]) != size(o[t - 1]))
        if (lowest < 0 || g(o[t]) <= g(lowest))
          lowest = o[t];
    const double fmin = g(lowest);
    // Lower right convex hull of (size, value) from the lowest rectangle on.
    for (long t = 0; t < m; ++t) {
      if ((t > 0 && size(o[t]) == size(o[t - 1])) || size(o[t]) < size(lowest))
        continue;
      const long p = o[t];
      while (hull.GetSize() >= 2) {
        const long a = hull[hull.GetSize() - 2], b = hull[hull.GetSize() - 1];
        const double cross =
            (size(b) - size(a)) * (g(p) - g(a)) - (g(b) - g(a)) * (size(p) - size(a));
        if (cross > 0.0)
          break;
        hull.SetSize(hull.GetSize() - 1);
      }
      hull.Add(p);
    }
    // Each hull rectangle that can improve fmin by DirectEpsilon, with the ones of
    // its size and value.
    picked.SetSize(0);
    for (long h = 0; h < hull.GetSize(); ++h) {
      const long p = hull[h];
      if (h + 1 < hull.GetSize()) {
        const long q = hull[h + 1];
        const double slope = (g(q) - g(p)) / (size(q) - size(p));
        if (g(p) - slope * size(p) >
            fmin - DirectEpsilon * (std::fabs(fmin) + DirectSpreadRatio * (worst - fmin)))
          continue;
      }
      for (long t = 0; t < m; ++t)
        if (size(o[t]) == size(p) && g(o[t]) == g(p))
          picked.Add(o[t]);
    }
    if (picked.GetSize() == 0)
      break;
    for (long t = 0; t < picked.GetSize(); ++t)
      DirectDivide(picked[t]);
  }

  // Rectangles whose centre is not above any touching rectangle's (the first among equals),
  // by increasing value: descents from them.
  const long n = _rects.GetSize();
  Rect* rect = _rects.Data();
  std::sort(rect, rect + n, [](const Rect& a, const Rect& b) { return a.cx - a.hx < b.cx - b.hx; });
  Records<unsigned char> beaten;
  beaten.SetSize(n);
  for (long a = 0; a < n; ++a) {
    if (!std::isfinite(rect[a].f))
      beaten[a] = 1;
    const double right = rect[a].cx + rect[a].hx + 1e-12;
    for (long b = a + 1; b < n && rect[b].cx - rect[b].hx <= right; ++b) {
      if (std::fabs(rect[a].cy - rect[b].cy) > rect[a].hy + rect[b].hy + 1e-12)
        continue;
      if (rect[b].f < rect[a].f)
        beaten[a] = 1;
      else
        beaten[b] = 1;
    }
  }
  Records<long> starts;
  for (long k = 0; k < n; ++k)
    if (!beaten[k])
      starts.Add(k);
  long* s = starts.Data();
  std::sort(s, s + starts.GetSize(), [rect](const long a, const long b) {
    return rect[a].f < rect[b].f || (rect[a].f == rect[b].f && a < b);
  });
  for (long k = 0; k < starts.GetSize() && k < MaxDescents; ++k) {
    const Rect& r = rect[s[k]];
    Descend(_i.low + r.cx * _wx, _j.low + r.cy * _wy);
  }
  // The lowest of the other rectangles too: a valley that forks leads its descents along one
  // branch (Powell's badly scaled function on [0, 10]^2: both branches start near the origin,
  // where DIRECT divides, and end at two minima of value 0). A start in the basin of a lower
  // end costs only its ridge test.
  Records<long> low;
  for (long k = 0; k < n; ++k)
    if (beaten[k] && std::isfinite(rect[k].f))
      low.Add(k);
  long* l = low.Data();
  const long m = std::min(low.GetSize(), LowStarts);
  std::partial_sort(l, l + m, l + low.GetSize(), [rect](const long a, const long b) {
    return rect[a].f < rect[b].f || (rect[a].f == rect[b].f && a < b);
  });
  for (long k = 0; k < m; ++k) {
    const Rect& r = rect[l[k]];
    Descend(_i.low + r.cx * _wx, _j.low + r.cy * _wy);
  }
}

// ---- results ----------------------------------------------------------------------------------

/// Whether no point of the segment between a and b is above both by more than the slack of
/// their values and iRounding.
bool Search::NoRidge(const End& a, const End& b, const double iRounding) {
  const double top = std::fmax(a.f, b.f);
  for (long k = 1; k <= RidgeSamples; ++k) {
    const double t = double(k) / double(RidgeSamples + 1);
    if (Value(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)) > top + Slack(top) + iRounding)
      return false;
  }
  return true;
}

double Search::Spread(End& ioEnd) {
  if (ioEnd.spread < 0.0)
    ioEnd.spread = XelMathLocalMinimumXY::ValueSpread(_f, ioEnd.x, ioEnd.y, _domain);
  return ioEnd.spread;
}

/// Whether the end of a descent is a minimum by the values around it: the eight directions
/// and the flattest one of the Hessian (a descent stalls on the floor of a steep curved
/// valley, (1 - u)^2 + 1e6 (v - u^2)^2, where f still falls along the floor, and on an oblique
/// edge of the region where f is defined, which it cannot follow). A lower point seen is gone
/// on from, the move doubled while f falls, and the point reached is polished by a Newton
/// descent; the end moves with it. False when no minimum was reached within ConfirmRounds.
bool Search::Confirm(End& ioEnd) {
  bool moved = false;
  for (long round = 0; round < ConfirmRounds; ++round) {
    double h[3] = {0.0, 0.0, 0.0}, along[2] = {0.0, 0.0}, low = 0.0, high = 0.0;
    _f.Eval(ioEnd.x, ioEnd.y, XelMathOption::SecondDeriv, nullptr, nullptr, nullptr, h, h + 1,
            h + 2);
    XelMathLocalMinimumXY::FlattestDirection(h[0], h[1], h[2], along, low, high);
    const bool valley = std::isfinite(along[0]) && std::isfinite(along[1]);
    double lower[3] = {ioEnd.x, ioEnd.y, HUGE_VAL};
    const double noise = _e * (_s * _s + std::fabs(ioEnd.f));
    if (XelMathLocalMinimumXY::IsLocalMinimum(_f, ioEnd.x, ioEnd.y, _domain, noise, _e,
                                              valley ? along : nullptr, lower)) {
      if (!moved)
        return true;
      // Reached by the probes, to their steps: polished once.
      moved = false;
      double x = ioEnd.x, y = ioEnd.y;
      if (_f.MinimizeNewton(x, y, _domain, _tol) != XelMathStatus::Done)
        return true;
      const double f = Value(x, y);
      if (!(f < ioEnd.f))
        return true;
      ioEnd = End{x, y, f};
      continue;
    }
    if (!(lower[2] < ioEnd.f))
      return false; // no value at the point
    double du = lower[0] - ioEnd.x, dv = lower[1] - ioEnd.y;
    ioEnd = End{lower[0], lower[1], lower[2]};
    moved = true;
    for (long k = 0; k < ConfirmDoublings; ++k) {
      du *= 2.0;
      dv *= 2.0;
      const double x = Clamp(ioEnd.x + du, _i.low, _i.high);
      const double y = Clamp(ioEnd.y + dv, _j.low, _j.high);
      const double f = Value(x, y);
      if (!(f < ioEnd.f))
        break;
      ioEnd = End{x, y, f};
    }
  }
  return false;
}

void Search::Report(XelMathSetOfPointsND& oMinima) {
  End* end = _ends.Data();
  const long n = _ends.GetSize();
  std::stable_sort(end, end + n, [](const End& a, const End& b) { return a.f < b.f; });
  long kept = 0;
  for (long k = 0; k < n; ++k) {
    // A descent that closed on a pole (or on the edge of a logarithm's domain) is no minimum.
    if (XelMathSingularityXY::BesideSingularity(_f, end[k].x, end[k].y, end[k].f, _domain,
                                                _e * (_s * _s + std::fabs(end[k].f))))
      continue;
    // Two ends with no ridge between them are one minimum; the ridge may be the rounding of
    // the values there (twice the larger spread around the two ends, measured when needed:
    // the expanded form of a steep valley gave 60 points of its minimum).
    const auto known = [&]() {
      for (long m = 0; m < kept; ++m) {
        if (std::fabs(end[m].x - end[k].x) + std::fabs(end[m].y - end[k].y) <= _r ||
            NoRidge(end[m], end[k]))
          return true;
        const double rounding = 2.0 * std::fmax(Spread(end[m]), Spread(end[k]));
        if (rounding > 0.0 && NoRidge(end[m], end[k], rounding))
          return true;
      }
      return false;
    };
    if (known())
      continue;
    // Not a minimum, or one reached farther on (then it may be one of those kept).
    const End before = end[k];
    if (!Confirm(end[k]))
      continue;
    if ((end[k].x != before.x || end[k].y != before.y) && known())
      continue;
    end[kept++] = end[k];
  }
  // The ends moved by their confirmation back in order.
  std::stable_sort(end, end + kept, [](const End& a, const End& b) { return a.f < b.f; });
  const double ceiling = Ceiling();
  for (long k = 0; k < kept; ++k) {
    if (interior && OnBoundary(end[k].x, end[k].y))
      continue;
    if (limited && end[k].f > ceiling)
      continue;
    const double p[2] = {end[k].x, end[k].y};
    oMinima.AddPoint(p);
    if (absolute)
      break;
  }
}

int Search::Run(XelMathSetOfPointsND& oMinima) {
  if (_f.IsOption(XelMathOption::ImageAndFirst)) {
    XelMathInterval F;
    _f.Eval(_i, _j, XelMathOption::Image, &F, nullptr, nullptr, nullptr, nullptr, nullptr, _tol);
    const double cst = constantGiven ? constantTolerance
                                     : _tol.GetSquareLengthResolution() +
                                           _e * std::fmax(std::fabs(F.low), std::fabs(F.high));
    if (std::isfinite(F.low) && std::isfinite(F.high) && F.high - F.low <= cst) {
      Value(0.5 * (_i.low + _i.high), 0.5 * (_j.low + _j.high));
      _nonFinite = false;
      _low = _high = F.low;
    } else
      BranchAndBound();
  } else
    Direct();
  if (Constant()) {
    const double centre[2] = {0.5 * (_i.low + _i.high), 0.5 * (_j.low + _j.high)};
    const double v = _f.Eval(centre[0], centre[1]);
    if (!limited || v <= Ceiling())
      oMinima.AddPoint(centre);
    return XelMathStatus::ConstantFunction;
  }
  Report(oMinima);
  return XelMathStatus::Done;
}

} // namespace

XelMathDirectMinimizerXY::XelMathDirectMinimizerXY(const XelMathFunctionXY* iFunction,
                                                   const XelTolerance& iTol)
    : _function(iFunction), _tolerance(&iTol), _unreviewed(0), _scaleReviewed(0) {}

XelMathDirectMinimizerXY::~XelMathDirectMinimizerXY() = default;

long XelMathDirectMinimizerXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathDirectMinimizerXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathDirectMinimizerXY));
}

void XelMathDirectMinimizerXY::SetOKScaleReviewed() {
  _scaleReviewed = 1;
}

int XelMathDirectMinimizerXY::Minimize(const XelMathInterval2D& iDomain,
                                       XelMathSetOfPointsND& ioMinima,
                                       const XelMathAttrList* iAttributes) {
  if (ioMinima.GetDimension() != 2)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "2",
                 "XelMathDirectMinimizerXY::Minimize");
  ioMinima.Reset();
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  // (a width that overflows cannot be divided either: the unit coordinates would be NaN)
  if (!_function || !(I.low <= I.high) || !(J.low <= J.high) ||
      !std::isfinite(I.high - I.low) || !std::isfinite(J.high - J.low))
    return XelMathStatus::Refused;

  Search search(*_function, *_tolerance, iDomain);
  if (iAttributes) {
    // A NaN value of a tolerance-like option means nothing: every comparison with it fails.
    for (const char* key : {AttrFunctionXLimitValue, "TolForCst"})
      if (const XelMathAttrDoubleValue* value =
              dynamic_cast<const XelMathAttrDoubleValue*>(iAttributes->GetAttribute(key)))
        if (std::isnan(value->GetValue()))
          XelMathRaise(XelErrorCode::InvalidOption, key, "NaN",
                       "XelMathDirectMinimizerXY::Minimize");
    const bool scaled = _tolerance->GetScaleFactor() != 1.0 && !_scaleReviewed;
    search.absolute = iAttributes->GetAttribute(AttrFunctionXAbsoluteExtremum) ? 1 : 0;
    search.interior = iAttributes->GetAttribute(AttrFunctionXInteriorExtremum) ? 1 : 0;
    if (const XelMathAttrDoubleValue* limit = dynamic_cast<const XelMathAttrDoubleValue*>(
            iAttributes->GetAttribute(AttrFunctionXLimitValue))) {
      search.limited = 1;
      search.limit = limit->GetValue();
      _unreviewed += scaled && !limit->GetOKReviewed() ? 1 : 0;
    }
    if (const XelMathAttrDoubleValue* cst =
            dynamic_cast<const XelMathAttrDoubleValue*>(iAttributes->GetAttribute("TolForCst"))) {
      search.constantGiven = 1;
      search.constantTolerance = cst->GetValue();
      _unreviewed += scaled && !cst->GetOKReviewed() ? 1 : 0;
    }
    search.nu = SamplingOption(iAttributes, "SamplingPointsX", 0);
    search.nv = SamplingOption(iAttributes, "SamplingPointsY", 0);
  }
  const int status = search.Run(ioMinima);
  ioMinima.Beginning();
  return status;
}
