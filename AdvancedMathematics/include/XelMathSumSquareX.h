#pragma once
// Sum of squares h(x) = sum f_i(x)^2 of n functions, the residual of a least-squares fit:
//   h' = sum 2 f_i f_i',  h'' = sum 2 (f_i'^2 + f_i f_i''),  h''' = sum 2 (3 f_i' f_i'' + f_i
//   f_i''').
// Interval images by the same formulas in interval arithmetic (squares of the components'
// images for the value).
//
// Up to three function pointers are kept inside the object, more in an allocated array. The
// functions are not owned (XelMathSumSquareXDel owns them). A null component makes the point
// evaluations return XelMathInfinite, the interval images [0, 0] and IsOption false.
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathSumSquareX : public XelMathFunctionX {
public:
  /// A negative n counts as 0 (the function 0); an n that no array holds raises 0x20006
  /// ("the number of functions", "Dimension not valid").
  XelMathSumSquareX(long iN, const XelMathFunctionX** iF);
  XelMathSumSquareX(const XelMathSumSquareX&) = delete;
  XelMathSumSquareX& operator=(const XelMathSumSquareX&) = delete;
  ~XelMathSumSquareX() override;

  long GetDynamicMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// False when o has bit 128; true when n < 1 or every component answers true for the bits
  /// and the lower orders the formulas need.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  /// Each component evaluated once per chunk of points.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathSumSquareXDel of deep copies of the components.
  XelMathFunctionX* DeepDuplicate() const override;

  long GetNumberOfFunctions() const { return _n; }
  const XelMathFunctionX* const* GetFunctions() const { return _functions; }

  /// Largest number of pointers kept inside the object.
  static const long InlineCount = 3;

protected:
  long _n;
  const XelMathFunctionX** _functions;
  const XelMathFunctionX* _inline[InlineCount];
};

/// The sum of squares owning its functions. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathSumSquareXDel : public XelMathSumSquareX {
public:
  XelMathSumSquareXDel(long iN, XelMathFunctionX** iF);
  ~XelMathSumSquareXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionX* Duplicate() const override;
};
