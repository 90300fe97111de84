#pragma once
// The class-identity members of the function classes, written once (internal, never
// installed). In a class's source file, at namespace scope:
//
//   XelMathDefineIdentity(XelMathProdX, XelMathFunctionX);            // IsA, IsAKindOf
//   XelMathDefineTypeId(XelMathCubicX, XelMathPolynomX, XelMathTypeId::Cubic); // IsATypeOf
//   XelMathDefineStreamable(XelMathFractionX);                       // _IsStreamable
//   XelMathDefineOwningVariant(XelMathProdXDel, XelMathProdX);      // identity, Duplicate
//   XelMathDefineNoComponents(XelMathPolynomX);                      // GetDirectComponents
//
// IsA answers the class name; IsAKindOf answers 1 for the class's own name and asks the base
// class otherwise (XelMathFunctionGeneral reports a null name); IsATypeOf answers 1 for the
// class's type identifier and asks the base class otherwise.
#include "XelMathFunctionGeneral.h"
#include "XelMathFunctionX.h"
#include "XelMathFunctionXY.h"
#include "XelMathInternalConstants.h"

// Each macro ends with a declaration so that its use takes a semicolon.
#define XelMathDefineIsA(Class)                                                                    \
  const char* Class::IsA() const {                                                                 \
    return #Class;                                                                                 \
  }                                                                                                \
  static_assert(true, #Class)

#define XelMathDefineIsAKindOf(Class, Base)                                                        \
  unsigned char Class::IsAKindOf(const char* iName) const {                                        \
    if (iName && SameName(iName, #Class))                                                          \
      return 1;                                                                                    \
    return Base::IsAKindOf(iName);                                                                 \
  }                                                                                                \
  static_assert(true, #Class)

#define XelMathDefineIdentity(Class, Base)                                                         \
  XelMathDefineIsA(Class);                                                                         \
  XelMathDefineIsAKindOf(Class, Base)

/// The members of an owning variant ClassDel of Class (a class ending in Del owns its
/// components): identity, and Duplicate as a deep copy.
#define XelMathDefineOwningVariant(ClassDel, Class)                                                \
  XelMathDefineIdentity(ClassDel, Class);                                                          \
  XelMathFunctionX* ClassDel::Duplicate() const {                                                  \
    return DeepDuplicate();                                                                        \
  }                                                                                                \
  static_assert(true, #ClassDel)

/// The same for a two-variable class.
#define XelMathDefineOwningVariantXY(ClassDel, Class)                                              \
  XelMathDefineIdentity(ClassDel, Class);                                                          \
  XelMathFunctionXY* ClassDel::Duplicate() const {                                                 \
    return DeepDuplicate();                                                                        \
  }                                                                                                \
  static_assert(true, #ClassDel)

/// GetDirectComponents of a class built on no other function.
#define XelMathDefineNoComponents(Class)                                                           \
  int Class::GetDirectComponents(const int, const XelMathFunctionGeneral**) const {                \
    return 0;                                                                                      \
  }                                                                                                \
  static_assert(true, #Class)

/// _IsStreamable of a class whose objects can always be streamed.
#define XelMathDefineStreamable(Class)                                                             \
  unsigned char Class::_IsStreamable(const XelQuorStreamVersion, unsigned char& oFlag) const {     \
    oFlag = 1;                                                                                     \
    return 1;                                                                                      \
  }                                                                                                \
  static_assert(true, #Class)

#define XelMathDefineTypeId(Class, Base, TypeId)                                                   \
  unsigned char Class::IsATypeOf(const long iType) const {                                         \
    return (iType == (TypeId) || Base::IsATypeOf(iType)) ? 1 : 0;                                  \
  }                                                                                                \
  static_assert(true, #Class)
