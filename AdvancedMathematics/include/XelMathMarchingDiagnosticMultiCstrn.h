#pragma once
// The end of a branch stopped by constraints (diagnostic XelMathMarchingCode::OnConstraint):
// the stop diagnostic and the indices of the constraints that changed sign there.
#include "XelMathMarchingDiagnostic.h"
#include "XelRawCollint.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathMarchingDiagnosticMultiCstrn
    : public XelMathMarchingDiagnostic {
public:
  /// iCount indices of iIndices (copied; none when iIndices is null).
  XelMathMarchingDiagnosticMultiCstrn(long iStopDiagnostic, long iCount, const long* iIndices);
  XelMathMarchingDiagnosticMultiCstrn(long iStopDiagnostic, const XelRawCollint& iIndices);
  XelMathMarchingDiagnosticMultiCstrn(const XelMathMarchingDiagnosticMultiCstrn& iOther);
  XelMathMarchingDiagnosticMultiCstrn& operator=(const XelMathMarchingDiagnosticMultiCstrn& iOther);
  ~XelMathMarchingDiagnosticMultiCstrn() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  XelMathMarchingDiagnostic* Duplicate() const override;

  /// Appends the indices of the stopping constraints to oIndices (emptied first).
  void GetStopConstraintIndices(XelRawCollint& oIndices) const;
  long GetNumberOfStopConstraints() const { return _indices.Size(); }

private:
  XelRawCollint _indices;
};
