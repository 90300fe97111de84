#pragma once
// Linear combination h(x, y) = c + sum c_k f_k(x, y) of n two-variable functions.
//
// The coefficients and the function pointers are copied into arrays of the object (c_0 ..
// c_{n-1} followed by the constant c). The functions are not owned and must outlive the
// combination; XelMathCombinationXYDel owns them. Derivatives and interval images are the
// same combination of the components' (constant dropped for derivatives). A null component
// makes the point evaluations return XelMathInfinite, the interval images [0, 0] and
// IsOption false.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCombinationXY : public XelMathFunctionXY {
public:
  /// c0 + sum_{k < n} c[k] f[k](x, y); a negative n counts as 0, a null c as zeros; an n that
  /// no array holds raises 0x20006 ("the number of functions", "Dimension not valid").
  XelMathCombinationXY(const long& iN, const XelMathFunctionXY** iF, const double* iC,
                       const double iC0);
  XelMathCombinationXY(const XelMathCombinationXY&) = delete;
  XelMathCombinationXY& operator=(const XelMathCombinationXY&) = delete;
  ~XelMathCombinationXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True when n < 1 or when every component answers true.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  double Eval(const double& x, const double& y) const override;
  double EvalFirstDerivX(const double& x, const double& y) const override;
  double EvalFirstDerivY(const double& x, const double& y) const override;
  double EvalSecondDerivX2(const double& x, const double& y) const override;
  double EvalSecondDerivXY(const double& x, const double& y) const override;
  double EvalSecondDerivY2(const double& x, const double& y) const override;
  double EvalThirdDerivX3(const double& x, const double& y) const override;
  double EvalThirdDerivX2Y(const double& x, const double& y) const override;
  double EvalThirdDerivXY2(const double& x, const double& y) const override;
  double EvalThirdDerivY3(const double& x, const double& y) const override;
  void EvalUpToThirdDeriv(const double& x, const double& y, double& oF, double& oFx, double& oFy,
                          double& oFxx, double& oFxy, double& oFyy, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  void EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  void Eval(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
            double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;

  XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                       const XelTolerance& iTol) const override;
  XelMathInterval EvalFirstDerivX(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalFirstDerivY(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivX2(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivXY(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivY2(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
            XelMathInterval* oFxy, XelMathInterval* oFyy, const XelTolerance& iTol) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathCombinationXYDel holding deep copies of the components.
  XelMathFunctionXY* DeepDuplicate() const override;
  /// The combination of the components' CreateDerivX (CreateDerivY), owned by the new object
  /// (a closed form of the first derivative's class when it has one).
  XelMathFunctionXY* CreateDerivX() const override;
  XelMathFunctionXY* CreateDerivY() const override;

  long GetNumberOfFunctions() const { return _n; }
  /// The n + 1 coefficients c_0..c_{n-1}, c.
  const double* GetCoefficients() const { return _coefficients; }
  const XelMathFunctionXY* const* GetFunctions() const { return _functions; }
  double GetConstant() const { return _coefficients[_n]; }

protected:
  /// Room for n components, filled by the owning variant.
  XelMathCombinationXY(const long iN, const double* iC, const double iC0);
  void Allocate(long iN, const double* iC, const double iC0);
  /// The combination of the components' derivatives along iVariable (0 x, 1 y).
  XelMathFunctionXY* CombinedDerivatives(const long iVariable) const;

  long _n;
  double* _coefficients;
  const XelMathFunctionXY** _functions;
};

/// The combination owning its functions: its destructor deletes them (once each). Copies are
/// deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathCombinationXYDel : public XelMathCombinationXY {
public:
  XelMathCombinationXYDel(const long& iN, XelMathFunctionXY** iF, const double* iC,
                          const double iC0);
  ~XelMathCombinationXYDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionXY* Duplicate() const override;
};
