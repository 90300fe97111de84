#pragma once
// A function that remembers its last evaluations: one cache each for the value at a point,
// the first derivative at a point, the image of an interval and the first-derivative image
// of an interval. Solvers that come back to the same point or interval then do not evaluate
// an expensive function again. Higher derivatives are not cached.
//
// The caches change inside const evaluations: one object serves one thread at a time. f is
// not owned (XelMathSingleMemoryXDel owns it). With a null f the point evaluations return
// XelMathInfinite and the interval images [0, 0].
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathSingleMemoryX : public XelMathFunctionX {
public:
  /// Fills every cache from one evaluation of f's value and first derivative at x0 (the
  /// interval caches with [x0, x0] and the degenerate images).
  XelMathSingleMemoryX(const XelMathFunctionX* iF, const double x0);
  /// Shares f and copies the caches.
  XelMathSingleMemoryX(const XelMathSingleMemoryX& iOther);
  XelMathSingleMemoryX& operator=(const XelMathSingleMemoryX&) = delete;
  ~XelMathSingleMemoryX() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 70.
  unsigned char IsATypeOf(const long iType) const override;
  /// Forwarded to f (false with a null f).
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// Stream tag 8.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields, then the component (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  /// Value and first derivative from the caches when x matches; f is asked only for what
  /// is missing, and the caches are refreshed.
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  /// Images of the value and first derivative from the caches when iI matches.
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathSingleMemoryXDel of a deep copy of f, with the same caches.
  XelMathFunctionX* DeepDuplicate() const override;

  const XelMathFunctionX* GetFunctionX() const { return _function; }

protected:
  /// Copies the four caches of iOther.
  void CopyCaches(const XelMathSingleMemoryX& iOther);

  const XelMathFunctionX* _function;
  mutable double _valuePoint;
  mutable double _value;
  mutable double _derivPoint;
  mutable double _deriv;
  mutable XelMathInterval _valueInterval;
  mutable XelMathInterval _valueImage;
  mutable XelMathInterval _derivInterval;
  mutable XelMathInterval _derivImage;
};

/// The memory owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathSingleMemoryXDel : public XelMathSingleMemoryX {
public:
  XelMathSingleMemoryXDel(XelMathFunctionX* iF, const double x0);
  XelMathSingleMemoryXDel(const XelMathSingleMemoryXDel&) = delete;
  ~XelMathSingleMemoryXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionX* Duplicate() const override;
};
