#pragma once
// Squared distance from a moving point to a fixed one, minus an offset:
// h(x) = sum_{i < n} (f_i(x) - c_i)^2 - d, the curve (f_1, ..., f_n) lying in the plane or in
// space (n <= 3; larger counts are cut to 3, negative ones to 0). Derivatives as for a sum of
// squares of f_i - c_i.
//
// The functions are not owned (XelMathSquareDistXsDel owns them). A null component makes the
// point evaluations return XelMathInfinite, the interval images [0, 0] and IsOption false.
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathSquareDistXs : public XelMathFunctionX {
public:
  /// Target c (n values, zeros when null) and offset d.
  XelMathSquareDistXs(long iN, const XelMathFunctionX** iF, const double* iC, double iD);
  XelMathSquareDistXs(const XelMathSquareDistXs&) = delete;
  XelMathSquareDistXs& operator=(const XelMathSquareDistXs&) = delete;
  ~XelMathSquareDistXs() override;

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
  /// -d plus the square of each component's image shifted by -c_i.
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;
  /// [-d, -d] plus, for each i, the four-case product of [l_i - c_i, h_i - c_i] with itself,
  /// [l_i, h_i] being the component's own guaranteed image (so a range that holds c_i gives
  /// the negative lower end (l_i - c_i)(h_i - c_i)).
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathSquareDistXsDel of deep copies of the components.
  XelMathFunctionX* DeepDuplicate() const override;

  long GetNumberOfFunctions() const { return _n; }
  const XelMathFunctionX* GetFunction(const long i) const { return _functions[i]; }
  const double* GetTarget() const { return _target; }
  double GetOffset() const { return _offset; }

  static const long MaxCount = 3;

protected:
  long _n;
  const XelMathFunctionX* _functions[MaxCount];
  double _target[MaxCount];
  double _offset;
};

/// The squared distance owning its functions. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathSquareDistXsDel : public XelMathSquareDistXs {
public:
  XelMathSquareDistXsDel(long iN, XelMathFunctionX** iF, const double* iC, double iD);
  ~XelMathSquareDistXsDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionX* Duplicate() const override;
};
