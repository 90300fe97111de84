#pragma once
// The intersection of two planar curves C1(x) = (a(x), b(x)) and C2(y) = (c(y), d(y)): the
// two-variable system F = a(x) - c(y), G = b(x) - d(y), whose equations separate into four
// functions of one variable (not owned; they must outlive the system).
//
// Separation makes exact images cheap: the image of F over a box X x Y is a(X) - c(Y), that
// of its derivatives a'(X) and -c'(Y). Solve therefore replaces the sampling search of
// XelMathSystemXY by a recursive interval subdivision (ISolve, RSolve):
//  - boxes inside one of the rectangles of an "XelMathAttrExclusion2D" are skipped (a box
//    straddling a rectangle is trimmed, and no solution inside a rectangle is kept);
//  - a component whose derivative keeps one sign on its side (the derivative image is kept
//    from the parent box) has the pair of its end values as image, otherwise its guaranteed
//    interval image is taken; a box where F or G stays farther from 0 than the parametric
//    resolution is dropped;
//  - the interval Newton (Krawczyk) operator either proves a unique solution in the box,
//    reached by Newton's method and added with AddRoot, or shrinks or drops the box; a box
//    left undecided is bisected across its relatively wider side;
//  - a box narrower than the minimal widths, max(XelMinWidth x domain width, bisection
//    resolution x absolute resolution) in each direction, is searched by the cell scan of
//    XelMathSystemXY on a 2 x 2 grid (Solve_MaxDepth), which settles tangential solutions,
//    solutions on the box edges and whole arcs of common points.
// When a scale option applies, ISolve is the sampling search of XelMathSystemXY (the
// components' images then feed its cell scan), and so it is when the behaviour switch
// _XelQuorOldMathSystemXYs is set.
//
// Statuses of Solve: 0 done, 4 empty domain, 10 stopped early: more than 100 solutions, or
// the two curves share a whole arc (a point of the arc is returned alone), or the work
// budget ran out (the solutions found are all returned).
//
// Work is bounded whatever the components do (NaN on part of the domain included): the
// recursion depth, the number of boxes examined (20000) and the number of images found by
// sampling components that have no interval images (4000) are capped.
#include "XelMathSystemXY.h"

class XelMathFunctionX;
class XelMathAttrExclusion2D;

class XELADVANCEDMATHEMATICS_EXPORT XelMathSystemXYs : public XelMathSystemXY {
public:
  /// The curves (a, b) of x and (c, d) of y. A null component is reported through
  /// XelQuornull and evaluates to NaN. From iAttributes: "XelMathAttrExclusion2D" (copied)
  /// and, with a scaled tolerance, "XelMathAttrScaleOption".
  XelMathSystemXYs(const XelMathFunctionX* a, const XelMathFunctionX* b, const XelMathFunctionX* c,
                   const XelMathFunctionX* d, const XelTolerance& iTol,
                   const XelMathAttrList* iAttributes = nullptr);
  ~XelMathSystemXYs() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  unsigned char IsAKindOf(const char* iName) const override;
  /// Point bits: every component computes them exactly. Image bits 16 and 32: always, the
  /// images of F, G and their derivatives being formed from the components.
  unsigned char IsOption(const long iOption) const override;
  const char* IsA() const override;

  using XelMathSystemXY::EvalF;
  using XelMathSystemXY::EvalG;
  double EvalF(const double& x, const double& y) const override;
  double EvalG(const double& x, const double& y) const override;
  double EvalFirstDerivFX(const double& x, const double& y) const override;
  double EvalFirstDerivFY(const double& x, const double& y) const override;
  double EvalFirstDerivGX(const double& x, const double& y) const override;
  double EvalFirstDerivGY(const double& x, const double& y) const override;
  double EvalSecondDerivFX2(const double& x, const double& y) const override;
  /// 0: the equations separate.
  double EvalSecondDerivFXY(const double& x, const double& y) const override;
  double EvalSecondDerivFY2(const double& x, const double& y) const override;
  double EvalSecondDerivGX2(const double& x, const double& y) const override;
  double EvalSecondDerivGXY(const double& x, const double& y) const override;
  double EvalSecondDerivGY2(const double& x, const double& y) const override;
  void EvalF(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
             double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;
  void EvalG(const double& x, const double& y, const long iDiff, double* oG, double* oGx,
             double* oGy, double* oGxx, double* oGxy, double* oGyy) const override;
  /// Grids: each component sampled once on its side, the nodes formed from the samples.
  void EvalF(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff, double* oF,
             double* oFx, double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;
  void EvalG(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff, double* oG,
             double* oGx, double* oGy, double* oGxx, double* oGxy, double* oGyy) const override;

  /// The solve of XelMathSystemXY; the derivative functions of the components that have no
  /// derivative images are built for the call.
  int Solve(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oSolutions,
            const XelMathAttrList* iAttributes = nullptr) override;
  /// The interval search of the domain (unscaled), else the sampling search. 0 or -1.
  int ISolve(const XelMathInterval2D& iDomain, const XelMathAttrList* iAttributes) override;
  /// AddSolution of XelMathSystemXY, refusing points inside an exclusion rectangle (0).
  int AddSolution(const double x, const double y) override;
  /// Records the scale option, then the scaling of XelMathSystemXY.
  void SetScaleOption(const XelMathAttrScaleOption& iOption) override;
  /// Images of F or G and of their derivatives over iX x iY, formed from the components.
  int EvalImages(const int iWhich, const XelMathInterval& iX, const XelMathInterval& iY,
                 XelMathInterval& oV, XelMathInterval& oVx, XelMathInterval& oVy) const override;

  // ---- the interval search ----
  /// The point clamped into the domain of the search (not clamped outside a search), then
  /// AddSolution: 1, or -1 when the solution limit is reached.
  virtual int AddRoot(const double* iPoint);
  /// A box that is not split further: DSolve(box, 2, 2). 0 or -1.
  virtual int Solve_MaxDepth(const XelMathInterval2D& iBox);
  /// Newton's method from ioPoint (at most XelMaxNewtonIteration steps): 1 converged, the
  /// point updated; 0 otherwise.
  virtual int Solve_Newton(double* ioPoint);
  /// The safeguarded Newton iteration of XelMathSystemXY kept inside iBox: 1 converged.
  virtual int Solve_SafeNewton(double* ioPoint, const XelMathInterval2D& iBox);
  /// The Krawczyk operator iterated on ioBox: 0 no solution in the box, 1 a unique solution
  /// proved (ioBox encloses it), 2 the box shrunk, 3 undecided.
  virtual int Solve_IntervalNewton(XelMathInterval2D& ioBox);

  const XelMathFunctionX* GetA() const { return _a; }
  const XelMathFunctionX* GetB() const { return _b; }
  const XelMathFunctionX* GetC() const { return _c; }
  const XelMathFunctionX* GetD() const { return _d; }

protected:
  /// Images (over a side) kept for a box: value and derivative of the four components, in
  /// the order a, b (over X), c, d (over Y).
  struct Images {
    XelMathInterval value[4];
    XelMathInterval deriv[4];
    int undefined;
  };
  /// The search of one box, the derivative images of its parent in iParentDerivs. 0 or -1.
  int RSolve(const XelMathInterval& iX, const XelMathInterval& iY,
             const XelMathInterval* iParentDerivs);

private:
  const XelMathFunctionX* Component(const int k) const;
  /// The derivative image of component k over iI (whole line when unknown).
  XelMathInterval DerivativeImage(const int k, const XelMathInterval& iI) const;
  /// The value and derivative images of the four components over iX x iY.
  void ComputeImages(const XelMathInterval& iX, const XelMathInterval& iY,
                     const XelMathInterval* iParentDerivs, Images& oImages) const;
  /// One Krawczyk step: 0 no solution, 1 unique solution, 2 box cut, 3 no information.
  int Krawczyk(XelMathInterval2D& ioBox, const XelMathInterval* iDerivs) const;
  /// Krawczyk steps while they shrink the box enough (derivative images updated): as
  /// Solve_IntervalNewton.
  int IntervalNewton(XelMathInterval2D& ioBox, XelMathInterval* ioDerivs) const;
  void ReleaseDerivatives();
  /// Records whether iOption scales the solve, and the variable scale factors.
  int ScaleOptionIsScaling(const XelMathAttrScaleOption& iOption);

  const XelMathFunctionX* _a;
  const XelMathFunctionX* _b;
  const XelMathFunctionX* _c;
  const XelMathFunctionX* _d;
  const XelTolerance& _tol;
  XelMathAttrExclusion2D* _exclusion;
  const XelMathAttrExclusion2D* _active;
  double _minWidthX, _minWidthY;
  long _depth;
  long _maxDepth;
  // State of a solve: whether a scale option applies, the domain searched, the boxes
  // examined, and the derivative functions built for components without derivative images.
  int _scaled;
  double _scaleX, _scaleY;
  double _root[4];
  long _boxes;
  XelMathFunctionX* _derivs[4];
  // Images of this solve found by sampling a component (ComputeOptimalImage), and whether a
  // budget (boxes or sampled images) cut the search short.
  mutable long _sampledImages;
  int _budgetOut;
};
