#pragma once
// Box of N dimensions: N intervals stored as 2N doubles (min 0, max 0, min 1, max 1, ...),
// the domain of systems and N-variable functions.
//
// Boxes of up to 6 dimensions keep their bounds inside the object; from 7 on they are held in
// an array from the kernel's memory services, owned by the box and released by its destructor
// or when an assignment changes the dimension. The default box has dimension 0 and no
// storage; a negative dimension is taken as 0, one too large for the memory services raises
// XelMathInputError 0x20006 ("Dimension not valid"). Indices run from 0; one outside
// 0..N-1 raises 0x20007 ("Wrong Index", the operation) instead of reaching outside the
// bounds. No other operation raises; an empty box (some min > max) is accepted as it is.
#include "XelMathInterval.h"
#include "XelQuorVirtual.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathIntervalND : public XelQuorVirtual {
public:
  /// Dimension 0, no storage.
  XelMathIntervalND();
  /// Storage for iDimension intervals, bounds unset.
  explicit XelMathIntervalND(const long iDimension);
  /// Dimension iDimension, 2N bounds copied from iCoords laid out (min 0, max 0, ...).
  XelMathIntervalND(const long iDimension, const double* iCoords);
  XelMathIntervalND(const XelMathIntervalND& iOther);
  XelMathIntervalND& operator=(const XelMathIntervalND& iOther);
  ~XelMathIntervalND() override;

  /// Bytes of the heap array (0 for boxes kept inside the object).
  long GetDynamicMemoryBytes() const override;

  long GetDimension() const { return _dimension; }
  double GetMin(const long i) const { return _coords[2 * Index(i, "XelMathIntervalND::GetMin")]; }
  double GetMax(const long i) const {
    return _coords[2 * Index(i, "XelMathIntervalND::GetMax") + 1];
  }
  XelMathInterval GetInterval(const long i) const {
    const long at = 2 * Index(i, "XelMathIntervalND::GetInterval");
    return XelMathInterval(_coords[at], _coords[at + 1]);
  }
  /// The 2N bounds themselves (null for dimension 0).
  const double* GetCoords() const { return _coords; }
  void SetMin(const long i, const double iValue) {
    _coords[2 * Index(i, "XelMathIntervalND::SetMin")] = iValue;
  }
  void SetMax(const long i, const double iValue) {
    _coords[2 * Index(i, "XelMathIntervalND::SetMax") + 1] = iValue;
  }
  void SetInterval(const long i, const XelMathInterval& iInterval) {
    Index(i, "XelMathIntervalND::SetInterval");
    _coords[2 * i] = iInterval.low;
    _coords[2 * i + 1] = iInterval.high;
  }
  /// Copies 2N bounds from iCoords.
  void SetCoords(const double* iCoords);

  /// True if some min > max.
  virtual bool IsEmpty() const;
  /// ContainsPoint with a tolerance of 0.
  virtual bool ContainsPoint(const double* iPoint) const;
  /// True if min - iTol <= x <= max + iTol for every coordinate x of iPoint.
  virtual bool ContainsPoint(const double* iPoint, const double& iTol) const;
  /// Squared distance from iPoint to the box; oClosest (may be null) receives the closest
  /// point of the box. 0 inside.
  virtual double MinSquareDistance(const double* iPoint, double* oClosest) const;
  /// Where the segment from iP0 to iP1 leaves the box: true with oT in [0, 1] the parameter
  /// of the exit and oFace its face (2i for the minimum of coordinate i, 2i + 1 for the
  /// maximum); false when iP1 is inside (oT = 2) or when iP0 lies outside on the side of a
  /// crossed face. oFace is left unchanged when no face is crossed.
  virtual bool Intersection(const double* iP0, const double* iP1, double& oT, long& oFace) const;

  /// Writes the midpoint of each interval into oCenter.
  void Center(double* oCenter) const;
  /// Sum of the widths of all intervals.
  double Width() const;

  /// Largest dimension kept inside the object.
  static const long InlineDimension = 6;

private:
  /// i when it designates an interval of the box, else raises 0x20007 for iWhere.
  long Index(const long i, const char* iWhere) const {
    if (i < 0 || i >= _dimension)
      RaiseWrongIndex(iWhere);
    return i;
  }
  [[noreturn]] static void RaiseWrongIndex(const char* iWhere);
  void Allocate(long iDimension);
  void Release();

  long _dimension;
  double* _coords;
  double _inline[2 * InlineDimension];
};
