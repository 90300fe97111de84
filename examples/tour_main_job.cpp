// Tour: the main job of the library on a composed function: all its roots, minima
// and maxima on an interval, an integral and a guaranteed image. The README shows these lines.
#include <cstdio>
#include <memory>

#include "XelAdvancedMathematics.h"
#include "tour_sections.h"
#include "tour_svg.h"

namespace {
void Print(const char* iWhat, const XelMathSetOfPointsND& iSet, const XelMathFunctionX& iF) {
  std::printf("%-8s", iWhat);
  for (long i = 0; i < iSet.GetNumberOfPoints(); i++) // point i: GetPoints()[i * dimension]
    std::printf(" %+.6f (f = %+.2e)%s", iSet.GetPoints()[i], iF.Eval(iSet.GetPoints()[i]),
                i % 2 == 1 && i + 1 < iSet.GetNumberOfPoints() ? "\n        " : "");
  std::printf("\n");
}

// The largest of iSign * f over the points of iSet, times iSign (0 for an empty set).
double Extreme(const XelMathSetOfPointsND& iSet, const XelMathFunctionX& iF, double iSign) {
  double best = 0.0;
  for (long i = 0; i < iSet.GetNumberOfPoints(); i++) {
    const double v = iF.Eval(iSet.GetPoints()[i]);
    if (i == 0 || iSign * v > iSign * best)
      best = v;
  }
  return best;
}

// The function with its roots, minima and maxima marked.
void Picture(const XelMathFunctionX& iF, const XelMathInterval& iDomain,
             const XelMathSetOfPointsND& iRoots, const XelMathSetOfPointsND& iMinima,
             const XelMathSetOfPointsND& iMaxima) {
  const double margin = 0.02 * (iDomain.high - iDomain.low);
  TourSvg svg("f(x) = sin(x^2 - 0.5x - 1): roots, minima and maxima", iDomain.low - margin,
              iDomain.high + margin);
  TourSvgPanel& panel = svg.AddPanel(340, -1.2, 2.0, "f(x)");
  const long n = 400;
  double x[n + 1], y[n + 1];
  for (long i = 0; i <= n; i++) {
    x[i] = iDomain.low + (iDomain.high - iDomain.low) * static_cast<double>(i) / n;
    y[i] = iF.Eval(x[i]);
  }
  panel.Curve(n + 1, x, y, "#1f5fa8");
  for (long i = 0; i < iRoots.GetNumberOfPoints(); i++)
    panel.Mark(iRoots.GetPoints()[i], 0.0, TourSvgPanel::Circle, "#f2c200");
  for (long i = 0; i < iMinima.GetNumberOfPoints(); i++)
    panel.Mark(iMinima.GetPoints()[i], iF.Eval(iMinima.GetPoints()[i]), TourSvgPanel::Down,
               "#d62728");
  for (long i = 0; i < iMaxima.GetNumberOfPoints(); i++)
    panel.Mark(iMaxima.GetPoints()[i], iF.Eval(iMaxima.GetPoints()[i]), TourSvgPanel::Up,
               "#2ca02c");
  panel.Legend("f", "#1f5fa8");
  panel.Legend("roots (Solve)", "#f2c200");
  panel.Legend("minima (Minimize)", "#d62728");
  panel.Legend("maxima (Maximize)", "#2ca02c");
  TourWritePicture(svg, "roots-minima-maxima.svg", "f with its roots, minima and maxima");
}
} // namespace

void TourMainJob() {
  std::printf("== The main job: roots, minima, maxima and an integral of a composed function ==\n");
  const XelTolerance& tol = XelGetDefaultTolerance();
  const double c[3] = {-1.0, -0.5, 1.0}; // p(x) = -1 - 0.5x + x^2
  XelMathPolynomX p(2, c);
  XelMathTrigonometricX sine(0.0, 1.0, 0.0, 1.0, tol); // 0 cos(1t) + 1 sin(1t) + 0
  std::unique_ptr<XelMathFunctionX> f(XelMathFunctionX::CreateCompositionX(&sine, &p));
  XelMathInterval domain(-2.0, 2.5); // ends: domain.low, domain.high

  XelMathSetOfPointsND roots(1), minima(1), maxima(1); // point sets of dimension 1
  int status = f->Solve(domain, roots);                // every root; status 0: done
  f->Minimize(domain, minima);                         // every local minimum, ends included
  f->Maximize(domain, maxima);
  XelMathAttrString lowestOnly("AbsoluteExtremum", 1); // an option: the lowest minimum only
  XelMathAttrList options(&lowestOnly);
  XelMathSetOfPointsND lowest(1);
  f->Minimize(domain, lowest, &options);
  double integral = f->Integrate(domain, 1e-10);               // within 1e-10 (absolute)
  XelMathInterval image = f->ComputeOptimalImage(domain, tol); // encloses f(domain)

  std::printf("f(x) = sin(x^2 - 0.5x - 1) on [%g, %g]; status of Solve: %d (0 = done)\n",
              domain.low, domain.high, status);
  Print("roots", roots, *f);
  Print("minima", minima, *f);
  Print("maxima", maxima, *f);
  Print("lowest", lowest, *f);
  std::printf("integral of f over the domain: %.12f\n", integral);
  std::printf("image of the domain: [%.6f, %.6f], an enclosure of the values of f, which span\n"
              "  [%.6f, %.6f] (lowest minimum, highest maximum)\n",
              image.low, image.high, Extreme(minima, *f, -1.0), Extreme(maxima, *f, 1.0));
  Picture(*f, domain, roots, minima, maxima);
}
