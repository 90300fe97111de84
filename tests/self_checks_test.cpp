// The checkers of caller-written classes: correct classes (the library's own and closed forms
// written here) pass every check; a class with one deliberate mistake is caught with the code
// of that mistake.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "XelMathCheckFunctionRN.h"
#include "XelMathCheckFunctionX.h"
#include "XelMathCheckFunctionXY.h"
#include "XelMathCheckSystem.h"
#include "XelMathCheckSystemXY.h"
#include "XelMathFractionX.h"
#include "XelMathFunctionRN.h"
#include "XelMathHyperbolicX.h"
#include "XelMathIntervalND.h"
#include "XelMathLinearXY.h"
#include "XelMathNxNFullSymMatrix.h"
#include "XelMathOppositeX.h"
#include "XelMathPolynomX.h"
#include "XelMathPolynomXY.h"
#include "XelMathProdX.h"
#include "XelMathSystem.h"
#include "XelMathSystemXYc.h"
#include "XelMathTrigonometricX.h"
#include "reference_functions.h"
#include "test_helpers.h"
#include "xy_helpers.h"

namespace {

using namespace xeltest;
const double kCheckEps = 1e-10;
const XelMathInterval kI(-1.0, 2.0), kJ(0.0, 1.5);

// A test class that answers IsAKindOf for its own name, as the contract asks.
template <class Base> class Named : public Base {
public:
  using Base::Base;
  unsigned char IsAKindOf(const char* n) const override {
    return (n && std::string(n) == this->IsA()) || Base::IsAKindOf(n);
  }
};

enum Fault {
  None,
  WrongName,
  NotKind,
  D1,
  D2,
  D3,
  MultiValue,
  MultiD2,
  ValueImage,
  D3Image,
  MultiImage,
  Grid,
  GridOverrun,
  DropCopy,
  DropDeepCopy,
  SharedCopy,
  SharedDeepCopy,
  NoDeepCopy,
  DeepCopyFails,
  Mixed,
  UpToThird,
  MaskedImage,
  GridXY,
  Packed,
  NoJacobian
};

// A shift (0) that the copies of a test class share; a releasing copy moves it when it is
// deleted, as a copy that frees what it shares with the original would.
struct SharedShift {
  std::shared_ptr<double> value = std::make_shared<double>(0.0);
  bool releases = false;
  ~SharedShift() { *value += releases ? 1.0 : 0.0; }
};
template <class T> T* ReleasingCopy(const T& f, bool iReleases = true) {
  T* c = new T(f);
  c->shift.releases = iReleases;
  return c;
}

// a e^x + b x + shift (a, b > 0): exact derivatives, increasing images; `fault` breaks one
// operation.
class ExpLine : public XelMathFunctionX {
public:
  ExpLine(double a, double b, Fault f = None) : _a(a), _b(b), _fault(f) {}
  const char* IsA() const override { return _fault == WrongName ? "Other" : "ExpLine"; }
  unsigned char IsAKindOf(const char* n) const override {
    if (std::string(n) == "ExpLine")
      return 1;
    return _fault == NotKind ? 0 : XelMathFunctionX::IsAKindOf(n);
  }
  unsigned char IsOption(const long) const override { return 1; }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override { return _a * std::exp(x) + _b * x + *shift.value; }
  double EvalFirstDeriv(const double& x) const override {
    return (_fault == D1 ? 2.0 : 1.0) * (_a * std::exp(x) + _b);
  }
  double EvalSecondDeriv(const double& x) const override {
    return _a * std::exp(x) + (_fault == D2 ? 0.1 : 0.0);
  }
  double EvalThirdDeriv(const double& x) const override {
    return (_fault == D3 ? 1.5 : 1.0) * _a * std::exp(x);
  }
  void Eval(const double x, const long o, double* f, double* f1, double* f2) const override {
    XelMathFunctionX::Eval(x, o, f, f1, f2);
    if (_fault == MultiValue && o != 1 && (o & 1))
      *f += 1e-6;
    if (_fault == MultiD2 && (o & 4))
      *f2 *= 1.01;
  }
  void Eval(const XelMathInterval& I, const long n, const long o, double* f, double* f1,
            double* f2) const override {
    XelMathFunctionX::Eval(I, n, o, f, f1, f2);
    if (_fault == Grid)
      f[n / 2] += 1e-3;
    if (_fault == GridOverrun)
      f[n] = 0.0;
  }
  XelMathInterval Eval(const XelMathInterval& I) const override {
    return {Eval(I.low), Eval(_fault == ValueImage ? 0.5 * (I.low + I.high) : I.high)};
  }
  XelMathInterval EvalFirstDeriv(const XelMathInterval& I) const override {
    return {EvalFirstDeriv(I.low), EvalFirstDeriv(I.high)};
  }
  XelMathInterval EvalSecondDeriv(const XelMathInterval& I) const override {
    return {_a * std::exp(I.low), _a * std::exp(I.high)};
  }
  XelMathInterval EvalThirdDeriv(const XelMathInterval& I) const override {
    return {_a * std::exp(I.low), _a * std::exp(_fault == D3Image ? I.low : I.high)};
  }
  void Eval(const XelMathInterval& I, const long o, XelMathInterval* f, XelMathInterval* f1,
            XelMathInterval* f2) const override {
    XelMathFunctionX::Eval(I, o, f, f1, f2);
    if (_fault == MultiImage && (o & 32))
      *f1 = {f1->low, f1->low};
  }
  XelMathFunctionX* Duplicate() const override {
    return _fault == DropCopy ? new ExpLine(_a, 0.0) : ReleasingCopy(*this, _fault == SharedCopy);
  }
  XelMathFunctionX* DeepDuplicate() const override {
    if (_fault == SharedCopy || _fault == SharedDeepCopy)
      return ReleasingCopy(*this);
    if (_fault == NoDeepCopy)
      return XelMathFunctionX::DeepDuplicate();
    if (_fault == DeepCopyFails)
      XelMathRaise(0x20006, "DeepDuplicate", "wrong dimension", "ExpLine");
    return new ExpLine(_a, _fault == DropDeepCopy ? 0.0 : _b);
  }

  SharedShift shift;

private:
  double _a, _b;
  Fault _fault;
};

TEST(SelfChecksX, CorrectClassesPassAndEachMistakeHasItsCode) {
  const long live = LiveBlocks();
  CaptureTrace out, err(XelQuorOutput::GetErr());
  const struct {
    Fault fault;
    long code;
  } cases[] = {{None, 0},         {NoDeepCopy, 0},
               {WrongName, 1},    {NotKind, 2},
               {D1, 10},          {D2, 11},
               {D3, 12},          {MultiValue, 23},
               {MultiD2, 44},     {ValueImage, 51},
               {D3Image, 54},     {MultiImage, 67},
               {Grid, 101},       {GridOverrun, 104},
               {DropCopy, 130},   {DropDeepCopy, 131},
               {SharedCopy, 130}, {SharedDeepCopy, 131}};
  for (const auto& c : cases) {
    const ExpLine f(1.5, 0.5, c.fault);
    EXPECT_EQ(XelMathCheckFunctionX(&f, kCheckEps).CheckAll(0.3, kI, 17), c.code)
        << "fault " << c.fault;
  }
  // A class that forgets IsAKindOf for its own name; the library's own classes and the
  // reference closed forms pass.
  const SineX unnamed(2.0, 0.3, 0.5);
  EXPECT_EQ(XelMathCheckFunctionX(&unnamed, kCheckEps).CheckIsA(), 1);
  {
    const XelTolerance& tol = DefaultTol();
    std::unique_ptr<XelMathPolynomX> p(Poly({1.0, -2.0, 0.5, 3.0}, 0.25)), q(Poly({2.0, 0.0, 1.0}));
    const XelMathTrigonometricX trig(1.0, 2.0, 0.5, 3.0, tol);
    const XelMathHyperbolicX hyp(1.0, 0.5, 0.2, 1.2);
    const XelMathFractionX frac(p.get(), q.get(), tol);
    const Named<SineX> sine(2.0, 0.3, 0.5);
    const Named<ExpX> ex(1.5, -0.7);
    const XelMathOppositeX opp(&sine);
    const XelMathProdX prod(&ex, &sine);
    const XelMathFunctionX* good[] = {p.get(), &trig, &hyp, &frac, &sine, &ex, &opp, &prod};
    for (const XelMathFunctionX* f : good)
      EXPECT_EQ(XelMathCheckFunctionX(f, kCheckEps).CheckAll(0.3, kI, 17), 0) << f->IsA();
  }
  EXPECT_EQ(out.Text() + err.Text(), ""); // nothing printed
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(SelfChecksX, OtherErrorsOfTheDeepCopyAreRaisedAgain) {
  const ExpLine f(1.0, 1.0, DeepCopyFails);
  ExpectInputError([&] { XelMathCheckFunctionX(&f, kCheckEps).CheckDuplicate(kI, 4); }, 0x20006);
}

// ClosedXY (exp(x) sin(y) + x^2 y + c) with one operation broken.
class FaultyXY : public Named<ClosedXY> {
public:
  explicit FaultyXY(Fault f) : Named<ClosedXY>(0, 0.5), _fault(f) {}
  using ClosedXY::Eval;
  using ClosedXY::EvalFirstDerivX;
  using ClosedXY::EvalFirstDerivY;
  using ClosedXY::EvalSecondDerivXY;
  double EvalFirstDerivX(const double& x, const double& y) const override {
    return (_fault == D1 ? 2.0 : 1.0) * D(1, 0, x, y);
  }
  double EvalSecondDerivXY(const double& x, const double& y) const override {
    return D(1, 1, x, y) + (_fault == D2 ? 0.01 : 0.0);
  }
  double EvalThirdDerivY3(const double& x, const double& y) const override {
    return (_fault == D3 ? 1.5 : 1.0) * D(0, 3, x, y);
  }
  void Eval(const double& x, const double& y, const long m, double* f, double* fx, double* fy,
            double* fxx, double* fxy, double* fyy) const override {
    ClosedXY::Eval(x, y, m, f, fx, fy, fxx, fxy, fyy);
    if (_fault == Mixed && (m & 2))
      *fy += 1e-6;
  }
  void EvalUpToThirdDeriv(const double& x, const double& y, double& f, double& fx, double& fy,
                          double& fxx, double& fxy, double& fyy, double& fxxx, double& fxxy,
                          double& fxyy, double& fyyy) const override {
    ClosedXY::EvalUpToThirdDeriv(x, y, f, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy);
    fxxy += _fault == UpToThird ? 1.0 : 0.0;
  }
  XelMathInterval EvalFirstDerivY(const XelMathInterval& I,
                                  const XelMathInterval& J) const override {
    const XelMathInterval r = DI(0, 1, I, J);
    return _fault == ValueImage ? XelMathInterval(r.low, r.low) : r;
  }
  void Eval(const XelMathInterval& I, const XelMathInterval& J, const long m, XelMathInterval* f,
            XelMathInterval* fx, XelMathInterval* fy, XelMathInterval* fxx, XelMathInterval* fxy,
            XelMathInterval* fyy, const XelTolerance& tol) const override {
    ClosedXY::Eval(I, J, m, f, fx, fy, fxx, fxy, fyy, tol);
    if (_fault == MaskedImage && (m & 64))
      *fxx = {fxx->high, fxx->high};
  }
  void Eval(const XelMathIntervalND& box, const long* n, const long m, double* f, double* fx,
            double* fy, double* fxx, double* fxy, double* fyy) const override {
    ClosedXY::Eval(box, n, m, f, fx, fy, fxx, fxy, fyy);
    f[0] += _fault == Grid ? 1e-3 : 0.0;
  }
  void EvalGrid(const long nX, const double* x, const long nY, const double* y, const long m,
                double* f, double* fx, double* fy) const override {
    ClosedXY::EvalGrid(nX, x, nY, y, m, f, fx, fy);
    fx[1] += _fault == GridXY ? 1e-3 : 0.0;
  }
  double Eval(const double& x, const double& y) const override {
    return ClosedXY::Eval(x, y) + *shift.value;
  }
  XelMathFunctionXY* Duplicate() const override {
    if (_fault == SharedCopy)
      return ReleasingCopy(*this);
    return _fault == DropCopy ? new ClosedXY(0, 0.0) : new FaultyXY(_fault);
  }
  SharedShift shift;

private:
  Fault _fault;
};

TEST(SelfChecksXY, CorrectClassesPassAndEachMistakeHasItsCode) {
  const long live = LiveBlocks();
  const struct {
    Fault fault;
    long code;
  } cases[] = {{None, 0},   {D1, 10},        {D2, 13},          {D3, 18},
               {Mixed, 42}, {UpToThird, 87}, {ValueImage, 103}, {MaskedImage, 174},
               {Grid, 211}, {GridXY, 222},   {DropCopy, 130},   {SharedCopy, 130}};
  for (const auto& c : cases) {
    const FaultyXY f(c.fault);
    EXPECT_EQ(XelMathCheckFunctionXY(&f, kCheckEps).CheckAll(0.3, -0.4, kI, kJ, 6), c.code)
        << "fault " << c.fault;
  }
  {
    const double flat[9] = {1.0, -2.0, 0.5, 0.0, 3.0, 1.0, 2.0, 0.0, -1.0};
    const XelMathPolynomXY poly(2, 2, flat, 0.5, -0.25);
    const XelMathLinearXY lin(1.0, 2.0, 3.0);
    const Named<ClosedXY> k1(1, 2.0), k2(2, -1.0);
    const Named<FnXY> noCopy([](double x, double y) { return std::sin(x) * y; }); // no Duplicate
    const XelMathFunctionXY* good[] = {&poly, &lin, &k1, &k2, &noCopy};
    for (const XelMathFunctionXY* f : good)
      EXPECT_EQ(XelMathCheckFunctionXY(f, kCheckEps).CheckAll(0.3, -0.4, kI, kJ, 6), 0) << f->IsA();
  }
  EXPECT_EQ(LiveBlocks(), live);
}

// exp(x0) + x0 x1^2 + 2 x2 with exact derivatives and value image; or its value alone.
class Rn3 : public XelMathFunctionRN {
public:
  explicit Rn3(Fault f, bool exact = true) : XelMathFunctionRN(3), _fault(f), _exact(exact) {}
  const char* IsA() const override { return "Rn3"; }
  unsigned char IsAKindOf(const char* n) const override {
    return (n && std::string(n) == "Rn3") || XelMathFunctionRN::IsAKindOf(n);
  }
  unsigned char IsOption(const long o) const override { return _exact && (o & ~(7 | 16)) == 0; }
  XelMathFunctionRN* Duplicate() const override {
    if (_fault == SharedCopy)
      return ReleasingCopy(*this);
    return _fault == DropCopy ? new Rn3(DropCopy, false) : new Rn3(*this);
  }
  SharedShift shift;
  using XelMathFunctionRN::Eval;
  using XelMathFunctionRN::EvalFirstDeriv;
  using XelMathFunctionRN::EvalSecondDeriv;
  using XelMathFunctionRN::EvalThirdDeriv;
  double Eval(const double* x) const override {
    return std::exp(x[0]) + x[0] * x[1] * x[1] + (_fault == DropCopy && !_exact ? 0.0 : 2 * x[2]) +
           *shift.value;
  }
  double EvalFirstDeriv(const long& i, const double* x) const override {
    if (!_exact)
      return XelMathFunctionRN::EvalFirstDeriv(i, x);
    const double d[3] = {std::exp(x[0]) + x[1] * x[1], 2 * x[0] * x[1], 2.0};
    return (_fault == D1 && i == 1 ? 2.0 : 1.0) * d[i];
  }
  double EvalSecondDeriv(const long& i, const long& j, const double* x) const override {
    if (!_exact)
      return XelMathFunctionRN::EvalSecondDeriv(i, j, x);
    const double h[3][3] = {{std::exp(x[0]), 2 * x[1], 0}, {2 * x[1], 2 * x[0], 0}, {0, 0, 0}};
    return h[i][j];
  }
  double EvalThirdDeriv(const long& i, const long& j, const long& k,
                        const double* x) const override {
    if (!_exact)
      return XelMathFunctionRN::EvalThirdDeriv(i, j, k, x);
    const long ones = (i == 1) + (j == 1) + (k == 1), zeros = (i == 0) + (j == 0) + (k == 0);
    const double v = zeros == 3 ? std::exp(x[0]) : (zeros == 1 && ones == 2 ? 2.0 : 0.0);
    return v + (_fault == D3 ? 0.5 : 0.0);
  }
  void Eval(const double* x, const long o, double* f, double* g, double* h) const override {
    XelMathFunctionRN::Eval(x, o, f, g, h);
    g[0] += _fault == Mixed && (o & 2) ? 1e-6 : 0.0;
  }
  void Eval(const double* x, const long o, double* f, double* g,
            XelMathNxNFullSymMatrix* h) const override {
    XelMathFunctionRN::Eval(x, o, f, g, h);
    if (_fault == Packed && (o & 4))
      h->SetCoef(2, 1, 1.0);
  }
  XelMathInterval Eval(const XelMathIntervalND& b) const override {
    const XelMathInterval r =
        IAdd(IAdd(IExp(b.GetInterval(0)), IMul(b.GetInterval(0), ISquare(b.GetInterval(1)))),
             IScale(2.0, b.GetInterval(2)));
    return _fault == ValueImage ? XelMathInterval(r.low, 0.5 * (r.low + r.high)) : r;
  }

private:
  Fault _fault;
  bool _exact;
};

TEST(SelfChecksRN, CorrectClassesPassAndEachMistakeHasItsCode) {
  const long live = LiveBlocks();
  const double x[3] = {0.3, -0.7, 1.1}, bounds[6] = {-1.0, 1.0, 0.0, 2.0, -0.5, 0.5};
  const XelMathIntervalND box(3, bounds);
  const struct {
    Fault fault;
    bool exact;
    long code;
  } cases[] = {{None, true, 0},        {None, false, 0},      {D1, true, 10},
               {D3, true, 12},         {Mixed, true, 32},     {Packed, true, 54},
               {ValueImage, true, 71}, {DropCopy, true, 130}, {SharedCopy, true, 130}};
  for (const auto& c : cases) {
    const Rn3 f(c.fault, c.exact);
    EXPECT_EQ(XelMathCheckFunctionRN(&f, kCheckEps).CheckAll(x, box, 8), c.code)
        << "fault " << c.fault;
  }
  const Rn3 f(None);
  EXPECT_EQ(x[0], 0.3); // the point is left as it was
  const XelMathIntervalND flat(2, bounds);
  ExpectInputError([&] { XelMathCheckFunctionRN(&f, kCheckEps).CheckIntervalEvals(flat); },
                   0x20006);
  EXPECT_EQ(LiveBlocks(), live);
}

// F = x^2 + y^2 - 1, G = x - y^2 with exact derivatives and images; one operation broken.
class CircleParabola : public XelMathSystemXY {
public:
  explicit CircleParabola(Fault f) : XelMathSystemXY(DefaultTol()), _fault(f) {}
  const char* IsA() const override { return "CircleParabola"; }
  using XelMathSystemXY::EvalF;
  using XelMathSystemXY::EvalG;
  double EvalF(const double& x, const double& y) const override { return x * x + y * y - 1; }
  double EvalG(const double& x, const double& y) const override { return x - y * y; }
  double EvalFirstDerivFX(const double& x, const double&) const override { return 2 * x; }
  double EvalFirstDerivFY(const double&, const double& y) const override {
    return (_fault == D1 ? 3 : 2) * y;
  }
  double EvalFirstDerivGX(const double&, const double&) const override { return 1; }
  double EvalFirstDerivGY(const double&, const double& y) const override { return -2 * y; }
  double EvalSecondDerivFX2(const double&, const double&) const override { return 2; }
  double EvalSecondDerivFXY(const double&, const double&) const override { return 0; }
  double EvalSecondDerivFY2(const double&, const double&) const override { return 2; }
  double EvalSecondDerivGX2(const double&, const double&) const override { return 0; }
  double EvalSecondDerivGXY(const double&, const double&) const override {
    return _fault == D2 ? 0.5 : 0;
  }
  double EvalSecondDerivGY2(const double&, const double&) const override { return -2; }
  void EvalG(const double& x, const double& y, const long o, double* g, double* gx, double* gy,
             double* gxx, double* gxy, double* gyy) const override {
    XelMathSystemXY::EvalG(x, y, o, g, gx, gy, gxx, gxy, gyy);
    *g += _fault == Mixed && (o & 1) ? 1e-6 : 0.0;
  }
  void EvalF(const XelMathIntervalND& b, const long* n, const long o, double* f, double* fx,
             double* fy, double* fxx, double* fxy, double* fyy) const override {
    XelMathSystemXY::EvalF(b, n, o, f, fx, fy, fxx, fxy, fyy);
    f[0] += _fault == Grid ? 1e-3 : 0.0;
  }
  int EvalImages(const int w, const XelMathInterval& X, const XelMathInterval& Y,
                 XelMathInterval& v, XelMathInterval& vx, XelMathInterval& vy) const override {
    if (w == 0) {
      v = IAdd(IAdd(ISquare(X), ISquare(Y)), {-1, -1});
      v.high = _fault == ValueImage ? v.low : v.high;
      vx = IScale(2, X), vy = IScale(2, Y);
    } else {
      v = IAdd(X, IScale(-1, ISquare(Y))), vx = {1, 1}, vy = IScale(-2, Y);
    }
    return 1;
  }

private:
  Fault _fault;
};

// The equations alone: every derivative is the base class's difference.
class ValuesOnly : public XelMathSystemXY {
public:
  ValuesOnly() : XelMathSystemXY(DefaultTol()) {}
  const char* IsA() const override { return "ValuesOnly"; }
  using XelMathSystemXY::EvalF;
  using XelMathSystemXY::EvalG;
  double EvalF(const double& x, const double& y) const override { return std::sin(x) * y; }
  double EvalG(const double& x, const double& y) const override { return std::exp(x - y); }
};

TEST(SelfChecksSystemXY, CorrectSystemsPassAndEachMistakeIsReported) {
  const long live = LiveBlocks();
  const XelMathInterval2D domain(-1.0, 1.5, -0.5, 1.0);
  const struct {
    Fault fault;
    long code;
    const char* report;
  } cases[] = {{None, 0, ""},
               {D1, 11, "***** Erreur de CheckSystemXY::CheckFirstDeriv : Fy at x = "},
               {D2, 24, "***** Erreur de CheckSystemXY::CheckSecondDeriv : Gxy at x = "},
               {Mixed, 61, "***** Erreur de CheckSystemXY::CheckMultiEval : G at x = "},
               {Grid, 91, "***** Erreur de CheckSystemXY::CheckGridEval : F at x = -1 y = -0.5"},
               {ValueImage, 111, "***** Erreur de CheckSystemXY::CheckImages : F at x = "}};
  for (const auto& c : cases) {
    const CircleParabola s(c.fault);
    CaptureTrace err(XelQuorOutput::GetErr());
    EXPECT_EQ(XelMathCheckSystemXY(&s, domain, kCheckEps).CheckAll(), c.code) << c.fault;
    EXPECT_EQ(err.Text().rfind(c.report, 0), 0u) << err.Text();
    EXPECT_EQ(err.Text().find('\n'), c.code ? err.Text().size() - 1 : std::string::npos);
  }
  const ClosedXY f(0, 0.5), g(2, -0.2);
  const XelMathSystemXYc fg(&f, &g, DefaultTol());
  const ValuesOnly values;
  CaptureTrace err(XelQuorOutput::GetErr());
  EXPECT_EQ(XelMathCheckSystemXY(&fg, domain, kCheckEps, 4).CheckAll(), 0);
  EXPECT_EQ(XelMathCheckSystemXY(&values, domain, kCheckEps).CheckAll(), 0);
  EXPECT_EQ(err.Text(), "");
  EXPECT_EQ(LiveBlocks(), live);
}

// x0^2 + x1^2 + x2^2 - 1, x0 - x1, x1 x2 - 0.1 with the exact Jacobian; one operation broken.
class Sphere3 : public XelMathSystem {
public:
  explicit Sphere3(Fault f) : XelMathSystem(3, DefaultTol()), _fault(f) {}
  using XelMathSystem::Eval;
  using XelMathSystem::EvalEquation;
  void Eval(const double* x, double* f) const override {
    f[0] = x[0] * x[0] + x[1] * x[1] + x[2] * x[2] - 1;
    f[1] = x[0] - x[1];
    f[2] = x[1] * x[2] - 0.1;
  }
  void EvalJacobian(const double* x, double* J) const override {
    if (_fault == NoJacobian)
      return XelMathSystem::EvalJacobian(x, J);
    const double j[9] = {2 * x[0], 2 * x[1], 2 * x[2], 1, -1, 0, 0, x[2], x[1]};
    for (int k = 0; k < 9; ++k)
      J[k] = j[k];
    J[7] += _fault == D1 ? 0.5 : 0.0;
  }
  double EvalEquation(const long i, const double* x) const override {
    return XelMathSystem::EvalEquation(i, x) + (_fault == MultiValue && i == 2 ? 1e-6 : 0.0);
  }
  void EvalEquation(const long i, const XelMathIntervalND& b, const long* n, double* v,
                    double* g) const override {
    XelMathSystem::EvalEquation(i, b, n, v, g);
    v[1] += _fault == Grid ? 1e-3 : 0.0;
  }
  int EvalJacobianImage(const XelMathIntervalND& b, double* lo, double* hi) const override {
    const XelMathInterval x0 = b.GetInterval(0), x1 = b.GetInterval(1), x2 = b.GetInterval(2);
    const XelMathInterval j[9] = {
        IScale(2, x0), IScale(2, x1), IScale(2, x2), {1, 1}, {-1, -1}, {0, 0}, {0, 0}, x2, x1};
    for (int k = 0; k < 9; ++k)
      lo[k] = j[k].low, hi[k] = j[k].high;
    hi[8] = _fault == ValueImage ? lo[8] : hi[8];
    return 1;
  }

private:
  Fault _fault;
};

TEST(SelfChecksSystem, CorrectSystemsPassAndEachMistakeIsReported) {
  const long live = LiveBlocks();
  const double x[3] = {0.3, -0.6, 0.8}, bounds[6] = {-1, 1, -1, 1, 0, 1};
  const XelMathIntervalND box(3, bounds);
  const struct {
    Fault fault;
    long code;
    const char* report;
  } cases[] = {{None, 0, ""},
               {NoJacobian, 0, ""},
               {D1, 10,
                "***** Erreur de CheckSystem::CheckJacobian : first derivative of "
                "equation 2 variable 1"},
               {MultiValue, 32,
                "***** Erreur de CheckSystem::CheckMultiEval : EvalEquation of "
                "equation 2"},
               {Grid, 40, "***** Erreur de CheckSystem::CheckGridEval : value of equation 0"},
               {ValueImage, 50,
                "***** Erreur de CheckSystem::CheckJacobianImage : Jacobian"
                " entry outside its image of equation 2 variable 2"}};
  for (const auto& c : cases) {
    const Sphere3 s(c.fault);
    CaptureTrace err(XelQuorOutput::GetErr());
    EXPECT_EQ(XelMathCheckSystem(&s, 1e-10).CheckAll(x, box, 4), c.code) << c.fault;
    EXPECT_EQ(err.Text().rfind(c.report, 0), 0u) << err.Text();
  }
  EXPECT_EQ(LiveBlocks(), live);
}

} // namespace
