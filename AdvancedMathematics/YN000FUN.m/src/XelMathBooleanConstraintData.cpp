#include "XelMathBooleanConstraintData.h"

#include <cstring>

#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorMemory.h"

namespace {
long CheckedCount(const long iCount) {
  if (iCount < 0 || iCount > XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathBooleanConstraintData",
                 "Dimension not valid",
                 "XelMathBooleanConstraintData::XelMathBooleanConstraintData");
  return iCount;
}
} // namespace

XelMathBooleanConstraintData::XelMathBooleanConstraintData(const long iRelationNb,
                                                           const long* iPlaces)
    : _relationNb(CheckedCount(iRelationNb)), _places(nullptr) {
  if (_relationNb > 0) {
    _places = static_cast<long*>(xelquornew(sizeof(long) * _relationNb));
    if (iPlaces)
      std::memcpy(_places, iPlaces, sizeof(long) * _relationNb);
    else
      std::memset(_places, 0, sizeof(long) * _relationNb);
  }
}

XelMathBooleanConstraintData::~XelMathBooleanConstraintData() {
  if (_places)
    xelquordel(_places, sizeof(long) * _relationNb);
}

long XelMathBooleanConstraintData::GetDynamicMemoryBytes() const {
  return static_cast<long>(sizeof(long)) * _relationNb;
}

long XelMathBooleanConstraintData::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathBooleanConstraintData));
}

long XelMathBooleanConstraintData::GetExtVarPlace(const long i) const {
  if (i < 0 || i >= _relationNb)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the relation of the constraint",
                 "XelMathBooleanConstraintData::GetExtVarPlace");
  return _places[i];
}
