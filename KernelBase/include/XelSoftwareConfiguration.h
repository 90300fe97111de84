#pragma once
// Version levels. Analyses that replay older models are given a configuration; at a
// versioned branch they compare its level with the flag naming that branch: the newer
// behaviour when the level is at least the flag, the older one otherwise.
#include "XelKernelBaseExport.h"

class XELKERNELBASE_EXPORT XelSoftwareConfiguration {
public:
  /// A configuration at the current level (every newer behaviour on).
  XelSoftwareConfiguration();
  explicit XelSoftwareConfiguration(short iLevel);
  short GetLevel() const { return _level; }
  void SetLevel(short iLevel) { _level = iLevel; }
  /// The level of the current release.
  static short CurrentLevel();

private:
  short _level;
};

/// The level of a configuration (the current level for a null one). iCaller names the
/// asking operation and is used for tracing only.
XELKERNELBASE_EXPORT short GetQuorLevel(const XelSoftwareConfiguration* iConfig,
                                        const char* iCaller);

// The named version flags: a branch takes its newer behaviour from that level on.
XELKERNELBASE_EXPORT extern const short XelQuorVersionLevel_Marching_CheckLastPoints;
XELKERNELBASE_EXPORT extern const short XelQuorVersionLevel_Marching_ActivateLevel8AsDefaultLevel;
XELKERNELBASE_EXPORT extern const short
    XelQuorVersionLevel_Marching_NonCompleteSetAccepted_TestPointValidity;
XELKERNELBASE_EXPORT extern const short XelQuorVersionLevel_ImplicitSystemIsContainingV2;
XELKERNELBASE_EXPORT extern const short XelQuorVersionLevel_MathIntegration_BugTwoClenshawCurtis7;
