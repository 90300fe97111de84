// Attribute lists and the attribute classes: replacement and piling up by key, occurrence
// numbers, null entries, ownership (lists never own attributes), deep copies of the value
// holders, the kinds of a repartition, and the exported option keys.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

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
#include "XelMathInterval.h"
#include "XelMathInterval2D.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

using xeltest::LiveBlocks;

// The powers held by a scale option, as a string "a,b,c" (easy to compare).
std::string Powers(const long* iPowers, long iCount) {
  std::string text;
  for (long i = 0; i < iCount; i++)
    text += (i ? "," : "") + std::to_string(iPowers[i]);
  return text;
}
std::string PowersF(const XelMathAttrScaleOption& iOption) {
  long n = -1;
  const long* p = iOption.GetPowerScaleF(n);
  return Powers(p, n);
}
std::string PowersX(const XelMathAttrScaleOption& iOption) {
  long n = -1;
  const long* p = iOption.GetPowerScaleX(n);
  return Powers(p, n);
}
std::string PowersG(const XelMathAttrScaleOption& iOption) {
  long n = -1;
  const long* p = iOption.GetPowerScaleG(n);
  return Powers(p, n);
}

} // namespace

// ---- the list --------------------------------------------------------------------------------

TEST(AttrList, ExclusiveAttributeReplacesTheFirstOfItsKeyInPlace) {
  XelMathAttrIntegerValue first("SamplingPoints", 5, 1);
  XelMathAttrString other("CheckExtremities", 1);
  XelMathAttrIntegerValue second("SamplingPoints", 9, 1);
  XelMathAttrList list;
  list.AddAttribute(&first);
  list.AddAttribute(&other);
  list.AddAttribute(&second);

  ASSERT_EQ(list.GetNumberOfAttributes(), 2);
  EXPECT_EQ(list.GetAttributeAt(0), &second); // position of the replaced one
  EXPECT_EQ(list.GetAttributeAt(1), &other);
  EXPECT_EQ(list.GetAttribute("SamplingPoints", 1), &second);
  EXPECT_EQ(list.GetAttribute("SamplingPoints", 2), nullptr);
  // The replaced attribute is untouched (the list does not own it).
  EXPECT_EQ(first.GetValue(), 5);
  EXPECT_STREQ(first.GetType(), "SamplingPoints");
}

TEST(AttrList, NonExclusiveAttributesPileUpAndAreCountedByOccurrence) {
  XelMathAttrDoubleValue a("LimitValue", 1.0, 0);
  XelMathAttrDoubleValue b("LimitValue", 2.0, 0);
  XelMathAttrString unrelated("BrentMethod", 0);
  XelMathAttrDoubleValue c("LimitValue", 3.0, 0);
  XelMathAttrList list;
  list.AddAttribute(&a);
  list.AddAttribute(&b);
  list.AddAttribute(&unrelated);
  list.AddAttribute(&c);

  ASSERT_EQ(list.GetNumberOfAttributes(), 4);
  EXPECT_EQ(list.GetAttribute("LimitValue", 1), &a);
  EXPECT_EQ(list.GetAttribute("LimitValue", 2), &b);
  EXPECT_EQ(list.GetAttribute("LimitValue", 3), &c);
  EXPECT_EQ(list.GetAttribute("LimitValue", 4), nullptr);
  EXPECT_EQ(list.GetAttribute("LimitValue"), &a); // occurrence 1 by default
  // Occurrence numbers below 1 find nothing even though the key is present.
  EXPECT_EQ(list.GetAttribute("LimitValue", 0), nullptr);
  EXPECT_EQ(list.GetAttribute("LimitValue", -1), nullptr);
  EXPECT_EQ(list.GetAttribute("LimitValue", std::numeric_limits<long>::min()), nullptr);
  EXPECT_EQ(list.GetAttribute("NoSuchKey", 1), nullptr);
}

TEST(AttrList, ExclusiveAttributeAfterNonExclusivesReplacesOnlyTheFirst) {
  XelMathAttrString n1("Dichotomy", 0);
  XelMathAttrString n2("Dichotomy", 0);
  XelMathAttrString exclusive("Dichotomy", 1);
  XelMathAttrList list;
  list.AddAttribute(&n1);
  list.AddAttribute(&n2);
  list.AddAttribute(&exclusive);
  ASSERT_EQ(list.GetNumberOfAttributes(), 2);
  EXPECT_EQ(list.GetAttributeAt(0), &exclusive);
  EXPECT_EQ(list.GetAttributeAt(1), &n2);

  // A non-exclusive attribute never replaces anything, even after an exclusive one.
  XelMathAttrString n3("Dichotomy", 0);
  list.AddAttribute(&n3);
  ASSERT_EQ(list.GetNumberOfAttributes(), 3);
  EXPECT_EQ(list.GetAttribute("Dichotomy", 3), &n3);
}

TEST(AttrList, ExclusiveAttributeWithANewKeyIsAppended) {
  XelTolerance tolerance;
  XelMathAttrTolObject tolObject(tolerance);
  XelMathAttrScaleOption scale(1, 1);
  XelMathAttrList list(&tolObject);
  list.AddAttribute(&scale);
  ASSERT_EQ(list.GetNumberOfAttributes(), 2);
  EXPECT_EQ(list.GetAttribute("XelMathAttrTolObject"), &tolObject);
  EXPECT_EQ(list.GetAttribute("XelMathAttrScaleOption"), &scale);
  // Replacing by the same object leaves the list as it was.
  list.AddAttribute(&scale);
  EXPECT_EQ(list.GetNumberOfAttributes(), 2);
}

TEST(AttrList, KeysMatchByTextAsWellAsByPointer) {
  char name[] = "EpsilonRoot";
  XelMathAttrDoubleValue eps(name, 1e-9, 1);
  XelMathAttrList list(&eps);
  EXPECT_EQ(list.GetAttribute(AttrFunctionXEpsRoot), &eps);
  EXPECT_EQ(list.GetAttribute(eps.GetType()), &eps);
  std::string copy = "EpsilonRoot";
  EXPECT_EQ(list.GetAttribute(copy.c_str()), &eps);
  EXPECT_EQ(list.GetAttribute("EpsilonRoo"), nullptr);
  EXPECT_EQ(list.GetAttribute("EpsilonRootX"), nullptr);

  // An exclusive attribute built from another buffer of the same text replaces it.
  std::string sameText = "EpsilonRoot";
  XelMathAttrDoubleValue eps2(sameText.c_str(), 1e-7, 1);
  list.AddAttribute(&eps2);
  EXPECT_EQ(list.GetNumberOfAttributes(), 1);
  EXPECT_EQ(list.GetAttribute(AttrFunctionXEpsRoot), &eps2);
}

TEST(AttrList, NullAttributesAndKeys) {
  XelMathAttrList empty;
  EXPECT_EQ(empty.GetNumberOfAttributes(), 0);
  EXPECT_EQ(empty.GetAttribute("SamplingPoints"), nullptr);
  EXPECT_EQ(empty.GetAttributeAt(0), nullptr);

  // A null pointer given to AddAttribute leaves the list unchanged.
  XelMathAttrString present("CheckExtremities", 1);
  XelMathAttrList list(&present);
  list.AddAttribute(nullptr);
  EXPECT_EQ(list.GetNumberOfAttributes(), 1);

  // The one-attribute constructor stores a null pointer; lookups pass over it.
  XelMathAttrList withNull(nullptr);
  ASSERT_EQ(withNull.GetNumberOfAttributes(), 1);
  EXPECT_EQ(withNull.GetAttributeAt(0), nullptr);
  EXPECT_EQ(withNull.GetAttribute("CheckExtremities"), nullptr);
  withNull.AddAttribute(&present);
  ASSERT_EQ(withNull.GetNumberOfAttributes(), 2);
  EXPECT_EQ(withNull.GetAttributeAt(1), &present);
  EXPECT_EQ(withNull.GetAttribute("CheckExtremities"), &present);

  // A null key finds nothing, and an index outside the list gives null.
  EXPECT_EQ(list.GetAttribute(nullptr), nullptr);
  EXPECT_EQ(list.GetAttributeAt(-1), nullptr);
  EXPECT_EQ(list.GetAttributeAt(1), nullptr);

  // Attributes whose name is null (default constructors) are exclusive and share the null
  // key; a text key never finds them.
  XelMathAttrDoubleValue unnamed1;
  XelMathAttrDoubleValue unnamed2;
  XelMathAttrList unnamed(&unnamed1);
  unnamed.AddAttribute(&unnamed2);
  EXPECT_EQ(unnamed.GetNumberOfAttributes(), 1);
  EXPECT_EQ(unnamed.GetAttributeAt(0), &unnamed2);
  EXPECT_EQ(unnamed.GetAttribute(""), nullptr);
}

TEST(AttrList, CopiesShareTheAttributesButNotTheEntries) {
  XelMathAttrDoubleValue tolerance("AbsoluteTolerance", 1e-6, 1);
  XelMathAttrString brent("BrentMethod", 1);
  XelMathAttrList list(&tolerance);
  list.AddAttribute(&brent);

  XelMathAttrList copy(list);
  ASSERT_EQ(copy.GetNumberOfAttributes(), 2);
  EXPECT_EQ(copy.GetAttributeAt(0), &tolerance);
  EXPECT_EQ(copy.GetAttributeAt(1), &brent);
  // Same attribute objects: a change through the attribute is seen by both lists.
  tolerance.SetValue(1e-3);
  EXPECT_EQ(
      static_cast<XelMathAttrDoubleValue*>(copy.GetAttribute("AbsoluteTolerance"))->GetValue(),
      1e-3);

  // Entries are independent: growing or replacing in the copy leaves the original alone.
  XelMathAttrString extra("ReconvergeBestPoint", 0);
  XelMathAttrDoubleValue otherTolerance("AbsoluteTolerance", 2e-6, 1);
  copy.AddAttribute(&extra);
  copy.AddAttribute(&otherTolerance);
  EXPECT_EQ(list.GetNumberOfAttributes(), 2);
  EXPECT_EQ(list.GetAttribute("AbsoluteTolerance"), &tolerance);
  EXPECT_EQ(copy.GetAttribute("AbsoluteTolerance"), &otherTolerance);

  XelMathAttrList assigned;
  assigned = copy;
  EXPECT_EQ(assigned.GetNumberOfAttributes(), 3);
  EXPECT_EQ(assigned.GetAttribute("ReconvergeBestPoint"), &extra);
  assigned = XelMathAttrList();
  EXPECT_EQ(assigned.GetNumberOfAttributes(), 0);
  assigned = assigned; // self-assignment keeps the list usable
  assigned.AddAttribute(&brent);
  EXPECT_EQ(assigned.GetAttribute("BrentMethod"), &brent);
}

TEST(AttrList, DestroyingAListLeavesItsAttributesAlive) {
  XelMathAttrScaleOption* scale = new XelMathAttrScaleOption(2, 1);
  XelMathAttrList* list = new XelMathAttrList(scale);
  XelMathAttrList* copy = new XelMathAttrList(*list);
  delete list;
  EXPECT_EQ(copy->GetAttribute("XelMathAttrScaleOption"), scale);
  delete copy;
  EXPECT_EQ(PowersF(*scale), "2"); // still a valid object
  delete scale;
}

TEST(AttrList, NothingLeaks) {
  const long before = LiveBlocks();
  {
    XelMathAttrList* list = new XelMathAttrList;
    XelMathAttrDoubleValue values[40];
    for (long i = 0; i < 40; i++) {
      values[i] = XelMathAttrDoubleValue(i % 2 ? "A" : "B", static_cast<double>(i), 0);
      list->AddAttribute(&values[i]);
    }
    EXPECT_EQ(list->GetNumberOfAttributes(), 40);
    XelMathAttrList copy(*list);
    XelMathAttrList assigned(&values[0]);
    assigned = copy;
    long powers[5] = {1, 2, 3, 4, 5};
    XelMathAttrScaleOption scale(5, powers, 3, powers, 4, powers);
    XelMathAttrScaleOption scaleCopy(scale);
    scaleCopy = XelMathAttrScaleOption(1, 1);
    scaleCopy = scale;
    double steps[4] = {0.1, 0.2, 0.3, 0.4};
    XelMathAttrRepartition repartition(0.01, 0.1, steps, 4);
    XelMathAttrRepartition repartitionCopy(repartition);
    repartitionCopy = XelMathAttrRepartition(0.02);
    repartitionCopy = repartition;
    XelMathAttrDecomposition decomposition(5, powers);
    XelMathAttrDecomposition decompositionCopy(decomposition);
    decompositionCopy = decomposition;
    XelMathAttrMultipleDomain domains(3, powers, 2, nullptr);
    XelMathAttrMultipleDomain domainsCopy(domains);
    domainsCopy = domains;
    XelMathAttrString text("CheckExtremities", 1);
    XelMathAttrString textCopy(text);
    textCopy = text;
    XelMathAttrIntegerValue integer("SamplingPoints", 3, 1);
    XelMathAttrIntegerValue integerCopy(integer);
    integerCopy = integer;
    XelMathAttrPointerValue pointer("Dichotomy", &integer, 1);
    XelMathAttrPointerValue pointerCopy(pointer);
    pointerCopy = pointer;
    delete list;
  }
  EXPECT_EQ(LiveBlocks(), before);
}

// ---- keys -------------------------------------------------------------------------------------

TEST(AttrKeys, HaveTheirExactTexts) {
  struct Key {
    const char* global;
    const char* text;
  } keys[] = {
      {AttrFunctionXSamplingPoints, "SamplingPoints"},
      {AttrFunctionXConstraint, "XelMathConstraint"},
      {AttrFunctionXAbsoluteTolerance, "AbsoluteTolerance"},
      {AttrFunctionXEpsRoot, "EpsilonRoot"},
      {AttrFunctionXCheckExtremities, "CheckExtremities"},
      {AttrFunctionXDichotomy, "Dichotomy"},
      {AttrFunctionXAbsoluteExtremum, "AbsoluteExtremum"},
      {AttrFunctionXInteriorExtremum, "InteriorExtremum"},
      {AttrFunctionXLimitValue, "LimitValue"},
      {AttrFunctionXDiscretizationMethod, "DiscretizationMethod"},
      {AttrFunctionXBrentMethod, "BrentMethod"},
      {AttrFunctionXBrentMethodTrueSampling, "BrentMethodTrueSampling"},
      {AttrFunctionXInternalMinWidthRatio, "InternalMinWidthRatio"},
      {AttrFunctionXReconvergeBestPoint, "ReconvergeBestPoint"},
      {AttrFunctionXAdaptiveIntegration, "AdaptiveIntegration"},
      {AttrDomain, "MaxDomain"},
      {AttrSystemSamplingPoints, "SamplingPoints"},
      {AttrSystemNoSingularityTreatment, "NoSingularityTreatment"},
      {AttrSystemLightSingularityTreatment, "NoSingularityTreatment"},
      {AttrDomainPoint, "DomainPoints"},
      {AttrStopParam, "StopParam"},
  };
  for (const Key& key : keys) {
    ASSERT_NE(key.global, nullptr) << key.text;
    EXPECT_STREQ(key.global, key.text);
  }
}

TEST(AttrKeys, KeysOfTheSameTextFindEachOthersAttributes) {
  XelMathAttrString light(AttrSystemLightSingularityTreatment, 1);
  XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints, 20, 1);
  XelMathAttrList list(&light);
  list.AddAttribute(&sampling);
  EXPECT_EQ(list.GetAttribute(AttrSystemNoSingularityTreatment), &light);
  EXPECT_EQ(list.GetAttribute(AttrSystemLightSingularityTreatment), &light);
  EXPECT_EQ(list.GetAttribute(AttrSystemSamplingPoints), &sampling);
  // The constraint key is the constraint attribute's own type.
  XelMathConstraintOption option;
  EXPECT_STRNE(option.GetType(), AttrFunctionXConstraint);
}

// ---- value attributes --------------------------------------------------------------------------

TEST(AttrValues, DoubleValueCopiesItsNameAndCarriesTheReviewedFlag) {
  char name[] = "AbsoluteTolerance";
  XelMathAttrDoubleValue value(name, 1e-8, 1);
  std::strcpy(name, "Overwritten");
  EXPECT_STREQ(value.GetType(), "AbsoluteTolerance");
  EXPECT_NE(value.GetType(), static_cast<const char*>(name));
  EXPECT_TRUE(value.IsExclusive());
  EXPECT_EQ(value.GetOKReviewed(), 0);
  value.SetOKReviewed();
  value.SetValue(2.5);

  // The copy carries the flag and the value set above.
  XelMathAttrDoubleValue copy(value);
  EXPECT_STREQ(copy.GetType(), "AbsoluteTolerance");
  EXPECT_NE(copy.GetType(), value.GetType());
  EXPECT_EQ(copy.GetOKReviewed(), 1);
  EXPECT_EQ(copy.GetValue(), 2.5);

  XelMathAttrDoubleValue notExclusive("LimitValue", -1.0, 0);
  EXPECT_FALSE(notExclusive.IsExclusive());
  EXPECT_TRUE(XelMathAttrDoubleValue("LimitValue", 0.0, 256).IsExclusive());
  EXPECT_TRUE(XelMathAttrDoubleValue("LimitValue", 0.0, -1).IsExclusive());

  XelMathAttrDoubleValue byDefault;
  EXPECT_EQ(byDefault.GetType(), nullptr);
  EXPECT_EQ(byDefault.GetValue(), 0.0);
  EXPECT_TRUE(byDefault.IsExclusive());
  EXPECT_EQ(byDefault.GetOKReviewed(), 0);
}

TEST(AttrValues, IntegerPointerAndStringAttributes) {
  XelMathAttrIntegerValue integer("SamplingPoints", 33, 1);
  EXPECT_STREQ(integer.GetType(), "SamplingPoints");
  EXPECT_TRUE(integer.IsExclusive());
  EXPECT_FALSE(XelMathAttrIntegerValue("SamplingPoints", 1, 0).IsExclusive());
  EXPECT_TRUE(XelMathAttrIntegerValue("SamplingPoints", 1, 7).IsExclusive());
  XelMathAttrIntegerValue integerDefault;
  EXPECT_EQ(integerDefault.GetType(), nullptr);
  EXPECT_EQ(integerDefault.GetValue(), 0);
  EXPECT_TRUE(integerDefault.IsExclusive());

  long target = 4;
  XelMathAttrPointerValue pointer("Dichotomy", &target, 0);
  EXPECT_STREQ(pointer.GetType(), "Dichotomy");
  EXPECT_FALSE(pointer.IsExclusive());
  XelMathAttrPointerValue pointerCopy(pointer);
  EXPECT_EQ(pointerCopy.GetValue(), &target); // the object pointed to is shared, not copied
  XelMathAttrPointerValue pointerDefault;
  EXPECT_EQ(pointerDefault.GetValue(), nullptr);
  EXPECT_TRUE(pointerDefault.IsExclusive());

  XelMathAttrString text("InteriorExtremum", 0);
  EXPECT_STREQ(text.GetType(), "InteriorExtremum");
  EXPECT_FALSE(text.IsExclusive());
  XelMathAttrString assigned;
  EXPECT_EQ(assigned.GetType(), nullptr);
  assigned = text;
  EXPECT_STREQ(assigned.GetType(), "InteriorExtremum");
  EXPECT_FALSE(assigned.IsExclusive());
}

TEST(AttrValues, ToleranceObjectIsHeldNotCopied) {
  XelTolerance scaled(1000.0);
  XelMathAttrTolObject attribute(scaled);
  EXPECT_STREQ(attribute.GetType(), "XelMathAttrTolObject");
  EXPECT_TRUE(attribute.IsExclusive());
  EXPECT_EQ(&attribute.GetTolObject(), &scaled);
  XelMathAttrList list(&attribute);
  const auto* found =
      static_cast<const XelMathAttrTolObject*>(list.GetAttribute("XelMathAttrTolObject"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->GetTolObject().GetScaleFactor(), 1000.0);
}

// ---- scale option ------------------------------------------------------------------------------

TEST(AttrScaleOption, TwoPowerConstructorGivesOneFAndOneX) {
  XelMathAttrScaleOption option(2, -1);
  EXPECT_STREQ(option.GetType(), "XelMathAttrScaleOption");
  EXPECT_TRUE(option.IsExclusive());
  EXPECT_EQ(PowersF(option), "2");
  EXPECT_EQ(PowersX(option), "-1");
  EXPECT_EQ(PowersG(option), "");
  long n = -1;
  option.GetPowerScaleG(n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(option.GetOKReviewed(), 0);
}

TEST(AttrScaleOption, KeepsMoreThanTwoPowersThroughCopyAndAssignment) {
  long f[5] = {1, -2, 3, 0, 7};
  long x[3] = {4, 5, 6};
  long g[2] = {-8, 9};
  XelMathAttrScaleOption option(5, f, 3, x, 2, g);
  // The arrays were copied: changing the caller's arrays changes nothing.
  f[0] = 100;
  x[2] = 100;
  g[1] = 100;
  EXPECT_EQ(PowersF(option), "1,-2,3,0,7");
  EXPECT_EQ(PowersX(option), "4,5,6");
  EXPECT_EQ(PowersG(option), "-8,9");
  option.SetOKReviewed(1);

  XelMathAttrScaleOption copy(option);
  EXPECT_EQ(PowersF(copy), "1,-2,3,0,7");
  EXPECT_EQ(PowersX(copy), "4,5,6");
  EXPECT_EQ(PowersG(copy), "-8,9");
  EXPECT_EQ(copy.GetOKReviewed(), 1);
  long n = 0;
  EXPECT_NE(copy.GetPowerScaleF(n), option.GetPowerScaleF(n)); // deep copy

  // Assignment over a small option, then a small option over a large one.
  XelMathAttrScaleOption assigned(1, 1);
  assigned = option;
  EXPECT_EQ(PowersF(assigned), "1,-2,3,0,7");
  EXPECT_EQ(PowersX(assigned), "4,5,6");
  EXPECT_EQ(PowersG(assigned), "-8,9");
  EXPECT_EQ(assigned.GetOKReviewed(), 1);
  assigned = XelMathAttrScaleOption(3, 2);
  EXPECT_EQ(PowersF(assigned), "3");
  EXPECT_EQ(PowersX(assigned), "2");
  EXPECT_EQ(PowersG(assigned), "");
  EXPECT_EQ(assigned.GetOKReviewed(), 0);

  // A copy of an option whose powers live inside the object points into its own storage.
  XelMathAttrScaleOption* small = new XelMathAttrScaleOption(2, g, 1, x, 0, nullptr);
  XelMathAttrScaleOption smallCopy(*small);
  delete small;
  EXPECT_EQ(PowersF(smallCopy), "-8,100");
  EXPECT_EQ(PowersX(smallCopy), "4");

  assigned = assigned; // self-assignment keeps the powers
  EXPECT_EQ(PowersF(assigned), "3");
}

TEST(AttrScaleOption, OddCountsAndArraysAreHandled) {
  // Negative counts count as 0; a null array with a positive count gives zero powers.
  XelMathAttrScaleOption option(-3, nullptr, 4, nullptr, 0, nullptr);
  EXPECT_EQ(PowersF(option), "");
  EXPECT_EQ(PowersX(option), "0,0,0,0");
  EXPECT_EQ(PowersG(option), "");
}

// ---- repartition -------------------------------------------------------------------------------

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
    EXPECT_STREQ(r.GetType(), "XelMathAttrRepartition");
    EXPECT_TRUE(r.IsExclusive());
    double sag = -9.0, minStep = -9.0, maxStep = -9.0, minPoint = -9.0, maxPoint = -9.0;
    double angle = -9.0, step = -9.0;
    long orientation = -9;
    EXPECT_EQ(r.GetSag(sag), kind >= 1 ? 1 : 0);
    EXPECT_EQ(sag, kind >= 1 ? 0.5 : -9.0);
    EXPECT_EQ(r.GetMinMaxStep(minStep, maxStep), kind >= 2 && kind <= 6 ? 1 : 0);
    if (kind >= 2 && kind <= 6) {
      EXPECT_EQ(minStep, 0.01);
      EXPECT_EQ(maxStep, 2.0);
    } else {
      EXPECT_EQ(minStep, -9.0);
    }
    // The orientation output is cleared whatever the kind.
    EXPECT_EQ(r.GetOrientation(orientation), kind >= 3 && kind <= 6 ? 1 : 0);
    EXPECT_EQ(orientation, kind >= 3 && kind <= 6 ? -1 : 0);
    EXPECT_EQ(r.GetMinStepPoint(minPoint), kind >= 4 && kind <= 6 ? 1 : 0);
    EXPECT_EQ(minPoint, kind >= 4 && kind <= 6 ? 0.02 : -9.0);
    EXPECT_EQ(r.GetAngle(angle), kind == 5 || kind == 6 ? 1 : 0);
    EXPECT_EQ(angle, kind == 5 || kind == 6 ? 0.3 : -9.0);
    EXPECT_EQ(r.GetMaxStepPoint(maxPoint), kind == 6 ? 1 : 0);
    EXPECT_EQ(maxPoint, kind == 6 ? 0.7 : -9.0);
    EXPECT_EQ(r.GetMinMaxStepVect(step, nullptr, 0), kind == 7 ? 1 : 0);
    EXPECT_EQ(step, kind == 7 ? 0.25 : -9.0);
  }
}

TEST(AttrRepartition, DefaultsAndSetKeepTheKind) {
  // Kind 1 keeps the default steps and minimum-step point; they show once the kind allows.
  XelMathAttrRepartition sagOnly(0.2);
  sagOnly.Set(0.3, 1e-4, 0.5);
  EXPECT_EQ(sagOnly.GetKind(), 1);
  double sag = 0.0, minStep = 0.0, maxStep = 0.0;
  EXPECT_EQ(sagOnly.GetSag(sag), 1);
  EXPECT_EQ(sag, 0.3);
  EXPECT_EQ(sagOnly.GetMinMaxStep(minStep, maxStep), 0);

  XelMathAttrRepartition steps(0.1, 1e-6, 0.1, 7L);
  double minPoint = 0.0;
  EXPECT_EQ(steps.GetMinStepPoint(minPoint), 0);
  XelMathAttrRepartition withPoint(0.001, 1e-06, 0.1, 0.001, 1L);
  EXPECT_EQ(withPoint.GetMinStepPoint(minPoint), 1);
  EXPECT_EQ(minPoint, 0.001);

  // A default object answers no getter, whatever its fields hold.
  XelMathAttrRepartition byDefault;
  sag = -1.0;
  EXPECT_EQ(byDefault.GetSag(sag), 0);
  EXPECT_EQ(sag, -1.0);
  byDefault.Set(0.4, 0.1, 0.2);
  EXPECT_EQ(byDefault.GetKind(), 0);
  EXPECT_EQ(byDefault.GetSag(sag), 0);
}

TEST(AttrRepartition, StepsOfKindSevenAreCopiedAndOwned) {
  double steps[4] = {0.1, 0.2, 0.4, 0.8};
  XelMathAttrRepartition r(0.01, 0.05, steps, 4);
  steps[0] = 99.0; // the object holds its own copy
  EXPECT_EQ(r.GetNumberOfSteps(), 4);

  double step = 0.0;
  double out[6] = {-1, -1, -1, -1, -1, -1};
  EXPECT_EQ(r.GetMinMaxStepVect(step, out, 2), 1);
  EXPECT_EQ(step, 0.05);
  EXPECT_EQ(out[0], 0.1);
  EXPECT_EQ(out[1], 0.2);
  EXPECT_EQ(out[2], -1.0); // only as many as asked
  // Asking for more than held copies what is held and writes nothing past it.
  EXPECT_EQ(r.GetMinMaxStepVect(step, out, 6), 1);
  EXPECT_EQ(out[3], 0.8);
  EXPECT_EQ(out[4], -1.0);

  XelMathAttrRepartition copy(r);
  XelMathAttrRepartition assigned;
  assigned = r;
  for (const XelMathAttrRepartition* other : {&copy, &assigned}) {
    double copied[4] = {0, 0, 0, 0};
    EXPECT_EQ(other->GetKind(), 7);
    EXPECT_EQ(other->GetMinMaxStepVect(step, copied, 4), 1);
    EXPECT_EQ(copied[3], 0.8);
    double sag = 0.0;
    EXPECT_EQ(other->GetSag(sag), 1);
    EXPECT_EQ(sag, 0.01);
  }
  // Without steps (null array or no count) kind 7 still answers the step.
  XelMathAttrRepartition none(0.01, 0.05, steps, -2);
  EXPECT_EQ(none.GetNumberOfSteps(), 0);
  EXPECT_EQ(none.GetMinMaxStepVect(step, out, 3), 1);
}

// ---- decomposition, multiple domain -------------------------------------------------------------

TEST(AttrDecomposition, CopiesItsIntegers) {
  long tab[3] = {2, 1, 1};
  XelMathAttrDecomposition decomposition(3, tab);
  tab[0] = 9;
  EXPECT_STREQ(decomposition.GetType(), "XelMathAttrDecomposition");
  EXPECT_TRUE(decomposition.IsExclusive());
  ASSERT_EQ(decomposition.GetDecompositionNumber(), 3);
  EXPECT_EQ(Powers(decomposition.GetDecompositionTab(), 3), "2,1,1");
  XelMathAttrDecomposition copy(decomposition);
  EXPECT_NE(copy.GetDecompositionTab(), decomposition.GetDecompositionTab());
  EXPECT_EQ(Powers(copy.GetDecompositionTab(), copy.GetDecompositionNumber()), "2,1,1");

  XelMathAttrDecomposition empty(0, nullptr);
  EXPECT_EQ(empty.GetDecompositionNumber(), 0);
  EXPECT_EQ(empty.GetDecompositionTab(), nullptr);
}

TEST(AttrMultipleDomain, ConstraintsFieldDependsOnTheConstructor) {
  long tab[4] = {0, 1, 3, 2};
  // The domain is only held: any address will do to check that it comes back.
  alignas(double) unsigned char storage[64] = {};
  const XelMathIntervalND* domain = reinterpret_cast<const XelMathIntervalND*>(storage);

  XelMathAttrMultipleDomain plain(4, tab, 2, domain);
  tab[1] = 7;
  EXPECT_STREQ(plain.GetType(), "XelMathAttrMultipleDomain");
  EXPECT_TRUE(plain.IsExclusive());
  EXPECT_EQ(plain.GetMultipleDomainNumber(), 4);
  EXPECT_EQ(Powers(plain.GetMultipleDomainTab(), 4), "0,1,3,2");
  EXPECT_EQ(plain.GetNumberOfDomains(), 2);
  EXPECT_EQ(plain.GetDomain(), domain);
  EXPECT_EQ(plain.GetConstraints(), -1);

  XelMathAttrMultipleDomain withConstraints(2, tab, 1, 55, nullptr);
  EXPECT_EQ(withConstraints.GetConstraints(), 0);
  EXPECT_EQ(Powers(withConstraints.GetMultipleDomainTab(), 2), "0,7");
  EXPECT_EQ(withConstraints.GetDomain(), nullptr);

  XelMathAttrMultipleDomain copy(plain);
  EXPECT_EQ(copy.GetConstraints(), -1);
  EXPECT_EQ(copy.GetDomain(), domain);
  copy = withConstraints;
  EXPECT_EQ(copy.GetConstraints(), 0);
  EXPECT_EQ(copy.GetMultipleDomainNumber(), 2);
}

// ---- constraints
// ---------------------------------------------------------------------------------

namespace {
// g(x) = x^3 - 2x, admissible where g >= 0. The interval test is exact: g is monotonic
// outside [-c, c], c = sqrt(2/3), so bounding by ends and the two critical values is exact.
class CubicConstraint : public XelMathConstraint {
public:
  unsigned char IsAdmissible(const XelMathInterval& iInterval) const override {
    const double c = std::sqrt(2.0 / 3.0);
    double high = std::fmax(EvalConstraint(iInterval.low), EvalConstraint(iInterval.high));
    if (iInterval.low <= -c && -c <= iInterval.high)
      high = std::fmax(high, EvalConstraint(-c));
    return high >= 0.0;
  }
  double EvalConstraint(double x) const override { return x * x * x - 2.0 * x; }
};
} // namespace

TEST(AttrConstraint, DefaultDerivativeIsACentredDifference) {
  CubicConstraint g;
  EXPECT_STREQ(g.GetType(), "XelMathConstraint");
  EXPECT_TRUE(g.IsExclusive());
  // Central difference error: h^2 |g'''| / 6 = 1e-12 for the cubic with h = 1e-6, plus the
  // rounding of g divided by h (about eps |g| / h).
  const double h = 1e-6;
  for (double x : {-2.0, -0.5, 0.0, 0.3, 1.7}) {
    const double exact = 3.0 * x * x - 2.0;
    const double bound =
        h * h + 4.0 * std::numeric_limits<double>::epsilon() * (std::fabs(x * x * x) + 2.0) / h;
    EXPECT_NEAR(g.EvalDerivConstraint(x), exact, bound) << x;
  }
  EXPECT_TRUE(g.IsAdmissible(XelMathInterval(-1.0, -0.5)));
  EXPECT_FALSE(g.IsAdmissible(XelMathInterval(0.1, 1.2)));

  XelMathAttrList list(&g);
  EXPECT_EQ(list.GetAttribute(AttrFunctionXConstraint), &g);
}

TEST(AttrConstraint, ConstraintOptionIsAPresenceFlag) {
  XelMathConstraintOption option;
  EXPECT_STREQ(option.GetType(), "XelMathConstraintOption");
  EXPECT_TRUE(option.IsExclusive());
  XelMathConstraintOption second;
  XelMathAttrList list(&option);
  list.AddAttribute(&second);
  EXPECT_EQ(list.GetNumberOfAttributes(), 1);
  EXPECT_EQ(list.GetAttribute("XelMathConstraintOption"), &second);
}

// ---- exclusion rectangles
// --------------------------------------------------------------------------

namespace {
XelMathInterval2D Box(double iU0, double iU1, double iV0, double iV1) {
  XelMathInterval2D box;
  box.SetX(XelMathInterval(iU0, iU1));
  box.SetY(XelMathInterval(iV0, iV1));
  return box;
}
} // namespace

TEST(AttrExclusion2D, BoxInsideARectangleIsExcluded) {
  XelMathAttrExclusion2D exclusion(Box(0.0, 1.0, 0.0, 1.0));
  EXPECT_STREQ(exclusion.GetType(), "XelMathAttrExclusion2D");
  EXPECT_TRUE(exclusion.IsExclusive());
  XelMathInterval2D inside = Box(0.2, 0.8, 0.0, 1.0); // touching ends count as inside
  EXPECT_EQ(exclusion.Includes(inside), 1);
  XelMathInterval2D outside = Box(2.0, 3.0, 2.0, 3.0);
  EXPECT_EQ(exclusion.Includes(outside), 0);
  EXPECT_EQ(outside.GetY().low, 2.0);
  EXPECT_EQ(outside.GetY().high, 3.0);
  XelMathAttrExclusion2D none;
  EXPECT_EQ(none.GetNumberOfIntervals(), 0);
  EXPECT_EQ(none.Includes(inside), 0);
}

TEST(AttrExclusion2D, RectanglesCoveringTheUIntervalTrimTheVEnds) {
  // Overlap at the top: the box's V interval ends at the rectangle's low V end.
  XelMathAttrExclusion2D top(Box(-1.0, 2.0, 0.6, 5.0));
  XelMathInterval2D box = Box(0.0, 1.0, 0.0, 1.0);
  EXPECT_EQ(top.Includes(box), 0);
  EXPECT_EQ(box.GetX().low, 0.0);
  EXPECT_EQ(box.GetX().high, 1.0);
  EXPECT_EQ(box.GetY().low, 0.0);
  EXPECT_EQ(box.GetY().high, 0.6);

  // Overlap at the bottom: the low V end moves up to the rectangle's high V end.
  XelMathAttrExclusion2D bottom(Box(0.0, 1.0, -3.0, 0.25));
  box = Box(0.0, 1.0, 0.0, 1.0);
  EXPECT_EQ(bottom.Includes(box), 0);
  EXPECT_EQ(box.GetY().low, 0.25);
  EXPECT_EQ(box.GetY().high, 1.0);

  // A rectangle strictly inside the V interval touches neither end: nothing is trimmed.
  XelMathAttrExclusion2D middle(Box(0.0, 1.0, 0.4, 0.5));
  box = Box(0.0, 1.0, 0.0, 1.0);
  EXPECT_EQ(middle.Includes(box), 0);
  EXPECT_EQ(box.GetY().low, 0.0);
  EXPECT_EQ(box.GetY().high, 1.0);

  // A rectangle that does not cover the whole U interval is passed over.
  XelMathAttrExclusion2D partial(Box(0.5, 2.0, -1.0, 2.0));
  box = Box(0.0, 1.0, 0.0, 1.0);
  EXPECT_EQ(partial.Includes(box), 0);
  EXPECT_EQ(box.GetY().low, 0.0);
  EXPECT_EQ(box.GetY().high, 1.0);
}

TEST(AttrExclusion2D, TrimsAccumulateUntilTheBoxIsCovered) {
  // The top rectangle trims the box to [0, 0.6]; the bottom one then trims it to
  // [0.3, 0.6], which the third rectangle contains.
  XelMathAttrExclusion2D exclusion(Box(-1.0, 2.0, 0.6, 5.0));
  exclusion.AddInterval(Box(-1.0, 2.0, -1.0, 0.3));
  exclusion.AddInterval(Box(0.0, 1.0, 0.25, 0.65));
  ASSERT_EQ(exclusion.GetNumberOfIntervals(), 3);
  XelMathInterval2D box = Box(0.0, 1.0, 0.0, 1.0);
  EXPECT_EQ(exclusion.Includes(box), 1);

  // Without the third rectangle the trimmed box comes back.
  XelMathAttrExclusion2D two(Box(-1.0, 2.0, 0.6, 5.0));
  two.AddInterval(Box(-1.0, 2.0, -1.0, 0.3));
  box = Box(0.0, 1.0, 0.0, 1.0);
  EXPECT_EQ(two.Includes(box), 0);
  EXPECT_EQ(box.GetY().low, 0.3);
  EXPECT_EQ(box.GetY().high, 0.6);
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
    exclusion.AddInterval(*exclusion.GetInterval(3)); // adding one of its own rectangles
    EXPECT_EQ(exclusion.GetNumberOfIntervals(), 12);
    EXPECT_EQ(exclusion.GetInterval(11)->GetX().low, 2.0);
    EXPECT_EQ(exclusion.GetInterval(12), nullptr);
    EXPECT_EQ(exclusion.GetInterval(-1), nullptr);
    XelMathAttrExclusion2D copy(exclusion);
    EXPECT_NE(copy.GetInterval(0), exclusion.GetInterval(0));
    XelMathAttrExclusion2D assigned;
    assigned = copy;
    EXPECT_EQ(assigned.GetNumberOfIntervals(), 12);
    assigned = XelMathAttrExclusion2D();
    EXPECT_EQ(assigned.GetNumberOfIntervals(), 0);
    XelMathAttrList list(&copy);
    EXPECT_EQ(list.GetAttribute("XelMathAttrExclusion2D"), &copy);
  }
  EXPECT_EQ(LiveBlocks(), before);
}
