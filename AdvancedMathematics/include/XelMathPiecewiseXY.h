#pragma once
// Function of two variables defined patch by patch over a grid: nX pieces in x over the
// breakpoints bx_0 < ... < bx_nX and nY pieces in y over by_0 < ... < by_nY; the patch (i, j)
// covers [bx_i, bx_{i+1}] x [by_j, by_{j+1}] and its function f_ij is stored at i * nY + j
// (x outer, y inner).
//
// f(x, y) = f_ij(x - bx_i + sx_ij, y - by_j + sy_ij) for the patch (i, j) that holds (x, y),
// sx and sy being the start values of the patches (0 when none were given; one value per
// patch, in the order of the functions). The piece of each variable is found apart: a value at
// or below the first inner breakpoint is in the first piece, a value above the last inner
// breakpoint in the last one (the outer patches extend beyond the grid), any other value in the
// piece whose interval, closed on the right, holds it: a value on an inner breakpoint belongs
// to the lower piece. The last pieces found are remembered and tried first (a sequential search
// from them replaces the binary search when the debug switch _PieceWiseXY_Dev is on, with the
// same result). Derivatives are those of the patch function (local parameters have unit speed).
//
// Images over a box are unions over the patches the box meets of the patch images over the
// part of the box each covers (a box straddling a breakpoint takes both sides); each group of
// a masked interval evaluation is its own union, since the function and its derivatives may
// jump across breakpoints.
//
// Extrapol(lowX, highX, lowY, highY) adds a row or column of patches on each side where the new
// bound lies beyond the grid; their functions are first-order Taylor extensions of the outer
// patches across the old outer breakpoints, f(e, y) + (x - e) fx(e, y) beyond an edge x = e
// and the bilinear f + t fx + s fy + t s fxy beyond a corner, so that the function goes on with
// continuous value and gradient and grows only linearly outside the old grid. The object
// creates, owns and deletes these extensions (in both variants).
//
// FormalCombination gives a XelMathPiecewiseXYDel when every operand is piecewise on the same
// grid (breakpoints and start values equal within the parametric resolution) and the patches
// of every index have a closed-form combination (their own FormalCombination); null otherwise.
//
// Ownership: XelMathPiecewiseXY points to its patch functions, which the caller keeps alive;
// XelMathPiecewiseXYDel deletes every one of them (a function given for several patches once).
// The caches change during const evaluations: one object must not be evaluated from two
// threads at once.
// Failures: a negative count, or more patches than can be allocated, raises XelMathInputError
// 0x20006 ("the number of patches", "Dimension not valid"); null arrays with patches raise
// 0x20006 ("the breakpoints or the patches", "null"); breakpoints that are not finite or do not
// increase strictly raise 0x2000b ("Invalid Domain"); all before anything is allocated.
// Extrapol to a bound beyond the grid that is not finite raises 0x2000b and changes nothing.
// GetFunction outside the grid raises 0x20007 ("Wrong Index"). A null patch function
// evaluates to XelMathInfinite with the whole line as image.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathPiecewiseXY : public XelMathFunctionXY {
public:
  /// iNX x iNY patches over the iNX + 1 breakpoints iBreaksX and the iNY + 1 breakpoints
  /// iBreaksY (copied), with the functions iPatches (iNX * iNY pointers, copied) and the
  /// optional start values iStartsX, iStartsY (iNX * iNY values each, copied; null: 0).
  XelMathPiecewiseXY(long iNX, const double* iBreaksX, long iNY, const double* iBreaksY,
                     const XelMathFunctionXY** iPatches, const double* iStartsX,
                     const double* iStartsY);
  XelMathPiecewiseXY(const XelMathPiecewiseXY& iOther);
  XelMathPiecewiseXY& operator=(const XelMathPiecewiseXY& iOther);
  ~XelMathPiecewiseXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True when every patch function answers true (false with a null patch).
  unsigned char IsOption(const long iOption) const override;
  /// The nX * nY patch functions.
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// Stream tag 102.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields, then the components (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  void GetNumberOfPieces(long& oNX, long& oNY) const;
  /// The function of patch (i, j) and its global intervals [bx_i, bx_{i+1}], [by_j, by_{j+1}];
  /// 0x20007 outside the grid.
  void GetFunction(const long i, const long j, const XelMathFunctionXY*& oF, XelMathInterval& oI,
                   XelMathInterval& oJ) const;
  /// The internal arrays (start values null when there are none).
  void GetInternalData(long& oNX, long& oNY, const double*& oBreaksX, const double*& oBreaksY,
                       const double*& oStartsX, const double*& oStartsY,
                       const XelMathFunctionXY* const*& oFunctions) const;
  /// The patch (i, j) that holds (x, y) and the local parameters there.
  void GlobalToLocal(const double& x, const double& y, long& oI, double& oLocalX, long& oJ,
                     double& oLocalY) const;
  /// Extends the grid to [iLowX, iHighX] x [iLowY, iHighY] by first-order extensions of the
  /// outer patches (see above); a bound that is not beyond the grid (or NaN) adds nothing.
  void Extrapol(const double iLowX, const double iHighX, const double iLowY, const double iHighY);

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

  /// The union of the patches' masked interval images of the value (bit 16).
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
  /// Each group asked for as the union of the patches' masked images.
  void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
            XelMathInterval* oFxy, XelMathInterval* oFyy, const XelTolerance& iTol) const override;
  /// The union of the patches' guaranteed images.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance& iTol) const override;

  XelMathFunctionXY* FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                       const double* iC, const double iC0) const override;
  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathPiecewiseXYDel of deep copies of the patch functions.
  XelMathFunctionXY* DeepDuplicate() const override;

protected:
  /// Which operation of the patches a box evaluation calls.
  enum class Command { Value, Optimal, DerivX, DerivY, DerivXX, DerivXY, DerivYY };
  /// The patch function holding (x, y) (null when none) and the local parameters.
  const XelMathFunctionXY* PatchAt(const double x, const double y, double& oLocalX,
                                   double& oLocalY) const;
  /// The union over the patches met by iI x iJ of iCommand on the part each covers.
  XelMathInterval Union(const XelMathInterval& iI, const XelMathInterval& iJ,
                        const Command iCommand, const XelTolerance* iTol) const;
  /// Room for iNX x iNY patches (contents not initialised; no start values); Desallocate.
  void Allocate(const long iNX, const long iNY, const bool iStarts);
  void Desallocate();
  /// Copies every array of iOther (same sizes allocated); owned extensions are duplicated.
  void CopyFrom(const XelMathPiecewiseXY& iOther);
  /// Deletes the extensions created by Extrapol.
  void DeleteOwned();

  mutable long _lastI;
  mutable long _lastJ;
  long _nX;
  long _nY;
  double* _breaksX;
  double* _breaksY;
  double* _startsX;
  double* _startsY;
  const XelMathFunctionXY** _patches;
  unsigned char* _owned; // per patch: 1 for an extension created (and deleted) by this object
};

/// A piecewise function that owns and deletes its patch functions.
class XELADVANCEDMATHEMATICS_EXPORT XelMathPiecewiseXYDel : public XelMathPiecewiseXY {
public:
  XelMathPiecewiseXYDel(long iNX, const double* iBreaksX, long iNY, const double* iBreaksY,
                        XelMathFunctionXY** iPatches, const double* iStartsX,
                        const double* iStartsY);
  XelMathPiecewiseXYDel(const XelMathPiecewiseXYDel&) = delete;
  XelMathPiecewiseXYDel& operator=(const XelMathPiecewiseXYDel&) = delete;
  ~XelMathPiecewiseXYDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy.
  XelMathFunctionXY* Duplicate() const override;
};
