// TEMPORARY bodies of operations whose real implementation lives with the classes that are
// being written now. Each owner moves its body into its own source file and deletes it here;
// this file disappears once empty.
#include "XelMathFunctionRN.h"
#include "XelMathFunctionX.h"

// ---- analyses: root finding (XelMathSolveX.cpp) ----
int XelMathFunctionX::Solve(const XelMathInterval&, XelMathSetOfPointsND&,
                            const XelMathAttrList*) const {
  return 0;
}
int XelMathFunctionX::SolveNewton(const XelMathInterval&, const XelMathInterval&, const long&,
                                  double&, const XelTolerance&) const {
  return 7;
}
int SolveNewton(const XelMathFunctionX*, const XelMathInterval&, const XelMathInterval&,
                const long&, double&, const XelTolerance&, XelMathAttrScaleOption*) {
  return 7;
}
// ---- analyses: extremum search (XelMathMinimizeX.cpp) ----
int XelMathFunctionX::Minimize(const XelMathInterval&, XelMathSetOfPointsND&,
                               const XelMathAttrList*) const {
  return 0;
}
int XelMathFunctionX::Maximize(const XelMathInterval&, XelMathSetOfPointsND&,
                               const XelMathAttrList*) const {
  return 0;
}
// ---- analyses: integration (XelMathIntegration.cpp) ----
double XelMathFunctionX::IntegrateAbsOrRel(const XelMathInterval&, double, unsigned char) const {
  return 0.0;
}
double XelMathFunctionX::GaussLegendre(const XelMathInterval&, const long, const long) const {
  return 0.0;
}
double XelMathFunctionX::GaussLegendre(const XelMathInterval&, const long) const { return 0.0; }
// ---- N-variable minimizer (XelMathMinimizeRN.cpp) ----
int XelMathFunctionRN::Minimize(const XelMathIntervalND&, XelMathSetOfPointsND&,
                                const XelMathAttrList*) const {
  return 0;
}
// ---- factories of composite functions (their classes' sources) ----
XelMathFunctionX* XelMathFunctionX::CreateDeriv() const { return nullptr; }
XelMathFunctionX* XelMathFunctionX::FormalCompositionX(const XelMathFunctionX*) const {
  return nullptr;
}
XelMathFunctionX* XelMathFunctionX::CreateCompositionX(const XelMathFunctionX*,
                                                       const XelMathFunctionX*) {
  return nullptr;
}
XelMathFunctionX* XelMathFunctionX::CreateCompositionXDel(XelMathFunctionX*, XelMathFunctionX*) {
  return nullptr;
}
XelMathFunctionX* CreateCombination(const long, const XelMathFunctionX**, const double*,
                                    const double) {
  return nullptr;
}
XelMathFunctionX* XelMathFunctionRN::CreateCompositionX(const XelMathFunctionX**) const {
  return nullptr;
}
// ---- cubic interpolation (XelMathPiecewiseX.cpp) ----
XelMathFunctionX* XelMathFunctionX::CreateCubicInterpolation(const long, const double*,
                                                             const double*, const XelTolerance&) {
  return nullptr;
}
