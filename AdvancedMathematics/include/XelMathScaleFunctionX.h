#pragma once
// Rescaled copy of a function: h(x) = a f(b x), with a the function factor and b the
// variable factor. The analyses wrap a function of a scaled model in it so that they work
// in unit scale; h^(k)(x) = a b^k f^(k)(b x) and the interval images follow the same rule.
//
// The function f is not owned and must outlive the wrapper (XelMathScaleFunctionXDel owns
// it). With a null f the point evaluations return XelMathInfinite and the interval images
// [0, 0]. The reviewed flag records that the values given with the function are already
// expressed in scaled units.
#include "XelMathFunctionX.h"

class XelMathSetOfPointsND;

class XELADVANCEDMATHEMATICS_EXPORT XelMathScaleFunctionX : public XelMathFunctionX {
public:
  /// h(x) = iFunctionFactor f(iVariableFactor x); not reviewed.
  XelMathScaleFunctionX(const XelMathFunctionX* iF, double iFunctionFactor, double iVariableFactor);
  XelMathScaleFunctionX(const XelMathScaleFunctionX& iOther);
  XelMathScaleFunctionX& operator=(const XelMathScaleFunctionX& iOther);
  ~XelMathScaleFunctionX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// Forwarded to f (false with a null f).
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
  /// The function's batch at the scaled abscissas.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathScaleFunctionXDel on a deep copy of f (factors and flag copied).
  XelMathFunctionX* DeepDuplicate() const override;

  /// The domain of the scaled function: [low / b, high / b] (not reordered).
  void ComputeScaledDomain(const XelMathInterval& iI, XelMathInterval& oJ) const;
  /// oT is emptied, then receives every point of iS with each coordinate multiplied by b
  /// (roots of h mapped back to the variable of f).
  void ComputeUnScaledRoots(const XelMathSetOfPointsND& iS, XelMathSetOfPointsND& oT) const;

  void SetOKScaleReviewed() { _reviewed = 1; }
  unsigned char GetOKScaleReviewed() const { return _reviewed; }
  const XelMathFunctionX* GetFunction() const { return _function; }
  /// a.
  double GetFunctionFactor() const { return _functionFactor; }
  /// b.
  double GetVariableFactor() const { return _variableFactor; }

protected:
  const XelMathFunctionX* _function;
  double _functionFactor;
  double _variableFactor;
  unsigned char _reviewed;
};

/// The same function owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathScaleFunctionXDel : public XelMathScaleFunctionX {
public:
  XelMathScaleFunctionXDel(XelMathFunctionX* iF, double iFunctionFactor, double iVariableFactor);
  ~XelMathScaleFunctionXDel() override;
  XelMathScaleFunctionXDel(const XelMathScaleFunctionXDel&) = delete;
  XelMathScaleFunctionXDel& operator=(const XelMathScaleFunctionXDel&) = delete;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionX* Duplicate() const override;
};
