#include "XelMathCheckSystem.h"

#include <cmath>
#include <cstring>

#include "XelMathCheckTools.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathScratch.h"
#include "XelMathSystem.h"
#include "XelQuorMemory.h"

using namespace XelMathCheck;

namespace {
/// Largest number of grid nodes checked.
constexpr long MaxNodes = 1L << 20;
/// Largest number of unknowns of the grid check.
constexpr long MaxGridDimension = 64;
} // namespace

XelMathCheckSystem::XelMathCheckSystem(const XelMathSystem* iSystem, const double iEps)
    : _system(iSystem), _eps(iEps) {}

XelMathCheckSystem::~XelMathCheckSystem() = default;

long XelMathCheckSystem::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathCheckSystem::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathCheckSystem));
}

long XelMathCheckSystem::Report(const char* iCheck, const char* iQuantity, const long i,
                                const long j, const long k, const double iFound,
                                const double iExpected, const long iCode) const {
  return XelMathCheck::Report("CheckSystem", iCheck, iQuantity, i, j, k, iFound, iExpected, iCode);
}

long XelMathCheckSystem::CheckAll(const double* x, const XelMathIntervalND& iBox,
                                  const long n) const {
  long code = CheckJacobian(x);
  if (!code)
    code = CheckMultiEval(x);
  if (!code)
    code = CheckGridEval(iBox, n);
  if (!code)
    code = CheckJacobianImage(iBox, n);
  return code;
}

long XelMathCheckSystem::CheckJacobian(const double* x) const {
  const XelMathSystem& s = *_system;
  const long n = s.GetDimension();
  XelMathScratchDoubles<64> work(n + 2 * n * n);
  double* p = work.Data();
  double* own = p + n;
  double* diff = own + n * n;
  std::memcpy(p, x, sizeof(double) * static_cast<std::size_t>(n));
  const double a = Size(p, n);
  s.EvalJacobian(p, own);
  s.XelMathSystem::EvalJacobian(p, diff);
  const double t1 = std::pow(_eps, 0.5), t2 = std::pow(_eps, 0.333);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j) {
      const double d = diff[i * n + j];
      if (!Agree(own[i * n + j], d, t1 * (a + std::fabs(d))))
        return Report("CheckJacobian", "first derivative", i, j, -1, own[i * n + j], d, 10);
    }
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j)
      for (long k = j; k < n; ++k) {
        const double d = s.XelMathSystem::EvalSecondDerivEquation(i, j, k, p);
        const double v = s.EvalSecondDerivEquation(i, j, k, p);
        if (!Agree(v, d, t2 * (a + std::fabs(d))))
          return Report("CheckJacobian", "second derivative", i, j, k, v, d, 20);
      }
  return 0;
}

long XelMathCheckSystem::CheckMultiEval(const double* x) const {
  const XelMathSystem& s = *_system;
  const long n = s.GetDimension();
  // Work: the point, the values and Jacobian one by one, then by the combined evaluation.
  XelMathScratchDoubles<64> work(3 * n + 2 * n * n);
  double* p = work.Data();
  double* f = p + n;
  double* jac = f + n;
  double* f2 = jac + n * n;
  double* jac2 = f2 + n;
  std::memcpy(p, x, sizeof(double) * static_cast<std::size_t>(n));
  const double t = Size(p, n) * _eps;
  s.Eval(p, f);
  s.EvalJacobian(p, jac);
  s.Eval(p, f2, jac2);
  for (long i = 0; i < n; ++i)
    if (!Agree(f2[i], f[i], t))
      return Report("CheckMultiEval", "value", i, -1, -1, f2[i], f[i], 30);
  for (long i = 0; i < n * n; ++i)
    if (!Agree(jac2[i], jac[i], t))
      return Report("CheckMultiEval", "Jacobian entry", i / n, i % n, -1, jac2[i], jac[i], 31);
  for (long i = 0; i < n; ++i) {
    const double v = s.EvalEquation(i, p);
    if (!Agree(v, f[i], t))
      return Report("CheckMultiEval", "EvalEquation", i, -1, -1, v, f[i], 32);
    for (long j = 0; j < n; ++j) {
      const double d = s.EvalFirstDerivEquation(i, j, p);
      if (!Agree(d, jac[i * n + j], t))
        return Report("CheckMultiEval", "EvalFirstDerivEquation", i, j, -1, d, jac[i * n + j], 33);
    }
    s.EvalFirstDerivEquation(i, p, f2);
    for (long j = 0; j < n; ++j)
      if (!Agree(f2[j], jac[i * n + j], t))
        return Report("CheckMultiEval", "gradient", i, j, -1, f2[j], jac[i * n + j], 34);
    double value = 0.0;
    s.EvalEquation(i, p, value, f2);
    if (!Agree(value, f[i], t))
      return Report("CheckMultiEval", "value with gradient", i, -1, -1, value, f[i], 35);
    for (long j = 0; j < n; ++j)
      if (!Agree(f2[j], jac[i * n + j], t))
        return Report("CheckMultiEval", "gradient with value", i, j, -1, f2[j], jac[i * n + j], 36);
  }
  return 0;
}

long XelMathCheckSystem::GridNodes(const XelMathIntervalND& iBox, const long n,
                                   const char* iWhere) const {
  const long dim = _system->GetDimension();
  if (iBox.GetDimension() != dim)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "the XelMathIntervalND", "wrong dimension",
                      iWhere, __FILE__, __LINE__);
  if (n < 1)
    return 0;
  if (dim > MaxGridDimension)
    XelMathRaiseTexts(XelErrorCode::InvalidOption, 3, "Dimension not valid",
                      "too many unknowns for a grid", iWhere, __FILE__, __LINE__);
  long nodes = 1;
  for (long d = 0; d < dim; ++d) {
    if (nodes > MaxNodes / n)
      XelMathRaiseTexts(XelErrorCode::InvalidNumberOfPoints, 3, "Invalid Number Of Points",
                        "more grid nodes than a check takes", iWhere, __FILE__, __LINE__);
    nodes *= n;
  }
  return nodes;
}

void XelMathCheckSystem::GridNode(const XelMathIntervalND& iBox, const long n, const long m,
                                  double* oNode) const {
  long rest = m;
  for (long d = _system->GetDimension() - 1; d >= 0; --d) {
    oNode[d] = Sample(iBox.GetInterval(d), rest % n, n);
    rest /= n;
  }
}

long XelMathCheckSystem::CheckJacobianImage(const XelMathIntervalND& iBox, const long n) const {
  const XelMathSystem& s = *_system;
  const long dim = s.GetDimension();
  const long nodes = GridNodes(iBox, n, "XelMathCheckSystem::CheckJacobianImage");
  XelMathScratchDoubles<64> work(3 * dim * dim + dim);
  double* low = work.Data();
  double* high = low + dim * dim;
  double* jac = high + dim * dim;
  double* node = jac + dim * dim;
  if (!s.EvalJacobianImage(iBox, low, high))
    return 0;
  for (long m = 0; m < nodes; ++m) {
    GridNode(iBox, n, m, node);
    s.EvalJacobian(node, jac);
    const double t = Size(node, dim) * _eps;
    for (long k = 0; k < dim * dim; ++k)
      if (!Encloses(XelMathInterval(low[k], high[k]), jac[k], t))
        return Report("CheckJacobianImage", "Jacobian entry outside its image", k / dim, k % dim,
                      -1, jac[k], jac[k] < low[k] ? low[k] : high[k], 50);
  }
  return 0;
}

long XelMathCheckSystem::CheckGridEval(const XelMathIntervalND& iBox, const long n) const {
  const XelMathSystem& s = *_system;
  const long dim = s.GetDimension();
  const long nodes = GridNodes(iBox, n, "XelMathCheckSystem::CheckGridEval");
  if (!nodes)
    return 0;
  // Block: values with gradients, gradients, values alone (each with a sentinel), counts,
  // the node, its index, the point gradient.
  const long size = (nodes + 1) * (dim + 2) + 1 + 3 * dim;
  double* block = XelQuorArrayDoubleNew(size);
  auto release = XelMathMakeOnExit([&] { XelQuorArrayDoubleDel(block, size); });
  double* values = block;
  double* grads = values + nodes + 1;
  double* alone = grads + nodes * dim + 1;
  double* node = alone + nodes + 1;
  double* grad = node + dim;
  long countArray[MaxGridDimension];
  for (long d = 0; d < dim; ++d)
    countArray[d] = n;
  for (long i = 0; i < dim; ++i) {
    values[nodes] = grads[nodes * dim] = alone[nodes] = Sentinel;
    s.EvalEquation(i, iBox, countArray, values, grads);
    s.EvalEquation(i, iBox, countArray, alone);
    if (values[nodes] != Sentinel || grads[nodes * dim] != Sentinel || alone[nodes] != Sentinel)
      return Report("CheckGridEval", "output past the grid", i, -1, -1, 0.0, Sentinel, 43);
    for (long m = 0; m < nodes; ++m) {
      GridNode(iBox, n, m, node);
      double v = 0.0;
      s.EvalEquation(i, node, v, grad);
      const double a = Size(node, dim);
      if (!Agree(values[m], v, a * _eps))
        return Report("CheckGridEval", "value", i, -1, -1, values[m], v, 40);
      if (!Agree(alone[m], v, a * _eps))
        return Report("CheckGridEval", "value alone", i, -1, -1, alone[m], v, 42);
      for (long j = 0; j < dim; ++j) {
        const double g = grads[m * dim + j];
        if (!Agree(g, grad[j], std::pow(_eps, 0.5) * (a + std::fabs(grad[j]))))
          return Report("CheckGridEval", "gradient", i, j, -1, g, grad[j], 41);
      }
    }
  }
  return 0;
}
