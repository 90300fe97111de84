// XelMathMarchingDiagnosticMultiCstrn: a branch end with the constraints that stopped it.
#include "XelMathMarchingDiagnosticMultiCstrn.h"

#include <cstring>

XelMathMarchingDiagnosticMultiCstrn::XelMathMarchingDiagnosticMultiCstrn(long iStopDiagnostic,
                                                                         long iCount,
                                                                         const long* iIndices)
    : XelMathMarchingDiagnostic(iStopDiagnostic) {
  if (iIndices)
    for (long i = 0; i < iCount; ++i)
      _indices.Append(static_cast<int>(iIndices[i]));
}

XelMathMarchingDiagnosticMultiCstrn::XelMathMarchingDiagnosticMultiCstrn(
    long iStopDiagnostic, const XelRawCollint& iIndices)
    : XelMathMarchingDiagnostic(iStopDiagnostic), _indices(iIndices) {}

XelMathMarchingDiagnosticMultiCstrn::XelMathMarchingDiagnosticMultiCstrn(
    const XelMathMarchingDiagnosticMultiCstrn&) = default;
XelMathMarchingDiagnosticMultiCstrn& XelMathMarchingDiagnosticMultiCstrn::operator=(
    const XelMathMarchingDiagnosticMultiCstrn&) = default;
XelMathMarchingDiagnosticMultiCstrn::~XelMathMarchingDiagnosticMultiCstrn() = default;

long XelMathMarchingDiagnosticMultiCstrn::GetDynamicMemoryBytes() const {
  return _indices.GetDynamicMemoryBytes();
}

long XelMathMarchingDiagnosticMultiCstrn::GetStaticMemoryBytes() const {
  return sizeof(XelMathMarchingDiagnosticMultiCstrn);
}

const char* XelMathMarchingDiagnosticMultiCstrn::IsA() const {
  return "XelMathMarchingDiagnosticMultiCstrn";
}

unsigned char XelMathMarchingDiagnosticMultiCstrn::IsAKindOf(const char* iName) const {
  if (iName && !std::strcmp(iName, "XelMathMarchingDiagnosticMultiCstrn"))
    return 1;
  return XelMathMarchingDiagnostic::IsAKindOf(iName);
}

XelMathMarchingDiagnostic* XelMathMarchingDiagnosticMultiCstrn::Duplicate() const {
  return new XelMathMarchingDiagnosticMultiCstrn(*this);
}

void XelMathMarchingDiagnosticMultiCstrn::GetStopConstraintIndices(XelRawCollint& oIndices) const {
  oIndices.RemoveAll();
  for (int i = 1; i <= _indices.Size(); ++i)
    oIndices.Append(_indices[i]);
}
