#include "XelMathCheckFunctionRN.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "XelMathCheckTools.h"
#include "XelMathFunctionRN.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNFullSymMatrix.h"
#include "XelMathScratch.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

using namespace XelMathCheck;

namespace {
/// Corners of the box are sampled up to this number of variables.
constexpr long MaxCornerDimension = 10;

/// Spreads points over [0, 1)^N: the k-th point's coordinate d is the fractional part of
/// (k + 1/2) / g^(d + 1), g the root of g^(N + 1) = g + 1 (a Kronecker sequence whose
/// coordinates stay uncorrelated).
class SpreadPoints {
public:
  explicit SpreadPoints(const long iN) : _n(iN), _g(2.0) {
    for (int k = 0; k < 60; ++k)
      _g = std::pow(1.0 + _g, 1.0 / double(iN + 1));
  }
  /// The k-th point mapped into iBox, written into oX.
  void Point(const XelMathIntervalND& iBox, const long k, double* oX) const {
    double alpha = 1.0;
    for (long d = 0; d < _n; ++d) {
      alpha /= _g;
      const double t = double(k) + 0.5;
      const double fraction = t * alpha - std::floor(t * alpha);
      oX[d] = iBox.GetMin(d) + fraction * (iBox.GetMax(d) - iBox.GetMin(d));
    }
  }

private:
  long _n;
  double _g;
};
} // namespace

XelMathCheckFunctionRN::XelMathCheckFunctionRN(const XelMathFunctionRN* iFunction,
                                               const double iEps)
    : _function(iFunction), _eps(iEps) {}

XelMathCheckFunctionRN::~XelMathCheckFunctionRN() = default;

long XelMathCheckFunctionRN::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathCheckFunctionRN::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathCheckFunctionRN));
}

long XelMathCheckFunctionRN::Dimension(const XelMathIntervalND* iBox) const {
  const long n = _function->GetNumberOfVariables();
  if (n < 1 || n > 1024 || (iBox && iBox->GetDimension() != n))
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid", "wrong dimension",
                      "XelMathCheckFunctionRN", __FILE__, __LINE__);
  return n;
}

long XelMathCheckFunctionRN::CheckAll(const double* x, const XelMathIntervalND& iBox,
                                      const long n) const {
  long code = CheckIsA();
  if (!code)
    code = CheckDerivatives(x);
  if (!code)
    code = CheckMultiDerivEval(x);
  if (!code)
    code = CheckIntervalEvals(iBox);
  if (!code)
    code = CheckDuplicate(iBox, n);
  return code;
}

long XelMathCheckFunctionRN::CheckIsA() const {
  const char* name = _function->IsA();
  if (!name || !_function->IsAKindOf(name))
    return 1;
  return _function->IsAKindOf("XelMathFunctionRN") ? 0 : 2;
}

long XelMathCheckFunctionRN::CheckDerivatives(const double* x) const {
  const XelMathFunctionRN& f = *_function;
  const long n = Dimension(nullptr);
  // The differences of the base class move coordinates of the point: they work on a copy.
  XelMathScratchDoubles<16> p(n);
  std::memcpy(p.Data(), x, sizeof(double) * static_cast<std::size_t>(n));
  const double a = Size(x, n);
  const double t1 = std::pow(_eps, 0.5), t2 = std::pow(_eps, 0.333), t3 = std::pow(_eps, 0.25);
  for (long i = 0; i < n; ++i) {
    const double d = f.XelMathFunctionRN::EvalFirstDeriv(i, p.Data());
    if (!Agree(f.EvalFirstDeriv(i, p.Data()), d, t1 * (a + std::fabs(d))))
      return 10;
  }
  for (long i = 0; i < n; ++i)
    for (long j = i; j < n; ++j) {
      const double d = f.XelMathFunctionRN::EvalSecondDeriv(i, j, p.Data());
      if (!Agree(f.EvalSecondDeriv(i, j, p.Data()), d, t2 * (a + std::fabs(d))))
        return 11;
    }
  for (long i = 0; i < n; ++i)
    for (long j = i; j < n; ++j)
      for (long k = j; k < n; ++k) {
        const double d = f.XelMathFunctionRN::EvalThirdDeriv(i, j, k, p.Data());
        if (!Agree(f.EvalThirdDeriv(i, j, k, p.Data()), d, t3 * (a + std::fabs(d))))
          return 12;
      }
  return 0;
}

long XelMathCheckFunctionRN::CheckMultiDerivEval(const double* x) const {
  const XelMathFunctionRN& f = *_function;
  const long n = Dimension(nullptr);
  const double t = Size(x, n) * _eps;
  // Work: the point, the single gradient and Hessian, the multi-output gradient and Hessian.
  XelMathScratchDoubles<64> work(n + 2 * (n + n * n));
  double* p = work.Data();
  double* grad = p + n;
  double* hess = grad + n;
  double* outGrad = hess + n * n;
  double* outHess = outGrad + n;
  std::memcpy(p, x, sizeof(double) * static_cast<std::size_t>(n));
  const double v = f.Eval(p);
  for (long i = 0; i < n; ++i)
    grad[i] = f.EvalFirstDeriv(i, p);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j)
      hess[i * n + j] = f.EvalSecondDeriv(i, j, p);
  XelMathNxNFullSymMatrix packed(n);
  for (long o = 1; o <= 7; ++o) {
    double value = 0.0;
    for (long i = 0; i < n + n * n; ++i)
      outGrad[i] = 0.0;
    f.Eval(p, o, &value, outGrad, outHess);
    if ((o & XelMathOption::Value) && !Agree(value, v, t))
      return 20 + o;
    if (o & XelMathOption::FirstDeriv)
      for (long i = 0; i < n; ++i)
        if (!Agree(outGrad[i], grad[i], t))
          return 30 + o;
    if (o & XelMathOption::SecondDeriv)
      for (long i = 0; i < n * n; ++i)
        if (!Agree(outHess[i], hess[i], t))
          return 40 + o;
    // The same outputs with the Hessian in a packed symmetric matrix.
    value = 0.0;
    for (long i = 0; i < n; ++i)
      outGrad[i] = 0.0;
    f.Eval(p, o, &value, outGrad, &packed);
    bool same = !(o & XelMathOption::Value) || Agree(value, v, t);
    for (long i = 0; same && (o & XelMathOption::FirstDeriv) && i < n; ++i)
      same = Agree(outGrad[i], grad[i], t);
    for (long i = 0; same && (o & XelMathOption::SecondDeriv) && i < n; ++i)
      for (long j = 0; same && j <= i; ++j)
        same = Agree(packed.GetCoef(i, j), hess[i * n + j], t);
    if (!same)
      return 50 + o;
  }
  return 0;
}

long XelMathCheckFunctionRN::CheckIntervalEvals(const XelMathIntervalND& iBox) const {
  const XelMathFunctionRN& f = *_function;
  const long n = Dimension(&iBox);
  const bool asked[4] = {f.IsOption(XelMathOption::Image) != 0,
                         f.IsOption(XelMathOption::FirstDerivImage) != 0,
                         f.IsOption(XelMathOption::SecondDerivImage) != 0,
                         f.IsOption(XelMathOption::ThirdDerivImage) != 0};
  if (!asked[0] && !asked[1] && !asked[2] && !asked[3])
    return 0;
  const XelMathInterval value = f.Eval(iBox);
  XelMathScratchDoubles<16> p(n);
  const SpreadPoints spread(n);
  const long corners = n <= MaxCornerDimension ? (1L << n) : 0;
  for (long s = 0; s < corners + IntervalSamples; ++s) {
    if (s < corners)
      for (long d = 0; d < n; ++d)
        p[d] = ((s >> d) & 1) ? iBox.GetMax(d) : iBox.GetMin(d);
    else
      spread.Point(iBox, s - corners, p.Data());
    const double t = Size(p.Data(), n) * _eps;
    if (asked[0] && !Encloses(value, f.Eval(p.Data()), t))
      return 71;
    for (long i = 0; asked[1] && i < n; ++i)
      if (!Encloses(f.EvalFirstDeriv(i, iBox), f.EvalFirstDeriv(i, p.Data()), t))
        return 72;
    for (long i = 0; asked[2] && i < n; ++i)
      for (long j = i; j < n; ++j)
        if (!Encloses(f.EvalSecondDeriv(i, j, iBox), f.EvalSecondDeriv(i, j, p.Data()), t))
          return 73;
    for (long i = 0; asked[3] && i < n; ++i)
      for (long j = i; j < n; ++j)
        for (long k = j; k < n; ++k)
          if (!Encloses(f.EvalThirdDeriv(i, j, k, iBox), f.EvalThirdDeriv(i, j, k, p.Data()), t))
            return 74;
  }
  return 0;
}

bool XelMathCheckFunctionRN::SameValues(const XelMathFunctionRN* iCopy,
                                        const XelMathIntervalND& iBox, const long n) const {
  if (!iCopy)
    return false;
  const long dim = Dimension(&iBox);
  const double eps = XelGetDefaultTolerance().GetRelativeEpsilon();
  XelMathScratchDoubles<16> p(dim);
  const SpreadPoints spread(dim);
  for (long k = 0; k <= 2 * n + 1; ++k) {
    if (k <= n)
      for (long d = 0; d < dim; ++d)
        p[d] = Step(iBox.GetInterval(d), k, n);
    else
      spread.Point(iBox, k - n - 1, p.Data());
    const double v = _function->Eval(p.Data());
    if (!Agree(iCopy->Eval(p.Data()), v, eps * (1.0 + std::fabs(v))))
      return false;
  }
  return true;
}

long XelMathCheckFunctionRN::CheckDuplicate(const XelMathIntervalND& iBox, const long n) const {
  const long dim = Dimension(&iBox);
  const long steps = n < 1 ? 1 : n;
  // The original at witness points of the diagonal, compared again once each copy is gone:
  // a copy that shares state with the original and changes it (evaluated or deleted) is
  // caught.
  const double eps = XelGetDefaultTolerance().GetRelativeEpsilon();
  XelMathScratchDoubles<16> p(dim);
  auto at = [&](const long k) {
    for (long d = 0; d < dim; ++d)
      p[d] = Step(iBox.GetInterval(d), k, CopyWitnesses - 1);
    return _function->Eval(p.Data());
  };
  double witness[CopyWitnesses];
  for (long k = 0; k < CopyWitnesses; ++k)
    witness[k] = at(k);
  auto unchanged = [&] {
    for (long k = 0; k < CopyWitnesses; ++k)
      if (!Agree(at(k), witness[k], eps * (1.0 + std::fabs(witness[k]))))
        return false;
    return true;
  };
  {
    const std::unique_ptr<XelMathFunctionRN> copy(_function->Duplicate());
    if (!SameValues(copy.get(), iBox, steps))
      return 130;
  }
  if (!unchanged())
    return 130;
  bool provided = false;
  std::unique_ptr<XelMathFunctionRN> deep(
      ProtectedCopy([&] { return _function->DeepDuplicate(); }, provided));
  if (!provided)
    return 0;
  if (!SameValues(deep.get(), iBox, steps))
    return 131;
  deep.reset();
  return unchanged() ? 0 : 131;
}
