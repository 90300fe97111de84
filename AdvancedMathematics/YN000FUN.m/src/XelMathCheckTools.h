#pragma once
// Comparisons shared by the checkers of functions and systems (internal, never installed).
//
// Two values agree within a tolerance when both are NaN, when they are the same infinity, or
// when they are finite and no farther apart than the tolerance; a NaN against a number is a
// disagreement. A point value lies in an image when the image has no NaN end and the value is
// no farther from it than the tolerance; a NaN point value (the function is not defined there)
// tells nothing and is accepted.
#include <cmath>

#include "XelError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"

namespace XelMathCheck {

/// Raises 0x20004 ("Invalid Number Of Points", "more points than an array can hold", iWhere)
/// unless iArrays outputs of nX nY values and one sentinel each fit in one array of the memory
/// services (nX, nY >= 1). A check walking as many points as such a grid refuses the same
/// counts, before any product is formed, anything is allocated or anything is evaluated.
inline void CheckGridCount(const long nX, const long nY, const long iArrays, const char* iWhere) {
  if (nY > (XelQuorMaxArrayDoubles / iArrays - 1) / nX)
    XelMathRaiseTexts(XelErrorCode::InvalidNumberOfPoints, 3, "Invalid Number Of Points",
                      "more points than an array can hold", iWhere, __FILE__, __LINE__);
}

/// Raises 0x20006 (iWhat, "null", iWhere) for a checker built on nothing.
inline void CheckNotNull(const void* iObject, const char* iWhat, const char* iWhere) {
  if (!iObject)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, iWhat, "null", iWhere, __FILE__, __LINE__);
}

/// Marks the entries past the end of an output, which an evaluation must leave alone.
constexpr double Sentinel = 1.0e300;

inline bool Agree(const double iA, const double iB, const double iTol) {
  if (std::isnan(iA) || std::isnan(iB))
    return std::isnan(iA) && std::isnan(iB);
  if (iA == iB)
    return true;
  return std::fabs(iA - iB) <= iTol;
}

inline bool Encloses(const XelMathInterval& iImage, const double iValue, const double iTol) {
  if (std::isnan(iValue))
    return true;
  if (std::isnan(iImage.low) || std::isnan(iImage.high))
    return false;
  return iImage.DistanceTo(iValue) <= iTol;
}

/// The tolerance between a grid output of derivative order iOrder (0 the value) and the point
/// evaluation at the same abscissae, at precision iEps and size a = 1 + |x| (+ |y|), d the point
/// value. The abscissae of a grid may differ from the checker's by rounding: exact evaluations
/// then agree within a eps, but derivatives by differences (the class does not declare them
/// exact) only within the precision of the difference, eps^0.5 (a + |d|) for the first order
/// and eps^0.333 (a + |d|) for the second.
inline double GridTolerance(const bool iExact, const int iOrder, const double iEps, const double a,
                            const double d) {
  if (iExact || iOrder == 0)
    return a * iEps;
  return std::pow(iEps, iOrder == 1 ? 0.5 : 0.333) * (a + std::fabs(d));
}

/// The k-th of n regular samples of iI: low + k (high - low) / (n - 1), the last exactly at
/// high, the single point low when n is 1.
inline double Sample(const XelMathInterval& iI, const long k, const long n) {
  if (n <= 1 || k <= 0)
    return iI.low;
  if (k >= n - 1)
    return iI.high;
  return iI.low + double(k) * (iI.high - iI.low) / double(n - 1);
}

/// The k-th of the n + 1 points low + k (high - low) / n of a walk over iI, clamped to high.
inline double Step(const XelMathInterval& iI, const long k, const long n) {
  const double x = iI.low + double(k) * ((iI.high - iI.low) / double(n));
  return x > iI.high ? iI.high : x;
}

/// The size 1 + sum |x_i| of a point of n coordinates, the scale of the checks' thresholds.
inline double Size(const double* x, const long n) {
  double s = 1.0;
  for (long i = 0; i < n; ++i)
    s += std::fabs(x[i]);
  return s;
}

/// Writes a failure of check iCheck of the checker iChecker to the kernel's error trace stream,
/// "***** Erreur de <iChecker>::<iCheck> : <iQuantity>", then " of equation i" and " variable j"
/// and " variable k" for the indices that are not negative, then the value found and the value
/// expected at full precision and the code; returns iCode.
inline long Report(const char* iChecker, const char* iCheck, const char* iQuantity, const long i,
                   const long j, const long k, const double iFound, const double iExpected,
                   const long iCode) {
  XelQuorOutput& err = XelQuorOutput::GetErr();
  const int digits = err.precision(17);
  err << "***** Erreur de " << iChecker << "::" << iCheck << " : " << iQuantity;
  if (i >= 0)
    err << " of equation " << i;
  if (j >= 0)
    err << " variable " << j;
  if (k >= 0)
    err << " variable " << k;
  err << " : " << iFound << " instead of " << iExpected << " (code " << iCode << ")\n";
  err.precision(digits);
  err.flush();
  return iCode;
}

/// Points at which the copy checks record the original before a copy is made and compare it
/// again once the copy is deleted.
constexpr long CopyWitnesses = 17;

/// Runs iCopy (a deep duplication) inside a protected region. An error Forbidden (the class
/// does not provide the copy) is discarded: oProvided is then false and null returned. Any
/// other error is raised again.
template <class Copy> auto ProtectedCopy(Copy iCopy, bool& oProvided) -> decltype(iCopy()) {
  oProvided = true;
  try {
    XelXHContext region;
    return iCopy();
  } catch (const XelError& iError) {
    if (iError.GetCode() != XelErrorCode::Forbidden)
      throw;
    iError.Flush();
  }
  oProvided = false;
  return nullptr;
}

} // namespace XelMathCheck
