// TEMPORARY bodies of operations whose real implementation lives with the classes that are
// being written now. Each owner moves its body into its own source file and deletes it here;
// this file disappears once empty.
#include "XelMathFunctionRN.h"
#include "XelMathFunctionX.h"

// ---- analyses: extremum search (XelMathMinimizeX.cpp) ----
int XelMathFunctionX::Minimize(const XelMathInterval&, XelMathSetOfPointsND&,
                               const XelMathAttrList*) const {
  return 0;
}
int XelMathFunctionX::Maximize(const XelMathInterval&, XelMathSetOfPointsND&,
                               const XelMathAttrList*) const {
  return 0;
}
// ---- N-variable minimizer (XelMathMinimizeRN.cpp) ----
int XelMathFunctionRN::Minimize(const XelMathIntervalND&, XelMathSetOfPointsND&,
                                const XelMathAttrList*) const {
  return 0;
}
