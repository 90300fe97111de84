#pragma once
// Quotient of two functions f(x) = N(x) / D(x).
//
// Derivatives at a point follow the quotient rule from the components' exact derivatives
// (one multi-output evaluation of each). Over an interval the denominator's image is refined
// near zero (bisection of the interval down to width 0.001, then a search of the
// denominator's extremum on the side of zero); when it may still vanish the image is the
// infinite interval [-XelMathInfinite, XelMathInfinite], otherwise the product of the
// numerator's image by the inverse of the denominator's. The relative epsilon of the
// tolerance decides when the denominator is "near zero".
//
// Ownership: XelMathFractionX points to N and D, which the caller keeps alive;
// XelMathFractionXDel owns and deletes them. The tolerance is kept by reference.
// Failures: evaluating at a zero of D raises XelMathInputError 0x20005 ("XelMathFractionX::Eval",
// "with a null denominator"); with a null component, point values are XelMathInfinite and
// interval images [0, 0].
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathFractionX : public XelMathFunctionX {
public:
  XelMathFractionX(const XelMathFunctionX* iN, const XelMathFunctionX* iD,
                   const XelTolerance& iTol);
  XelMathFractionX(const XelMathFractionX& iOther) = default;
  XelMathFractionX& operator=(const XelMathFractionX& iOther) = default;
  ~XelMathFractionX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// False when N or D is null, else true exactly when both N and D answer true.
  unsigned char IsOption(const long iOption) const override;
  /// N and D (2).
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// 0 and 20.
  unsigned char IsATypeOf(const long iType) const override;
  /// Stream tag 3.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields, then the components (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  const XelMathFunctionX* GetNumerator() const { return _numerator; }
  const XelMathFunctionX* GetDenominator() const { return _denominator; }
  /// The tolerance given at construction.
  const XelTolerance* GetTolerance() const { return _tolerance; }

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  /// One multi-output evaluation of N and of D for all outputs.
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  /// Denominator and numerator evaluated once per chunk of points.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  /// The base algorithm, or the infinite interval when it meets a zero of D.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;

  /// The denominator's images over iI (bits 16, 32, 64 of iOptions as in the multi-output
  /// interval evaluation); the value image is refined near zero.
  void EvalDenom(const XelMathInterval& iI, const long iOptions, XelMathInterval* oD,
                 XelMathInterval* oD1, XelMathInterval* oD2) const;
  /// 1 and the denominator's image of iJ when it is farther than the relative epsilon from
  /// zero, after bisection down to width 0.001; 0 otherwise.
  int REvalDenom(const XelMathInterval& iJ, XelMathInterval& oImage) const;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathFractionXDel of deep copies of N and D.
  XelMathFunctionX* DeepDuplicate() const override;
  /// The roots of the numerator (status 1 and no root with a null numerator).
  int Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
            const XelMathAttrList* iAttributes = nullptr) const override;

  /// Raises 0x20005 for a zero denominator.
  [[noreturn]] static void ThrowForNullDenom();

protected:
  const XelTolerance* _tolerance;
  const XelMathFunctionX* _numerator;
  const XelMathFunctionX* _denominator;

private:
  /// The relative epsilon of the tolerance (0 after a report when it is invalid).
  double Epsilon() const;
};

/// A fraction that owns and deletes its numerator and denominator.
class XELADVANCEDMATHEMATICS_EXPORT XelMathFractionXDel : public XelMathFractionX {
public:
  XelMathFractionXDel(XelMathFunctionX* iN, XelMathFunctionX* iD, const XelTolerance& iTol);
  XelMathFractionXDel(const XelMathFractionXDel&) = delete;
  XelMathFractionXDel& operator=(const XelMathFractionXDel&) = delete;
  ~XelMathFractionXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
};
