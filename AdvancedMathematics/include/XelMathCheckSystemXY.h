#pragma once
// Self-checks of a two-equation system class written by a caller (a XelMathSystemXY): the
// exact derivatives of F and G against the base class's centred differences, the masked
// evaluations against the single ones, the grid evaluations against point evaluations, and the
// guaranteed images of EvalImages (when the system gives them) against point values. Each check
// runs at the points of a regular sampling of the domain: the centres of the n x n equal cells,
// n given to the constructor (5 by default), and for the grids at the n x n regular grid of
// the domain (last points at the high ends).
//
// Each check returns 0 when it passes, otherwise the code of the first failure:
//   CheckFirstDeriv    10 Fx, 11 Fy, 12 Gx, 13 Gy
//   CheckSecondDeriv   20 Fxx, 21 Fxy, 22 Fyy, 23 Gxx, 24 Gxy, 25 Gyy
//   CheckMultiEval     for the masked evaluation with option o = 1 .. 7: 30 + o value of F,
//                      40 + o a first and 50 + o a second derivative of F; 60 + o, 70 + o,
//                      80 + o the same for G
//   CheckGridEval      90 + s for F, 100 + s for G (s: 1 value, 2 x, 3 y, 4 xx, 5 xy, 6 yy
//                      derivative) of the grid evaluation with option 7; 97 and 107 when it
//                      writes past its values
//   CheckImages        111 value, 112 x, 113 y derivative image of F; 121, 122, 123 of G (over
//                      the domain and each of its 4 x 4 equal cells)
//   CheckAll           the first non-zero code of the checks in the order above
//
// Thresholds at (x, y), with a = |x| + |y| + 1 and d the base class's difference: eps^0.5
// (a + |d|) for the first derivatives, eps^0.333 (a + |d|) for the second; evaluations and
// images agree within a eps.
//
// Every failure is also written to the kernel's error trace stream, one line opening with
// "***** Erreur de CheckSystemXY::" and the name of the check, then the quantity, the point
// and the two values compared. Nothing is raised. The system is not owned and must outlive
// the checker.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathInterval2D.h"
#include "XelQuorVirtual.h"

class XelMathSystemXY;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCheckSystemXY : public XelQuorVirtual {
public:
  /// A checker of iSystem over iDomain at precision iEps, sampling n x n points (at least 1;
  /// at most 1000 per direction).
  XelMathCheckSystemXY(const XelMathSystemXY* iSystem, const XelMathInterval2D& iDomain,
                       const double iEps, const long n = 5);
  XelMathCheckSystemXY(const XelMathCheckSystemXY&) = delete;
  XelMathCheckSystemXY& operator=(const XelMathCheckSystemXY&) = delete;
  ~XelMathCheckSystemXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long CheckAll() const;
  long CheckFirstDeriv() const;
  long CheckSecondDeriv() const;
  long CheckGridEval() const;
  long CheckMultiEval() const;
  long CheckImages() const;

  const XelMathSystemXY* GetSystem() const { return _system; }
  const XelMathInterval2D& GetDomain() const { return _domain; }
  double GetEps() const { return _eps; }

private:
  /// The centre of cell (i, j) of the n x n cells of the domain.
  double CentreX(const long i) const;
  double CentreY(const long j) const;
  /// Writes a failure to the error trace stream and returns iCode.
  long Report(const char* iCheck, const char* iQuantity, const double x, const double y,
              const double iFound, const double iExpected, const long iCode) const;
  /// The grid check of F (iWhich 0) or G (1).
  long CheckGrid(const int iWhich) const;
  /// The images of F (iWhich 0) or G (1) over iX x iY against point values inside.
  long CheckImagesOver(const int iWhich, const XelMathInterval& iX,
                       const XelMathInterval& iY) const;

  const XelMathSystemXY* _system;
  XelMathInterval2D _domain;
  double _eps;
  long _n;
};
