#pragma once
// Root of every function object of the library. It holds no data; it names the class
// (IsA, IsAKindOf), tells which evaluations are exact (IsOption with the evaluation bits
// 1, 2, 4, 8 at a point and 16, 32, 64, 128 over an interval), lists the functions it is
// built from (GetDirectComponents) and streams itself.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorStreamVersion.h"
#include "XelQuorVirtual.h"

class XelMathFunctionX;
class XelMathFunctionXY;
class XelMathStream;

class XELADVANCEDMATHEMATICS_EXPORT XelMathFunctionGeneral : public XelQuorVirtual {
public:
  ~XelMathFunctionGeneral() override;

  /// The class name, for example "XelMathPolynomX".
  virtual const char* IsA() const = 0;
  /// True if iName is the name of this class or of one of its bases. A null name is
  /// reported and answered false.
  virtual unsigned char IsAKindOf(const char* iName) const;
  /// Whether every evaluation named by the bits of iOption is computed exactly.
  virtual unsigned char IsOption(const long iOption) const;
  virtual long GetNumberOfVariables() const = 0;
  /// Number of functions this one is built from; fills up to iSize pointers into
  /// oComponents. -1 at the root (no component list), 0 for leaf classes.
  virtual int GetDirectComponents(const int iSize, const XelMathFunctionGeneral** oComponents) const;
  /// The 16-bit type tag of the stream format; raises 0x20009 when not streamable.
  virtual short GetStreamType() const;
  /// Writes the function to the stream (nothing when the stream has no implementation).
  virtual void Stream(XelMathStream& ioStream, const char* iLabel) const;
  /// Whether this object alone can be written at version iVersion; oFlag tells whether it
  /// can be written without loss.
  virtual unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                                      unsigned char& oFlag) const;

  /// Whether the whole tree (this object and every component) can be streamed.
  unsigned char IsStreamable(const XelQuorStreamVersion iVersion, unsigned char& oFlag) const;

  /// Writes iF (the short -1 labelled "TypeOfFunction" when iF is null) in a comment section
  /// "XelMathFunctionGeneral" of the dump. Components follow their composite in pre-order.
  static void Stream(XelMathStream& ioStream, const XelMathFunctionGeneral* iF,
                     const char* iLabel);
  /// Reads a one-variable function tree written by Stream into oF (null for the stored -1,
  /// or for an unknown type, which is reported on the error output). The tree is built from
  /// owning variants and deep copies: deleting oF deletes it all. Damaged data (an impossible
  /// count, a truncated record, an unknown type or a null inside a composite, more than
  /// StreamMaxDepth nested functions) raises 0x20009 and leaves nothing allocated.
  static void UnStream(XelMathStream& ioStream, XelMathFunctionX*& oF, const char* iLabel);
  /// The same for a two-variable function tree.
  static void UnStream(XelMathStream& ioStream, XelMathFunctionXY*& oF, const char* iLabel);
  /// Deepest nesting of functions that the readers accept.
  static constexpr long StreamMaxDepth = 64;

protected:
  /// Compares iName with iOwnName (same pointer, or equal text).
  static bool SameName(const char* iName, const char* iOwnName);
};
