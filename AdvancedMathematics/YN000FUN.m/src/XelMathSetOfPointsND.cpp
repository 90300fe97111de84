#include "XelMathSetOfPointsND.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "XelError.h"
#include "XelMathConstants.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathSetOfLongs.h"
#include "XelMathSetOfPointsNDInternal.h"
#include "XelMathStream.h"
#include "XelQuorMemory.h"

// ---- helpers shared by the three point-set classes -------------------------------------

void XelMathPointSetCheckDimension(long iDimension, const char* iWhere) {
  if (iDimension < 1)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "a dimension of at least 1", iWhere, __FILE__, __LINE__);
  if (iDimension > XelQuorMaxArrayDoubles / 2)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "a dimension the memory can hold", iWhere, __FILE__, __LINE__);
}

void XelMathPointSetCheckCount(long iDimension, long iCount, const char* iWhere) {
  if (iCount > 0 && iCount > XelQuorMaxArrayDoubles / iDimension)
    XelMathRaiseTexts(XelErrorCode::InvalidNumberOfPoints, 2, "Invalid Number Of Points", iWhere,
                      nullptr, __FILE__, __LINE__);
}

void XelMathPointSetCheckPoint(const double* p, const char* iWhere) {
  if (!p)
    XelMathRaise(XelErrorCode::InvalidOption, "the point", "null", iWhere);
}

void XelMathPointSetCopyVector(double* oV, const double* iV, const long iDimension) {
  if (iV)
    std::memmove(oV, iV, sizeof(double) * static_cast<size_t>(iDimension));
  else
    std::memset(oV, 0, sizeof(double) * static_cast<size_t>(iDimension));
}

XelMathKeepFlags::XelMathKeepFlags(long iCount) : _count(iCount), _flags(nullptr) {
  if (iCount > 0) {
    _flags = XelQuorArrayBytesNew(iCount);
    std::memset(_flags, 1, static_cast<size_t>(iCount));
  }
}
XelMathKeepFlags::~XelMathKeepFlags() {
  if (_flags)
    XelQuorArrayBytesDel(_flags, _count);
}

namespace {

const char* const ClassName = "XelMathSetOfPointsND";

// Version rule of the header: the older writers store three labelled longs.
bool OldHeader(XelQuorStreamVersion iVersion) {
  return XelQuorStreamIsStrictlyOlderThan(iVersion, 1012) && iVersion != 1201 && iVersion != 1202 &&
         iVersion != 1254;
}

// Squared distance from p to the segment [a, b] (a point when shorter than iTol).
double SquareDistanceToSegment(long N, const double* p, const double* a, const double* b,
                               double iTol, double* ioWork) {
  XelProjectPointOnSegmentND(N, p, a, b, ioWork, iTol);
  return XelSquareDistanceND(N, p, ioWork);
}

// Closest points of the segments [p1, q1] and [p2, q2] in dimension N: parameters s and t
// (each in [0, 1]) of the nearest pair; returns the squared distance.
double SegmentSegment(long N, const double* p1, const double* q1, const double* p2,
                      const double* q2, double& oS, double& oT) {
  double a = XelScalarProductND(N, p1, q1, p1, q1);
  double e = XelScalarProductND(N, p2, q2, p2, q2);
  double f = XelScalarProductND(N, p2, q2, p2, p1); // d2 . (p1 - p2)
  const double tiny = 1e-300;
  double s, t;
  if (a <= tiny && e <= tiny) {
    s = t = 0.0;
  } else if (a <= tiny) {
    s = 0.0;
    t = std::clamp(f / e, 0.0, 1.0);
  } else {
    double c = XelScalarProductND(N, p1, q1, p2, p1); // d1 . (p1 - p2)
    if (e <= tiny) {
      t = 0.0;
      s = std::clamp(-c / a, 0.0, 1.0);
    } else {
      double b = XelScalarProductND(N, p1, q1, p2, q2);
      double denom = a * e - b * b;
      s = denom > 0.0 ? std::clamp((b * f - c * e) / denom, 0.0, 1.0) : 0.0;
      t = (b * s + f) / e;
      if (t < 0.0) {
        t = 0.0;
        s = std::clamp(-c / a, 0.0, 1.0);
      } else if (t > 1.0) {
        t = 1.0;
        s = std::clamp((b - c) / a, 0.0, 1.0);
      }
    }
  }
  oS = s;
  oT = t;
  double d2 = 0.0;
  for (long k = 0; k < N; k++) {
    double x1 = p1[k] + s * (q1[k] - p1[k]);
    double x2 = p2[k] + t * (q2[k] - p2[k]);
    d2 += (x1 - x2) * (x1 - x2);
  }
  return d2;
}

double Cross2(const double* o, const double* a, const double* b) {
  return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}
double Dist2D(const double* a, const double* b) {
  return std::hypot(a[0] - b[0], a[1] - b[1]);
}

// Eigen-free null vector of a matrix of m rows and 6 columns by one-sided Jacobi
// (Hestenes): on return oSigma holds the 6 singular values in increasing order and oV
// their right singular vectors (column j of the 6 x 6 matrix oV, row-major).
void JacobiSVD6(long m, double* ioA, double* oSigma, double* oV) {
  const int n = 6;
  for (int i = 0; i < n * n; i++)
    oV[i] = (i % (n + 1) == 0) ? 1.0 : 0.0;
  for (int sweep = 0; sweep < 60; sweep++) {
    double off = 0.0;
    for (int p = 0; p < n - 1; p++)
      for (int q = p + 1; q < n; q++) {
        double alpha = 0.0, beta = 0.0, gamma = 0.0;
        for (long r = 0; r < m; r++) {
          double x = ioA[r * n + p], y = ioA[r * n + q];
          alpha += x * x;
          beta += y * y;
          gamma += x * y;
        }
        if (gamma == 0.0 || std::fabs(gamma) <= 1e-15 * std::sqrt(alpha * beta))
          continue;
        off = std::max(off, std::fabs(gamma) / std::sqrt(alpha * beta));
        double zeta = (beta - alpha) / (2.0 * gamma);
        double t = (zeta >= 0 ? 1.0 : -1.0) / (std::fabs(zeta) + std::sqrt(1.0 + zeta * zeta));
        double c = 1.0 / std::sqrt(1.0 + t * t), s = c * t;
        for (long r = 0; r < m; r++) {
          double x = ioA[r * n + p], y = ioA[r * n + q];
          ioA[r * n + p] = c * x - s * y;
          ioA[r * n + q] = s * x + c * y;
        }
        for (int r = 0; r < n; r++) {
          double x = oV[r * n + p], y = oV[r * n + q];
          oV[r * n + p] = c * x - s * y;
          oV[r * n + q] = s * x + c * y;
        }
      }
    if (off <= 1e-15)
      break;
  }
  double sigma[6];
  int order[6];
  for (int j = 0; j < n; j++) {
    double s2 = 0.0;
    for (long r = 0; r < m; r++)
      s2 += ioA[r * n + j] * ioA[r * n + j];
    sigma[j] = std::sqrt(s2);
    order[j] = j;
  }
  std::sort(order, order + n, [&](int a, int b) { return sigma[a] < sigma[b]; });
  double v[36];
  std::memcpy(v, oV, sizeof(v));
  for (int j = 0; j < n; j++) {
    oSigma[j] = sigma[order[j]];
    for (int r = 0; r < n; r++)
      oV[r * n + j] = v[r * n + order[j]];
  }
}

// Fits the conic of the points iIdx[0..m-1] (all points when iIdx is null) in coordinates
// normalised around their centroid; returns 1 and the coefficients in the original
// coordinates, 0 when the points do not determine a unique conic. oScale receives the
// normalisation length.
int FitConic(const XelMathSetOfPointsND& iSet, long m, const long* iIdx, double iTol,
             double* oCoefficients, double& oScale, double* oCenter) {
  long N = iSet.GetDimension();
  const double* P = iSet.GetPoints();
  auto pt = [&](long r) { return P + (iIdx ? iIdx[r] : r) * N; };
  double cx = 0.0, cy = 0.0;
  for (long r = 0; r < m; r++) {
    cx += pt(r)[0];
    cy += pt(r)[1];
  }
  cx /= m;
  cy /= m;
  double s = 0.0;
  for (long r = 0; r < m; r++)
    s += std::hypot(pt(r)[0] - cx, pt(r)[1] - cy);
  s /= m;
  oScale = s;
  oCenter[0] = cx;
  oCenter[1] = cy;
  if (!(s > 0.0) || !std::isfinite(s))
    return 0;
  long rows = std::max(m, 6L);
  std::vector<double> A(static_cast<size_t>(rows * 6), 0.0);
  for (long r = 0; r < m; r++) {
    double x = (pt(r)[0] - cx) / s, y = (pt(r)[1] - cy) / s;
    double* row = &A[static_cast<size_t>(r * 6)];
    row[0] = x * x;
    row[1] = x * y;
    row[2] = y * y;
    row[3] = x;
    row[4] = y;
    row[5] = 1.0;
  }
  double sigma[6], V[36];
  JacobiSVD6(rows, A.data(), sigma, V);
  // A second small singular value means a family of conics fits the points.
  double threshold = std::max(1e-12, iTol / s) * sigma[5];
  if (!(sigma[1] > threshold))
    return 0;
  double a = V[0 * 6], b = V[1 * 6], c = V[2 * 6], d = V[3 * 6], e = V[4 * 6], f = V[5 * 6];
  // Back to the original coordinates (the equation multiplied by s^2).
  double C6[6];
  C6[0] = a;
  C6[1] = b;
  C6[2] = c;
  C6[3] = -2.0 * a * cx - b * cy + d * s;
  C6[4] = -b * cx - 2.0 * c * cy + e * s;
  C6[5] = a * cx * cx + b * cx * cy + c * cy * cy - d * s * cx - e * s * cy + f * s * s;
  double norm = 0.0;
  for (double v : C6)
    norm += v * v;
  norm = std::sqrt(norm);
  if (!(norm > 0.0))
    return 0;
  double sign = 1.0;
  for (double v : C6)
    if (v != 0.0) {
      sign = v > 0 ? 1.0 : -1.0;
      break;
    }
  for (int k = 0; k < 6; k++)
    oCoefficients[k] = sign * C6[k] / norm;
  return 1;
}

} // namespace

// ---- free functions ---------------------------------------------------------------------

double XelSquareDistanceND(const long N, const double* a, const double* b) {
  double s = 0.0;
  for (long k = 0; k < N; k++) {
    double d = b[k] - a[k];
    s += d * d;
  }
  return s;
}

double XelScalarProductND(const long N, const double* origin1, const double* end1,
                          const double* origin2, const double* end2) {
  double s = 0.0;
  for (long k = 0; k < N; k++)
    s += (end1[k] - origin1[k]) * (end2[k] - origin2[k]);
  return s;
}

double XelProjectPointOnSegmentND(const long N, const double* p, const double* a, const double* b,
                                  double* oOut, const double iTol) {
  double l2 = XelSquareDistanceND(N, a, b);
  double t = 0.0;
  if (l2 > iTol * iTol && l2 > 0.0) {
    t = XelScalarProductND(N, a, p, a, b) / l2;
    if (!(t > 0.0))
      t = 0.0;
    else if (t > 1.0)
      t = 1.0;
  }
  for (long k = 0; k < N; k++)
    oOut[k] = a[k] + t * (b[k] - a[k]);
  return t;
}

// ---- construction -------------------------------------------------------------------------

XelMathSetOfPointsND::XelMathSetOfPointsND(const long iDimension, const long iCapacity)
    : _dimension(iDimension), _nbPoints(0), _cursor(0), _periodic(0), _capacity(0),
      _points(nullptr), _reservedIndex{-1, -1, -1}, _reservedValue{0.0, 0.0, 0.0} {
  XelMathPointSetCheckDimension(iDimension, "XelMathSetOfPointsND::XelMathSetOfPointsND");
  XelMathPointSetCheckCount(iDimension, iCapacity, "XelMathSetOfPointsND::XelMathSetOfPointsND");
  if (iCapacity > 0)
    XelMathSetOfPointsND::SetCapacity(iCapacity);
}

XelMathSetOfPointsND::XelMathSetOfPointsND(const XelMathSetOfPointsND& iOther)
    : XelQuorVirtual(iOther), _dimension(iOther._dimension), _nbPoints(0), _cursor(0), _periodic(0),
      _capacity(0), _points(nullptr) {
  // Same dimension and no room yet: the assignment only sizes the array and copies.
  XelMathSetOfPointsND::operator=(iOther);
}

XelMathSetOfPointsND::~XelMathSetOfPointsND() {
  if (_points)
    XelQuorArrayDoubleDel(_points, _capacity * _dimension);
}

XelMathSetOfPointsND& XelMathSetOfPointsND::operator=(const XelMathSetOfPointsND& iOther) {
  if (this == &iOther)
    return *this;
  if (_dimension != iOther._dimension) {
    _nbPoints = 0;
    SetCapacity(0);
    _dimension = iOther._dimension;
  }
  _nbPoints = 0;
  if (_capacity < iOther._nbPoints)
    SetCapacity(iOther._nbPoints);
  if (iOther._nbPoints > 0)
    std::memcpy(_points, iOther._points,
                sizeof(double) * static_cast<size_t>(iOther._nbPoints * _dimension));
  _nbPoints = iOther._nbPoints;
  _cursor = iOther._cursor;
  _periodic = iOther._periodic;
  for (int k = 0; k < 3; k++) {
    _reservedIndex[k] = iOther._reservedIndex[k];
    _reservedValue[k] = iOther._reservedValue[k];
  }
  return *this;
}

long XelMathSetOfPointsND::GetDynamicMemoryBytes() const {
  return static_cast<long>(sizeof(double)) * _capacity * _dimension;
}
long XelMathSetOfPointsND::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathSetOfPointsND));
}

const char* XelMathSetOfPointsND::IsA() const {
  return ClassName;
}

unsigned char XelMathSetOfPointsND::IsAKindOf(const char* iName) const {
  return iName && std::strcmp(iName, ClassName) == 0;
}

// ---- storage ------------------------------------------------------------------------------

void XelMathSetOfPointsND::SetCapacity(const long iCapacity) {
  long capacity = std::max(0L, iCapacity);
  XelMathPointSetCheckCount(_dimension, capacity, "XelMathSetOfPointsND::SetCapacity");
  long kept = std::min(_nbPoints, capacity);
  double* points = capacity > 0 ? XelQuorArrayDoubleNew(capacity * _dimension) : nullptr;
  if (kept > 0)
    std::memcpy(points, _points, sizeof(double) * static_cast<size_t>(kept * _dimension));
  if (_points)
    XelQuorArrayDoubleDel(_points, _capacity * _dimension);
  _points = points;
  _capacity = capacity;
  _nbPoints = kept;
  if (_cursor > _nbPoints)
    _cursor = _nbPoints;
}

void XelMathSetOfPointsND::GrowFor(const long iNeeded) {
  if (iNeeded <= _capacity)
    return;
  long capacity = _capacity > 0 ? _capacity : 1;
  while (capacity < iNeeded)
    capacity *= 2;
  SetCapacity(capacity);
}

void XelMathSetOfPointsND::Reset() {
  _nbPoints = 0;
  _cursor = 0;
}

void XelMathSetOfPointsND::Resize(const long iNbPoints) {
  XelMathPointSetCheckCount(_dimension, iNbPoints, "XelMathSetOfPointsND::Resize");
  _nbPoints = 0;
  _cursor = 0;
  if (iNbPoints > _capacity) {
    SetCapacity(0);
    SetCapacity(iNbPoints);
  }
}

void XelMathSetOfPointsND::Pack() {
  if (_capacity != _nbPoints)
    SetCapacity(_nbPoints);
}

// ---- adding and removing ----------------------------------------------------------------------

void XelMathSetOfPointsND::AddPoint(const double* p) {
  XelMathPointSetCheckPoint(p, "XelMathSetOfPointsND::AddPoint");
  if (_nbPoints == _capacity) {
    // p may point into the storage that growing releases.
    XelMathPointBuffer copy(_dimension);
    std::memcpy(copy.Data(), p, sizeof(double) * static_cast<size_t>(_dimension));
    GrowFor(_nbPoints + 1);
    std::memcpy(At(_nbPoints), copy.Data(), sizeof(double) * static_cast<size_t>(_dimension));
  } else {
    std::memmove(At(_nbPoints), p, sizeof(double) * static_cast<size_t>(_dimension));
  }
  _nbPoints++;
}

int XelMathSetOfPointsND::AddNewPoint(const double* p, const double iTol) {
  XelMathPointSetCheckPoint(p, "XelMathSetOfPointsND::AddNewPoint");
  if (_nbPoints > 0) {
    const double* last = At(_nbPoints - 1);
    bool differs = false;
    for (long k = 0; k < _dimension && !differs; k++)
      differs = std::fabs(p[k] - last[k]) >= iTol;
    if (!differs) {
      if (_nbPoints > 1)
        std::memmove(At(_nbPoints - 1), p, sizeof(double) * static_cast<size_t>(_dimension));
      return 0;
    }
  }
  AddPoint(p);
  return 1;
}

void XelMathSetOfPointsND::InsertRaw(const double* p, const long i) {
  XelMathPointSetCheckPoint(p, "XelMathSetOfPointsND::InsertPoint");
  XelMathPointBuffer copy(_dimension);
  std::memcpy(copy.Data(), p, sizeof(double) * static_cast<size_t>(_dimension));
  GrowFor(_nbPoints + 1);
  std::memmove(At(i + 1), At(i),
               sizeof(double) * static_cast<size_t>((_nbPoints - i) * _dimension));
  std::memcpy(At(i), copy.Data(), sizeof(double) * static_cast<size_t>(_dimension));
  _nbPoints++;
}

void XelMathSetOfPointsND::InsertPoint(const double* p, const long i) {
  if (i < 0 || i > _nbPoints)
    XelMathRaiseTexts(XelErrorCode::Forbidden, 2, "XelMathSetOfPointsND::InsertPoint",
                      "with an index between 0 and the set number of points", nullptr, __FILE__,
                      __LINE__);
  if (i == _nbPoints)
    XelMathSetOfPointsND::AddPoint(p);
  else
    InsertRaw(p, i);
}

void XelMathSetOfPointsND::CheckRemoveIndex(const long i, const char* iWhere) const {
  if (_nbPoints <= 0)
    XelMathRaiseTexts(XelErrorCode::Forbidden, 2, iWhere, "on a non empty set", nullptr, __FILE__,
                      __LINE__);
  if (i < 0 || i >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::Forbidden, 2, iWhere,
                      "with its argument index between 0 and the set number of points minus 1",
                      nullptr, __FILE__, __LINE__);
}

void XelMathSetOfPointsND::RemovePoint(const long i) {
  CheckRemoveIndex(i, "XelMathSetOfPointsND::RemovePoint");
  std::memmove(At(i), At(i + 1),
               sizeof(double) * static_cast<size_t>((_nbPoints - i - 1) * _dimension));
  _nbPoints--;
  if (_cursor > _nbPoints)
    _cursor = _nbPoints;
}

void XelMathSetOfPointsND::KeepPoints(const unsigned char* iKeep) {
  _nbPoints = XelMathCompactRows(_points, _nbPoints, _dimension, iKeep);
  if (_cursor > _nbPoints)
    _cursor = _nbPoints;
}

void XelMathSetOfPointsND::RemovePoints(const XelMathSetOfLongs& iIndices) {
  if (_nbPoints <= 0)
    return;
  XelMathKeepFlags keep(_nbPoints);
  long count = iIndices.GetNumberOfElements();
  for (long j = 0; j < count; j++) {
    long i = iIndices.GetElement(j);
    if (i >= 0 && i < _nbPoints)
      keep.Data()[i] = 0;
  }
  KeepPoints(keep.Data());
}

void XelMathSetOfPointsND::CheckSameDimension(const XelMathSetOfPointsND& iOther,
                                              const char* iWhere) const {
  if (iOther._dimension != _dimension)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, iWhere, "with sets of dimension", "the same",
                      __FILE__, __LINE__);
}

void XelMathSetOfPointsND::AddSet(const XelMathSetOfPointsND& iOther, const int iSkipFirst) {
  CheckSameDimension(iOther, "XelMathSetOfPointsND::AddSet");
  long first = iSkipFirst ? 1 : 0;
  long count = iOther._nbPoints - first;
  if (count <= 0)
    return;
  if (&iOther == this) {
    XelMathSetOfPointsND copy(iOther);
    XelMathSetOfPointsND::AddSet(copy, iSkipFirst);
    return;
  }
  if (_nbPoints + count > _capacity)
    SetCapacity(_nbPoints + count);
  std::memcpy(At(_nbPoints), iOther.At(first),
              sizeof(double) * static_cast<size_t>(count * _dimension));
  _nbPoints += count;
}

void XelMathSetOfPointsND::SplitPoints(const long i, XelMathSetOfPointsND& oOther,
                                       const int iKeepSplitPoint, long& oFirst, long& oCount) {
  CheckSameDimension(oOther, "XelMathSetOfPointsND::Split");
  if (i < 0 || i >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::WrongIndex, 2, "Wrong Index", "XelMathSetOfPointsND::Split",
                      nullptr, __FILE__, __LINE__);
  oFirst = iKeepSplitPoint ? i : i + 1;
  oCount = _nbPoints - oFirst;
  if (oCount <= 0 || &oOther == this) {
    oCount = 0;
    return;
  }
  // The receiving set adds each point through its own AddPoint, so that a set with
  // per-point data starts with neutral data there.
  oOther.Reset();
  oOther._periodic = 0;
  if (oOther._capacity < oCount)
    oOther.SetCapacity(oCount);
  for (long j = 0; j < oCount; j++)
    oOther.AddPoint(At(oFirst + j));
  _nbPoints = i + 1;
  _periodic = 0;
  if (_cursor > _nbPoints)
    _cursor = _nbPoints;
}

void XelMathSetOfPointsND::Split(const long i, XelMathSetOfPointsND& oOther,
                                 const int iKeepSplitPoint, const double) {
  long first, count;
  SplitPoints(i, oOther, iKeepSplitPoint, first, count);
  if (count > 0)
    XelMathSetOfPointsND::Pack();
}

// ---- access -------------------------------------------------------------------------------

void XelMathSetOfPointsND::GetPoint(double* oP) const {
  if (_cursor < 1 || _cursor > _nbPoints)
    XelMathRaiseTexts(XelErrorCode::NotOnElement, 2, "Next", "GetPoint", nullptr, __FILE__,
                      __LINE__);
  std::memcpy(oP, At(_cursor - 1), sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsND::ReplacePoint(const double* p) {
  if (_cursor < 1 || _cursor > _nbPoints)
    XelMathRaiseTexts(XelErrorCode::NotOnElement, 2, "Next", "ReplacePoint", nullptr, __FILE__,
                      __LINE__);
  XelMathPointSetCheckPoint(p, "XelMathSetOfPointsND::ReplacePoint");
  std::memmove(At(_cursor - 1), p, sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsND::GetPoint(const long i, double* oP) const {
  if (i < 0 || i >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::WrongIndex, 2, "Wrong Index", "GetPoint", nullptr, __FILE__,
                      __LINE__);
  std::memcpy(oP, At(i), sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsND::ReplacePoint(const long i, const double* p) {
  if (i < 0 || i >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::NotOnElement, 2, "Next", "ReplacePoint", nullptr, __FILE__,
                      __LINE__);
  XelMathPointSetCheckPoint(p, "XelMathSetOfPointsND::ReplacePoint");
  std::memmove(At(i), p, sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsND::ReplacePoints(const long iNbPoints, const double* iCoords) {
  if (iNbPoints < 0)
    XelMathRaiseTexts(XelErrorCode::InvalidNumberOfPoints, 2, "Invalid Number Of Points",
                      "ReplacePoints", nullptr, __FILE__, __LINE__);
  XelMathPointSetCheckCount(_dimension, iNbPoints, "ReplacePoints");
  if (iNbPoints > _capacity) {
    _nbPoints = 0;
    SetCapacity(iNbPoints);
  }
  if (iNbPoints > 0)
    std::memmove(_points, iCoords, sizeof(double) * static_cast<size_t>(iNbPoints * _dimension));
  _nbPoints = iNbPoints;
  if (_cursor > _nbPoints)
    _cursor = _nbPoints;
}

void XelMathSetOfPointsND::SetCoordAtPoint(const double iValue, const long k, const long i) {
  if (k < 0 || k >= _dimension || i < 0 || i >= _nbPoints) {
    // The place is written when the storage holds it, then the misuse is raised. The index
    // is compared before any product: a huge i must not wrap around into the array.
    if (i >= 0 && k >= 0 && i < _capacity && k < (_capacity - i) * _dimension)
      _points[i * _dimension + k] = iValue;
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Point or Composant", "Invalid",
                      "XelMathSetOfPointsND::SetCoord", __FILE__, __LINE__);
  }
  At(i)[k] = iValue;
}

void XelMathSetOfPointsND::SetPeriodic(const int iPeriodic) {
  if (!iPeriodic) {
    _periodic = 0;
    return;
  }
  bool equal = _nbPoints > 0;
  for (long k = 0; equal && k < _dimension; k++)
    equal = At(0)[k] == At(_nbPoints - 1)[k];
  if (!equal)
    XelMathRaiseTexts(XelErrorCode::Forbidden, 2, "XelMathSetOfPointsND::SetPeriodic",
                      "for a set with equal first and last points", nullptr, __FILE__, __LINE__);
  _periodic = 1;
}

// ---- reordering ---------------------------------------------------------------------------

void XelMathSetOfPointsND::SwapPoints(const long i, const long j) {
  if (i < 0 || i >= _nbPoints || j < 0 || j >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::WrongIndex, 2, "Wrong Index", "SwapPoints", nullptr, __FILE__,
                      __LINE__);
  if (i == j)
    return;
  double* a = At(i);
  double* b = At(j);
  for (long k = 0; k < _dimension; k++)
    std::swap(a[k], b[k]);
}

void XelMathSetOfPointsND::AutoInvert() {
  for (long i = 0, j = _nbPoints - 1; i < j; i++, j--)
    XelMathSetOfPointsND::SwapPoints(i, j);
}

void XelMathSetOfPointsND::Invert(XelMathSetOfPointsND& oOther) const {
  if (&oOther == this) {
    const_cast<XelMathSetOfPointsND*>(this)->AutoInvert();
    return;
  }
  CheckSameDimension(oOther, "XelMathSetOfPointsND::Invert");
  oOther.Reset();
  if (oOther._capacity < _nbPoints)
    oOther.SetCapacity(_nbPoints);
  for (long i = _nbPoints - 1; i >= 0; i--)
    oOther.AddPoint(At(i));
  oOther._periodic = _periodic;
}

void XelMathSetOfPointsND::Sort(const long k) {
  if (k < 0 || k >= _dimension)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "a coordinate of the points", "XelMathSetOfPointsND::Sort", __FILE__,
                      __LINE__);
  for (long i = 0; i + 1 < _nbPoints; i++) {
    long best = i;
    for (long j = i + 1; j < _nbPoints; j++)
      if (At(j)[k] < At(best)[k])
        best = j;
    if (best != i)
      SwapPoints(i, best);
  }
}

// ---- measures -----------------------------------------------------------------------------

double XelMathSetOfPointsND::Length() const {
  double length = 0.0;
  for (long i = 0; i + 1 < _nbPoints; i++)
    length += std::sqrt(XelSquareDistanceND(_dimension, At(i), At(i + 1)));
  return length;
}

double XelMathSetOfPointsND::DistanceMin(const double* p, long& oIndex, const double iTol,
                                         double* oProjection) const {
  if (_nbPoints <= 0) {
    oIndex = -1;
    return XelMathInfinite;
  }
  XelMathPointBuffer work(2 * _dimension);
  double* proj = work.Data();
  double* best = work.Data() + _dimension;
  double bestD2 = XelSquareDistanceND(_dimension, p, At(0));
  std::memcpy(best, At(0), sizeof(double) * static_cast<size_t>(_dimension));
  oIndex = 0;
  for (long i = 0; i + 1 < _nbPoints; i++) {
    double d2 = SquareDistanceToSegment(_dimension, p, At(i), At(i + 1), iTol, proj);
    if (d2 < bestD2 || i == 0) {
      bestD2 = d2;
      oIndex = i;
      std::memcpy(best, proj, sizeof(double) * static_cast<size_t>(_dimension));
    }
  }
  if (oProjection)
    std::memcpy(oProjection, best, sizeof(double) * static_cast<size_t>(_dimension));
  return std::sqrt(bestD2);
}

double XelMathSetOfPointsND::GetClosestPoints(const XelMathSetOfPointsND& iOther, long& oIndex,
                                              long& oOtherIndex, double* oPoint,
                                              double* oOtherPoint) const {
  CheckSameDimension(iOther, "XelMathSetOfPointsND::GetClosestPoints");
  oIndex = oOtherIndex = -1;
  if (_nbPoints <= 0 || iOther._nbPoints <= 0)
    return XelMathInfinite;
  long segs = std::max(1L, _nbPoints - 1), otherSegs = std::max(1L, iOther._nbPoints - 1);
  double bestD2 = -1.0, bestS = 0.0, bestT = 0.0;
  for (long i = 0; i < segs; i++) {
    const double* p1 = At(i);
    const double* q1 = At(std::min(i + 1, _nbPoints - 1));
    for (long j = 0; j < otherSegs; j++) {
      const double* p2 = iOther.At(j);
      const double* q2 = iOther.At(std::min(j + 1, iOther._nbPoints - 1));
      double s, t;
      double d2 = SegmentSegment(_dimension, p1, q1, p2, q2, s, t);
      if (bestD2 < 0.0 || d2 < bestD2) {
        bestD2 = d2;
        oIndex = i;
        oOtherIndex = j;
        bestS = s;
        bestT = t;
      }
    }
  }
  const double* p1 = At(oIndex);
  const double* q1 = At(std::min(oIndex + 1, _nbPoints - 1));
  const double* p2 = iOther.At(oOtherIndex);
  const double* q2 = iOther.At(std::min(oOtherIndex + 1, iOther._nbPoints - 1));
  for (long k = 0; k < _dimension; k++) {
    if (oPoint)
      oPoint[k] = p1[k] + bestS * (q1[k] - p1[k]);
    if (oOtherPoint)
      oOtherPoint[k] = p2[k] + bestT * (q2[k] - p2[k]);
  }
  return std::sqrt(bestD2);
}

int XelMathSetOfPointsND::IsIncludedIn(const XelMathSetOfPointsND& iOther,
                                       const double iTol) const {
  CheckSameDimension(iOther, "XelMathSetOfPointsND::IsIncludedIn");
  if (_nbPoints == 0)
    return 1;
  if (iOther._nbPoints == 0)
    return 0;
  for (long i = 0; i < _nbPoints; i++) {
    long index;
    if (iOther.DistanceMin(At(i), index, 0.0) > iTol)
      return 0;
  }
  return 1;
}

int XelMathSetOfPointsND::IsContaining(const XelMathSetOfPointsND& iOther,
                                       const double iTol) const {
  return iOther.IsIncludedIn(*this, iTol);
}

long XelMathSetOfPointsND::GetFirstPointOnSegment(const double* a, const double* b,
                                                  const double iTol, const long iStart) const {
  XelMathPointBuffer work(_dimension);
  for (long i = std::max(0L, iStart); i < _nbPoints; i++)
    if (SquareDistanceToSegment(_dimension, At(i), a, b, 0.0, work.Data()) <= iTol * iTol)
      return i;
  return -1;
}

int XelMathSetOfPointsND::IsLinear(const long iFirst, const long iLast, const double iTol) const {
  if (iFirst < 0 || iLast >= _nbPoints || iFirst > iLast)
    XelMathRaiseTexts(XelErrorCode::WrongIndex, 2, "Wrong Index", "IsLinear", nullptr, __FILE__,
                      __LINE__);
  const double* a = At(iFirst);
  const double* b = At(iLast);
  double l2 = XelSquareDistanceND(_dimension, a, b);
  double tol2 = iTol * iTol;
  for (long i = iFirst + 1; i < iLast; i++) {
    const double* p = At(i);
    double d2 = XelSquareDistanceND(_dimension, a, p);
    if (l2 > tol2) {
      double proj = XelScalarProductND(_dimension, a, p, a, b);
      d2 -= proj * proj / l2;
    }
    if (d2 > tol2)
      return 0;
  }
  return 1;
}

int XelMathSetOfPointsND::IsMonotonousAlong(const long k, const double iTol) const {
  if (k < 0 || k >= _dimension)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "a coordinate of the points", "XelMathSetOfPointsND::IsMonotonousAlong",
                      __FILE__, __LINE__);
  if (_nbPoints < 2)
    return 0;
  int direction = 0;
  for (long i = 0; i + 1 < _nbPoints; i++) {
    double d = At(i + 1)[k] - At(i)[k];
    int step = d > iTol ? 1 : (d < -iTol ? -1 : 0);
    if (step == 0 || (direction != 0 && step != direction))
      return 0;
    direction = step;
  }
  return direction;
}

int XelMathSetOfPointsND::FindCircle(const long i0, const long i1, const long i2, double* oCenter,
                                     double& oRadius, const double iTol) const {
  if (i0 < 0 || i0 >= _nbPoints || i1 < 0 || i1 >= _nbPoints || i2 < 0 || i2 >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::WrongIndex, 2, "Wrong Index", "FindCircle", nullptr, __FILE__,
                      __LINE__);
  const double* a = At(i0);
  const double* b = At(i1);
  const double* c = At(i2);
  double uu = XelScalarProductND(_dimension, a, b, a, b);
  double vv = XelScalarProductND(_dimension, a, c, a, c);
  double uv = XelScalarProductND(_dimension, a, b, a, c);
  double tol2 = iTol * iTol;
  if (uu <= tol2 || vv <= tol2 || XelSquareDistanceND(_dimension, b, c) <= tol2)
    return 0;
  // Height of c over the line ab, squared: vv - uv^2/uu.
  double det = uu * vv - uv * uv;
  if (!(det > tol2 * uu) || !(det > 1e-28 * uu * vv))
    return 0;
  // Centre a + alpha u + beta v with (centre - a).u = uu/2 and (centre - a).v = vv/2.
  double alpha = 0.5 * vv * (uu - uv) / det;
  double beta = 0.5 * uu * (vv - uv) / det;
  double r2 = 0.0;
  for (long k = 0; k < _dimension; k++) {
    double x = alpha * (b[k] - a[k]) + beta * (c[k] - a[k]);
    oCenter[k] = a[k] + x;
    r2 += x * x;
  }
  oRadius = std::sqrt(r2);
  return 1;
}

int XelMathSetOfPointsND::FindConic(const long* iIndices, double* oCoefficients,
                                    const double iTol) const {
  if (_dimension < 2)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "points of at least two coordinates", "XelMathSetOfPointsND::FindConic",
                      __FILE__, __LINE__);
  for (int r = 0; r < 5; r++)
    if (iIndices[r] < 0 || iIndices[r] >= _nbPoints)
      XelMathRaiseTexts(XelErrorCode::WrongIndex, 2, "Wrong Index", "FindConic", nullptr, __FILE__,
                        __LINE__);
  double scale, center[2], coefficients[6];
  if (!FitConic(*this, 5, iIndices, iTol, coefficients, scale, center))
    return 0;
  std::memcpy(oCoefficients, coefficients, sizeof(coefficients));
  return 1;
}

int XelMathSetOfPointsND::FindConic(double* oCoefficients, const double iTol) const {
  if (_dimension < 2)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "points of at least two coordinates", "XelMathSetOfPointsND::FindConic",
                      __FILE__, __LINE__);
  if (_nbPoints < 5)
    return -1;
  double scale, center[2], c[6];
  if (!FitConic(*this, _nbPoints, nullptr, iTol, c, scale, center))
    return -1;
  std::memcpy(oCoefficients, c, sizeof(c));
  // First-order distance |Q| / |grad Q| of each point.
  for (long i = 0; i < _nbPoints; i++) {
    double x = At(i)[0], y = At(i)[1];
    double q = c[0] * x * x + c[1] * x * y + c[2] * y * y + c[3] * x + c[4] * y + c[5];
    double gx = 2.0 * c[0] * x + c[1] * y + c[3];
    double gy = c[1] * x + 2.0 * c[2] * y + c[4];
    double g = std::hypot(gx, gy);
    double d = g > 0.0 ? std::fabs(q) / g : (q == 0.0 ? 0.0 : XelMathInfinite);
    if (!(d <= iTol))
      return 0;
  }
  return 1;
}

int XelMathSetOfPointsND::FindConicParameters(const double* iCoefficients, double* oCenter,
                                              double* oAxes, double& oAngle, const double iTol) {
  double scale = std::max(
      {std::fabs(iCoefficients[0]), std::fabs(iCoefficients[1]), std::fabs(iCoefficients[2])});
  if (!(scale > 0.0) || !std::isfinite(scale))
    return 0;
  double A = iCoefficients[0] / scale, B = iCoefficients[1] / scale, C = iCoefficients[2] / scale;
  double D = iCoefficients[3] / scale, E = iCoefficients[4] / scale, F = iCoefficients[5] / scale;
  double tol = std::max(iTol, 1e-14);
  double theta = 0.5 * std::atan2(B, A - C);
  double cs = std::cos(theta), sn = std::sin(theta);
  // Rotated frame: x = cs X - sn Y, y = sn X + cs Y removes the xy term.
  double Ar = A * cs * cs + B * cs * sn + C * sn * sn;
  double Cr = A * sn * sn - B * cs * sn + C * cs * cs;
  double Dr = D * cs + E * sn;
  double Er = -D * sn + E * cs;
  auto toWorld = [&](double X, double Y) {
    oCenter[0] = cs * X - sn * Y;
    oCenter[1] = sn * X + cs * Y;
  };
  auto normalizeAngle = [](double a) {
    while (a > XelPI)
      a -= Xel2PI;
    while (a <= -XelPI)
      a += Xel2PI;
    return a;
  };
  // The direction of an axis, brought into (-pi/2, pi/2].
  auto axisAngle = [&normalizeAngle](double a) {
    a = normalizeAngle(a);
    if (a > XelPIBY2)
      a -= XelPI;
    else if (a <= -XelPIBY2)
      a += XelPI;
    return a;
  };
  bool flatA = std::fabs(Ar) <= tol, flatC = std::fabs(Cr) <= tol;
  if (flatA && flatC)
    return 0;
  if (flatA || flatC) {
    // Parabola: Cr (Y - Y0)^2 = -Dr (X - X0) (or the same with the axes exchanged).
    double lin, sq, other, cst = F;
    if (flatA) {
      sq = Cr;
      lin = Dr;
      other = Er;
    } else {
      sq = Ar;
      lin = Er;
      other = Dr;
    }
    if (std::fabs(lin) <= tol)
      return 0;
    double u0 = -other / (2.0 * sq);         // along the squared axis
    double w0 = -(cst - sq * u0 * u0) / lin; // along the axis of the parabola
    double p = 0.5 * std::fabs(lin / sq);
    double sense = -lin / sq > 0 ? 1.0 : -1.0; // the curve lies on this side of the vertex
    double angle;
    if (flatA) {
      toWorld(w0, u0);
      angle = theta + (sense > 0 ? 0.0 : XelPI);
    } else {
      toWorld(u0, w0);
      angle = theta + (sense > 0 ? XelPIBY2 : -XelPIBY2);
    }
    oAxes[0] = p;
    oAxes[1] = 0.0;
    oAngle = normalizeAngle(angle);
    return 3;
  }
  double det = 4.0 * A * C - B * B;
  double x0 = (B * E - 2.0 * C * D) / det;
  double y0 = (B * D - 2.0 * A * E) / det;
  double F0 = F + 0.5 * (D * x0 + E * y0);
  double fScale = std::fabs(F) + std::fabs(D * x0) + std::fabs(E * y0) + 1e-300;
  if (std::fabs(F0) <= tol * fScale)
    return 0;
  oCenter[0] = x0;
  oCenter[1] = y0;
  if (Ar * Cr > 0.0) {
    double a2 = -F0 / Ar, b2 = -F0 / Cr;
    if (!(a2 > 0.0) || !(b2 > 0.0))
      return 0;
    double angle = theta;
    if (a2 < b2) {
      std::swap(a2, b2);
      angle += XelPIBY2;
    }
    oAxes[0] = std::sqrt(a2);
    oAxes[1] = std::sqrt(b2);
    oAngle = axisAngle(angle);
    return 1;
  }
  double angle;
  if (-F0 / Ar > 0.0) {
    oAxes[0] = std::sqrt(-F0 / Ar);
    oAxes[1] = std::sqrt(F0 / Cr);
    angle = theta;
  } else {
    oAxes[0] = std::sqrt(-F0 / Cr);
    oAxes[1] = std::sqrt(F0 / Ar);
    angle = theta + XelPIBY2;
  }
  oAngle = axisAngle(angle);
  return 2;
}

// ---- parameters and tangents ----------------------------------------------------------------

void XelMathSetOfPointsND::InitializeParameters(XelMathSetOfPointsND& oParameters,
                                                const int iNormalize) const {
  if (oParameters._dimension != 1)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "a set of parameters of dimension 1",
                      "XelMathSetOfPointsND::InitializeParameters", __FILE__, __LINE__);
  oParameters.Reset();
  if (oParameters._capacity < _nbPoints)
    oParameters.SetCapacity(_nbPoints);
  double t = 0.0;
  for (long i = 0; i < _nbPoints; i++) {
    if (i > 0)
      t += std::sqrt(XelSquareDistanceND(_dimension, At(i - 1), At(i)));
    oParameters._points[i] = t;
  }
  oParameters._nbPoints = _nbPoints;
  if (iNormalize && t > 0.0)
    for (long i = 0; i < _nbPoints; i++)
      oParameters._points[i] /= t;
}

void XelMathSetOfPointsND::MonotoneSlopes(const double* iT, double* oSlopes) const {
  const long n = _nbPoints, N = _dimension;
  bool periodic = _periodic && n >= 3;
  for (long c = 0; c < N; c++) {
    auto y = [&](long i) { return At(i)[c]; };
    auto h = [&](long i) { return iT[i + 1] - iT[i]; };
    auto delta = [&](long i) { return (y(i + 1) - y(i)) / h(i); };
    auto interior = [](double d0, double d1, double h0, double h1) {
      if (d0 * d1 <= 0.0)
        return 0.0;
      double w1 = 2.0 * h1 + h0, w2 = h1 + 2.0 * h0;
      return (w1 + w2) / (w1 / d0 + w2 / d1);
    };
    // One-sided three-point estimate kept with the sign of the first slope and below
    // three times it when the data turn.
    auto end = [](double d0, double d1, double h0, double h1) {
      double m = ((2.0 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
      if (m * d0 <= 0.0)
        return 0.0;
      if (d0 * d1 < 0.0 && std::fabs(m) > 3.0 * std::fabs(d0))
        return 3.0 * d0;
      return m;
    };
    if (n == 2) {
      oSlopes[c] = oSlopes[N + c] = delta(0);
      continue;
    }
    for (long i = 1; i + 1 < n; i++)
      oSlopes[i * N + c] = interior(delta(i - 1), delta(i), h(i - 1), h(i));
    if (periodic) {
      double m = interior(delta(n - 2), delta(0), h(n - 2), h(0));
      oSlopes[c] = oSlopes[(n - 1) * N + c] = m;
    } else {
      oSlopes[c] = end(delta(0), delta(1), h(0), h(1));
      oSlopes[(n - 1) * N + c] = end(delta(n - 2), delta(n - 3), -h(n - 2), -h(n - 3));
    }
  }
}

void XelMathSetOfPointsND::ComputeTangents(XelMathSetOfPointsND& oTangents,
                                           const XelMathSetOfPointsND* iParameters) const {
  const char* where = "XelMathSetOfPointsND::ComputeTangents";
  if (oTangents._dimension != _dimension)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "tangents of the set dimension", where, __FILE__, __LINE__);
  if (_nbPoints < 2)
    XelMathRaiseTexts(XelErrorCode::NoTangents, 2, where, "with at least two points", nullptr,
                      __FILE__, __LINE__);
  XelMathPointBuffer params(_nbPoints);
  if (iParameters) {
    if (iParameters->_dimension != 1 || iParameters->_nbPoints != _nbPoints)
      XelMathRaiseTexts(XelErrorCode::NoTangents, 2, where, "with one parameter per point", nullptr,
                        __FILE__, __LINE__);
    std::memcpy(params.Data(), iParameters->_points,
                sizeof(double) * static_cast<size_t>(_nbPoints));
  } else {
    params.Data()[0] = 0.0;
    for (long i = 1; i < _nbPoints; i++)
      params.Data()[i] =
          params.Data()[i - 1] + std::sqrt(XelSquareDistanceND(_dimension, At(i - 1), At(i)));
  }
  for (long i = 0; i + 1 < _nbPoints; i++)
    if (!(params.Data()[i + 1] > params.Data()[i]) || !std::isfinite(params.Data()[i + 1]))
      XelMathRaiseTexts(XelErrorCode::NoTangents, 2, where,
                        iParameters ? "with strictly increasing parameters"
                                    : "without coincident consecutive points",
                        nullptr, __FILE__, __LINE__);
  if (&oTangents == this) {
    XelMathSetOfPointsND result(_dimension, _nbPoints);
    ComputeTangents(result, iParameters);
    oTangents.ReplacePoints(result._nbPoints, result._points);
    return;
  }
  oTangents.Reset();
  if (oTangents._capacity < _nbPoints)
    oTangents.SetCapacity(_nbPoints);
  MonotoneSlopes(params.Data(), oTangents._points);
  oTangents._nbPoints = _nbPoints;
}

void XelMathSetOfPointsND::ComputeTangents1D(XelMathSetOfPointsND& oTangents) const {
  const char* where = "XelMathSetOfPointsND::ComputeTangents1D";
  if (_dimension < 2)
    XelMathRaiseTexts(XelErrorCode::NoTangents, 2, where, "with points of at least two coordinates",
                      nullptr, __FILE__, __LINE__);
  if (oTangents._dimension != _dimension)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "tangents of the set dimension", where, __FILE__, __LINE__);
  if (_nbPoints < 2)
    XelMathRaiseTexts(XelErrorCode::NoTangents, 2, where, "with at least two points", nullptr,
                      __FILE__, __LINE__);
  XelMathPointBuffer x(_nbPoints);
  double sense = At(1)[0] > At(0)[0] ? 1.0 : -1.0;
  for (long i = 0; i < _nbPoints; i++) {
    x.Data()[i] = sense * At(i)[0];
    if (!std::isfinite(x.Data()[i]) || (i > 0 && !(x.Data()[i] > x.Data()[i - 1])))
      XelMathRaiseTexts(XelErrorCode::NoTangents, 2, where, "with distinct monotone abscissae",
                        nullptr, __FILE__, __LINE__);
  }
  XelMathSetOfPointsND result(_dimension, _nbPoints);
  MonotoneSlopes(x.Data(), result._points);
  result._nbPoints = _nbPoints;
  // Slopes against sense * x: back to d/dx; the abscissa's own slope is exactly 1.
  for (long i = 0; i < _nbPoints; i++) {
    double* m = result.At(i);
    m[0] = 1.0;
    for (long k = 1; k < _dimension; k++)
      m[k] *= sense;
  }
  oTangents.ReplacePoints(_nbPoints, result._points);
}

// ---- cleaning -----------------------------------------------------------------------------------

long XelMathSetOfPointsND::Simplify(const double iTol, XelMathSetOfLongs* oRemoved) {
  const long n = _nbPoints;
  if (n < 3)
    return 0;
  XelMathKeepFlags keep(n);
  std::memset(keep.Data(), 0, static_cast<size_t>(n));
  keep.Data()[0] = keep.Data()[n - 1] = 1;
  XelMathPointBuffer work(_dimension);
  std::vector<std::pair<long, long>> stack;
  stack.emplace_back(0, n - 1);
  double tol2 = iTol * iTol;
  while (!stack.empty()) {
    auto [first, last] = stack.back();
    stack.pop_back();
    double worst = -1.0;
    long at = -1;
    for (long i = first + 1; i < last; i++) {
      double d2 = SquareDistanceToSegment(_dimension, At(i), At(first), At(last), 0.0, work.Data());
      if (d2 > worst) {
        worst = d2;
        at = i;
      }
    }
    if (at >= 0 && worst > tol2) {
      keep.Data()[at] = 1;
      stack.emplace_back(first, at);
      stack.emplace_back(at, last);
    }
  }
  long removed = 0;
  for (long i = 0; i < n; i++)
    if (!keep.Data()[i]) {
      removed++;
      if (oRemoved)
        oRemoved->AddElement(i);
    }
  if (removed)
    KeepPoints(keep.Data());
  return removed;
}

long XelMathSetOfPointsND::RemoveMultiplePoints(const double iTol, const int iFlag) {
  const long n = _nbPoints;
  if (n < 2)
    return 0;
  XelMathKeepFlags keep(n);
  double tol2 = iTol * iTol;
  bool periodic = _periodic && n >= 3;
  long end = periodic ? n - 1 : n;
  long lastKept = 0;
  for (long i = 1; i < end; i++) {
    bool close = false;
    if (iFlag) {
      for (long j = 0; j < i && !close; j++)
        close = keep.Data()[j] && XelSquareDistanceND(_dimension, At(i), At(j)) < tol2;
    } else {
      close = XelSquareDistanceND(_dimension, At(i), At(lastKept)) < tol2;
    }
    if (close)
      keep.Data()[i] = 0;
    else
      lastKept = i;
  }
  // The closing point of a loop stays; a point just before it that coincides goes.
  if (periodic && lastKept > 0 && XelSquareDistanceND(_dimension, At(lastKept), At(n - 1)) < tol2)
    keep.Data()[lastKept] = 0;
  long removed = 0;
  for (long i = 0; i < n; i++)
    removed += keep.Data()[i] ? 0 : 1;
  if (removed)
    KeepPoints(keep.Data());
  return removed;
}

long XelMathSetOfPointsND::ReduceGranularity(const double iMinLength) {
  const long n = _nbPoints;
  if (n < 3)
    return 0;
  XelMathKeepFlags keep(n);
  long lastKept = 0;
  double run = 0.0;
  for (long i = 1; i + 1 < n; i++) {
    run += std::sqrt(XelSquareDistanceND(_dimension, At(i - 1), At(i)));
    if (run >= iMinLength) {
      lastKept = i;
      run = 0.0;
    } else {
      keep.Data()[i] = 0;
    }
  }
  run += std::sqrt(XelSquareDistanceND(_dimension, At(n - 2), At(n - 1)));
  // The last point stays: the interior point kept before it goes when they are too close.
  if (run < iMinLength && lastKept > 0)
    keep.Data()[lastKept] = 0;
  long removed = 0;
  for (long i = 0; i < n; i++)
    removed += keep.Data()[i] ? 0 : 1;
  if (removed)
    KeepPoints(keep.Data());
  return removed;
}

// ---- planar queries ------------------------------------------------------------------------

int XelMathSetOfPointsND::BoundingBox(double* oMin, double* oMax) const {
  if (_nbPoints <= 0)
    return 0;
  for (long k = 0; k < _dimension; k++)
    oMin[k] = oMax[k] = At(0)[k];
  for (long i = 1; i < _nbPoints; i++)
    for (long k = 0; k < _dimension; k++) {
      oMin[k] = std::min(oMin[k], At(i)[k]);
      oMax[k] = std::max(oMax[k], At(i)[k]);
    }
  return 1;
}

void XelMathSetOfPointsND::CheckPlanar(const char* iWhere) const {
  if (_dimension < 2)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "points of at least two coordinates", iWhere, __FILE__, __LINE__);
}

int XelMathSetOfPointsND::ConvexContour(const double iTol) const {
  CheckPlanar("XelMathSetOfPointsND::ConvexContour");
  // Distinct vertices of the loop (a repeated closing point is dropped).
  std::vector<long> v;
  for (long i = 0; i < _nbPoints; i++)
    if (v.empty() || Dist2D(At(i), At(v.back())) > iTol)
      v.push_back(i);
  while (v.size() > 1 && Dist2D(At(v.front()), At(v.back())) <= iTol)
    v.pop_back();
  const long m = static_cast<long>(v.size());
  if (m < 3)
    return 0;
  int sign = 0;
  double turning = 0.0;
  for (long j = 0; j < m; j++) {
    const double* a = At(v[(j + m - 1) % m]);
    const double* b = At(v[j]);
    const double* c = At(v[(j + 1) % m]);
    double cross = Cross2(a, b, c);
    double dot = (b[0] - a[0]) * (c[0] - b[0]) + (b[1] - a[1]) * (c[1] - b[1]);
    turning += std::atan2(cross, dot);
    // Height of c over the line ab.
    if (std::fabs(cross) <= iTol * Dist2D(a, b))
      continue;
    int s = cross > 0.0 ? 1 : -1;
    if (sign != 0 && s != sign)
      return 0;
    sign = s;
  }
  // A convex loop turns once: a star polygon turns several times.
  if (sign == 0 || std::fabs(std::fabs(turning) - Xel2PI) > 1e-6)
    return 0;
  return sign;
}

int XelMathSetOfPointsND::TrivialHull(long& oCount, long* oIndices, const double iTol) const {
  oCount = 0;
  // Points with a non-finite planar coordinate take no part in the hull.
  auto finite = [&](long i) { return std::isfinite(At(i)[0]) && std::isfinite(At(i)[1]); };
  long firstFinite = 0;
  while (firstFinite < _nbPoints && !finite(firstFinite))
    firstFinite++;
  if (firstFinite >= _nbPoints)
    return 1;
  auto lexLess = [&](long i, long j) {
    return At(i)[0] < At(j)[0] || (At(i)[0] == At(j)[0] && At(i)[1] < At(j)[1]);
  };
  long lo = firstFinite, hi = firstFinite;
  for (long i = firstFinite + 1; i < _nbPoints; i++) {
    if (!finite(i))
      continue;
    if (lexLess(i, lo))
      lo = i;
    if (lexLess(hi, i))
      hi = i;
  }
  bool allNearLo = true;
  for (long i = 0; i < _nbPoints && allNearLo; i++)
    allNearLo = !finite(i) || Dist2D(At(i), At(lo)) <= iTol;
  if (allNearLo) {
    oIndices[0] = lo;
    oCount = 1;
    return 1;
  }
  // Farthest point from lo gives a reliable direction for the alignment test.
  long far = hi;
  for (long i = 0; i < _nbPoints; i++)
    if (finite(i) && Dist2D(At(i), At(lo)) > Dist2D(At(far), At(lo)))
      far = i;
  double length = Dist2D(At(lo), At(far));
  for (long i = 0; i < _nbPoints; i++)
    if (finite(i) && std::fabs(Cross2(At(lo), At(far), At(i))) > iTol * length)
      return 0;
  // Aligned: the extremes along the direction lo -> far.
  double ux = (At(far)[0] - At(lo)[0]) / length, uy = (At(far)[1] - At(lo)[1]) / length;
  long a = 0, b = 0;
  double sa = XelMathInfinite, sb = -XelMathInfinite;
  for (long i = 0; i < _nbPoints; i++) {
    if (!finite(i))
      continue;
    double s = At(i)[0] * ux + At(i)[1] * uy;
    if (s < sa) {
      sa = s;
      a = i;
    }
    if (s > sb) {
      sb = s;
      b = i;
    }
  }
  if (lexLess(b, a))
    std::swap(a, b);
  oIndices[0] = a;
  oIndices[1] = b;
  oCount = 2;
  return 1;
}

int XelMathSetOfPointsND::TrivialConvex(XelMathSetOfPointsND& oHull, const double iTol) const {
  CheckPlanar("XelMathSetOfPointsND::TrivialConvex");
  CheckSameDimension(oHull, "XelMathSetOfPointsND::TrivialConvex");
  long count, indices[2];
  if (!TrivialHull(count, indices, iTol))
    return 0;
  XelMathSetOfPointsND hull(_dimension, 2);
  for (long j = 0; j < count; j++)
    hull.AddPoint(At(indices[j]));
  oHull.Reset();
  for (long j = 0; j < count; j++)
    oHull.AddPoint(hull.At(j));
  return 1;
}

long XelMathSetOfPointsND::CreateConvex(XelMathSetOfPointsND& oHull, const double iTol,
                                        XelMathSetOfLongs* oIndices) const {
  CheckPlanar("XelMathSetOfPointsND::CreateConvex");
  CheckSameDimension(oHull, "XelMathSetOfPointsND::CreateConvex");
  std::vector<long> hull;
  long trivialCount, trivial[2];
  if (TrivialHull(trivialCount, trivial, iTol)) {
    hull.assign(trivial, trivial + trivialCount);
  } else {
    std::vector<long> order;
    for (long i = 0; i < _nbPoints; i++)
      if (std::isfinite(At(i)[0]) && std::isfinite(At(i)[1]))
        order.push_back(i);
    std::stable_sort(order.begin(), order.end(), [&](long i, long j) {
      return At(i)[0] < At(j)[0] || (At(i)[0] == At(j)[0] && At(i)[1] < At(j)[1]);
    });
    // A point within iTol of the chord from the previous hull vertex is dropped.
    auto notLeft = [&](long o, long a, long b) {
      return Cross2(At(o), At(a), At(b)) <= iTol * Dist2D(At(o), At(b));
    };
    hull.resize(static_cast<size_t>(2 * _nbPoints));
    size_t k = 0;
    for (long i : order) {
      while (k >= 2 && notLeft(hull[k - 2], hull[k - 1], i))
        k--;
      if (k >= 1 && Dist2D(At(hull[k - 1]), At(i)) <= iTol)
        continue;
      hull[k++] = i;
    }
    size_t lower = k + 1;
    for (auto it = order.rbegin() + 1; it != order.rend(); ++it) {
      long i = *it;
      while (k >= lower && notLeft(hull[k - 2], hull[k - 1], i))
        k--;
      if (Dist2D(At(hull[k - 1]), At(i)) <= iTol)
        continue;
      hull[k++] = i;
    }
    // The chain ends back on its first vertex.
    while (k > 1 && Dist2D(At(hull[k - 1]), At(hull[0])) <= iTol)
      k--;
    hull.resize(k);
  }
  XelMathSetOfPointsND result(_dimension, static_cast<long>(hull.size()));
  for (long i : hull)
    result.AddPoint(At(i));
  oHull.Reset();
  oHull.AddSet(result);
  if (oIndices)
    for (long i : hull)
      oIndices->AddElement(i);
  return static_cast<long>(hull.size());
}

int XelMathSetOfPointsND::PointPosition(const double* p, const double iTol) const {
  CheckPlanar("XelMathSetOfPointsND::PointPosition");
  const long n = _nbPoints;
  if (n == 0)
    return -1;
  double proj[2];
  for (long i = 0; i < n; i++) {
    const double* a = At(i);
    const double* b = At((i + 1) % n);
    XelProjectPointOnSegmentND(2, p, a, b, proj, 0.0);
    if (Dist2D(p, proj) <= iTol)
      return 0;
  }
  if (n < 3)
    return -1;
  // Winding number of the loop around p.
  long winding = 0;
  for (long i = 0; i < n; i++) {
    const double* a = At(i);
    const double* b = At((i + 1) % n);
    if (a[1] <= p[1]) {
      if (b[1] > p[1] && Cross2(a, b, p) > 0.0)
        winding++;
    } else if (b[1] <= p[1] && Cross2(a, b, p) < 0.0) {
      winding--;
    }
  }
  return winding != 0 ? 1 : -1;
}

int XelMathSetOfPointsND::IsPointVertex(const double* p, const double iTol, long& oIndex) const {
  double tol2 = iTol * iTol;
  for (long i = 0; i < _nbPoints; i++)
    if (XelSquareDistanceND(_dimension, p, At(i)) <= tol2) {
      oIndex = i;
      return 1;
    }
  oIndex = -1;
  return 0;
}

// ---- stream -------------------------------------------------------------------------------

unsigned char XelMathSetOfPointsND::IsStreamable(const XelQuorStreamVersion) const {
  return 1;
}

void XelMathSetOfPointsND::StreamPoints(XelMathStream& ioStream) const {
  if (_dimension < 0 || _nbPoints < 0) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  if (OldHeader(ioStream.GetVersionNumber())) {
    ioStream.WriteLong(_dimension, "Dim");
    ioStream.WriteLong(_nbPoints, "NbPts");
    ioStream.WriteLong(_periodic, "IsPeriodic");
  } else {
    unsigned long header[3] = {static_cast<unsigned long>(_dimension),
                               static_cast<unsigned long>(_nbPoints),
                               static_cast<unsigned long>(_periodic)};
    ioStream.WriteULong(header, 3, "");
  }
  ioStream.WriteDoubleByAddress(_points, _nbPoints * _dimension, "Points");
}

void XelMathSetOfPointsND::Stream(XelMathStream& ioStream, const char*) const {
  XelMathStreamPointSet(ioStream, ClassName, [&] { StreamPoints(ioStream); });
}

XelMathSetOfPointsND*
XelMathSetOfPointsND::UnStreamPoints(XelMathStream& ioStream,
                                     XelMathSetOfPointsND* (*iMake)(long, long), const char* iWhere,
                                     const long iFixedRows, const long iRowsPerPoint) {
  long dimension, count, periodic;
  if (OldHeader(ioStream.GetVersionNumber())) {
    ioStream.ReadLong(dimension, "Dim");
    ioStream.ReadLong(count, "NbPts");
    ioStream.ReadLong(periodic, "IsPeriodic");
  } else {
    unsigned long header[3];
    ioStream.ReadULong(header, 3, "");
    // Values beyond the signed 32-bit range cannot be a dimension or a count.
    const unsigned long limit = 0x7fffffffUL;
    dimension = header[0] > limit ? -1 : static_cast<long>(header[0]);
    count = header[1] > limit ? -1 : static_cast<long>(header[1]);
    periodic = header[2] > limit ? -1 : static_cast<long>(header[2]);
  }
  bool valid = dimension >= 1 && count >= 0 && (periodic == 0 || periodic == 1);
  if (valid) {
    // Both values are below 2^31: the products below cannot overflow. Whatever the set
    // allocates (points, then tangents or vectors) must be in the stream: each array
    // record is a count of 4 bytes and 8 bytes per double.
    const long points = count * dimension;
    const long companion = iFixedRows * dimension + iRowsPerPoint * points;
    const long records = (iFixedRows > 0 || iRowsPerPoint > 0) ? 2 : 1;
    const long remaining = ioStream.GetRemainingBytes();
    if (points > XelQuorMaxArrayDoubles || companion > XelQuorMaxArrayDoubles)
      valid = false;
    else if (remaining >= 0 && points + companion > (remaining - 4 * records) / 8)
      valid = false;
  }
  if (!valid)
    XelMathRaiseTexts(XelErrorCode::Forbidden, 3, iWhere,
                      "with a valid dimension and number of points", "damaged or foreign data",
                      __FILE__, __LINE__);
  std::unique_ptr<XelMathSetOfPointsND> set(iMake(dimension, count));
  if (count > 0)
    ioStream.ReadDouble(set->_points, count * dimension, "Points");
  else
    ioStream.ReadDouble(static_cast<double*>(nullptr), 0, "Points");
  set->_nbPoints = count;
  set->_periodic = periodic == 1 ? 1 : 0;
  return set.release();
}

void XelMathSetOfPointsND::UnStream(XelMathStream& ioStream, XelMathSetOfPointsND*& oSet,
                                    const char*) {
  oSet = nullptr;
  oSet = UnStreamPoints(
      ioStream, [](long N, long n) { return new XelMathSetOfPointsND(N, n); },
      "XelMathSetOfPointsND::UnStream", 0, 0);
}
