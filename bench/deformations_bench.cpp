// Deformations of space, per point: the library's forward maps (cylinder and cone, folded,
// with a right transformation) and their inversion by Newton's method, side by side with the
// closed forms written here (the polar coordinates of the point, and for the inversion the
// unfolded formula that undoes the fold). Before the timed runs the largest deviation of
// each library side from its closed form over the sample points is printed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "XelMathConicDeformationFolded.h"
#include "XelMathCylindricDeformationFolded.h"
#include "XelMathIntervalND.h"
#include "XelMathTransformation.h"
#include "XelTolerance.h"

namespace {

const double kPi = 3.14159265358979323846;
const double kK = 1.5, kAlpha = 0.5;

struct P3 {
  double x, y, z;
};

// Points off the axis, theta in (-3, 3), in the core's coordinates; the right
// transformation is the translation by (0.3, -0.2, 0.1).
std::vector<P3> Samples() {
  std::vector<P3> p;
  for (int i = 0; i < 256; i++) {
    const double r = 0.5 + 1.5 * ((i * 37) % 256) / 256.0,
                 t = -3.0 + 6.0 * ((i * 91) % 256) / 256.0;
    p.push_back(
        {r * std::cos(t) - 0.3, r * std::sin(t) + 0.2, 0.2 + ((i * 53) % 256) / 256.0 - 0.1});
  }
  return p;
}
const double kShift[12] = {1, 0, 0, 0.3, 0, 1, 0, -0.2, 0, 0, 1, 0.1};

P3 CylinderClosedForm(const P3& q) {
  const double x = q.x + 0.3, y = q.y - 0.2;
  return {std::hypot(x, y), kK * std::atan2(y, x), q.z + 0.1};
}
P3 ConeClosedForm(const P3& q) {
  const double x = q.x + 0.3, y = q.y - 0.2, z = q.z + 0.1;
  const double s = std::sin(kAlpha), c = std::cos(kAlpha), rho = std::hypot(x, y);
  const double phi = s * std::atan2(y, x), u = rho * s + z * c, w = rho * c - z * s;
  return {u * std::cos(phi) * s + w * c, u * std::sin(phi), u * std::cos(phi) * c - w * s};
}
// The pre-image of a development point of the cylinder.
P3 CylinderInverseClosedForm(const P3& d) {
  return {d.x * std::cos(d.y / kK) - 0.3, d.x * std::sin(d.y / kK) + 0.2, d.z - 0.1};
}

struct Maps {
  XelMathCylindricDeformationFolded cylinder{kK, XelGetDefaultTolerance()};
  XelMathConicDeformationFolded cone{kAlpha, XelGetDefaultTolerance()};
  Maps() {
    cylinder.ComposeRight(XelMathTransformation(kShift));
    cone.ComposeRight(XelMathTransformation(kShift));
  }
};
Maps& TheMaps() {
  static Maps maps;
  return maps;
}

// Newton from the point moved by 2 % of its radius, inside a box around it.
bool InvertLibrary(const XelMathNonLinearTransformation& iMap, const P3& iPoint, double* oX) {
  double target[3];
  const double p[3] = {iPoint.x, iPoint.y, iPoint.z};
  iMap.Eval(p, target);
  const double d = 0.02 * (std::fabs(p[0]) + std::fabs(p[1]));
  const double box[6] = {p[0] - 0.2, p[0] + 0.2, p[1] - 0.2, p[1] + 0.2, p[2] - 0.2, p[2] + 0.2};
  oX[0] = p[0] + d, oX[1] = p[1] - d, oX[2] = p[2] + d;
  return iMap.InvertNewton(target, XelMathIntervalND(3, box), oX) == 1;
}

void PrintDeviations() {
  double cyl = 0, cone = 0, inv = 0;
  for (const P3& q : Samples()) {
    const double p[3] = {q.x, q.y, q.z};
    double y[3], x[3];
    TheMaps().cylinder.Eval(p, y);
    const P3 c = CylinderClosedForm(q);
    cyl = std::max({cyl, std::fabs(y[0] - c.x), std::fabs(y[1] - c.y), std::fabs(y[2] - c.z)});
    TheMaps().cone.Eval(p, y);
    const P3 k = ConeClosedForm(q);
    cone = std::max({cone, std::fabs(y[0] - k.x), std::fabs(y[1] - k.y), std::fabs(y[2] - k.z)});
    if (!InvertLibrary(TheMaps().cylinder, q, x))
      inv = HUGE_VAL;
    const P3 b = CylinderInverseClosedForm(c);
    inv = std::max({inv, std::fabs(x[0] - b.x), std::fabs(x[1] - b.y), std::fabs(x[2] - b.z)});
  }
  std::printf("largest deviation from the closed forms: cylinder %.2e, cone %.2e, "
              "cylinder inversion %.2e\n",
              cyl, cone, inv);
}

void BM_CylinderFoldLibrary(benchmark::State& state) {
  const std::vector<P3> points = Samples();
  for (auto _ : state)
    for (const P3& q : points) {
      const double p[3] = {q.x, q.y, q.z};
      double y[3];
      TheMaps().cylinder.Eval(p, y);
      benchmark::DoNotOptimize(y);
    }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(points.size()));
}
void BM_CylinderFoldClosedForm(benchmark::State& state) {
  const std::vector<P3> points = Samples();
  for (auto _ : state)
    for (const P3& q : points) {
      P3 y = CylinderClosedForm(q);
      benchmark::DoNotOptimize(y);
    }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(points.size()));
}
void BM_ConeFoldLibrary(benchmark::State& state) {
  const std::vector<P3> points = Samples();
  for (auto _ : state)
    for (const P3& q : points) {
      const double p[3] = {q.x, q.y, q.z};
      double y[3];
      TheMaps().cone.Eval(p, y);
      benchmark::DoNotOptimize(y);
    }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(points.size()));
}
void BM_ConeFoldClosedForm(benchmark::State& state) {
  const std::vector<P3> points = Samples();
  for (auto _ : state)
    for (const P3& q : points) {
      P3 y = ConeClosedForm(q);
      benchmark::DoNotOptimize(y);
    }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(points.size()));
}
void BM_CylinderInvertLibrary(benchmark::State& state) {
  const std::vector<P3> points = Samples();
  for (auto _ : state)
    for (const P3& q : points) {
      double x[3];
      benchmark::DoNotOptimize(InvertLibrary(TheMaps().cylinder, q, x));
    }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(points.size()));
}
void BM_CylinderInvertClosedForm(benchmark::State& state) {
  std::vector<P3> images;
  for (const P3& q : Samples())
    images.push_back(CylinderClosedForm(q));
  for (auto _ : state)
    for (const P3& d : images) {
      P3 x = CylinderInverseClosedForm(d);
      benchmark::DoNotOptimize(x);
    }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(images.size()));
}

BENCHMARK(BM_CylinderFoldLibrary);
BENCHMARK(BM_CylinderFoldClosedForm);
BENCHMARK(BM_ConeFoldLibrary);
BENCHMARK(BM_ConeFoldClosedForm);
BENCHMARK(BM_CylinderInvertLibrary);
BENCHMARK(BM_CylinderInvertClosedForm);

} // namespace

int main(int argc, char** argv) {
  PrintDeviations();
  XelBenchInitialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
