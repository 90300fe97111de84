#include "reference_functions.h"

#include <algorithm>
#include <cmath>

#include "test_helpers.h"

namespace xeltest {

long gLiveLeaves = 0;

LeafX::LeafX() {
  ++gLiveLeaves;
}

LeafX::LeafX(const LeafX& iOther) : XelMathFunctionX(iOther), offered(iOther.offered) {
  ++gLiveLeaves;
}

LeafX::~LeafX() {
  --gLiveLeaves;
}

double ExpX::D(int k, double x) const {
  return _a * std::pow(_b, k) * std::exp(_b * x);
}

XelMathInterval ExpX::DI(int k, const XelMathInterval& I) const {
  return IScale(_a * std::pow(_b, k), IExp(IScale(_b, I)));
}

double SineX::D(int k, double x) const {
  const double trend = k == 0 ? _s * x : (k == 1 ? _s : 0.0);
  return std::pow(_w, k) * std::sin(_w * x + _p + 0.5 * kPi * k) + trend;
}

XelMathInterval SineX::DI(int k, const XelMathInterval& I) const {
  const XelMathInterval t = IScale(_w, I);
  const double shift = _p + 0.5 * kPi * k;
  const XelMathInterval wave = IScale(std::pow(_w, k), ISin(t.low + shift, t.high + shift));
  if (k == 0)
    return IAdd(wave, IScale(_s, I));
  return k == 1 ? IAdd(wave, XelMathInterval(_s, _s)) : wave;
}

double QuadX::D(int k, double x) const {
  switch (k) {
  case 0:
    return (_a * x + _b) * x + _c;
  case 1:
    return 2.0 * _a * x + _b;
  case 2:
    return 2.0 * _a;
  default:
    return 0.0;
  }
}

XelMathInterval QuadX::DI(int k, const XelMathInterval& I) const {
  if (k >= 2)
    return XelMathInterval(D(k, 0.0), D(k, 0.0));
  if (k == 1)
    return IAdd(IScale(2.0 * _a, I), XelMathInterval(_b, _b));
  double lo = std::min(D(0, I.low), D(0, I.high)), hi = std::max(D(0, I.low), D(0, I.high));
  if (_a != 0.0) {
    const double v = -_b / (2.0 * _a);
    if (v > I.low && v < I.high) {
      lo = std::min(lo, D(0, v));
      hi = std::max(hi, D(0, v));
    }
  }
  return XelMathInterval(lo, hi);
}

} // namespace xeltest
