// XelMathNonLinearTransformation: the affine parts, their composition, the chain rule around
// the core, and the inversion through the system solvers.
#include "XelMathNonLinearTransformation.h"

#include <cmath>
#include <memory>

#include "XelMathDeformationTools.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathPlane.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTransformation.h"
#include "XelTolerance.h"

using namespace XelMathDeformation;

XelMathNonLinearTransformation::XelMathNonLinearTransformation(const XelTolerance& iTol)
    : XelMathSystem(3, iTol, nullptr), _left(nullptr), _right(nullptr), _tolerance(&iTol) {}

XelMathNonLinearTransformation::XelMathNonLinearTransformation(const XelMathTransformation& iLeft,
                                                               const XelTolerance& iTol)
    : XelMathSystem(3, iTol, nullptr), _left(new XelMathTransformation(iLeft)), _right(nullptr),
      _tolerance(&iTol) {}

XelMathNonLinearTransformation::XelMathNonLinearTransformation(const XelMathTransformation& iLeft,
                                                               const XelMathTransformation& iRight,
                                                               const XelTolerance& iTol)
    : XelMathSystem(3, iTol, nullptr), _left(nullptr), _right(nullptr), _tolerance(&iTol) {
  std::unique_ptr<XelMathTransformation> left(new XelMathTransformation(iLeft));
  _right = new XelMathTransformation(iRight);
  _left = left.release();
}

XelMathNonLinearTransformation::~XelMathNonLinearTransformation() {
  delete _left;
  delete _right;
}

long XelMathNonLinearTransformation::GetDynamicMemoryBytes() const {
  long bytes = XelMathSystem::GetDynamicMemoryBytes();
  if (_left)
    bytes += _left->GetStaticMemoryBytes();
  if (_right)
    bytes += _right->GetStaticMemoryBytes();
  return bytes;
}

long XelMathNonLinearTransformation::GetStaticMemoryBytes() const {
  return sizeof(XelMathNonLinearTransformation);
}

short XelMathNonLinearTransformation::GetStreamTransfoType() const {
  XelMathRaiseForbidden("GetStreamType", __FILE__, __LINE__);
}

unsigned char XelMathNonLinearTransformation::IsStreamable(const XelQuorStreamVersion,
                                                           unsigned char& oFlag) const {
  oFlag = 0;
  return 0;
}

// ==== composition ========================================================================
void XelMathNonLinearTransformation::ComposeLeft(const XelMathTransformation& iT) {
  if (_left)
    *_left = iT * (*_left);
  else
    _left = new XelMathTransformation(iT);
}

void XelMathNonLinearTransformation::ComposeRight(const XelMathTransformation& iT) {
  if (_right)
    *_right = (*_right) * iT;
  else
    _right = new XelMathTransformation(iT);
}

void XelMathNonLinearTransformation::DuplicateData(XelMathNonLinearTransformation& ioOther) const {
  if (&ioOther == this)
    return;
  std::unique_ptr<XelMathTransformation> left(_left ? new XelMathTransformation(*_left) : nullptr);
  std::unique_ptr<XelMathTransformation> right(_right ? new XelMathTransformation(*_right)
                                                      : nullptr);
  delete ioOther._left;
  delete ioOther._right;
  ioOther._left = left.release();
  ioOther._right = right.release();
}

// ==== chain rule =========================================================================
double XelMathNonLinearTransformation::GetResolution() const {
  return _tolerance->GetPointResolution();
}

void XelMathNonLinearTransformation::ApplyRight(const double* x, double* oP) const {
  if (_right) {
    _right->Apply(x, oP);
    return;
  }
  oP[0] = x[0];
  oP[1] = x[1];
  oP[2] = x[2];
}

void XelMathNonLinearTransformation::Finish(const double* iQ, const double* iJq, double* oY,
                                            double* oJ) const {
  double q[3] = {iQ[0], iQ[1], iQ[2]};
  if (_left)
    _left->Apply(q, oY);
  else
    oY[0] = q[0], oY[1] = q[1], oY[2] = q[2];
  if (!oJ || !iJq)
    return;
  double aL[9], tL[3], aR[9], tR[3], m[9];
  AffineParts(_left, aL, tL);
  AffineParts(_right, aR, tR);
  Product3(iJq, aR, m);
  Product3(aL, m, oJ);
}

void XelMathNonLinearTransformation::RightImage(XelMathInterval* ioBox) const {
  AffineImage(_right, ioBox, ioBox);
}

void XelMathNonLinearTransformation::LeftImage(XelMathInterval* ioBox) const {
  AffineImage(_left, ioBox, ioBox);
}

void XelMathNonLinearTransformation::CheckBoxCount(const long iCount) {
  if (iCount != 3)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 2, "EvalInterval", "Dimension not valid",
                      nullptr, __FILE__, __LINE__);
}

XelMathPlane* XelMathNonLinearTransformation::CarryBack(const double* iOrigin, const double* iFirst,
                                                        const double* iSecond) const {
  double a[9], t[3];
  AffineParts(_right, a, t);
  // R(y) = A y + t: the core sees p = A y + t, so a point p of the core is the caller's
  // A^T (p - t) when A is orthogonal (the rotations and translations R is made of).
  double o[3], f[3], s[3];
  for (int j = 0; j < 3; j++) {
    o[j] = f[j] = s[j] = 0.0;
    for (int i = 0; i < 3; i++) {
      o[j] += a[3 * i + j] * (iOrigin[i] - t[i]);
      f[j] += a[3 * i + j] * iFirst[i];
      s[j] += a[3 * i + j] * iSecond[i];
    }
  }
  return new XelMathPlane(XelMathPoint(o[0], o[1], o[2]), XelMathVector(f[0], f[1], f[2]),
                          XelMathVector(s[0], s[1], s[2]));
}

XelMathPlane* XelMathNonLinearTransformation::CarryForward(const double* iOrigin,
                                                           const double* iFirst,
                                                           const double* iSecond) const {
  double a[9], t[3];
  AffineParts(_left, a, t);
  double o[3], f[3], s[3];
  for (int i = 0; i < 3; i++) {
    o[i] = t[i];
    f[i] = s[i] = 0.0;
    for (int j = 0; j < 3; j++) {
      o[i] += a[3 * i + j] * iOrigin[j];
      f[i] += a[3 * i + j] * iFirst[j];
      s[i] += a[3 * i + j] * iSecond[j];
    }
  }
  return new XelMathPlane(XelMathPoint(o[0], o[1], o[2]), XelMathVector(f[0], f[1], f[2]),
                          XelMathVector(s[0], s[1], s[2]));
}

void XelMathNonLinearTransformation::EvalJacobian(const double* x, XelMathNxNFullMatrix* oJ) const {
  if (!oJ || oJ->GetSizeOfMatrix() != 3)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 2, "EvalJacobian", "Dimension not valid",
                      nullptr, __FILE__, __LINE__);
  double j[9];
  EvalJacobian(x, j);
  for (long r = 0; r < 3; r++)
    for (long c = 0; c < 3; c++)
      oJ->SetCoef(r, c, j[3 * r + c]);
}

// ==== inversion ==========================================================================
namespace {
/// The system T(x) - target = 0 with the exact Jacobian of T.
class Preimage : public XelMathSystem {
public:
  Preimage(const XelMathNonLinearTransformation& iT, const double* iTarget)
      : XelMathSystem(3, iT.GetTolerance(), nullptr),
        _t(iT), _target{iTarget[0], iTarget[1], iTarget[2]} {}
  using XelMathSystem::Eval;
  void Eval(const double* x, double* oF) const override {
    _t.Eval(x, oF);
    for (int i = 0; i < 3; i++)
      oF[i] -= _target[i];
  }
  void EvalJacobian(const double* x, double* oJ) const override { _t.EvalJacobian(x, oJ); }
  void Eval(const double* x, double* oF, double* oJ) const override {
    Eval(x, oF);
    _t.EvalJacobian(x, oJ);
  }

private:
  const XelMathNonLinearTransformation& _t;
  double _target[3];
};
} // namespace

int XelMathNonLinearTransformation::Invert(const double* iTarget, const XelMathIntervalND& iDomain,
                                           XelMathSetOfPointsND& oPreimages,
                                           const XelMathAttrList* iAttributes) const {
  Preimage system(*this, iTarget);
  return system.Solve(iDomain, oPreimages, iAttributes);
}

int XelMathNonLinearTransformation::InvertNewton(const double* iTarget,
                                                 const XelMathIntervalND& iBox, double* ioX) const {
  Preimage system(*this, iTarget);
  int status = 0;
  return system.SolveSafeNewtonWithAlloc(iBox, ioX, status);
}
