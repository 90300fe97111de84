// Attribute lists (lists never own attributes) and the attribute classes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "XelMathAttrDecomposition.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrExclusion2D.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrMultipleDomain.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrRepartition.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathConstraint.h"
#include "XelMathConstraintOption.h"
#include "XelMathInterval2D.h"
#include "XelTolerance.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

std::string Join(const long* iValues, long iCount) {
  std::string text;
  for (long i = 0; i < iCount; i++)
    text += (i ? "," : "") + std::to_string(iValues[i]);
  return text;
}
std::string Powers(const XelMathAttrScaleOption& o) {
  long nf = -1, nx = -1, ng = -1;
  const long* f = o.GetPowerScaleF(nf);
  const long* x = o.GetPowerScaleX(nx);
  const long* g = o.GetPowerScaleG(ng);
  return Join(f, nf) + "|" + Join(x, nx) + "|" + Join(g, ng);
}

XelMathInterval2D Box(double iU0, double iU1, double iV0, double iV1) {
  XelMathInterval2D box;
  box.SetX(XelMathInterval(iU0, iU1));
  box.SetY(XelMathInterval(iV0, iV1));
  return box;
}

// g(x) = x^3 - 2x, admissible where g >= 0.
class CubicConstraint : public XelMathConstraint {
public:
  unsigned char IsAdmissible(const XelMathInterval& I) const override {
    const double c = std::sqrt(2.0 / 3.0);
    double high = std::fmax(EvalConstraint(I.low), EvalConstraint(I.high));
    if (I.low <= -c && -c <= I.high)
      high = std::fmax(high, EvalConstraint(-c));
    return high >= 0.0;
  }
  double EvalConstraint(double x) const override { return x * x * x - 2.0 * x; }
};
} // namespace

TEST(AttrList, ExclusiveReplacesTheFirstOfItsKeyInPlaceAndNonExclusivePilesUp) {
  XelMathAttrIntegerValue first("SamplingPoints", 5, 1), second("SamplingPoints", 9, 1);
  XelMathAttrString other("CheckExtremities", 1);
  XelMathAttrList list;
  for (XelMathAttribute* attribute : std::vector<XelMathAttribute*>{&first, &other, &second})
    list.AddAttribute(attribute);
  ASSERT_EQ(list.GetNumberOfAttributes(), 2);
  EXPECT_TRUE(list.GetAttributeAt(0) == &second && list.GetAttributeAt(1) == &other);
  EXPECT_EQ(list.GetAttribute("SamplingPoints", 2), nullptr);
  EXPECT_EQ(first.GetValue(), 5); // the replaced attribute is untouched (not owned)

  XelMathAttrDoubleValue a("LimitValue", 1.0, 0), b("LimitValue", 2.0, 0), c("LimitValue", 3, 0);
  for (XelMathAttribute* attribute : {&a, &b, &c})
    list.AddAttribute(attribute);
  ASSERT_EQ(list.GetNumberOfAttributes(), 5);
  EXPECT_EQ(list.GetAttribute("LimitValue"), &a); // occurrence 1 by default
  EXPECT_TRUE(list.GetAttribute("LimitValue", 2) == &b && list.GetAttribute("LimitValue", 3) == &c);
  for (long occurrence : {4L, 0L, -1L, std::numeric_limits<long>::min()})
    EXPECT_EQ(list.GetAttribute("LimitValue", occurrence), nullptr) << occurrence;
  EXPECT_EQ(list.GetAttribute("NoSuchKey", 1), nullptr);

  // An exclusive one replaces only the first; a non-exclusive one never replaces.
  XelMathAttrString n1("Dichotomy", 0), n2("Dichotomy", 0), x("Dichotomy", 1), n3("Dichotomy", 0);
  XelMathAttrList piles;
  for (XelMathAttribute* attribute : {&n1, &n2, &x, &n3})
    piles.AddAttribute(attribute);
  ASSERT_EQ(piles.GetNumberOfAttributes(), 3);
  EXPECT_TRUE(piles.GetAttributeAt(0) == &x && piles.GetAttributeAt(1) == &n2 &&
              piles.GetAttribute("Dichotomy", 3) == &n3);
  piles.AddAttribute(&x); // replacing by the same object changes nothing
  EXPECT_EQ(piles.GetNumberOfAttributes(), 3);
}

TEST(AttrList, KeysMatchByTextAndNullEntriesArePassedOver) {
  char name[] = "EpsilonRoot";
  XelMathAttrDoubleValue eps(name, 1e-9, 1);
  XelMathAttrList list(&eps);
  const std::string copy = "EpsilonRoot";
  EXPECT_TRUE(list.GetAttribute(AttrFunctionXEpsRoot) == &eps &&
              list.GetAttribute(copy.c_str()) == &eps);
  for (const char* miss : {"EpsilonRoo", "EpsilonRootX", "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(list.GetAttribute(miss), nullptr);
  XelMathAttrDoubleValue eps2(copy.c_str(), 1e-7, 1); // same text in another buffer replaces
  list.AddAttribute(&eps2);
  list.AddAttribute(nullptr); // ignored
  EXPECT_TRUE(list.GetNumberOfAttributes() == 1 &&
              list.GetAttribute(AttrFunctionXEpsRoot) == &eps2);
  EXPECT_TRUE(list.GetAttributeAt(-1) == nullptr && list.GetAttributeAt(1) == nullptr);
  // The one-attribute constructor keeps a null entry; lookups pass over it.
  XelMathAttrString present("CheckExtremities", 1);
  XelMathAttrList withNull(nullptr);
  EXPECT_TRUE(withNull.GetNumberOfAttributes() == 1 && !withNull.GetAttribute("CheckExtremities"));
  withNull.AddAttribute(&present);
  EXPECT_TRUE(withNull.GetNumberOfAttributes() == 2 &&
              withNull.GetAttribute("CheckExtremities") == &present);
  // Unnamed attributes (default constructors) are exclusive and share the null key.
  XelMathAttrDoubleValue unnamed1, unnamed2;
  XelMathAttrList unnamed(&unnamed1);
  unnamed.AddAttribute(&unnamed2);
  EXPECT_EQ(unnamed.GetNumberOfAttributes(), 1);
  EXPECT_TRUE(unnamed.GetAttributeAt(0) == &unnamed2 && unnamed.GetAttribute("") == nullptr);
  XelMathAttrString light(AttrSystemLightSingularityTreatment, 1); // keys of the same text
  EXPECT_EQ(XelMathAttrList(&light).GetAttribute(AttrSystemNoSingularityTreatment), &light);
}

TEST(AttrList, CopiesShareTheAttributesButNotTheEntriesAndNothingLeaks) {
  const long before = LiveBlocks();
  {
    XelMathAttrDoubleValue tolerance("AbsoluteTolerance", 1e-6, 1);
    XelMathAttrString brent("BrentMethod", 1);
    XelMathAttrList* list = new XelMathAttrList(&tolerance);
    list->AddAttribute(&brent);
    XelMathAttrList copy(*list);
    ASSERT_TRUE(copy.GetNumberOfAttributes() == 2 && copy.GetAttributeAt(1) == &brent);
    tolerance.SetValue(1e-3); // same objects: seen through both lists
    EXPECT_EQ(
        static_cast<XelMathAttrDoubleValue*>(copy.GetAttribute("AbsoluteTolerance"))->GetValue(),
        1e-3);
    XelMathAttrString extra("ReconvergeBestPoint", 0);
    XelMathAttrDoubleValue otherTolerance("AbsoluteTolerance", 2e-6, 1);
    copy.AddAttribute(&extra);
    copy.AddAttribute(&otherTolerance);
    EXPECT_EQ(list->GetNumberOfAttributes(), 2);
    EXPECT_TRUE(list->GetAttribute("AbsoluteTolerance") == &tolerance &&
                copy.GetAttribute("AbsoluteTolerance") == &otherTolerance);
    delete list; // the attributes stay alive
    EXPECT_EQ(brent.GetType()[0], 'B');
    XelMathAttrList assigned(&brent);
    EXPECT_TRUE((assigned = copy).GetNumberOfAttributes() == 3 &&
                assigned.GetAttribute("ReconvergeBestPoint") == &extra);
    EXPECT_EQ((assigned = assigned).GetNumberOfAttributes(), 3);
    EXPECT_EQ((assigned = XelMathAttrList()).GetNumberOfAttributes(), 0);
    XelMathAttrDoubleValue values[40];
    for (long i = 0; i < 40; i++) {
      values[i] = XelMathAttrDoubleValue(i % 2 ? "A" : "B", static_cast<double>(i), 0);
      assigned.AddAttribute(&values[i]);
    }
    EXPECT_TRUE(assigned.GetNumberOfAttributes() == 40 &&
                assigned.GetAttribute("A", 20) == &values[39]);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(AttrValues, NamesAndTablesAreCopiedFlagsCarriedAndPointedObjectsShared) {
  const long before = LiveBlocks();
  {
    char name[] = "AbsoluteTolerance";
    long tab[4] = {2, 1, 1, 3}, target = 4;
    XelMathAttrDoubleValue value(name, 1e-8, 1);
    XelMathAttrDecomposition decomposition(3, tab);
    XelMathAttrMultipleDomain plain(4, tab, 2, nullptr), constrained(2, tab, 1, 55, nullptr);
    std::strcpy(name, "Overwritten"), tab[0] = 9;
    value.SetOKReviewed();
    XelMathAttrDoubleValue copy(value);
    EXPECT_STREQ(copy.GetType(), "AbsoluteTolerance");
    EXPECT_TRUE(copy.GetType() != value.GetType() && copy.GetOKReviewed() == 1); // own buffer
    for (int flag : {1, 7, 256, -1}) // any non-zero flag is exclusive
      EXPECT_TRUE(XelMathAttrIntegerValue("SamplingPoints", 1, flag).IsExclusive()) << flag;
    EXPECT_EQ(XelMathAttrPointerValue(XelMathAttrPointerValue("Dichotomy", &target, 0)).GetValue(),
              &target);
    XelMathAttrDecomposition decompositionCopy(decomposition);
    EXPECT_EQ(Join((decompositionCopy = decomposition).GetDecompositionTab(), 3), "2,1,1");
    EXPECT_EQ(plain.GetConstraints(), -1); // no constraints field given
    XelMathAttrMultipleDomain domainCopy(plain);
    EXPECT_EQ(Join(domainCopy.GetMultipleDomainTab(), 4), "2,1,1,3");
    EXPECT_EQ((domainCopy = constrained).GetConstraints(), 0);
    EXPECT_EQ(Join(domainCopy.GetMultipleDomainTab(), domainCopy.GetMultipleDomainNumber()), "2,1");
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(AttrScaleOption, PowersAreCopiedThroughCopiesAndAssignments) {
  EXPECT_EQ(Powers(XelMathAttrScaleOption(2, -1)), "2|-1|");
  // Negative counts count as 0; a null array with a positive count gives zero powers.
  EXPECT_EQ(Powers(XelMathAttrScaleOption(-3, nullptr, 4, nullptr, 0, nullptr)), "|0,0,0,0|");
  const long before = LiveBlocks();
  {
    long f[5] = {1, -2, 3, 0, 7}, x[3] = {4, 5, 6}, g[2] = {-8, 9};
    XelMathAttrScaleOption option(5, f, 3, x, 2, g);
    f[0] = x[2] = g[1] = 100; // the caller's arrays were copied
    const std::string all = "1,-2,3,0,7|4,5,6|-8,9";
    EXPECT_EQ(Powers(option), all);
    option.SetOKReviewed(1);
    XelMathAttrScaleOption copy(option);
    long n = 0;
    EXPECT_TRUE(Powers(copy) == all && copy.GetOKReviewed() == 1 &&
                copy.GetPowerScaleF(n) != option.GetPowerScaleF(n));
    XelMathAttrScaleOption assigned(1, 1);
    EXPECT_EQ(Powers(assigned = option), all);                          // large over small
    EXPECT_EQ(Powers(assigned = XelMathAttrScaleOption(3, 2)), "3|2|"); // small over large
    EXPECT_EQ(assigned.GetOKReviewed(), 0);
    EXPECT_EQ(Powers(assigned = assigned), "3|2|");
    // The copy of an option whose powers live inside it points into its own storage.
    XelMathAttrScaleOption* small = new XelMathAttrScaleOption(2, g, 1, x, 0, nullptr);
    XelMathAttrScaleOption smallCopy(*small);
    delete small;
    EXPECT_EQ(Powers(smallCopy), "-8,100|4|");
    EXPECT_EQ(XelMathAttrList(&copy).GetAttribute("XelMathAttrScaleOption"), &copy);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(AttrRepartition, GettersAnswerByConstructorKind) {
  const XelMathAttrRepartition byKind[8] = {
      XelMathAttrRepartition(),
      XelMathAttrRepartition(0.5),
      XelMathAttrRepartition(0.5, 0.01, 2.0),
      XelMathAttrRepartition(0.5, 0.01, 2.0, -1L),
      XelMathAttrRepartition(0.5, 0.01, 2.0, 0.02, -1L),
      XelMathAttrRepartition(0.5, 0.01, 2.0, 0.02, 0.3, -1L),
      XelMathAttrRepartition(0.5, 0.01, 2.0, 0.02, 0.7, 0.3, -1L),
      XelMathAttrRepartition(0.5, 0.25, nullptr, 0),
  };
  for (long kind = 0; kind < 8; kind++) {
    SCOPED_TRACE(kind);
    const XelMathAttrRepartition& r = byKind[kind];
    EXPECT_EQ(r.GetKind(), kind);
    const bool steps = kind >= 2 && kind <= 6, oriented = kind >= 3 && kind <= 6;
    const bool minPointKind = kind >= 4 && kind <= 6, angled = kind == 5 || kind == 6;
    double sag = -9, minStep = -9, maxStep = -9, minPoint = -9, maxPoint = -9, angle = -9,
           step = -9;
    long orientation = -9;
    EXPECT_TRUE(r.GetSag(sag) == (kind >= 1) && sag == (kind >= 1 ? 0.5 : -9.0));
    EXPECT_TRUE(r.GetMinMaxStep(minStep, maxStep) == steps && minStep == (steps ? 0.01 : -9.0) &&
                maxStep == (steps ? 2.0 : -9.0));
    // The orientation is cleared whatever the kind.
    EXPECT_TRUE(r.GetOrientation(orientation) == oriented && orientation == (oriented ? -1 : 0));
    EXPECT_TRUE(r.GetMinStepPoint(minPoint) == minPointKind &&
                minPoint == (minPointKind ? 0.02 : -9.0));
    EXPECT_TRUE(r.GetAngle(angle) == angled && angle == (angled ? 0.3 : -9.0));
    EXPECT_TRUE(r.GetMaxStepPoint(maxPoint) == (kind == 6) && maxPoint == (kind == 6 ? 0.7 : -9.0));
    EXPECT_TRUE(r.GetMinMaxStepVect(step, nullptr, 0) == (kind == 7) &&
                step == (kind == 7 ? 0.25 : -9.0));
  }
  // Set keeps the kind: kind 1 still hides the steps, a default object answers nothing.
  XelMathAttrRepartition sagOnly(0.2), byDefault;
  sagOnly.Set(0.3, 1e-4, 0.5), byDefault.Set(0.4, 0.1, 0.2);
  double sag = -1, minStep = 0, maxStep = 0;
  EXPECT_TRUE(sagOnly.GetKind() == 1 && sagOnly.GetSag(sag) == 1 && sag == 0.3);
  EXPECT_EQ(sagOnly.GetMinMaxStep(minStep, maxStep), 0);
  EXPECT_TRUE(byDefault.GetKind() == 0 && byDefault.GetSag(sag) == 0);
}

TEST(AttrRepartition, StepsOfKindSevenAreCopiedAndOwned) {
  const long before = LiveBlocks();
  {
    double steps[4] = {0.1, 0.2, 0.4, 0.8};
    XelMathAttrRepartition r(0.01, 0.05, steps, 4);
    steps[0] = 99.0;
    EXPECT_EQ(r.GetNumberOfSteps(), 4);
    double step = 0.0, out[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(r.GetMinMaxStepVect(step, out, 2), 1);
    EXPECT_TRUE(step == 0.05 && out[1] == 0.2 && out[2] == -1.0); // only as many as asked
    EXPECT_EQ(r.GetMinMaxStepVect(step, out, 6), 1);
    EXPECT_TRUE(out[3] == 0.8 && out[4] == -1.0); // nothing past what is held
    XelMathAttrRepartition copy(r), assigned;
    assigned = r;
    assigned = XelMathAttrRepartition(0.02);
    assigned = r;
    for (const XelMathAttrRepartition* other : {&copy, &assigned}) {
      double copied[4] = {0, 0, 0, 0}, sag = 0.0;
      EXPECT_TRUE(other->GetMinMaxStepVect(step, copied, 4) == 1 && copied[3] == 0.8);
      EXPECT_TRUE(other->GetSag(sag) == 1 && sag == 0.01);
    }
    XelMathAttrRepartition none(0.01, 0.05, steps, -2); // no steps: still answers the step
    EXPECT_TRUE(none.GetNumberOfSteps() == 0 && none.GetMinMaxStepVect(step, out, 3) == 1);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(AttrConstraint, DefaultDerivativeIsACentredDifferenceAndTheOptionIsAPresenceFlag) {
  CubicConstraint g;
  // Centred difference with step h: truncation h^2 |g'''| / 6 = h^2, rounding eps |g| / h.
  const double h = 1e-6;
  for (double x : {-2.0, -0.5, 0.0, 0.3, 1.7})
    EXPECT_NEAR(g.EvalDerivConstraint(x), 3.0 * x * x - 2.0,
                h * h + 4.0 * kEps * (std::fabs(x * x * x) + 2.0) / h)
        << x;
  XelMathAttrList list(&g);
  EXPECT_EQ(list.GetAttribute(AttrFunctionXConstraint), &g);
  XelMathConstraintOption option, second;
  list.AddAttribute(&option);
  list.AddAttribute(&second);
  EXPECT_TRUE(list.GetNumberOfAttributes() == 2 &&
              list.GetAttribute("XelMathConstraintOption") == &second);
}

TEST(AttrExclusion2D, RectanglesCoveringTheUIntervalTrimTheVEndsUntilTheBoxIsCovered) {
  // Rectangles (u0, u1, v0, v1) against [0, 1]^2: included, else the V interval left.
  struct Row {
    std::vector<std::array<double, 4>> rectangles;
    int included;
    double v0, v1;
  } rows[] = {
      {{}, 0, 0.0, 1.0},
      {{{0.0, 1.0, 0.0, 1.0}}, 1, 0, 0}, // touching ends count as inside
      {{{2.0, 3.0, 2.0, 3.0}}, 0, 0.0, 1.0},
      {{{-1.0, 2.0, 0.6, 5.0}}, 0, 0.0, 0.6},   // overlap at the top
      {{{0.0, 1.0, -3.0, 0.25}}, 0, 0.25, 1.0}, // overlap at the bottom
      {{{0.0, 1.0, 0.4, 0.5}}, 0, 0.0, 1.0},    // strictly inside V: touches neither end
      {{{0.5, 2.0, -1.0, 2.0}}, 0, 0.0, 1.0},   // does not cover the U interval
      {{{-1.0, 2.0, 0.6, 5.0}, {-1.0, 2.0, -1.0, 0.3}}, 0, 0.3, 0.6},
      {{{-1.0, 2.0, 0.6, 5.0}, {-1.0, 2.0, -1.0, 0.3}, {0.0, 1.0, 0.25, 0.65}}, 1, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rectangles.size());
    XelMathAttrExclusion2D exclusion;
    for (const auto& r : row.rectangles)
      exclusion.AddInterval(Box(r[0], r[1], r[2], r[3]));
    XelMathInterval2D box = Box(0.0, 1.0, 0.0, 1.0);
    EXPECT_EQ(exclusion.Includes(box), row.included);
    if (!row.included) {
      EXPECT_EQ(box.GetX().low + box.GetX().high, 1.0);
      EXPECT_TRUE(box.GetY().low == row.v0 && box.GetY().high == row.v1);
    }
  }
}

TEST(AttrExclusion2D, RectanglesAreCopiedAndOwned) {
  const long before = LiveBlocks();
  {
    XelMathInterval2D rectangle = Box(0.0, 1.0, 0.0, 1.0);
    XelMathAttrExclusion2D exclusion(rectangle);
    rectangle.SetX(XelMathInterval(5.0, 6.0));
    EXPECT_EQ(exclusion.GetInterval(0)->GetX().low, 0.0);
    for (int i = 0; i < 10; i++)
      exclusion.AddInterval(Box(i, i + 1.0, 0.0, 1.0));
    exclusion.AddInterval(*exclusion.GetInterval(3)); // one of its own rectangles
    EXPECT_TRUE(exclusion.GetNumberOfIntervals() == 12 &&
                exclusion.GetInterval(11)->GetX().low == 2.0 &&
                exclusion.GetInterval(12) == nullptr && exclusion.GetInterval(-1) == nullptr);
    XelMathAttrExclusion2D copy(exclusion), assigned;
    EXPECT_TRUE(copy.GetInterval(0) != exclusion.GetInterval(0) &&
                (assigned = copy).GetNumberOfIntervals() == 12);
    EXPECT_EQ((assigned = XelMathAttrExclusion2D()).GetNumberOfIntervals(), 0);
  }
  EXPECT_EQ(LiveBlocks(), before);
}
