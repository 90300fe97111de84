#pragma once
// Root of every function object of the library. It holds no data; it names the class
// (IsA, IsAKindOf), tells which evaluations are exact (IsOption with the evaluation bits
// 1, 2, 4, 8 at a point and 16, 32, 64, 128 over an interval), lists the functions it is
// built from (GetDirectComponents) and streams itself.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorStreamVersion.h"
#include "XelQuorVirtual.h"

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

protected:
  /// Compares iName with iOwnName (same pointer, or equal text).
  static bool SameName(const char* iName, const char* iOwnName);
};
