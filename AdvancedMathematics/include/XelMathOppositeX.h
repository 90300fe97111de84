#pragma once
// Opposite of a function: h(x) = -f(x). Every value, derivative and interval image of f is
// negated (intervals as [-high, -low]). The maxima of f are the minima of its opposite;
// Maximize of any function runs the minimizer on one.
//
// f is not owned and must outlive the opposite (XelMathOppositeXDel owns it). With a null f
// the point evaluations return XelMathInfinite and the interval images [0, 0].
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathOppositeX : public XelMathFunctionX {
public:
  explicit XelMathOppositeX(const XelMathFunctionX* iF);
  XelMathOppositeX(const XelMathOppositeX&) = delete;
  XelMathOppositeX& operator=(const XelMathOppositeX&) = delete;
  ~XelMathOppositeX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 94.
  unsigned char IsATypeOf(const long iType) const override;
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
  /// The function's batch, negated.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathOppositeXDel of a deep copy of f.
  XelMathFunctionX* DeepDuplicate() const override;

  /// The roots of f (f's Solve with the same arguments); status 1 and an empty set with a
  /// null f.
  int Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
            const XelMathAttrList* iAttributes = nullptr) const override;
  /// The maxima of -f are the minima of f: f's Minimize over iDomain into oMaxima, with the
  /// attribute "LimitValue" (when the list holds one) negated for the call and restored
  /// after it. Status 4 and an empty set with a null f.
  int Maximize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMaxima,
               const XelMathAttrList* iAttributes = nullptr) const override;

  const XelMathFunctionX* GetFunction() const { return _function; }

protected:
  const XelMathFunctionX* _function;
};

/// The opposite owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathOppositeXDel : public XelMathOppositeX {
public:
  explicit XelMathOppositeXDel(XelMathFunctionX* iF);
  ~XelMathOppositeXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionX* Duplicate() const override;
};
