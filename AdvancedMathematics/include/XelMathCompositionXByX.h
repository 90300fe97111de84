#pragma once
// Composition of two one-variable functions: h(x) = f(g(x)), f the outer and g the inner
// function. Derivatives by the chain rule up to the third, with g's value and derivatives
// fetched in one multi-output call and f's derivatives at g(x) in another:
//   h' = f'(g) g',  h'' = f''(g) g'^2 + f'(g) g'',
//   h''' = f'''(g) g'^3 + 3 f''(g) g' g'' + f'(g) g'''.
// Interval images apply the same formulas in interval arithmetic, f's images being taken
// over g's image of the interval.
//
// f and g are not owned and must outlive the composition (XelMathCompositionXByXDel owns
// them). With a null component the point evaluations return XelMathInfinite, the interval
// images [0, 0] and IsOption false.
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCompositionXByX : public XelMathFunctionX {
public:
  /// f(g(x)).
  XelMathCompositionXByX(const XelMathFunctionX* iF, const XelMathFunctionX* iG);
  XelMathCompositionXByX(const XelMathCompositionXByX&) = delete;
  XelMathCompositionXByX& operator=(const XelMathCompositionXByX&) = delete;
  ~XelMathCompositionXByX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 91.
  unsigned char IsATypeOf(const long iType) const override;
  /// False with a null component or when a third derivative (bit 8 or 128) is asked;
  /// otherwise true when f and g answer true for the bits and the lower orders that the
  /// chain rule needs.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// Stream tag 11.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields, then the components (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  /// g evaluated once with the requested orders, f once at g(x).
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  /// The inner batch, then the outer batch at its values, chunk by chunk.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  /// f's image over g's image.
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathCompositionXByXDel of deep copies of f and g.
  XelMathFunctionX* DeepDuplicate() const override;

  const XelMathFunctionX* GetOuterFunction() const { return _outer; }
  const XelMathFunctionX* GetInnerFunction() const { return _inner; }

protected:
  const XelMathFunctionX* _outer;
  const XelMathFunctionX* _inner;
};

/// The composition owning f and g: its destructor deletes both. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathCompositionXByXDel : public XelMathCompositionXByX {
public:
  XelMathCompositionXByXDel(XelMathFunctionX* iF, XelMathFunctionX* iG);
  ~XelMathCompositionXByXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionX* Duplicate() const override;
};
