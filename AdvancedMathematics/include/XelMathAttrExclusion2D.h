#pragma once
// Option "XelMathAttrExclusion2D" (exclusive): rectangles of the parameter plane that a
// two-variable system solver skips. The rectangles are copied and owned.
//
// Includes tells whether a box of the search lies inside one rectangle, and otherwise
// trims its V interval by the rectangles that cover its whole U interval and overlap one
// of its V ends, so that the solver searches only what is left.
#include "XelMathAttribute.h"

class XelMathInterval2D;

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrExclusion2D : public XelMathAttribute {
public:
  /// No rectangle.
  XelMathAttrExclusion2D();
  /// One rectangle (copied).
  explicit XelMathAttrExclusion2D(const XelMathInterval2D& iRectangle);
  XelMathAttrExclusion2D(const XelMathAttrExclusion2D& iOther);
  XelMathAttrExclusion2D& operator=(const XelMathAttrExclusion2D& iOther);
  ~XelMathAttrExclusion2D() override;

  /// "XelMathAttrExclusion2D".
  const char* GetType() const override;
  /// True.
  unsigned char IsExclusive() const override;

  /// Appends a copy of iRectangle.
  void AddInterval(const XelMathInterval2D& iRectangle);
  long GetNumberOfIntervals() const { return _count; }
  /// The iIndex-th rectangle (0-based, in the order added); null outside [0, count).
  const XelMathInterval2D* GetInterval(long iIndex) const;

  /// 1 when a rectangle contains ioBox (U and V intervals both included). Otherwise walks
  /// the rectangles in order: one whose U interval contains the box's U interval trims the
  /// box's V interval (a rectangle reaching the high V end moves it down to the rectangle's
  /// low V end; else one reaching the low V end moves it up to the rectangle's high V end);
  /// the trimmed box is written back and the call returns 0.
  int Includes(XelMathInterval2D& ioBox) const;

private:
  long _count;
  XelMathInterval2D* _rectangles;
};
