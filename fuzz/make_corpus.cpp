// Writes the seed corpus of the fuzz targets: valid streams of each kind at versions before
// 1005, between the layout thresholds and from 1012 on, one file each, into
// <directory>/<target>/ (default: fuzz/corpus). Run from the repository's root.
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "XelMathBinaryStreamImpl.h"
#include "XelMathCombinationX.h"
#include "XelMathCompositionXByX.h"
#include "XelMathCompositionXByXY.h"
#include "XelMathCubicX.h"
#include "XelMathFractionX.h"
#include "XelMathFunctionXY.h"
#include "XelMathLinearX.h"
#include "XelMathMemoryStream.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPiecewiseXY.h"
#include "XelMathPolynomX.h"
#include "XelMathPolynomXY.h"
#include "XelMathQuinticX.h"
#include "XelMathArctanCosX.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelMathSingleMemoryX.h"
#include "XelMathSumXYs.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"

namespace {

const long Versions[] = {1004, 1005, 1010, 1012, 1013};
std::string Root = "fuzz/corpus";

void Save(const std::string& iTarget, const std::string& iName, long iVersion,
          const std::vector<unsigned char>& iBytes) {
  const std::string dir = Root + "/" + iTarget;
  mkdir(Root.c_str(), 0755);
  mkdir(dir.c_str(), 0755);
  const std::string path = dir + "/v" + std::to_string(iVersion) + "_" + iName;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return;
  std::fwrite(iBytes.data(), 1, iBytes.size(), file);
  std::fclose(file);
}

XelMathFunctionX* Poly(std::vector<double> c, double s) {
  return new XelMathPolynomX(static_cast<long>(c.size()) - 1, c.data(), s);
}
XelMathFunctionX* Trig() {
  const double p[4] = {1.5, 0.25, 2.0, -0.5};
  return new XelMathTrigonometricX(p, XelGetDefaultTolerance());
}
XelMathFunctionXY* PolyXY() {
  const double c[6] = {1.0, -0.5, 0.25, 2.0, 0.125, -1.0};
  return new XelMathPolynomXY(1, 2, c, 0.3, -0.2);
}

// One tree using every storable class, three composites deep.
XelMathFunctionX* EveryClass() {
  const double q[6] = {1, -2, 0.5, 0.25, -0.125, 0.0625};
  const double cubic[4] = {1, -0.5, 0.25, 2};
  XelMathFunctionX* pieces[2] = {new XelMathQuinticX(q, 0.3), new XelMathCubicX(cubic)};
  const double borders[3] = {-3.0, 0.25, 3.0};
  XelMathFunctionX* piecewise = new XelMathPiecewiseXDel(2, borders, pieces);
  XelMathFunctionXY* patches[4] = {PolyXY(), new XelMathSumXYsDel(Trig(), new XelMathLinearX(1, 2)),
                                   PolyXY(), PolyXY()};
  const double bx[3] = {-3.0, 0.0, 3.0}, by[3] = {-3.0, 0.5, 3.0};
  std::unique_ptr<XelMathFunctionXY> surface(
      new XelMathPiecewiseXYDel(2, bx, 2, by, patches, nullptr, nullptr));
  std::unique_ptr<XelMathFunctionX> u(new XelMathArctanCosX(0.5, 1.5, 2.0, 0.3, -0.25));
  std::unique_ptr<XelMathFunctionX> v(Poly({0.1, 0.9, 0.2}, 0.0));
  XelMathCompositionXByXY onSurface(surface.get(), u.get(), v.get(), XelGetDefaultTolerance());
  std::unique_ptr<XelMathFunctionX> outer(Trig()), inner(Poly({0.5, 0.25, 0.125}, 0.0));
  XelMathCompositionXByX composition(outer.get(), inner.get());
  XelMathFunctionX* terms[3] = {piecewise, onSurface.DeepDuplicate(), composition.DeepDuplicate()};
  const double c[3] = {2.0, -0.75, 0.5};
  XelMathFunctionX* combination = new XelMathCombinationXDel(3, terms, c, 0.25);
  XelMathFunctionX* fraction =
      new XelMathFractionXDel(combination, Poly({3, 0, 1}, 2.0), XelGetDefaultTolerance());
  return new XelMathSingleMemoryXDel(fraction, 0.0);
}

template <class F> std::vector<unsigned char> Write(const F* iF, long iVersion) {
  XelMathMemoryStream out(iVersion);
  XelMathFunctionGeneral::Stream(out, iF, "");
  return out.GetBuffer();
}

void FunctionTrees() {
  std::unique_ptr<XelMathFunctionX> every(EveryClass()), poly(Poly({1, -1, 3}, 2.0)), trig(Trig());
  std::unique_ptr<XelMathFunctionXY> surface(PolyXY());
  for (long v : Versions) {
    Save("function_tree", "every_class", v, Write(every.get(), v));
    Save("function_tree", "polynom", v, Write(poly.get(), v));
    Save("function_tree", "trigonometric", v, Write(trig.get(), v));
    Save("function_tree", "polynom_xy", v, Write(surface.get(), v));
    Save("function_tree", "null", v, Write(static_cast<XelMathFunctionX*>(nullptr), v));
  }
}

void PointSets() {
  for (long v : Versions) {
    XelMathSetOfPointsND plain(2);
    XelMathSetOfPointsNDTwoTangents tangents(3);
    XelMathSetOfPointsNDWithVectors vectors(2);
    for (int i = 0; i < 4; i++) {
      const double p[3] = {0.5 * i, 1.0 - i, 0.25 * i * i};
      const double w[2] = {1.0, -0.5 * i};
      plain.AddPoint(p);
      tangents.AddPoint(p);
      vectors.AddPointWithVector(p, w);
    }
    const double t[3] = {1, 0, -1};
    tangents.SetFirstTangent(t);
    tangents.SetLastTangent(t);
    vectors.SetFirstTangent(t);
    const XelMathSetOfPointsND* sets[3] = {&plain, &tangents, &vectors};
    const char* names[3] = {"plain", "two_tangents", "with_vectors"};
    for (int k = 0; k < 3; k++) {
      XelMathMemoryStream out(v);
      sets[k]->Stream(out, "");
      Save("point_sets", names[k], v, out.GetBuffer());
    }
  }
}

// A script of one read of each kind, and a stream holding those values.
void Primitives() {
  for (long v : Versions) {
    XelMathMemoryStream out(v);
    out.WriteLong(-1005);
    out.WriteShort(101);
    out.WriteULong(1012UL);
    const unsigned long u[2] = {3, 4};
    out.WriteULong(u, 2);
    out.WriteDouble(0.5);
    const double d[3] = {1.0, -2.0, 0.25};
    out.WriteDoubleByAddress(d, 3);
    // Operation k % 6 is the kind, k / 6 the count of an array.
    const std::vector<unsigned char> script = {6, 0, 1, 2, 3 + 6 * 2, 4, 5 + 6 * 3};
    std::vector<unsigned char> bytes = script;
    bytes.insert(bytes.end(), out.GetBuffer().begin(), out.GetBuffer().end());
    Save("stream_primitives", "one_of_each", v, bytes);
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc > 1)
    Root = argv[1];
  FunctionTrees();
  PointSets();
  Primitives();
  std::printf("seed corpus written in %s\n", Root.c_str());
  return 0;
}
