#pragma once
// A non-linear map of space x -> L(D(R(x))), written as a system of three equations in three
// unknowns so that the system solvers work on it: R (the right transformation) is applied
// first, then the non-linear core D supplied by a derived class, then L (the left
// transformation). Both affine transformations are optional (a missing one is the identity)
// and owned: the constructors and the compositions keep copies.
//
// As a XelMathSystem the equations are the three coordinates of the image, so Solve finds the
// points mapped to the origin; Invert finds the points mapped to any target, InvertNewton
// follows one pre-image from a start point.
//
// Derivative evaluations with a resolution argument replace a point closer than it to the
// singular axis of the core by the nearest guard point, so that they stay finite; the
// forms without one use the point resolution of the tolerance.
//
// Streams: the static Stream writes the short 0 for a null transformation and otherwise
// calls the object's Stream; UnStream reads a deformation of space back (see
// XelMathNonLinearTransfosStr.cpp for the record layout and the checks of the reader).
#include "XelMathSystem.h"
#include "XelQuorStreamVersion.h"

class XelMathInterval;
class XelMathIntervalND;
class XelMathNxNFullMatrix;
class XelMathPlane;
class XelMathSetOfPointsND;
class XelMathStream;
class XelMathTransformation;

class XELADVANCEDMATHEMATICS_EXPORT XelMathNonLinearTransformation : public XelMathSystem {
public:
  /// No left nor right transformation.
  explicit XelMathNonLinearTransformation(const XelTolerance& iTol);
  /// A copy of iLeft as the left transformation.
  XelMathNonLinearTransformation(const XelMathTransformation& iLeft, const XelTolerance& iTol);
  /// Copies of iLeft and iRight as the left and right transformations.
  XelMathNonLinearTransformation(const XelMathTransformation& iLeft,
                                 const XelMathTransformation& iRight, const XelTolerance& iTol);
  ~XelMathNonLinearTransformation() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  using XelMathSystem::Eval;
  using XelMathSystem::EvalJacobian;

  // ---- virtual operations (slot order) ----
  virtual const char* IsA() const = 0;
  /// The stream type of the class (1 to 4 for the deformations of space).
  virtual long GetType() const = 0;
  /// The image of x (three values) into oY, derivatives guarded at iResolution.
  virtual void Eval(const double* x, double* oY, const double iResolution) const = 0;
  /// The 3 x 3 Jacobian of the whole map at x, row-major.
  void EvalJacobian(const double* x, double* oJ) const override = 0;
  virtual void EvalJacobian(const double* x, double* oJ, const double iResolution) const = 0;
  /// The image into oY and, when oJ is not null, the Jacobian into the 3 x 3 matrix oJ.
  virtual void Eval(const double* x, double* oY, XelMathNxNFullMatrix* oJ,
                    const double iResolution) const = 0;
  /// The three intervals of ioBox (iCount must be 3, else 0x20006) replaced by enclosures of
  /// the three coordinates of the image of the box.
  virtual void EvalInterval(XelMathInterval* ioBox, const long iCount,
                            const double iResolution) const = 0;
  /// A copy with copies of the affine transformations.
  virtual XelMathNonLinearTransformation* Duplicate() const = 0;
  virtual long GetNumberOfCoef() const = 0;
  virtual void GetCoef(double* oCoefs) const = 0;
  virtual void SetCoef(const double* iCoefs) = 0;
  /// The half-plane where the angle window is cut, in the caller's coordinates of the space
  /// where the surface lies (the arguments of a folded map, the images of an unfolded one);
  /// the caller deletes it.
  virtual XelMathPlane* GetRipPlane() const = 0;
  /// Raises 0x20009 ("GetStreamType", " ") at this level.
  virtual short GetStreamTransfoType() const;
  /// 0 with the flag 0 at this level.
  virtual unsigned char IsStreamable(const XelQuorStreamVersion iVersion,
                                     unsigned char& oFlag) const;
  /// Writes the record of the object (type, coefficients, right then left transformation).
  virtual void Stream(XelMathStream& ioStream, const char* iLabel,
                      const unsigned char iFlag) const = 0;

  // ---- non-virtual ----
  /// The short 0 for a null iT, else iT's record.
  static void Stream(XelMathStream& ioStream, const XelMathNonLinearTransformation* iT,
                     const char* iLabel, const unsigned char iFlag);
  /// Reads a record written by Stream into oT (null for the short 0, an unknown type or an
  /// invalid coefficient count; damaged data raise 0x20009).
  static void UnStream(XelMathStream& ioStream, XelMathNonLinearTransformation*& oT,
                       const char* iLabel);

  /// L <- iT L (iT applied after everything), or a copy of iT without a left transformation.
  void ComposeLeft(const XelMathTransformation& iT);
  /// R <- R iT (iT applied before everything), or a copy of iT without a right one.
  void ComposeRight(const XelMathTransformation& iT);
  const XelMathTransformation* GetLeftTransformation() const { return _left; }
  const XelMathTransformation* GetRightTransformation() const { return _right; }
  /// Copies of both transformations into ioOther (its own are deleted).
  void DuplicateData(XelMathNonLinearTransformation& ioOther) const;

  /// The Jacobian at x into the 3 x 3 matrix oJ (0x20006 when it is not 3 x 3).
  void EvalJacobian(const double* x, XelMathNxNFullMatrix* oJ) const;
  /// Every point of iDomain (dimension 3) mapped to iTarget, into oPreimages (dimension 3).
  /// The status of XelMathSystem::Solve.
  int Invert(const double* iTarget, const XelMathIntervalND& iDomain,
             XelMathSetOfPointsND& oPreimages, const XelMathAttrList* iAttributes = nullptr) const;
  /// Newton's method from ioX towards a pre-image of iTarget inside iBox: 1 converged (ioX
  /// updated), 0 not.
  int InvertNewton(const double* iTarget, const XelMathIntervalND& iBox, double* ioX) const;
  /// The distance to the singular axis below which derivatives are guarded by default.
  double GetResolution() const;
  const XelTolerance& GetTolerance() const { return *_tolerance; }

protected:
  /// p = R(x) (a copy of x without right transformation).
  void ApplyRight(const double* x, double* oP) const;
  /// oY = L(q) and, when oJ is given, oJ = A_L iJq A_R from the core's Jacobian iJq.
  void Finish(const double* iQ, const double* iJq, double* oY, double* oJ) const;
  /// The box of the core's arguments (R of ioBox), and the final image (L of ioBox).
  void RightImage(XelMathInterval* ioBox) const;
  void LeftImage(XelMathInterval* ioBox) const;
  /// The rip half-plane through iOrigin with the directions iFirst and iSecond, given in the
  /// core's coordinates, carried back through R.
  XelMathPlane* CarryBack(const double* iOrigin, const double* iFirst, const double* iSecond) const;
  /// The same plane given in the core's image coordinates, carried forward through L.
  XelMathPlane* CarryForward(const double* iOrigin, const double* iFirst,
                             const double* iSecond) const;
  /// Writes the right then the left transformation (short 0, or 1 and 12 doubles).
  void StreamAffineParts(XelMathStream& ioStream) const;
  /// Raises 0x20006 unless iCount is 3.
  static void CheckBoxCount(const long iCount);

  XelMathTransformation* _left;
  XelMathTransformation* _right;
  const XelTolerance* _tolerance;
};
