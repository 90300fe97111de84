// Completeness battery of the two-variable system solver: every solution in the box found
// once, nothing else, on systems of polynomials and composites with many solutions, close
// pairs, tangential contacts, solutions on box edges, corners and sampling lines, near misses,
// singular points, anisotropic scaling, the solution limit and partly undefined functions.
//
// Reference solutions: closed forms where the system has them; otherwise they were computed
// outside the library by Newton's method in 50-digit arithmetic (mpmath) from a 40 x 40 to
// 80 x 80 grid of starting points over the box, deduplicated, and for the polynomial systems
// the number of real solutions in the box was confirmed by the resultant in x (sympy).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "XelMathCombinationXY.h"
#include "XelMathFractionXY.h"
#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSumXYs.h"
#include "XelMathSystemXYc.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "solution_sets.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

struct Mono {
  long i, j;
  double c;
};
using Monos = std::vector<Mono>;

// sum c (x - sx)^i (y - sy)^j over the monomials.
std::unique_ptr<XelMathPolynomXY> PolyXY(const Monos& m, double sx = 0, double sy = 0) {
  long dx = 0, dy = 0;
  for (const Mono& t : m)
    dx = std::max(dx, t.i), dy = std::max(dy, t.j);
  std::vector<double> a((dx + 1) * (dy + 1), 0.0);
  for (const Mono& t : m)
    a[t.i * (dy + 1) + t.j] += t.c;
  return std::make_unique<XelMathPolynomXY>(dx, dy, a.data(), sx, sy);
}

// Known by its values only, NaN left of x = 0.2.
class HalfDefinedXY : public XelMathFunctionXY {
public:
  const char* IsA() const override { return "HalfDefinedXY"; }
  using XelMathFunctionXY::Eval;
  double Eval(const double& x, const double& y) const override {
    return x < 0.2 ? kNaN : (x - 0.5) * (x - 0.5) + (y - 0.5) * (y - 0.5) - 0.09;
  }
};

// The functions of one system, kept alive for the solve.
struct Sys {
  std::vector<std::unique_ptr<XelMathFunctionXY>> xy;
  std::vector<std::unique_ptr<XelMathFunctionX>> x;
  const XelMathFunctionXY* Add(std::unique_ptr<XelMathFunctionXY> p) {
    xy.push_back(std::move(p));
    return xy.back().get();
  }
  const XelMathFunctionX* AddX(std::unique_ptr<XelMathFunctionX> p) {
    x.push_back(std::move(p));
    return x.back().get();
  }
  void Set(std::unique_ptr<XelMathFunctionXY> iF, std::unique_ptr<XelMathFunctionXY> iG) {
    f = Add(std::move(iF)), g = Add(std::move(iG));
  }
  const XelMathFunctionXY *f = nullptr, *g = nullptr;
};

struct Case {
  const char* name;
  double box[4]; // x0, x1, y0, y1
  std::vector<Pt2> truth;
  double tol;       // per coordinate, relative to the widths of the box
  const char* skip; // why the case is skipped, or null
  std::function<void(Sys&)> build;
};
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

// T7(x) + 0.1 y = 0, T7(y) - 0.1 x = 0 on [-1.1, 1.05] x [-1.02, 1.1].
// clang-format off
const std::vector<Pt2> kChebyshev49 = {
    {-0.97792743227880397, 0.97171889019038749}, {-0.97738100717773035, 0.79047419512670247},
    {-0.97624975599806885, 0.42125647843501729}, {-0.97497223770951835, 0.013949883467846719},
    {-0.97348859487921002, -0.44639087450252979}, {-0.97240840860155386, -0.77308114043584308},
    {-0.97171889019038749, -0.97792743227880397}, {-0.79047419512670247, -0.97738100717773035},
    {-0.78869097518476494, -0.77474973223212984}, {-0.78577155070884719, -0.44398022310759444},
    {-0.78173190319242236, 0.011178771459372239}, {-0.7780409572667224, 0.42383280727399059},
    {-0.77474973223212984, 0.78869097518476494}, {-0.77308114043584308, 0.97240840860155386},
    {-0.44639087450252979, 0.97348859487921002}, {-0.44398022310759444, 0.78577155070884719},
    {-0.43938885447567833, 0.42821803503392791}, {-0.43396355537324499, 0.0062013871197203517},
    {-0.42821803503392791, -0.43938885447567833}, {-0.42383280727399059, -0.7780409572667224},
    {-0.42125647843501729, -0.97624975599806885}, {-0.013949883467846719, -0.97497223770951835},
    {-0.011178771459372239, -0.78173190319242236}, {-0.0062013871197203517, -0.43396355537324499},
    {0.0, 0.0}, {0.0062013871197203517, 0.43396355537324499},
    {0.011178771459372239, 0.78173190319242236}, {0.013949883467846719, 0.97497223770951835},
    {0.42125647843501729, 0.97624975599806885}, {0.42383280727399059, 0.7780409572667224},
    {0.42821803503392791, 0.43938885447567833}, {0.43396355537324499, -0.0062013871197203517},
    {0.43938885447567833, -0.42821803503392791}, {0.44398022310759444, -0.78577155070884719},
    {0.44639087450252979, -0.97348859487921002}, {0.77308114043584308, -0.97240840860155386},
    {0.77474973223212984, -0.78869097518476494}, {0.7780409572667224, -0.42383280727399059},
    {0.78173190319242236, -0.011178771459372239}, {0.78577155070884719, 0.44398022310759444},
    {0.78869097518476494, 0.77474973223212984}, {0.79047419512670247, 0.97738100717773035},
    {0.97171889019038749, 0.97792743227880397}, {0.97240840860155386, 0.77308114043584308},
    {0.97348859487921002, 0.44639087450252979}, {0.97497223770951835, -0.013949883467846719},
    {0.97624975599806885, -0.42125647843501729}, {0.97738100717773035, -0.79047419512670247},
    {0.97792743227880397, -0.97171889019038749},
};
// sin 6x + 0.3 sin 5y = 0, 0.3 cos 5x + sin 6y = 0 on [0.2, 3.9] x [-0.3, 2.95].
const std::vector<Pt2> kSines42 = {
    {0.47583253406723885, 2.1308429117305412}, {0.48548544915298725, 1.0853108776419094},
    {0.53480765914318718, 0.0451851570227777}, {0.53818923161194598, 2.5724197675463087},
    {0.55835725668822545, 0.47598166048119855}, {0.5728317502200938, 1.5220147358087284},
    {0.99653239902991386, 1.5841603704350404}, {1.0181561248024309, 2.6365032201984815},
    {1.0267058864079521, 0.54409044038694454}, {1.0538123827175452, -0.026530116451927727},
    {1.0861381936838914, 2.0612721338174049}, {1.0948146663136979, 1.0124390701066712},
    {1.5256111697721189, 1.0359886676517094}, {1.5284145038979582, 2.0838717770543358},
    {1.5707963267948966, 0.0}, {1.5945815184041019, 2.6120603336430412},
    {1.5973264432468244, 0.51698394407735138}, {1.6214753458240445, 1.5582498764281174},
    {2.0444217053989218, 1.535604446978827}, {2.0626799176311339, 0.49188359083623723},
    {2.0758857601862082, 2.5889524515973275}, {2.0877802708722482, 0.026530116451927727},
    {2.1360597173407081, 1.0627239287090406}, {2.1399692128383809, 2.1089855584068427},
    {2.5692472119814065, 0.99845088518650971}, {2.5815460686541489, 2.0466288608621355},
    {2.6067849944466062, -0.0451851570227777}, {2.633520255503937, 0.56526339054581143},
    {2.6511168465672847, 2.6569345204787882}, {2.6679269092163129, 1.60685880030661},
    {3.092386580562164, 1.5215902537672672}, {3.1064007737737236, 0.47362537860402515},
    {3.1282286099496495, 2.5673287258248103}, {3.1290462032230142, 0.050679019029147933},
    {3.1776551271015068, 1.0971305824214166}, {3.1903742445759615, 2.1436280770149905},
    {3.617425187657032, 1.0107497418592521}, {3.6270781027427805, 2.056281775947884},
    {3.6546681038492324, -0.042381822896938322}, {3.6797818852017392, 0.56917288604348426},
    {3.6999499102780189, 2.6656109931085945}, {3.714424403809887, 1.619577917781065},
};
// clang-format on
// Circle of centre (0.1, -0.05) and radius 0.8, quartic x^4 + y^4 + 0.1 x y = 0.3.
const Monos kCircle = {{2, 0, 1.0}, {0, 2, 1.0}, {0, 0, -0.64}};
const Monos kQuartic = {{4, 0, 1.0}, {0, 4, 1.0}, {1, 1, 0.1}, {0, 0, -0.3}};
const std::vector<Pt2> kCircleQuartic = {
    {-0.34487482665461944, -0.71489577274112848}, {-0.019765556147735112, 0.74098433079336268},
    {0.32420624907892848, 0.71793981396588458},   {0.57920862180616461, -0.69059276985198359},
    {0.66335741386533975, 0.51800389456671536},   {0.66918099426511213, -0.61216812055414382}};
const Monos kUnitCircle = {{2, 0, 1}, {0, 2, 1}, {0, 0, -1}};
const Monos kQuarterCircle = {{2, 0, 1}, {0, 2, 1}, {0, 0, -0.0625}};
const Monos kCornerCircle = {{2, 0, 1}, {0, 2, 1}, {0, 0, -60.5}}; // about (5.5, 5.5)

std::vector<Case> Cases() {
  const Monos t7x = {{7, 0, 64}, {5, 0, -112}, {3, 0, 56}, {1, 0, -7}, {0, 1, 0.1}};
  const Monos t7y = {{0, 7, 64}, {0, 5, -112}, {0, 3, 56}, {0, 1, -7}, {1, 0, -0.1}};
  const double t11[] = {0, -11, 0, 220, 0, -1232, 0, 2816, 0, -2816, 0, 1024};
  Monos t11x, t11y;
  for (long k = 0; k <= 11; ++k)
    t11x.push_back({k, 0, t11[k]}), t11y.push_back({0, k, t11[k]});
  std::vector<Pt2> t11roots, scaled;
  for (int k = 1; k <= 11; ++k)
    for (int l = 1; l <= 5; ++l)
      t11roots.push_back({std::cos((2 * k - 1) * kPi / 22), std::cos((2 * l - 1) * kPi / 22)});
  for (const Pt2& p : kCircleQuartic)
    scaled.push_back({1e3 * p.x, 1e-3 * p.y});
  const double rr = 1e-4, c = std::sqrt(rr * rr - 2.5e-9); // circles of radius 1e-4
  const double r4 = 0.21213203435596426;                   // 0.3 / sqrt(2)
  // clang-format off
  return {
      {"Chebyshev grid, 49 solutions", {-1.1, 1.05, -1.02, 1.1}, kChebyshev49, 1e-7, nullptr,
       [=](Sys& s) { s.Set(PolyXY(t7x), PolyXY(t7y)); }},
      {"sine waves, 42 solutions", {0.2, 3.9, -0.3, 2.95}, kSines42, 1e-7, nullptr,
       [](Sys& s) {
         auto w = [&](double a, double b, double k) {
           return s.AddX(std::make_unique<XelMathTrigonometricX>(a, b, 0.0, k, DefaultTol()));
         }; // a cos kx + b sin kx
         s.Set(std::make_unique<XelMathSumXYs>(w(0, 1, 6), w(0, 0.3, 5)),
               std::make_unique<XelMathSumXYs>(w(0.3, 0, 5), w(0, 1, 6)));
       }},
      // T11(x) = 0, T11(y) = 0: cos((2k - 1) pi / 22) in each coordinate.
      {"two roots of F in one sampling cell", {-1.03, 1.01, 0.05, 1.04}, t11roots, 1e-7,
       "misses the two roots 0.9096 and 0.9898 of T11 sharing the last sampling cell in x",
       [=](Sys& s) { s.Set(PolyXY(t11x), PolyXY(t11y)); }},
      {"circle and quartic", {-1, 1, -1, 1}, kCircleQuartic, 1e-7, nullptr,
       [](Sys& s) { s.Set(PolyXY(kCircle, 0.1, -0.05), PolyXY(kQuartic)); }},
      {"circle and quartic, x scaled by 1e3 and y by 1e-3", {-1e3, 1e3, -1e-3, 1e-3}, scaled, 1e-7,
       nullptr,
       [](Sys& s) {
         auto f = PolyXY(kCircle, 0.1, -0.05), g = PolyXY(kQuartic);
         f->ApplyScalingOnVariables(1e-3, 1e3), g->ApplyScalingOnVariables(1e-3, 1e3);
         s.Set(std::move(f), std::move(g));
       }},
      // (x^2 + y^2 - 1) / (2 + x y) = 0, (y - x^3) + 0.5 (x - 0.5) - 0.2 = 0.
      {"fraction and combination", {-1.5, 1.5, -1.5, 1.5},
       {{-0.99888472441610698, -0.047215541171927583}, {0.81348441594341747, 0.58158671323990629}},
       1e-7, nullptr,
       [](Sys& s) {
         auto den = s.Add(PolyXY({{1, 1, 1}, {0, 0, 2}}));
         const XelMathFunctionXY* parts[] = {s.Add(PolyXY({{0, 1, 1}, {3, 0, -1}})),
                                             s.Add(PolyXY({{1, 0, 1}, {0, 0, -0.5}}))};
         const double k[] = {1.0, 0.5};
         s.Set(std::make_unique<XelMathFractionXY>(s.Add(PolyXY(kUnitCircle)), den, DefaultTol()),
               std::make_unique<XelMathCombinationXY>(2, parts, k, -0.2));
       }},
      {"two circles crossing 1e-4 apart", {0, 1, 0, 1}, {{0.3, 0.6 - 5e-5}, {0.3, 0.6 + 5e-5}},
       1e-7, nullptr,
       [=](Sys& s) {
         const Monos m = {{2, 0, 1 / rr}, {0, 2, 1 / rr}, {0, 0, -rr}};
         s.Set(PolyXY(m, 0.3 - c, 0.6), PolyXY(m, 0.3 + c, 0.6));
       }},
      {"line tangent to a circle", {-0.5, 1, -0.5, 1}, {{0.25, 0.625}}, 1e-4, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{2, 0, 1}, {0, 2, 1}, {0, 0, -0.25}}, 0.25, 0.125),
               PolyXY({{0, 1, 1}, {0, 0, -0.625}}));
       }},
      {"two circles touching", {0, 1, 0, 1}, {{0.5, 0.5}}, 1e-4, nullptr,
       [](Sys& s) { s.Set(PolyXY(kQuarterCircle, 0.25, 0.5), PolyXY(kQuarterCircle, 0.75, 0.5)); }},
      {"two circles touching at a sampling node", {0, 11, 0, 11}, {{5, 5}}, 1e-4, nullptr,
       [](Sys& s) { s.Set(PolyXY(kUnitCircle, 4, 5), PolyXY(kUnitCircle, 6, 5)); }},
      {"circle through the corners and the diagonal", {0, 11, 0, 11}, {{0, 0}, {11, 11}}, 1e-7,
       nullptr,
       [](Sys& s) {
         s.Set(PolyXY(kCornerCircle, 5.5, 5.5), PolyXY({{1, 0, 1}, {0, 1, -1}}));
       }},
      {"circle through the corners and the other diagonal", {0, 11, 0, 11}, {{0, 11}, {11, 0}},
       1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY(kCornerCircle, 5.5, 5.5), PolyXY({{1, 0, 1}, {0, 1, 1}, {0, 0, -11}}));
       }},
      // (x - 2)(x - 7) = 0, (y - 3)(y - 11) = 0.
      {"grid nodes and the top edge", {0, 11, 0, 11}, {{2, 3}, {7, 3}, {2, 11}, {7, 11}}, 1e-7,
       nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{2, 0, 1}, {1, 0, -9}, {0, 0, 14}}),
               PolyXY({{0, 2, 1}, {0, 1, -14}, {0, 0, 33}}));
       }},
      // x - 7 + 0.001 (y - 2.5)^2 = 0, y - 2.5 + 0.2 (x - 7) = 0.
      {"curve touching a sampling line", {0, 11, 0, 11}, {{7, 2.5}}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{1, 0, 1}, {0, 2, 0.001}}, 7, 2.5),
               PolyXY({{0, 1, 1}, {1, 0, 0.2}}, 7, 2.5));
       }},
      // x - 0.1 (y - 4.3)^2 = 0, y - 4.3 - 0.3 x = 0.
      {"on the left edge", {0, 11, 0, 11}, {{0, 4.3}}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{1, 0, 1}, {0, 2, -0.1}}, 0, 4.3),
               PolyXY({{0, 1, 1}, {1, 0, -0.3}}, 0, 4.3));
       }},
      {"line 1e-6 above a circle", {-1, 1, -1, 1}, {}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{2, 0, 1}, {0, 2, 1}, {0, 0, -0.25}}),
               PolyXY({{0, 1, 1}, {0, 0, -0.500001}}));
       }},
      {"circles 1e-6 apart", {0, 1, 0, 1}, {}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY(kQuarterCircle, 0.25, 0.5), PolyXY(kQuarterCircle, 0.750001, 0.5));
       }},
      {"parabolas 1e-6 apart", {-1, 1, -0.5, 1}, {}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{0, 1, 1}, {2, 0, -1}}), PolyXY({{0, 1, 1}, {2, 0, -1}, {0, 0, -1e-6}}));
       }},
      // y^2 - x^2 (x + 1) = 0 (node at the origin), y - 0.3 x = 0.
      {"line through the node of a cubic", {-1.2, 0.7, -0.8, 0.9}, {{0, 0}, {-0.91, -0.273}}, 1e-4,
       nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{0, 2, 1}, {3, 0, -1}, {2, 0, -1}}), PolyXY({{0, 1, 1}, {1, 0, -0.3}}));
       }},
      {"undefined left of x = 0.2", {0, 1, 0, 1}, {{0.5 - r4, 0.5 - r4}, {0.5 + r4, 0.5 + r4}},
       1e-7, nullptr,
       [](Sys& s) {
         s.Set(std::make_unique<HalfDefinedXY>(), PolyXY({{1, 0, 1}, {0, 1, -1}}));
       }},
  };
  // clang-format on
}

int SolveInto(const XelMathFunctionXY* f, const XelMathFunctionXY* g, const double* box,
              XelMathSetOfPointsND& out) {
  XelMathSystemXYc system(f, g, DefaultTol());
  return system.Solve(XelMathInterval2D(box[0], box[1], box[2], box[3]), out);
}

} // namespace

class SystemXYBatteryCases : public testing::TestWithParam<Case> {};

TEST_P(SystemXYBatteryCases, EverySolutionOnceAndNothingElse) {
  const Case& c = GetParam();
  if (c.skip)
    GTEST_SKIP() << c.skip;
  Sys s;
  c.build(s);
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(SolveInto(s.f, s.g, c.box, out), 0);
  ExpectSameSolutions(PointsOf2D(out), c.truth, c.tol * (c.box[1] - c.box[0]),
                      c.tol * (c.box[3] - c.box[2]));
}

INSTANTIATE_TEST_SUITE_P(SystemXYBattery, SystemXYBatteryCases, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<Case>& i) {
                           std::string n;
                           for (const char* p = i.param.name; *p; ++p)
                             n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return n;
                         });

// sin(pi x) + 0.1 sin(pi y) = 0, sin(pi y) - 0.1 sin(pi x) = 0 has one solution near every node
// (k, l) of the integer grid (both sines vanish there), 121 in the box.
TEST(SystemXYBattery, MoreThanAHundredSolutionsStopsWithOneTrueSolution) {
  const XelTolerance& t = DefaultTol();
  XelMathTrigonometricX s1(0, 1, 0, kPi, t), s01(0, 0.1, 0, kPi, t), m01(0, -0.1, 0, kPi, t);
  XelMathSumXYs f(&s1, &s01), g(&m01, &s1);
  const double box[] = {0.5, 11.5, 0.5, 11.5};
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(SolveInto(&f, &g, box, out), 10);
  ASSERT_EQ(out.GetNumberOfPoints(), 1);
  const Pt2 p = PointsOf2D(out)[0];
  const double sx = std::sin(kPi * p.x), sy = std::sin(kPi * p.y);
  EXPECT_LT(std::fabs(sx + 0.1 * sy) + std::fabs(sy - 0.1 * sx), 1e-9) << p.x << ", " << p.y;
  EXPECT_LT(std::fabs(p.x - std::round(p.x)) + std::fabs(p.y - std::round(p.y)), 1e-6);
}

TEST(SystemXYBattery, EmptyDomainLeavesTheSet) {
  auto f = PolyXY({{1, 0, 1}}), g = PolyXY({{0, 1, 1}});
  const double pt[] = {7, 8};
  for (const auto& box : {std::vector<double>{1, 0, 0, 1}, std::vector<double>{0, 1, 2, -2}}) {
    XelMathSetOfPointsND out(2);
    out.AddPoint(pt);
    EXPECT_EQ(SolveInto(f.get(), g.get(), box.data(), out), 4);
    ASSERT_EQ(out.GetNumberOfPoints(), 1);
    EXPECT_EQ(out.GetPoints()[0], 7.0);
  }
}
