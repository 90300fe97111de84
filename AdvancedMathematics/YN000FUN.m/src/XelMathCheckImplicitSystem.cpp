#include "XelMathCheckImplicitSystem.h"

#include <cmath>
#include <cstring>

#include "XelMathCheckTools.h"
#include "XelMathImplicitSystem.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathScratch.h"

using namespace XelMathCheck;

namespace {
/// The Euclidean norm of n doubles.
double Norm(const double* v, const long n) {
  double s = 0.0;
  for (long i = 0; i < n; ++i)
    s += v[i] * v[i];
  return std::sqrt(s);
}
} // namespace

XelMathCheckImplicitSystem::XelMathCheckImplicitSystem(XelMathImplicitSystem* iSystem,
                                                       const double iEps)
    : _system(iSystem), _eps(iEps) {}

XelMathCheckImplicitSystem::~XelMathCheckImplicitSystem() = default;

long XelMathCheckImplicitSystem::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathCheckImplicitSystem::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathCheckImplicitSystem));
}

long XelMathCheckImplicitSystem::Report(const char* iCheck, const char* iQuantity, const long i,
                                        const long j, const long k, const double iFound,
                                        const double iExpected, const long iCode) const {
  return XelMathCheck::Report("CheckImplicitSystem", iCheck, iQuantity, i, j, k, iFound, iExpected,
                              iCode);
}

long XelMathCheckImplicitSystem::CheckAll(const double* x) const {
  const long code = CheckJacobian(x);
  return code ? code : CheckMultiEval(x);
}

long XelMathCheckImplicitSystem::CheckJacobian(const double* x) const {
  XelMathImplicitSystem& s = *_system;
  const long n = s.GetNumberOfVariables();
  // Work: the point, the constraint gradients (own, differences), the Hessians likewise.
  XelMathScratchDoubles<64> work(3 * n + 2 * n * n);
  double* p = work.Data();
  double* grad = p + n;
  double* gradDiff = grad + n;
  double* hess = gradDiff + n;
  double* hessDiff = hess + n * n;
  std::memcpy(p, x, sizeof(double) * static_cast<std::size_t>(n));
  const double a = Size(p, n);
  const double t1 = std::pow(_eps, 0.5), t2 = std::pow(_eps, 0.333);

  XelMathNxNFullMatrix own(n), diff(n);
  own.Reset();
  diff.Reset();
  s.EvalJacobian(p, &own);
  s.XelMathImplicitSystem::EvalJacobian(p, &diff);
  const double* J = own.GetFullMatrixCoef();
  const double* D = diff.GetFullMatrixCoef();
  for (long i = 0; i < n - 1; ++i)
    for (long j = 0; j < n; ++j) {
      const double d = D[i * n + j];
      if (!Agree(J[i * n + j], d, t1 * (a + std::fabs(d))))
        return Report("CheckJacobian", "first derivative", i, j, -1, J[i * n + j], d, 10);
    }

  s.EvalConstraintJacobian(p, grad);
  s.XelMathImplicitSystem::EvalConstraintJacobian(p, gradDiff);
  for (long j = 0; j < n; ++j)
    if (!Agree(grad[j], gradDiff[j], t1 * (a + std::fabs(gradDiff[j]))))
      return Report("CheckJacobian", "constraint gradient", -1, j, -1, grad[j], gradDiff[j], 11);

  for (long i = 0; i < n - 1; ++i) {
    s.EvalHessian(p, i, hess);
    s.XelMathImplicitSystem::EvalHessian(p, i, hessDiff);
    for (long k = 0; k < n * n; ++k) {
      const double d = hessDiff[k];
      if (!Agree(hess[k], d, t2 * (a + std::fabs(d))))
        return Report("CheckJacobian", "second derivative", i, k / n, k % n, hess[k], d, 20);
    }
  }
  return 0;
}

long XelMathCheckImplicitSystem::CheckMultiEval(const double* x) const {
  XelMathImplicitSystem& s = *_system;
  const long n = s.GetNumberOfVariables();
  // Work: the point, the values alone and with the Jacobian (each with a sentinel past the
  // N-1 equations), the constraint gradients alone and with the value.
  XelMathScratchDoubles<64> work(5 * n);
  double* p = work.Data();
  double* f = p + n;
  double* f2 = f + n;
  double* grad = f2 + n;
  double* grad2 = grad + n;
  std::memcpy(p, x, sizeof(double) * static_cast<std::size_t>(n));
  const double t = Size(p, n) * _eps;

  XelMathNxNFullMatrix alone(n), combined(n);
  alone.Reset();
  combined.Reset();
  f[n - 1] = f2[n - 1] = Sentinel;
  s.Eval(p, f);
  s.EvalJacobian(p, &alone);
  s.Eval(p, f2, &combined);
  if (f[n - 1] != Sentinel || f2[n - 1] != Sentinel)
    return Report("CheckMultiEval", "value past the equations", n - 1, -1, -1,
                  f[n - 1] != Sentinel ? f[n - 1] : f2[n - 1], Sentinel, 36);
  for (long i = 0; i < n - 1; ++i)
    if (!Agree(f2[i], f[i], t))
      return Report("CheckMultiEval", "value", i, -1, -1, f2[i], f[i], 30);
  const double* J = alone.GetFullMatrixCoef();
  const double* J2 = combined.GetFullMatrixCoef();
  for (long k = 0; k < (n - 1) * n; ++k)
    if (!Agree(J2[k], J[k], t))
      return Report("CheckMultiEval", "Jacobian entry", k / n, k % n, -1, J2[k], J[k], 31);

  double value = 0.0, value2 = 0.0;
  s.EvalConstraint(p, value);
  s.EvalConstraintJacobian(p, grad);
  s.EvalConstraint(p, value2, grad2);
  if (!Agree(value2, value, t))
    return Report("CheckMultiEval", "constraint value", -1, -1, -1, value2, value, 32);
  for (long j = 0; j < n; ++j)
    if (!Agree(grad2[j], grad[j], t))
      return Report("CheckMultiEval", "constraint gradient", -1, j, -1, grad2[j], grad[j], 33);
  return CheckTangent(p);
}

long XelMathCheckImplicitSystem::CheckTangent(const double* p) const {
  XelMathImplicitSystem& s = *_system;
  const long n = s.GetNumberOfVariables();
  XelMathScratchDoubles<64> work(2 * n);
  double* tangent = work.Data();
  double* cross = tangent + n;
  const int given = s.EvalTangent(p, tangent);

  // The cross product: component i is the determinant of the rows completed by the i-th unit
  // vector as last row; the scale of a non-degenerate one is the product of the row norms.
  XelMathNxNFullMatrix rows(n);
  rows.Reset();
  s.EvalJacobian(p, &rows);
  double* R = rows.GetFullMatrixCoef();
  double hadamard = 1.0;
  for (long i = 0; i < n - 1; ++i)
    hadamard *= Norm(R + i * n, n);
  for (long i = 0; i < n; ++i) {
    for (long j = 0; j < n; ++j)
      R[(n - 1) * n + j] = i == j ? 1.0 : 0.0;
    cross[i] = rows.Determinant();
  }
  const double crossNorm = Norm(cross, n);
  if (!(crossNorm > std::pow(_eps, 0.25) * hadamard) || !std::isfinite(crossNorm))
    return 0; // dependent rows: a singular point, where the tangent is not defined
  const double tangentNorm = Norm(tangent, n);
  if (!given || !(tangentNorm > 0.0) || !std::isfinite(tangentNorm))
    return Report("CheckMultiEval", "tangent said null", -1, -1, -1, given ? tangentNorm : 0.0,
                  crossNorm, 35);
  const double tol = std::pow(_eps, 0.5);
  for (long j = 0; j < n; ++j) {
    const double u = tangent[j] / tangentNorm, w = cross[j] / crossNorm;
    if (!Agree(u, w, tol))
      return Report("CheckMultiEval", "tangent direction", -1, j, -1, u, w, 34);
  }
  return 0;
}
