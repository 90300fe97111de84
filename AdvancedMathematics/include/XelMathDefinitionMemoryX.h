#pragma once
// A function with its definition interval [min, max] and the images of its value and first
// derivative over that interval, computed once. Interval evaluations of exactly that
// interval return the stored images; any other interval and every point evaluation go to f.
//
// f is not owned (XelMathDefinitionMemoryXDel owns it). With a null f the point evaluations
// return XelMathInfinite and the interval images [0, 0].
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathDefinitionMemoryX : public XelMathFunctionX {
public:
  /// No function; interval [0, 1].
  XelMathDefinitionMemoryX();
  XelMathDefinitionMemoryX(const XelMathFunctionX* iF, const XelMathInterval& iI);
  XelMathDefinitionMemoryX(const XelMathDefinitionMemoryX&) = delete;
  XelMathDefinitionMemoryX& operator=(const XelMathDefinitionMemoryX&) = delete;
  ~XelMathDefinitionMemoryX() override;

  /// Stores f and iI and computes f's image and first-derivative image over iI. On the
  /// owning variant the previous function is deleted and the new one is owned.
  virtual void Set(const XelMathFunctionX* iF, const XelMathInterval& iI);

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True for 0 and 80.
  unsigned char IsATypeOf(const long iType) const override;
  /// Forwarded to f (false with a null f).
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

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
  /// The function's batch.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  /// The stored image when iI is the definition interval, f's otherwise.
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  /// The stored first-derivative image when iI is the definition interval, f's otherwise.
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  /// A XelMathDefinitionMemoryXDel of a deep copy of f with the same stored images.
  XelMathFunctionX* DeepDuplicate() const override;

  double GetMinParam() const { return _min; }
  double GetMaxParam() const { return _max; }
  double GetWidth() const { return _max - _min; }
  const XelMathFunctionX* GetFunctionX() const { return _function; }

protected:
  /// Copies the definition and the stored images of iOther onto f.
  void CopyDefinition(const XelMathDefinitionMemoryX& iOther);
  bool IsDefinitionInterval(const XelMathInterval& iI) const {
    return iI.low == _min && iI.high == _max;
  }

  const XelMathFunctionX* _function;
  double _min;
  double _max;
  XelMathInterval _image;
  XelMathInterval _derivImage;
};

/// The definition memory owning f: its destructor deletes f. Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathDefinitionMemoryXDel : public XelMathDefinitionMemoryX {
public:
  XelMathDefinitionMemoryXDel(XelMathFunctionX* iF, const XelMathInterval& iI);
  ~XelMathDefinitionMemoryXDel() override;

  /// Deletes the previous function (unless it is iF) and owns iF.
  void Set(const XelMathFunctionX* iF, const XelMathInterval& iI) override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its function).
  XelMathFunctionX* Duplicate() const override;
};
