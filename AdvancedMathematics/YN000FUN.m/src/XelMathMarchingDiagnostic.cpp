// XelMathMarchingDiagnostic: the stop diagnostic of one branch of a march.
#include "XelMathMarchingDiagnostic.h"

#include <cstring>

XelMathMarchingDiagnostic::XelMathMarchingDiagnostic(long iStopDiagnostic)
    : _stopDiagnostic(iStopDiagnostic) {}
XelMathMarchingDiagnostic::XelMathMarchingDiagnostic(const XelMathMarchingDiagnostic&) = default;
XelMathMarchingDiagnostic&
XelMathMarchingDiagnostic::operator=(const XelMathMarchingDiagnostic&) = default;
XelMathMarchingDiagnostic::~XelMathMarchingDiagnostic() = default;

long XelMathMarchingDiagnostic::GetStaticMemoryBytes() const {
  return sizeof(XelMathMarchingDiagnostic);
}

const char* XelMathMarchingDiagnostic::IsA() const {
  return "XelMathMarchingDiagnostic";
}

unsigned char XelMathMarchingDiagnostic::IsAKindOf(const char* iName) const {
  return (iName && !std::strcmp(iName, "XelMathMarchingDiagnostic")) ? 1 : 0;
}

XelMathMarchingDiagnostic* XelMathMarchingDiagnostic::Duplicate() const {
  return new XelMathMarchingDiagnostic(*this);
}
