#pragma once
// A set of points (XelMathSetOfPointsND) with a tangent at each end: the first tangent
// (at the first point) and the last tangent (at the last point), N doubles each, held in
// one owned array of 2 x N doubles (first tangent, then last tangent). A zero tangent
// means "not given". Marchers use them for the directions at singular end points, the
// interpolators as end conditions.
//
// The tangents describe the ends of the polyline: operations that add, insert or remove
// points leave them as they are (the caller sets them again when it changes an end);
// reversals (AutoInvert, Invert) exchange them without changing their sign; Split hands
// the last tangent to the set that receives the tail (this set's last tangent becomes
// zero); AddSet takes the last tangent of an appended set that has tangents (and its first
// tangent when this set was empty); Reset clears both. Copies carry them.
//
// Errors are those of XelMathSetOfPointsND.
#include "XelMathSetOfPointsND.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathSetOfPointsNDTwoTangents : public XelMathSetOfPointsND {
public:
  /// An empty set of dimension iDimension with room for iCapacity points; both tangents
  /// zero.
  explicit XelMathSetOfPointsNDTwoTangents(const long iDimension, const long iCapacity = 0);
  XelMathSetOfPointsNDTwoTangents(const XelMathSetOfPointsNDTwoTangents& iOther);
  ~XelMathSetOfPointsNDTwoTangents() override;

  /// Copies the points; the tangents come from iOther when it has them, else become zero.
  XelMathSetOfPointsND& operator=(const XelMathSetOfPointsND& iOther) override;
  XelMathSetOfPointsNDTwoTangents& operator=(const XelMathSetOfPointsNDTwoTangents& iOther);

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  const char* IsA() const override;

  /// Also clears both tangents.
  void Reset() override;
  /// oOther receives the points reversed and, when it has tangents, this set's last
  /// tangent as its first and this set's first tangent as its last.
  void Invert(XelMathSetOfPointsND& oOther) const override;
  /// Reverses the points and exchanges the two tangents.
  void AutoInvert() override;
  void Split(const long i, XelMathSetOfPointsND& oOther, const int iKeepSplitPoint,
             const double iTol) override;
  void AddSet(const XelMathSetOfPointsND& iOther, const int iSkipFirst = 0) override;
  /// As the base operation; a non-zero first (last) tangent replaces the estimate at the
  /// first (last) point.
  void ComputeTangents(XelMathSetOfPointsND& oTangents,
                       const XelMathSetOfPointsND* iParameters = nullptr) const override;
  /// The points as the base class writes them, then the 2 x N tangents ("Tangents").
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  /// The first tangent (N doubles), null when the set has none to offer.
  virtual double* GetFirstTangent();
  virtual const double* GetFirstTangent() const;
  /// The last tangent (N doubles), null when the set has none to offer.
  virtual double* GetLastTangent();
  virtual const double* GetLastTangent() const;
  /// Copies N doubles into the first (last) tangent; null gives the zero tangent.
  virtual void SetFirstTangent(const double* iTangent);
  virtual void SetLastTangent(const double* iTangent);

  /// Reads a set written by Stream of this class into a new set owned by the caller
  /// (null, and the error raised, on damaged data).
  static void UnStream(XelMathStream& ioStream, XelMathSetOfPointsNDTwoTangents*& oSet,
                       const char* iLabel);

protected:
  /// For derived classes: the added array holds iTangentsSize doubles (zeroed).
  XelMathSetOfPointsNDTwoTangents(const long iDimension, const long iCapacity,
                                  const long iTangentsSize);
  /// Replaces the added array by iSize zeroed doubles.
  void ReallocateTangents(const long iSize);
  /// Whether every coordinate of the N doubles at iVector is zero.
  bool IsZeroVector(const double* iVector) const;

  double* _tangents;
  long _tangentsSize;
};
