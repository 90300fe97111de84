// Two-variable compositions with a function of N variables, and the memories of two-variable
// functions. Point derivatives up to the third order are checked against fourth-order centred
// differences of an independent closed form, interval images against dense samples, memories
// against the evaluation counts of the function they wrap, and ownership against the counters
// of live test objects and of the kernel's memory services.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "XelMathCompositionXYByRN.h"
#include "XelMathConstants.h"
#include "XelMathDefinitionMemoryXY.h"
#include "XelMathFunctionRN.h"
#include "XelMathIntervalND.h"
#include "XelMathSingleMemoryXY.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"
#include "xy_helpers.h"

namespace {

using namespace xeltest;
typedef XelMathInterval Iv;

// F(z) = z0 exp(z1) + z2^2 + 0.5 z0 z1 z2 with exact partial derivatives and box images,
// claiming the options in `offered`. n[v] counts the differentiations in z_v.
class ExpSquareRN : public XelMathFunctionRN {
public:
  explicit ExpSquareRN(long iOffered = ~0L, long iN = 3)
      : XelMathFunctionRN(iN), offered(iOffered) {
    ++gLiveLeaves;
  }
  ~ExpSquareRN() override { --gLiveLeaves; }
  const char* IsA() const override { return "ExpSquareRN"; }
  unsigned char IsOption(const long o) const override { return (o & ~offered) == 0; }
  XelMathFunctionRN* Duplicate() const override { return new ExpSquareRN(offered); }
  static double P(const double* z, long i = -1, long j = -1, long k = -1) {
    int n[3] = {0, 0, 0};
    for (long v : {i, j, k})
      n[v < 0 ? 0 : v] += v >= 0;
    const double a = (n[2] || n[0] > 1) ? 0 : (n[0] ? 1 : z[0]) * std::exp(z[1]);
    const double b = (n[0] || n[1] || n[2] > 2) ? 0 : n[2] == 2 ? 2 : n[2] ? 2 * z[2] : z[2] * z[2];
    double c = (n[0] > 1 || n[1] > 1 || n[2] > 1) ? 0 : 0.5;
    for (int v = 0; v < 3; v++)
      c *= n[v] ? 1 : z[v];
    return a + b + c;
  }
  static Iv PI(const XelMathIntervalND& box, long i = -1, long j = -1) {
    int n[3] = {0, 0, 0};
    for (long v : {i, j})
      n[v < 0 ? 0 : v] += v >= 0;
    const Iv z[3] = {box.GetInterval(0), box.GetInterval(1), box.GetInterval(2)};
    const Iv a = (n[2] || n[0] > 1) ? Iv() : n[0] ? IExp(z[1]) : IMul(z[0], IExp(z[1]));
    const Iv b = (n[0] || n[1] || n[2] > 2) ? Iv()
                 : n[2] == 2                ? Iv(2, 2)
                 : n[2]                     ? IScale(2, z[2])
                                            : ISquare(z[2]);
    Iv c = (n[0] > 1 || n[1] > 1 || n[2] > 1) ? Iv() : Iv(0.5, 0.5);
    for (int v = 0; v < 3; v++)
      c = n[v] ? c : IMul(c, z[v]);
    return IAdd(IAdd(a, b), c);
  }
  typedef const long& L;
  using XelMathFunctionRN::Eval;
  using XelMathFunctionRN::EvalFirstDeriv;
  using XelMathFunctionRN::EvalSecondDeriv;
  using XelMathFunctionRN::EvalThirdDeriv;
  double Eval(const double* z) const override { return P(z); }
  double EvalFirstDeriv(L i, const double* z) const override { return P(z, i); }
  double EvalSecondDeriv(L i, L j, const double* z) const override { return P(z, i, j); }
  double EvalThirdDeriv(L i, L j, L k, const double* z) const override { return P(z, i, j, k); }
  Iv Eval(const XelMathIntervalND& b) const override { return PI(b); }
  Iv EvalFirstDeriv(L i, const XelMathIntervalND& b) const override { return PI(b, i); }
  Iv EvalSecondDeriv(L i, L j, const XelMathIntervalND& b) const override { return PI(b, i, j); }
  long offered;
};

const auto& kOrders = kOrdersXY;

// g1 = exp(x) sin(y) + x^2 y + 0.3, g2 = sin(x + 2y) - 0.2, g3 = x - y^2 + 0.5 (counting their
// evaluations), and h = F(g1, g2, g3) written out.
struct Components {
  ClosedXY g1{0, 0.3}, g2{2, -0.2}, g3{1, 0.5};
  const XelMathFunctionXY* g[3] = {&g1, &g2, &g3};
  static double H(double x, double y) {
    const double u = std::exp(x) * std::sin(y) + x * x * y + 0.3;
    const double v = std::sin(x + 2 * y) - 0.2, w = x - y * y + 0.5;
    return u * std::exp(v) + w * w + 0.5 * u * v * w;
  }
};

} // namespace

// The chain rule up to the third order through every route (one operation per output, the
// masked evaluation with the four third derivatives, EvalUpToThirdDeriv), for the composition,
// the factory of the N-variable function, a deep copy and the two memories wrapped around the
// composition, at random points visited in turn (a memory answering for a stale point shows).
TEST(CompositionsXY, ChainRuleToTheThirdOrderMatchesDifferencesOfTheClosedForm) {
  Components c;
  ExpSquareRN F;
  const XelTolerance& tol = DefaultTol();
  XelMathCompositionXYByRN h(&F, c.g, tol);
  std::unique_ptr<XelMathFunctionXY> created(F.CreateCompositionXY(c.g));
  std::unique_ptr<XelMathFunctionXY> deep(h.DeepDuplicate());
  XelMathSingleMemoryXY memory(&h, 0.3, -0.2, tol);
  XelMathDefinitionMemoryXY definition(&h, Iv(-1, 1), Iv(-1, 1), tol);
  const XelMathFunctionXY* cases[] = {&h, created.get(), deep.get(), &memory, &definition};
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> coord(-1.0, 1.0);
  for (int p = 0; p < 12; p++) {
    const double x = coord(gen), y = coord(gen);
    for (const XelMathFunctionXY* f : cases) {
      double r[3][10];
      RoutesXY(*f, x, y, r);
      for (int k = 0; k < 10; k++) {
        const double ref = StencilXY(Components::H, kOrders[k][0], kOrders[k][1], x, y, 5e-3);
        for (int route = 0; route < 3; route++)
          EXPECT_NEAR(r[route][k], ref, 2e-6 * (1 + std::fabs(ref)))
              << f->IsA() << " output " << k << " route " << route << " at " << x << ", " << y;
      }
    }
  }
}

// Images of the value (composed from F's box image, or the general image when F offers none)
// and, one by one and masked, of the first and second derivatives enclose dense samples of the
// point evaluations; the definition memory on its own box and on other ones.
TEST(CompositionsXY, ImagesEncloseDenseSamples) {
  Components c;
  ExpSquareRN F, noImageF(1 | 2 | 4 | 8);
  const XelTolerance& tol = DefaultTol();
  XelMathCompositionXYByRN h(&F, c.g, tol), general(&noImageF, c.g, tol);
  XelMathSingleMemoryXY memory(&h, 0.0, 0.0, tol);
  const Iv U(-0.9, -0.2), V(0.1, 0.8);
  XelMathDefinitionMemoryXY definition(&h, U, V, tol);
  const XelMathFunctionXY* functions[] = {&h, &general, &memory, &definition};
  const double boxes[][4] = {{U.low, U.high, V.low, V.high},
                             {0.2, 0.35, -0.6, -0.5},
                             {-1, 1, -1, 1},
                             {0.4, 0.4, -0.3, 0.6}};
  for (const XelMathFunctionXY* f : functions)
    for (const auto& box : boxes)
      ExpectImagesEncloseXY(*f, Iv(box[0], box[1]), Iv(box[2], box[3]), 1e-12);
}

// The single memory asks its function once per new point for the value and once per new
// point for both first derivatives, starting from one evaluation at (x0, y0); the definition
// memory computes the images over its box once and forwards any other box.
TEST(CompositionsXY, MemoriesEvaluateTheirFunctionOncePerPointAndBox) {
  Components c;
  const XelTolerance& tol = DefaultTol();
  XelMathSingleMemoryXY memory(&c.g1, 0.3, -0.2, tol);
  EXPECT_EQ(c.g1.pointCalls, 1);
  // What is asked (0 value, 1 fx, 2 fy, 3 or 7 the masked evaluation), where, new calls of g1.
  // clang-format off
  const double steps[][4] = {{0, 0.3, -0.2, 0}, {1, 0.3, -0.2, 0}, {2, 0.3, -0.2, 0}, {0, 0.5, 0.1, 1},
                             {0, 0.5, 0.1, 0}, {1, 0.5, 0.1, 1}, {2, 0.5, 0.1, 0}, {3, 0.5, 0.1, 0},
                             {3, -0.4, 0.7, 1}, {7, -0.4, 0.7, 1}, {0, 0.5, 0.1, 1}, {2, -0.4, 0.7, 0},
                             {3, 0.5, 0.1, 1}};
  // clang-format on
  for (const auto& s : steps) {
    const int op = static_cast<int>(s[0]);
    const long before = c.g1.pointCalls;
    double v[6] = {0, 0, 0, 0, 0, 0};
    if (op >= 3)
      memory.Eval(s[1], s[2], op, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]);
    else
      v[op] = op == 0   ? memory.Eval(s[1], s[2])
              : op == 1 ? memory.EvalFirstDerivX(s[1], s[2])
                        : memory.EvalFirstDerivY(s[1], s[2]);
    EXPECT_EQ(c.g1.pointCalls - before, static_cast<long>(s[3]))
        << op << " at " << s[1] << ", " << s[2];
    for (int k = op >= 3 ? 0 : op; k <= (op == 3 ? 2 : op == 7 ? 5 : op); k++)
      EXPECT_EQ(v[k], c.g1.D(kOrders[k][0], kOrders[k][1], s[1], s[2])) << "output " << k;
  }

  const Iv U(-0.5, 0.25), V(0.1, 0.9), other(-0.5, 0.3);
  XelMathDefinitionMemoryXY definition(&c.g2, U, V, tol);
  const struct {
    Iv I;
    int op; // 0 value, 1 fx, 2 fy, 3 masked value and first derivatives
    long calls;
  } boxSteps[] = {{U, 0, 1}, {U, 0, 0},     {U, 1, 2},     {U, 2, 0},
                  {U, 3, 0}, {other, 0, 1}, {other, 0, 1}, {other, 2, 1}};
  for (const auto& s : boxSteps) {
    const long before = c.g2.intervalCalls;
    Iv r[3];
    if (s.op == 3)
      definition.Eval(s.I, V, 16 | 32, &r[0], &r[1], &r[2], nullptr, nullptr, nullptr, tol);
    else
      r[0] = s.op == 0   ? definition.Eval(s.I, V, tol)
             : s.op == 1 ? definition.EvalFirstDerivX(s.I, V)
                         : definition.EvalFirstDerivY(s.I, V);
    EXPECT_EQ(c.g2.intervalCalls - before, s.calls) << "box step " << s.I.high << " " << s.op;
    EXPECT_TRUE(r[0] == c.g2.DI(s.op == 1, s.op == 2, s.I, V)) << s.op;
  }
  definition.Set(&c.g3, U, V); // the stored images are those of the new function
  EXPECT_TRUE(definition.Eval(U, V, tol) == c.g3.DI(0, 0, U, V));
}

// Owning variants delete every component once (one given twice included), deep copies own
// independent copies, and nothing stays allocated.
TEST(CompositionsXY, OwningVariantsAndDeepCopiesReleaseEverything) {
  const long leaves = gLiveLeaves, leavesXY = gLiveXY, blocks = LiveBlocks();
  const XelTolerance& tol = DefaultTol();
  {
    Components c;
    XelMathFunctionXY* g[3] = {c.g1.Duplicate(), c.g3.Duplicate(), nullptr};
    g[2] = g[0];
    auto* owner = new XelMathCompositionXYByRNDel(new ExpSquareRN(), g, tol);
    const double expected = owner->Eval(0.2, -0.7);
    XelMathFunctionXY* copy = owner->DeepDuplicate();
    XelMathFunctionXY* copyOfCopy = copy->Duplicate(); // deep as well
    delete owner;
    EXPECT_EQ(copy->Eval(0.2, -0.7), expected);
    delete copy;
    EXPECT_EQ(copyOfCopy->Eval(0.2, -0.7), expected);
    delete copyOfCopy;

    auto* memory = new XelMathSingleMemoryXYDel(c.g2.Duplicate(), 0.1, 0.2, tol);
    XelMathFunctionXY* memoryCopy = memory->DeepDuplicate();
    delete memory;
    EXPECT_EQ(memoryCopy->Eval(0.1, 0.2), c.g2.D(0, 0, 0.1, 0.2));
    delete memoryCopy;

    XelMathFunctionXY* kept = c.g1.Duplicate();
    XelMathDefinitionMemoryXYDel definition(c.g2.Duplicate(), Iv(0, 1), Iv(0, 1), tol);
    definition.Set(kept, Iv(0, 1), Iv(0, 2)); // deletes the previous function
    definition.Set(kept, Iv(0, 1), Iv(0, 3)); // the same one: kept
    std::unique_ptr<XelMathFunctionXY> definitionCopy(definition.DeepDuplicate());
    EXPECT_EQ(definitionCopy->Eval(0.5, 0.5), c.g1.D(0, 0, 0.5, 0.5));
  }
  EXPECT_EQ(gLiveLeaves, leaves);
  EXPECT_EQ(gLiveXY, leavesXY);
  EXPECT_EQ(LiveBlocks(), blocks);
}

// Options are the conjunction of the components' answers for the orders the chain rule needs;
// null components give infinite values and no interval information; a dimension whose work
// arrays cannot be held is refused.
TEST(CompositionsXY, OptionsNullComponentsAndImpossibleDimensions) {
  Components c;
  const XelTolerance& tol = DefaultTol();
  // Options of F, of g2, the question and the answer.
  // clang-format off
  const long rows[][4] = {{~0L, ~0L, 2 | 4 | 8 | 16 | 32 | 64, 1}, {~0L, ~0L, 128, 0},
                          {~16L, ~0L, 16, 0}, {~16L, ~0L, 8, 1}, {~0L, ~8L, 8, 0}, {~0L, ~8L, 4, 1},
                          {~4L, ~0L, 8, 0}, {~0L, ~16L, 32, 0}, {~0L, ~64L, 64, 0}, {~0L, ~64L, 32, 1}};
  // clang-format on
  for (const auto& r : rows) {
    ExpSquareRN F(r[0]);
    c.g2.offered = r[1];
    XelMathCompositionXYByRN h(&F, c.g, tol);
    EXPECT_EQ(h.IsOption(r[2]), r[3]) << r[0] << " " << r[1] << " " << r[2];
  }
  ExpSquareRN F;
  const XelMathFunctionXY* withNull[3] = {&c.g1, nullptr, &c.g3};
  XelMathCompositionXYByRN nullOuter(nullptr, c.g, tol), nullInner(&F, withNull, tol);
  XelMathSingleMemoryXY emptyMemory(nullptr, 0, 0, tol);
  XelMathDefinitionMemoryXY emptyDefinition(tol);
  const XelMathFunctionXY* empties[] = {&nullOuter, &nullInner, &emptyMemory, &emptyDefinition};
  for (const XelMathFunctionXY* f : empties) {
    double d[4];
    f->EvalAllThirdDerivs(0.1, 0.2, d[0], d[1], d[2], d[3]);
    EXPECT_EQ(f->Eval(0.1, 0.2), XelMathInfinite) << f->IsA();
    EXPECT_EQ(d[1], XelMathInfinite) << f->IsA();
    EXPECT_FALSE(f->IsOption(2)) << f->IsA();
    EXPECT_TRUE(f->Eval(Iv(0, 1), Iv(0, 1), tol) == Iv(0, 0)) << f->IsA();
  }
  ExpSquareRN huge(~0L, 1L << 40);
  ExpectInputError([&] { XelMathCompositionXYByRN tooLarge(&huge, nullptr, tol); }, 0x20006,
                   {"Dimension not valid"});
}
