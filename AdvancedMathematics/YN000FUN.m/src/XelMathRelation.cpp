#include "XelMathRelation.h"

#include <cstring>

#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathMxNFullMatrix.h"
#include "XelMathScratch.h"

XelMathRelation::~XelMathRelation() = default;

long XelMathRelation::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathRelation::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathRelation));
}

bool XelMathRelation::SameName(const char* iA, const char* iB) {
  return iA && iB && std::strcmp(iA, iB) == 0;
}

const char* XelMathRelation::IsA() const {
  return "XelMathRelation";
}

unsigned char XelMathRelation::IsAKindOf(const char* iName) const {
  return SameName(iName, "XelMathRelation") ? 1 : 0;
}

long XelMathRelation::GetExteriorDimension() const {
  return 0;
}

XelMathInterval XelMathRelation::GetExteriorDomain(const long) const {
  return XelMathInterval(0.0, 0.0);
}

bool XelMathRelation::IsLinear() const {
  return false;
}

void XelMathRelation::EvalJacobian(const double* x, const double* z,
                                   XelMathMxNFullMatrix& oJ) const {
  const long n = GetDimension();
  const long e = GetExteriorDimension();
  const long rows = e + 1;
  const long cols = n + e;
  long m = 0, c = 0;
  oJ.GetSizeOfMatrix(m, c);
  if (m != rows || c != cols)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathMxNFullMatrix", "wrong dimension",
                 "XelMathRelation::EvalJacobian");
  // Work: the shifted variables (n + e) and the residuals on both sides (2 (e + 1)).
  XelMathScratchDoubles<64> work(cols + 2 * rows);
  double* v = work.Data();
  double* fPlus = v + cols;
  double* fMinus = fPlus + rows;
  if (n > 0)
    std::memcpy(v, x, sizeof(double) * n);
  if (e > 0)
    std::memcpy(v + n, z, sizeof(double) * e);
  double* J = oJ.GetFullMatrixCoef();
  const double h = XelMathh1;
  for (long j = 0; j < cols; ++j) {
    const double keep = v[j];
    v[j] = keep + h;
    Eval(v, e > 0 ? v + n : z, fPlus);
    v[j] = keep - h;
    Eval(v, e > 0 ? v + n : z, fMinus);
    v[j] = keep;
    for (long i = 0; i < rows; ++i)
      J[i * cols + j] = (fPlus[i] - fMinus[i]) / (2.0 * h);
  }
}

void XelMathRelation::Eval(const double* x, const double* z, double* oF,
                           XelMathMxNFullMatrix& oJ) const {
  Eval(x, z, oF);
  EvalJacobian(x, z, oJ);
}
