#pragma once
// Restriction of a two-variable function to a line of constant parameter: with index 0 the
// first variable is fixed, h(t) = f(value, t); with index 1 the second, h(t) = f(t, value).
// The derivatives of h are the partial derivatives of f along the free variable; its
// interval images are f's box images over the degenerate interval [value, value] times the
// interval of t. The object holds a tolerance (returned by XelMathFunctionXFindTolerance).
//
// f is not owned and must outlive the restriction (XelMathFunctionXYToXDel owns it); the
// tolerance must outlive it too. With a null f the point evaluations return XelMathInfinite
// and the interval images [0, 0]. An index other than 0 or 1 raises XelMathInputError 0x20007.
#include "XelMathFunctionX.h"

class XelMathFunctionXY;

class XELADVANCEDMATHEMATICS_EXPORT XelMathFunctionXYToX : public XelMathFunctionX {
public:
  XelMathFunctionXYToX(const XelMathFunctionXY* iF, const double iValue, const long iIndex,
                       const XelTolerance& iTol);
  XelMathFunctionXYToX(const XelMathFunctionXYToX&) = delete;
  XelMathFunctionXYToX& operator=(const XelMathFunctionXYToX&) = delete;
  ~XelMathFunctionXYToX() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 95.
  unsigned char IsATypeOf(const long iType) const override;
  /// f's answer (false with a null f and for bit 128: f has no interval third derivative).
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& t) const override;
  double EvalFirstDeriv(const double& t) const override;
  double EvalSecondDeriv(const double& t) const override;
  double EvalThirdDeriv(const double& t) const override;
  /// One masked evaluation of f.
  void Eval(const double t, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  /// No interval third derivative of f: [0, 0].
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  /// One masked interval evaluation of f.
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathFunctionXYToXDel of a deep copy of f.
  XelMathFunctionX* DeepDuplicate() const override;

  const XelTolerance* GetTolerance() const { return _tolerance; }
  const XelMathFunctionXY* GetFunctionXY() const { return _function; }
  double GetValue() const { return _value; }
  long GetIndex() const { return _index; }

protected:
  const XelMathFunctionXY* _function;
  double _value;
  long _index;
  const XelTolerance* _tolerance;
};

/// The restriction owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathFunctionXYToXDel : public XelMathFunctionXYToX {
public:
  XelMathFunctionXYToXDel(XelMathFunctionXY* iF, const double iValue, const long iIndex,
                          const XelTolerance& iTol);
  ~XelMathFunctionXYToXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionX* Duplicate() const override;
};
