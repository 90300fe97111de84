// Tour section: the grid of pixels.
#include <cmath>
#include <cstdio>
#include <string>

#include "XelMathGridOfPixels.h"
#include "tour_sections.h"
#include "tour_svg.h"


namespace {
// Writes the grid as a grey-level PGM picture: walls black, cells of several labels dark
// grey, the flooded zone mid grey, the active zone light grey, empty cells white; row 0 at the
// bottom.
bool WritePgm(const XelMathGridOfPixels& iGrid, const std::string& iPath) {
  long nx, ny;
  iGrid.GetSize(nx, ny);
  std::FILE* file = std::fopen(iPath.c_str(), "wb");
  if (!file)
    return false;
  std::fprintf(file, "P5\n%ld %ld\n255\n", nx, ny);
  for (long y = ny - 1; y >= 0; y--)
    for (long x = 0; x < nx; x++) {
      const long v = iGrid.GetPixel(x, y);
      int grey = 255;
      if (v >= 0)
        grey = 0;
      else if (v <= -100)
        grey = 90;
      else if (v == iGrid.GetFloodValue())
        grey = 170;
      else if (v == iGrid.GetActiveZoneValue())
        grey = 215;
      std::fputc(grey, file);
    }
  return std::fclose(file) == 0;
}
} // namespace

void TourPixels() {
  std::printf("\n== Grid of pixels ==\n");

  // A 200 x 150 grid onto the window [-2, 2] x [-1.5, 1.5]: 50 cells per unit.
  XelMathGridOfPixels grid(200, 150);
  grid.SetWindow(-2.0, 2.0, -1.5, 1.5);
  long cx, cy, r;
  grid.ConvertToPixel(0.0, 0.0, cx, cy);
  grid.ConvertToPixel(1.2, r);

  // Label 0: a circle of radius 1.2; labels 1 to 4: the sides of a square inside it; label 5:
  // an arc in a corner of the window.
  grid.DrawCircle(cx, cy, r, 0);
  const double corners[5][2] = {{-0.6, -0.6}, {0.6, -0.6}, {0.6, 0.6}, {-0.6, 0.6}, {-0.6, -0.6}};
  for (long k = 0; k < 4; k++) {
    long x1, y1, x2, y2;
    grid.ConvertToPixel(corners[k][0], corners[k][1], x1, y1);
    grid.ConvertToPixel(corners[k + 1][0], corners[k + 1][1], x2, y2);
    grid.DrawLine(x1, y1, x2, y2, k + 1);
  }
  grid.DrawArc(175, 20, 20, 195, 20, 175, 40, 189, 34, 5);

  // The ring between the square and the circle is flooded; the inside of the square becomes
  // the active zone.
  long x, y;
  grid.ConvertToPixel(0.0, 0.9, x, y);
  grid.FloodFill(x, y, XelMathGridOfPixels::FloodEmpty);
  grid.FloodFill(cx, cy, XelMathGridOfPixels::FloodEmptyToActive);
  long flooded = 0, active = 0, multi = 0;
  for (long j = 0; j < 150; j++)
    for (long i = 0; i < 200; i++) {
      const long v = grid.GetPixel(i, j);
      flooded += v == grid.GetFloodValue();
      active += v == grid.GetActiveZoneValue();
      multi += v <= -100;
    }
  const double side = 1.2 * 50.0;
  std::printf("circle of radius %ld cells; ring flooded: %ld cells (area of the ring: pi r^2 - "
              "side^2 = %.0f)\n",
              r, flooded, 3.14159265358979 * r * r - side * side);
  std::printf("inside of the square (active zone): %ld cells; cells with several labels: %ld\n",
              active, multi);

  long flags[6];
  grid.GetFloodFillBoundary(6, flags);
  std::printf("labels bounding the flooded ring:");
  for (long l = 0; l < 6; l++)
    if (flags[l])
      std::printf(" %ld", l);
  std::printf("\n");

  long n, nCorners, *xs, *ys, *cornerIndices;
  grid.GetFloodZoneCorners(n, xs, ys, nCorners, cornerIndices);
  std::printf("corners where walls of different labels meet the ring: %ld\n", nCorners);
  for (long c = 0; c < nCorners; c++) {
    double px, py;
    grid.ConvertToModel(xs[cornerIndices[c]], ys[cornerIndices[c]], px, py);
    std::printf("  (%g, %g)\n", px, py);
  }
  XelMathGridOfPixels::FreeArray(xs, n);
  XelMathGridOfPixels::FreeArray(ys, n);
  XelMathGridOfPixels::FreeArray(cornerIndices, nCorners);

  long chain;
  const long status = grid.GetValueBoundary(grid.GetFloodValue(), 8, chain, xs, ys);
  std::printf("boundary chain of the flooded ring: status %ld, %ld cells (8-connected steps "
              "around a circle: about 4 sqrt(2) r = %.0f)\n",
              status, chain, 4.0 * std::sqrt(2.0) * r);
  XelMathGridOfPixels::FreeArray(xs, chain);
  XelMathGridOfPixels::FreeArray(ys, chain);

  const std::string path = TourPicturePath("pixels.pgm");
  if (WritePgm(grid, path))
    std::printf("picture: %s (the labelled walls, the flooded ring and the active zone)\n",
                path.c_str());
  else
    std::printf("picture: could not write %s\n", path.c_str());
}
