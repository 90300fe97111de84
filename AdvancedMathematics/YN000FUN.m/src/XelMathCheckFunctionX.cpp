#include "XelMathCheckFunctionX.h"

#include <cmath>
#include <memory>

#include "XelMathCheckTools.h"
#include "XelMathFunctionX.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

using namespace XelMathCheck;

namespace {
/// The orders of the interval evaluations, value first, and their option bits.
constexpr long ImageBits[4] = {XelMathOption::Image, XelMathOption::FirstDerivImage,
                               XelMathOption::SecondDerivImage, XelMathOption::ThirdDerivImage};
/// Outputs of the grid check (value, first and second derivatives).
constexpr long GridOutputs = 3;
/// The point evaluation of order k (0 value .. 3 third derivative).
double Order(const XelMathFunctionX& iF, const int k, const double x) {
  switch (k) {
  case 0:
    return iF.Eval(x);
  case 1:
    return iF.EvalFirstDeriv(x);
  case 2:
    return iF.EvalSecondDeriv(x);
  default:
    return iF.EvalThirdDeriv(x);
  }
}
} // namespace

XelMathCheckFunctionX::XelMathCheckFunctionX(const XelMathFunctionX* iFunction, const double iEps)
    : _function(iFunction), _eps(iEps) {
  CheckNotNull(iFunction, "the function", "XelMathCheckFunctionX::XelMathCheckFunctionX");
}

XelMathCheckFunctionX::~XelMathCheckFunctionX() = default;

long XelMathCheckFunctionX::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathCheckFunctionX::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathCheckFunctionX));
}

long XelMathCheckFunctionX::CheckAll(const double x, const XelMathInterval& iI,
                                     const long n) const {
  long code = CheckIsA();
  if (!code)
    code = CheckDerivatives(x);
  if (!code)
    code = CheckMultiDerivEval(x);
  if (!code)
    code = CheckIntervalEvals(iI);
  if (!code)
    code = CheckMultiDerivIntervalEval(iI);
  if (!code)
    code = CheckGridEval(iI, n);
  if (!code)
    code = CheckDuplicate(iI, n);
  return code;
}

long XelMathCheckFunctionX::CheckIsA() const {
  const char* name = _function->IsA();
  if (!name || !_function->IsAKindOf(name))
    return 1;
  return _function->IsAKindOf("XelMathFunctionX") ? 0 : 2;
}

long XelMathCheckFunctionX::CheckDerivatives(const double x) const {
  const XelMathFunctionX& f = *_function;
  const double a = std::fabs(x) + 1.0;
  const double d1 = f.XelMathFunctionX::EvalFirstDeriv(x);
  if (!Agree(f.EvalFirstDeriv(x), d1, std::pow(_eps, 0.5) * (a + std::fabs(d1))))
    return 10;
  const double d2 = f.XelMathFunctionX::EvalSecondDeriv(x);
  if (!Agree(f.EvalSecondDeriv(x), d2, std::pow(_eps, 0.333) * (a + std::fabs(d2))))
    return 11;
  const double d3 = f.XelMathFunctionX::EvalThirdDeriv(x);
  if (!Agree(f.EvalThirdDeriv(x), d3, std::pow(_eps, 0.25) * (a + std::fabs(d3))))
    return 12;
  return 0;
}

long XelMathCheckFunctionX::CheckMultiDerivEval(const double x) const {
  const XelMathFunctionX& f = *_function;
  const double t = (std::fabs(x) + 1.0) * _eps;
  const double v = f.Eval(x);
  double out[3] = {0.0, 0.0, 0.0};
  f.Eval(x, XelMathOption::Value, &out[0], nullptr, nullptr);
  if (!Agree(out[0], v, t))
    return 21;
  const double single[3] = {v, f.EvalFirstDeriv(x), f.EvalSecondDeriv(x)};
  const long bits[3] = {XelMathOption::Value, XelMathOption::FirstDeriv,
                        XelMathOption::SecondDeriv};
  for (long o = 2; o <= 7; ++o) {
    out[0] = out[1] = out[2] = 0.0;
    f.Eval(x, o, &out[0], &out[1], &out[2]);
    for (int k = 0; k < 3; ++k)
      if ((o & bits[k]) && !Agree(out[k], single[k], t))
        return 20 + 10 * k + o;
  }
  return 0;
}

long XelMathCheckFunctionX::CheckImages(const XelMathInterval& iI, const long iOption,
                                        const XelMathInterval* iImages) const {
  const XelMathFunctionX& f = *_function;
  bool asked[4];
  for (int k = 0; k < 4; ++k)
    asked[k] = (iOption & ImageBits[k]) && f.IsOption(ImageBits[k]);
  for (long s = 0; s < IntervalSamples; ++s) {
    const double x = Sample(iI, s, IntervalSamples);
    const double t = (1.0 + std::fabs(x)) * _eps;
    for (int k = 0; k < 4; ++k)
      if (asked[k] && !Encloses(iImages[k], Order(f, k, x), t))
        return k + 1;
  }
  return 0;
}

long XelMathCheckFunctionX::CheckIntervalEvals(const XelMathInterval& iI) const {
  const XelMathFunctionX& f = *_function;
  const XelMathInterval images[4] = {f.Eval(iI), f.EvalFirstDeriv(iI), f.EvalSecondDeriv(iI),
                                     f.EvalThirdDeriv(iI)};
  const long code =
      CheckImages(iI,
                  XelMathOption::Image | XelMathOption::FirstDerivImage |
                      XelMathOption::SecondDerivImage | XelMathOption::ThirdDerivImage,
                  images);
  return code ? 50 + code : 0;
}

long XelMathCheckFunctionX::CheckMultiDerivIntervalEval(const XelMathInterval& iI) const {
  const XelMathFunctionX& f = *_function;
  for (long o = XelMathOption::Image; o <= XelMathOption::ImageUpToSecond;
       o += XelMathOption::Image) {
    if (!f.IsOption(o))
      continue;
    XelMathInterval images[4];
    f.Eval(iI, o, &images[0], &images[1], &images[2]);
    const long code = CheckImages(iI, o, images);
    if (code)
      return 60 + 5 * (o / XelMathOption::Image - 1) + code;
  }
  return 0;
}

long XelMathCheckFunctionX::CheckGridEval(const XelMathInterval& iI, const long n) const {
  if (n < 1)
    return 0;
  CheckGridCount(n, 1, GridOutputs, "XelMathCheckFunctionX::CheckGridEval");
  const XelMathFunctionX& f = *_function;
  const long size = GridOutputs * (n + 1);
  double* block = XelQuorArrayDoubleNew(size);
  auto release = XelMathMakeOnExit([&] { XelQuorArrayDoubleDel(block, size); });
  for (long i = 0; i < size; ++i)
    block[i] = Sentinel;
  double* out[3] = {block, block + (n + 1), block + 2 * (n + 1)};
  f.Eval(iI, n, XelMathOption::PointUpToSecond, out[0], out[1], out[2]);
  for (int k = 0; k < 3; ++k)
    if (out[k][n] != Sentinel)
      return 104;
  const bool exact[3] = {true, f.IsOption(XelMathOption::FirstDeriv) != 0,
                         f.IsOption(XelMathOption::SecondDeriv) != 0};
  for (long i = 0; i < n; ++i) {
    const double x = Sample(iI, i, n);
    for (int k = 0; k < 3; ++k) {
      const double v = Order(f, k, x);
      if (!Agree(out[k][i], v, GridTolerance(exact[k], k, _eps, std::fabs(x) + 1.0, v)))
        return 101 + k;
    }
  }
  return 0;
}

bool XelMathCheckFunctionX::SameValues(const XelMathFunctionX* iCopy, const XelMathInterval& iI,
                                       const long n) const {
  if (!iCopy)
    return false;
  const double eps = XelGetDefaultTolerance().GetRelativeEpsilon();
  for (long k = 0; k <= n; ++k) {
    const double x = Step(iI, k, n);
    const double v = _function->Eval(x);
    if (!Agree(iCopy->Eval(x), v, eps * (1.0 + std::fabs(v))))
      return false;
  }
  return true;
}

long XelMathCheckFunctionX::CheckDuplicate(const XelMathInterval& iI, const long n) const {
  const long steps = n < 1 ? 1 : n;
  // The counts that the grid check refuses: n + 1 points would not end.
  CheckGridCount(steps, 1, GridOutputs, "XelMathCheckFunctionX::CheckDuplicate");
  // The original at a few witness points, compared again once each copy is gone: a copy
  // that shares state with the original and changes it (evaluated or deleted) is caught.
  const double eps = XelGetDefaultTolerance().GetRelativeEpsilon();
  double witness[CopyWitnesses];
  for (long k = 0; k < CopyWitnesses; ++k)
    witness[k] = _function->Eval(Step(iI, k, CopyWitnesses - 1));
  auto unchanged = [&] {
    for (long k = 0; k < CopyWitnesses; ++k)
      if (!Agree(_function->Eval(Step(iI, k, CopyWitnesses - 1)), witness[k],
                 eps * (1.0 + std::fabs(witness[k]))))
        return false;
    return true;
  };
  {
    const std::unique_ptr<XelMathFunctionX> copy(_function->Duplicate());
    if (!SameValues(copy.get(), iI, steps))
      return 130;
  }
  if (!unchanged())
    return 130;
  bool provided = false;
  std::unique_ptr<XelMathFunctionX> deep(
      ProtectedCopy([&] { return _function->DeepDuplicate(); }, provided));
  if (!provided)
    return 0;
  if (!SameValues(deep.get(), iI, steps))
    return 131;
  deep.reset();
  return unchanged() ? 0 : 131;
}
