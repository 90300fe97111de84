#pragma once
// A growable set of vectors of space (three doubles each, stored contiguously), used as
// the right-hand sides and solutions of some matrix operations (one vector per row).
//
// Indices run from 0; an index outside the set raises XelMathInputError 0x20007
// "Wrong Index". SetSize (from XelMathExtendableSet) changes the count, new vectors null.
#include "XelMathExtendableSet.h"
#include "XelMathVector.h"

class XELKERNELBASE_EXPORT XelMathSetOf3DObjects : public XelMathExtendableSet {
public:
  /// iCount null vectors.
  explicit XelMathSetOf3DObjects(long iCount = 0);
  XelMathSetOf3DObjects(const XelMathSetOf3DObjects& iOther);
  XelMathSetOf3DObjects& operator=(const XelMathSetOf3DObjects& iOther);
  ~XelMathSetOf3DObjects() override;

  long GetNumberOfObjects() const { return GetSize(); }
  /// Appends a vector; returns its index.
  long AddObject(const XelMathVector& iVector);
  XelMathVector GetObject(long i) const;
  void SetObject(long i, const XelMathVector& iVector);
  /// The three coordinates of vector i (unchecked: 0 <= i < GetNumberOfObjects()).
  double* GetCoords(long i) { return reinterpret_cast<double*>(ElementAt(i)); }
  const double* GetCoords(long i) const { return reinterpret_cast<const double*>(ElementAt(i)); }
  /// All coordinates, vector after vector (null when empty).
  double* GetData() { return GetSize() > 0 ? GetCoords(0) : nullptr; }
  const double* GetData() const { return GetSize() > 0 ? GetCoords(0) : nullptr; }
};
