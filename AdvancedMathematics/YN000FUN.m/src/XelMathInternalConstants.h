#pragma once
// The numbers that carry a meaning inside the library, named once (internal, never
// installed): error codes (from the kernel services), evaluation option bits, statuses of the
// analyses, mailbox message numbers, type identifiers and fixed ratios. Write the name, never
// the number.
#include "XelKernelInternalConstants.h"

/// Bits of the options of a multi-output evaluation (Eval, IsOption).
namespace XelMathOption {
constexpr long Value = 1;             // f at a point
constexpr long FirstDeriv = 2;        // f' at a point
constexpr long SecondDeriv = 4;       // f'' at a point
constexpr long ThirdDeriv = 8;        // f''' at a point
constexpr long Image = 16;            // image of f over an interval
constexpr long FirstDerivImage = 32;  // image of f'
constexpr long SecondDerivImage = 64; // image of f''
constexpr long ThirdDerivImage = 128; // image of f'''
/// Combinations asked for together.
constexpr long ValueAndFirst = Value | FirstDeriv;
constexpr long FirstAndSecond = FirstDeriv | SecondDeriv;
constexpr long PointUpToSecond = Value | FirstDeriv | SecondDeriv;
constexpr long ImageAndFirst = Image | FirstDerivImage;
constexpr long FirstAndSecondImages = FirstDerivImage | SecondDerivImage;
constexpr long ImageUpToSecond = Image | FirstDerivImage | SecondDerivImage;
/// Every derivative at a point and every image (all but the value).
constexpr long DerivativesAndImages = FirstDeriv | SecondDeriv | ThirdDeriv | Image |
                                      FirstDerivImage | SecondDerivImage | ThirdDerivImage;
} // namespace XelMathOption

/// Statuses returned by the analyses (roots, extrema, integrals, Newton solves).
namespace XelMathStatus {
constexpr int Done = 0;
constexpr int NullFunction = 1;     // the function is null on the domain (roots)
constexpr int ConstantFunction = 2; // the function is constant (minimization)
constexpr int Refused = 4;          // empty or refused input
constexpr int NotConverged = 7;     // budget exhausted or no convergence
constexpr int Stopped = 10;         // search stopped early
} // namespace XelMathStatus

/// Message numbers under which an analysis files, in the library's mailbox with the function
/// as key, the scale option that goes with that function for the duration of a call.
namespace XelMathMessage {
constexpr long NewtonScale = 1;   // SolveNewton
constexpr long ImageScale = 5;    // ComputeOptimalImage
constexpr long MonotoneScale = 6; // IsMonotone of a polynomial
} // namespace XelMathMessage

/// Type identifiers answered by IsATypeOf (0: any one-variable function).
namespace XelMathTypeId {
constexpr long FunctionX = 0;
constexpr long Polynom = 10;
constexpr long Linear = 11;
constexpr long Cubic = 13;
constexpr long Quintic = 15;
constexpr long Fraction = 20;
constexpr long Trigonometric = 30;
constexpr long ArctanCos = 31;
constexpr long Hyperbolic = 40;
constexpr long Combination = 50;
constexpr long Piecewise = 60;
constexpr long SingleMemory = 70;
constexpr long DefinitionMemory = 80;
constexpr long CompositionXByRN = 90;
constexpr long CompositionXByX = 91;
constexpr long CompositionXByXY = 92;
constexpr long Deriv = 93;
constexpr long Opposite = 94;
constexpr long FunctionXYToX = 95;
constexpr long Periodic = 96;
} // namespace XelMathTypeId

/// Stream types answered by GetStreamType (the record type of a function in a stream).
namespace XelMathStreamType {
/// A null function.
constexpr short None = -1;
constexpr short Polynom = 1;
constexpr short Trigonometric = 2;
constexpr short Fraction = 3;
constexpr short Combination = 4;
constexpr short Piecewise = 5;
constexpr short Quintic = 6;
constexpr short ArctanCos = 7;
constexpr short SingleMemory = 8;
constexpr short CompositionXByXY = 9;
constexpr short Cubic = 10;
constexpr short CompositionXByX = 11;
constexpr short Linear = 12;
constexpr short PolynomXY = 101;
constexpr short PiecewiseXY = 102;
constexpr short SumXYs = 103;
} // namespace XelMathStreamType

/// Stream versions from which the function records change layout.
namespace XelMathStreamLayout {
/// Polynomials of one and two variables store their shifts.
constexpr long PolynomShifts = 1005;
/// Quintic polynomials store their shift.
constexpr long QuinticShift = 1006;
/// Counts are stored unsigned (WriteULong) instead of signed (WriteLong).
constexpr long UnsignedCounts = 1012;
} // namespace XelMathStreamLayout

/// Fixed ratios of the analyses.
namespace XelMathRatio {
/// Default and largest ratio of the minimizer's internal minimum width to its minimum width
/// (the minimum width itself is XelMinWidth times the domain, as for the root finder).
constexpr double InternalMinWidth = 0.1;
} // namespace XelMathRatio
