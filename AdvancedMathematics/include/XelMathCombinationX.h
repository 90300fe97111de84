#pragma once
// Linear combination h(x) = c0 + sum c_i f_i(x) of n one-variable functions.
//
// The coefficients and the function pointers are copied into arrays of the object (the
// coefficients c_1..c_n followed by the constant c0). The functions are not owned and must
// outlive the combination; XelMathCombinationXDel owns them. Derivatives are the same
// combination of the components' derivatives (constant dropped); interval images add the
// components' images scaled by their coefficients. A null component makes the point
// evaluations return XelMathInfinite, the interval images [0, 0] and IsOption false.
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCombinationX : public XelMathFunctionX {
public:
  /// c0 + sum_{i < n} c[i] f[i](x); a negative n counts as 0, an n that no array holds
  /// raises 0x20006 ("the number of functions", "Dimension not valid").
  XelMathCombinationX(const long& iN, const XelMathFunctionX** iF, const double* iC,
                      const double iC0);
  XelMathCombinationX(const XelMathCombinationX&) = delete;
  XelMathCombinationX& operator=(const XelMathCombinationX&) = delete;
  ~XelMathCombinationX() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 50.
  unsigned char IsATypeOf(const long iType) const override;
  /// True when n < 1 or when every component answers true.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// Stream tag 4.
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
  /// Each component evaluated once with the requested outputs.
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  /// Each component evaluated once per chunk of points.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathCombinationXDel holding deep copies of the components.
  XelMathFunctionX* DeepDuplicate() const override;
  /// The combination of the components' CreateDeriv (owned by the new object), or null
  /// when a component is null.
  XelMathFunctionX* CreateDeriv() const override;

  long GetNumberOfFunctions() const { return _n; }
  /// The n + 1 coefficients c_1..c_n, c0.
  const double* GetCoefficients() const { return _coefficients; }
  const XelMathFunctionX* const* GetFunctions() const { return _functions; }
  double GetConstant() const { return _coefficients[_n]; }

protected:
  /// Room for n components, filled by the owning variant.
  XelMathCombinationX(const long iN, const double* iC, const double iC0);
  void Allocate(long iN, const double* iC, const double iC0);

  long _n;
  double* _coefficients;
  const XelMathFunctionX** _functions;
};

/// The combination owning its functions: its destructor deletes them. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathCombinationXDel : public XelMathCombinationX {
public:
  XelMathCombinationXDel(const long& iN, XelMathFunctionX** iF, const double* iC, const double iC0);
  ~XelMathCombinationXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionX* Duplicate() const override;
};
