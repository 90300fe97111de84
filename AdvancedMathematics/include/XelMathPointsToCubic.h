#pragma once
// Cubic Hermite coefficients on [0, L] from the value and first derivative at both ends.
#include "XelAdvancedMathematicsExport.h"

/// oC = c_0..c_3 (unshifted) of the cubic with value iP0 and derivative iD0 at 0, iP1 and
/// iD1 at iL: (p0, d0, (3 (p1 - p0) / L - 2 d0 - d1) / L, (-2 (p1 - p0) / L + d0 + d1) / L^2).
XELADVANCEDMATHEMATICS_EXPORT void XelMathPointsToCubic(const double iP0, const double iD0,
                                                        const double iP1, const double iD1,
                                                        const double iL, double* oC);
