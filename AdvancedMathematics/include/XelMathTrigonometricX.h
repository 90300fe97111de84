#pragma once
// Shifted cosine wave f(x) = A cos(w x - phi) + C.
//
// Derivatives are exact at a point and over an interval: the interval image is the interval
// cosine (or sine) of the phase interval [w low - phi, w high - phi], scaled and shifted, so
// it is exact up to rounding and stays valid far from the origin. Roots come in closed form
// (Solve), the integral too; sums of waves of one frequency combine into one wave.
//
// Interval images cost one sincos per end of the phase interval, shared by the value and all
// derivative images: the object keeps the end values and the images over the last phase
// interval, so that the images of one interval asked one after the other (value, then
// derivatives, as the root finder does) cost one sincos per end in all. That memo is
// updated during const evaluations: one object must not be evaluated from two threads at once.
//
// The tolerance given at construction is kept by reference (not copied, not owned) and must
// outlive the function; it is the tolerance the analyses find for this function. Evaluation
// never raises.
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathTrigonometricX : public XelMathFunctionX {
public:
  /// a cos(w x) + b sin(w x) + c, stored as A = sqrt(a^2 + b^2), phi = atan2(b, a), w, C = c
  /// (A = phi = 0 when a = b = 0). A negative w is stored as -w with phi negated.
  XelMathTrigonometricX(const double a, const double b, const double c, const double w,
                        const XelTolerance& iTol);
  /// A, phi, w, C taken from iP[0..3] as they are.
  XelMathTrigonometricX(const double* iP, const XelTolerance& iTol);
  XelMathTrigonometricX(const XelMathTrigonometricX& iOther) = default;
  XelMathTrigonometricX& operator=(const XelMathTrigonometricX& iOther) = default;
  ~XelMathTrigonometricX() override;
  /// The object, its memo of the last phase interval included.
  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True exactly when no bit outside 2, 4, 16, 32 and 64 is set.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// 0 and 30.
  unsigned char IsATypeOf(const long iType) const override;
  /// Stream tag 2.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  double GetAmplitude() const { return _amplitude; }
  double GetPhase() const { return _phase; }
  double GetPulsation() const { return _pulsation; }
  double GetConstant() const { return _constant; }
  /// The tolerance given at construction.
  const XelTolerance* GetTolerance() const { return _tolerance; }

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  /// One sine and cosine for all outputs.
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  /// A batch of abscissas: one call, the point operation's expressions in a loop.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  /// One phase interval for all outputs.
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;
  /// The exact image Eval(iI).
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;

  XelMathFunctionX* Duplicate() const override;
  XelMathFunctionX* DeepDuplicate() const override;
  /// Every root in iDomain in closed form, in increasing order. Reads the options
  /// "XelMathAttrTolObject", "AbsoluteTolerance", "EpsilonRoot" and "XelMathAttrScaleOption"
  /// as the general root finder does. Status 0, 1 (null function) or 4 (empty domain).
  int Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
            const XelMathAttrList* iAttributes = nullptr) const override;
  /// (A / w) (sin(w b - phi) - sin(w a - phi)) + C (b - a), exact (iEps is not used).
  double IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                           unsigned char iRelative) const override;
  /// A w cos(w x - phi + pi/2): a new trigonometric function with the same tolerance.
  XelMathFunctionX* CreateDeriv() const override;
  /// sum c_i f_i + c0 as one wave when every f_i is trigonometric of the same pulsation,
  /// else null.
  XelMathFunctionX* FormalCombination(const long iN, const XelMathFunctionX** iF, const double* iC,
                                      const double iC0) const override;

private:
  /// Images of cos and sin over the phase interval of iI (each only when its pointer is not
  /// null), from one sincos per end, kept for the next call on the same phase interval.
  void PhaseImages(const XelMathInterval& iI, XelMathInterval* oCos, XelMathInterval* oSin) const;

  double _amplitude; // A
  double _phase;     // phi
  double _pulsation; // w
  double _constant;  // C
  const XelTolerance* _tolerance;

  /// Memo of the last phase interval: the sine and cosine of its ends (when computed) and the
  /// images of cos and sin over it found so far.
  struct PhaseValues {
    double low, high;
    double sLow, cLow, sHigh, cHigh;
    XelMathInterval cos, sin;
    bool hasEnds, hasCos, hasSin;
  };
  mutable PhaseValues _phaseMemo;
};
