#pragma once
// Polynomial of one variable in a shifted monomial basis:
//
//   P(x) = sum_{k=0}^{d} c_k (x - s)^k
//
// with degree d (-1: no polynomial), coefficients c_0..c_d and shift s. Evaluation is exact
// (Horner) for the value and the first three derivatives, at a point, on a grid and over an
// interval (interval Horner kernels chosen by the sign of the shifted interval). The
// guaranteed image of an interval uses monotonicity, then the Chebyshev expansion of the
// polynomial on the interval (degree below 16), then the general algorithm of the base.
//
// Changes of variable either move the shift (Apply...OnVariable, exact and cheap) or
// recompute the coefficients and keep the shift ("formal" operations, Taylor shifts). The
// linear and cubic subclasses evaluate without shift and keep it at 0: on them, every
// operation that would move the shift (changes of variable, SetShift, assignment) rewrites
// the coefficients instead, and ChangeShift does nothing. Shifts
// closer than the default tolerance's parametric resolution are considered equal when
// polynomials are combined (ShiftCheck); otherwise one operand is carried to the other's
// shift by a formal Taylor shift on a copy.
//
// Ownership: the coefficients are owned by the object (capacity > 0) unless a fixed-degree
// subclass keeps them inline (capacity 0). Every polynomial returned by pointer (factories,
// free algebra, changes of variable applied to copies) is new and belongs to the caller.
// Null arguments of the free functions are reported (XelQuornull) and give null; evaluation
// never raises. A degree whose coefficients the memory services cannot hold (constructor,
// NeedCoeffForDegree, SetCoefficients, the Chebyshev basis conversions) raises 0x20006
// ("the degree", "Dimension not valid", the operation) before anything is allocated.
#include "XelMathFunctionX.h"

class XelTolerance;
class XelMathAttrScaleOption;

class XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX : public XelMathFunctionX {
public:
  /// Degree iDegree (negative: no coefficient), coefficients copied from iCoefficients (zero
  /// when null), shift iShift.
  explicit XelMathPolynomX(const long iDegree = -1, const double* iCoefficients = nullptr,
                           const double iShift = 0.0);
  /// Hermite interpolant on iI of the data at its low end (iLowData) and at its high end
  /// (iHighData): degree 3 takes the value and first derivative at each end, degree 5 the
  /// value, first and second derivatives. The stored shift is 0 when iShiftAtMiddle is 0,
  /// the midpoint of iI otherwise. Any other degree raises 0x20006.
  XelMathPolynomX(const long iDegree, const XelMathInterval& iI, const double* iLowData,
                  const double* iHighData, const unsigned char iShiftAtMiddle);
  XelMathPolynomX(const XelMathPolynomX& iOther);
  XelMathPolynomX& operator=(const XelMathPolynomX& iOther);
  ~XelMathPolynomX() override;

  // ---- memory, names, options ----------------------------------------------------------
  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True exactly when iOption has no bit outside 2..128.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// Stream tag 1.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;
  /// 0 and 10.
  unsigned char IsATypeOf(const long iType) const override;

  // ---- access ------------------------------------------------------------------------------
  long GetDegree() const { return _degree; }
  double GetShift() const { return _shift; }
  /// The polynomial becomes sum c_k (x - iShift)^k (same coefficients, new shift).
  void SetShift(const double iShift) {
    _shift = iShift;
    HoldShift();
  }
  /// Coefficient c_k in the shifted basis (0 outside 0..d).
  double GetCoefficient(const long k) const {
    return (k >= 0 && k <= _degree) ? _coefficients[k] : 0.0;
  }
  /// Sets c_k (0 <= k <= d; ignored otherwise).
  void SetCoefficient(const long k, const double iValue) {
    if (k >= 0 && k <= _degree)
      _coefficients[k] = iValue;
  }
  /// The coefficient array c_0..c_d (null when d < 0); valid until the degree changes.
  const double* GetCoefficientsPointer() const { return _coefficients; }
  /// Ensures room for iDegree + 1 coefficients (entries above the old degree are not
  /// initialised; the degree itself is not changed).
  void NeedCoeffForDegree(const long iDegree);
  /// Degree iDegree and coefficients c_0..c_d copied from iCoefficients (zero when null).
  void SetCoefficients(const long iDegree, const double* iCoefficients);
  /// Copies c_0..c_d (shifted basis) into oCoefficients (room for d + 1).
  void GetCoefficients(double* oCoefficients) const;
  /// Coefficients of the same polynomial with shift 0 into oCoefficients (room for d + 1).
  void GetFormalCoefficients(double* oCoefficients) const;

  // ---- changes of variable in place ---------------------------------------------------------
  /// P(x + b): the shift moves, s <- s - b.
  void ApplyShiftOnVariable(const double b);
  /// P(a x): c_k <- c_k a^k and s <- s / a (for |a| at or below the parametric resolution
  /// the shift is cancelled first, so that values are kept).
  void ApplyScalingOnVariable(const double a);
  /// P(a x + b): scaling by a, then s <- s - b / a.
  void ApplyLinearChangeOnVariable(const double a, const double b);
  /// P(x + b) by a Taylor shift of the coefficients; the shift is unchanged.
  void ApplyFormalShiftOnVariable(const double b);
  /// P(a x + b) with recomputed coefficients; the shift is unchanged.
  void ApplyFormalLinearChangeOnVariable(const double a, const double b);
  /// Rewrites P with shift 0; returns the old shift negated (0 and nothing done when s = 0).
  double CancelShift();
  /// Rewrites P with shift iShift (same values).
  void ChangeShift(const double iShift);

  // ---- changes of variable on a new copy (the caller owns the result) ---------------------
  XelMathPolynomX* ShiftVariable(const double b) const;
  XelMathPolynomX* ScaleVariable(const double a) const;
  XelMathPolynomX* LinearChangeVariable(const double a, const double b) const;
  XelMathPolynomX* FormalShiftVariable(const double b) const;
  XelMathPolynomX* FormalLinearChangeVariable(const double a, const double b) const;

  // ---- point evaluations -------------------------------------------------------------------
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  /// Value, first and second derivatives in one Horner pass.
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  /// Uniform grid of iNbPoints points of iI (last point exactly at the high end); Horner on
  /// four grid points at once.
  void Eval(const XelMathInterval& iI, const long iNbPoints, const long iOptions, double* oF,
            double* oF1, double* oF2) const override;
  /// A batch of abscissas: the point operation's arithmetic, run on eight points at once
  /// (the same values, bit for bit).
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;

  // ---- interval evaluations ------------------------------------------------------------------
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  /// Monotonicity, then the Chebyshev image (degree < 16), then the base algorithm.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;
  /// The image of iI bounded through the Chebyshev expansion of the polynomial on iI:
  /// a_0 -/+ sum_{k>=1} |a_k|.
  XelMathInterval ComputeImageByChebychev(const XelMathInterval& iI) const;

  // ---- copies, analyses, construction ----------------------------------------------------------
  XelMathFunctionX* Duplicate() const override;
  XelMathFunctionX* DeepDuplicate() const override;
  /// Every real root in iDomain (multiple and clustered roots included) into oRoots
  /// (dimension 1), through the root finder's polynomial path. Reads "XelMathAttrTolObject",
  /// "XelMathAttrScaleOption", "AbsoluteTolerance" and "EpsilonRoot". Status 0, 1 (null
  /// polynomial), 4 (empty domain), 7 (degree above 16384: the roots come from a sampling
  /// within a work budget and close ones may be missed).
  int Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
            const XelMathAttrList* iAttributes = nullptr) const override;
  /// Exact integral over iI (iEps is not used).
  double Integrate(const XelMathInterval& iI, double iEps) const override;
  /// Exact integral over iI, whatever the kind of tolerance.
  double IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                           unsigned char iRelative) const override;
  /// The derivative polynomial (degree d - 1, same shift; the zero polynomial of degree 0
  /// for d <= 0).
  XelMathFunctionX* CreateDeriv() const override;
  /// P(g) as a polynomial when g is a polynomial of degree 1, else the general composition.
  XelMathFunctionX* FormalCompositionX(const XelMathFunctionX* iG) const override;
  /// sum c_i f_i + c0 as a new polynomial (with the shift of f[0]) when every f_i is a
  /// polynomial, else null.
  XelMathFunctionX* FormalCombination(const long iN, const XelMathFunctionX** iF, const double* iC,
                                      const double iC0) const override;

  /// 1 when the polynomial is monotone on iI, with oSense +1 (increasing), -1 (decreasing)
  /// or 0 (constant); 0 when monotonicity is not established. Reads a scale option filed
  /// for this polynomial under message 6.
  int IsMonotone(const XelMathInterval& iI, long& oSense, const XelTolerance& iTol) const;

  // ---- Chebyshev basis ------------------------------------------------------------------------
  /// Highest degree of the class-wide table of Chebyshev polynomials.
  static const long ChebychevTableDegree = 15;
  /// Builds once the monomial coefficients of T_0 .. T_15 (T_{n+1} = 2x T_n - T_{n-1}).
  static void InitializeChebychevPolynomials();
  /// Monomial coefficient of x^k in T_n (0 <= k <= n <= 15; 0 otherwise).
  static double GetChebychevCoefficient(const long n, const long k);
  /// Converts sum_{j=0}^{d} iChebyshev[j] T_j(x) into monomial coefficients oCanonical[0..d]
  /// (any d >= 0; the arrays may not overlap).
  static void ChebyshevToCanonical(const long iDegree, const double* iChebyshev,
                                   double* oCanonical);
  /// Converts the monomial coefficients iCanonical[0..d] into Chebyshev coefficients
  /// oChebyshev[0..d] (any d >= 0; the arrays may not overlap).
  static void CanonicalToChebyshev(const long iDegree, const double* iCanonical,
                                   double* oChebyshev);

protected:
  /// For the fixed-degree subclasses: coefficients kept in iInline (not owned), filled by
  /// the subclass.
  XelMathPolynomX(double* iInline, const long iDegree, const double iShift);
  /// Horner value of the stored coefficients at t (= x - s).
  double HornerValue(const double t) const;

  long _degree;
  double* _coefficients;
  long _capacity;
  double _shift;

private:
  void Release();
  /// Whether this is a linear or cubic function, whose shift stays 0.
  bool IsUnshiftedForm() const;
  /// On such a function, rewrites the coefficients at shift 0 (values kept).
  void HoldShift();
  static double ChebychevPolynomials[(ChebychevTableDegree + 1) * (ChebychevTableDegree + 1)];
  static bool ChebychevPolynomialsInitialized;
};

// ---- interval Horner kernels ---------------------------------------------------------------
// T = [a, b] is the shifted interval, c_0..c_d the coefficients. The First-derivative twins
// bound the derivative sum k c_k t^(k-1) from the same coefficients.
/// a >= 0.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval EvalPos(const XelMathInterval& iT, const double* iC,
                                                      const long iD);
/// b <= 0.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval EvalNeg(const XelMathInterval& iT, const double* iC,
                                                      const long iD);
/// a < 0 < b: even and odd parts bounded on [0, max(a^2, b^2)].
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval EvalSym(const XelMathInterval& iT, const double* iC,
                                                      const long iD);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval EvalFirstDerivPos(const XelMathInterval& iT,
                                                                const double* iC, const long iD);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval EvalFirstDerivNeg(const XelMathInterval& iT,
                                                                const double* iC, const long iD);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval EvalFirstDerivSym(const XelMathInterval& iT,
                                                                const double* iC, const long iD);

// ---- free polynomial algebra (new polynomials owned by the caller; null in, null out) -----
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* FirstDeriv(const XelMathPolynomX* iP);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* SecondDeriv(const XelMathPolynomX* iP);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* ThirdDeriv(const XelMathPolynomX* iP);
/// The derivative written into oQ (returned; null when either is null).
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* FirstDeriv(const XelMathPolynomX* iP,
                                                          XelMathPolynomX* oQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* SecondDeriv(const XelMathPolynomX* iP,
                                                           XelMathPolynomX* oQ);
/// The primitive with the shift of P whose value at x = 0 is iC.
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Primitiv(const XelMathPolynomX* iP, const double iC);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Opposite(const XelMathPolynomX* iP);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Sum(const XelMathPolynomX* iP, const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Difference(const XelMathPolynomX* iP,
                                                          const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Difference(const double iA,
                                                          const XelMathPolynomX* iP);
/// P + Q with the shift of the operand of higher degree (P on ties).
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Sum(const XelMathPolynomX* iP,
                                                   const XelMathPolynomX* iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Difference(const XelMathPolynomX* iP,
                                                          const XelMathPolynomX* iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Product(const XelMathPolynomX* iP, const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Product(const XelMathPolynomX* iP,
                                                       const XelMathPolynomX* iQ);
/// P Q written into oR (returned; null when an argument is null). oR may be P or Q.
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX*
Product(const XelMathPolynomX* iP, const XelMathPolynomX* iQ, XelMathPolynomX* oR);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Square(const XelMathPolynomX* iP);
/// P^2 written into oR (returned; null when an argument is null). oR may be P.
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX* Square(const XelMathPolynomX* iP,
                                                      XelMathPolynomX* oR);
/// a P + b Q.
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX*
Combination(const XelMathPolynomX* iP, const XelMathPolynomX* iQ, const double iA, const double iB);
/// a P + b Q + c R.
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX*
Combination(const XelMathPolynomX* iP, const XelMathPolynomX* iQ, const XelMathPolynomX* iR,
            const double iA, const double iB, const double iC);

/// True when |s1 - s2| is within the default tolerance's parametric resolution.
XELADVANCEDMATHEMATICS_EXPORT bool ShiftCheck(const double iS1, const double iS2);
/// Both pairs (s1, s2) and (s3, s4) pass the test above.
XELADVANCEDMATHEMATICS_EXPORT bool ShiftCheck(const double iS1, const double iS2, const double iS3,
                                              const double iS4);
/// Whether P on [a1, b1] and Q on [a2, b2] describe the same curve under the increasing
/// affine map of [a2, b2] onto [a1, b1], coefficients compared within iTol.
XELADVANCEDMATHEMATICS_EXPORT bool IsConjuguate(const XelMathPolynomX* iP, const double iA1,
                                                const double iB1, const XelMathPolynomX* iQ,
                                                const double iA2, const double iB2,
                                                const double iTol);
/// IsMonotone of P with the scale option iOption filed for the duration of the call.
XELADVANCEDMATHEMATICS_EXPORT int IsMonotone(const XelMathPolynomX* iP, const XelMathInterval& iI,
                                             long& oSense, const XelTolerance& iTol,
                                             XelMathAttrScaleOption* iOption);

// ---- operators on values ----------------------------------------------------------------------
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator+(const XelMathPolynomX& iP,
                                                        const XelMathPolynomX& iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator+(const XelMathPolynomX& iP, const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator+(const double iA, const XelMathPolynomX& iP);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator-(const XelMathPolynomX& iP,
                                                        const XelMathPolynomX& iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator-(const XelMathPolynomX& iP, const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator-(const double iA, const XelMathPolynomX& iP);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator-(const XelMathPolynomX& iP);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator*(const XelMathPolynomX& iP,
                                                        const XelMathPolynomX& iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator*(const XelMathPolynomX& iP, const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator*(const double iA, const XelMathPolynomX& iP);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX operator/(const XelMathPolynomX& iP, const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX& operator+=(XelMathPolynomX& ioP,
                                                          const XelMathPolynomX& iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX& operator+=(XelMathPolynomX& ioP, const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX& operator-=(XelMathPolynomX& ioP,
                                                          const XelMathPolynomX& iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX& operator-=(XelMathPolynomX& ioP, const double iA);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX& operator*=(XelMathPolynomX& ioP,
                                                          const XelMathPolynomX& iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomX& operator*=(XelMathPolynomX& ioP, const double iA);
