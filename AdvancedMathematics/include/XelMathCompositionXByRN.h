#pragma once
// Composition of a function of N variables with N functions of one variable:
// h(x) = F(g_1(x), ..., g_N(x)). Derivatives by the chain rule up to the third,
//   h'   = sum_j F_j g_j',
//   h''  = sum_jk F_jk g_j' g_k' + sum_j F_j g_j'',
//   h''' = sum_jkl F_jkl g_j' g_k' g_l' + 3 sum_jk F_jk g_j'' g_k' + sum_j F_j g_j''',
// the partial derivatives of F taken at (g_1(x), ..., g_N(x)). Interval images evaluate the
// g_j over the interval into a box and apply the same formulas with F's images over the box.
//
// N comes from F. The work arrays (values, derivatives, Hessian, box) are allocated with the
// object, so evaluations do not allocate; they are changed by const evaluations, so one
// object serves one thread at a time. F and the g_j are not owned
// (XelMathCompositionXByRNDel owns them). With a null F or g_j the point evaluations return
// XelMathInfinite, the interval images [0, 0] and IsOption false.
#include "XelMathFunctionX.h"
#include "XelMathIntervalND.h"

class XelMathFunctionRN;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCompositionXByRN : public XelMathFunctionX {
public:
  /// F(g[0](x), ..., g[N-1](x)); N = 0 for a null F.
  XelMathCompositionXByRN(const XelMathFunctionRN* iF, const XelMathFunctionX** iG);
  XelMathCompositionXByRN(const XelMathCompositionXByRN&) = delete;
  XelMathCompositionXByRN& operator=(const XelMathCompositionXByRN&) = delete;
  ~XelMathCompositionXByRN() override;

  long GetDynamicMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 90.
  unsigned char IsATypeOf(const long iType) const override;
  /// False with a null component; otherwise true when F and every g_j answer true for the
  /// bits and the lower orders the chain rule needs.
  unsigned char IsOption(const long iOption) const override;
  /// N + 1 components: F, then g_1..g_N.
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
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathCompositionXByRNDel of deep copies of F and of the g_j.
  XelMathFunctionX* DeepDuplicate() const override;

  /// N, the number of inner functions.
  long GetDimension() const { return _n; }
  const XelMathFunctionRN* GetOuterFunction() const { return _outer; }
  const XelMathFunctionX* GetInnerFunction(const long j) const { return _inner[j]; }

protected:
  /// The point derivatives of order 0..iOrder (at most 3) into oH; false with a null
  /// component.
  bool PointDerivatives(const double x, const int iOrder, double* oH) const;
  /// The interval images of order 0..iOrder (at most 3) into oH; false with a null component.
  bool IntervalDerivatives(const XelMathInterval& iI, const int iOrder, XelMathInterval* oH) const;
  bool HasNullComponent() const;

  long _n;
  const XelMathFunctionRN* _outer;
  const XelMathFunctionX** _inner;
  // Work arrays: for each j the value and first to third derivatives of g_j (4N), the
  // gradient of F (N), its Hessian (N x N), and the interval images of g_j' to g_j''' (6N).
  double* _work;
  mutable XelMathIntervalND _box;
};

/// The composition owning F and the g_j (each deleted once). Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathCompositionXByRNDel : public XelMathCompositionXByRN {
public:
  XelMathCompositionXByRNDel(XelMathFunctionRN* iF, XelMathFunctionX** iG);
  ~XelMathCompositionXByRNDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionX* Duplicate() const override;
};
