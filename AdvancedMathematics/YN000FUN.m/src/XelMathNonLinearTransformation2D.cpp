// XelMathNonLinearTransformation2D: the chain rule around the core and the Newton inversion.
#include "XelMathNonLinearTransformation2D.h"

#include <memory>

#include "XelMathDeformationTools.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval2D.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveNewtonXY.h"
#include "XelMathTransformation2D.h"
#include "XelQuorTransfo2D.h"

using namespace XelMathDeformation;

XelMathNonLinearTransformation2D::XelMathNonLinearTransformation2D(const XelTolerance& iTol)
    : XelMathSystemXY(iTol, nullptr), _left(nullptr), _right(nullptr), _tolerance(&iTol) {}

XelMathNonLinearTransformation2D::XelMathNonLinearTransformation2D(
    const XelMathTransformation2D& iLeft, const XelTolerance& iTol)
    : XelMathSystemXY(iTol, nullptr), _left(new XelMathTransformation2D(iLeft)), _right(nullptr),
      _tolerance(&iTol) {}

XelMathNonLinearTransformation2D::XelMathNonLinearTransformation2D(
    const XelMathTransformation2D& iLeft, const XelMathTransformation2D& iRight,
    const XelTolerance& iTol)
    : XelMathSystemXY(iTol, nullptr), _left(nullptr), _right(nullptr), _tolerance(&iTol) {
  std::unique_ptr<XelMathTransformation2D> left(new XelMathTransformation2D(iLeft));
  _right = new XelMathTransformation2D(iRight);
  _left = left.release();
}

XelMathNonLinearTransformation2D::~XelMathNonLinearTransformation2D() {
  delete _left;
  delete _right;
}

long XelMathNonLinearTransformation2D::GetDynamicMemoryBytes() const {
  long bytes = XelMathSystemXY::GetDynamicMemoryBytes();
  if (_left)
    bytes += _left->GetStaticMemoryBytes();
  if (_right)
    bytes += _right->GetStaticMemoryBytes();
  return bytes;
}

long XelMathNonLinearTransformation2D::GetStaticMemoryBytes() const {
  return sizeof(XelMathNonLinearTransformation2D);
}

unsigned char XelMathNonLinearTransformation2D::IsOption(const long iOption) const {
  return (iOption & ~XelMathOption::PointUpToSecond) == 0 ? 1 : 0;
}

short XelMathNonLinearTransformation2D::GetStreamTransfo2DType() const {
  XelMathRaiseForbidden("GetStreamType", __FILE__, __LINE__);
}

void XelMathNonLinearTransformation2D::Stream(XelMathStream&, const char*,
                                              const unsigned char) const {
  XelMathRaiseForbidden("Stream", __FILE__, __LINE__);
}

// ==== composition ========================================================================
void XelMathNonLinearTransformation2D::ComposeLeft(const XelMathTransformation2D& iT) {
  if (_left)
    *_left = iT * (*_left);
  else
    _left = new XelMathTransformation2D(iT);
}

void XelMathNonLinearTransformation2D::ComposeRight(const XelMathTransformation2D& iT) {
  if (_right)
    *_right = (*_right) * iT;
  else
    _right = new XelMathTransformation2D(iT);
}

void XelMathNonLinearTransformation2D::DuplicateData(
    XelMathNonLinearTransformation2D& ioOther) const {
  if (&ioOther == this)
    return;
  std::unique_ptr<XelMathTransformation2D> left(_left ? new XelMathTransformation2D(*_left)
                                                      : nullptr);
  std::unique_ptr<XelMathTransformation2D> right(_right ? new XelMathTransformation2D(*_right)
                                                        : nullptr);
  delete ioOther._left;
  delete ioOther._right;
  ioOther._left = left.release();
  ioOther._right = right.release();
}

// ==== the whole map ======================================================================
void XelMathNonLinearTransformation2D::EvalMap(const double x, const double y, const int iOrder,
                                               double* oU, double* oV) const {
  double aR[4], tR[2], aL[4], tL[2];
  AffineParts2D(_right, aR, tR);
  AffineParts2D(_left, aL, tL);
  const double px = aR[0] * x + aR[1] * y + tR[0], py = aR[2] * x + aR[3] * y + tR[1];
  double c[2][6];
  EvalCore(px, py, iOrder, c[0], c[1]);
  double* out[2] = {oU, oV};
  for (int i = 0; i < 2; i++) {
    const double l0 = aL[2 * i], l1 = aL[2 * i + 1];
    out[i][0] = l0 * c[0][0] + l1 * c[1][0] + tL[i];
    if (iOrder < 1)
      continue;
    // Gradient of the core combination, then through R.
    const double gx = l0 * c[0][1] + l1 * c[1][1], gy = l0 * c[0][2] + l1 * c[1][2];
    out[i][1] = gx * aR[0] + gy * aR[2];
    out[i][2] = gx * aR[1] + gy * aR[3];
    if (iOrder < 2)
      continue;
    const double hxx = l0 * c[0][3] + l1 * c[1][3], hxy = l0 * c[0][4] + l1 * c[1][4],
                 hyy = l0 * c[0][5] + l1 * c[1][5];
    // A_R^T H A_R, column j of A_R being (aR[j], aR[2 + j]).
    auto quad = [&](const int j, const int k) {
      const double xj = aR[j], yj = aR[2 + j], xk = aR[k], yk = aR[2 + k];
      return hxx * xj * xk + hxy * (xj * yk + yj * xk) + hyy * yj * yk;
    };
    out[i][3] = quad(0, 0);
    out[i][4] = quad(0, 1);
    out[i][5] = quad(1, 1);
  }
}

#define XelMathNonLinear2DPick(Name, Which, Order, Index)                                          \
  double XelMathNonLinearTransformation2D::Name(const double& x, const double& y) const {          \
    double u[6], v[6];                                                                             \
    EvalMap(x, y, Order, u, v);                                                                    \
    return (Which) == 0 ? u[Index] : v[Index];                                                     \
  }                                                                                                \
  static_assert(true, #Name)

XelMathNonLinear2DPick(EvalF, 0, 0, 0);
XelMathNonLinear2DPick(EvalG, 1, 0, 0);
XelMathNonLinear2DPick(EvalFirstDerivFX, 0, 1, 1);
XelMathNonLinear2DPick(EvalFirstDerivFY, 0, 1, 2);
XelMathNonLinear2DPick(EvalFirstDerivGX, 1, 1, 1);
XelMathNonLinear2DPick(EvalFirstDerivGY, 1, 1, 2);
XelMathNonLinear2DPick(EvalSecondDerivFX2, 0, 2, 3);
XelMathNonLinear2DPick(EvalSecondDerivFXY, 0, 2, 4);
XelMathNonLinear2DPick(EvalSecondDerivFY2, 0, 2, 5);
XelMathNonLinear2DPick(EvalSecondDerivGX2, 1, 2, 3);
XelMathNonLinear2DPick(EvalSecondDerivGXY, 1, 2, 4);
XelMathNonLinear2DPick(EvalSecondDerivGY2, 1, 2, 5);

// ==== inversion ==========================================================================
namespace {
/// The map seen as a plane transformation, for the Newton inversion.
class PlaneMapOf : public XelQuorTransfo2D {
public:
  PlaneMapOf(const XelMathNonLinearTransformation2D& iMap, const XelTolerance& iTol)
      : XelQuorTransfo2D(iTol), _map(iMap) {}
  const char* IsA() const override { return "XelMathNonLinearTransformation2D"; }
  void Eval(const double& x, const double& y, double& oU, double& oV) const override {
    double u[1], v[1];
    _map.EvalMap(x, y, 0, u, v);
    oU = u[0];
    oV = v[0];
  }
  void EvalFirstDeriv(const double& x, const double& y, double& oUx, double& oUy, double& oVx,
                      double& oVy) const override {
    double u[3], v[3];
    _map.EvalMap(x, y, 1, u, v);
    oUx = u[1], oUy = u[2], oVx = v[1], oVy = v[2];
  }
  void EvalSecondDeriv(const double& x, const double& y, double& oUxx, double& oUxy, double& oUyy,
                       double& oVxx, double& oVxy, double& oVyy) const override {
    double u[6], v[6];
    _map.EvalMap(x, y, 2, u, v);
    oUxx = u[3], oUxy = u[4], oUyy = u[5], oVxx = v[3], oVxy = v[4], oVyy = v[5];
  }

private:
  const XelMathNonLinearTransformation2D& _map;
};
} // namespace

int XelMathNonLinearTransformation2D::InvertPoint(const double iU, const double iV,
                                                  const XelMathInterval2D& iDomain, double& oX,
                                                  double& oY) const {
  PlaneMapOf map(*this, *_tolerance);
  map.SetDomain(iDomain);
  return map.ReverseEvalPoint(iU, iV, oX, oY);
}

int XelMathNonLinearTransformation2D::Invert(const double iU, const double iV,
                                             const XelMathInterval2D& iDomain,
                                             XelMathSetOfPointsND& oPreimages) const {
  PlaneMapOf map(*this, *_tolerance);
  XelMathSolveNewtonXY* system = map.GetInversionSystem();
  system->XYWanted(iU, iV);
  return system->Solve(iDomain, oPreimages);
}
