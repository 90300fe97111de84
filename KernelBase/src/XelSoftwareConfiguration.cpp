#include "XelSoftwareConfiguration.h"

// Levels of the releases that introduced each newer behaviour.
const short XelQuorVersionLevel_Marching_CheckLastPoints = 3;
const short XelQuorVersionLevel_Marching_ActivateLevel8AsDefaultLevel = 5;
const short XelQuorVersionLevel_Marching_NonCompleteSetAccepted_TestPointValidity = 6;
const short XelQuorVersionLevel_ImplicitSystemIsContainingV2 = 7;
const short XelQuorVersionLevel_MathIntegration_BugTwoClenshawCurtis7 = 4;

namespace {
const short currentLevel = 10;
}

XelSoftwareConfiguration::XelSoftwareConfiguration() : _level(currentLevel) {}
XelSoftwareConfiguration::XelSoftwareConfiguration(short iLevel) : _level(iLevel) {}
short XelSoftwareConfiguration::CurrentLevel() { return currentLevel; }

short GetQuorLevel(const XelSoftwareConfiguration* iConfig, const char*) {
  return iConfig ? iConfig->GetLevel() : currentLevel;
}
