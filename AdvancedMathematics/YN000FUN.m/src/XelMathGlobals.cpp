#include "XelMathGlobals.h"

#include "XelMathDebug.h"
#include "XelQuorMemory.h"

const double XelMathh1 = 1e-5;
const double XelMathh2 = 1e-4;
const double XelMathh3 = 0.002;
const double XelMathDerivPrecision = 1e-8;
const long XelMaxNewtonIteration = 50;
const long XelMaxIntervalIteration = 10;
const double XelMaxIntervalReduction = 0.001;
const double XelMinWidth = 0.005;
const double DEFAULT_EPS_RELATIVE = 1e-6;
double MIN_DOMAIN = 0.0;

int _XelQuorCleverInterpolDebug = 0;
int _XelQuorCleverInterpolPrecision = 0;
int _XelQuorCleverInterpolClean = 0;
int _XelQuorCleverInterpolC1 = 0;
int _XelQuorCleverInterpolCheck = 0;
int _XelMarchingRollback = 0;
int _XelMarchingDebug = 0;
int _XelMarchingImprovements = 0;
int _XelRollback_SolverPerfo = 0;
int _XelRollback_System3x3s = 0;
int _PieceWiseX_Dev = 0;
int _PieceWiseXY_Dev = 0;
int _AFOND = 0;
int _QuorSolveAndMinimizeUnReviewedControl = 0;
int _XelQuorOldMathSystemXYs = -1;

int XelMathSolveAndMinimizeDebug_UnReviewedControl() {
  return _QuorSolveAndMinimizeUnReviewedControl;
}

namespace {
int Present(const char* iName) {
  return XelMathDebug::_stringGetEnv(iName) ? 1 : 0;
}
int Integer(const char* iName) {
  return XelMathDebug::_integerGetEnv(iName);
}
} // namespace

void XelMathReadDebugSwitches() {
  const bool on = XelMathDebug::GetDebugOnly() != 0;
  _XelQuorCleverInterpolDebug = on ? Integer("XelQuorCleverInterpolDebug") : 0;
  _XelQuorCleverInterpolPrecision = on ? Integer("XelQuorCleverInterpolPrecision") : 0;
  _XelQuorCleverInterpolClean = on ? Integer("XelQuorCleverInterpolClean") : 0;
  _XelQuorCleverInterpolC1 = on ? Integer("XelQuorCleverInterpolC1") : 0;
  _XelQuorCleverInterpolCheck = on ? Present("XelQuorCleverInterpolCheck") : 0;
  _XelMarchingRollback = on ? Present("XelMarchingRollback") : 0;
  _XelMarchingDebug = on ? Integer("XelMarchingDebug") : 0;
  _XelMarchingImprovements = on ? Integer("XelMarchingImprovements") : 0;
  _XelRollback_SolverPerfo = on ? Present("XelRollback_SolverPerfo") : 0;
  _XelRollback_System3x3s = on ? Present("XelRollback_System3x3s") : 0;
  _PieceWiseX_Dev = on ? Integer("PieceWiseX_Dev") : 0;
  _PieceWiseXY_Dev = on ? Integer("PieceWiseXY_Dev") : 0;
  _AFOND = on ? (Integer("AFOND") > 0 ? 1 : 0) : 0;
  _QuorSolveAndMinimizeUnReviewedControl =
      on ? Integer("QuorSolveAndMinimizeUnReviewedControl") : 0;
}

namespace {
// Load-time declaration of the library: memory services, garbage callback, switches.
void ReleaseCachedMemory() {
  XelQuorScratchClear();
}

struct LibraryLoading {
  LibraryLoading() {
    XelQuorDeclareLibraryLoading("XelAdvancedMathematics");
    XelQuorManageMemory::DeclareMemoryGarbage(&ReleaseCachedMemory);
    XelMathReadDebugSwitches();
  }
};
const LibraryLoading libraryLoading;
} // namespace
