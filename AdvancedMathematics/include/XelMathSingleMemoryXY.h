#pragma once
// A function of two variables that remembers its last evaluations: the last point and the
// value there, and separately the last point and the first derivatives fx, fy there. Solvers
// that come back to the same point then do not evaluate an expensive function again. Both
// memories start at the point (x0, y0) given at construction, where f's value and first
// derivatives are evaluated once. Higher derivatives and interval images go to f.
//
// The memories change inside const evaluations: one object serves one thread at a time. f is
// not owned (XelMathSingleMemoryXYDel owns it). With a null f the point evaluations return
// XelMathInfinite and the interval images [0, 0]. The tolerance is kept by reference.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathSingleMemoryXY : public XelMathFunctionXY {
public:
  /// Fills both memories from one evaluation of f's value and first derivatives at (x0, y0).
  XelMathSingleMemoryXY(const XelMathFunctionXY* iF, const double iX0, const double iY0,
                        const XelTolerance& iTol);
  /// Shares f and copies the memories.
  XelMathSingleMemoryXY(const XelMathSingleMemoryXY& iOther);
  XelMathSingleMemoryXY& operator=(const XelMathSingleMemoryXY&) = delete;
  ~XelMathSingleMemoryXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// Forwarded to f (false with a null f).
  unsigned char IsOption(const long iOption) const override;
  /// f (1).
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  /// The remembered value when (x, y) is the last point exactly, else f's, remembered.
  double Eval(const double& x, const double& y) const override;
  /// The remembered derivatives when (x, y) is their last point exactly, else f's fx and fy
  /// (one evaluation for both), remembered.
  double EvalFirstDerivX(const double& x, const double& y) const override;
  double EvalFirstDerivY(const double& x, const double& y) const override;
  double EvalSecondDerivX2(const double& x, const double& y) const override;
  double EvalSecondDerivXY(const double& x, const double& y) const override;
  double EvalSecondDerivY2(const double& x, const double& y) const override;
  double EvalThirdDerivX3(const double& x, const double& y) const override;
  double EvalThirdDerivX2Y(const double& x, const double& y) const override;
  double EvalThirdDerivXY2(const double& x, const double& y) const override;
  double EvalThirdDerivY3(const double& x, const double& y) const override;
  void EvalUpToThirdDeriv(const double& x, const double& y, double& oF, double& oFx, double& oFy,
                          double& oFxx, double& oFxy, double& oFyy, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  void EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  /// Value and first derivatives from the memories when the point matches; f is asked only
  /// for what is missing, and the memories are refreshed.
  void Eval(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
            double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;

  XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                       const XelTolerance& iTol) const override;
  XelMathInterval EvalFirstDerivX(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalFirstDerivY(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivX2(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivXY(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivY2(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
            XelMathInterval* oFxy, XelMathInterval* oFyy, const XelTolerance& iTol) const override;
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance& iTol) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathSingleMemoryXYDel of a deep copy of f, with the same memories.
  XelMathFunctionXY* DeepDuplicate() const override;

  const XelMathFunctionXY* GetFunctionXY() const { return _function; }
  /// The tolerance given at construction.
  const XelTolerance* GetTolerance() const { return _tolerance; }

protected:
  /// Copies the two memories of iOther.
  void CopyMemories(const XelMathSingleMemoryXY& iOther);
  /// Refreshes the derivative memory at (x, y) when it is not there.
  void RefreshDerivatives(const double x, const double y) const;
  bool AtValuePoint(const double x, const double y) const { return x == _valueX && y == _valueY; }
  bool AtDerivPoint(const double x, const double y) const { return x == _derivX && y == _derivY; }

  const XelMathFunctionXY* _function;
  const XelTolerance* _tolerance;
  mutable double _valueX;
  mutable double _valueY;
  mutable double _value;
  mutable double _derivX;
  mutable double _derivY;
  mutable double _fx;
  mutable double _fy;
};

/// The memory owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathSingleMemoryXYDel : public XelMathSingleMemoryXY {
public:
  XelMathSingleMemoryXYDel(XelMathFunctionXY* iF, const double iX0, const double iY0,
                           const XelTolerance& iTol);
  XelMathSingleMemoryXYDel(const XelMathSingleMemoryXYDel&) = delete;
  ~XelMathSingleMemoryXYDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionXY* Duplicate() const override;
};
