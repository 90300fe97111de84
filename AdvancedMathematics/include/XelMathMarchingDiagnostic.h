#pragma once
// How one branch of an implicit-system march ended: the stop diagnostic of the march, a sum
// of the XelMathMarchingCode bits below. Returned by XelMathImplicitSystem::GetBranchDiagnostic
// (a new object that the caller owns).
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

/// The diagnostic bits of a march.
namespace XelMathMarchingCode {
constexpr long NormalEnd = 1;            // the march ended normally
constexpr long EndReached = 2;           // an end point or the domain border was reached
constexpr long UnderWay = 4;             // march under way, or ended incomplete
constexpr long OnConstraint = 8;         // stopped where a constraint changes sign
constexpr long SingularOrClosure = 16;   // a singular point or the closure was reached
constexpr long SingularCorrection = 32;  // the correction met a singular point
constexpr long Failure = 128;            // fewer than two points could be traced
constexpr long TangentNotComputable = 512; // no tangent at the new point
constexpr long CutAfterStart = 1024;     // only the start of the march is to be kept
} // namespace XelMathMarchingCode

class XELADVANCEDMATHEMATICS_EXPORT XelMathMarchingDiagnostic : public XelQuorVirtual {
public:
  explicit XelMathMarchingDiagnostic(long iStopDiagnostic = 0);
  XelMathMarchingDiagnostic(const XelMathMarchingDiagnostic& iOther);
  XelMathMarchingDiagnostic& operator=(const XelMathMarchingDiagnostic& iOther);
  ~XelMathMarchingDiagnostic() override;

  long GetStaticMemoryBytes() const override;
  /// "XelMathMarchingDiagnostic" (the derived class answers its own name).
  virtual const char* IsA() const;
  /// True for the name of this class or of one of its bases.
  virtual unsigned char IsAKindOf(const char* iName) const;
  /// A copy of the same class, owned by the caller.
  virtual XelMathMarchingDiagnostic* Duplicate() const;

  long GetStopDiagnostic() const { return _stopDiagnostic; }
  void SetStopDiagnostic(long iStopDiagnostic) { _stopDiagnostic = iStopDiagnostic; }

private:
  long _stopDiagnostic;
};
