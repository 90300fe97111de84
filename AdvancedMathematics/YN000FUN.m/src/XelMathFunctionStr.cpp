// Stream writers and readers of every storable function, of one and of two variables.
//
// A stored function is its 16-bit type tag (XelMathStreamType) followed by its own fields
// and, for a composite, by its components stored the same way: one pre-order walk of the
// tree. The version of the stream chooses the layout (XelMathStreamLayout): counts are
// unsigned from 1012 and signed before; polynomials store their shifts from 1005 (before,
// a shift-free copy is written without shift), quintics from 1006. Labels are written in
// dump mode only, where they name the fields of the readable text.
//
// The readers trust nothing in the data. Every count is checked against the bytes left in
// the stream before anything is allocated (each double takes 8 bytes, each array record 4
// more, each function at least its 2-byte tag); nesting is limited to StreamMaxDepth; a
// component that is null or of a type no class owns, borders that do not increase, and
// counts or degrees out of range raise XelMathInputError 0x20009 ("XelMathFunctionGeneral::
// UnStream", what was expected, "damaged or foreign data"). Truncated records raise the
// stream's own 0x20009. Whatever was read before an error is deleted on the way out.
#include <exception>
#include <memory>

#include "XelError.h"
#include "XelMathArctanCosX.h"
#include "XelMathCombinationX.h"
#include "XelMathCompositionXByX.h"
#include "XelMathCompositionXByXY.h"
#include "XelMathCubicX.h"
#include "XelMathFractionX.h"
#include "XelMathFunctionXY.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathLinearX.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPiecewiseXY.h"
#include "XelMathPolynomX.h"
#include "XelMathPolynomXY.h"
#include "XelMathQuinticX.h"
#include "XelMathScratch.h"
#include "XelMathSingleMemoryX.h"
#include "XelMathStream.h"
#include "XelMathSumXYs.h"
#include "XelMathTrigonometricX.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"

namespace {

const char* const ReaderName = "XelMathFunctionGeneral::UnStream";
const char* const DamagedData = "damaged or foreign data";
/// Largest count a signed 32-bit field can carry.
const unsigned long MaxCount = 0x7fffffffUL;

bool UnsignedCounts(const XelQuorStreamVersion iVersion) {
  return !XelQuorStreamIsStrictlyOlderThan(iVersion, XelMathStreamLayout::UnsignedCounts);
}
bool StoresShifts(const XelQuorStreamVersion iVersion) {
  return !XelQuorStreamIsStrictlyOlderThan(iVersion, XelMathStreamLayout::PolynomShifts);
}
bool StoresQuinticShift(const XelQuorStreamVersion iVersion) {
  return !XelQuorStreamIsStrictlyOlderThan(iVersion, XelMathStreamLayout::QuinticShift);
}

[[noreturn]] void RaiseDamaged(const char* iExpected, const long iLine) {
  XelMathRaiseTexts(XelErrorCode::Forbidden, 3, ReaderName, iExpected, DamagedData, __FILE__,
                    iLine);
}

// ==== writing ============================================================================

/// One record of a writer: its dump section (dump mode only) and its labels, which are
/// empty outside dump mode. The section is closed on a normal exit.
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
  XelQuorStreamVersion Version() const { return _stream.GetVersionNumber(); }

  void Tag(const short iTag) { _stream.WriteShort(iTag, Label("TypeOfFunction")); }
  /// A count (degree, number of pieces or terms): unsigned from 1012, where a negative count
  /// is reported and false returned (the writer stops there).
  bool Count(const long iCount, const char* iLabel) {
    if (UnsignedCounts(Version())) {
      if (iCount < 0) {
        XelQuornull(__FILE__, __LINE__);
        return false;
      }
      _stream.WriteULong(static_cast<unsigned long>(iCount), Label(iLabel));
    } else {
      _stream.WriteLong(iCount, Label(iLabel));
    }
    return true;
  }
  /// Two counts: one unsigned array of 2 from 1012, else two signed values.
  bool Counts(const long iFirst, const long iSecond, const char* iLabel) {
    if (UnsignedCounts(Version())) {
      if (iFirst < 0 || iSecond < 0) {
        XelQuornull(__FILE__, __LINE__);
        return false;
      }
      const unsigned long counts[2] = {static_cast<unsigned long>(iFirst),
                                       static_cast<unsigned long>(iSecond)};
      _stream.WriteULong(counts, 2, Label(iLabel));
    } else {
      _stream.WriteLong(iFirst, Label(iLabel));
      _stream.WriteLong(iSecond, Label(iLabel));
    }
    return true;
  }
  /// An array record of iCount doubles (none for a count below 1).
  void Doubles(const double* iValues, const long iCount, const char* iLabel, bool iByAddress) {
    static const double none = 0.0;
    const double* values = iCount > 0 ? iValues : &none;
    const long count = iCount > 0 ? iCount : 0;
    if (iByAddress)
      _stream.WriteDoubleByAddress(values, count, Label(iLabel));
    else
      _stream.WriteDouble(values, count, Label(iLabel));
  }
  void Double(const double iValue, const char* iLabel) { _stream.WriteDouble(iValue, Label(iLabel)); }
  /// A component by its own Stream; a null component is reported and false returned.
  bool Component(const XelMathFunctionGeneral* iComponent) {
    if (!iComponent) {
      XelQuornull(__FILE__, __LINE__);
      return false;
    }
    iComponent->Stream(_stream, "");
    return true;
  }
  /// The components of a composite in order, when none is null (else reported, nothing
  /// written).
  template <class... Parts> void Components(const Parts*... iParts) {
    if (((iParts == nullptr) || ...)) {
      XelQuornull(__FILE__, __LINE__);
      return;
    }
    (iParts->Stream(_stream, ""), ...);
  }
  /// A counted composite: iCount, the iCount + 1 doubles of iValues and the iCount components
  /// (combinations and piecewise functions); a null array is reported.
  template <class Function>
  void CountedComponents(const long iCount, const char* iCountLabel, const double* iValues,
                         const char* iValuesLabel, Function* const* iComponents) {
    if (!Count(iCount, iCountLabel))
      return;
    if (!iValues || (iCount > 0 && !iComponents)) {
      XelQuornull(__FILE__, __LINE__);
      return;
    }
    Doubles(iValues, iCount + 1, iValuesLabel, true);
    for (long i = 0; i < iCount; i++)
      if (!Component(iComponents[i]))
        return;
  }

private:
  XelMathStream& _stream;
  const char* _name;
  bool _dump;
  int _errors;
};

/// Whether the stream can be written; reported when it has no implementation.
bool Writable(const XelMathStream& iStream) {
  if (iStream.GetImpl())
    return true;
  XelQuornull(__FILE__, __LINE__);
  return false;
}

// ==== reading ============================================================================

/// Functions read for a composite, owned until the composite takes them: on the stack up to
/// InlineCount pointers, from the memory services beyond; those still held are deleted when
/// the scope ends (an error included).
template <class T, long InlineCount> class ReadComponents {
public:
  explicit ReadComponents(const long iCount) : _pointers(iCount), _count(iCount) {
    for (long i = 0; i < _count; i++)
      _pointers[i] = nullptr;
  }
  ~ReadComponents() {
    for (long i = 0; i < _count; i++)
      delete _pointers[i];
  }
  ReadComponents(const ReadComponents&) = delete;
  ReadComponents& operator=(const ReadComponents&) = delete;
  T*& operator[](const long i) { return _pointers[i]; }
  T** Data() { return _pointers.Data(); }
  /// The composite now owns the functions.
  void Release() {
    for (long i = 0; i < _count; i++)
      _pointers[i] = nullptr;
  }

private:
  XelMathScratchPointers<T, InlineCount> _pointers;
  long _count;
};

/// One reading of a function tree: the recursive descent that mirrors the writers.
class TreeReader {
public:
  explicit TreeReader(XelMathStream& ioStream)
      : _stream(ioStream), _version(ioStream.GetVersionNumber()), _depth(0) {}

  /// A one-variable function; iTop: the root of the tree, where -1 is a null function and an
  /// unknown tag is reported and read as null. Inside a composite both raise.
  XelMathFunctionX* ReadX(bool iTop);
  XelMathFunctionXY* ReadXY(bool iTop);

private:
  /// Counts the nesting of one function for the lifetime of the scope.
  class Level {
  public:
    explicit Level(long& ioDepth) : _depth(ioDepth) {
      if (_depth >= XelMathFunctionGeneral::StreamMaxDepth)
        RaiseDamaged("with at most 64 nested functions", __LINE__);
      ++_depth;
    }
    ~Level() { --_depth; }
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

  private:
    long& _depth;
  };

  XelMathFunctionX* ComponentX() { return ReadX(false); }
  XelMathFunctionXY* ComponentXY() { return ReadXY(false); }
  long Count(const char* iLabel);
  void Counts(long& oFirst, long& oSecond);
  void CheckRoom(long iDoubles, long iArrays, long iFunctions) const;
  void CheckBorders(const double* iBorders, long iCount) const;
  void UnknownType(const char* iReader, short iTag, bool iTop) const;

  XelMathFunctionX* Polynom();
  XelMathFunctionX* Combination();
  XelMathFunctionX* Piecewise();
  XelMathFunctionX* CompositionXByXY();
  XelMathFunctionX* CompositionXByX();
  XelMathFunctionXY* PolynomXY();
  XelMathFunctionXY* PiecewiseXY();

  XelMathStream& _stream;
  XelQuorStreamVersion _version;
  long _depth;
};

long TreeReader::Count(const char* iLabel) {
  if (UnsignedCounts(_version)) {
    unsigned long count = 0;
    _stream.ReadULong(count, iLabel);
    if (count > MaxCount)
      RaiseDamaged("with a valid degree or count", __LINE__);
    return static_cast<long>(count);
  }
  long count = 0;
  _stream.ReadLong(count, iLabel);
  return count;
}

void TreeReader::Counts(long& oFirst, long& oSecond) {
  if (UnsignedCounts(_version)) {
    unsigned long counts[2] = {0, 0};
    _stream.ReadULong(counts, 2, "");
    if (counts[0] > MaxCount || counts[1] > MaxCount)
      RaiseDamaged("with a valid degree or count", __LINE__);
    oFirst = static_cast<long>(counts[0]);
    oSecond = static_cast<long>(counts[1]);
  } else {
    _stream.ReadLong(oFirst, "");
    _stream.ReadLong(oSecond, "");
  }
}

// The records still to read must fit in the bytes left: iDoubles doubles in iArrays array
// records, and iFunctions functions of at least a tag each. Unknown remaining bytes: the
// memory services' limit only.
void TreeReader::CheckRoom(const long iDoubles, const long iArrays, const long iFunctions) const {
  if (iDoubles < 0 || iFunctions < 0 || iDoubles > XelQuorMaxArrayDoubles ||
      iFunctions > XelQuorMaxArrayDoubles)
    RaiseDamaged("with a valid degree or count", __LINE__);
  const long remaining = _stream.GetRemainingBytes();
  if (remaining >= 0 && 8 * iDoubles + 4 * iArrays + 2 * iFunctions > remaining)
    RaiseDamaged("with a valid degree or count", __LINE__);
}

void TreeReader::CheckBorders(const double* iBorders, const long iCount) const {
  for (long i = 0; i + 1 < iCount; i++)
    if (!(iBorders[i] < iBorders[i + 1]))
      RaiseDamaged("with strictly increasing borders", __LINE__);
}

void TreeReader::UnknownType(const char* iReader, const short iTag, const bool iTop) const {
  XelQuorOutput::GetErr() << "<**  " << iReader << "::UnStream() ERROR on Unknown Type=" << iTag
                          << "\n";
  if (!iTop)
    RaiseDamaged("with a known type of function in a composite", __LINE__);
}

XelMathFunctionX* TreeReader::ReadX(const bool iTop) {
  Level level(_depth);
  short tag = 0;
  _stream.ReadShort(tag, "TypeOfFunctionX");
  switch (tag) {
  case XelMathStreamType::None:
    if (!iTop)
      RaiseDamaged("with a function for every component", __LINE__);
    return nullptr;
  case XelMathStreamType::Polynom:
    return Polynom();
  case XelMathStreamType::Trigonometric: {
    double p[4];
    _stream.ReadDouble(p, 4, "");
    return new XelMathTrigonometricX(p, XelGetDefaultTolerance());
  }
  case XelMathStreamType::Fraction: {
    std::unique_ptr<XelMathFunctionX> numerator(ComponentX());
    std::unique_ptr<XelMathFunctionX> denominator(ComponentX());
    XelMathFunctionX* fraction =
        new XelMathFractionXDel(numerator.get(), denominator.get(), XelGetDefaultTolerance());
    numerator.release();
    denominator.release();
    return fraction;
  }
  case XelMathStreamType::Combination:
    return Combination();
  case XelMathStreamType::Piecewise:
    return Piecewise();
  case XelMathStreamType::Quintic: {
    double c[6];
    _stream.ReadDouble(c, 6, "");
    double shift = 0.0;
    if (StoresQuinticShift(_version))
      _stream.ReadDouble(shift, "");
    return new XelMathQuinticX(c, shift);
  }
  case XelMathStreamType::ArctanCos: {
    double p[5];
    _stream.ReadDouble(p, 5, "");
    return new XelMathArctanCosX(p);
  }
  case XelMathStreamType::SingleMemory: {
    std::unique_ptr<XelMathFunctionX> function(ComponentX());
    // The caches are filled by evaluating the function at 0.
    XelMathFunctionX* memory = new XelMathSingleMemoryXDel(function.get(), 0.0);
    function.release();
    return memory;
  }
  case XelMathStreamType::CompositionXByXY:
    return CompositionXByXY();
  case XelMathStreamType::Cubic: {
    double c[4];
    _stream.ReadDouble(c, 4, "");
    return new XelMathCubicX(c);
  }
  case XelMathStreamType::CompositionXByX:
    return CompositionXByX();
  case XelMathStreamType::Linear: {
    double c[2];
    _stream.ReadDouble(c, 2, "");
    return new XelMathLinearX(c);
  }
  default:
    UnknownType("XelMathFunctionX", tag, iTop);
    return nullptr;
  }
}

XelMathFunctionX* TreeReader::Polynom() {
  const long degree = Count("Degree");
  // A degree of -1 (the null polynomial) can only have been written signed.
  if (degree < -1)
    RaiseDamaged("with a valid degree or count", __LINE__);
  const long count = degree + 1;
  CheckRoom(count, 1, 0);
  XelMathScratchDoubles<32> c(count > 0 ? count : 1);
  _stream.ReadDouble(c.Data(), count, "Coefficients");
  double shift = 0.0;
  if (StoresShifts(_version))
    _stream.ReadDouble(shift, "Shift");
  return new XelMathPolynomX(degree, c.Data(), shift);
}

XelMathFunctionX* TreeReader::Combination() {
  const long n = Count("NumberOfFunctions");
  if (n < 0)
    RaiseDamaged("with a valid degree or count", __LINE__);
  CheckRoom(n + 1, 1, n);
  XelMathScratchDoubles<32> c(n + 1);
  _stream.ReadDouble(c.Data(), n + 1, "Coefficients");
  ReadComponents<XelMathFunctionX, 16> functions(n);
  for (long i = 0; i < n; i++)
    functions[i] = ComponentX();
  // The last coefficient read is the constant.
  XelMathFunctionX* combination = new XelMathCombinationXDel(n, functions.Data(), c.Data(), c[n]);
  functions.Release();
  return combination;
}

XelMathFunctionX* TreeReader::Piecewise() {
  const long n = Count("NumberOfPieces");
  if (n < 1)
    RaiseDamaged("with a valid degree or count", __LINE__);
  CheckRoom(n + 1, 1, n);
  XelMathScratchDoubles<16> borders(n + 1);
  _stream.ReadDouble(borders.Data(), n + 1, "Borders");
  CheckBorders(borders.Data(), n + 1);
  ReadComponents<XelMathFunctionX, 16> functions(n);
  for (long i = 0; i < n; i++)
    functions[i] = ComponentX();
  XelMathFunctionX* piecewise = new XelMathPiecewiseXDel(n, borders.Data(), functions.Data());
  functions.Release();
  return piecewise;
}

XelMathFunctionX* TreeReader::CompositionXByXY() {
  std::unique_ptr<XelMathFunctionXY> function(ComponentXY());
  std::unique_ptr<XelMathFunctionX> u(ComponentX());
  std::unique_ptr<XelMathFunctionX> v(ComponentX());
  // The two-variable function's own composition, which may be a closed form; the result
  // owns copies of everything it uses.
  std::unique_ptr<XelMathFunctionX> composition(function->CreateCompositionX(u.get(), v.get()));
  if (!composition) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  return composition->DeepDuplicate();
}

XelMathFunctionX* TreeReader::CompositionXByX() {
  std::unique_ptr<XelMathFunctionX> outer(ComponentX());
  std::unique_ptr<XelMathFunctionX> inner(ComponentX());
  std::unique_ptr<XelMathFunctionX> composition(
      XelMathFunctionX::CreateCompositionX(outer.get(), inner.get()));
  if (!composition) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  return composition->DeepDuplicate();
}

XelMathFunctionXY* TreeReader::ReadXY(const bool iTop) {
  Level level(_depth);
  short tag = 0;
  _stream.ReadShort(tag, "TypeOfFunctionXY");
  switch (tag) {
  case XelMathStreamType::None:
    if (!iTop)
      RaiseDamaged("with a function for every component", __LINE__);
    return nullptr;
  case XelMathStreamType::PolynomXY:
    return PolynomXY();
  case XelMathStreamType::PiecewiseXY:
    return PiecewiseXY();
  case XelMathStreamType::SumXYs: {
    std::unique_ptr<XelMathFunctionX> u(ComponentX());
    std::unique_ptr<XelMathFunctionX> v(ComponentX());
    XelMathFunctionXY* sum = new XelMathSumXYsDel(u.get(), v.get());
    u.release();
    v.release();
    return sum;
  }
  default:
    UnknownType("XelMathFunctionXY", tag, iTop);
    return nullptr;
  }
}

XelMathFunctionXY* TreeReader::PolynomXY() {
  long degreeX = 0, degreeY = 0;
  Counts(degreeX, degreeY);
  if (degreeX < 0 || degreeY < 0 || degreeX >= static_cast<long>(MaxCount) ||
      degreeY >= static_cast<long>(MaxCount))
    RaiseDamaged("with a valid degree or count", __LINE__);
  // Both factors are below 2^31: the product is formed in 64 bits.
  const long long product = static_cast<long long>(degreeX + 1) * (degreeY + 1);
  if (product > XelQuorMaxArrayDoubles)
    RaiseDamaged("with a valid degree or count", __LINE__);
  const long count = static_cast<long>(product);
  CheckRoom(count, 1, 0);
  XelMathScratchDoubles<48> c(count);
  _stream.ReadDouble(c.Data(), count, "Coefficients");
  double shiftX = 0.0, shiftY = 0.0;
  if (StoresShifts(_version)) {
    _stream.ReadDouble(shiftX, "ShiftX");
    _stream.ReadDouble(shiftY, "ShiftY");
  }
  const double* flat = c.Data();
  return new XelMathPolynomXY(degreeX, degreeY, flat, shiftX, shiftY);
}

XelMathFunctionXY* TreeReader::PiecewiseXY() {
  long nX = 0, nY = 0;
  Counts(nX, nY);
  if (nX < 1 || nY < 1 || nX >= static_cast<long>(MaxCount) || nY >= static_cast<long>(MaxCount))
    RaiseDamaged("with a valid degree or count", __LINE__);
  const long long patches = static_cast<long long>(nX) * nY;
  if (patches > XelQuorMaxArrayDoubles)
    RaiseDamaged("with a valid degree or count", __LINE__);
  const long n = static_cast<long>(patches);
  CheckRoom(nX + 1 + nY + 1, 2, n);
  XelMathScratchDoubles<16> bordersX(nX + 1);
  XelMathScratchDoubles<16> bordersY(nY + 1);
  _stream.ReadDouble(bordersX.Data(), nX + 1, "BordersX");
  _stream.ReadDouble(bordersY.Data(), nY + 1, "BordersY");
  CheckBorders(bordersX.Data(), nX + 1);
  CheckBorders(bordersY.Data(), nY + 1);
  ReadComponents<XelMathFunctionXY, 36> functions(n);
  for (long k = 0; k < n; k++)
    functions[k] = ComponentXY();
  XelMathFunctionXY* piecewise = new XelMathPiecewiseXYDel(
      nX, bordersX.Data(), nY, bordersY.Data(), functions.Data(), nullptr, nullptr);
  functions.Release();
  return piecewise;
}

} // namespace

// ==== entry points =======================================================================

void XelMathFunctionGeneral::Stream(XelMathStream& ioStream, const XelMathFunctionGeneral* iF,
                                    const char*) {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathFunctionGeneral");
  if (!iF) {
    ioStream.WriteShort(XelMathStreamType::None, "TypeOfFunction");
    return;
  }
  iF->Stream(ioStream, "");
}

void XelMathFunctionGeneral::UnStream(XelMathStream& ioStream, XelMathFunctionX*& oF,
                                      const char*) {
  oF = nullptr;
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathFunctionGeneral");
  TreeReader reader(ioStream);
  oF = reader.ReadX(true);
}

void XelMathFunctionGeneral::UnStream(XelMathStream& ioStream, XelMathFunctionXY*& oF,
                                      const char*) {
  oF = nullptr;
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathFunctionGeneral");
  TreeReader reader(ioStream);
  oF = reader.ReadXY(true);
}

// ==== stream types =======================================================================

XelMathDefineStreamable(XelMathPolynomX);
XelMathDefineStreamable(XelMathCombinationX);
XelMathDefineStreamable(XelMathSingleMemoryX);
XelMathDefineStreamable(XelMathCompositionXByX);
XelMathDefineStreamable(XelMathCompositionXByXY);
XelMathDefineStreamable(XelMathPolynomXY);
XelMathDefineStreamable(XelMathPiecewiseXY);
XelMathDefineStreamable(XelMathSumXYs);

short XelMathPolynomX::GetStreamType() const {
  return XelMathStreamType::Polynom;
}
short XelMathQuinticX::GetStreamType() const {
  return XelMathStreamType::Quintic;
}
short XelMathCubicX::GetStreamType() const {
  return XelMathStreamType::Cubic;
}
short XelMathLinearX::GetStreamType() const {
  return XelMathStreamType::Linear;
}
short XelMathCombinationX::GetStreamType() const {
  return XelMathStreamType::Combination;
}
short XelMathPiecewiseX::GetStreamType() const {
  return XelMathStreamType::Piecewise;
}
short XelMathSingleMemoryX::GetStreamType() const {
  return XelMathStreamType::SingleMemory;
}
short XelMathCompositionXByXY::GetStreamType() const {
  return XelMathStreamType::CompositionXByXY;
}
short XelMathCompositionXByX::GetStreamType() const {
  return XelMathStreamType::CompositionXByX;
}
short XelMathPolynomXY::GetStreamType() const {
  return XelMathStreamType::PolynomXY;
}
short XelMathPiecewiseXY::GetStreamType() const {
  return XelMathStreamType::PiecewiseXY;
}
short XelMathSumXYs::GetStreamType() const {
  return XelMathStreamType::SumXYs;
}

// ==== writers ============================================================================

void XelMathPolynomX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathPolynomX");
  record.Tag(XelMathStreamType::Polynom);
  if (StoresShifts(record.Version())) {
    if (!record.Count(_degree, "Degree"))
      return;
    record.Doubles(_coefficients, _degree + 1, "Coefficients", true);
    record.Double(_shift, "Shift");
    return;
  }
  XelMathPolynomX copy(*this);
  copy.CancelShift();
  ioStream.WriteLong(copy._degree, record.Label("Degree"));
  record.Doubles(copy._coefficients, copy._degree + 1, "Coefficients", false);
}

void XelMathQuinticX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathQuinticX");
  record.Tag(XelMathStreamType::Quintic);
  if (StoresQuinticShift(record.Version())) {
    record.Doubles(_coefficients, 6, "Coefficients", true);
    record.Double(_shift, "Shift");
    return;
  }
  XelMathQuinticX copy(*this);
  copy.CancelShift();
  record.Doubles(copy._coefficients, 6, "Coefficients", false);
}

void XelMathCubicX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathCubicX");
  record.Tag(XelMathStreamType::Cubic);
  record.Doubles(_coefficients, 4, "Coefficients", false);
}

void XelMathLinearX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathLinearX");
  record.Tag(XelMathStreamType::Linear);
  record.Doubles(_coefficients, 2, "Coefficients", false);
}

void XelMathTrigonometricX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathTrigonometricX");
  record.Tag(XelMathStreamType::Trigonometric);
  const double p[4] = {_amplitude, _phase, _pulsation, _constant};
  record.Doubles(p, 4, "AmplitudePhasePulsationConstant", false);
}

void XelMathArctanCosX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathArctanCosX");
  record.Tag(XelMathStreamType::ArctanCos);
  double p[5];
  GetParameters(p);
  record.Doubles(p, 5, "ABOmegaPhiC", false);
}

void XelMathFractionX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathFractionX");
  record.Tag(XelMathStreamType::Fraction);
  record.Components(_numerator, _denominator);
}

void XelMathCombinationX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathCombinationX");
  record.Tag(XelMathStreamType::Combination);
  record.CountedComponents(_n, "NumberOfFunctions", _coefficients, "Coefficients", _functions);
}

void XelMathPiecewiseX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathPiecewiseX");
  record.Tag(XelMathStreamType::Piecewise);
  record.CountedComponents(_nbPieces, "NumberOfPieces", _borders, "Borders", _functions);
}

void XelMathSingleMemoryX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathSingleMemoryX");
  record.Tag(XelMathStreamType::SingleMemory);
  record.Component(_function);
}

void XelMathCompositionXByXY::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathCompositionXByXY");
  record.Tag(XelMathStreamType::CompositionXByXY);
  record.Components(_function, _u, _v);
}

void XelMathCompositionXByX::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathCompositionXByX");
  record.Tag(XelMathStreamType::CompositionXByX);
  record.Components(_outer, _inner);
}

void XelMathPolynomXY::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathPolynomXY");
  record.Tag(XelMathStreamType::PolynomXY);
  const long count = (static_cast<long>(_degreeX) + 1) * (static_cast<long>(_degreeY) + 1);
  if (StoresShifts(record.Version())) {
    if (!record.Counts(_degreeX, _degreeY, "Degrees"))
      return;
    record.Doubles(_coefficients, count, "Coefficients", true);
    record.Double(_shiftX, "ShiftX");
    record.Double(_shiftY, "ShiftY");
    return;
  }
  XelMathPolynomXY copy(*this);
  copy.CancelShifts();
  ioStream.WriteLong(copy._degreeX, record.Label("DegreeX"));
  ioStream.WriteLong(copy._degreeY, record.Label("DegreeY"));
  record.Doubles(copy._coefficients, count, "Coefficients", false);
}

void XelMathPiecewiseXY::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathPiecewiseXY");
  record.Tag(XelMathStreamType::PiecewiseXY);
  long nX = 0, nY = 0;
  const double *bordersX = nullptr, *bordersY = nullptr, *startsX = nullptr, *startsY = nullptr;
  const XelMathFunctionXY* const* functions = nullptr;
  GetInternalData(nX, nY, bordersX, bordersY, startsX, startsY, functions);
  if (!record.Counts(nX, nY, "NumberOfPieces"))
    return;
  if (!bordersX || !bordersY || (nX > 0 && nY > 0 && !functions)) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  record.Doubles(bordersX, nX + 1, "BordersX", true);
  record.Doubles(bordersY, nY + 1, "BordersY", true);
  for (long k = 0; k < nX * nY; k++)
    if (!record.Component(functions[k]))
      return;
}

void XelMathSumXYs::Stream(XelMathStream& ioStream, const char*) const {
  if (!Writable(ioStream))
    return;
  Record record(ioStream, "XelMathSumXYs");
  record.Tag(XelMathStreamType::SumXYs);
  record.Components(_u, _v);
}
