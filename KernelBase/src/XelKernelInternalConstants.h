#pragma once
// Error codes of the kernel services and of the library built on them (internal, never
// installed). docs/error-codes.md lists the texts raised with each code. The mathematics
// library includes this header through XelMathInternalConstants.h, so that each code is
// written in one place.

namespace XelErrorCode {
/// An exhausted resource (memory refused, a size no machine serves).
constexpr long NoMoreMemory = 0x20001;
/// An invalid number of points or elements ("Invalid Number Of Points").
constexpr long InvalidNumberOfPoints = 0x20004;
/// A null denominator (point evaluation of a fraction at a pole).
constexpr long NullDenominator = 0x20005;
/// A wrong dimension or an invalid option value.
constexpr long InvalidOption = 0x20006;
/// An index out of range ("Wrong Index").
constexpr long WrongIndex = 0x20007;
/// Reading at a cursor that is not on an element ("Next").
constexpr long NotOnElement = 0x20008;
/// An operation that the object's state forbids, or damaged stream data.
constexpr long Forbidden = 0x20009;
/// An invalid start point.
constexpr long InvalidStartPoint = 0x2000a;
/// An invalid domain ("Invalid Domain").
constexpr long InvalidDomain = 0x2000b;
/// A matrix of invalid size.
constexpr long InvalidMatrixSize = 0x2000c;
/// Tangents that cannot be computed for the given points.
constexpr long NoTangents = 0x2000e;
} // namespace XelErrorCode
