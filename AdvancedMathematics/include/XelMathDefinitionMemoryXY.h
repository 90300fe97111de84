#pragma once
// A function of two variables with its definition box [minU, minU + widthU] x [minV, minV +
// widthV] and, once asked, the images of its value and of its first derivatives over that
// box. Interval evaluations of exactly that box return the stored images (computed on the
// first request, the value image with the tolerance given at construction); any other box
// and every point evaluation go to f.
//
// The stored images change inside const evaluations: one object serves one thread at a time.
// f is not owned (XelMathDefinitionMemoryXYDel owns it). With a null f the point evaluations
// return XelMathInfinite and the interval images [0, 0]. The tolerance is kept by reference.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathDefinitionMemoryXY : public XelMathFunctionXY {
public:
  /// No function; box [0, 1] x [0, 1].
  explicit XelMathDefinitionMemoryXY(const XelTolerance& iTol);
  XelMathDefinitionMemoryXY(const XelMathFunctionXY* iF, const XelMathInterval& iI,
                            const XelMathInterval& iJ, const XelTolerance& iTol);
  XelMathDefinitionMemoryXY(const XelMathDefinitionMemoryXY&) = delete;
  XelMathDefinitionMemoryXY& operator=(const XelMathDefinitionMemoryXY&) = delete;
  ~XelMathDefinitionMemoryXY() override;

  /// Stores f and the box iI x iJ and forgets the stored images. On the owning variant the
  /// previous function is deleted and the new one is owned.
  virtual void Set(const XelMathFunctionXY* iF, const XelMathInterval& iI,
                   const XelMathInterval& iJ);

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// Forwarded to f (false with a null f).
  unsigned char IsOption(const long iOption) const override;
  /// f (1).
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
  void Eval(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff, double* oF,
            double* oFx, double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;
  void EvalGrid(const long iNX, const double* iX, const long iNY, const double* iY,
                const long iDiff, double* oF, double* oFx, double* oFy) const override;

  /// The stored image when iI x iJ is the definition box, f's otherwise.
  XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                       const XelTolerance& iTol) const override;
  /// The stored first-derivative images on the definition box, f's otherwise.
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
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance& iTol) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathDefinitionMemoryXYDel of a deep copy of f with the same box and stored images.
  XelMathFunctionXY* DeepDuplicate() const override;

  double GetMinParamU() const { return _minU; }
  double GetWidthU() const { return _widthU; }
  double GetMinParamV() const { return _minV; }
  double GetWidthV() const { return _widthV; }
  const XelMathFunctionXY* GetFunctionXY() const { return _function; }
  /// The tolerance given at construction.
  const XelTolerance* GetTolerance() const { return _tolerance; }

protected:
  /// Copies the box and the stored images of iOther.
  void CopyDefinition(const XelMathDefinitionMemoryXY& iOther);
  bool IsDefinitionBox(const XelMathInterval& iI, const XelMathInterval& iJ) const {
    return iI.low == _minU && iI.high == _maxU && iJ.low == _minV && iJ.high == _maxV;
  }
  /// The image over the definition box, computed on the first call.
  const XelMathInterval& StoredImage() const;
  /// The first-derivative images over the definition box, computed on the first call.
  void StoreDerivativeImages() const;

  const XelMathFunctionXY* _function;
  const XelTolerance* _tolerance;
  double _minU;
  double _widthU;
  double _minV;
  double _widthV;
  // The upper ends as given (min + width may differ from them in the last bit).
  double _maxU;
  double _maxV;
  mutable bool _hasImage;
  mutable bool _hasDerivImages;
  mutable XelMathInterval _image;
  mutable XelMathInterval _derivImageX;
  mutable XelMathInterval _derivImageY;
};

/// The definition memory owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathDefinitionMemoryXYDel
    : public XelMathDefinitionMemoryXY {
public:
  explicit XelMathDefinitionMemoryXYDel(const XelTolerance& iTol);
  XelMathDefinitionMemoryXYDel(XelMathFunctionXY* iF, const XelMathInterval& iI,
                               const XelMathInterval& iJ, const XelTolerance& iTol);
  ~XelMathDefinitionMemoryXYDel() override;

  /// Deletes the previous function (unless it is iF) and owns iF.
  void Set(const XelMathFunctionXY* iF, const XelMathInterval& iI,
           const XelMathInterval& iJ) override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionXY* Duplicate() const override;
};
