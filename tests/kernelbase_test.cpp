// Kernel base services: errors, memory, tolerance, mailbox, versions, geometry, sets and lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "XelFedEx.h"
#include "XelMath3x3Matrix.h"
#include "XelMathCircle.h"
#include "XelMathConstants.h"
#include "XelMathDoubleSort.h"
#include "XelMathGrid.h"
#include "XelMathInputError.h"
#include "XelMathLine.h"
#include "XelMathPlane.h"
#include "XelMathPoint.h"
#include "XelMathPoint2D.h"
#include "XelMathSetOf3DObjects.h"
#include "XelMathSetOfLongs.h"
#include "XelMathTransformation.h"
#include "XelMathTransformation2D.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"
#include "XelQuorStreamVersion.h"
#include "XelQuorVirtual.h"
#include "XelRawCollPV.h"
#include "XelRawCollint.h"
#include "XelSoftwareConfiguration.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;
const double FewFlops = 16 * kEps, Pi = kPi;
class Counted : public XelQuorVirtual {
public:
  double payload[4] = {0, 0, 0, 0};
};
int garbageCalls = 0;
// Rotation by iAngle about z, then translation by iShift.
XelMathTransformation RotationZ(double iAngle, const XelMathVector& iShift) {
  double c = std::cos(iAngle), s = std::sin(iAngle);
  double coefs[12] = {c, -s, 0, iShift.GetX(), s, c, 0, iShift.GetY(), 0, 0, 1, iShift.GetZ()};
  return XelMathTransformation(coefs);
}

} // namespace

TEST(XelError, CarriesCodeTextsFileAndLine) {
  long line = 0;
  try {
    line = __LINE__ + 1;
    XelMathRaise(0x20006, "the XelMathAttrScaleOption", "wrong dimension",
                 "XelMathFunctionX::Solve");
    FAIL();
  } catch (const XelMathInputError& error) {
    EXPECT_TRUE(error.GetCode() == 0x20006 && error.GetNumberOfParameters() == 3);
    EXPECT_EQ(std::string(error.GetParameter(0)) + "|" + error.GetParameter(1) + "|" +
                  error.GetParameter(2) + "|" + error.GetParameter(3) + "|" +
                  error.GetParameter(-1),
              "the XelMathAttrScaleOption|wrong dimension|XelMathFunctionX::Solve||");
    EXPECT_TRUE(error.GetLine() == line &&
                std::string(error.GetSourceFile()).find("kernelbase_test") != std::string::npos);
    std::string message = error.what();
    for (const char* part : {"XelMathInputError", "0x20006", "wrong dimension", "kernelbase_test"})
      EXPECT_NE(message.find(part), std::string::npos) << message;
  }
  XelError error(0x20009);
  error.SetParameters(5, "a", nullptr, "c"); // at most three; a null text is empty
  EXPECT_TRUE(error.GetNumberOfParameters() == 3 && !*error.GetParameter(1) &&
              std::string(error.GetParameter(2)) == "c");
  error.SetParameters(-2);
  EXPECT_EQ(error.GetNumberOfParameters(), 0);
}

TEST(XelError, ThrowFunctionFreesTheHeapErrorAndKeepsTheDynamicType) {
  long before = LiveBlocks();
  try {
    XelResourceError* error = new XelResourceError(0x20001);
    EXPECT_EQ(LiveBlocks(), before + 1); // counted allocation
    error->SetParameters(1, "no more room");
    XelQuorThrowFunction(error, "somewhere.cpp", 42);
  } catch (const XelError& error) {
    EXPECT_NE(dynamic_cast<const XelResourceError*>(&error), nullptr);
    EXPECT_STREQ(error.GetSourceFile(), "somewhere");
    EXPECT_EQ(error.GetLine(), 42);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(XelError, MessageNamesTheRaisedClassAndALibraryRelativeSource) {
  EXPECT_EQ(std::string(XelMathInputError(0x20009).what()), "XelMathInputError 0x20009");
  EXPECT_EQ(std::string(XelQuorNoMoreMemoryError(8).what()).rfind("XelQuorNoMoreMemoryError", 0),
            0u);
  const char* cases[][2] = {
      // the build directory never reaches the caller
      {"/home/build/x/AdvancedMathematics/YN000FUN.m/src/XelMathFractionX.cpp",
       "AdvancedMathematics/YN000FUN.m/src/XelMathFractionX"},
      {"/tmp/KernelBase/src/XelQuorMemory.cpp", "KernelBase/src/XelQuorMemory"},
      {"C:\\w\\AdvancedMathematics\\include\\XelMathPolynomX.h",
       "AdvancedMathematics/include/XelMathPolynomX"},
      {"/elsewhere/tool.v2/caller.cpp", "caller"},
      {"", ""}};
  for (auto& c : cases) {
    XelError error(1);
    error.SetSource(c[0], 7);
    EXPECT_STREQ(error.GetSourceFile(), c[1]) << c[0];
  }
  try {
    XelMathRaise(0x20005, "XelMathFractionX::Eval", "with a null denominator", nullptr);
  } catch (const XelMathInputError& error) {
    EXPECT_EQ(std::string(error.GetSourceFile()).find('/'), std::string::npos);
  }
}

TEST(XelQuorMemory, CountersFollowAllocationsAndReleases) {
  XelQuorMemoryCounters start = XelQuorGetMemoryCounters();
  double* values = XelQuorArrayDoubleNew(10);
  void** pointers = XelQuorArrayPtrsNew(3);
  unsigned char* bytes = XelQuorArrayBytesNew(5);
  Counted* object = new Counted;
  XelQuorMemoryCounters during = XelQuorGetMemoryCounters();
  EXPECT_EQ(during.liveBlocks, start.liveBlocks + 4);
  EXPECT_EQ(during.liveBytes,
            start.liveBytes + long(10 * sizeof(double) + 3 * sizeof(void*) + 5 + sizeof(Counted)));
  EXPECT_EQ(pointers[2], nullptr); // pointer arrays start null
  delete object;
  XelQuorArrayBytesDel(bytes, 5), XelQuorArrayPtrsDel(pointers, 3);
  XelQuorArrayDoubleDel(values, 10);
  XelQuorMemoryCounters end = XelQuorGetMemoryCounters();
  EXPECT_TRUE(end.liveBlocks == start.liveBlocks && end.liveBytes == start.liveBytes &&
              end.totalAllocations == start.totalAllocations + 4);
}

TEST(XelQuorMemory, ImpossibleSizesRaiseNoMoreMemory) {
  long before = LiveBlocks();
  try {
    XelQuorArrayDoubleNew(-1);
    FAIL();
  } catch (const XelQuorNoMoreMemoryError& error) {
    EXPECT_TRUE(error.GetCode() == 0x20001 && error.GetSize() == -1);
  }
  EXPECT_THROW(XelQuorArrayBytesNew(std::numeric_limits<long>::max()), XelQuorNoMoreMemoryError);
  // Within the cap but beyond this machine's memory: refused before the system is asked.
  if (static_cast<double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE) < 0x1p38) {
    EXPECT_THROW(XelQuorArrayDoubleNew(1L << 35), XelQuorNoMoreMemoryError);
  }
  EXPECT_EQ(LiveBlocks(), before);
  long reports = XelQuornullCount(); // a wrong count is reported, the block still freed
  CaptureTrace trace(XelQuorOutput::GetErr());
  EXPECT_NO_THROW(XelQuorArrayDoubleDel(XelQuorArrayDoubleNew(4), -4));
  EXPECT_NO_THROW(XelQuorArrayPtrsDel(XelQuorArrayPtrsNew(2), std::numeric_limits<long>::max()));
  EXPECT_NO_THROW(XelQuorArrayBytesDel(XelQuorArrayBytesNew(3), -1));
  EXPECT_EQ(XelQuornullCount(), reports + 3);
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(XelQuorMemory, ScratchGarbageAndLibraryDeclaration) {
  long before = LiveBlocks();
  void* small = XelQuorScratchReserve(64);
  EXPECT_EQ(XelQuorScratchReserve(32), small); // a smaller request reuses the area
  XelQuorScratchReserve(4096), XelQuorScratchClear();
  EXPECT_EQ(LiveBlocks(), before);

  XelQuorManageMemory::DeclareMemoryGarbage([] { garbageCalls++; });
  const int calls = garbageCalls;
  XelQuorManageMemory::CollectGarbage();
  EXPECT_EQ(garbageCalls, calls + 1);
  const bool loadedBefore = XelQuorIsLibraryLoaded("KernelBaseTestLibrary");
  XelQuorDeclareLibraryLoading("KernelBaseTestLibrary");
  EXPECT_TRUE(!loadedBefore && XelQuorIsLibraryLoaded("KernelBaseTestLibrary"));
}

TEST(XelTolerance, DefaultRolesAndTheScaleFactorScalesAbsoluteRolesOnly) {
  const double scale = 1000.0;
  const XelTolerance &unit = XelGetDefaultTolerance(), scaled(scale);
  EXPECT_EQ(&XelGetDefaultTolerance(), &unit); // one process-wide object
  typedef double (XelTolerance::*Getter)() const;
  const struct { // getter, default value, power of the scale factor it follows
    Getter get;
    double value;
    int power;
  } roles[] = {
      {&XelTolerance::GetScaleFactor, 1.0, 1},
      {&XelTolerance::GetAbsoluteResolution, 1.0, 1},
      {&XelTolerance::GetRelativeEpsilon, 1e-13, 0},
      {&XelTolerance::GetRootResolution, 1e-13, 1},
      {&XelTolerance::GetParametricResolution, 1e-10, 0},
      {&XelTolerance::GetPointResolution, 1e-10, 1},
      {&XelTolerance::GetLengthResolution, 1e-10, 1},
      {&XelTolerance::GetSquareLengthResolution, 1e-20, 2},
      {&XelTolerance::GetSquaredZero, 1e-26, -1},
      {&XelTolerance::GetMinimumLength, 1e-6, -1},
      {&XelTolerance::GetSymmetryEpsilon, (unit.*(&XelTolerance::GetSymmetryEpsilon))(), 0}};
  for (const auto& role : roles) {
    EXPECT_DOUBLE_EQ((unit.*role.get)(), role.value);
    if (role.power >= 0) {
      EXPECT_DOUBLE_EQ((scaled.*role.get)(), std::pow(scale, role.power) * role.value);
    }
  }
}

TEST(XelTolerance, MeaninglessScaleOrResolutionsRaise) {
  // Scale factors positive and finite, resolutions and epsilons finite and not negative.
  const double nan = std::nan(""), inf = HUGE_VAL;
  for (double scale : {0.0, -1.0, -2.0, nan, inf})
    ExpectInputError([&] { XelTolerance tol(scale); }, 0x20006,
                     {"the scale factor of the XelTolerance", "", "XelTolerance::XelTolerance"});
  XelTolerance tol;
  typedef void (XelTolerance::*Setter)(double);
  const Setter setters[] = {
      &XelTolerance::SetRelativeEpsilon,      &XelTolerance::SetRootResolution,
      &XelTolerance::SetParametricResolution, &XelTolerance::SetPointResolution,
      &XelTolerance::SetLengthResolution,     &XelTolerance::SetBisectionEpsilon,
      &XelTolerance::SetSingularValueEpsilon};
  for (Setter set : setters)
    for (double value : {-1e-9, nan, inf})
      ExpectInputError([&] { (tol.*set)(value); }, 0x20006);
  ExpectInputError(
      [&] { tol.SetRootResolution(-1e-9); }, 0x20006,
      {"the root resolution of the XelTolerance", "", "XelTolerance::SetRootResolution"});
  EXPECT_EQ(tol.GetRootResolution(), 1e-13); // kept; 0 is a valid resolution
  tol.SetRootResolution(0.0);
  EXPECT_EQ(tol.GetRootResolution(), 0.0);
}

TEST(XelTolerance, InvalidToleranceAnswersZeroAndReports) {
  CaptureTrace trace(XelQuorOutput::GetErr());
  const long nulls = XelQuornullCount();
  XelQuornull("file.cpp", 7);
  EXPECT_TRUE(XelQuornullCount() == nulls + 1 &&
              trace.Text().find("file.cpp:7") != std::string::npos);
  XelTolerance tol;
  tol.SetRootResolution(1e-9), tol.SetError(1);
  long reports = XelToleranceErrorCount();
  EXPECT_TRUE(tol.GetRootResolution() == 0.0 && tol.GetScaleFactor() == 0.0);
  EXPECT_TRUE(XelToleranceErrorCount() == reports + 2 &&
              trace.Text().find("XelToleranceError") != std::string::npos);
  tol.SetError(0);
  EXPECT_EQ(tol.GetRootResolution(), 1e-9);
}

TEST(XelFedEx, PutGetAndUnstackUntil) {
  XelFedExMail mail;
  int keyA = 0, keyB = 0, first = 1, second = 2, other = 3;
  void* value = nullptr;
  long status = -1;
  EXPECT_EQ(XelFedEx::Get(mail, 6, &keyA, value, status), 0);
  XelFedEx::Put(mail, 6, &keyA, &first, 11);
  XelFedEx::Put(mail, 6, &keyB, &other);
  XelFedEx::Put(mail, 6, &keyA, &second, 12);
  ASSERT_NE(XelFedEx::Get(mail, 6, &keyA, value, status), 0);
  EXPECT_TRUE(value == &second && status == 12);              // the latest filing
  EXPECT_EQ(XelFedEx::Get(mail, 7, &keyA, value, status), 0); // other message number
  XelFedEx::UnstackUntil(mail, 6, &keyA);
  ASSERT_NE(XelFedEx::Get(mail, 6, &keyA, value, status), 0);
  EXPECT_EQ(value, &first);
  EXPECT_NE(XelFedEx::Get(mail, 6, &keyB, value, status), 0);
  XelFedEx::UnstackUntil(mail, 6, &keyA); // also drops the later filing of keyB
  EXPECT_TRUE(!XelFedEx::Get(mail, 6, &keyA, value, status) &&
              !XelFedEx::Get(mail, 6, &keyB, value, status) && mail.GetNumberOfFilings() == 0);
  XelFedEx::UnstackUntil(mail, 6, &keyA); // nothing filed: no effect
}

TEST(XelSoftwareConfiguration, LevelsSelectTheNewerBehaviourFromTheFlagOn) {
  short flag = XelQuorVersionLevel_Marching_CheckLastPoints;
  XelSoftwareConfiguration older(short(flag - 1)), exact(flag), current;
  EXPECT_TRUE(GetQuorLevel(&older, "Test") < flag && GetQuorLevel(&exact, "Test") >= flag);
  EXPECT_TRUE(GetQuorLevel(&current, "Test") == XelSoftwareConfiguration::CurrentLevel() &&
              GetQuorLevel(nullptr, "Test") == XelSoftwareConfiguration::CurrentLevel());
  EXPECT_TRUE(XelQuorStreamIsStrictlyOlderThan(1005, 1012) &&
              !XelQuorStreamIsStrictlyOlderThan(1012, 1012) &&
              !XelQuorStreamIsStrictlyOlderThan(1013, 1012));
}

TEST(XelMathPoint, DistancesArithmeticAndProducts) {
  XelMathPoint a(1, 2, 3), b(4, 6, 15); // offsets 3, 4, 12: distance 13
  EXPECT_DOUBLE_EQ(a.DistanceTo(b), 13.0);
  EXPECT_TRUE(b - a == XelMathVector(3, 4, 12) && 0.5 * (a + b) == XelMathPoint(2.5, 4, 9));
  // Coordinates near the overflow and underflow thresholds keep their distance.
  for (double unit : {1e200, 1e-200})
    EXPECT_NEAR(XelMathPoint(3 * unit, 0, 0).DistanceTo(XelMathPoint(0, 4 * unit, 0)) / (5 * unit),
                1.0, FewFlops);

  XelMathVector u(1, 2, 2), v(2, -2, 1);
  EXPECT_DOUBLE_EQ(u.Norm(), 3.0);
  EXPECT_TRUE(u * v == 0.0 && (u ^ v) == XelMathVector(6, 3, -6)); // normal to both, norm 9
  XelMathVector w(0, 3, 4), null;
  EXPECT_DOUBLE_EQ(w.Normalize(), 5.0);
  EXPECT_TRUE(std::fabs(w.Norm() - 1.0) <= FewFlops && null.Normalize() == 0.0);
  XelMathPoint2D p(1, 1), q(4, 5);
  EXPECT_TRUE(p.DistanceTo(q) == 5.0 && p + (q - p) == q);
}

TEST(XelMathVector, AnglesInThreeAndTwoDimensions) {
  const double small = 1e-9; // where acos would lose half the digits
  const XelMathVector x(1, 0, 0), z(0, 0, 1), diagonal(1, 1, 0);
  const struct {
    XelMathVector u, v;
    double angle;
  } rows[] = {{XelMathVector(1, 2, 2), XelMathVector(2, -2, 1), Pi / 2},
              {x, diagonal, Pi / 4},
              {x, -x, Pi},
              {x, XelMathVector(std::cos(small), std::sin(small), 0), small},
              {x, XelMathVector(), 0.0}};
  for (const auto& row : rows)
    EXPECT_NEAR(row.u.GetAngleTo(row.v), row.angle,
                row.angle * FewFlops + FewFlops * (row.angle > 1e-3));
  EXPECT_NEAR(diagonal.GetAngleTo(x, z), -Pi / 4, FewFlops); // signed about z
  const XelMathVector2D x2(1, 0), y2(0, 2), minusY(0, -1);
  EXPECT_NEAR(x2.GetSignedAngleTo(y2), Pi / 2, FewFlops);
  EXPECT_NEAR(x2.GetSignedAngleTo(minusY), -Pi / 2, FewFlops);
  EXPECT_NEAR(x2.GetAngleTo(minusY), Pi / 2, FewFlops);
  EXPECT_TRUE((x2 ^ y2) == 2.0 && x2 * y2 == 0.0);
}

TEST(XelMath3x3Matrix, ProductsTransposeAndInverse) {
  double coefs[9] = {2, 1, 0, 1, 3, 1, 0, 1, 4};
  XelMath3x3Matrix a(coefs);
  EXPECT_TRUE(a * XelMathVector(1, 1, 1) == XelMathVector(3, 5, 5) &&
              a * XelMathVector(1, 0, 0) == XelMathVector(2, 1, 0)); // row-major
  EXPECT_DOUBLE_EQ(a.Determinant(), 18.0);                           // 2(12-1) - 1(4-0)
  XelMath3x3Matrix inverse;
  ASSERT_EQ(a.Inverse(inverse), 0);
  const XelMath3x3Matrix product = a * inverse;
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++)
      EXPECT_NEAR(product.GetCoef(i, j), i == j, 4 * FewFlops);
  EXPECT_EQ(a.Transpose(), a); // symmetric
  double singular[9] = {1, 2, 3, 2, 4, 6, 0, 1, 1};
  XelMath3x3Matrix untouched;
  EXPECT_TRUE(XelMath3x3Matrix(singular).Inverse(untouched) == 1 &&
              untouched == XelMath3x3Matrix());
  ExpectInputError([&] { a.GetCoef(3, 0); }, 0x20007);
}

TEST(XelMathTransformation, CoefficientsCompositionImagesAndInverse) {
  XelMathTransformation t = RotationZ(Pi / 2, XelMathVector(1, 0, 0));
  double coefs[12];
  t.GetCoef(coefs);
  EXPECT_TRUE(coefs[3] == 1.0 && XelMathTransformation(coefs) == t); // row 0: A00 A01 A02 t0
  EXPECT_NEAR((t * XelMathPoint(1, 0, 5)).DistanceTo(XelMathPoint(1, 1, 5)), 0.0, 8 * FewFlops);
  // The translation does not apply to a direction.
  EXPECT_NEAR((t * XelMathVector(1, 0, 0) - XelMathVector(0, 1, 0)).Norm(), 0.0, FewFlops);
  XelMathTransformation s = RotationZ(0.3, XelMathVector(-2, 5, 1));
  XelMathPoint q(0.7, -1.3, 2.9);
  EXPECT_NEAR((t * s * q).DistanceTo(t * (s * q)), 0.0, 16 * FewFlops); // s applied first
  EXPECT_GT((s * t * q).DistanceTo(t * (s * q)), 0.1);                  // not commutative
  XelMathTransformation inverse;
  ASSERT_EQ(s.Inverse(inverse), 0);
  EXPECT_TRUE((inverse * s).IsIdentity(16 * FewFlops) && !s.IsIdentity(0.1));
  double flat[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(XelMathTransformation(flat).Inverse(inverse), 1);
  EXPECT_EQ(t.GetVector(), XelMathVector(1, 0, 0));

  double coefs2[6] = {0, -2, 1, 2, 0, 3}; // rotation by pi/2, scale 2, shift (1, 3)
  XelMathTransformation2D t2(coefs2), linear(coefs2);
  EXPECT_TRUE(t2 * XelMathPoint2D(1, 1) == XelMathPoint2D(-1, 5) &&
              t2 * XelMathVector2D(1, 1) == XelMathVector2D(-2, 2));
  linear.SetVector(0, 0);
  EXPECT_EQ(t2 * linear * XelMathPoint2D(0.25, -3), t2 * (linear * XelMathPoint2D(0.25, -3)));
  XelMathTransformation2D inverse2;
  ASSERT_EQ(t2.Inverse(inverse2), 0);
  EXPECT_TRUE((inverse2 * t2).IsIdentity(4 * FewFlops));
  double singular[6] = {1, 2, 0, 2, 4, 0};
  EXPECT_EQ(XelMathTransformation2D(singular).Inverse(inverse2), 1);
  ExpectInputError([&] { t2.GetCoef(6); }, 0x20007);
}

TEST(XelMathCurves, LineCircleAndPlaneProjectionsAndDistances) {
  XelMathLine line(XelMathPoint(1, 1, 0), XelMathVector(0, 2, 0));
  EXPECT_TRUE(line.GetScale() == 2.0 && line.EvalPoint(1.5) == XelMathPoint(1, 4, 0));
  XelMathPoint projection;
  EXPECT_TRUE(line.Project(XelMathPoint(4, 5, 4), projection) == 2.0 &&
              projection == XelMathPoint(1, 5, 0));
  EXPECT_DOUBLE_EQ(line.DistanceTo(XelMathPoint(4, 5, 4)), 5.0);
  EXPECT_TRUE(line.IsATypeOf(XelMathCurve::CurveType) && !line.IsATypeOf(XelMathCurve::CircleType));
  XelMathLine degenerate(XelMathPoint(0, 0, 0), XelMathVector());
  EXPECT_TRUE(degenerate.Project(XelMathPoint(1, 1, 1)) == 0.0 &&
              degenerate.DistanceTo(XelMathPoint(0, 3, 4)) == 5.0);

  const double radius = 2.0;
  // Directions given neither unit nor orthogonal: the circle orthonormalises them.
  XelMathCircle circle(XelMathPoint(1, 0, 0), radius, XelMathVector(3, 0, 0),
                       XelMathVector(1, 5, 0), 2.0, 0.5);
  XelMathVector u, v;
  circle.GetDirections(u, v);
  EXPECT_LT(std::fabs(u * v) + std::fabs(v.Norm() - 1.0), FewFlops);
  EXPECT_NEAR((circle.GetNormal() - XelMathVector(0, 0, 1)).Norm(), 0.0, FewFlops);
  // angle = 2 t + 0.5: t = -0.25 is the point at angle 0.
  EXPECT_NEAR(circle.EvalPoint(-0.25).DistanceTo(XelMathPoint(3, 0, 0)), 0.0, 4 * FewFlops);
  EXPECT_NEAR(circle.EvalFirstDeriv(-0.25).GetY(), radius * 2.0, 4 * FewFlops);
  // From (1 + 5 cos 1, 5 sin 1, 4): in-plane distance 5, height 4 -> hypot(5 - 2, 4) = 5.
  double param, angle = 1.0;
  EXPECT_NEAR(
      circle.DistanceMin(XelMathPoint(1 + 5 * std::cos(angle), 5 * std::sin(angle), 4), param), 5.0,
      8 * FewFlops);
  EXPECT_NEAR(2.0 * param + 0.5, angle, 8 * FewFlops);
  EXPECT_NEAR(circle.DistanceMin(XelMathPoint(1, 0, 3)), std::hypot(3.0, radius), 4 * FewFlops);
  XelMathCurve* copy = circle.Duplicate();
  EXPECT_EQ(copy->EvalPoint(0.3), circle.EvalPoint(0.3));
  delete copy;
  const XelMathVector ex(1, 0, 0); // parallel directions, negative radius
  ExpectInputError([&] { XelMathCircle(XelMathPoint(), 1, ex, XelMathVector(2, 0, 0)); }, 0x20009);
  ExpectInputError([&] { XelMathCircle(XelMathPoint(), -1, ex, XelMathVector(0, 1, 0)); }, 0x20009);

  XelMathPlane plane(XelMathPoint(0, 0, 1), XelMathVector(1, 0, 0), XelMathVector(1, 1, 0));
  double pu, pv;
  plane.Project(XelMathPoint(3, 2, 5), pu, pv);
  EXPECT_NEAR(plane.EvalPoint(pu, pv).DistanceTo(XelMathPoint(3, 2, 1)), 0.0, 8 * FewFlops);
  EXPECT_TRUE(plane.DistanceTo(XelMathPoint(3, 2, 5)) == 4.0 &&
              plane.DistanceTo(XelMathPoint(0, 0, -1)) == -2.0);
  ExpectInputError(
      [] { XelMathPlane(XelMathPoint(), XelMathVector(1, 1, 1), XelMathVector(-2, -2, -2)); },
      0x20009);
}

TEST(XelMathSetOfLongs, ElementsFindCursorAndCopies) {
  const long before = LiveBlocks();
  {
    XelMathSetOfLongs set;
    for (long value : {5L, -3L, 8L, -3L})
      set.AddElement(value);
    EXPECT_TRUE(set.GetNumberOfElements() == 4 && set.Find(-3) == 1 && set.Find(42) == -1);
    long sum = 0;
    for (int on = set.Beginning(); on; on = set.Next())
      sum = 10 * sum + set.GetElement();
    EXPECT_EQ(sum, ((5 * 10 - 3) * 10 + 8) * 10 - 3);
    ExpectInputError([&] { set.GetElement(); }, 0x20008, {"", "", "Next"}); // past the end
    for (long at : {4L, -1L})
      ExpectInputError([&] { set.GetElement(at); }, 0x20007);
    XelMathSetOfLongs copy(set);
    copy.SetElement(0, 100), copy.RemoveElement(1);
    EXPECT_TRUE(set.GetElement(0) == 5 && copy.GetElement(1) == 8); // deep copy
    EXPECT_EQ((set = copy).GetElement(0), 100);
    for (long i = 0; i < 1000; i++)
      set.AddElement(i);
    EXPECT_TRUE(set.GetElement(1002) == 999 &&
                set.GetDynamicMemoryBytes() >= long(1003 * sizeof(long)));
  }
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(XelRawColl, IndexingFromOneInsertLocateRemove) {
  XelRawCollint list;
  EXPECT_EQ(list.Append(10), 1);
  list.Append(30), list.InsertAt(2, 20), list.InsertAt(1, 0), list.InsertAt(5, 40); // 5: appends
  int values[5];
  list.FillArray(values);
  EXPECT_EQ(std::vector<int>(values, values + 5), std::vector<int>({0, 10, 20, 30, 40}));
  EXPECT_TRUE(list.Locate(30) == 4 && list.Locate(31) == 0 && list.Remove(30) == 4);
  list.RemovePosition(1);
  EXPECT_TRUE(list.Size() == 3 && list[1] == 10 && list.FillArray(values, 2) == 2);
  ExpectInputError([&] { (void)list[0]; }, 0x20007);
  ExpectInputError([&] { list.InsertAt(5, 1); }, 0x20007);
  ExpectInputError([&] { list.RemovePosition(4); }, 0x20007);

  int a = 0, b = 0, c = 0;
  XelRawCollPV pointers;
  pointers.Append(&a), pointers.Append(&c), pointers.InsertAt(2, &b);
  EXPECT_EQ(pointers.Locate(&c), 3);
  pointers[3] = &a;
  EXPECT_TRUE(pointers.Remove(&a) == 1 && pointers[2] == &a);
  ExpectInputError([&] { (void)pointers[3]; }, 0x20007);
}

TEST(XelMathDoubleSort, ReturnsAStablePermutationWithNaNLast) {
  double values[7] = {3.0, -1.0, kNaN, 3.0, 0.5, -7.0, 0.5};
  const long increasing[7] = {5, 1, 4, 6, 0, 3, 2}, decreasing[7] = {0, 3, 4, 6, 1, 5, 2};
  for (int order = 0; order < 2; order++) {
    XelMathDoubleSort sort(7, values, order);
    sort.Sort();
    for (long r = 0; r < 7; r++)
      EXPECT_EQ(sort.GetIndex(r), (order ? decreasing : increasing)[r]) << order << " " << r;
    double sorted[7];
    sort.GetSortedValues(sorted);
    EXPECT_TRUE(std::isnan(sorted[6]));
    ExpectInputError([&] { sort.GetIndex(7); }, 0x20007);
  }
  // A larger random-like input: the permutation is a bijection ordering the values.
  const long n = 1000;
  std::vector<double> many(n);
  for (long i = 0; i < n; i++)
    many[i] = std::sin(i * 12.9898) * 43758.5453;
  XelMathDoubleSort big(n, many.data());
  big.Sort();
  std::vector<int> seen(n, 0);
  for (long r = 0; r < n; r++) {
    seen[big.GetIndex(r)]++;
    EXPECT_LE(big.GetValue(r), big.GetValue(std::min(r + 1, n - 1)));
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), n);
}

TEST(XelMathGrid, SetSizeKeepsTheCommonBlock) {
  const long before = LiveBlocks();
  {
    XelMathGrid grid(2, 3);
    for (long k = 0; k < 6; k++)
      grid.SetCoef(k / 3, k % 3, 10 * (k / 3) + k % 3);
    grid.SetSize(3, 2);
    EXPECT_TRUE(grid.GetNumberOfColumns() == 2 && grid.GetCoef(1, 1) == 11.0 &&
                grid.GetCoef(2, 0) == 0.0);
    static_cast<XelMathExtendableSet&>(grid).SetSize(5); // rows through the base
    EXPECT_TRUE(grid.GetNumberOfRows() == 5 && grid.GetData()[2 * 1 + 1] == 11.0); // row-major
    ExpectInputError([&] { grid.GetCoef(0, 2); }, 0x20007);
    ExpectInputError([&] { grid.SetSize(-1, 2); }, 0x20009);
    XelMathGrid copy(grid);
    grid.Fill(1.0);
    EXPECT_TRUE(copy.GetCoef(1, 0) == 10.0 && grid.GetCoef(1, 0) == 1.0);
    XelMathSetOf3DObjects vectors(2);
    vectors.SetObject(1, XelMathVector(1, 2, 3));
    EXPECT_TRUE(vectors.AddObject(XelMathVector(4, 5, 6)) == 2 && vectors.GetData()[8] == 6.0);
    ExpectInputError([&] { vectors.GetObject(3); }, 0x20007);
  }
  EXPECT_EQ(LiveBlocks(), before);
}
