#pragma once
// Periodic extension of a function: f(x) = g(r(x)), where r folds x into the period
// [a, a + T]. Values above a land in (a, a + T], values below a in [a, a + T), a stays a.
//
// The fold subtracts or adds T one period at a time; far from [a, a + T] (beyond 64 periods)
// it first jumps by a whole number of periods, so that its cost stays bounded. A period that
// is not a positive finite number, and non-finite x, leave x unfolded. The interval image is
// g's image of the folded interval, or the union of g's images of both sides of the fold when
// the interval crosses it, or of the whole period when the interval is a period wide or more.
//
// Ownership: XelMathPeriodicX points to g, which the caller keeps alive; XelMathPeriodicXDel
// owns and deletes it. With a null g, point values are XelMathInfinite and interval images
// [0, 0].
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathPeriodicX : public XelMathFunctionX {
public:
  /// g repeated with period iPeriod from iStart.
  XelMathPeriodicX(const XelMathFunctionX* iG, double iPeriod, double iStart);
  XelMathPeriodicX(const XelMathPeriodicX& iOther) = default;
  XelMathPeriodicX& operator=(const XelMathPeriodicX& iOther) = default;
  ~XelMathPeriodicX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// g's answer (false with a null g).
  unsigned char IsOption(const long iOption) const override;
  /// g (1).
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// 0 and 96.
  unsigned char IsATypeOf(const long iType) const override;

  const XelMathFunctionX* GetFunction() const { return _function; }
  double GetPeriod() const { return _period; }
  double GetStart() const { return _start; }
  /// x folded into the period (see above).
  double Fold(double x) const;

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
  /// The function's batch at the folded abscissas.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;
  /// The union of g's guaranteed images of the parts of the folded interval (f jumps at the
  /// fold points, where a series in x would not converge).
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathPeriodicXDel of a deep copy of g.
  XelMathFunctionX* DeepDuplicate() const override;
  /// The periodic extension of g's derivative (owning it), or the general derivative when g
  /// has no derivative function.
  XelMathFunctionX* CreateDeriv() const override;

protected:
  const XelMathFunctionX* _function;
  double _period;
  double _start;

private:
  /// The intervals of g's variable covered by the fold of iI: one (oNb = 1) or two.
  void FoldInterval(const XelMathInterval& iI, XelMathInterval* oParts, int& oNb) const;
};

/// A periodic function that owns and deletes g.
class XELADVANCEDMATHEMATICS_EXPORT XelMathPeriodicXDel : public XelMathPeriodicX {
public:
  XelMathPeriodicXDel(XelMathFunctionX* iG, double iPeriod, double iStart);
  XelMathPeriodicXDel(const XelMathPeriodicXDel&) = delete;
  XelMathPeriodicXDel& operator=(const XelMathPeriodicXDel&) = delete;
  ~XelMathPeriodicXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
};
