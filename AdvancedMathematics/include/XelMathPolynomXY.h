#pragma once
// Polynomial of two variables written about a shift point (sx, sy):
//
//   P(x, y) = sum_{i <= dx} sum_{j <= dy} a_ij (x - sx)^i (y - sy)^j
//
// The coefficients are stored row by row by power of x: a_ij at i * (dy + 1) + j, in an array
// of the kernel's memory services owned by the object. Point evaluation (value and every
// partial derivative up to the third order) runs nested Horner schemes, x outer and y inner,
// over that array and never allocates. Grids evaluate each row polynomial in y once per
// ordinate. Interval images use sign-aware interval Horner schemes (the row polynomials are
// bounded over the y-interval, then an interval Horner scheme runs in x), and the guaranteed
// image of a box (ComputeOptimalImage) bounds the expansion of the polynomial in the
// Chebyshev basis of the box, intersected with the interval Horner image.
//
// Sums and combinations of polynomials with different shift points are expressed about the
// first operand's shift point: two shift points are the same when both coordinates differ by
// no more than the default tolerance's length resolution; otherwise a copy of the other
// operand is re-expanded by ApplyFormalShiftOnVariable.
//
// Degrees are at least 0; a negative degree, or degrees whose coefficients the memory
// services cannot hold, raise XelMathInputError 0x20006 ("the degree", "Dimension not
// valid", the operation) before anything is allocated. Objects returned by pointer belong to
// the caller; null polynomial operands of the free algebra are reported (XelQuornull) and
// give null.
#include <cstddef>

#include "XelMathFunctionXY.h"

class XelMathPolynomX;

class XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY : public XelMathFunctionXY {
public:
  /// Coefficients iCoefficients[i][j] = a_ij (zero polynomial when null).
  XelMathPolynomXY(const long iDegreeX, const long iDegreeY, double** iCoefficients,
                   const double iShiftX = 0.0, const double iShiftY = 0.0);
  /// Coefficients from the flat row-major array (a_ij at i * (dy + 1) + j; zero when null).
  XelMathPolynomXY(const long iDegreeX, const long iDegreeY, const double* iFlat,
                   const double iShiftX = 0.0, const double iShiftY = 0.0);
  /// The zero polynomial of the given degrees.
  XelMathPolynomXY(const long iDegreeX, const long iDegreeY, std::nullptr_t,
                   const double iShiftX = 0.0, const double iShiftY = 0.0);
  XelMathPolynomXY(const XelMathPolynomXY& iOther);
  XelMathPolynomXY& operator=(const XelMathPolynomXY& iOther);
  ~XelMathPolynomXY() override;

  // ---- memory, names, options ----------------------------------------------------------------
  /// 8 (dx + 1)(dy + 1).
  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True exactly when iOption has no bit outside 2, 4, 8, 16, 32 and 64.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// Stream tag 101.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  // ---- access ----------------------------------------------------------------------------------
  long GetDegreeX() const { return _degreeX; }
  long GetDegreeY() const { return _degreeY; }
  double GetShiftX() const { return _shiftX; }
  double GetShiftY() const { return _shiftY; }
  /// The flat row-major array of the (dx + 1)(dy + 1) coefficients.
  const double* GetCoefficients() const { return _coefficients; }
  /// a_ij (0 outside the degrees).
  double GetCoefficient(const long i, const long j) const {
    return (i >= 0 && i <= _degreeX && j >= 0 && j <= _degreeY)
               ? _coefficients[i * (_degreeY + 1) + j]
               : 0.0;
  }
  /// New degrees and coefficients (iCoefficients[i][j] = a_ij; zero when null); shifts kept.
  void SetCoefficients(const long iDegreeX, const long iDegreeY, double** iCoefficients);
  /// New degrees and coefficients from a flat row-major array (zero when null); shifts kept.
  void SetCoefficients(const long iDegreeX, const long iDegreeY, const double* iFlat);
  /// The shift values alone: the coefficients stay, so the function moves.
  void SetShiftX(const double iShiftX) { _shiftX = iShiftX; }
  void SetShiftY(const double iShiftY) { _shiftY = iShiftY; }
  void SetShiftXY(const double iShiftX, const double iShiftY) {
    _shiftX = iShiftX;
    _shiftY = iShiftY;
  }

  // ---- changes of variable ---------------------------------------------------------------------
  /// Re-expands the coefficients about (0, 0) and sets both shifts to 0 (same function).
  void CancelShifts();
  /// The coefficients become those of P(u + iDX, v + iDY) in the same variables u = x - sx,
  /// v = y - sy; the shifts are not changed.
  void ApplyFormalShiftOnVariable(const double iDX, const double iDY);
  /// The polynomial becomes Q(X, Y) = P(iSX X, iSY Y): a_ij <- a_ij iSX^i iSY^j and
  /// s <- s / iS. A factor not above the default tolerance's length resolution in magnitude
  /// first re-expands its variable about 0 (its shift becomes 0), so that values are kept.
  void ApplyScalingOnVariables(const double iSX, const double iSY);

  // ---- point evaluations -----------------------------------------------------------------------
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
  /// Mask 1 the value, 2 EvalFirstDeriv, 3 EvalAndFirstDeriv, 4 to 7
  /// EvalAndFirstAndSecondDeriv; only the requested outputs are written.
  void Eval(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
            double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;
  /// fx and fy in one pass.
  void EvalFirstDeriv(const double& x, const double& y, double& oFx, double& oFy) const;
  /// f, fx and fy in one pass.
  void EvalAndFirstDeriv(const double& x, const double& y, double& oF, double& oFx,
                         double& oFy) const;
  /// f and every derivative up to the second order in one pass.
  void EvalAndFirstAndSecondDeriv(const double& x, const double& y, double& oF, double& oFx,
                                  double& oFy, double& oFxx, double& oFxy, double& oFyy) const;
  /// f, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy into oD[0..9] in one pass.
  void HornerSchemeUpToThird(const double& x, const double& y, double* oD) const;

  // ---- grids -----------------------------------------------------------------------------------
  /// Regular grid of the box: GridEval, GridEvalFirstDeriv, GridEvalAndFirstDeriv or
  /// GridEvalAndFirstAndSecondDeriv by the mask (1, 2, 3, 4 to 7).
  void Eval(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff, double* oF,
            double* oFx, double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;
  void EvalGrid(const long iNX, const double* iX, const long iNY, const double* iY,
                const long iDiff, double* oF, double* oFx, double* oFy) const override;
  /// The iNX x iNY nodes u_k = iUStart + k iUStep (the last one iUEnd), v alike, in the
  /// shifted variables; node (k, l) at k * iNY + l. Null outputs are skipped.
  void GridEval(const double iUStart, const double iUEnd, const double iUStep, const long iNX,
                const double iVStart, const double iVEnd, const double iVStep, const long iNY,
                double* oF) const;
  void GridEvalFirstDeriv(const double iUStart, const double iUEnd, const double iUStep,
                          const long iNX, const double iVStart, const double iVEnd,
                          const double iVStep, const long iNY, double* oFx, double* oFy) const;
  void GridEvalAndFirstDeriv(const double iUStart, const double iUEnd, const double iUStep,
                             const long iNX, const double iVStart, const double iVEnd,
                             const double iVStep, const long iNY, double* oF, double* oFx,
                             double* oFy) const;
  void GridEvalAndFirstAndSecondDeriv(const double iUStart, const double iUEnd, const double iUStep,
                                      const long iNX, const double iVStart, const double iVEnd,
                                      const double iVStep, const long iNY, double* oF, double* oFx,
                                      double* oFy, double* oFxx, double* oFxy, double* oFyy) const;

  // ---- interval evaluations --------------------------------------------------------------------
  /// Sign-aware interval Horner image of iI x iJ.
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
  /// Value (16) through EvalAndFirstDeriv when first derivatives are asked too, second
  /// derivatives (64) through EvalAndFirstAndSecondDeriv.
  void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
            XelMathInterval* oFxy, XelMathInterval* oFyy, const XelTolerance& iTol) const override;
  /// Images of fx and fy, and of f (null outputs skipped): the corner values when fx and fy
  /// have constant signs on the box, else the interval Horner image.
  void EvalAndFirstDeriv(const XelMathInterval& iI, const XelMathInterval& iJ, XelMathInterval* oF,
                         XelMathInterval* oFx, XelMathInterval* oFy) const;
  /// The same with the images of fxx, fxy and fyy.
  void EvalAndFirstAndSecondDeriv(const XelMathInterval& iI, const XelMathInterval& iJ,
                                  XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy,
                                  XelMathInterval* oFxx, XelMathInterval* oFxy,
                                  XelMathInterval* oFyy) const;
  /// Image of the derivative of orders (iOrderX, iOrderY) over the shifted box iU x iV by
  /// the scheme of the x-interval: straddling 0 (Sym), non-negative (Pos), non-positive (Neg).
  XelMathInterval EvalIntervalSymX(const XelMathInterval& iU, const XelMathInterval& iV,
                                   const long iOrderX = 0, const long iOrderY = 0) const;
  XelMathInterval EvalIntervalPosX(const XelMathInterval& iU, const XelMathInterval& iV,
                                   const long iOrderX = 0, const long iOrderY = 0) const;
  XelMathInterval EvalIntervalNegX(const XelMathInterval& iU, const XelMathInterval& iV,
                                   const long iOrderX = 0, const long iOrderY = 0) const;
  /// Image over the shifted iV of row iRow (the coefficient of u^iRow) of the derivative of
  /// orders (iOrderX, iOrderY): iV non-negative (Pos), non-positive (Neg), straddling 0 (Sym,
  /// even and odd powers bounded as polynomials in v^2).
  XelMathInterval SubEvalPos(const long iRow, const XelMathInterval& iV, const long iOrderX = 0,
                             const long iOrderY = 0) const;
  XelMathInterval SubEvalNeg(const long iRow, const XelMathInterval& iV, const long iOrderX = 0,
                             const long iOrderY = 0) const;
  XelMathInterval SubEvalSym(const long iRow, const XelMathInterval& iV, const long iOrderX = 0,
                             const long iOrderY = 0) const;
  /// Chebyshev image (degrees below 16) intersected with the interval Horner image; higher
  /// degrees through the general algorithm. A scale option filed for this polynomial must be
  /// one function over two variables (0x20006 otherwise).
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance& iTol) const override;
  /// [c_00 - S, c_00 + S] from the Chebyshev coefficients c_kl of the polynomial on the box,
  /// S = sum of |c_kl| for (k, l) != (0, 0), widened by the rounding of the re-expansion.
  /// Degrees up to 15.
  virtual XelMathInterval ComputeImageByChebychev(const XelMathInterval& iI,
                                                  const XelMathInterval& iJ,
                                                  const XelTolerance& iTol) const;

  // ---- derived functions, copies ---------------------------------------------------------------
  /// Polynomials of degrees (dx - 1, dy) and (dx, dy - 1) with the same shifts (the zero
  /// polynomial of degrees (0, 0) and zero shifts for a degree 0).
  XelMathFunctionXY* CreateDerivX() const override;
  XelMathFunctionXY* CreateDerivY() const override;
  /// XelMathPolynomX in y (shift sy) and in x (shift sx).
  XelMathFunctionX* CreateIsoparX(const double iX0) const override;
  XelMathFunctionX* CreateIsoparY(const double iY0) const override;
  XelMathFunctionXY* Duplicate() const override;
  XelMathFunctionXY* DeepDuplicate() const override;
  /// sum c[k] f[k] + c0 about f[0]'s shift point when every f[k] is a XelMathPolynomXY, else
  /// null.
  XelMathFunctionXY* FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                       const double* iC, const double iC0) const override;
  /// This polynomial becomes iP(x) iQ(y), degrees (deg iP, deg iQ), shifts of iP and iQ.
  virtual void ProductXXtoXY(const XelMathPolynomX* iP, const XelMathPolynomX* iQ);

  // ---- class-wide Chebyshev table ---------------------------------------------------------------
  /// Entry [k * 16 + n]: the coefficient of T_k in the expansion of x^n (0 for k > n).
  static double _InverseOfChebychevArray[256];
  static unsigned char _ChebychevInitializationDone;
  /// Builds the table once.
  static void InitializeStaticChebychevData();
  /// oMatrix[k * 16 + n] = coefficient of x^k in T_n, n < 16.
  static void InitializeChebychevPolynomials(double* oMatrix);
  /// Inverts iMatrix into the table.
  static void InitializeInverseOfChebychevPolynomials(const double* iMatrix);

private:
  /// Zeroed storage for the degrees, validated first (0x20006 from iWhere).
  static double* NewCoefficients(const long iDegreeX, const long iDegreeY, const char* iWhere);
  /// Releases the current storage and takes iCoefficients for the degrees.
  void Adopt(double* iCoefficients, const long iDegreeX, const long iDegreeY);
  void Release();
  /// Sum over i >= p, j >= q of (i)_p (j)_q a_ij u^(i-p) v^(j-q).
  double EvalPartial(const double u, const double v, const long p, const long q) const;
  /// Image of the derivative (p, q) over the shifted box by the scheme of iU.
  XelMathInterval ImageOfPartial(const XelMathInterval& iU, const XelMathInterval& iV, const long p,
                                 const long q) const;

  int _degreeX;
  int _degreeY;
  double* _coefficients;
  double _shiftX;
  double _shiftY;
};

// ---- free algebra (new polynomials owned by the caller; null operands give null) ---------------
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY* Sum(const XelMathPolynomXY* iP, const double iC);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY* Sum(const XelMathPolynomXY* iP,
                                                    const XelMathPolynomXY* iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY* Product(const XelMathPolynomXY* iP,
                                                        const double iC);
/// a P + b Q.
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY* Combination(const XelMathPolynomXY* iP,
                                                            const XelMathPolynomXY* iQ,
                                                            const double iA, const double iB);
/// a P + b Q + c R.
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY*
Combination(const XelMathPolynomXY* iP, const XelMathPolynomXY* iQ, const XelMathPolynomXY* iR,
            const double iA, const double iB, const double iC);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY& operator+=(XelMathPolynomXY& ioP,
                                                           const XelMathPolynomXY& iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY& operator+=(XelMathPolynomXY& ioP, const double iC);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY& operator-=(XelMathPolynomXY& ioP,
                                                           const XelMathPolynomXY& iQ);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY& operator-=(XelMathPolynomXY& ioP, const double iC);
XELADVANCEDMATHEMATICS_EXPORT XelMathPolynomXY& operator*=(XelMathPolynomXY& ioP, const double iC);
