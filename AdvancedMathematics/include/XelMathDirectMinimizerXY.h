#pragma once
// Global minimizer of a function of two variables over a rectangle, without a sampling grid.
//
// Two global methods, chosen by what the function offers:
//  - With interval images of its value and first derivatives (IsOption(48)), an interval
//    branch and bound. A work list of boxes is ordered by the lower bound of their images
//    (the function's image, sharpened by the centred form f(c) + [fx] (x - cx) + [fy] (y - cy)).
//    A box is dropped when its lower bound is above the best value known (with a slack of
//    rounding and tolerance); a box on which fx (or fy) has one sign holds a minimum only on
//    the side of the rectangle where the function decreases, so it shrinks to that face when
//    it lies on it and is dropped otherwise; on a face, a derivative pushing into the
//    rectangle drops it. The other boxes are halved across their widest side (relative to
//    the rectangle) until they are narrower than a ten-thousandth of it, or until the budget
//    of boxes is spent. The best value comes from the box centres and from descents.
//  - Otherwise a DIRECT search (dividing rectangles): the rectangle, in unit coordinates, is
//    divided into thirds across its longest sides; at each iteration the rectangles picked
//    are those on the lower right convex hull of (half-diagonal, value at the centre) that
//    can still improve the best value by 1e-4 of its size plus a hundredth of the spread of
//    the values. A budget of 4000 evaluations bounds it.
// Either way, the regions left (touching leaf boxes, or rectangles whose centre is not above
// any touching rectangle's) are polished by MinimizeNewton inside the rectangle (a projected
// Newton descent that stops on the edges and corners); where it does not converge, or stops
// on a slope (a kink), a pattern search whose frame turns with the progress takes over. The
// centres of the first partition that no neighbour is below start descents too (only the
// best one in absolute mode), and so do the eight lowest of DIRECT's other rectangles (a
// forking valley leads the descents from its fork along one branch only). The end of a
// descent is then probed by the values around it (eight directions and the flattest one of
// the Hessian, at 1e-6, 1e-4 and 1e-2 of the rectangle): from a lower point the descent goes
// on, and an end that reaches no minimum within 32 such rounds is not reported. Two minima
// are one when |du| + |dv| <= R (root resolution of the tolerance) or when no ridge rises
// between them (no point of the segment that joins them is above both). Every minimum whose
// value is that of the best one (within the relative epsilon) is reported, once each, and,
// unless "AbsoluteExtremum" is given, every other minimum the descents met; values that are
// not numbers count as +infinity.
//
// Options (keys of XelMathAttrKeys.h):
//  - "AbsoluteExtremum" (presence): only the best minimum;
//  - "InteriorExtremum" (presence): no minimum on the boundary of the rectangle (the search
//    looks for the interior minima, the best of them first);
//  - "LimitValue" (XelMathAttrDoubleValue): no minimum above the value;
//  - "TolForCst" (XelMathAttrDoubleValue): the function is constant when every value it took
//    lies in a range this wide (default C^2 S^2, the square of the length resolution of the
//    tolerance, plus the relative epsilon times the largest value);
//  - "SamplingPointsX", "SamplingPointsY" (XelMathAttrIntegerValue, 1 to 1024): the first
//    partition of the rectangle (boxes of the branch and bound, default 16 x 16; DIRECT
//    rounds it up to a power of 3, at most 729, default 1 x 1); other values raise
//    XelMathInputError 0x20004.
//
// Status: 0 done (the set may be empty: no minimum admitted by the options, or no value that
// is a number), 2 the function is constant on the rectangle (its centre is reported, unless
// above "LimitValue"), 4 refused input (an empty rectangle, one with a bound that is not
// finite or one whose width overflows). A result set of a dimension other than 2 raises
// XelMathInputError 0x20006.
//
// Ownership: the function, the tolerance, the rectangle, the set and the list are the
// caller's; nothing is kept after Minimize.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathFunctionXY;
class XelMathInterval2D;
class XelMathSetOfPointsND;
class XelMathAttrList;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathDirectMinimizerXY : public XelQuorVirtual {
public:
  /// A minimizer of iFunction under iTol (neither is copied nor owned).
  XelMathDirectMinimizerXY(const XelMathFunctionXY* iFunction, const XelTolerance& iTol);
  XelMathDirectMinimizerXY(const XelMathDirectMinimizerXY&) = delete;
  XelMathDirectMinimizerXY& operator=(const XelMathDirectMinimizerXY&) = delete;
  ~XelMathDirectMinimizerXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// The minima of the function over iDomain into ioMinima (reset first), by increasing
  /// value. Status 0, 2 or 4 (see the file comment).
  int Minimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
               const XelMathAttrList* iAttributes);
  /// The tolerance-like options are already expressed in the scaled units of the function.
  void SetOKScaleReviewed();

  /// Tolerance-like options ("LimitValue", "TolForCst") given without the reviewed flag while
  /// the model is scaled and the minimizer not marked reviewed, over every Minimize.
  long GetUnreviewedCount() const { return _unreviewed; }

private:
  const XelMathFunctionXY* _function;
  const XelTolerance* _tolerance;
  long _unreviewed;
  unsigned char _scaleReviewed;
};
