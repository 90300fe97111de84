#include "XelMathCheckRelation.h"

#include <cmath>
#include <cstring>

#include "XelMathCheckTools.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathMxNFullMatrix.h"
#include "XelMathRelation.h"
#include "XelMathScratch.h"

using namespace XelMathCheck;

namespace {
/// Largest number of variables (main and exterior) of a checked relation.
constexpr long MaxVariables = 1024;
} // namespace

XelMathCheckRelation::XelMathCheckRelation(const XelMathRelation* iRelation, const double iEps)
    : _relation(iRelation), _eps(iEps) {}

XelMathCheckRelation::~XelMathCheckRelation() = default;

long XelMathCheckRelation::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathCheckRelation::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathCheckRelation));
}

long XelMathCheckRelation::Report(const char* iCheck, const char* iQuantity, const long i,
                                  const long j, const double iFound, const double iExpected,
                                  const long iCode) const {
  return XelMathCheck::Report("CheckRelation", iCheck, iQuantity, i, j, -1, iFound, iExpected,
                              iCode);
}

void XelMathCheckRelation::Counts(long& oN, long& oE, const char* iWhere) const {
  oN = _relation->GetDimension();
  oE = _relation->GetExteriorDimension();
  if (oN < 1 || oE < 0 || oN > MaxVariables || oE > MaxVariables - oN)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "impossible numbers of variables of the relation", iWhere, __FILE__,
                      __LINE__);
}

long XelMathCheckRelation::CheckAll(const double* x, const double* z) const {
  const long code = CheckJacobian(x, z);
  return code ? code : CheckMultiEval(x, z);
}

long XelMathCheckRelation::CheckJacobian(const double* x, const double* z) const {
  long n = 0, e = 0;
  Counts(n, e, "XelMathCheckRelation::CheckJacobian");
  const long cols = n + e;
  XelMathScratchDoubles<64> work(cols);
  double* v = work.Data();
  std::memcpy(v, x, sizeof(double) * static_cast<std::size_t>(n));
  if (e > 0)
    std::memcpy(v + n, z, sizeof(double) * static_cast<std::size_t>(e));
  const double a = Size(v, cols);
  const double t1 = std::pow(_eps, 0.5);
  const double* w = e > 0 ? v + n : z;

  XelMathMxNFullMatrix own(e + 1, cols), diff(e + 1, cols);
  own.Reset();
  diff.Reset();
  _relation->EvalJacobian(v, w, own);
  _relation->XelMathRelation::EvalJacobian(v, w, diff);
  const double* J = own.GetFullMatrixCoef();
  const double* D = diff.GetFullMatrixCoef();
  for (long i = 0; i <= e; ++i)
    for (long j = 0; j < cols; ++j) {
      const double d = D[i * cols + j];
      if (!Agree(J[i * cols + j], d, t1 * (a + std::fabs(d))))
        return j < n ? Report("CheckJacobian", "first derivative", i, j, J[i * cols + j], d, 10)
                     : Report("CheckJacobian", "exterior derivative", i, j - n, J[i * cols + j], d,
                              11);
    }
  return 0;
}

long XelMathCheckRelation::CheckMultiEval(const double* x, const double* z) const {
  long n = 0, e = 0;
  Counts(n, e, "XelMathCheckRelation::CheckMultiEval");
  const long rows = e + 1, cols = n + e;
  // Work: the variables and their shift, the residuals alone and with the Jacobian (each with
  // a sentinel past the e + 1), the residuals at the shifted point.
  XelMathScratchDoubles<64> work(2 * cols + 3 * rows + 2);
  double* v = work.Data();
  double* dv = v + cols;
  double* f = dv + cols;
  double* f2 = f + rows + 1;
  double* shifted = f2 + rows + 1;
  std::memcpy(v, x, sizeof(double) * static_cast<std::size_t>(n));
  if (e > 0)
    std::memcpy(v + n, z, sizeof(double) * static_cast<std::size_t>(e));
  const double* w = e > 0 ? v + n : z;
  const double t = Size(v, cols) * _eps;

  XelMathMxNFullMatrix alone(rows, cols), combined(rows, cols);
  alone.Reset();
  combined.Reset();
  f[rows] = f2[rows] = Sentinel;
  _relation->Eval(v, w, f);
  _relation->EvalJacobian(v, w, alone);
  _relation->Eval(v, w, f2, combined);
  if (f[rows] != Sentinel || f2[rows] != Sentinel)
    return Report("CheckMultiEval", "residual past the relation", rows, -1,
                  f[rows] != Sentinel ? f[rows] : f2[rows], Sentinel, 33);
  for (long i = 0; i < rows; ++i)
    if (!Agree(f2[i], f[i], t))
      return Report("CheckMultiEval", "residual", i, -1, f2[i], f[i], 30);
  const double* J = alone.GetFullMatrixCoef();
  const double* J2 = combined.GetFullMatrixCoef();
  for (long k = 0; k < rows * cols; ++k)
    if (!Agree(J2[k], J[k], t))
      return Report("CheckMultiEval", "Jacobian entry", k / cols, k % cols, J2[k], J[k], 31);

  if (!_relation->IsLinear())
    return 0;
  for (long j = 0; j < cols; ++j) {
    dv[j] = (j % 2 ? -0.5 : 0.5) * (1.0 + std::fabs(v[j]));
    v[j] += dv[j];
  }
  _relation->Eval(v, e > 0 ? v + n : z, shifted);
  const double t1 = std::pow(_eps, 0.5), a = Size(v, cols);
  for (long i = 0; i < rows; ++i) {
    double expected = f[i], size = a + std::fabs(f[i]);
    for (long j = 0; j < cols; ++j) {
      expected += J[i * cols + j] * dv[j];
      size += std::fabs(J[i * cols + j] * dv[j]);
    }
    if (!Agree(shifted[i], expected, t1 * size))
      return Report("CheckMultiEval", "residual of a linear relation", i, -1, shifted[i], expected,
                    32);
  }
  return 0;
}
