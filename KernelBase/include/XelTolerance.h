#pragma once
// The kernel's tolerance object: one value per role, read by the analyses through
// accessors. A tolerance built with a scale factor S scales its absolute roles (absolute
// resolution, root resolution, lengths, point coincidence) by S; relative roles do not
// change. An invalid tolerance (wrong validity mark, or an error set on it) is reported
// through XelToleranceError and its accessors return 0.
//
// Default values, unscaled model (the roles each algorithm reads are documented there):
//   scale factor 1, absolute resolution 1, relative epsilon 1e-13, root resolution 1e-13,
//   parametric resolution 1e-10, point resolution 1e-10, length resolution 1e-10 (its
//   square 1e-20), bisection width epsilon 1e-13, value unit 1, singular-value and
//   symmetry epsilons 1e-13, squared-zero threshold 1e-26, reference length 1, minimum
//   length 1e-6.
#include "XelKernelBaseExport.h"

class XELKERNELBASE_EXPORT XelTolerance {
public:
  /// A tolerance for a model at scale iScaleFactor (1 for an unscaled model). A scale that
  /// is not a positive finite number raises XelMathInputError 0x20006.
  explicit XelTolerance(double iScaleFactor = 1.0);
  XelTolerance(const XelTolerance&) = default;
  XelTolerance& operator=(const XelTolerance&) = default;
  /// Clears the validity mark, so that a dangling reference reports instead of answering.
  ~XelTolerance();

  double GetScaleFactor() const;
  double GetAbsoluteResolution() const;
  double GetRelativeEpsilon() const;
  double GetRootResolution() const;
  double GetParametricResolution() const;
  double GetPointResolution() const;
  double GetLengthResolution() const;
  double GetSquareLengthResolution() const;
  double GetBisectionEpsilon() const;
  double GetValueUnit() const;
  double GetSingularValueEpsilon() const;
  double GetSymmetryEpsilon() const;
  double GetSquaredZero() const;
  double GetReferenceLength() const;
  double GetMinimumLength() const;

  /// Setters of the unscaled roles. A negative, infinite or NaN value raises
  /// XelMathInputError 0x20006 naming the role; the tolerance keeps its former value.
  void SetRelativeEpsilon(double iValue);
  void SetRootResolution(double iValue);
  void SetParametricResolution(double iValue);
  void SetPointResolution(double iValue);
  void SetLengthResolution(double iValue);
  void SetBisectionEpsilon(double iValue);
  void SetSingularValueEpsilon(double iValue);

  /// True when the object carries the validity mark of a live tolerance.
  bool IsValidMark() const { return _mark == ValidMark; }
  /// Non-zero when the tolerance reports an error (then accessors return 0).
  int GetError() const { return _error; }
  /// Marks the tolerance as being in error (tests use it).
  void SetError(int iError) { _error = iError; }

private:
  double Read(double iValue) const;
  static const unsigned long ValidMark = 0x70CE7A1Bul;
  unsigned long _mark;
  int _error;
  double _scaleFactor;
  double _relativeEpsilon;
  double _rootResolution;
  double _parametricResolution;
  double _pointResolution;
  double _lengthResolution;
  double _bisectionEpsilon;
  double _singularValueEpsilon;
  double _symmetryEpsilon;
  double _squaredZero;
  double _minimumLength;
};

/// The process-wide default tolerance (unscaled model).
XELKERNELBASE_EXPORT const XelTolerance& XelGetDefaultTolerance();

/// Reports an invalid tolerance object (trace error stream, counted); returns.
XELKERNELBASE_EXPORT void XelToleranceError(const XelTolerance* iTolerance);
/// Number of XelToleranceError reports since load.
XELKERNELBASE_EXPORT long XelToleranceErrorCount();
