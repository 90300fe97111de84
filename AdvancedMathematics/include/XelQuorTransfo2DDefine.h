#pragma once
// Definition of a plane transformation: an object that knows how to build one. The modelling
// operations keep definitions and build the transformation (with the tolerance of the
// moment) when they need to evaluate or invert it.
#include "XelAdvancedMathematicsExport.h"

class XelQuorTransfo2D;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelQuorTransfo2DDefine {
public:
  virtual ~XelQuorTransfo2DDefine();
  /// The class name.
  virtual const char* IsA() const = 0;
  /// A new plane transformation with its inversion system on iTol; the caller deletes it.
  virtual XelQuorTransfo2D* CreateTransfo2D(const XelTolerance& iTol) const = 0;
};
