#pragma once
// Product of two functions: h(x) = f(x) g(x). Derivatives by Leibniz's rule up to the third,
// each factor's value and derivatives fetched in one multi-output call; interval images by
// interval products of the factors' images (the square of the image when f and g are the
// same object).
//
// f and g are not owned and must outlive the product (XelMathProdXDel owns them). With a null
// factor the point evaluations return XelMathInfinite, the interval images [0, 0] and
// IsOption false.
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathProdX : public XelMathFunctionX {
public:
  XelMathProdX(const XelMathFunctionX* iF, const XelMathFunctionX* iG);
  XelMathProdX(const XelMathProdX&) = delete;
  XelMathProdX& operator=(const XelMathProdX&) = delete;
  ~XelMathProdX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// False with a null factor or when o has bit 128; otherwise true when both factors
  /// answer true for the bits and the lower orders that Leibniz's rule needs.
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
  /// Each factor evaluated once per chunk of points.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathProdXDel of deep copies of f and g.
  XelMathFunctionX* DeepDuplicate() const override;

  const XelMathFunctionX* GetFirstFunction() const { return _f; }
  const XelMathFunctionX* GetSecondFunction() const { return _g; }

protected:
  const XelMathFunctionX* _f;
  const XelMathFunctionX* _g;
};

/// The product owning f and g (deleted once when they are the same object). Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathProdXDel : public XelMathProdX {
public:
  XelMathProdXDel(XelMathFunctionX* iF, XelMathFunctionX* iG);
  ~XelMathProdXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionX* Duplicate() const override;
};
