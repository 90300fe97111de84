#pragma once
// Exported constants and globals of the library: finite-difference steps, iteration
// budgets, the marcher's minimum domain, and the debug switches read from the
// environment once at load (all 0 outside the kernel's debug mode).
#include "XelAdvancedMathematicsExport.h"

XELADVANCEDMATHEMATICS_EXPORT extern const double XelMathh1;             // 1e-5
XELADVANCEDMATHEMATICS_EXPORT extern const double XelMathh2;             // 1e-4
XELADVANCEDMATHEMATICS_EXPORT extern const double XelMathh3;             // 0.002
XELADVANCEDMATHEMATICS_EXPORT extern const double XelMathDerivPrecision; // 1e-8
XELADVANCEDMATHEMATICS_EXPORT extern const long XelMaxNewtonIteration;   // 50
XELADVANCEDMATHEMATICS_EXPORT extern const long XelMaxIntervalIteration; // 10
XELADVANCEDMATHEMATICS_EXPORT extern const double XelMaxIntervalReduction; // 0.001
XELADVANCEDMATHEMATICS_EXPORT extern const double XelMinWidth;             // 0.005
XELADVANCEDMATHEMATICS_EXPORT extern const double DEFAULT_EPS_RELATIVE;    // 1e-6
/// Written by the marcher; 0 at load.
XELADVANCEDMATHEMATICS_EXPORT extern double MIN_DOMAIN;

XELADVANCEDMATHEMATICS_EXPORT extern int _XelQuorCleverInterpolDebug;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelQuorCleverInterpolPrecision;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelQuorCleverInterpolClean;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelQuorCleverInterpolC1;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelQuorCleverInterpolCheck;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelMarchingRollback;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelMarchingDebug;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelMarchingImprovements;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelRollback_SolverPerfo;
XELADVANCEDMATHEMATICS_EXPORT extern int _XelRollback_System3x3s;
XELADVANCEDMATHEMATICS_EXPORT extern int _PieceWiseX_Dev;
XELADVANCEDMATHEMATICS_EXPORT extern int _PieceWiseXY_Dev;
XELADVANCEDMATHEMATICS_EXPORT extern int _AFOND;
XELADVANCEDMATHEMATICS_EXPORT extern int _QuorSolveAndMinimizeUnReviewedControl;
/// Read at first use by the multi-function two-variable solver (-1 until then).
XELADVANCEDMATHEMATICS_EXPORT extern int _XelQuorOldMathSystemXYs;
/// The solver's debug control of unreviewed scales (the switch above, kept under the name
/// the analyses test).
XELADVANCEDMATHEMATICS_EXPORT int XelMathSolveAndMinimizeDebug_UnReviewedControl();

/// Reads the debug switches from the environment (done once at load; tests call it again
/// after changing the environment).
XELADVANCEDMATHEMATICS_EXPORT void XelMathReadDebugSwitches();
