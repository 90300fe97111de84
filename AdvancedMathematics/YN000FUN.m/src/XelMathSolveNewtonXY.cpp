// XelMathSolveNewtonXY: F = u - u*, G = v - v* for a plane transformation (u, v).
#include "XelMathSolveNewtonXY.h"

#include <cstring>
#include <limits>

#include "XelError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorTransfo2D.h"

XelMathSolveNewtonXY::XelMathSolveNewtonXY(const XelQuorTransfo2D* iTransformation,
                                           const XelTolerance& iTol,
                                           const XelMathAttrList* iAttributes)
    : XelMathSystemXY(iTol, iAttributes), _transformation(iTransformation), _uWanted(0.0),
      _vWanted(0.0) {
  if (!iTransformation)
    XelQuornull(__FILE__, __LINE__);
}

XelMathSolveNewtonXY::~XelMathSolveNewtonXY() = default;

long XelMathSolveNewtonXY::GetStaticMemoryBytes() const {
  return sizeof(XelMathSolveNewtonXY);
}

unsigned char XelMathSolveNewtonXY::IsAKindOf(const char* iName) const {
  if (iName && !std::strcmp(iName, "XelMathSolveNewtonXY"))
    return 1;
  return XelMathSystemXY::IsAKindOf(iName);
}

unsigned char XelMathSolveNewtonXY::IsOption(const long iOption) const {
  return (iOption & ~XelMathOption::PointUpToSecond) == 0 && _transformation ? 1 : 0;
}

const char* XelMathSolveNewtonXY::IsA() const {
  return "XelMathSolveNewtonXY";
}

void XelMathSolveNewtonXY::Read(const int iWhich, const int iOrder, const double x, const double y,
                                double* oD) const {
  if (!_transformation) {
    oD[0] = oD[1] = oD[2] = std::numeric_limits<double>::quiet_NaN();
    return;
  }
  if (iOrder == 0) {
    double u = 0.0, v = 0.0;
    _transformation->Eval(x, y, u, v);
    oD[0] = iWhich ? v - _vWanted : u - _uWanted;
  } else if (iOrder == 1) {
    double ux = 0.0, uy = 0.0, vx = 0.0, vy = 0.0;
    _transformation->EvalFirstDeriv(x, y, ux, uy, vx, vy);
    oD[0] = iWhich ? vx : ux;
    oD[1] = iWhich ? vy : uy;
  } else {
    double d[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    _transformation->EvalSecondDeriv(x, y, d[0], d[1], d[2], d[3], d[4], d[5]);
    for (int k = 0; k < 3; ++k)
      oD[k] = d[3 * iWhich + k];
  }
}

#define XelMathNewtonXYRead(Name, Which, Order, Index)                                             \
  double XelMathSolveNewtonXY::Name(const double& x, const double& y) const {                      \
    double d[3];                                                                                   \
    Read(Which, Order, x, y, d);                                                                   \
    return d[Index];                                                                               \
  }                                                                                                \
  static_assert(true, #Name)

XelMathNewtonXYRead(EvalF, 0, 0, 0);
XelMathNewtonXYRead(EvalG, 1, 0, 0);
XelMathNewtonXYRead(EvalFirstDerivFX, 0, 1, 0);
XelMathNewtonXYRead(EvalFirstDerivFY, 0, 1, 1);
XelMathNewtonXYRead(EvalFirstDerivGX, 1, 1, 0);
XelMathNewtonXYRead(EvalFirstDerivGY, 1, 1, 1);
XelMathNewtonXYRead(EvalSecondDerivFX2, 0, 2, 0);
XelMathNewtonXYRead(EvalSecondDerivFXY, 0, 2, 1);
XelMathNewtonXYRead(EvalSecondDerivFY2, 0, 2, 2);
XelMathNewtonXYRead(EvalSecondDerivGX2, 1, 2, 0);
XelMathNewtonXYRead(EvalSecondDerivGXY, 1, 2, 1);
XelMathNewtonXYRead(EvalSecondDerivGY2, 1, 2, 2);
