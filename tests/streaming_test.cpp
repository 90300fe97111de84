// Function trees through streams: every storable class alone and nested three composites
// deep, written at each layout version and read back evaluating bit for bit as the original
// (and writing back the very same bytes); the documented layouts and answers; damaged
// streams (every truncation, thousands of single-byte mutations, crafted records) raise a
// coded error or read a valid tree, and leak nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "XelError.h"
#include "XelMathArctanCosX.h"
#include "XelMathBinaryStreamImpl.h"
#include "XelMathCombinationX.h"
#include "XelMathCompositionXByX.h"
#include "XelMathCompositionXByXY.h"
#include "XelMathCubicX.h"
#include "XelMathDumpStreamImpl.h"
#include "XelMathFractionX.h"
#include "XelMathFunctionXY.h"
#include "XelMathLinearX.h"
#include "XelMathMemoryStream.h"
#include "XelMathOppositeX.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPiecewiseXY.h"
#include "XelMathPolynomX.h"
#include "XelMathPolynomXY.h"
#include "XelMathQuinticX.h"
#include "XelMathSingleMemoryX.h"
#include "XelMathSumXYs.h"
#include "XelMathTrigonometricX.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

typedef std::vector<unsigned char> Bytes;
typedef std::unique_ptr<XelMathFunctionX> FX;
typedef std::unique_ptr<XelMathFunctionXY> FXY;

const long kVersions[] = {1004, 1005, 1006, 1011, 1012, 1013};

XelMathFunctionX* Poly(std::initializer_list<double> c, double s = 0.0) {
  return xeltest::Poly(c, s);
}
XelMathFunctionX* Trig() {
  return new XelMathTrigonometricX(1.5, -0.5, 0.25, 2.0, XelGetDefaultTolerance());
}
XelMathFunctionXY* PolyXY() {
  const double c[6] = {1.0, -0.5, 0.25, 2.0, 0.125, -1.0}; // degrees (1, 2)
  return new XelMathPolynomXY(1, 2, c, 0.3, -0.2);
}
XelMathFunctionX* Combination(XelMathFunctionX* a, XelMathFunctionX* b) {
  XelMathFunctionX* f[2] = {a, b};
  const double c[2] = {2.0, -0.75};
  return new XelMathCombinationXDel(2, f, c, 0.5);
}
XelMathFunctionX* Piecewise(XelMathFunctionX* a, XelMathFunctionX* b) {
  XelMathFunctionX* f[2] = {a, b};
  const double borders[3] = {-3.0, 0.25, 3.0};
  return new XelMathPiecewiseXDel(2, borders, f);
}
XelMathFunctionXY* PiecewiseXY() {
  XelMathFunctionXY* f[4] = {PolyXY(), PolyXY(), new XelMathSumXYsDel(Trig(), Poly({1, 2})),
                             PolyXY()};
  const double bx[3] = {-3.0, 0.0, 3.0}, by[3] = {-3.0, 0.5, 3.0};
  return new XelMathPiecewiseXYDel(2, bx, 2, by, f, nullptr, nullptr);
}

// Each storable one-variable class, and (as f(x) with itself for y) each two-variable one.
struct Case {
  const char* name;
  std::function<XelMathFunctionX*()> make;
};
const Case kCases[] = {
    {"polynom", [] { return Poly({0.5, -1.0, 0.25, 0.125}, 0.7); }},
    {"trigonometric", [] { return Trig(); }},
    {"fraction",
     [] { return new XelMathFractionXDel(Trig(), Poly({2, 0, 1}), XelGetDefaultTolerance()); }},
    {"combination", [] { return Combination(Poly({1, 2}), Trig()); }},
    {"piecewise", [] { return Piecewise(Trig(), Poly({1, -1, 0.5}, 0.2)); }},
    {"quintic",
     [] {
       const double c[6] = {1, -2, 0.5, 0.25, -0.125, 0.0625};
       return new XelMathQuinticX(c, 0.3);
     }},
    {"arctan of cosine", [] { return new XelMathArctanCosX(0.5, 1.5, 2.0, 0.3, -0.25); }},
    {"single memory", [] { return new XelMathSingleMemoryXDel(Trig(), 0.4); }},
    {"composition by xy",
     [] {
       FXY f(PolyXY());
       FX u(Trig()), v(Poly({0.5, 0.25, 0.125, 1}));
       XelMathCompositionXByXY shallow(f.get(), u.get(), v.get(), XelGetDefaultTolerance());
       return shallow.DeepDuplicate();
     }},
    {"cubic", [] {
       const double c[4] = {1, -0.5, 0.25, 2};
       return new XelMathCubicX(c);
     }},
    {"composition",
     [] {
       FX f(Trig()), g(Poly({0.5, 0.25, 0.125}));
       XelMathCompositionXByX shallow(f.get(), g.get());
       return shallow.DeepDuplicate();
     }},
    {"linear", [] { return new XelMathLinearX(-1.5, 0.25); }},
    {"polynom xy",
     [] {
       FXY f(PolyXY());
       FX t(Trig()), c(Poly({0.1, 0.9}));
       std::unique_ptr<XelMathFunctionX> g(f->CreateCompositionX(t.get(), c.get()));
       return g->DeepDuplicate();
     }},
    {"piecewise xy", [] {
       FXY f(PiecewiseXY());
       FX t(Trig()), c(Poly({0.1, 0.9, 0.2}));
       std::unique_ptr<XelMathFunctionX> g(f->CreateCompositionX(t.get(), c.get()));
       return g->DeepDuplicate();
     }},
};

// The case wrapped three composites deep: memory(fraction(combination(case, linear), d)).
XelMathFunctionX* Nested(const Case& iCase) {
  XelMathFunctionX* inner = Combination(iCase.make(), new XelMathLinearX(1.0, 0.5));
  XelMathFunctionX* fraction =
      new XelMathFractionXDel(inner, Poly({3, 0, 1}, 0.2), XelGetDefaultTolerance());
  return new XelMathSingleMemoryXDel(fraction, 0.0);
}

Bytes Write(const XelMathFunctionGeneral* iF, long iVersion) {
  XelMathMemoryStream out(iVersion);
  XelMathFunctionGeneral::Stream(out, iF, "");
  return out.GetBuffer();
}
FX Read(const Bytes& iBytes, bool iWhole = true) {
  XelMathMemoryStream in(iBytes);
  XelMathFunctionX* f = nullptr;
  XelMathFunctionGeneral::UnStream(in, f, "");
  if (iWhole) {
    EXPECT_EQ(in.GetRemainingBytes(), 0);
  }
  return FX(f);
}
bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Streaming, EveryClassAloneAndNestedReadsBackBitForBitAtEveryVersion) {
  const long live = xeltest::LiveBlocks();
  for (const Case& c : kCases)
    for (int nested = 0; nested < 2; nested++) {
      FX f(nested ? Nested(c) : c.make());
      unsigned char flag = 0;
      EXPECT_EQ(f->IsStreamable(1013, flag), 1) << c.name;
      for (long v : kVersions) {
        const Bytes bytes = Write(f.get(), v);
        FX g = Read(bytes);
        ASSERT_TRUE(g) << c.name << " at " << v;
        EXPECT_EQ(Write(g.get(), v), bytes) << c.name << " at " << v;
        // Below the shift layouts the copy is shift-free: the same function up to rounding.
        const bool exact = v >= 1006;
        for (int i = 0; i <= 40; i++) {
          const double x = -2.0 + 0.1 * i, fx = f->Eval(x), gx = g->Eval(x);
          if (exact) {
            EXPECT_TRUE(SameBits(fx, gx) && SameBits(f->EvalFirstDeriv(x), g->EvalFirstDeriv(x)))
                << c.name << " at " << v << ", x = " << x << ": " << fx << " vs " << gx;
          } else {
            EXPECT_NEAR(fx, gx, 1e-12 * (1 + std::fabs(fx))) << c.name << " at " << v;
          }
        }
      }
    }
  EXPECT_EQ(xeltest::LiveBlocks(), live);
}

TEST(Streaming, TwoVariableTreesReadBackBitForBit) {
  FXY trees[] = {FXY(PolyXY()), FXY(PiecewiseXY()), FXY(new XelMathSumXYsDel(Trig(), Nested(kCases[4])))};
  for (const FXY& f : trees)
    for (long v : {1004L, 1011L, 1013L}) {
      XelMathMemoryStream out(v);
      XelMathFunctionGeneral::Stream(out, f.get(), "");
      XelMathMemoryStream in(out.GetBuffer());
      XelMathFunctionXY* read = nullptr;
      XelMathFunctionGeneral::UnStream(in, read, "");
      FXY g(read);
      ASSERT_TRUE(g) << f->IsA();
      for (int i = 0; i <= 12; i++)
        for (int j = 0; j <= 12; j++) {
          const double x = -2.9 + 0.45 * i, y = -2.9 + 0.45 * j;
          const double fv = f->Eval(x, y), gv = g->Eval(x, y);
          if (v >= 1005) {
            EXPECT_TRUE(SameBits(fv, gv)) << f->IsA() << " at " << v;
          } else {
            EXPECT_NEAR(fv, gv, 1e-12 * (1 + std::fabs(fv))) << f->IsA();
          }
        }
    }
}

TEST(Streaming, DocumentedLayoutsAndAnswers) {
  // A null function is the short -1 alone.
  EXPECT_EQ(Write(nullptr, 1013).size(), XelMathBinaryStreamImpl::HeaderBytes + 2u);
  EXPECT_FALSE(Read(Write(nullptr, 1013)));
  // Shift 2 at 1004: stored shift-free, read back with shift 0.
  FX p(Poly({1, -1, 3}, 2.0));
  FX q = Read(Write(p.get(), 1004));
  EXPECT_EQ(static_cast<XelMathPolynomX*>(q.get())->GetShift(), 0.0);
  EXPECT_NEAR(q->Eval(0.5), 1 - (0.5 - 2) + 3 * 2.25, 1e-13);
  // Degree signed before 1012 (-1 is stored), unsigned from 1012 (-1 reported, tag alone).
  FX empty(new XelMathPolynomX());
  EXPECT_TRUE(Read(Write(empty.get(), 1010)));
  const long reports = XelQuornullCount();
  EXPECT_EQ(Write(empty.get(), 1012).size(), XelMathBinaryStreamImpl::HeaderBytes + 2u);
  EXPECT_EQ(XelQuornullCount(), reports + 1);
  // Owning variants, formal composition, default tolerance.
  FX two(Combination(Poly({1, 2}), Poly({0, 0, 1})));
  FX comb = Read(Write(two.get(), 1013));
  EXPECT_STREQ(comb->IsA(), "XelMathCombinationXDel");
  FX lin(Poly({1, 2})), sq(Poly({0, 0, 1})), trig(Trig());
  XelMathCompositionXByX composition(sq.get(), lin.get());
  EXPECT_STREQ(Read(Write(&composition, 1013))->IsA(), "XelMathPolynomX");
  FX t = Read(Write(trig.get(), 1013));
  EXPECT_EQ(static_cast<XelMathTrigonometricX*>(t.get())->GetTolerance(), &XelGetDefaultTolerance());
  // Classes without a layout refuse, and so do trees holding one.
  XelMathOppositeX opposite(trig.get());
  unsigned char flag = 1;
  EXPECT_EQ(opposite.IsStreamable(1013, flag), 0);
  XelMathMemoryStream out;
  xeltest::ExpectInputError([&] { opposite.Stream(out, ""); }, 0x20009, {"Stream", " "});
  xeltest::ExpectInputError([&] { opposite.GetStreamType(); }, 0x20009, {"GetStreamType", " "});
  // An unknown tag at the root: the error line and a null function.
  xeltest::CaptureTrace err(XelQuorOutput::GetErr());
  XelMathMemoryStream bad(1013);
  bad.WriteShort(13, "");
  EXPECT_FALSE(Read(bad.GetBuffer()));
  EXPECT_NE(err.Text().find("<**  XelMathFunctionX::UnStream() ERROR on Unknown Type=13"),
            std::string::npos);
}

TEST(Streaming, DumpModeWritesTheLabels) {
  FX f(Nested(kCases[4]));
  std::ostringstream text;
  XelMathDumpStreamImpl dump(text, 1013);
  XelMathStream stream(&dump);
  XelMathFunctionGeneral::Stream(stream, f.get(), "");
  for (const char* label : {"XelMathFunctionGeneral {", "XelMathSingleMemoryX {",
                            "XelMathPiecewiseX {", "TypeOfFunction (short): 5",
                            "NumberOfPieces (ulong): 2", "Borders (double[3]): -3 0.25 3"})
    EXPECT_NE(text.str().find(label), std::string::npos) << label << "\n" << text.str();
  EXPECT_EQ(dump.GetDepth(), 0);
}

// Reads iBytes: a coded error or a tree; either way nothing stays allocated.
void ReadDamaged(const Bytes& iBytes, const std::string& iWhat) {
  const long live = xeltest::LiveBlocks();
  try {
    Read(iBytes, false);
  } catch (const XelMathInputError& error) {
    EXPECT_NE(error.GetCode(), 0) << iWhat;
  }
  ASSERT_EQ(xeltest::LiveBlocks(), live) << iWhat;
}

TEST(Streaming, DamagedStreamsRaiseOrReadAndLeakNothing) {
  xeltest::CaptureTrace err(XelQuorOutput::GetErr());
  std::mt19937 random(2026);
  for (const Case& c : kCases)
    for (long v : {1004L, 1010L, 1013L}) {
      FX f(Nested(c));
      Bytes bytes = Write(f.get(), v);
      for (std::size_t n = 0; n < bytes.size(); n++)
        ReadDamaged(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(n)), c.name);
      for (int k = 0; k < 250; k++) {
        Bytes damaged = bytes;
        damaged[random() % damaged.size()] = static_cast<unsigned char>(random());
        ReadDamaged(damaged, c.name);
      }
    }
}

TEST(Streaming, ImpossibleRecordsRaiseTheirReason) {
  struct Crafted {
    std::function<void(XelMathStream&)> write;
    const char* why;
  };
  const Crafted crafted[] = {
      {[](XelMathStream& s) { s.WriteShort(4, ""); s.WriteULong(0x7fffffffUL, ""); },
       "with a valid degree or count"},
      {[](XelMathStream& s) { s.WriteShort(1, ""); s.WriteULong(0x80000000UL, ""); },
       "with a valid degree or count"},
      {[](XelMathStream& s) { for (int i = 0; i < 70; i++) s.WriteShort(8, ""); },
       "with at most 64 nested functions"},
      {[](XelMathStream& s) { s.WriteShort(3, ""); s.WriteShort(-1, ""); },
       "with a function for every component"},
      {[](XelMathStream& s) { s.WriteShort(11, ""); s.WriteShort(99, ""); },
       "with a known type of function in a composite"},
      {[](XelMathStream& s) {
         const double b[3] = {0.0, std::nan(""), 1.0};
         s.WriteShort(5, "");
         s.WriteULong(2UL, "");
         s.WriteDouble(b, 3, "");
         for (int i = 0; i < 2; i++) {
           s.WriteShort(12, "");
           s.WriteDouble(b, 2, "");
         }
       },
       "with strictly increasing borders"},
  };
  xeltest::CaptureTrace err(XelQuorOutput::GetErr());
  const long live = xeltest::LiveBlocks();
  for (const Crafted& c : crafted) {
    XelMathMemoryStream out(1013);
    c.write(out);
    xeltest::ExpectInputError([&] { Read(out.GetBuffer()); }, 0x20009,
                              {"XelMathFunctionGeneral::UnStream", c.why, "damaged or foreign data"});
  }
  EXPECT_EQ(xeltest::LiveBlocks(), live);
}

} // namespace
