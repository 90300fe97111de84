#pragma once
// Mathematical constants of the kernel and the treatment of literal tolerances.
//
// XelMathInfinite stands for an unbounded value: interval ends, "no limit" options and
// divisions by an interval touching zero use it. XelHardTol maps a literal tolerance
// written in code (0.01, 1e-8, ...) to the value actually used; this stand-in returns
// the literal unchanged, so callers must only use the returned value.
#include "XelKernelBaseExport.h"

XELKERNELBASE_EXPORT extern const double XelPI;
XELKERNELBASE_EXPORT extern const double Xel2PI;
XELKERNELBASE_EXPORT extern const double XelPIBY2;
XELKERNELBASE_EXPORT extern const double Xel3PIBY2;
XELKERNELBASE_EXPORT extern const double XelINV2PI;
XELKERNELBASE_EXPORT extern const double XelSQRT3;
XELKERNELBASE_EXPORT extern const double XelDegreeToRadian;
XELKERNELBASE_EXPORT extern const double XelRadianToDegree;
/// A very large value standing for infinity (1e30).
XELKERNELBASE_EXPORT extern const double XelMathInfinite;

/// The value to use in place of a literal tolerance written in the library's code.
XELKERNELBASE_EXPORT double XelHardTol(double iLiteral);
