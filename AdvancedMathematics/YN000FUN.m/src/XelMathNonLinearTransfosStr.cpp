// Stream writers and reader of the deformations of space.
//
// A record is: the short stream type (1 cylindric folded, 2 cylindric unfolded, 3 conic
// folded, 4 conic unfolded; 0 for no transformation); the long n and n doubles, n = 2 with
// (k, a) or (alpha, a) when the writer's flag is set or the stream is not older than 1010,
// otherwise n = 1 with k or alpha alone (the conic ratio is never stored); then the right and
// the left affine transformations, each the short 0 when absent or the short 1 and its 12
// coefficients in GetCoef order. In dump mode a record is enclosed in a comment section
// named after its class and its fields are labelled.
//
// The reader trusts nothing: a type outside 1 to 4 gives a null transformation and nothing
// more is read; a count other than 1 or 2 is reported through XelQuornull and gives a null
// transformation; a coefficient that is not finite, or a transformation tag other than 0 or
// 1, raises XelMathInputError 0x20009 ("XelMathNonLinearTransformation::UnStream", what was
// expected, "damaged or foreign data"). Truncated records raise the stream's own 0x20009.
// Whatever was built before an error is deleted on the way out.
#include <cmath>
#include <exception>
#include <memory>

#include "XelError.h"
#include "XelMathConicDeformationFolded.h"
#include "XelMathConicDeformationUnfolded.h"
#include "XelMathCylindricDeformationFolded.h"
#include "XelMathCylindricDeformationUnfolded.h"
#include "XelMathDeformationTools.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathStream.h"
#include "XelMathTransformation.h"
#include "XelTolerance.h"

namespace {

const char* const ReaderName = "XelMathNonLinearTransformation::UnStream";
const char* const DamagedData = "damaged or foreign data";

[[noreturn]] void RaiseDamaged(const char* iExpected, const long iLine) {
  XelMathRaiseTexts(XelErrorCode::Forbidden, 3, ReaderName, iExpected, DamagedData, __FILE__,
                    iLine);
}

/// The dump section of one record, closed on a normal exit; labels are empty outside dump
/// mode.
class Record {
public:
  Record(XelMathStream& ioStream, const char* iClassName)
      : _stream(ioStream), _name(iClassName), _dump(ioStream.IsDumpMode() != 0),
        _errors(std::uncaught_exceptions()) {
    if (_dump)
      _stream.DumpCommentBegin(_name);
  }
  ~Record() {
    if (_dump && std::uncaught_exceptions() == _errors)
      _stream.DumpCommentEnd(_name);
  }
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  const char* Label(const char* iLabel) const { return _dump ? iLabel : ""; }

private:
  XelMathStream& _stream;
  const char* _name;
  bool _dump;
  int _errors;
};

bool StoresTwoCoefficients(const XelMathStream& iStream, const unsigned char iFlag) {
  return iFlag != 0 || !XelQuorStreamIsStrictlyOlderThan(iStream.GetVersionNumber(),
                                                         XelMathDeformation::TwoCoefficients);
}

/// The common record of a deformation of space.
void WriteRecord(XelMathStream& ioStream, const XelMathNonLinearTransformation& iT,
                 const double iFirst, const double iRip, const unsigned char iFlag,
                 const char* iLabel) {
  Record record(ioStream, iT.IsA());
  ioStream.WriteShort(iT.GetStreamTransfoType(),
                      record.Label(iLabel && *iLabel ? iLabel : "TypeOfTransformation"));
  const bool two = StoresTwoCoefficients(ioStream, iFlag);
  ioStream.WriteLong(two ? 2 : 1, record.Label("NumberOfCoefficients"));
  ioStream.WriteDouble(iFirst, record.Label("Coefficient"));
  if (two)
    ioStream.WriteDouble(iRip, record.Label("RipAngle"));
}

/// A transformation record: 0 absent, 1 and twelve finite coefficients.
std::unique_ptr<XelMathTransformation> ReadAffine(XelMathStream& ioStream) {
  short tag = 0;
  ioStream.ReadShort(tag, "");
  if (tag == 0)
    return nullptr;
  if (tag != 1)
    RaiseDamaged("with a transformation tag 0 or 1", __LINE__);
  double coefs[12];
  ioStream.ReadDouble(coefs, 12, "");
  for (double c : coefs)
    if (!std::isfinite(c))
      RaiseDamaged("with finite transformation coefficients", __LINE__);
  return std::unique_ptr<XelMathTransformation>(new XelMathTransformation(coefs));
}

} // namespace

void XelMathNonLinearTransformation::StreamAffineParts(XelMathStream& ioStream) const {
  const bool dump = ioStream.IsDumpMode() != 0;
  const XelMathTransformation* parts[2] = {_right, _left};
  const char* names[2] = {"RightTransformation", "LeftTransformation"};
  for (int i = 0; i < 2; i++) {
    ioStream.WriteShort(parts[i] ? 1 : 0, dump ? names[i] : "");
    if (!parts[i])
      continue;
    double coefs[12];
    parts[i]->GetCoef(coefs);
    ioStream.WriteDouble(coefs, 12, dump ? "Coefficients" : "");
  }
}

void XelMathCylindricDeformation::Stream(XelMathStream& ioStream, const char* iLabel,
                                         const unsigned char iFlag) const {
  WriteRecord(ioStream, *this, _k, _rip, iFlag, iLabel);
  StreamAffineParts(ioStream);
}

void XelMathConicDeformation::Stream(XelMathStream& ioStream, const char* iLabel,
                                     const unsigned char iFlag) const {
  WriteRecord(ioStream, *this, _alpha, _rip, iFlag, iLabel);
  StreamAffineParts(ioStream);
}

void XelMathNonLinearTransformation::Stream(XelMathStream& ioStream,
                                            const XelMathNonLinearTransformation* iT,
                                            const char* iLabel, const unsigned char iFlag) {
  if (!iT) {
    ioStream.WriteShort(0, ioStream.IsDumpMode() ? "TypeOfTransformation" : "");
    return;
  }
  iT->Stream(ioStream, iLabel, iFlag);
}

void XelMathNonLinearTransformation::UnStream(XelMathStream& ioStream,
                                              XelMathNonLinearTransformation*& oT, const char*) {
  oT = nullptr;
  short type = 0;
  ioStream.ReadShort(type, "");
  if (type < 1 || type > 4)
    return;
  long n = 0;
  ioStream.ReadLong(n, "");
  if (n != 1 && n != 2) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  double c[2] = {0.0, 0.0};
  for (long i = 0; i < n; i++)
    ioStream.ReadDouble(c[i], "");
  for (long i = 0; i < n; i++)
    if (!std::isfinite(c[i]))
      RaiseDamaged("with finite coefficients", __LINE__);
  const XelTolerance& tol = XelGetDefaultTolerance();
  std::unique_ptr<XelMathNonLinearTransformation> t;
  switch (type) {
  case 1:
    t.reset(n == 1 ? new XelMathCylindricDeformationFolded(c[0], tol)
                   : new XelMathCylindricDeformationFolded(c[0], c[1], tol));
    break;
  case 2:
    t.reset(n == 1 ? new XelMathCylindricDeformationUnfolded(c[0], tol)
                   : new XelMathCylindricDeformationUnfolded(c[0], c[1], tol));
    break;
  case 3:
    t.reset(n == 1 ? new XelMathConicDeformationFolded(c[0], tol)
                   : new XelMathConicDeformationFolded(c[0], c[1], tol));
    break;
  default:
    t.reset(n == 1 ? new XelMathConicDeformationUnfolded(c[0], tol)
                   : new XelMathConicDeformationUnfolded(c[0], c[1], tol));
    break;
  }
  std::unique_ptr<XelMathTransformation> right = ReadAffine(ioStream);
  std::unique_ptr<XelMathTransformation> left = ReadAffine(ioStream);
  if (right)
    t->ComposeRight(*right);
  if (left)
    t->ComposeLeft(*left);
  oT = t.release();
}
