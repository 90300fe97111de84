#pragma once
// Function defined piece by piece over a partition b_0 < b_1 < ... < b_n of the line:
// f(x) = g_i(x - b_i) for the piece i that contains x, each piece's function being evaluated
// in its local coordinate. A value on an inner border b_k belongs to piece k - 1; the first
// and last pieces extend beyond b_0 and b_n (extrapolation).
//
// The piece of a point is found by binary search (by a sequential search from the last
// piece found when the debug switch _PieceWiseX_Dev is on, with the same result). Interval
// images are unions of the pieces' images over the parts of the interval they cover; the
// images of whole pieces (value and first derivative) are cached. IsOption answers are
// cached too. These caches change during const evaluations: one object must not be
// evaluated from two threads at once.
//
// Ownership: XelMathPiecewiseX points to its functions, which the caller keeps alive;
// XelMathPiecewiseXDel owns them (including those added by Extrapol or ChangeFirstFunction,
// and it deletes those that Unextrapol or ChangeFirstFunction remove). The arrays come from
// the kernel's array allocators. Failures: a positive count with null arrays raises
// XelMathInputError 0x20006; a number of pieces (given to the constructor or Extrapol) whose
// arrays no block holds raises 0x20004 ("the number of pieces") before any border is read;
// GetFunction and GetBorder outside the pieces and borders raise 0x20007 ("Wrong Index");
// borders that are NaN or do not increase strictly (given to the constructor,
// ChangeFirstFunction, ChangeLastBorder or Extrapol) raise 0x2000b ("Invalid Domain") and
// leave the object unchanged.
// A null piece function evaluates to XelMathInfinite with the image [0, 0].
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathPiecewiseX : public XelMathFunctionX {
public:
  /// Which interval operation of the pieces an interval evaluation calls.
  enum XelMathCommand : long {
    CommandValue = 1,
    CommandFirstDeriv = 2,
    CommandSecondDeriv = 5,
    CommandThirdDeriv = 9
  };

  /// iN pieces over the iN + 1 borders iB (copied, strictly increasing) with the functions iG
  /// (pointers copied).
  XelMathPiecewiseX(const long iN, const double* iB, const XelMathFunctionX** iG);
  XelMathPiecewiseX(const XelMathPiecewiseX& iOther);
  XelMathPiecewiseX& operator=(const XelMathPiecewiseX& iOther);
  ~XelMathPiecewiseX() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True when every piece's function answers true (answers cached, see above).
  unsigned char IsOption(const long iOption) const override;
  /// The n functions.
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// 0 and 60.
  unsigned char IsATypeOf(const long iType) const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Stream tag 5.
  short GetStreamType() const override;
  /// Writes the tag and the fields, then the components (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  long GetNumberOfPieces() const { return _nbPieces; }
  /// Border b_i; 0x20007 outside 0..n.
  double GetBorder(const long i) const;
  const double* GetBorders() const { return _borders; }
  /// The function of piece i and its domain [b_i, b_{i+1}]; 0x20007 outside 0..n-1.
  void GetFunction(const long i, const XelMathFunctionX*& oG, XelMathInterval& oDomain) const;
  /// The piece that contains x and the local parameter x - b_i.
  void GlobalToLocal(const double& x, long& oPiece, double& oLocal) const;

  /// Piece 0 takes iG and the border b_0 = iX0 (below b_1); its caches are cleared.
  void ChangeFirstFunction(const double iX0, const XelMathFunctionX* iG);
  /// b_n = iB (above b_{n-1}); the caches of the last piece are cleared.
  void ChangeLastBorder(const double iB);
  /// Adds iNbBefore pieces before the first one, starting at the borders iBordersBefore
  /// (increasing, below b_0) with the functions iFunctionsBefore, and iNbAfter pieces after the
  /// last one, ending at the borders iBordersAfter (increasing, above b_n) with the functions
  /// iFunctionsAfter.
  void Extrapol(const long iNbBefore, const double* iBordersBefore,
                const XelMathFunctionX** iFunctionsBefore, const long iNbAfter,
                const double* iBordersAfter, const XelMathFunctionX** iFunctionsAfter);
  /// Removes iNbBefore pieces at the start and iNbAfter at the end (at most all pieces).
  void Unextrapol(const long iNbBefore, const long iNbAfter);

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
  /// One batch per run of consecutive points in the same piece.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  /// Each requested image (bits 16, 32, 64) as its own union over the pieces: the function
  /// and its derivatives jump at the borders, so images cannot be chained by monotonicity.
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;
  /// The union over the pieces covered of their guaranteed images.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;
  /// The union over the pieces covered of their images (iCommand says which).
  XelMathInterval EvalInterval(const XelMathInterval& iI, const XelMathCommand iCommand) const;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathPiecewiseXDel of deep copies of the functions.
  XelMathFunctionX* DeepDuplicate() const override;
  /// A XelMathPiecewiseXDel of the pieces' derivatives, or the general derivative when a
  /// piece has no derivative function.
  XelMathFunctionX* CreateDeriv() const override;
  /// Sum of the pieces' integrals over the parts of iI they cover (iEps shared among them
  /// when absolute).
  double IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                           unsigned char iRelative) const override;
  /// sum c_i f_i + c0 as a new XelMathPiecewiseXDel when every f_i is piecewise on the same
  /// partition (borders equal within the parametric resolution) and the pieces of every
  /// piece index have a closed-form combination (their own FormalCombination); null
  /// otherwise. The result owns all its pieces and refers to nothing of the operands.
  XelMathFunctionX* FormalCombination(const long iN, const XelMathFunctionX** iF, const double* iC,
                                      const double iC0) const override;

protected:
  /// The function of the piece holding x (null when there is none) and the local parameter.
  const XelMathFunctionX* PieceAt(const double x, double& oLocal) const;
  /// Called on a function that leaves the object (replaced or removed); the owning variant
  /// deletes it.
  virtual void ReleaseFunction(const XelMathFunctionX* iG);
  /// Room for iN pieces (arrays not initialised); Desallocate frees them.
  void Allocate(const long iN);
  void Desallocate();
  /// Copies every array and cache of iOther (same number of pieces allocated).
  void CopyFrom(const XelMathPiecewiseX& iOther);
  /// Forgets the cached option answers (the functions changed).
  void ResetOptionCache() const;
  /// Image of one piece over a local interval, for a command.
  XelMathInterval PieceImage(const long i, const XelMathInterval& iLocal,
                             const XelMathCommand iCommand) const;
  /// Image of the whole local domain of piece i, cached for the value and first derivative.
  XelMathInterval WholePieceImage(const long i, const XelMathCommand iCommand) const;

  mutable long _cachedPiece;
  long _nbPieces;
  const XelMathFunctionX** _functions;
  double* _borders;
  double* _images;       // per piece: value image (low, high), first-derivative image
  unsigned char* _flags; // per piece: validity of the two cached images
  mutable long _optionsTrue;
  mutable long _lastOptionFalse;
};

/// A piecewise function that owns and deletes its functions.
class XELADVANCEDMATHEMATICS_EXPORT XelMathPiecewiseXDel : public XelMathPiecewiseX {
public:
  XelMathPiecewiseXDel(const long iN, const double* iB, XelMathFunctionX** iG);
  XelMathPiecewiseXDel(const XelMathPiecewiseXDel&) = delete;
  XelMathPiecewiseXDel& operator=(const XelMathPiecewiseXDel&) = delete;
  ~XelMathPiecewiseXDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;

protected:
  void ReleaseFunction(const XelMathFunctionX* iG) override;
};
