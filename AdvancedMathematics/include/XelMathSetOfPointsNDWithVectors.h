#pragma once
// A set of points with one vector of N doubles per point (a tangent, a normal, a
// derivative: the caller decides), stored beside its point with the same capacity and
// moved with it by every operation: growth, insertion, removal, swaps and sorting,
// reversal, split, appending of sets, cleaning (Simplify, RemoveMultiplePoints,
// ReduceGranularity). Points added without a vector (AddPoint, InsertPoint, or from a set
// without vectors) get a zero vector; ReplacePoints changes points only.
//
// The first and last tangents of the base class are the vectors of the first and last
// points (null on an empty set, where setting them raises 0x20009).
//
// Errors are those of the point operations: 0x20009 for an insertion index outside
// 0..n ("XelMathSetOfPointsNDWithVectors::InsertPointWithVector" or
// "XelMathSetOfPointsNDWithVectors::InsertPoint", "with an index between 0 and the set
// number of points"); 0x20008 ("Next" with "GetVector", "GetPointWithVector" or
// "ReplaceVector") for a cursor or an index off the set.
#include "XelMathSetOfPointsNDTwoTangents.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathSetOfPointsNDWithVectors
    : public XelMathSetOfPointsNDTwoTangents {
public:
  explicit XelMathSetOfPointsNDWithVectors(const long iDimension, const long iCapacity = 0);
  XelMathSetOfPointsNDWithVectors(const XelMathSetOfPointsNDWithVectors& iOther);
  ~XelMathSetOfPointsNDWithVectors() override;

  /// Copies the points; the vectors come from iOther when it has them, else are zero.
  XelMathSetOfPointsND& operator=(const XelMathSetOfPointsND& iOther) override;
  XelMathSetOfPointsNDWithVectors& operator=(const XelMathSetOfPointsNDWithVectors& iOther);

  unsigned char IsAKindOf(const char* iName) const override;
  const char* IsA() const override;

  void Reset() override;
  void RemovePoint(const long i) override;
  /// oOther receives the points reversed, with their vectors when it has vectors (its
  /// end tangents when it only has two).
  void Invert(XelMathSetOfPointsND& oOther) const override;
  void SwapPoints(const long i, const long j) override;
  void AutoInvert() override;
  /// The tail moves with its vectors when oOther has vectors.
  void Split(const long i, XelMathSetOfPointsND& oOther, const int iKeepSplitPoint,
             const double iTol) override;
  /// Appends the points of iOther with its vectors (zero vectors when it has none).
  void AddSet(const XelMathSetOfPointsND& iOther, const int iSkipFirst = 0) override;
  /// Inserts p with a zero vector.
  void InsertPoint(const double* p, const long i) override;
  /// Appends p with a zero vector.
  void AddPoint(const double* p) override;
  /// As the base operation; the non-zero vectors are kept as the tangents at their points
  /// (they should be derivatives with respect to the parameters used: unit vectors for
  /// chord-length parameters).
  void ComputeTangents(XelMathSetOfPointsND& oTangents,
                       const XelMathSetOfPointsND* iParameters = nullptr) const override;
  /// The points as the base class writes them, then the n x N vectors ("Vectors").
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  double* GetFirstTangent() override;
  const double* GetFirstTangent() const override;
  double* GetLastTangent() override;
  const double* GetLastTangent() const override;
  void SetFirstTangent(const double* iTangent) override;
  void SetLastTangent(const double* iTangent) override;

  /// Appends p with the vector v (a zero vector when v is null).
  void AddPointWithVector(const double* p, const double* v);
  /// As AddNewPoint: appends p and v and returns 1 when some coordinate of p differs from
  /// that of the last point by at least iTol; otherwise returns 0 and, when the set holds
  /// more than one point, overwrites the last point and its vector.
  int AddNewPointWithVector(const double* p, const double* v, const double iTol);
  /// Inserts p and v at place i (0 <= i <= n).
  void InsertPointWithVector(const double* p, const double* v, const long i);
  /// The vector of the point under the cursor.
  void GetVector(double* oV) const;
  /// The vector of point i.
  void GetVector(const long i, double* oV) const;
  /// Point i and its vector.
  void GetPointWithVector(const long i, double* oP, double* oV) const;
  /// Overwrites the vector of the point under the cursor.
  void ReplaceVector(const double* v);
  /// Overwrites the vector of point i.
  void ReplaceVector(const long i, const double* v);
  /// The vectors, point after point (null while no storage is reserved).
  const double* GetVectors() const { return _tangents; }

  /// Reads a set written by Stream of this class into a new set owned by the caller
  /// (null, and the error raised, on damaged data).
  static void UnStream(XelMathStream& ioStream, XelMathSetOfPointsNDWithVectors*& oSet,
                       const char* iLabel);

protected:
  void SetCapacity(const long iCapacity) override;
  void KeepPoints(const unsigned char* iKeep) override;
  double* VectorAt(const long i) { return _tangents + i * _dimension; }
  const double* VectorAt(const long i) const { return _tangents + i * _dimension; }
};
