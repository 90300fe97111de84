// Helpers shared by the tests: reference interval arithmetic (independent of the library's
// interval functions), point sets as vectors, root-set comparison and the live-block counter
// of the kernel's memory services.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "XelMathFunctionX.h"
#include "XelMathInputError.h"
#include "XelMathInterval.h"
#include "XelQuorOutput.h"

class XelMathPolynomX;
class XelMathSetOfPointsND;
class XelTolerance;

namespace xeltest {

const double kPi = 3.14159265358979323846;
const double kEps = 2.220446049250313e-16; // spacing of doubles at 1
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// The default tolerance of the library.
const XelTolerance& DefaultTol();
// sum c_k (x - s)^k.
XelMathPolynomX* Poly(std::initializer_list<double> c, double s = 0.0);
// The derivative of order k (0..3) of f at x, and its interval image over I.
double DerivAt(const XelMathFunctionX& f, int k, double x);
XelMathInterval DerivImage(const XelMathFunctionX& f, int k, const XelMathInterval& I);
// The images of f over I of orders 0..iMaxOrder, one by one and (orders 0..2) through the
// multi-output evaluation, enclose the point evaluations at 401 samples of I, up to the
// rounding allowance iRel (1 + |v|) of a value v computed by another formula.
void ExpectImagesEnclose(const XelMathFunctionX& f, const XelMathInterval& I, int iMaxOrder = 3,
                         double iRel = 256 * kEps);

// Interval arithmetic by endpoint enumeration, without directed rounding.
XelMathInterval IAdd(const XelMathInterval& a, const XelMathInterval& b);
XelMathInterval IMul(const XelMathInterval& a, const XelMathInterval& b);
XelMathInterval IScale(double c, const XelMathInterval& a);
XelMathInterval ISquare(const XelMathInterval& a);
// a^m, m >= 0; an even power of an interval around 0 starts at 0.
XelMathInterval IPower(const XelMathInterval& a, int m);
XelMathInterval IExp(const XelMathInterval& a);
// Range of sin over [lo, hi]: the end values, widened to +-1 when a crest or trough is inside.
XelMathInterval ISin(double lo, double hi);

// The points of a one-dimensional set, in set order or sorted.
std::vector<double> PointsOf(const XelMathSetOfPointsND& iSet);
std::vector<double> SortedPoints(const XelMathSetOfPointsND& iSet);

// Every found root lies within its tolerance of the nearest true root, and every true root is
// found exactly once (non-fatal failures; fatal when a root is found where there is none).
void ExpectSameRoots(const std::vector<double>& iFound, const std::vector<double>& iTrue,
                     const std::vector<double>& iTol);
void ExpectSameRoots(const std::vector<double>& iFound, const std::vector<double>& iTrue,
                     double iTol);

// Coefficients (increasing powers of t = x - iShift) of iLead * prod (x - r) over iRoots,
// expanded in long double.
std::vector<long double> ExpandRootsLong(const std::vector<double>& iRoots, double iLead,
                                         double iShift = 0.0);
/// Coefficients (increasing powers) of Chebyshev's T_n by T_k = 2 t T_{k-1} - T_{k-2}: integers,
/// exact in double up to n = 53.
std::vector<double> ChebyshevCoefficients(int iN);
std::vector<double> ExpandRoots(const std::vector<double>& iRoots, double iLead,
                                double iShift = 0.0);
// Multiplies the polynomial ioC by the complex pair (x - a)^2 + b^2.
void MultiplyByComplexPair(std::vector<long double>& ioC, long double a, long double b);
// iCount values drawn uniformly in [-1, 1), each farther than iGap from the earlier ones.
std::vector<double> RandomSeparatedRoots(std::mt19937& ioGenerator, int iCount, double iGap);

// Expects iCall to raise a XelMathInputError of code iCode whose texts (what, why, where) are
// iTexts; an empty text is not checked.
template <class Call>
void ExpectInputError(Call iCall, long iCode, const std::vector<std::string>& iTexts = {}) {
  try {
    iCall();
    ADD_FAILURE() << "no error raised, expected code " << std::hex << iCode;
  } catch (const XelMathInputError& error) {
    EXPECT_EQ(error.GetCode(), iCode) << error.what();
    for (std::size_t i = 0; i < iTexts.size(); ++i)
      if (!iTexts[i].empty()) {
        EXPECT_STREQ(error.GetParameter(static_cast<long>(i)), iTexts[i].c_str()) << "text " << i;
      }
  }
}

// Captures a trace stream (the standard one by default) for the lifetime of the object.
class CaptureTrace {
public:
  explicit CaptureTrace(XelQuorOutput& ioOutput = XelQuorOutput::GetOut()) : _output(ioOutput) {
    _output.Redirect(&_text);
  }
  ~CaptureTrace() { _output.Redirect(nullptr); }
  std::string Text() const { return _text.str(); }

private:
  XelQuorOutput& _output;
  std::ostringstream _text;
};

// Blocks currently allocated through the kernel's memory services: a scope that releases
// everything leaves this unchanged.
long LiveBlocks();

} // namespace xeltest
