// Deformations of space and of the plane: folding then unfolding returns every point, the
// Jacobians and second derivatives against sixth-order differences, the helix and the cone
// sector computed by hand, the order of the affine parts, inversion, interval images against
// dense samples, stream records at each version, damaged streams and misuse.
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "XelError.h"
#include "XelMathConicDeformationFolded.h"
#include "XelMathConicDeformationUnfolded.h"
#include "XelMathConstants.h"
#include "XelMathCylindricDeformationFolded.h"
#include "XelMathCylindricDeformationFolded2D.h"
#include "XelMathCylindricDeformationUnFolded2D.h"
#include "XelMathCylindricDeformationUnfolded.h"
#include "XelMathDumpStreamImpl.h"
#include "XelMathInterval.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathMemoryStream.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathPlane.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTransfo2DFunctionX.h"
#include "XelMathTransformation.h"
#include "XelMathTransformation2D.h"
#include "XelQuorTransfo2D.h"
#include "XelTolerance.h"
#include "support/test_helpers.h"

namespace {

typedef std::unique_ptr<XelMathNonLinearTransformation> Map;
const XelTolerance& Tol() {
  return XelGetDefaultTolerance();
}
const double kPi = XelPI;

// A rotation about (1, 1, 1) / sqrt(3) by 0.7 followed by the translation (0.3, -0.2, 0.5).
XelMathTransformation Motion(const double iAngle = 0.7, const double iShift = 1.0) {
  const double c = std::cos(iAngle), s = std::sin(iAngle), t = 1 - c, n = 1 / std::sqrt(3.0);
  const double m[12] = {c + t * n * n,     t * n * n - s * n, t * n * n + s * n, 0.3 * iShift,
                        t * n * n + s * n, c + t * n * n,     t * n * n - s * n, -0.2 * iShift,
                        t * n * n - s * n, t * n * n + s * n, c + t * n * n,     0.5 * iShift};
  return XelMathTransformation(m);
}

std::vector<double> Image(const XelMathNonLinearTransformation& iT, const std::vector<double>& p) {
  std::vector<double> y(3);
  iT.Eval(p.data(), y.data());
  return y;
}

// Sixth-order centred difference of f at x.
double Diff6(const std::function<double(double)>& f, const double x, const double h) {
  return (-f(x - 3 * h) + 9 * f(x - 2 * h) - 45 * f(x - h) + 45 * f(x + h) - 9 * f(x + 2 * h) +
          f(x + 3 * h)) /
         (60 * h);
}

// A folded map and the unfolded map that undoes it, with the right transformation of the
// first undone by the left one of the second.
struct Pair {
  const char* name;
  std::function<XelMathNonLinearTransformation*()> folded, unfolded;
};
std::vector<Pair> Pairs() {
  return {
      {"cylinder k=1", [] { return new XelMathCylindricDeformationFolded(1.0, Tol()); },
       [] { return new XelMathCylindricDeformationUnfolded(1.0, Tol()); }},
      {"cylinder k=2 a=1", [] { return new XelMathCylindricDeformationFolded(2.0, 1.0, Tol()); },
       [] { return new XelMathCylindricDeformationUnfolded(0.5, 1.0, Tol()); }},
      {"cylinder k=-1", [] { return new XelMathCylindricDeformationFolded(-1.0, Tol()); },
       [] { return new XelMathCylindricDeformationUnfolded(-1.0, Tol()); }},
      {"cone 0.4", [] { return new XelMathConicDeformationFolded(0.4, Tol()); },
       [] { return new XelMathConicDeformationUnfolded(0.4, Tol()); }},
      {"cone 0.7 a=2 ratio 1.2",
       [] { return new XelMathConicDeformationFolded(0.7, 2.0, 1.2, Tol()); },
       [] { return new XelMathConicDeformationUnfolded(0.7, 2.0, 1.2, Tol()); }},
  };
}

// Points away from the axis and the seam (theta in (-3, 0.9)), above the apex.
std::vector<std::vector<double>> SpacePoints() {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> rho(0.5, 2.0), theta(-3.0, 0.9), z(0.1, 1.5);
  std::vector<std::vector<double>> points;
  for (int i = 0; i < 40; i++) {
    const double r = rho(gen), t = theta(gen);
    points.push_back({r * std::cos(t), r * std::sin(t), z(gen)});
  }
  return points;
}

} // namespace

TEST(Deformations, FoldingThenUnfoldingReturnsEveryPoint) {
  const XelMathTransformation motion = Motion();
  XelMathTransformation back;
  ASSERT_EQ(motion.Inverse(back), 0);
  for (const Pair& pair : Pairs()) {
    for (int affine = 0; affine < 2; affine++) {
      Map fold(pair.folded()), unfold(pair.unfolded());
      if (affine) {
        fold->ComposeRight(motion);
        unfold->ComposeLeft(back);
      }
      for (const std::vector<double>& p : SpacePoints()) {
        // The points are taken in the core's coordinates, then carried back through R.
        std::vector<double> x = p;
        if (affine)
          back.Apply(p.data(), x.data());
        const std::vector<double> y = Image(*unfold, Image(*fold, x));
        for (int i = 0; i < 3; i++)
          EXPECT_NEAR(y[i], x[i], 1e-12 * (1 + std::fabs(x[i]))) << pair.name << " " << i;
      }
    }
  }
  // Unfolding then folding returns the development points with x > 0 and y in [-pi, pi).
  XelMathCylindricDeformationUnfolded unfold(1.0, Tol());
  XelMathCylindricDeformationFolded fold(1.0, Tol());
  for (const std::vector<double>& p :
       std::vector<std::vector<double>>{{1.0, -kPi, 2.0}, {0.5, 3.1, -1.0}, {2.0, 0.0, 0.0}}) {
    const std::vector<double> y = Image(fold, Image(unfold, p));
    for (int i = 0; i < 3; i++)
      EXPECT_NEAR(y[i], p[i], 1e-12 * (1 + std::fabs(p[i])));
  }
}

TEST(Deformations, FoldedAnglesAtTheRip) {
  struct Case {
    double a, x, y, z, f, g, h;
  };
  const Case cases[] = {
      {kPi, -1, 0, 5, 1, -kPi, 5},                   // theta = pi is cut to -pi
      {kPi, 0, 1, 0, 1, kPi / 2, 0},                 //
      {kPi / 2, 0, 1, 0, 1, kPi / 2 - 2 * kPi, 0},   // on the rip plane
      {-1.0, 1, -1, 0, std::sqrt(2.0), -kPi / 4, 0}, // window [-1, -1 + 2 pi)
      {-1.0, -1, -1, 0, std::sqrt(2.0), -3 * kPi / 4 + 2 * kPi, 0},
  };
  for (const Case& c : cases) {
    XelMathCylindricDeformationFolded fold(1.0, c.a, Tol());
    const std::vector<double> y = Image(fold, {c.x, c.y, c.z});
    EXPECT_NEAR(y[0], c.f, 1e-15);
    EXPECT_NEAR(y[1], c.g, 1e-15);
    EXPECT_EQ(y[2], c.h);
  }
  // The rip half-plane, carried back through a translation R: origin -t.
  XelMathCylindricDeformationFolded fold(1.0, kPi / 2, Tol());
  const double shift[12] = {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3};
  fold.ComposeRight(XelMathTransformation(shift));
  std::unique_ptr<XelMathPlane> rip(fold.GetRipPlane());
  EXPECT_EQ(rip->GetOrigin(), XelMathPoint(-1, -2, -3));
  EXPECT_NEAR((rip->GetSecondDirection() - XelMathVector(0, 1, 0)).Norm(), 0.0, 1e-16);
  EXPECT_EQ(rip->GetFirstDirection(), XelMathVector(0, 0, 1));
  // The unfolded maps cut the angle of their images: the half-plane is carried through L.
  XelMathCylindricDeformationUnfolded unfold(2.0, kPi / 2, Tol());
  XelMathConicDeformationUnfolded cone(kPi / 6, kPi / 2, Tol());
  unfold.ComposeLeft(XelMathTransformation(shift));
  cone.ComposeLeft(XelMathTransformation(shift));
  for (const XelMathNonLinearTransformation* t :
       {(XelMathNonLinearTransformation*)&unfold, (XelMathNonLinearTransformation*)&cone}) {
    std::unique_ptr<XelMathPlane> seam(t->GetRipPlane());
    EXPECT_EQ(seam->GetOrigin(), XelMathPoint(1, 2, 3));
    EXPECT_NEAR(std::fabs(seam->GetNormal().GetX()), 1.0, 1e-15); // the plane x = 1
  }
}

TEST(Deformations, JacobianAndSecondDerivativesAgainstDifferences) {
  const XelMathTransformation motion = Motion(), other = Motion(-1.1, 0.5);
  for (const Pair& pair : Pairs()) {
    for (int which = 0; which < 2; which++) {
      Map t(which ? pair.unfolded() : pair.folded());
      t->ComposeRight(other);
      t->ComposeLeft(motion);
      for (const std::vector<double>& p0 : SpacePoints()) {
        double j[9];
        t->EvalJacobian(p0.data(), j);
        XelMathNxNFullMatrix m(3);
        std::vector<double> y(3);
        t->Eval(p0.data(), y.data(), &m, t->GetResolution());
        for (int r = 0; r < 3; r++)
          for (int c = 0; c < 3; c++) {
            const double fd = Diff6(
                [&](double s) {
                  std::vector<double> p = p0;
                  p[c] = s;
                  return Image(*t, p)[r];
                },
                p0[c], 1e-3);
            EXPECT_NEAR(j[3 * r + c], fd, 1e-9) << pair.name << which << " " << r << c;
            EXPECT_EQ(m.GetCoef(r, c), j[3 * r + c]);
          }
      }
    }
  }
  // Second derivatives of the cores: differences of the first ones.
  XelMathCylindricDeformationFolded cylinder(1.5, 2.0, Tol());
  XelMathConicDeformationUnfolded cone(0.6, 1.0, 1.3, Tol());
  for (const std::vector<double>& p : SpacePoints()) {
    const double x = p[0], y = p[1];
    double f[6], g[6];
    cylinder.EvalF(x, y, 2, f, 1e-10);
    cylinder.EvalG(x, y, 2.0, 2, g, 1e-10);
    auto fx = [&](double a, double b) { return cylinder.EvalFirstDerivFX(a, b); };
    auto gy = [&](double a, double b) { return cylinder.EvalFirstDerivGY(a, b); };
    EXPECT_NEAR(f[3], Diff6([&](double s) { return fx(s, y); }, x, 1e-3), 1e-9);
    EXPECT_NEAR(f[4], Diff6([&](double s) { return fx(x, s); }, y, 1e-3), 1e-9);
    EXPECT_NEAR(g[4], Diff6([&](double s) { return gy(s, y); }, x, 1e-3), 1e-9);
    EXPECT_NEAR(g[5], Diff6([&](double s) { return gy(x, s); }, y, 1e-3), 1e-9);
    const XelMathVector v(p.data());
    double h[3][10];
    cone.EvalCoreFGH(v, 1.0, 2, h[0], h[1], h[2], 1e-10);
    const int second[3][3] = {{4, 5, 6}, {5, 7, 8}, {6, 8, 9}};
    for (int i = 0; i < 3; i++)
      for (int a = 0; a < 3; a++)
        for (int b = 0; b < 3; b++) {
          const double fd = Diff6(
              [&](double s) {
                std::vector<double> q = p;
                q[b] = s;
                double k[3][10];
                cone.EvalCoreFGH(XelMathVector(q.data()), 1.0, 1, k[0], k[1], k[2], 1e-10);
                return k[i][1 + a];
              },
              p[b], 1e-3);
          EXPECT_NEAR(h[i][second[a][b]], fd, 1e-8) << i << a << b;
        }
    EXPECT_EQ(cone.EvalSecondDerivGYZ(v), h[1][8]);
  }
}

TEST(Deformations, LineWrappedOntoACylinderIsAHelix) {
  // The line (2, t, 0.3 t) of the development, k = 0.5: radius 2, one turn every
  // 2 pi / k = 4 pi of t, pitch 0.3 * 4 pi = 1.2 pi.
  XelMathCylindricDeformationUnfolded wrap(0.5, Tol());
  for (double t = -3; t <= 3; t += 0.25) {
    const std::vector<double> a = Image(wrap, {2, t, 0.3 * t});
    const std::vector<double> b = Image(wrap, {2, t + 4 * kPi, 0.3 * (t + 4 * kPi)});
    EXPECT_NEAR(std::hypot(a[0], a[1]), 2.0, 1e-15);
    EXPECT_NEAR(b[0], a[0], 1e-14);
    EXPECT_NEAR(b[1], a[1], 1e-14);
    EXPECT_NEAR(b[2] - a[2], 1.2 * kPi, 1e-14);
  }
}

TEST(Deformations, ConeApexAndSeamOfTheSector) {
  // Half-angle 30 degrees: the sector opens by 2 pi sin(alpha) = pi, its edges along +-G.
  XelMathConicDeformationFolded fold(kPi / 6, Tol());
  EXPECT_EQ(Image(fold, {0, 0, 0}), std::vector<double>({0, 0, 0}));
  const double z = std::sqrt(3.0); // (1, 0, sqrt 3) lies on the cone; slant length 2
  struct Case {
    double theta, g;
  };
  for (const Case& c : {Case{kPi, -2}, Case{kPi - 1e-12, 2}, Case{0, 0}}) {
    const std::vector<double> y = Image(fold, {std::cos(c.theta), std::sin(c.theta), z});
    EXPECT_NEAR(y[0], c.g == 0 ? 2 * 0.5 : 0, 1e-11);
    EXPECT_NEAR(y[1], c.g, 1e-11);
    EXPECT_NEAR(y[2], c.g == 0 ? 2 * std::sqrt(3.0) / 2 : 0, 1e-11);
  }
  XelMathConicDeformationUnfolded unfold(kPi / 6, Tol());
  const std::vector<double> back = Image(unfold, {0, 2, 0});
  EXPECT_NEAR(back[0], -1, 1e-12);
  EXPECT_NEAR(back[2], z, 1e-12);
}

TEST(Deformations, AffinePartsOrderAndComposition) {
  const XelMathTransformation l = Motion(), r = Motion(-0.4, 2.0);
  XelMathCylindricDeformationFolded bare(1.3, Tol());
  auto withParts = [&](const XelMathTransformation* iL, const XelMathTransformation* iR) {
    XelMathCylindricDeformationFolded* t = new XelMathCylindricDeformationFolded(1.3, Tol());
    if (iR)
      t->ComposeRight(*iR);
    if (iL)
      t->ComposeLeft(*iL);
    return Map(t);
  };
  const Map good = withParts(&l, &r), swapped = withParts(&r, &l);
  const std::vector<double> x = {0.4, -1.2, 0.7};
  std::vector<double> p(3), q(3), expected(3);
  r.Apply(x.data(), p.data());
  q = Image(bare, p);
  l.Apply(q.data(), expected.data());
  const std::vector<double> y = Image(*good, x), w = Image(*swapped, x);
  double swapGap = 0;
  for (int i = 0; i < 3; i++) {
    EXPECT_NEAR(y[i], expected[i], 1e-14);
    swapGap += std::fabs(w[i] - expected[i]);
  }
  EXPECT_GT(swapGap, 0.1);
  // A second composition on each side: R = r r, L = l l.
  Map twice = withParts(&l, &r);
  twice->ComposeRight(r);
  twice->ComposeLeft(l);
  EXPECT_TRUE(*twice->GetRightTransformation() == r * r);
  EXPECT_TRUE(*twice->GetLeftTransformation() == l * l);
  Map copy(twice->Duplicate());
  EXPECT_EQ(Image(*copy, x), Image(*twice, x));
}

TEST(Deformations, InversionFindsTheOnePreimageInTheBox) {
  const XelMathTransformation motion = Motion();
  for (const Pair& pair : Pairs()) {
    Map t(pair.folded());
    t->ComposeRight(motion);
    XelMathTransformation back;
    motion.Inverse(back);
    const double core[3] = {1.2 * std::cos(-1.0), 1.2 * std::sin(-1.0), 0.8};
    double x0[3], target[3];
    back.Apply(core, x0);
    t->Eval(x0, target);
    double bounds[6];
    for (int i = 0; i < 3; i++)
      bounds[2 * i] = x0[i] - 0.15, bounds[2 * i + 1] = x0[i] + 0.2;
    XelMathSetOfPointsND found(3);
    EXPECT_EQ(t->Invert(target, XelMathIntervalND(3, bounds), found), 0) << pair.name;
    ASSERT_EQ(found.GetNumberOfPoints(), 1) << pair.name;
    double start[3] = {x0[0] + 0.05, x0[1] - 0.05, x0[2] + 0.05};
    EXPECT_EQ(t->InvertNewton(target, XelMathIntervalND(3, bounds), start), 1);
    for (int i = 0; i < 3; i++) {
      EXPECT_NEAR(found.GetPoints()[i], x0[i], 1e-9) << pair.name;
      EXPECT_NEAR(start[i], x0[i], 1e-9) << pair.name;
    }
  }
}

TEST(Deformations, IntervalImagesEncloseSamples) {
  const XelMathTransformation motion = Motion();
  const double boxes[][6] = {{0.5, 0.9, -0.3, 0.4, 0.1, 0.6},
                             {-1.5, -1.0, -0.2, 0.3, 0.2, 0.4}, // crosses the seam
                             {-0.2, 0.3, -0.1, 0.2, 0.5, 0.7}}; // holds the axis
  for (const Pair& pair : Pairs())
    for (int which = 0; which < 2; which++)
      for (const auto& b : boxes) {
        Map t(which ? pair.unfolded() : pair.folded());
        t->ComposeLeft(motion);
        XelMathInterval box[3] = {{b[0], b[1]}, {b[2], b[3]}, {b[4], b[5]}};
        t->EvalInterval(box, 3, 1e-10);
        const int n = 8;
        for (int i = 0; i <= n; i++)
          for (int j = 0; j <= n; j++)
            for (int k = 0; k <= n; k++) {
              const std::vector<double> y =
                  Image(*t, {b[0] + (b[1] - b[0]) * i / n, b[2] + (b[3] - b[2]) * j / n,
                             b[4] + (b[5] - b[4]) * k / n});
              for (int c = 0; c < 3; c++)
                ASSERT_TRUE(box[c].IsIncludedIn(box[c]) && y[c] >= box[c].low - 1e-13 &&
                            y[c] <= box[c].high + 1e-13)
                    << pair.name << which << " " << c << " " << y[c];
            }
      }
}

TEST(Deformations, StreamRecordsAtEachVersion) {
  const XelMathTransformation motion = Motion();
  const long live = xeltest::LiveBlocks();
  for (const long version : {1005L, 1006L, 1009L, 1010L, 1013L})
    for (const Pair& pair : Pairs())
      for (int which = 0; which < 2; which++)
        for (const unsigned char flag : {0, 1}) {
          Map t(which ? pair.unfolded() : pair.folded());
          t->ComposeRight(motion);
          XelMathMemoryStream out(version);
          XelMathNonLinearTransformation::Stream(out, t.get(), "", flag);
          std::ostringstream text;
          XelMathDumpStreamImpl dumpImpl(text, version);
          XelMathStream dump(&dumpImpl);
          XelMathNonLinearTransformation::Stream(dump, t.get(), "", flag);
          EXPECT_NE(text.str().find(t->IsA()), std::string::npos);
          XelMathMemoryStream in(out.GetBuffer());
          XelMathNonLinearTransformation* read = nullptr;
          XelMathNonLinearTransformation::UnStream(in, read, "");
          Map back(read);
          ASSERT_TRUE(back) << pair.name;
          EXPECT_STREQ(back->IsA(), t->IsA());
          EXPECT_EQ(back->GetStreamTransfoType(), t->GetStreamTransfoType());
          EXPECT_TRUE(*back->GetRightTransformation() == motion);
          EXPECT_EQ(back->GetLeftTransformation(), nullptr);
          double c0[2], c1[2];
          t->GetCoef(c0);
          back->GetCoef(c1);
          EXPECT_EQ(c1[0], c0[0]);
          const bool two = flag || version >= 1010;
          // The rip angle is kept only in two-coefficient records, the conic ratio never.
          std::vector<double> x = {0.3, -0.9, 0.4};
          if (two && std::string(pair.name).find("ratio") == std::string::npos) {
            EXPECT_EQ(Image(*back, x), Image(*t, x)) << pair.name << version;
          }
        }
  // The layout: short type, long n, n doubles, then the right and left tags.
  XelMathCylindricDeformationFolded fold(2.0, 1.0, Tol());
  XelMathMemoryStream out(1009), expected(1009);
  fold.Stream(out, "", 0);
  expected.WriteShort(1);
  expected.WriteLong(1);
  expected.WriteDouble(2.0);
  expected.WriteShort(0);
  expected.WriteShort(0);
  EXPECT_EQ(out.GetBuffer(), expected.GetBuffer());
  unsigned char flag = 9;
  EXPECT_EQ(fold.IsStreamable(1009, flag), 1);
  EXPECT_EQ(flag, 0);
  XelMathConicDeformationFolded cone(0.5, 2.0, 2.0, Tol());
  EXPECT_EQ(cone.IsStreamable(1005, flag), 0);
  EXPECT_EQ(cone.IsStreamable(1010, flag), 1);
  EXPECT_EQ(flag, 1);
  // Read back with a = pi (one coefficient) and ratio 1.
  XelMathMemoryStream in(out.GetBuffer());
  XelMathNonLinearTransformation* read = nullptr;
  XelMathNonLinearTransformation::UnStream(in, read, "");
  Map back(read);
  EXPECT_EQ(static_cast<XelMathCylindricDeformation*>(back.get())->GetRipAngle(), kPi);
  XelMathMemoryStream coneOut(1013);
  cone.Stream(coneOut, "", 1);
  XelMathMemoryStream coneIn(coneOut.GetBuffer());
  XelMathNonLinearTransformation::UnStream(coneIn, read, "");
  Map coneBack(read);
  EXPECT_EQ(static_cast<XelMathConicDeformation*>(coneBack.get())->GetRatio(), 1.0);
  back.reset();
  coneBack.reset();
  EXPECT_EQ(xeltest::LiveBlocks(), live);
}

TEST(Deformations, DamagedStreamsRaiseCodedErrors) {
  const long live = xeltest::LiveBlocks();
  Map t(new XelMathConicDeformationUnfolded(0.5, 1.0, Tol()));
  t->ComposeRight(Motion());
  t->ComposeLeft(Motion(0.3));
  XelMathMemoryStream out(1013);
  XelMathNonLinearTransformation::Stream(out, t.get(), "", 1);
  const std::vector<unsigned char> whole = out.GetBuffer();
  const std::size_t header = XelMathMemoryStream(1013).GetBuffer().size();
  for (std::size_t n = header + 1; n < whole.size(); n++) {
    XelMathMemoryStream in(std::vector<unsigned char>(whole.begin(), whole.begin() + n));
    XelMathNonLinearTransformation* read = nullptr;
    xeltest::ExpectInputError([&] { XelMathNonLinearTransformation::UnStream(in, read, ""); },
                              0x20009);
    EXPECT_EQ(read, nullptr);
  }
  // Crafted records: type, n, coefficients, right tag.
  struct Case {
    short type;
    long n;
    double c;
    short tag;
    int outcome;
  }; // 0 null, 1 raise
  const Case cases[] = {{9, 2, 1.0, 0, 0},  {0, 2, 1.0, 0, 0}, {1, 7, 1.0, 0, 0},
                        {1, -1, 1.0, 0, 0}, {2, 1, NAN, 0, 1}, {3, 1, INFINITY, 0, 1},
                        {1, 1, 1.0, 2, 1},  {4, 1, 1.0, -1, 1}};
  for (const Case& c : cases) {
    XelMathMemoryStream in(1013);
    in.WriteShort(c.type);
    in.WriteLong(c.n);
    in.WriteDouble(c.c);
    in.WriteShort(c.tag);
    in.WriteShort(0);
    in.Rewind();
    XelMathNonLinearTransformation* read = nullptr;
    const long nulls = XelQuornullCount();
    if (c.outcome)
      xeltest::ExpectInputError([&] { XelMathNonLinearTransformation::UnStream(in, read, ""); },
                                0x20009, {"XelMathNonLinearTransformation::UnStream"});
    else
      XelMathNonLinearTransformation::UnStream(in, read, "");
    EXPECT_EQ(read, nullptr) << c.type << " " << c.n;
    EXPECT_EQ(XelQuornullCount(), nulls + (c.type >= 1 && c.type <= 4 && !c.outcome ? 1 : 0));
  }
  t.reset();
  EXPECT_EQ(xeltest::LiveBlocks(), live);
}

namespace {
// Maps that leave the stream type to their base classes.
class NoTypeSpace : public XelMathCylindricDeformation {
public:
  NoTypeSpace() : XelMathCylindricDeformation(1.0, XelGetDefaultTolerance()) {}
  const char* IsA() const override { return "NoTypeSpace"; }
  long GetType() const override { return 0; }
  XelMathNonLinearTransformation* Duplicate() const override { return new NoTypeSpace; }
  XelMathPlane* GetRipPlane() const override { return nullptr; }
  using XelMathCylindricDeformation::EvalF;
  using XelMathCylindricDeformation::EvalG;
  XelMathInterval EvalF(const XelMathInterval& x, const XelMathInterval&) const override {
    return x;
  }
  XelMathInterval EvalG(const XelMathInterval& x, const XelMathInterval&,
                        const double&) const override {
    return x;
  }
  void EvalF(const double& x, const double&, const int, double* o, const double) const override {
    o[0] = x, o[1] = 1, o[2] = 0;
  }
  void EvalG(const double&, const double& y, const double&, const int, double* o,
             const double) const override {
    o[0] = y, o[1] = 0, o[2] = 1;
  }
};
class NoTypePlane : public XelMathCylindricDeformation2D {
public:
  NoTypePlane() : XelMathCylindricDeformation2D(1.0, kPi) {}
  const char* IsA() const override { return "NoTypePlane"; }
  long GetType() const override { return 0; }
  XelMathNonLinearTransformation2D* Duplicate() const override { return new NoTypePlane; }
  using XelMathCylindricDeformation2D::EvalFunc1;
  using XelMathCylindricDeformation2D::EvalFunc2;
  void EvalFunc1(const double& x, const double&, const int, double* o) const override { o[0] = x; }
  void EvalFunc2(const double&, const double& y, const double&, const int,
                 double* o) const override {
    o[0] = y;
  }
};
} // namespace

TEST(Deformations, Misuse) {
  NoTypeSpace space;
  NoTypePlane plane2;
  XelMathMemoryStream sink(1013);
  xeltest::ExpectInputError([&] { space.GetStreamTransfoType(); }, 0x20009, {"GetStreamType", " "});
  xeltest::ExpectInputError([&] { space.Stream(sink, "", 1); }, 0x20009, {"GetStreamType", " "});
  xeltest::ExpectInputError([&] { plane2.GetStreamTransfo2DType(); }, 0x20009,
                            {"GetStreamType", " "});
  unsigned char flag = 7;
  EXPECT_EQ(space.XelMathNonLinearTransformation::IsStreamable(1013, flag), 0);
  EXPECT_EQ(flag, 0);
  XelMathCylindricDeformationFolded fold(1.0, Tol());
  XelMathInterval box[2];
  xeltest::ExpectInputError([&] { fold.EvalInterval(box, 2, 1e-10); }, 0x20006);
  XelMathNxNFullMatrix two(2);
  const double x[3] = {1, 2, 3};
  double y[3];
  xeltest::ExpectInputError([&] { fold.Eval(x, y, &two, 1e-10); }, 0x20006);
  XelMathCylindricDeformationFolded2D plane(1.0, kPi, Tol());
  XelMathMemoryStream out(1013);
  xeltest::ExpectInputError([&] { plane.Stream(out, "", 1); }, 0x20009, {"Stream", " "});
  // Near the axis the derivatives stay finite.
  const double axis[3] = {0, 0, 1};
  double j[9];
  fold.EvalJacobian(axis, j);
  for (double v : j)
    EXPECT_TRUE(std::isfinite(v));
}

TEST(Deformations, PlaneMapsAndTheirNewtonInversion) {
  XelMathCylindricDeformationFolded2D fold(1.5, 2.5, Tol());
  XelMathCylindricDeformationUnFolded2D unfold(1 / 1.5, 2.5);
  const double shift[6] = {0.8, -0.6, 0.2, 0.6, 0.8, -0.1};
  fold.ComposeRight(XelMathTransformation2D(shift));
  for (const auto& p : std::vector<std::pair<double, double>>{{0.9, 0.4}, {-0.3, 1.1}}) {
    // Derivatives against differences, and the round trip.
    auto f = [&](double a, double b) { return fold.EvalF(a, b); };
    auto g = [&](double a, double b) { return fold.EvalG(a, b); };
    const double x = p.first, y = p.second;
    EXPECT_NEAR(fold.EvalFirstDerivFX(x, y), Diff6([&](double s) { return f(s, y); }, x, 1e-3),
                1e-9);
    EXPECT_NEAR(fold.EvalFirstDerivGY(x, y), Diff6([&](double s) { return g(x, s); }, y, 1e-3),
                1e-9);
    EXPECT_NEAR(fold.EvalSecondDerivGXY(x, y),
                Diff6([&](double s) { return fold.EvalFirstDerivGX(x, s); }, y, 1e-3), 1e-8);
    const double u = fold.EvalF(x, y), v = fold.EvalG(x, y);
    double rx[3];
    unfold.EvalMap(u, v, 0, rx, rx + 1);
    XelMathTransformation2D back;
    XelMathTransformation2D(shift).Inverse(back);
    const XelMathPoint2D q = back * XelMathPoint2D(rx[0], rx[1]);
    EXPECT_NEAR(q.GetX(), x, 1e-12);
    EXPECT_NEAR(q.GetY(), y, 1e-12);
    // The one pre-image of (u, v) in a box around (x, y).
    XelMathSetOfPointsND found(2);
    const XelMathInterval2D box(x - 0.3, x + 0.25, y - 0.2, y + 0.3);
    EXPECT_EQ(fold.Invert(u, v, box, found), 0);
    ASSERT_EQ(found.GetNumberOfPoints(), 1);
    EXPECT_NEAR(found.GetPoints()[0], x, 1e-9);
    EXPECT_NEAR(found.GetPoints()[1], y, 1e-9);
  }
  // The unfolded plane map is close to the identity near (1, 0): Newton from (u, v) itself.
  double px = 0, py = 0;
  const double s = 0.05;
  EXPECT_EQ(unfold.InvertPoint(std::cos(s / 1.5), std::sin(s / 1.5),
                               XelMathInterval2D(0.5, 2, -1, 1), px, py),
            1);
  EXPECT_NEAR(px, 1.0, 1e-10);
  EXPECT_NEAR(py, s, 1e-10);
}

namespace {
// (u, v) = (x + 0.1 y^2, y + 0.1 x y), close to the identity around (0.5, 0.3).
// clang-format off
class NearIdentity : public XelQuorTransfo2D {
public:
  explicit NearIdentity(const XelTolerance& iTol) : XelQuorTransfo2D(iTol) {}
  NearIdentity() = default;
  const char* IsA() const override { return "NearIdentity"; }
  void Eval(const double& x, const double& y, double& u, double& v) const override {
    u = x + 0.1 * y * y; v = y + 0.1 * x * y;
  }
  void EvalFirstDeriv(const double& x, const double& y, double& ux, double& uy, double& vx,
                      double& vy) const override { ux = 1; uy = 0.2 * y; vx = 0.1 * y; vy = 1 + 0.1 * x; }
  void EvalSecondDeriv(const double&, const double&, double& uxx, double& uxy, double& uyy,
                       double& vxx, double& vxy, double& vyy) const override {
    uxx = uxy = vxx = vyy = 0; uyy = 0.2; vxy = 0.1;
  }
};
// clang-format on
} // namespace

TEST(Deformations, ReverseEvaluationOfAPlaneTransformation) {
  const long live = xeltest::LiveBlocks();
  {
    NearIdentity map(Tol());
    const double x = 0.5, y = 0.3;
    double u, v, px = 0, py = 0, dx = 0, dy = 0;
    map.Eval(x, y, u, v);
    EXPECT_EQ(map.ReverseEvalPoint(u, v, px, py), 1); // in the unbounded default domain
    EXPECT_NEAR(px, x, 1e-12);
    EXPECT_NEAR(py, y, 1e-12);
    // The derivative of the pre-image along (du, dv) is J^-1 (du, dv).
    const double du = 0.6, dv = -0.8, ux = 1, uy = 0.2 * y, vx = 0.1 * y, vy = 1 + 0.1 * x;
    const double det = ux * vy - uy * vx;
    EXPECT_EQ(map.ReverseEvalFirstDeriv(u, v, du, dv, dx, dy), 1);
    EXPECT_NEAR(dx, (vy * du - uy * dv) / det, 1e-8);
    EXPECT_NEAR(dy, (-vx * du + ux * dv) / det, 1e-8);
    double rx = 9, ry = 9;
    EXPECT_EQ(map.ReverseEval(u, v, 3, du, dv, rx, ry, dx, dy), 0); // other orders: nothing
    EXPECT_EQ(rx, 9);
    NearIdentity bare; // no inversion system
    EXPECT_EQ(bare.ReverseEvalPoint(u, v, px, py), 0);
  }
  EXPECT_EQ(xeltest::LiveBlocks(), live);
}

TEST(Deformations, PlanarCurveThroughAMap) {
  std::unique_ptr<XelMathFunctionX> f1(xeltest::Poly({1, 0.5, 0.25})), f2(xeltest::Poly({0, 1}));
  const double c[6] = {2, -1, 0.5, 0.5, 3, -2};
  XelMathTransfo2DFunctionX h0(f1.get(), f2.get(), XelMathTransformation2D(c), 0);
  XelMathTransfo2DFunctionX h1(f1.get(), f2.get(), XelMathTransformation2D(c), 1);
  XelMathCylindricDeformationUnFolded2D wrap(0.8, kPi);
  XelMathTransfo2DFunctionX w(f1.get(), f2.get(), &wrap, 1);
  for (double t = -1; t <= 1; t += 0.5) {
    const double u = 1 + 0.5 * t + 0.25 * t * t;
    EXPECT_NEAR(h0.Eval(t), 2 * u - t + 0.5, 1e-14);
    EXPECT_NEAR(h1.EvalSecondDeriv(t), 0.5 * 0.5, 1e-14);
    // x sin(k y) along the curve: value and derivatives against differences.
    EXPECT_NEAR(w.Eval(t), u * std::sin(0.8 * t), 1e-14);
    std::function<double(double)> d0 = [&](double s) { return w.Eval(s); };
    std::function<double(double)> d1 = [&](double s) { return w.EvalFirstDeriv(s); };
    std::function<double(double)> d2 = [&](double s) { return w.EvalSecondDeriv(s); };
    EXPECT_NEAR(w.EvalFirstDeriv(t), Diff6(d0, t, 1e-3), 1e-9);
    EXPECT_NEAR(w.EvalSecondDeriv(t), Diff6(d1, t, 1e-3), 1e-9);
    EXPECT_NEAR(w.EvalThirdDeriv(t), Diff6(d2, t, 1e-3), 1e-6);
  }
  EXPECT_EQ(h1.Scale(1, 1), 3.5);
  EXPECT_EQ(h1.GetScaling()->GetVector().GetX(), 0.0);
}
