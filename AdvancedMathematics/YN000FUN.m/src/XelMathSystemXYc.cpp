// XelMathSystemXYc: the system of two XelMathFunctionXY, every evaluation forwarded.
#include "XelMathSystemXYc.h"

#include <cstring>
#include <limits>

#include "XelError.h"
#include "XelMathFunctionXY.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelMathIntervalND.h"
#include "XelTolerance.h"

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN();

/// The masked outputs of a missing function: NaN everywhere asked.
void Undefined(const long iDiff, const long iCount, double* o0, double* o1, double* o2, double* o3,
               double* o4, double* o5) {
  auto fill = [&](double* o) {
    if (o)
      for (long k = 0; k < iCount; ++k)
        o[k] = NaN;
  };
  if (iDiff & XelMathOption::Value)
    fill(o0);
  if (iDiff & XelMathOption::FirstDeriv) {
    fill(o1);
    fill(o2);
  }
  if (iDiff & XelMathOption::SecondDeriv) {
    fill(o3);
    fill(o4);
    fill(o5);
  }
}

long GridCount(const long* iCounts) {
  if (!iCounts || iCounts[0] <= 0 || iCounts[1] <= 0)
    return 0;
  return iCounts[0] * iCounts[1];
}
} // namespace

XelMathSystemXYc::XelMathSystemXYc(const XelMathFunctionXY* f, const XelMathFunctionXY* g,
                                   const XelTolerance& tol, const XelMathAttrList* attrs)
    : XelMathSystemXY(tol, attrs), _f(f), _g(g), _imageTolerance{nullptr, nullptr},
      _hasImages{0, 0}, _imagesKnown(0) {
  if (!f || !g)
    XelQuornull(__FILE__, __LINE__);
}

XelMathSystemXYc::~XelMathSystemXYc() = default;

long XelMathSystemXYc::GetStaticMemoryBytes() const {
  return sizeof(XelMathSystemXYc);
}

unsigned char XelMathSystemXYc::IsAKindOf(const char* iName) const {
  if (iName && !std::strcmp(iName, "XelMathSystemXYc"))
    return 1;
  return XelMathSystemXY::IsAKindOf(iName);
}

unsigned char XelMathSystemXYc::IsOption(const long iOption) const {
  return (_f && _g && _f->IsOption(iOption) && _g->IsOption(iOption)) ? 1 : 0;
}

const char* XelMathSystemXYc::IsA() const {
  return "XelMathSystemXYc";
}

double XelMathSystemXYc::EvalF(const double& x, const double& y) const {
  return _f ? _f->Eval(x, y) : NaN;
}
double XelMathSystemXYc::EvalG(const double& x, const double& y) const {
  return _g ? _g->Eval(x, y) : NaN;
}
double XelMathSystemXYc::EvalFirstDerivFX(const double& x, const double& y) const {
  return _f ? _f->EvalFirstDerivX(x, y) : NaN;
}
double XelMathSystemXYc::EvalFirstDerivFY(const double& x, const double& y) const {
  return _f ? _f->EvalFirstDerivY(x, y) : NaN;
}
double XelMathSystemXYc::EvalFirstDerivGX(const double& x, const double& y) const {
  return _g ? _g->EvalFirstDerivX(x, y) : NaN;
}
double XelMathSystemXYc::EvalFirstDerivGY(const double& x, const double& y) const {
  return _g ? _g->EvalFirstDerivY(x, y) : NaN;
}
double XelMathSystemXYc::EvalSecondDerivFX2(const double& x, const double& y) const {
  return _f ? _f->EvalSecondDerivX2(x, y) : NaN;
}
double XelMathSystemXYc::EvalSecondDerivFXY(const double& x, const double& y) const {
  return _f ? _f->EvalSecondDerivXY(x, y) : NaN;
}
double XelMathSystemXYc::EvalSecondDerivFY2(const double& x, const double& y) const {
  return _f ? _f->EvalSecondDerivY2(x, y) : NaN;
}
double XelMathSystemXYc::EvalSecondDerivGX2(const double& x, const double& y) const {
  return _g ? _g->EvalSecondDerivX2(x, y) : NaN;
}
double XelMathSystemXYc::EvalSecondDerivGXY(const double& x, const double& y) const {
  return _g ? _g->EvalSecondDerivXY(x, y) : NaN;
}
double XelMathSystemXYc::EvalSecondDerivGY2(const double& x, const double& y) const {
  return _g ? _g->EvalSecondDerivY2(x, y) : NaN;
}

void XelMathSystemXYc::EvalF(const double& x, const double& y, const long iDiff, double* oF,
                             double* oFx, double* oFy, double* oFxx, double* oFxy,
                             double* oFyy) const {
  if (_f)
    _f->Eval(x, y, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  else
    Undefined(iDiff, 1, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

void XelMathSystemXYc::EvalG(const double& x, const double& y, const long iDiff, double* oG,
                             double* oGx, double* oGy, double* oGxx, double* oGxy,
                             double* oGyy) const {
  if (_g)
    _g->Eval(x, y, iDiff, oG, oGx, oGy, oGxx, oGxy, oGyy);
  else
    Undefined(iDiff, 1, oG, oGx, oGy, oGxx, oGxy, oGyy);
}

void XelMathSystemXYc::EvalF(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                             double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                             double* oFyy) const {
  if (_f)
    _f->Eval(iBox, iCounts, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  else
    Undefined(iDiff, GridCount(iCounts), oF, oFx, oFy, oFxx, oFxy, oFyy);
}

void XelMathSystemXYc::EvalG(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                             double* oG, double* oGx, double* oGy, double* oGxx, double* oGxy,
                             double* oGyy) const {
  if (_g)
    _g->Eval(iBox, iCounts, iDiff, oG, oGx, oGy, oGxx, oGxy, oGyy);
  else
    Undefined(iDiff, GridCount(iCounts), oG, oGx, oGy, oGxx, oGxy, oGyy);
}

int XelMathSystemXYc::Solve(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oSolutions,
                            const XelMathAttrList* iAttributes) {
  // The search asks for images cell after cell: the option and the tolerance of each
  // function are read once per solve.
  const XelMathFunctionXY* h[2] = {_f, _g};
  for (int w = 0; w < 2; ++w) {
    _hasImages[w] = (h[w] && h[w]->IsOption(XelMathOption::ImageAndFirst)) ? 1 : 0;
    _imageTolerance[w] = _hasImages[w] ? &XelMathFunctionXYGetTolerance(h[w]) : nullptr;
  }
  _imagesKnown = 1;
  auto forget = XelMathMakeOnExit([this] { _imagesKnown = 0; });
  return XelMathSystemXY::Solve(iDomain, oSolutions, iAttributes);
}

int XelMathSystemXYc::EvalImages(const int iWhich, const XelMathInterval& iX,
                                 const XelMathInterval& iY, XelMathInterval& oV,
                                 XelMathInterval& oVx, XelMathInterval& oVy) const {
  const XelMathFunctionXY* h = iWhich ? _g : _f;
  if (_imagesKnown) {
    const int w = iWhich ? 1 : 0;
    if (!_hasImages[w])
      return 0;
    h->Eval(iX, iY, XelMathOption::ImageAndFirst, &oV, &oVx, &oVy, nullptr, nullptr, nullptr,
            *_imageTolerance[w]);
    return 1;
  }
  if (!h || !h->IsOption(XelMathOption::ImageAndFirst))
    return 0;
  h->Eval(iX, iY, XelMathOption::ImageAndFirst, &oV, &oVx, &oVy, nullptr, nullptr, nullptr,
          XelMathFunctionXYGetTolerance(h));
  return 1;
}

int XelMathSystemXYc::EvalValueImage(const int iWhich, const XelMathInterval& iX,
                                     const XelMathInterval& iY, XelMathInterval& oV) const {
  const XelMathFunctionXY* h = iWhich ? _g : _f;
  if (_imagesKnown) {
    const int w = iWhich ? 1 : 0;
    if (!_hasImages[w])
      return 0;
    oV = h->Eval(iX, iY, *_imageTolerance[w]);
    return 1;
  }
  if (!h || !h->IsOption(XelMathOption::ImageAndFirst))
    return 0;
  oV = h->Eval(iX, iY, XelMathFunctionXYGetTolerance(h));
  return 1;
}

int XelMathSystemXYc::EvalSecondImages(const int iWhich, const XelMathInterval& iX,
                                       const XelMathInterval& iY, XelMathInterval& oVxx,
                                       XelMathInterval& oVxy, XelMathInterval& oVyy) const {
  const XelMathFunctionXY* h = iWhich ? _g : _f;
  if (!h || !h->IsOption(XelMathOption::SecondDerivImage))
    return 0;
  const XelTolerance& tol = (_imagesKnown && _imageTolerance[iWhich ? 1 : 0])
                                ? *_imageTolerance[iWhich ? 1 : 0]
                                : XelMathFunctionXYGetTolerance(h);
  h->Eval(iX, iY, XelMathOption::SecondDerivImage, nullptr, nullptr, nullptr, &oVxx, &oVxy, &oVyy,
          tol);
  return 1;
}
