#pragma once
// Derivative of a function as a function: h(x) = f'(x), h' = f'', h'' = f'''. Its interval
// images are f's interval derivatives. The third derivative of h (the fourth of f) is a
// centred difference of f''' with step XelMathh3. This is what CreateDeriv returns for a
// function without a closed-form derivative.
//
// f is not owned and must outlive the derivative (XelMathDerivFunctionXDel owns it). With a
// null f the point evaluations return XelMathInfinite and the interval images [0, 0].
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathDerivFunctionX : public XelMathFunctionX {
public:
  explicit XelMathDerivFunctionX(const XelMathFunctionX* iF);
  XelMathDerivFunctionX(const XelMathDerivFunctionX&) = delete;
  XelMathDerivFunctionX& operator=(const XelMathDerivFunctionX&) = delete;
  ~XelMathDerivFunctionX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 93.
  unsigned char IsATypeOf(const long iType) const override;
  /// False with a null f; true for 0; otherwise f's answer for the bits shifted up one
  /// order (false when that leaves a group: bit 8 or 128).
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
  /// The function's batch of first and second derivatives.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  /// No interval information on the fourth derivative of f: [0, 0].
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathDerivFunctionXDel of a deep copy of f.
  XelMathFunctionX* DeepDuplicate() const override;

  const XelMathFunctionX* GetFunction() const { return _function; }

protected:
  const XelMathFunctionX* _function;
};

/// The derivative owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathDerivFunctionXDel : public XelMathDerivFunctionX {
public:
  explicit XelMathDerivFunctionXDel(XelMathFunctionX* iF);
  ~XelMathDerivFunctionXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionX* Duplicate() const override;
};
