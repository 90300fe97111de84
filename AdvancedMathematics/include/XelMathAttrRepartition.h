#pragma once
// Option "XelMathAttrRepartition" (exclusive): how points are distributed along a traced or
// sampled curve. A kind code records which constructor built the object and decides which
// getters answer: a getter returns 1 and fills its output when the kind carries that value,
// 0 otherwise (so a default object answers GetSag with 0 although its sag field is set).
//
//   kind 0  ()                                                      defaults only
//   kind 1  (sag)
//   kind 2  (sag, min step, max step)
//   kind 3  (sag, min step, max step, orientation)
//   kind 4  (sag, min step, max step, min-step point, orientation)
//   kind 5  (sag, min step, max step, min-step point, angle, orientation)
//   kind 6  (sag, min step, max step, min-step point, max-step point, angle, orientation)
//   kind 7  (sag, step, array of steps, their count)
//
// Defaults: sag 0.001, minimum step 1e-06, maximum step 0.1, minimum-step point 0.001,
// orientation, angle and maximum-step point 0. The steps of kind 7 are copied and owned.
#include "XelMathAttribute.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrRepartition : public XelMathAttribute {
public:
  XelMathAttrRepartition();
  explicit XelMathAttrRepartition(double iSag);
  XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep);
  XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep, long iOrientation);
  XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep, double iMinStepPoint,
                         long iOrientation);
  XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep, double iMinStepPoint,
                         double iAngle, long iOrientation);
  XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep, double iMinStepPoint,
                         double iMaxStepPoint, double iAngle, long iOrientation);
  /// Kind 7: the sag, a step and iNbSteps steps (copied; none when iSteps is null or
  /// iNbSteps is not positive; more than an array holds raise 0x20004, "the number of steps").
  XelMathAttrRepartition(double iSag, double iStep, const double* iSteps, long iNbSteps);
  XelMathAttrRepartition(const XelMathAttrRepartition& iOther);
  XelMathAttrRepartition& operator=(const XelMathAttrRepartition& iOther);
  ~XelMathAttrRepartition() override;

  /// "XelMathAttrRepartition".
  const char* GetType() const override;
  /// True.
  unsigned char IsExclusive() const override;

  /// The constructor kind, 0 to 7.
  long GetKind() const { return _kind; }
  /// Kinds 1 to 7.
  int GetSag(double& oSag) const;
  /// Kinds 2 to 6.
  int GetMinMaxStep(double& oMinStep, double& oMaxStep) const;
  /// Kinds 3 to 6 (oOrientation is set to 0 first whatever the kind).
  int GetOrientation(long& oOrientation) const;
  /// Kinds 4 to 6.
  int GetMinStepPoint(double& oMinStepPoint) const;
  /// Kinds 5 and 6.
  int GetAngle(double& oAngle) const;
  /// Kind 6.
  int GetMaxStepPoint(double& oMaxStepPoint) const;
  /// Kind 7: the step into oStep and the first iNbSteps steps into oSteps (at most as many as
  /// the object holds; oSteps may be null when iNbSteps is 0).
  int GetMinMaxStepVect(double& oStep, double* oSteps, long iNbSteps) const;
  /// Number of steps held (kind 7), 0 otherwise.
  long GetNumberOfSteps() const { return _nbSteps; }
  /// Overwrites the sag and the minimum and maximum steps; the kind does not change.
  void Set(double iSag, double iMinStep, double iMaxStep);

private:
  void Init(long iKind);
  void CopySteps(const double* iSteps, long iNbSteps);
  void FreeSteps();

  long _kind;
  long _orientation;
  double _sag;
  double _angle;
  double _minStep; // also the step of kind 7
  double _maxStep;
  double _minStepPoint;
  double _maxStepPoint;
  long _nbSteps;
  double* _steps;
};
