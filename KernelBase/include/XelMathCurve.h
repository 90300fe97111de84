#pragma once
// Base of the kernel's parametric curves of space (lines, circles).
//
// A curve maps a parameter t to a point (EvalPoint) and answers IsATypeOf for the type
// identifiers of its class and of its bases: XelMathCurve::CurveType (0) for every curve,
// LineType for XelMathLine, CircleType for XelMathCircle. IsA gives the class name.
// Curves are created with new by their owners (pooled, counted).
#include "XelMathPoint.h"
#include "XelQuorVirtual.h"

class XELKERNELBASE_EXPORT XelMathCurve : public XelQuorVirtual {
public:
  enum { CurveType = 0, LineType = 1, CircleType = 2 };

  XelMathCurve() = default;
  XelMathCurve(const XelMathCurve&) = default;
  XelMathCurve& operator=(const XelMathCurve&) = default;
  ~XelMathCurve() override;

  /// The class name.
  virtual const char* IsA() const;
  /// Whether the curve is of the type iType (CurveType for every curve).
  virtual int IsATypeOf(long iType) const;
  /// The point at parameter iT.
  virtual XelMathPoint EvalPoint(double iT) const = 0;
  /// The first derivative of the point with respect to the parameter at iT.
  virtual XelMathVector EvalFirstDeriv(double iT) const = 0;
  /// A new copy (the caller owns it).
  virtual XelMathCurve* Duplicate() const = 0;
};
