#pragma once
// Composition of a two-variable function with two one-variable functions:
// h(t) = f(u(t), v(t)). Derivatives up to the third order follow the chain rule on the exact
// derivatives of f, u and v; the interval image of t's interval is f's box image of the
// images of u and v (guaranteed images of the components when they offer none of their own),
// the interval derivatives the chain rule in interval arithmetic.
//
// f, u and v are not owned and must outlive the composition (XelMathCompositionXByXYDel owns
// them); the tolerance must outlive it too. With a null component the point evaluations
// return XelMathInfinite and the interval images [0, 0].
#include "XelMathFunctionX.h"

class XelMathFunctionXY;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCompositionXByXY : public XelMathFunctionX {
public:
  XelMathCompositionXByXY(const XelMathFunctionXY* iF, const XelMathFunctionX* iU,
                          const XelMathFunctionX* iV, const XelTolerance& iTol);
  XelMathCompositionXByXY(const XelMathCompositionXByXY&) = delete;
  XelMathCompositionXByXY& operator=(const XelMathCompositionXByXY&) = delete;
  ~XelMathCompositionXByXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 92.
  unsigned char IsATypeOf(const long iType) const override;
  /// True when f, u and v are given and each offers what the chain rule needs for iOption
  /// (false for bit 128).
  unsigned char IsOption(const long iOption) const override;
  /// f, u, v.
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// Stream tag 9.
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
  double Eval(const double& t) const override;
  double EvalFirstDeriv(const double& t) const override;
  double EvalSecondDeriv(const double& t) const override;
  double EvalThirdDeriv(const double& t) const override;
  /// One evaluation of each component.
  void Eval(const double t, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  /// [0, 0] unless IsOption(32) (resp. 64) holds.
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  /// No interval third derivative of f: [0, 0].
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathCompositionXByXYDel of deep copies of f, u and v (u = v copied once).
  XelMathFunctionX* DeepDuplicate() const override;

  const XelTolerance* GetTolerance() const { return _tolerance; }
  const XelMathFunctionXY* GetFunctionXY() const { return _function; }
  const XelMathFunctionX* GetU() const { return _u; }
  const XelMathFunctionX* GetV() const { return _v; }

protected:
  const XelMathFunctionXY* _function;
  const XelMathFunctionX* _u;
  const XelMathFunctionX* _v;
  const XelTolerance* _tolerance;
};

/// The composition owning f, u and v (u and v deleted once when they are one object).
class XELADVANCEDMATHEMATICS_EXPORT XelMathCompositionXByXYDel : public XelMathCompositionXByXY {
public:
  XelMathCompositionXByXYDel(XelMathFunctionXY* iF, XelMathFunctionX* iU, XelMathFunctionX* iV,
                             const XelTolerance& iTol);
  ~XelMathCompositionXByXYDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionX* Duplicate() const override;
};
