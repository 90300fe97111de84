#pragma once
// An ordered, growable list of points of a fixed dimension N: the container in which the
// analyses of the library return their results and in which callers hand point lists to
// the interpolators.
//
// Points are numbered from 0 and stored contiguously, point after point (point i occupies
// GetPoints()[i*N .. i*N+N-1]); the storage comes from the kernel's memory services, is
// owned by the set and grows by doubling. A cursor gives sequential reading:
//   for (set.Beginning(); set.Next();) { set.GetPoint(p); ... }
// The periodic flag marks a closed loop whose first and last points are equal.
//
// The geometric queries treat the points as the vertices of a polyline (segment i joins
// points i and i+1). Their tolerances are distances in the units of the coordinates
// unless a query says otherwise; the planar queries (convex hulls, conics, point position)
// read coordinates 0 and 1 and need N >= 2.
//
// Misuse (an index outside the set, a cursor not on a point, sets of different
// dimensions) raises XelMathInputError with the codes 0x20006 to 0x20009; tangents that
// cannot be estimated raise 0x2000e. Degenerate geometry (aligned points for a circle,
// too few points for a conic) is an answer (a status), never an error.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorStreamVersion.h"
#include "XelQuorVirtual.h"

class XelMathSetOfLongs;
class XelMathStream;

class XELADVANCEDMATHEMATICS_EXPORT XelMathSetOfPointsND : public XelQuorVirtual {
public:
  /// An empty set of points of iDimension coordinates (>= 1, else 0x20006 "Dimension not
  /// valid"), with storage reserved for iCapacity points when iCapacity > 0.
  explicit XelMathSetOfPointsND(const long iDimension, const long iCapacity = 0);
  /// Copies dimension, points, periodicity and cursor.
  XelMathSetOfPointsND(const XelMathSetOfPointsND& iOther);
  ~XelMathSetOfPointsND() override;

  // ---- virtual operations (slot order) ----
  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  /// Copies dimension, points, periodicity and cursor (the dimension of this set changes
  /// to that of iOther).
  virtual XelMathSetOfPointsND& operator=(const XelMathSetOfPointsND& iOther);
  /// True for the name of this class or of one of its bases.
  virtual unsigned char IsAKindOf(const char* iName) const;
  /// Number of points and cursor become 0; the storage stays reserved.
  virtual void Reset();
  /// Number of points and cursor become 0; when iNbPoints exceeds the capacity, the storage
  /// is released and iNbPoints points are reserved (contents are not kept).
  virtual void Resize(const long iNbPoints);
  /// Shrinks the storage to exactly the number of points.
  virtual void Pack();
  /// Removes point i (0 <= i < n), moving later points down; 0x20009 otherwise.
  virtual void RemovePoint(const long i);
  /// Removes every point whose index is in iIndices (indices outside the set are ignored).
  virtual void RemovePoints(const XelMathSetOfLongs& iIndices);
  /// False clears the flag; true requires the first and last points to be exactly equal
  /// (0x20009 otherwise).
  virtual void SetPeriodic(const int iPeriodic);
  /// Sets coordinate k of point i. k >= N or i >= n raises 0x20006; the assignment is made
  /// after the report when the storage holds the place, as callers of old expect.
  virtual void SetCoordAtPoint(const double iValue, const long k, const long i);
  /// Writes the points of this set in reverse order into oOther (same dimension, else
  /// 0x20006); oOther gets the periodic flag of this set.
  virtual void Invert(XelMathSetOfPointsND& oOther) const;
  /// Exchanges points i and j (0x20007 "Wrong Index" outside the set).
  virtual void SwapPoints(const long i, const long j);
  /// Reverses the order of the points in place.
  virtual void AutoInvert();
  /// Moves the tail of this set into oOther: points i..n-1 when iKeepSplitPoint (point i
  /// then stays in both sets), i+1..n-1 otherwise. oOther is emptied first and receives
  /// exactly those points; this set keeps points 0..i and is packed. Nothing happens when
  /// the tail is empty. Sets of different dimension raise 0x20006; i outside the set
  /// raises 0x20007. iTol is kept for callers that pass a resolution (unused).
  virtual void Split(const long i, XelMathSetOfPointsND& oOther, const int iKeepSplitPoint,
                     const double iTol);
  /// Appends the points of iOther (all, or all but its first when iSkipFirst); the
  /// capacity grows to exactly the new number of points when needed. 0x20006 when the
  /// dimensions differ.
  virtual void AddSet(const XelMathSetOfPointsND& iOther, const int iSkipFirst = 0);
  /// Inserts a copy of p at place i (0 <= i <= n; i == n appends); 0x20009 otherwise.
  virtual void InsertPoint(const double* p, const long i);
  /// Appends a copy of the N coordinates of p; a full set doubles its capacity. A null p
  /// (here and wherever a point is stored) raises 0x20006 ("the point", "null").
  virtual void AddPoint(const double* p);
  /// Circle through points i0, i1 and i2 (in the plane they span, any N >= 2): writes its
  /// centre (N doubles) and radius and returns 1; returns 0 (outputs untouched) when the
  /// three points are aligned or two coincide within iTol. Indices outside the set raise
  /// 0x20007.
  virtual int FindCircle(const long i0, const long i1, const long i2, double* oCenter,
                         double& oRadius, const double iTol) const;
  /// Whether points iFirst..iLast all lie within iTol of the line through points iFirst
  /// and iLast (of point iFirst when those two coincide within iTol): 1 or 0. Indices
  /// outside the set or iFirst > iLast raise 0x20007.
  virtual int IsLinear(const long iFirst, const long iLast, const double iTol) const;
  /// The conic A x^2 + B xy + C y^2 + D x + E y + F = 0 (x, y: coordinates 0 and 1)
  /// through the five points of indices iIndices[0..4]. Writes the six coefficients
  /// A..F, of unit Euclidean norm with the first non-zero one positive, and returns 1;
  /// returns 0 when the five points do not determine a unique conic (coincident points,
  /// four of them aligned), relative to iTol scaled by the size of the points.
  /// N < 2 raises 0x20006, an index outside the set 0x20007.
  virtual int FindConic(const long* iIndices, double* oCoefficients, const double iTol) const;
  /// Least-squares (algebraic) conic through all the points (at least 5), coefficients
  /// as above. Returns 1 when every point lies within iTol of the conic (first-order
  /// geometric distance |Q| / |grad Q|), 0 when the fit is looser, -1 (outputs untouched)
  /// with fewer than five points or points that do not determine a conic.
  virtual int FindConic(double* oCoefficients, const double iTol) const;
  /// Chord-length parameters: t_0 = 0, t_i = t_{i-1} + |P_i - P_{i-1}|; divided by the
  /// total length when iNormalize and the length is not 0. oParameters (dimension 1, else
  /// 0x20006) is reset and receives n values.
  virtual void InitializeParameters(XelMathSetOfPointsND& oParameters,
                                    const int iNormalize = 1) const;
  /// Derivative dP/dt at each point of the curve through the points, with t the given
  /// parameters (dimension 1, n values, strictly increasing) or, when iParameters is null,
  /// the chord-length parameters. Each coordinate is estimated by the shape-preserving
  /// (monotone, Fritsch-Carlson) rule: zero at a local extremum of the coordinate,
  /// weighted harmonic mean of the neighbouring slopes elsewhere, a one-sided three-point
  /// estimate limited to keep monotonicity at the ends (across the closure for a periodic
  /// set). oTangents (dimension N, else 0x20006) is reset and receives n tangents.
  /// Raises 0x2000e for fewer than two points, parameters that are not strictly
  /// increasing or not one per point, or coincident consecutive points (chord length).
  virtual void ComputeTangents(XelMathSetOfPointsND& oTangents,
                               const XelMathSetOfPointsND* iParameters = nullptr) const;
  /// Douglas-Peucker simplification: removes the points whose removal keeps every removed
  /// point within iTol of the remaining polyline (first and last points stay). The
  /// original indices of the removed points are appended to oRemoved when given. Returns
  /// the number of points removed.
  virtual long Simplify(const double iTol, XelMathSetOfLongs* oRemoved = nullptr);
  /// Removes the points closer than iTol to a point kept before them: the previous kept
  /// point when iFlag is 0, any earlier kept point otherwise (the closing point of a
  /// periodic set stays). Returns the number of points removed.
  virtual long RemoveMultiplePoints(const double iTol, const int iFlag = 0);
  /// Orders the points by increasing coordinate k (0 <= k < N, else 0x20006) by selection,
  /// the earliest of equal keys first; swaps go through SwapPoints.
  virtual void Sort(const long k);
  /// Writes the set (see the stream layout in the source); nothing without implementation.
  virtual void Stream(XelMathStream& ioStream, const char* iLabel) const;
  /// Every version can be written.
  virtual unsigned char IsStreamable(const XelQuorStreamVersion iVersion) const;
  /// Slopes of the graph of a function of one variable: the points are samples
  /// (x, f_1(x), ..., f_{N-1}(x)) with x (coordinate 0) strictly monotone. oTangents
  /// (dimension N, else 0x20006) receives (1, f_1'(x), ..., f_{N-1}'(x)) at each point,
  /// estimated by the monotone rule of ComputeTangents with t = x. Raises 0x2000e for
  /// N < 2, fewer than two points or abscissae that are repeated or not monotone.
  virtual void ComputeTangents1D(XelMathSetOfPointsND& oTangents) const;

  // ---- class identity ----
  /// "XelMathSetOfPointsND" (the derived classes answer their own name).
  virtual const char* IsA() const;

  // ---- size ----
  long GetDimension() const { return _dimension; }
  long GetNumberOfPoints() const { return _nbPoints; }
  /// The capacity.
  long GetMaxNumberOfPoints() const { return _capacity; }
  int IsPeriodic() const { return _periodic; }
  /// The coordinate array (null while no storage is reserved).
  const double* GetPoints() const { return _points; }
  double* GetPoints() { return _points; }
  /// The cursor minus one: the index of the point under the cursor.
  long GetCurrentIndex() const { return _cursor - 1; }

  // ---- adding ----
  /// Appends p and returns 1 when the set is empty or some coordinate of p differs from
  /// that of the last point by at least iTol; otherwise returns 0 and overwrites the last
  /// point with p when the set holds more than one point.
  int AddNewPoint(const double* p, const double iTol);

  // ---- access ----
  /// Cursor before the first point.
  void Beginning() { _cursor = 0; }
  /// Advances the cursor; true while it designates a point.
  int Next() { return ++_cursor <= _nbPoints; }
  /// Copies the point under the cursor (0x20008 "Next" when there is none).
  void GetPoint(double* oP) const;
  /// Overwrites the point under the cursor (0x20008 "Next" when there is none).
  void ReplacePoint(const double* p);
  /// Copies point i (0x20007 "Wrong Index" outside the set).
  void GetPoint(const long i, double* oP) const;
  /// Overwrites point i (0x20008 "Next" outside the set).
  void ReplacePoint(const long i, const double* p);
  /// The set then holds exactly the iNbPoints points of the flat array iCoords (iNbPoints
  /// x N doubles); the storage grows when needed. A negative count raises 0x20004.
  void ReplacePoints(const long iNbPoints, const double* iCoords);

  // ---- measures ----
  /// Sum of the distances between consecutive points (0 for fewer than two).
  double Length() const;
  /// Distance from p to the polyline; oIndex receives the index of the first point of the
  /// nearest segment (0 for a single point, -1 and XelMathInfinite for an empty set) and
  /// oProjection, when given, the nearest point of the polyline. Segments shorter than
  /// iTol count as points.
  double DistanceMin(const double* p, long& oIndex, const double iTol,
                     double* oProjection = nullptr) const;
  /// Smallest distance between the polylines of this set and of iOther (same dimension,
  /// else 0x20006). oIndex and oOtherIndex receive the first points of the nearest
  /// segments, oPoint and oOtherPoint (when given, N doubles each) the nearest points.
  /// XelMathInfinite and indices -1 when a set is empty.
  double GetClosestPoints(const XelMathSetOfPointsND& iOther, long& oIndex, long& oOtherIndex,
                          double* oPoint = nullptr, double* oOtherPoint = nullptr) const;
  /// Whether every point of this set lies within iTol of the polyline of iOther (same
  /// dimension, else 0x20006). False when iOther is empty and this set is not.
  int IsIncludedIn(const XelMathSetOfPointsND& iOther, const double iTol) const;
  /// Whether every point of iOther lies within iTol of the polyline of this set.
  int IsContaining(const XelMathSetOfPointsND& iOther, const double iTol) const;
  /// Index of the first point, from iStart on, lying within iTol of the segment [a, b];
  /// -1 when there is none.
  long GetFirstPointOnSegment(const double* a, const double* b, const double iTol,
                              const long iStart = 0) const;
  /// 1 when coordinate k increases by more than iTol from each point to the next, -1 when
  /// it decreases so, 0 otherwise (and for fewer than two points). k outside 0..N-1
  /// raises 0x20006.
  int IsMonotonousAlong(const long k, const double iTol = 0.0) const;
  /// Geometric elements of the conic of coefficients A..F (as FindConic writes them).
  /// Returns 1 for an ellipse (oCenter its centre, oAxes its semi-axes major then minor,
  /// oAngle the direction of the major axis), 2 for a hyperbola (transverse then
  /// conjugate semi-axes, oAngle the transverse axis), 3 for a parabola (oCenter its
  /// vertex, oAxes[0] the parameter p of y^2 = 2 p x in its frame, oAxes[1] = 0, oAngle the
  /// direction from the vertex into the curve), 0 for an empty or degenerate conic
  /// (outputs untouched). iTol is the relative threshold of the degeneracy tests.
  static int FindConicParameters(const double* iCoefficients, double* oCenter, double* oAxes,
                                 double& oAngle, const double iTol);

  // ---- convexity (coordinates 0 and 1) ----
  /// 1 when the closed polygon of the points (last joined to first) is convex and turns
  /// counter-clockwise, -1 when convex clockwise, 0 when it is not convex or has fewer
  /// than three distinct vertices. Turns within iTol of a straight line are ignored.
  int ConvexContour(const double iTol) const;
  /// The trivial hulls: when the set has fewer than three points distinct within iTol, or
  /// all its points lie within iTol of one line, writes the extreme points (0, 1 or 2 of
  /// them) into oHull (reset, dimension N else 0x20006) and returns 1; returns 0 otherwise
  /// (oHull untouched).
  int TrivialConvex(XelMathSetOfPointsND& oHull, const double iTol) const;
  /// The convex hull of the points (Andrew's monotone chain): its vertices in
  /// counter-clockwise order from the point of smallest coordinate 0 (then smallest
  /// coordinate 1), not repeated at the end, points
  /// within iTol of a hull edge dropped. oHull (dimension N, else 0x20006) is reset first.
  /// oIndices, when given, receives the index in this set of each vertex. Returns the
  /// number of vertices.
  long CreateConvex(XelMathSetOfPointsND& oHull, const double iTol,
                    XelMathSetOfLongs* oIndices = nullptr) const;
  /// Removes interior points so that consecutive kept points are at least iMinLength
  /// apart along the polyline; the first and last points stay. Returns the number
  /// removed.
  long ReduceGranularity(const double iMinLength);
  /// The smallest box holding the points: returns 0 for an empty set (outputs untouched),
  /// 1 otherwise.
  int BoundingBox(double* oMin, double* oMax) const;
  /// Position of p relative to the closed polygon of the points (last joined to first):
  /// 1 inside, 0 within iTol of its boundary, -1 outside (winding number; -1 for fewer
  /// than three points unless p is on the boundary).
  int PointPosition(const double* p, const double iTol) const;
  /// Whether p lies within iTol of a point of the set; oIndex receives the index of the
  /// first such point, or -1.
  int IsPointVertex(const double* p, const double iTol, long& oIndex) const;

  // ---- stream ----
  /// Reads a set written by Stream into a new set that the caller owns (oSet is null when
  /// the data is damaged; the error is then raised, 0x20009).
  static void UnStream(XelMathStream& ioStream, XelMathSetOfPointsND*& oSet, const char* iLabel);

protected:
  /// Changes the storage to iCapacity points, keeping the first min(n, iCapacity) points;
  /// derived classes that store per-point data override it and call this.
  virtual void SetCapacity(const long iCapacity);
  /// Grows the capacity by doubling until it holds at least iNeeded points.
  void GrowFor(const long iNeeded);
  /// Keeps the points whose flag is non-zero, in order (iKeep: one flag per point);
  /// derived classes that store per-point data override it and call this.
  virtual void KeepPoints(const unsigned char* iKeep);
  /// Inserts p at place i (0 <= i < n, unchecked), growing the storage.
  void InsertRaw(const double* p, const long i);
  /// Raises the errors of RemovePoint (iWhere names the operation).
  void CheckRemoveIndex(const long i, const char* iWhere) const;
  /// Raises 0x20006 when iOther has another dimension.
  void CheckSameDimension(const XelMathSetOfPointsND& iOther, const char* iWhere) const;
  /// Raises 0x20006 when the points have fewer than two coordinates.
  void CheckPlanar(const char* iWhere) const;
  /// The point moves of Split: copies the tail into oOther and shortens this set (not
  /// packed); oFirst and oCount tell which points moved (oCount 0: nothing happened).
  void SplitPoints(const long i, XelMathSetOfPointsND& oOther, const int iKeepSplitPoint,
                   long& oFirst, long& oCount);
  /// Indices of the trivial hull (at most 2) when there is one: returns 1, else 0.
  int TrivialHull(long& oCount, long* oIndices, const double iTol) const;
  /// Writes the header and the points (without comment section).
  void StreamPoints(XelMathStream& ioStream) const;
  /// Reads a header and the points into a new set of class iMake(N, n) (null on error).
  /// The record that follows the points holds iFixedRows + iRowsPerPoint * n rows of N
  /// doubles (none when both are 0): a header whose arrays cannot fit in the bytes left
  /// raises 0x20009 before anything is allocated.
  static XelMathSetOfPointsND* UnStreamPoints(XelMathStream& ioStream,
                                              XelMathSetOfPointsND* (*iMake)(long, long),
                                              const char* iWhere, const long iFixedRows,
                                              const long iRowsPerPoint);
  /// Point i (no check).
  double* At(const long i) { return _points + i * _dimension; }
  const double* At(const long i) const { return _points + i * _dimension; }
  /// Shape-preserving slopes of each coordinate against the n strictly increasing values
  /// iT; oSlopes receives n x N doubles. A periodic set wraps around at its ends.
  void MonotoneSlopes(const double* iT, double* oSlopes) const;

  long _dimension;
  long _nbPoints;
  long _cursor;
  int _periodic;
  long _capacity;
  double* _points;
  // Reserved state, copied with the set: three indices (-1) and three values (0).
  long _reservedIndex[3];
  double _reservedValue[3];
};

/// Squared distance between the points a and b of dimension N.
XELADVANCEDMATHEMATICS_EXPORT double XelSquareDistanceND(const long N, const double* a,
                                                         const double* b);
/// Scalar product of the vectors end1 - origin1 and end2 - origin2 of dimension N.
XELADVANCEDMATHEMATICS_EXPORT double XelScalarProductND(const long N, const double* origin1,
                                                        const double* end1, const double* origin2,
                                                        const double* end2);
/// Projection of p on the segment [a, b] (dimension N) written to oOut; returns its
/// parameter in [0, 1] (0 for a segment shorter than iTol, whose projection is a).
XELADVANCEDMATHEMATICS_EXPORT double XelProjectPointOnSegmentND(const long N, const double* p,
                                                                const double* a, const double* b,
                                                                double* oOut, const double iTol);
