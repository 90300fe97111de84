#pragma once
// Abstract function of N real variables. A concrete class overrides IsA, Eval(x) and
// Duplicate; the base supplies derivatives by centred differences on each coordinate
// (the point is changed in place and restored), multi-output evaluations, interval
// evaluations that return [0, 0], compositions and minimization.
#include "XelMathFunctionGeneral.h"
#include "XelMathInterval.h"

class XelMathFunctionX;
class XelMathFunctionXY;
class XelMathIntervalND;
class XelMathSetOfPointsND;
class XelMathAttrList;
class XelMathNxNFullSymMatrix;

class XELADVANCEDMATHEMATICS_EXPORT XelMathFunctionRN : public XelMathFunctionGeneral {
public:
  explicit XelMathFunctionRN(const long iN);
  ~XelMathFunctionRN() override;

  unsigned char IsAKindOf(const char* iName) const override;
  long GetNumberOfVariables() const override;

  virtual XelMathFunctionRN* Duplicate() const = 0;
  /// Duplicate() by default.
  virtual XelMathFunctionRN* DeepDuplicate() const;
  /// The value at x (N coordinates). x is not changed.
  virtual double Eval(const double* x) const = 0;
  /// df/dx_i by a centred difference with step 1e-6 (x is changed and restored).
  virtual double EvalFirstDeriv(const long& i, const double* x) const;
  virtual double EvalSecondDeriv(const long& i, const long& j, const double* x) const;
  virtual double EvalThirdDeriv(const long& i, const long& j, const long& k, const double* x) const;
  /// Value (bit 1), gradient (bit 2, N values) and Hessian (bit 4, full N x N array).
  virtual void Eval(const double* x, const long iOptions, double* oF, double* oGrad,
                    double* oHessian) const;
  /// The same with the Hessian (bit 4) written into a packed symmetric matrix of size N
  /// through its element setter, in the order i = 0..N-1, j = 0..i (running index). A null
  /// output is skipped.
  virtual void Eval(const double* x, const long iOptions, double* oF, double* oGrad,
                    XelMathNxNFullSymMatrix* oHessian) const;
  virtual XelMathInterval Eval(const XelMathIntervalND& iBox) const;
  virtual XelMathInterval EvalFirstDeriv(const long& i, const XelMathIntervalND& iBox) const;
  virtual XelMathInterval EvalSecondDeriv(const long& i, const long& j,
                                          const XelMathIntervalND& iBox) const;
  virtual XelMathInterval EvalThirdDeriv(const long& i, const long& j, const long& k,
                                         const XelMathIntervalND& iBox) const;
  /// A new composition of this function with the N one-variable functions iG.
  virtual XelMathFunctionX* CreateCompositionX(const XelMathFunctionX** iG) const;
  /// A new two-variable composition of this function with the N two-variable functions iG
  /// (a XelMathCompositionXYByRN with the default tolerance).
  virtual XelMathFunctionXY* CreateCompositionXY(const XelMathFunctionXY** iG) const;
  /// Minima in iBox (the N-variable minimizer); returns its status.
  virtual int Minimize(const XelMathIntervalND& iBox, XelMathSetOfPointsND& oMinima,
                       const XelMathAttrList* iAttributes = nullptr) const;

protected:
  long _n;
};
